// The read-only mapped view of a pulse file and the one check of a pulse
// file's structure that every reader of the binary form agrees on.
#include "orvane/pulse_file_view.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "format/checksum.h"
#include "format/structure_check.h"
#include "io/file_io.h"

namespace orvane {

namespace {

// Opens path for reading without blocking: a FIFO or device must not hold
// the caller up, and anything but a regular file is refused.
// *reason says why not.
int OpenRegularFile(const std::string& path, struct stat* st, io::FailureReason* reason) {
  if (path.empty()) return -1;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    *reason = {std::strerror(errno), errno};
    return -1;
  }
  if (::fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
    if (S_ISREG(st->st_mode))
      *reason = {std::strerror(errno), errno};
    else
      *reason = {"not a regular file", S_ISDIR(st->st_mode) ? EISDIR : 0};
    ::close(fd);
    return -1;
  }
  return fd;
}

Outcome CantRead(const std::string& path, const io::FailureReason& reason) {
  Outcome outcome{Failure::CantOpenForReading, FormatMessage(Failure::CantOpenForReading, path.c_str()),
                  reason.text};
  outcome.path = path;
  outcome.error = reason.error;
  return outcome;
}

// Reads from the mapping itself.
class MappedSource : public StructureSource {
 public:
  explicit MappedSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  bool ReadAt(uint64_t position, uint8_t* out, size_t n) override {
    if (position > bytes_.size() || n > bytes_.size() - position) return false;
    std::copy_n(bytes_.data() + position, n, out);
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace

std::string RecordView::Name() const { return Info().letter + std::to_string(number); }

std::shared_ptr<const PulseFileView> PulseFileView::Open(const std::string& path, Verify verify,
                                                         Outcome* why) {
  Outcome ignored;
  Outcome& outcome = why ? *why : ignored;
  outcome = Outcome{Failure::None, MessageFormat(Failure::None)};
  struct stat st {};
  io::FailureReason reason;
  const int fd = OpenRegularFile(path, &st, &reason);
  if (fd < 0) {
    outcome = CantRead(path, reason);
    return nullptr;
  }
  std::shared_ptr<PulseFileView> view(new PulseFileView);
  view->path_ = path;
  view->length_ = static_cast<uint64_t>(st.st_size);
  if (view->length_ > 0) {
    void* map = ::mmap(nullptr, view->length_, PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) {
      const int error = errno;
      ::close(fd);
      outcome = CantRead(path, {std::strerror(error), error});
      return nullptr;
    }
    view->data_ = static_cast<const uint8_t*>(map);
    view->mappedLength_ = view->length_;
  }
  // The structure is checked under a shared lock, so that no pulse power
  // change in place is half-way through while it is read.
  while (::flock(fd, LOCK_SH) != 0 && errno == EINTR) {
  }
  view->Check(verify);
  // Unlocked by hand: the mapping keeps the open file, and with it the
  // lock, for as long as the view lives, where a pulse power change in
  // place (of this process too) must wait only for the check.
  ::flock(fd, LOCK_UN);
  ::close(fd);
  if (!view->problems_.empty()) {
    outcome = view->problems_.front().what;
    if (verify == Verify::Full) return nullptr;
  }
  return view;
}

PulseFileView::~PulseFileView() {
  if (mappedLength_ > 0) ::munmap(const_cast<uint8_t*>(data_), mappedLength_);
}

void PulseFileView::Check(Verify verify) {
  const std::span<const uint8_t> bytes(data_, length_);
  MappedSource source(bytes);
  StructureReport report =
      CheckStructure(bytes.first(std::min<uint64_t>(length_, format::kFileHeader.size)), length_,
                     orvane::WordSum(data_, length_), source, verify == Verify::Full);
  header_ = report.header;
  sum_ = report.sum;
  records_.reserve(report.records.size());
  problems_.reserve(report.problems.size());
  for (const RecordExtent& extent : report.records) {
    const RecordDescription& info = DescribeRecord(extent.type);
    RecordView record{extent.type, extent.number, extent.entry, extent.offset, {}, {}, 0, false};
    if (extent.headerInside) {
      record.header = bytes.subspan(extent.offset, info.header.size);
      record.samples =
          bytes.subspan(extent.offset + info.header.size, extent.availableSamples * info.sampleBytes);
      record.declaredSamples = extent.declaredSamples;
      record.complete = extent.availableSamples == extent.declaredSamples;
    }
    records_.push_back(record);
  }
  std::copy(std::begin(report.firstOf), std::end(report.firstOf), firstOf_);
  for (const auto& [code, record] : report.problems)
    AddProblem(code, code == Failure::ChecksumError ? std::string() : path_, record);
}

void PulseFileView::AddProblem(Failure code, const std::string& value, int64_t record) {
  std::string text;
  switch (code) {
    case Failure::ChecksumError: text = FormatMessage(code, static_cast<unsigned>(sum_)); break;
    case Failure::RecordOutsideFile:
    case Failure::SamplesOutsideFile:
      text = FormatMessage(code, records_[static_cast<size_t>(record)].Name().c_str());
      break;
    default: text = FormatMessage(code, value.c_str()); break;
  }
  Outcome what{code, std::move(text)};
  what.path = path_;
  problems_.push_back({std::move(what), record});
}

std::span<const RecordView> PulseFileView::Records(RecordType type) const {
  const auto k = static_cast<size_t>(type);
  return std::span<const RecordView>(records_).subspan(firstOf_[k], firstOf_[k + 1] - firstOf_[k]);
}

}  // namespace orvane
