// A pulse file opened read-only through a memory mapping. Its structure is
// checked once on opening: magic number, word sum, the offset table, and
// every record's header and samples inside the file. It then hands out the
// header, the table and every record's header and samples as spans into the
// mapping, without copying. The mapping lives as long as the view: hold the
// shared pointer to keep spans valid.
//
// The file is not locked while the view lives, so another program may
// change it under the mapping. Changed() tells whether it did; a program
// that cuts the file short makes reading past its new end fault, which the
// guarded reads of mapped_read.h (CopyMapped, ReadMapped) turn into a false
// result. A front end that reads spans while another program may be
// changing the file reads them through those.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "orvane/messages.h"
#include "orvane/pulse_file.h"

namespace orvane {

struct RecordView {
  RecordType type;
  uint32_t number;                   // within its kind, from 0
  uint64_t entry;                    // index in the offset table
  uint32_t offset;                   // the table's entry: where the record header starts
  std::span<const uint8_t> header;   // empty when it does not lie wholly inside the file
  std::span<const uint8_t> samples;  // the sample bytes inside the file, at most the declared ones
  uint64_t declaredSamples = 0;      // from SIZE
  bool complete = false;             // header and every declared sample inside the file

  const RecordDescription& Info() const { return DescribeRecord(type); }
  uint64_t SampleCount() const { return samples.size() / Info().sampleBytes; }
  // "T0", "R2", ...
  std::string Name() const;
};

// One thing wrong with a file's structure, in the order met.
struct StructureProblem {
  Outcome what;         // code and message
  int64_t record = -1;  // index into Records(), -1 for the file as a whole
  // Where it lies: 0 for the magic number, the table's start for a table
  // that runs past the end, the record's offset for a record problem, the
  // file's length for a file too short for its header; none for a word
  // sum, which belongs to no place.
  std::optional<uint64_t> offset;
};

// What a reader of a view reports when the file was cut short under it:
// "Can't open PATH for reading", with the reason "the file changed while it
// was read".
Outcome FileChangedWhileRead(const std::string& path);

class PulseFileView {
 public:
  enum class Verify {
    Full,     // any problem refuses the file
    Salvage,  // a damaged file is opened as far as it goes; Problems() lists what is wrong
    // As Salvage, but the word sum is left out: only what keeps every span
    // inside the mapping is checked (the header, the table and each
    // record's extent), so opening costs no pass over the samples.
    // Problems() then holds no checksum problem and WordSum() is 0;
    // CheckedProblems() finds them all.
    Trust,
  };

  // Maps path and checks it. Null when the file cannot be mapped, or, with
  // Verify::Full, when it is not a valid pulse file; *why (if given) then
  // holds the first problem. Anything but a regular file is refused without
  // being opened for reading. A file cut short while it is checked is
  // refused too: CantOpenForReading, with the reason "the file changed
  // while it was read".
  static std::shared_ptr<const PulseFileView> Open(const std::string& path, Verify verify = Verify::Full,
                                                   Outcome* why = nullptr);
  ~PulseFileView();
  PulseFileView(const PulseFileView&) = delete;
  PulseFileView& operator=(const PulseFileView&) = delete;

  const std::string& Path() const { return path_; }
  std::span<const uint8_t> Bytes() const { return {data_, length_}; }
  uint64_t Length() const { return length_; }
  // True when the file holds a whole header (always so for a valid file).
  bool HasHeader() const { return length_ >= format::kFileHeader.size; }
  const PulseFileHeader& Header() const { return header_; }
  uint16_t WordSum() const { return sum_; }

  // Every record of the table that lies inside the file, in table order;
  // with Verify::Salvage, records whose header lies outside are listed too,
  // with an empty header.
  const std::vector<RecordView>& Records() const { return records_; }
  std::span<const RecordView> Records(RecordType type) const;
  const std::vector<StructureProblem>& Problems() const { return problems_; }
  bool Valid() const { return problems_.empty(); }
  // Every problem, the checksum's included, in the order met: Problems()
  // itself, except for a view opened with Verify::Trust, whose words are
  // summed now (one pass over the mapping). Nothing when the file was cut
  // short under the mapping.
  std::optional<std::vector<StructureProblem>> CheckedProblems() const;

  // True when the path no longer names the file as it was opened: it is
  // gone, names another file (one renamed into place), or the file's
  // length or modification time differ (it was written in place). One
  // stat() of the path. After a change the view still shows the old bytes
  // where the file still holds them; open the path again to see the new
  // ones. A file cut short faults when read past its new end (see above).
  bool Changed() const;

 private:
  PulseFileView() = default;
  // False when the file was cut short under the mapping while it was checked.
  bool Check(Verify verify);
  StructureProblem MakeProblem(Failure code, uint16_t sum, int64_t record) const;

  std::string path_;
  bool trusted_ = false;  // opened with Verify::Trust: the words were not summed
  // What the path named when it was opened, for Changed().
  uint64_t device_ = 0, inode_ = 0;
  int64_t modifiedSeconds_ = 0, modifiedNanoseconds_ = 0;
  const uint8_t* data_ = nullptr;
  uint64_t length_ = 0;
  uint64_t mappedLength_ = 0;
  PulseFileHeader header_;
  uint16_t sum_ = 0;
  std::vector<RecordView> records_;
  size_t firstOf_[4] = {0, 0, 0, 0};  // records_ index where T, R, I begin, and the end
  std::vector<StructureProblem> problems_;
};

}  // namespace orvane
