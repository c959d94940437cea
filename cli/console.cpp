#include "console.h"

#include <unistd.h>

namespace orvane::cli {

namespace {
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kLastProgressPosition = 9;
}  // namespace

Console::Console(std::FILE* out, std::FILE* err, bool showProgress, std::chrono::milliseconds delay,
                 size_t total)
    : out_(out),
      err_(err),
      showProgress_(showProgress),
      firstDraw_(std::chrono::steady_clock::now() + delay),
      total_(total) {}

Console::~Console() { Finish(); }

void Console::Progress(const std::string& name, int position) {
  if (!showProgress_) return;
  std::lock_guard lock(mutex_);
  auto now = std::chrono::steady_clock::now();
  if (now < firstDraw_ || (lineShown_ && now - lastDraw_ < kRedrawInterval)) return;
  lastDraw_ = now;
  std::fprintf(err_, "\r\033[K[%zu/%zu] %s %d/%d", done_, total_, name.c_str(), position,
               kLastProgressPosition);
  std::fflush(err_);
  lineShown_ = true;
}

void Console::Emit(const std::string& out, const std::string& err) {
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

void Console::Finish() {
  std::lock_guard lock(mutex_);
  ClearLine();
}

void Console::ClearLine() {
  if (!lineShown_) return;
  std::fputs("\r\033[K", err_);
  std::fflush(err_);
  lineShown_ = false;
}

bool ErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace orvane::cli
