// Where orvane-cli writes: results on standard output, messages on standard
// error, and, while a run goes on and standard error is a terminal, one
// progress line on standard error that is rewritten in place.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

namespace orvane::cli {

class Console {
 public:
  // showProgress: draw the progress line at all; delay: how long a batch
  // runs before the line first appears, so quick runs stay quiet.
  Console(std::FILE* out, std::FILE* err, bool showProgress, std::chrono::milliseconds delay,
          size_t total);
  ~Console();

  // Called from any run's thread whenever its progress position changes.
  void Progress(const std::string& name, int position);
  // Writes the whole output of one run and counts it as done.
  void Emit(const std::string& out, const std::string& err);
  // Removes the progress line, if one is shown.
  void Finish();

 private:
  void ClearLine();

  std::mutex mutex_;
  std::FILE* out_;
  std::FILE* err_;
  bool showProgress_;
  std::chrono::steady_clock::time_point firstDraw_;
  std::chrono::steady_clock::time_point lastDraw_{};
  size_t total_;
  size_t done_ = 0;
  bool lineShown_ = false;
};

// True when standard error is a terminal.
bool ErrorIsTerminal();

}  // namespace orvane::cli
