#include "console.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "orvane/interruption.h"
#include "printable.h"

namespace orvane::cli {

namespace {

// About six refreshes a second: fast enough to look alive, rare enough to
// cost nothing.
constexpr auto kRedrawInterval = std::chrono::milliseconds(167);
constexpr int kLastProgressPosition = 9;
constexpr double kMega = 1e6;

std::string Megabytes(uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / kMega);
  return text;
}

std::string Duration(double seconds) {
  const auto whole = static_cast<long long>(seconds + 0.5);
  char text[32];
  if (whole >= 3600)
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
  else
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  return text;
}

// The columns of the terminal on standard error; 80 when unknown.
size_t TerminalWidth() {
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace

Console::Console(std::FILE* out, std::FILE* err, bool showProgress, std::chrono::milliseconds delay,
                 size_t total)
    : out_(out),
      err_(err),
      showProgress_(showProgress),
      start_(Clock::now()),
      firstDraw_(start_ + delay),
      total_(total) {}

Console::~Console() { Finish(); }

void Console::Progress(const std::string& name, int position) {
  if (!showProgress_) return;
  std::lock_guard lock(mutex_);
  running_[name].position = position;
  Draw();
}

void Console::Bytes(const std::string& name, uint64_t done, uint64_t total) {
  if (!showProgress_) return;
  std::lock_guard lock(mutex_);
  Running& run = running_[name];
  // Reports come from several threads and may arrive out of order.
  run.done = std::max(run.done, done);
  run.total = total;
  Draw();
}

void Console::RunEnded(const std::string& name) {
  if (!showProgress_) return;
  std::lock_guard lock(mutex_);
  auto it = running_.find(name);
  if (it == running_.end()) return;
  endedBytes_ += std::max(it->second.done, it->second.total);
  running_.erase(it);
}

void Console::Emit(const std::string& out, const std::string& err) {
  orvane::UninterruptedSection printing;
  std::lock_guard lock(mutex_);
  ClearLine();
  ++done_;
  if (!out.empty()) {
    std::fwrite(out.data(), 1, out.size(), out_);
    std::fflush(out_);
  }
  if (!err.empty()) {
    std::fwrite(err.data(), 1, err.size(), err_);
    std::fflush(err_);
  }
}

void Console::Notice(const std::string& line) {
  std::lock_guard lock(mutex_);
  ClearLine();
  std::fwrite(line.data(), 1, line.size(), err_);
  std::fflush(err_);
}

void Console::Finish() {
  std::lock_guard lock(mutex_);
  ClearLine();
}

// "[1/3] big.spf  120.5 of 480.2 MB  25%  210.4 MB/s  0:02 left", or the
// protocol step while the bytes are not known.
std::string Console::ProgressLine(Clock::time_point now) const {
  uint64_t done = 0, total = 0;
  bool sized = !running_.empty();
  for (const auto& [name, run] : running_) {
    done += std::min(run.done, run.total);
    total += run.total;
    sized = sized && run.total != 0;
  }
  std::string line = "[" + std::to_string(done_) + "/" + std::to_string(total_) + "]";
  if (running_.empty()) return line;
  line += " " + Printable(running_.begin()->first);
  if (running_.size() > 1) line += " (+" + std::to_string(running_.size() - 1) + ")";
  if (!sized) {
    if (running_.size() == 1)
      line += " " + std::to_string(running_.begin()->second.position) + "/" +
              std::to_string(kLastProgressPosition);
    return line;
  }
  line +=
      "  " + Megabytes(done) + " of " + Megabytes(total) + " MB  " + std::to_string(done * 100 / total) + "%";
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double speed = seconds > 0 ? static_cast<double>(done + endedBytes_) / seconds : 0;
  if (speed > 0) {
    char text[32];
    std::snprintf(text, sizeof text, "  %.1f MB/s", speed / kMega);
    line += text;
    line += "  " + Duration(static_cast<double>(total - done) / speed) + " left";
  }
  return line;
}

void Console::Draw() {
  const auto now = Clock::now();
  if (now < firstDraw_ || (lineShown_ && now - lastDraw_ < kRedrawInterval)) return;
  lastDraw_ = now;
  std::string line = ProgressLine(now);
  // A line longer than the terminal would wrap and could not be rewritten.
  const size_t width = TerminalWidth();
  if (line.size() >= width) line.resize(width - 1);
  std::fprintf(err_, "\r\033[K%s", line.c_str());
  std::fflush(err_);
  lineShown_ = true;
}

void Console::ClearLine() {
  if (!lineShown_) return;
  std::fputs("\r\033[K", err_);
  std::fflush(err_);
  lineShown_ = false;
}

bool ErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace orvane::cli
