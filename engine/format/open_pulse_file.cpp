#include "format/open_pulse_file.h"

#include <algorithm>
#include <array>

#include "format/checksum.h"
#include "format/structure_check.h"
#include "io/temporary_files.h"

namespace orvane {

namespace {

// Reads through the open file, so that every read passes the file layer.
class FileSource : public StructureSource {
 public:
  explicit FileSource(io::File& file) : file_(file) {}
  bool ReadAt(uint64_t position, uint8_t* out, size_t n) override {
    return file_.Seek(position) && file_.ReadExact(out, n);
  }

 private:
  io::File& file_;
};

Outcome Problem(Failure code, const std::string& path, uint16_t sum = 0) {
  Outcome outcome{code, code == Failure::ChecksumError ? FormatMessage(code, unsigned{sum})
                                                       : FormatMessage(code, path.c_str())};
  outcome.path = path;
  return outcome;
}

}  // namespace

OpenPulseFile::OpenPulseFile(std::unique_ptr<io::File> file, const PulseFileHeader& header, uint64_t length)
    : file_(std::move(file)), header_(header), length_(length) {}

std::unique_ptr<OpenPulseFile> OpenPulseFile::Open(const std::string& path, io::File::Mode mode,
                                                   Outcome* why) {
  Outcome ignored;
  Outcome& result = why ? *why : ignored;
  result = Outcome{};
  // A Set holds the file alone; readers share it.
  const auto lock = mode == io::File::Mode::Update ? io::File::Lock::Exclusive : io::File::Lock::Shared;
  auto file = path.empty() ? nullptr : io::File::Open(path, mode, lock);
  if (!file) {
    result = Problem(Failure::CantOpenForReading, path);
    // Left in place too, for the message a caller reports in its stead.
    result.reason = io::LastFailureReason().text;
    result.error = io::LastFailureReason().error;
    return nullptr;
  }
  ChecksumPass pass = SumFileWords(*file);
  uint8_t front[format::kFileHeader.size];
  const size_t frontSize = static_cast<size_t>(std::min<uint64_t>(pass.length, sizeof front));
  if (pass.readError || !file->Seek(0) || !file->ReadExact(front, frontSize)) {
    result = Problem(Failure::SealReadError, path);
    return nullptr;
  }
  FileSource source(*file);
  StructureReport report = CheckStructure({front, frontSize}, pass.length, pass.sum, source, true);
  if (!report.problems.empty()) {
    const auto [code, record] = report.problems.front();
    if (record >= 0) {
      const RecordExtent& extent = report.records[static_cast<size_t>(record)];
      const std::string name = DescribeRecord(extent.type).letter + std::to_string(extent.number);
      result = Outcome{code, FormatMessage(code, name.c_str())};
      result.path = path;
    } else {
      result = Problem(code, path, pass.sum);
    }
    return nullptr;
  }
  return std::unique_ptr<OpenPulseFile>(new OpenPulseFile(std::move(file), report.header, pass.length));
}

bool OpenPulseFile::ReadAt(uint64_t position, uint8_t* out, size_t size) {
  return file_->Seek(position) && file_->ReadExact(out, size);
}

std::optional<uint32_t> OpenPulseFile::EntryOffset(uint64_t entry) {
  uint8_t bytes[format::kOffsetEntrySize];
  if (!ReadAt(format::EntryPosition(entry), bytes, sizeof bytes)) return std::nullopt;
  return LoadU32(bytes);
}

std::optional<uint64_t> OpenPulseFile::TRecordPosition(uint32_t n) {
  // The bound is the count the file holds now: a record header written
  // earlier may lie over the header's counts.
  uint8_t count[4];
  if (!ReadAt(format::kFileHeader.Offset("TCNT"), count, sizeof count) || n >= LoadU32(count))
    return std::nullopt;
  return EntryOffset(n);
}

std::optional<TRecordHeader> OpenPulseFile::ReadTRecord(uint32_t n) {
  auto position = TRecordPosition(n);
  TRecordHeader record;
  if (!position || *position + record.bytes.size() > length_) return std::nullopt;
  if (!ReadAt(*position, record.bytes.data(), record.bytes.size())) return std::nullopt;
  return record;
}

bool OpenPulseFile::WriteAt(uint64_t position, const uint8_t* data, size_t size) {
  return file_->Seek(position) && file_->Write(data, size) && file_->Flush();
}

bool OpenPulseFile::WriteTRecord(uint32_t n, const TRecordHeader& record) {
  auto position = TRecordPosition(n);
  // A table entry that points elsewhere would otherwise make the file grow.
  if (!position || *position + record.bytes.size() > length_) return false;
  return WriteAt(*position, record.bytes.data(), record.bytes.size()) && file_->Close();
}

OpenPulseFile::StepOutcome OpenPulseFile::WriteTRecordSealed(uint32_t n, const TRecordHeader& record) {
  auto position = TRecordPosition(n);
  if (!position) return StepOutcome::Unreadable;
  const uint64_t start = *position;
  const size_t headerSize = record.bytes.size();
  if (start + headerSize > length_) return StepOutcome::Refused;

  // The words the new bytes touch: a header at an odd offset shares its
  // first and last word with the bytes around it. A final odd byte of the
  // file belongs to no word, which WordSum's rule for an odd size matches.
  const uint64_t first = start & ~uint64_t{1};
  const uint64_t end = std::min((start + headerSize + 1) & ~uint64_t{1}, length_);
  const size_t size = static_cast<size_t>(end - first);
  const size_t at = static_cast<size_t>(start - first);
  std::array<uint8_t, format::kTHeader.size + 2> words{};
  if (!ReadAt(first, words.data(), size)) return StepOutcome::Unreadable;
  std::array<uint8_t, format::kTHeader.size> old;
  std::copy_n(words.begin() + at, headerSize, old.begin());
  const uint16_t before = WordSum(words.data(), size);
  std::copy(record.bytes.begin(), record.bytes.end(), words.begin() + at);
  uint16_t sum = static_cast<uint16_t>(sum_ + WordSum(words.data(), size) - before);

  // The seal word is worked out before anything is written, so that
  // nothing but the two writes can fail once the header has changed.
  uint8_t last = words[size - 1];
  if (length_ % 2 == 1 && end != length_ && !ReadAt(length_ - 1, &last, 1)) return StepOutcome::ReadFailed;
  uint8_t seal[3];
  const size_t sealSize = SealBytes(sum, length_, last, seal);

  // An interruption waits until the header and its seal are both written
  // (or the old header is back).
  temporary::CriticalSection pair;
  StepOutcome outcome = StepOutcome::Done;
  if (!WriteAt(start, record.bytes.data(), headerSize)) {
    outcome = StepOutcome::WriteFailed;
  } else if (!file_->Seek(length_)) {
    outcome = StepOutcome::SealSeekFailed;
  } else if (!file_->Write(seal, sealSize) || !file_->Flush()) {
    outcome = StepOutcome::SealWriteFailed;
  }
  if (outcome != StepOutcome::Done) {
    WriteAt(start, old.data(), headerSize);  // the best that can be done
    return outcome;
  }
  length_ += sealSize;
  sum_ = 0;
  return StepOutcome::Done;
}

}  // namespace orvane
