#include "viewer_launch.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <vector>

#include "orvane/convert.h"

namespace orvane::gui {

namespace {

// What a child reports back through the pipe: the started program's id,
// or the error of an exec that failed. One write each, well below the size
// a pipe writes whole.
struct StartReport {
  char what;  // 'P': value is the process id; 'E': value is errno of the exec
  qint64 value;
};

// Between fork() and exec() only async-signal-safe calls are made: this
// program has other threads, whose locks the child may have copied held.
void ResetSignalsInChild() {
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  for (int signal = 1; signal < NSIG; ++signal)
    if (signal != SIGKILL && signal != SIGSTOP) sigaction(signal, &standard, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

void ReportFromChild(int fd, char what, qint64 value) {
  const StartReport report{what, value};
  [[maybe_unused]] const ssize_t written = ::write(fd, &report, sizeof report);
}

// The child that starts the program and ends at once, so that the program
// belongs to no one here and leaves no zombie behind.
[[noreturn]] void StartInChild(const char* path, char* const* argv, int reportFd) {
  ResetSignalsInChild();
  ::setsid();
  const pid_t program = ::fork();
  if (program == 0) {
    ::execv(path, argv);
    ReportFromChild(reportFd, 'E', errno);
    ::_exit(127);
  }
  ReportFromChild(reportFd, 'P', program);
  ::_exit(program < 0 ? 1 : 0);
}

// The program's id as the children reported it; 0 when it did not start.
qint64 ReadReports(int fd) {
  qint64 program = 0;
  bool execFailed = false;
  StartReport report;
  for (;;) {
    const ssize_t got = ::read(fd, &report, sizeof report);
    if (got < 0 && errno == EINTR) continue;
    if (got != static_cast<ssize_t>(sizeof report)) break;  // the end: every copy of the pipe is closed
    if (report.what == 'P') program = report.value;
    if (report.what == 'E') execFailed = true;
  }
  return execFailed || program < 0 ? 0 : program;
}

}  // namespace

QString ViewerProgram() {
  const QDir here(QCoreApplication::applicationDirPath());
  for (const QString& candidate : {QStringLiteral("orvane-view"), QStringLiteral("viewer/orvane-view")}) {
    const QFileInfo program(here.filePath(candidate));
    if (program.isFile() && program.isExecutable()) return program.absoluteFilePath();
  }
  return {};
}

QStringList ViewerArguments(const std::string& fileNameBox) {
  if (fileNameBox.empty()) return {};
  const QString pulseFile = QString::fromStdString(orvane::DeriveBaseName(fileNameBox) + ".spf");
  return {QFileInfo(pulseFile).absoluteFilePath()};
}

qint64 StartDetached(const QString& program, const QStringList& arguments) {
  if (program.isEmpty()) return 0;
  // Everything the children use is made before fork().
  std::vector<QByteArray> words{QFile::encodeName(program)};
  for (const QString& argument : arguments) words.push_back(QFile::encodeName(argument));
  std::vector<char*> argv;
  for (QByteArray& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return 0;
  const pid_t child = ::fork();
  if (child == 0) StartInChild(argv[0], argv.data(), report[1]);
  ::close(report[1]);
  if (child < 0) {
    ::close(report[0]);
    return 0;
  }
  const qint64 started = ReadReports(report[0]);
  ::close(report[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return started;
}

bool StartDetachedProgram(const QString& program, const QStringList& arguments) {
  return StartDetached(program, arguments) > 0;
}

}  // namespace orvane::gui
