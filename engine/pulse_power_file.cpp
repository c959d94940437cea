#include "pulse_power_file.h"

#include <algorithm>
#include <array>

namespace orvane {

namespace {

constexpr uint64_t kTCountPosition = 272;

PulseFileFault ReadFault(const io::File& file, PulseFileFault shortRead) {
  return file.HasError() ? PulseFileFault::ReadError : shortRead;
}

}  // namespace

OpenPulseFile::OpenPulseFile(std::unique_ptr<io::File> file, const PulseFileHeader& header,
                             uint64_t length)
    : file_(std::move(file)), header_(header), length_(length) {}

std::unique_ptr<OpenPulseFile> OpenPulseFile::Open(const std::string& path, io::File::Mode mode,
                                                   PulseFileCheck* check) {
  PulseFileCheck ignored;
  PulseFileCheck& result = check ? *check : ignored;
  result = PulseFileCheck{};
  auto file = path.empty() ? nullptr : io::File::Open(path, mode);
  if (!file) {
    result.fault = PulseFileFault::CannotOpen;
    return nullptr;
  }
  uint8_t magic[4];
  if (!file->ReadExact(magic, sizeof magic)) {
    result.fault = ReadFault(*file, PulseFileFault::BadMagic);
    return nullptr;
  }
  if (LoadU32(magic) != kPulseFileMagic) {
    result.fault = PulseFileFault::BadMagic;
    return nullptr;
  }
  ChecksumPass pass = SumFileWords(*file);
  if (pass.readError) {
    result.fault = PulseFileFault::ReadError;
    return nullptr;
  }
  if (pass.sum != 0) {
    result.fault = PulseFileFault::BadChecksum;
    result.sum = pass.sum;
    return nullptr;
  }
  PulseFileHeader header;
  if (!file->Seek(0) || !file->ReadExact(header.bytes.data(), header.bytes.size())) {
    result.fault = ReadFault(*file, PulseFileFault::ShortHeader);
    return nullptr;
  }
  return std::unique_ptr<OpenPulseFile>(new OpenPulseFile(std::move(file), header, pass.length));
}

bool OpenPulseFile::ReadAt(uint64_t position, uint8_t* out, size_t size) {
  return file_->Seek(position) && file_->ReadExact(out, size);
}

std::optional<uint32_t> OpenPulseFile::EntryOffset(uint64_t entry) {
  uint8_t bytes[kOffsetEntrySize];
  if (!ReadAt(RecordOffsetTable::EntryPosition(entry), bytes, sizeof bytes)) return std::nullopt;
  return LoadU32(bytes);
}

std::optional<uint64_t> OpenPulseFile::TRecordPosition(uint32_t n) {
  // The bound is the count the file holds now: a record header written
  // earlier may lie over the header's counts.
  uint8_t count[4];
  if (!ReadAt(kTCountPosition, count, sizeof count) || n >= LoadU32(count)) return std::nullopt;
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

OpenPulseFile::Outcome OpenPulseFile::WriteTRecordSealed(uint32_t n, const TRecordHeader& record) {
  auto position = TRecordPosition(n);
  if (!position) return Outcome::Unreadable;
  const uint64_t start = *position;
  const size_t headerSize = record.bytes.size();
  if (start + headerSize > length_) return Outcome::Refused;

  // The words the new bytes touch: a header at an odd offset shares its
  // first and last word with the bytes around it. A final odd byte of the
  // file belongs to no word, which WordSum's rule for an odd size matches.
  const uint64_t first = start & ~uint64_t{1};
  const uint64_t end = std::min((start + headerSize + 1) & ~uint64_t{1}, length_);
  const size_t size = static_cast<size_t>(end - first);
  const size_t at = static_cast<size_t>(start - first);
  std::array<uint8_t, kTRecordHeaderSize + 2> words{};
  if (!ReadAt(first, words.data(), size)) return Outcome::Unreadable;
  std::array<uint8_t, kTRecordHeaderSize> old;
  std::copy_n(words.begin() + at, headerSize, old.begin());
  const uint16_t before = WordSum(words.data(), size);
  std::copy(record.bytes.begin(), record.bytes.end(), words.begin() + at);
  uint16_t sum = static_cast<uint16_t>(sum_ + WordSum(words.data(), size) - before);

  // The seal word is worked out before anything is written, so that
  // nothing but the two writes can fail once the header has changed.
  uint8_t last = words[size - 1];
  if (length_ % 2 == 1 && end != length_ && !ReadAt(length_ - 1, &last, 1)) return Outcome::ReadFailed;
  uint8_t seal[3];
  const size_t sealSize = SealBytes(sum, length_, last, seal);

  Outcome outcome = Outcome::Done;
  if (!WriteAt(start, record.bytes.data(), headerSize)) {
    outcome = Outcome::WriteFailed;
  } else if (!file_->Seek(length_)) {
    outcome = Outcome::SealSeekFailed;
  } else if (!file_->Write(seal, sealSize) || !file_->Flush()) {
    outcome = Outcome::SealWriteFailed;
  }
  if (outcome != Outcome::Done) {
    WriteAt(start, old.data(), headerSize);  // the best that can be done
    return outcome;
  }
  length_ += sealSize;
  sum_ = 0;
  return Outcome::Done;
}

}  // namespace orvane
