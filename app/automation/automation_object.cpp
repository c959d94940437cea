#include "automation_object.h"

#include <QDBusConnectionInterface>

#include "auto_proxy.h"

namespace orvane::automation {

AutomationObject::AutomationObject(QDBusConnection bus) : bus_(std::move(bus)) {
  clients_.setConnection(bus_);
  clients_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
  connect(&clients_, &QDBusServiceWatcher::serviceUnregistered, this, &AutomationObject::OnClientGone);
}

AutomationObject::~AutomationObject() {
  // Releases what the clients still hold, as their leaving would.
  while (!references_.empty()) {
    auto first = references_.begin();
    ReleaseReferences(first->first, first->second);
  }
}

bool AutomationObject::Create(const QString& client) {
  if (!bus_.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots)) return false;
  proxy_ = new COrvaneDlgAutoProxy();
  AddReference(client);
  return true;
}

uint AutomationObject::AddRef() {
  if (proxy_ == nullptr) return 0;
  AddReference(message().service());
  return TotalReferences();
}

uint AutomationObject::Release() {
  const QString client = message().service();
  auto held = references_.find(client);
  if (held == references_.end()) {
    sendErrorReply(QStringLiteral("Orvane.Application.Error.NoReference"),
                   QStringLiteral("The caller holds no reference to the object"));
    return 0;
  }
  ReleaseReferences(client, 1);
  return TotalReferences();
}

uint AutomationObject::TotalReferences() const {
  uint total = 0;
  for (const auto& [client, count] : references_) total += count;
  return total;
}

void AutomationObject::OnClientGone(const QString& client) {
  auto held = references_.find(client);
  if (held != references_.end()) ReleaseReferences(client, held->second);
}

void AutomationObject::AddReference(const QString& client) {
  auto [held, isNew] = references_.try_emplace(client, 0);
  ++held->second;
  proxy_->ExternalAddRef();
  if (!isNew) return;
  clients_.addWatchedService(client);
  // The client may have left before the watch began.
  if (bus_.interface() != nullptr && !bus_.interface()->isServiceRegistered(client).value())
    OnClientGone(client);
}

void AutomationObject::ReleaseReferences(const QString& client, unsigned count) {
  auto held = references_.find(client);
  if (held == references_.end()) return;
  held->second -= count;
  if (held->second == 0) {
    references_.erase(held);
    clients_.removeWatchedService(client);
  }
  for (; count > 0 && proxy_ != nullptr; --count)
    if (proxy_->ExternalRelease() == 0) Withdraw();
}

void AutomationObject::Withdraw() {
  // The final release has deleted the object.
  proxy_ = nullptr;
  bus_.unregisterObject(kObjectPath);
}

}  // namespace orvane::automation
