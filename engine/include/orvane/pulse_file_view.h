// A pulse file opened read-only through a memory mapping. Its structure is
// checked once on opening: magic number, word sum, the offset table, and
// every record's header and samples inside the file. It then hands out the
// header, the table and every record's header and samples as spans into the
// mapping, without copying. The mapping lives as long as the view: hold the
// shared pointer to keep spans valid.
#pragma once

#include <cstdint>
#include <memory>
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
};

class PulseFileView {
 public:
  enum class Verify {
    Full,     // any problem refuses the file
    Salvage,  // a damaged file is opened as far as it goes; Problems() lists what is wrong
  };

  // Maps path and checks it. Null when the file cannot be mapped, or, with
  // Verify::Full, when it is not a valid pulse file; *why (if given) then
  // holds the first problem. Anything but a regular file is refused without
  // being opened for reading.
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

 private:
  PulseFileView() = default;
  void Check(Verify verify);
  void AddProblem(Failure code, const std::string& value, int64_t record = -1);

  std::string path_;
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
