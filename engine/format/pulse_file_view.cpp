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
#include "orvane/mapped_read.h"

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

// The reason given when the file was cut short while it was being checked.
constexpr char kChangedWhileRead[] = "the file changed while it was read";

// Reads from the mapping itself, guarded: another program may cut the file
// short while it is checked.
class MappedSource : public StructureSource {
 public:
  explicit MappedSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  bool ReadAt(uint64_t position, uint8_t* out, size_t n) override {
    if (position > bytes_.size() || n > bytes_.size() - position) return false;
    if (CopyMapped(out, bytes_.data() + position, n)) return true;
    faulted_ = true;
    return false;
  }
  bool Faulted() const { return faulted_; }

 private:
  std::span<const uint8_t> bytes_;
  bool faulted_ = false;
};

// The word sum of mapped bytes; false when they could not all be read.
bool MappedWordSum(std::span<const uint8_t> bytes, uint16_t* sum) {
  return ReadMapped([&] { *sum = WordSum(bytes.data(), bytes.size()); });
}

}  // namespace

Outcome FileChangedWhileRead(const std::string& path) { return CantRead(path, {kChangedWhileRead, 0}); }

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
  view->device_ = static_cast<uint64_t>(st.st_dev);
  view->inode_ = static_cast<uint64_t>(st.st_ino);
  view->modifiedSeconds_ = static_cast<int64_t>(st.st_mtim.tv_sec);
  view->modifiedNanoseconds_ = static_cast<int64_t>(st.st_mtim.tv_nsec);
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
  // change in place is half-way through while it is read. A long wait for
  // another program is shown and may be given up, as the thread's
  // io::LockWait says.
  if (!io::WaitForLock(fd, LOCK_SH, path)) {
    const int error = errno;
    ::close(fd);
    outcome = CantRead(path, {std::strerror(error), error});
    return nullptr;
  }
  const bool whole = view->Check(verify);
  // Unlocked by hand: the mapping keeps the open file, and with it the
  // lock, for as long as the view lives, where a pulse power change in
  // place (of this process too) must wait only for the check.
  ::flock(fd, LOCK_UN);
  ::close(fd);
  if (!whole) {
    outcome = FileChangedWhileRead(path);
    return nullptr;
  }
  if (!view->problems_.empty()) {
    outcome = view->problems_.front().what;
    if (verify == Verify::Full) return nullptr;
  }
  return view;
}

PulseFileView::~PulseFileView() {
  if (mappedLength_ > 0) ::munmap(const_cast<uint8_t*>(data_), mappedLength_);
}

bool PulseFileView::Changed() const {
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0) return true;
  return static_cast<uint64_t>(st.st_dev) != device_ || static_cast<uint64_t>(st.st_ino) != inode_ ||
         static_cast<uint64_t>(st.st_size) != length_ || st.st_mtim.tv_sec != modifiedSeconds_ ||
         st.st_mtim.tv_nsec != modifiedNanoseconds_;
}

bool PulseFileView::Check(Verify verify) {
  const std::span<const uint8_t> bytes(data_, length_);
  // Everything read from the mapping here is read guarded, and the header
  // copied out first: the file is not protected against programs that
  // take no lock.
  uint8_t front[format::kFileHeader.size];
  const size_t frontSize = static_cast<size_t>(std::min<uint64_t>(length_, sizeof front));
  uint16_t sum = 0;
  trusted_ = verify == Verify::Trust;
  if (!CopyMapped(front, data_, frontSize) || (!trusted_ && !MappedWordSum(bytes, &sum))) return false;
  MappedSource source(bytes);
  StructureReport report = CheckStructure({front, frontSize}, length_, sum, source, verify == Verify::Full);
  if (source.Faulted()) return false;
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
  for (const auto& [code, record] : report.problems) problems_.push_back(MakeProblem(code, sum_, record));
  return true;
}

StructureProblem PulseFileView::MakeProblem(Failure code, uint16_t sum, int64_t record) const {
  std::string text;
  switch (code) {
    case Failure::ChecksumError: text = FormatMessage(code, static_cast<unsigned>(sum)); break;
    case Failure::RecordOutsideFile:
    case Failure::SamplesOutsideFile:
      text = FormatMessage(code, records_[static_cast<size_t>(record)].Name().c_str());
      break;
    default: text = FormatMessage(code, path_.c_str()); break;
  }
  Outcome what{code, std::move(text)};
  what.path = path_;
  std::optional<uint64_t> offset;
  switch (code) {
    case Failure::InvalidMagicNumber: offset = 0; break;
    case Failure::InvalidRecordCount: offset = format::kTableStart; break;
    case Failure::RecordOutsideFile:
    case Failure::SamplesOutsideFile: offset = records_[static_cast<size_t>(record)].offset; break;
    case Failure::BinaryReadErrorOn: offset = length_; break;
    default: break;
  }
  return {std::move(what), record, offset};
}

std::optional<std::vector<StructureProblem>> PulseFileView::CheckedProblems() const {
  if (!trusted_) return problems_;
  const std::span<const uint8_t> bytes(data_, length_);
  uint16_t sum = 0;
  if (!MappedWordSum(bytes, &sum)) return std::nullopt;
  // The sum is the one thing a trusting open left out; where it is not
  // zero, its problem goes where the check meets it: after a bad magic
  // number, before anything of the table.
  std::vector<StructureProblem> all = problems_;
  if (sum != 0 && HasHeader()) {
    auto at = all.begin();
    while (at != all.end() && at->what.code == Failure::InvalidMagicNumber) ++at;
    all.insert(at, MakeProblem(Failure::ChecksumError, sum, -1));
  }
  return all;
}

std::span<const RecordView> PulseFileView::Records(RecordType type) const {
  const auto k = static_cast<size_t>(type);
  return std::span<const RecordView>(records_).subspan(firstOf_[k], firstOf_[k + 1] - firstOf_[k]);
}

}  // namespace orvane
