// The automation object on the session bus: /Orvane/Application/Object with
// AddRef and Release only. It keeps account of the references each client
// holds, so that a client leaving the bus releases every reference it held.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <map>

#include "class_ids.h"

class COrvaneDlgAutoProxy;

namespace orvane::automation {

class AutomationObject : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", ORVANE_OBJECT_INTERFACE)
  Q_CLASSINFO("D-Bus Introspection",
              "  <interface name=\"" ORVANE_OBJECT_INTERFACE
              "\">\n"
              "    <annotation name=\"Orvane.InterfaceId\" value=\"" ORVANE_INTERFACE_ID
              "\"/>\n"
              "    <method name=\"AddRef\">\n"
              "      <arg name=\"count\" type=\"u\" direction=\"out\"/>\n"
              "    </method>\n"
              "    <method name=\"Release\">\n"
              "      <arg name=\"count\" type=\"u\" direction=\"out\"/>\n"
              "    </method>\n"
              "  </interface>\n")

 public:
  explicit AutomationObject(QDBusConnection bus);
  ~AutomationObject() override;

  // Creates the object with its first reference held by client and serves
  // it; false when it cannot be served.
  bool Create(const QString& client);
  bool IsAlive() const { return proxy_ != nullptr; }

 public Q_SLOTS:
  // The caller's reference count up or down; both answer the object's count.
  Q_SCRIPTABLE uint AddRef();
  Q_SCRIPTABLE uint Release();

 private Q_SLOTS:
  void OnClientGone(const QString& client);

 private:
  void AddReference(const QString& client);
  // Releases the client's references; the last release ends the object.
  void ReleaseReferences(const QString& client, unsigned count);
  void Withdraw();
  uint TotalReferences() const;

  QDBusConnection bus_;
  QDBusServiceWatcher clients_;
  COrvaneDlgAutoProxy* proxy_ = nullptr;
  std::map<QString, unsigned> references_;
};

}  // namespace orvane::automation
