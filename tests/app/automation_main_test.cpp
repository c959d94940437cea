// The automation tests run in an application with the private session bus
// as its own session bus, so that a start-up inside the tests registers there.
#include <gtest/gtest.h>

#include <cstdio>

#include <QApplication>

#include "automation_bus.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  orvane::testing::PrivateBus bus;
  const QString address = bus.Address();
  if (address.isEmpty()) {
    std::fprintf(stderr, "the private session bus could not be started\n");
    return 1;
  }
  qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
  qunsetenv("DBUS_STARTER_ADDRESS");
  qunsetenv("DBUS_STARTER_BUS_TYPE");
  return RUN_ALL_TESTS();
}
