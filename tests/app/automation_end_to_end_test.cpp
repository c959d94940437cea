// The program (as orvane-testbed, with its test hooks) under the tests'
// private session bus: a client's request starts it with "-Embedding", the
// object holds it open, and the client's last release (or its leaving the
// bus) ends it.
#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QProcess>
#include <filesystem>

#include "automation_bus.h"
#include "test_support.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;

const QString kBusName = QStringLiteral("Orvane.Application");

class EndToEndTest : public ::testing::Test {
 protected:
  void TearDown() override { PrivateBus::Instance().EndStartedPrograms(); }

  // A new instance through the class factory, with the process behind it.
  struct Started {
    BusClient::Instance instance;
    unsigned pid = 0;
  };
  static Started Create(BusClient& client) {
    QString error;
    std::optional<BusClient::Instance> instance = client.CreateInstance(&error);
    EXPECT_TRUE(instance.has_value()) << error.toStdString();
    if (!instance) return {};
    return {*instance, client.ProcessOf(instance->service)};
  }
};

TEST_F(EndToEndTest, CreateInstanceStartsTheProgramEmbeddedAndReleaseEndsIt) {
  BusClient client(QStringLiteral("client-a"));
  Started started = Create(client);
  ASSERT_NE(started.pid, 0u);
  EXPECT_EQ(started.instance.objectPath, QStringLiteral("/Orvane/Application/Object"));
  EXPECT_EQ(CommandLineOf(started.pid), std::string(ORVANE_EXECUTABLE) + " -Embedding");
  // Single use: the name is free again for a further instance.
  EXPECT_FALSE(client.HasOwner(kBusName));
  EXPECT_TRUE(client.HookAnswersTrue(started.instance.service, "DialogVisible"));
  // An automation start leaves the registration alone.
  EXPECT_TRUE(fs::is_empty(PrivateBus::Instance().ActivatedDataHome()));

  EXPECT_EQ(client.Reference(started.instance, "Release"), 0);
  EXPECT_TRUE(client.WaitForEnd(started.instance.service, started.pid));
}

TEST_F(EndToEndTest, ExitEscapeAndCloseBoxOnlyHideTheDialogWhileTheObjectLives) {
  BusClient client(QStringLiteral("client-a"));
  Started started = Create(client);
  ASSERT_NE(started.pid, 0u);
  const QString& program = started.instance.service;

  client.Hook(program, "PressExit");
  EXPECT_FALSE(client.HookAnswersTrue(program, "DialogVisible"));
  EXPECT_TRUE(client.HasOwner(program));
  client.Hook(program, "PressEscape");
  client.Hook(program, "PressCloseBox");
  EXPECT_TRUE(client.HasOwner(program));
  EXPECT_FALSE(ProcessGone(started.pid));

  EXPECT_EQ(client.Reference(started.instance, "Release"), 0);
  EXPECT_TRUE(client.WaitForEnd(program, started.pid));
}

TEST_F(EndToEndTest, SecondClientGetsASecondInstance) {
  BusClient first(QStringLiteral("client-a"));
  BusClient second(QStringLiteral("client-b"));
  Started one = Create(first);
  Started two = Create(second);
  ASSERT_NE(one.pid, 0u);
  ASSERT_NE(two.pid, 0u);
  EXPECT_NE(one.pid, two.pid);
  EXPECT_NE(one.instance.service, two.instance.service);

  EXPECT_EQ(second.Reference(two.instance, "Release"), 0);
  EXPECT_TRUE(second.WaitForEnd(two.instance.service, two.pid));
  EXPECT_TRUE(first.HasOwner(one.instance.service));
  EXPECT_EQ(first.Reference(one.instance, "Release"), 0);
  EXPECT_TRUE(first.WaitForEnd(one.instance.service, one.pid));
}

TEST_F(EndToEndTest, ReferencesAreCountedPerClientAndOnlyTheirHolderReleasesThem) {
  BusClient holder(QStringLiteral("client-a"));
  BusClient other(QStringLiteral("client-b"));
  Started started = Create(holder);
  ASSERT_NE(started.pid, 0u);
  EXPECT_EQ(holder.Reference(started.instance, "AddRef"), 2);
  EXPECT_EQ(other.Reference(started.instance, "Release"), -1);
  EXPECT_EQ(other.Reference(started.instance, "AddRef"), 3);
  EXPECT_EQ(other.Reference(started.instance, "Release"), 2);
  EXPECT_EQ(holder.Reference(started.instance, "Release"), 1);
  EXPECT_TRUE(holder.HasOwner(started.instance.service));
  EXPECT_EQ(holder.Reference(started.instance, "Release"), 0);
  EXPECT_TRUE(other.WaitForEnd(started.instance.service, started.pid));
}

TEST_F(EndToEndTest, ClientLeavingTheBusReleasesItsReferences) {
  BusClient watcher(QStringLiteral("watcher"));
  BusClient client(QStringLiteral("client-a"));
  Started started = Create(client);
  ASSERT_NE(started.pid, 0u);
  EXPECT_EQ(client.Reference(started.instance, "AddRef"), 2);
  client.Leave();
  EXPECT_TRUE(watcher.WaitForEnd(started.instance.service, started.pid));
}

TEST_F(EndToEndTest, ReleaseWhileTheAboutBoxIsOpenLeavesTheProgramToTheUser) {
  BusClient client(QStringLiteral("client-a"));
  Started started = Create(client);
  ASSERT_NE(started.pid, 0u);
  const QString& program = started.instance.service;
  client.Hook(program, "OpenAboutBox");
  ASSERT_TRUE(client.HookAnswersTrue(program, "ModalWindowOpen"));

  EXPECT_EQ(client.Reference(started.instance, "Release"), 0);
  client.Hook(program, "CloseModalWindow");
  EXPECT_TRUE(client.HookAnswersTrue(program, "DialogVisible"));
  EXPECT_FALSE(client.HookAnswersTrue(program, "ModalWindowOpen"));
  EXPECT_FALSE(ProcessGone(started.pid));
  // Under the user's control, EXIT ends it as for any start.
  client.Hook(program, "PressExit");
  EXPECT_TRUE(client.WaitForEnd(program, started.pid));
}

TEST_F(EndToEndTest, ProgramStartedByTheUserRegistersAndServesNoObject) {
  ScratchDir dataHome;
  BusClient client(QStringLiteral("client-a"));
  QProcess user;
  user.setProcessEnvironment(PrivateBus::Instance().ProgramEnvironment(dataHome.path()));
  user.setProcessChannelMode(QProcess::ForwardedChannels);
  user.start(QStringLiteral(ORVANE_EXECUTABLE), {});
  ASSERT_TRUE(user.waitForStarted(10000));
  const auto userPid = static_cast<unsigned>(user.processId());
  const QString userConnection = client.WaitForConnectionOf(userPid);
  ASSERT_FALSE(userConnection.isEmpty());
  ASSERT_TRUE(client.HookAnswersTrue(userConnection, "DialogVisible"));
  EXPECT_FALSE(client.HasOwner(kBusName));

  // The user start wrote the class's registration and activation file.
  const fs::path activationFile = dataHome.path() / "dbus-1/services/Orvane.Application.service";
  EXPECT_EQ(
      ReadFile(activationFile.string()),
      std::string("[D-BUS Service]\nName=Orvane.Application\nExec=") + ORVANE_EXECUTABLE + " -Embedding\n");
  EXPECT_TRUE(fs::exists(dataHome.path() / "orvane/classes/Orvane.Application/CLSID/@"));

  // A request starts a further instance, which serves it.
  Started started = Create(client);
  ASSERT_NE(started.pid, 0u);
  EXPECT_NE(started.pid, userPid);
  EXPECT_EQ(client.Reference(started.instance, "Release"), 0);
  EXPECT_TRUE(client.WaitForEnd(started.instance.service, started.pid));

  client.Hook(userConnection, "PressExit");
  EXPECT_TRUE(user.waitForFinished(20000));
  EXPECT_EQ(user.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(user.exitCode(), 0);
}

}  // namespace
}  // namespace orvane::testing
