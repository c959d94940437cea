#include "run/byte_progress.h"

#include <sys/stat.h>

#include <algorithm>

#include "io/file_system.h"
#include "orvane/pulse_file.h"
#include "convert/record_kind.h"

namespace orvane {

ByteProgress::ByteProgress(ConversionReporter& reporter, uint64_t total, uint64_t done)
    : reporter_(reporter), total_(total), done_(done), nextReport_(done + kStep) {
  reporter_.ReportBytes(done, total_);
}

void ByteProgress::Add(uint64_t n) {
  const uint64_t done = done_ += n;
  uint64_t next = nextReport_.load();
  // One thread reports each step that is passed; the others go on.
  if (done >= next && nextReport_.compare_exchange_strong(next, done + kStep))
    reporter_.ReportBytes(total_ != 0 ? std::min(done, total_) : done, total_);
}

ReadCredit::ReadCredit(ByteProgress* progress, io::File& file, uint64_t start, uint64_t end)
    : progress_(progress), file_(file), credited_(start), end_(std::max(start, end)) {
  if (progress_ != nullptr) file_.WatchReads([this](uint64_t position) { Reached(position); });
}

ReadCredit::~ReadCredit() {
  if (progress_ == nullptr) return;
  file_.WatchReads({});
  Reached(end_);
}

void ReadCredit::Reached(uint64_t position) {
  position = std::min(position, end_);
  if (position <= credited_) return;
  progress_->Add(position - credited_);
  credited_ = position;
}

uint64_t RecordTextBytes(const std::string& baseName, const PulseFileHeader& header) {
  constexpr uint64_t kMostFiles = 1 << 16;
  if (header.EntryCount() > kMostFiles) return 0;
  uint64_t total = 0;
  const std::pair<const RecordKind&, uint32_t> kinds[] = {
      {kTRecord, header.TCount()}, {kRRecord, header.RCount()}, {kIRecord, header.ICount()}};
  for (const auto& [kind, count] : kinds) {
    for (uint32_t n = 0; n < count; ++n) {
      // Through the file layer's file system, as the import reads them. The
      // import fails at the first missing text, so the count stops there
      // too: a header that declares thousands of records costs nothing.
      struct stat st;
      if (io::CurrentFileSystem().Stat(kind.TextFileName(baseName, n), &st) != 0) break;
      total += static_cast<uint64_t>(st.st_size);
    }
  }
  return total;
}

}  // namespace orvane
