// Runs one command and prints what it cost, as one line:
//   <wall s> <CPU s, user + system> <peak RSS in KiB> <bytes read (rchar)> <bytes written (wchar)> <exit
//   status>
// The counters come from the child itself: its rusage, and its /proc/<pid>/io
// read while it is a zombie (waitid with WNOWAIT), before it is reaped. The
// child's standard output is discarded so that it cannot mix with the line.
//
// Usage: measure_run COMMAND [ARGS...]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct IoCounters {
  unsigned long long rchar = 0;
  unsigned long long wchar = 0;
};

IoCounters ReadIoCounters(pid_t pid) {
  IoCounters io;
  std::string path = "/proc/" + std::to_string(pid) + "/io";
  FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return io;
  char key[64];
  unsigned long long value;
  while (std::fscanf(f, "%63[^:]: %llu ", key, &value) == 2) {
    if (std::strcmp(key, "rchar") == 0) io.rchar = value;
    if (std::strcmp(key, "wchar") == 0) io.wchar = value;
  }
  std::fclose(f);
  return io;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s COMMAND [ARGS...]\n", argv[0]);
    return 2;
  }
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    return 2;
  }
  if (pid == 0) {
    int devnull = open("/dev/null", O_WRONLY);
    if (devnull >= 0) dup2(devnull, STDOUT_FILENO);
    execvp(argv[1], argv + 1);
    std::perror(argv[1]);
    _exit(127);
  }
  siginfo_t info{};
  if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0) {
    std::perror("waitid");
    return 2;
  }
  auto end = std::chrono::steady_clock::now();
  IoCounters io = ReadIoCounters(pid);
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) {
    std::perror("wait4");
    return 2;
  }
  int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  std::printf("%.6f %.6f %ld %llu %llu %d\n", std::chrono::duration<double>(end - start).count(),
              seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_maxrss, io.rchar, io.wchar,
              exitCode);
  return 0;
}
