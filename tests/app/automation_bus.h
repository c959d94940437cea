// The automation tests' own session bus: a private bus daemon whose services
// directory starts the test program orvane-testbed with "-Embedding", and
// the clients that talk to it. Every process the daemon starts carries a token in its
// environment, so that the bus's teardown can end each of them by its id.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>

#include "test_support.h"

namespace orvane::testing {

class PrivateBus {
 public:
  // Starts the daemon; Address() is empty when that failed.
  PrivateBus();
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  const QString& Address() const { return address_; }
  // The data home that programs started by the bus write to (they should not).
  std::filesystem::path ActivatedDataHome() const { return dir_.path() / "activated-data"; }
  // The environment for programs of the tests: this bus, offscreen and the
  // token.
  QProcessEnvironment ProgramEnvironment(const std::filesystem::path& dataHome) const;
  // Ends every process started on this bus's behalf, except the daemon.
  void EndStartedPrograms() const;

  // The bus of the test run (main owns it).
  static PrivateBus& Instance();

 private:
  ScratchDir dir_;
  QString token_;
  QString address_;
  QProcess daemon_;
};

// One client of the private bus with a connection of its own.
class BusClient {
 public:
  explicit BusClient(const QString& name);
  ~BusClient();
  BusClient(const BusClient&) = delete;
  BusClient& operator=(const BusClient&) = delete;

  QDBusConnection& Connection() { return connection_; }
  // Leaves the bus; every later call fails.
  void Leave();

  // Blocking call; the answer may be an error message.
  QDBusMessage Call(const QString& service, const QString& path, const QString& interface,
                    const QString& method);

  struct Instance {
    QString service;  // the serving program's own connection
    QString objectPath;
  };
  // CreateInstance on "Orvane.Application"; the error text when it failed.
  std::optional<Instance> CreateInstance(QString* error = nullptr);
  // AddRef or Release on the instance's object: the answered count, or -1
  // for an error answer.
  long long Reference(const Instance& instance, const char* method);
  // A hook of the program's test interface; the answer.
  QDBusMessage Hook(const QString& service, const char* method);
  bool HookAnswersTrue(const QString& service, const char* method);

  // The process behind a connection, or 0.
  unsigned ProcessOf(const QString& service);
  bool HasOwner(const QString& name);
  QString OwnerOf(const QString& name);
  // Waits until the connection has left the bus and its process is gone;
  // false when that did not happen within a generous deadline.
  bool WaitForEnd(const QString& service, unsigned pid);
  // Waits until a connection of process pid is on the bus; its name or "".
  QString WaitForConnectionOf(unsigned pid);

 private:
  QString name_;
  QDBusConnection connection_;
  bool connected_ = true;
};

// The command line of a process, its arguments joined with blanks.
std::string CommandLineOf(unsigned pid);
bool ProcessGone(unsigned pid);

}  // namespace orvane::testing
