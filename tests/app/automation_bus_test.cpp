// The automation tests' private bus and its clients (see automation_bus.h).
#include "automation_bus.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDeadlineTimer>
#include <QThread>
#include <QUuid>
#include <fstream>
#include <sstream>

namespace orvane::testing {

namespace fs = std::filesystem;

namespace {

constexpr int kCallTimeoutMs = 30000;
constexpr int kEndDeadlineMs = 20000;
constexpr char kTokenVariable[] = "ORVANE_TEST_BUS_TOKEN";

std::string ReadProcFile(unsigned pid, const char* name) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Lets the program's answers and signals in while waiting.
void Pause() {
  QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  QThread::msleep(20);
}

}  // namespace

static PrivateBus* g_pBus = nullptr;

std::string CommandLineOf(unsigned pid) {
  std::string text = ReadProcFile(pid, "cmdline");
  if (!text.empty() && text.back() == '\0') text.pop_back();
  for (char& c : text)
    if (c == '\0') c = ' ';
  return text;
}

bool ProcessGone(unsigned pid) {
  std::string stat = ReadProcFile(pid, "stat");
  if (stat.empty()) return true;
  size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

PrivateBus::PrivateBus() : token_(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
  g_pBus = this;
  fs::create_directories(dir_.path() / "services");
  fs::create_directories(ActivatedDataHome());
  WriteFile(
      (dir_.path() / "services" / "Orvane.Application.service").string(),
      std::string("[D-BUS Service]\nName=Orvane.Application\nExec=") + ORVANE_EXECUTABLE + " -Embedding\n");
  const std::string socket = (dir_.path() / "bus").string();
  WriteFile((dir_.path() / "bus.conf").string(),
            "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
            " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
            "<busconfig>\n"
            "  <type>session</type>\n"
            "  <listen>unix:path=" +
                socket +
                "</listen>\n"
                "  <servicedir>" +
                (dir_.path() / "services").string() +
                "</servicedir>\n"
                "  <policy context=\"default\">\n"
                "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                "    <allow eavesdrop=\"true\"/>\n"
                "    <allow own=\"*\"/>\n"
                "  </policy>\n"
                "</busconfig>\n");
  const QString address = QString::fromStdString("unix:path=" + socket);
  // Programs the bus starts inherit the daemon's environment.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(ActivatedDataHome().string()));
  environment.insert(QLatin1String(kTokenVariable), token_);
  daemon_.setProcessEnvironment(environment);
  daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  daemon_.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                 QString::fromStdString("--config-file=" + (dir_.path() / "bus.conf").string())});
  if (!daemon_.waitForStarted(10000)) return;
  QDeadlineTimer deadline(10000);
  while (!daemon_.canReadLine() && !deadline.hasExpired()) daemon_.waitForReadyRead(100);
  if (daemon_.canReadLine()) address_ = address;
}

PrivateBus::~PrivateBus() {
  g_pBus = nullptr;
  EndStartedPrograms();
  if (daemon_.state() != QProcess::NotRunning) {
    daemon_.kill();
    daemon_.waitForFinished(10000);
  }
}

QProcessEnvironment PrivateBus::ProgramEnvironment(const fs::path& dataHome) const {
  QProcessEnvironment environment = daemon_.processEnvironment();
  environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(dataHome.string()));
  return environment;
}

void PrivateBus::EndStartedPrograms() const {
  const std::string marker = std::string(kTokenVariable) + "=" + token_.toStdString();
  const auto daemonPid = static_cast<unsigned>(daemon_.processId());
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const auto pid = static_cast<unsigned>(std::stoul(name));
    if (pid == daemonPid || pid == static_cast<unsigned>(::getpid())) continue;
    std::string environ = ReadProcFile(pid, "environ");
    std::istringstream variables(environ);
    for (std::string variable; std::getline(variables, variable, '\0');)
      if (variable == marker) ::kill(static_cast<pid_t>(pid), SIGKILL);
  }
}

PrivateBus& PrivateBus::Instance() { return *g_pBus; }

BusClient::BusClient(const QString& name)
    : name_(name), connection_(QDBusConnection::connectToBus(PrivateBus::Instance().Address(), name)) {}

BusClient::~BusClient() { Leave(); }

void BusClient::Leave() {
  if (!connected_) return;
  connected_ = false;
  // The connection closes only when no object refers to it any more.
  connection_ = QDBusConnection(QStringLiteral("no connection"));
  QDBusConnection::disconnectFromBus(name_);
}

QDBusMessage BusClient::Call(const QString& service, const QString& path, const QString& interface,
                             const QString& method) {
  return connection_.call(QDBusMessage::createMethodCall(service, path, interface, method), QDBus::Block,
                          kCallTimeoutMs);
}

std::optional<BusClient::Instance> BusClient::CreateInstance(QString* error) {
  QDBusMessage answer =
      Call(QStringLiteral("Orvane.Application"), QStringLiteral("/Orvane/Application"),
           QStringLiteral("Orvane.Application.ClassFactory"), QStringLiteral("CreateInstance"));
  if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().size() != 1) {
    if (error != nullptr) *error = answer.errorName() + ": " + answer.errorMessage();
    return std::nullopt;
  }
  return Instance{answer.service(), qvariant_cast<QDBusObjectPath>(answer.arguments().front()).path()};
}

long long BusClient::Reference(const Instance& instance, const char* method) {
  QDBusMessage answer = Call(instance.service, instance.objectPath,
                             QStringLiteral("Orvane.Application.Object"), QLatin1String(method));
  if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().size() != 1) return -1;
  return answer.arguments().front().toUInt();
}

QDBusMessage BusClient::Hook(const QString& service, const char* method) {
  return Call(service, QStringLiteral("/Orvane/TestHooks"), QStringLiteral("Orvane.TestHooks"),
              QLatin1String(method));
}

bool BusClient::HookAnswersTrue(const QString& service, const char* method) {
  QDBusMessage answer = Hook(service, method);
  return answer.type() == QDBusMessage::ReplyMessage && answer.arguments().size() == 1 &&
         answer.arguments().front().toBool();
}

unsigned BusClient::ProcessOf(const QString& service) {
  QDBusReply<uint> pid = connection_.interface()->servicePid(service);
  return pid.isValid() ? pid.value() : 0;
}

bool BusClient::HasOwner(const QString& name) {
  QDBusReply<bool> owned = connection_.interface()->isServiceRegistered(name);
  return owned.isValid() && owned.value();
}

QString BusClient::OwnerOf(const QString& name) {
  QDBusReply<QString> owner = connection_.interface()->serviceOwner(name);
  return owner.isValid() ? owner.value() : QString();
}

bool BusClient::WaitForEnd(const QString& service, unsigned pid) {
  QDeadlineTimer deadline(kEndDeadlineMs);
  while (!deadline.hasExpired()) {
    if (!HasOwner(service) && (pid == 0 || ProcessGone(pid))) return true;
    Pause();
  }
  return false;
}

QString BusClient::WaitForConnectionOf(unsigned pid) {
  QDeadlineTimer deadline(kEndDeadlineMs);
  while (!deadline.hasExpired()) {
    QDBusReply<QStringList> names = connection_.interface()->registeredServiceNames();
    for (const QString& name : names.value())
      if (name.startsWith(QLatin1Char(':')) && ProcessOf(name) == pid) return name;
    Pause();
  }
  return {};
}

TEST(AutomationBusTest, PrivateBusIsUpAndNobodyServesTheClassYet) {
  ASSERT_FALSE(PrivateBus::Instance().Address().isEmpty());
  BusClient client(QStringLiteral("bus-check"));
  ASSERT_TRUE(client.Connection().isConnected());
  EXPECT_FALSE(client.HasOwner(QStringLiteral("Orvane.Application")));
}

}  // namespace orvane::testing
