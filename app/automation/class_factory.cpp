#include "class_factory.h"

#include <QDBusMessage>

#include "automation_object.h"
#include "automation_program.h"

namespace orvane::automation {

ClassFactory::ClassFactory(QDBusConnection bus) : bus_(std::move(bus)) {}

ClassFactory::~ClassFactory() {
  Revoke();
  // A live object goes with the program; its references end with it.
  object_.reset();
}

bool ClassFactory::Register() {
  if (registered_) return true;
  if (!bus_.isConnected()) return false;
  if (!bus_.registerObject(kFactoryPath, this, QDBusConnection::ExportScriptableSlots)) return false;
  if (!bus_.registerService(kBusName)) {
    bus_.unregisterObject(kFactoryPath);
    return false;
  }
  registered_ = true;
  return true;
}

void ClassFactory::Revoke() {
  if (!registered_) return;
  registered_ = false;
  bus_.unregisterService(kBusName);
  bus_.unregisterObject(kFactoryPath);
}

QDBusObjectPath ClassFactory::CreateInstance() {
  // Only the dialog's modal run serves requests; without the dialog there is
  // nothing for an object to hold open.
  AutomationProgram* program = AutomationProgram::Current();
  if (program == nullptr || program->AutomationWindow() == nullptr) {
    sendErrorReply(QStringLiteral("Orvane.Application.Error.NotReady"),
                   QStringLiteral("The program is not running its main dialog"));
    return {};
  }
  object_ = std::make_unique<AutomationObject>(bus_);
  if (!object_->Create(message().service())) {
    object_.reset();
    sendErrorReply(QDBusError::Failed, QStringLiteral("The object could not be served"));
    return {};
  }
  // One object per program instance: the next client gets a new instance.
  Revoke();
  return QDBusObjectPath(kObjectPath);
}

}  // namespace orvane::automation
