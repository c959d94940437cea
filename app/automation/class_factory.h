// The class factory on the session bus. While the program serves its class
// it owns the bus name "Orvane.Application" and answers CreateInstance at
// /Orvane/Application. It serves one object only: having created it, it
// gives the name up, so that the bus starts a further instance of the
// program for the next client. A request that reached this instance before
// the name was given up finds no factory any more (the bus's unknown-object
// error) and may simply be repeated.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <memory>

#include "class_ids.h"

namespace orvane::automation {

class AutomationObject;

class ClassFactory : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", ORVANE_FACTORY_INTERFACE)
  Q_CLASSINFO("D-Bus Introspection", "  <interface name=\"" ORVANE_FACTORY_INTERFACE
                                     "\">\n"
                                     "    <annotation name=\"Orvane.ClassId\" value=\"" ORVANE_CLASS_ID
                                     "\"/>\n"
                                     "    <method name=\"CreateInstance\">\n"
                                     "      <arg name=\"object\" type=\"o\" direction=\"out\"/>\n"
                                     "    </method>\n"
                                     "  </interface>\n")

 public:
  explicit ClassFactory(QDBusConnection bus);
  ~ClassFactory() override;

  // Serves the factory and takes the bus name; false (and nothing served)
  // when there is no bus or another program holds the name.
  bool Register();
  bool IsRegistered() const { return registered_; }
  // Stops serving the factory and gives the name up.
  void Revoke();

 public Q_SLOTS:
  // Creates the automation object with one reference for the caller and
  // answers its path; the object is served on this program's own
  // connection, which is the sender of the answer.
  Q_SCRIPTABLE QDBusObjectPath CreateInstance();

 private:
  QDBusConnection bus_;
  bool registered_ = false;
  std::unique_ptr<AutomationObject> object_;
};

}  // namespace orvane::automation
