// Where orvane-cli writes: results on standard output, messages on standard
// error, and, while a run goes on and standard error is a terminal, one
// progress line on standard error that is rewritten in place.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

namespace orvane::cli {

class Console {
 public:
  using Clock = std::chrono::steady_clock;

  // showProgress: draw the progress line at all; delay: how long a batch
  // runs before the line first appears, so quick runs stay quiet; total:
  // the files of the batch.
  Console(std::FILE* out, std::FILE* err, bool showProgress, std::chrono::milliseconds delay, size_t total);
  ~Console();

  // Called from any run's thread: the protocol step of a run (0 to 9), and
  // the bytes of its input done of the total (0: not known).
  void Progress(const std::string& name, int position);
  void Bytes(const std::string& name, uint64_t done, uint64_t total);
  // A run's work is over; its bytes count as done.
  void RunEnded(const std::string& name);
  // Writes the whole output of one run and counts it as done.
  void Emit(const std::string& out, const std::string& err);
  // Writes a line on standard error at once, while a run goes on.
  void Notice(const std::string& line);
  // Removes the progress line, if one is shown.
  void Finish();

  // The line as drawn at now; public so that its form can be checked.
  std::string ProgressLine(Clock::time_point now) const;

 private:
  struct Running {
    int position = 0;
    uint64_t done = 0;
    uint64_t total = 0;
  };
  void Draw();
  void ClearLine();

  std::mutex mutex_;
  std::FILE* out_;
  std::FILE* err_;
  bool showProgress_;
  Clock::time_point start_;
  Clock::time_point firstDraw_;
  Clock::time_point lastDraw_{};
  size_t total_;
  size_t done_ = 0;
  std::map<std::string, Running> running_;
  uint64_t endedBytes_ = 0;  // bytes of the runs that have ended
  bool lineShown_ = false;
};

// True when standard error is a terminal.
bool ErrorIsTerminal();

}  // namespace orvane::cli
