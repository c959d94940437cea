#include "program_resources.h"

// Q_INIT_RESOURCE has to be used outside any namespace.
static void InitOrvaneResources() { Q_INIT_RESOURCE(orvane); }

namespace orvane::gui {

void EnsureProgramResources() {
  static const bool registered = [] {
    InitOrvaneResources();
    return true;
  }();
  (void)registered;
}

QIcon LoadProgramIcon() {
  EnsureProgramResources();
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/orvane-32.xpm"), QSize(32, 32));
  icon.addFile(QStringLiteral(":/icons/orvane-16.xpm"), QSize(16, 16));
  return icon;
}

}  // namespace orvane::gui
