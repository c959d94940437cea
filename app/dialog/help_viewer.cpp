#include "help_viewer.h"

#include <QUrl>

#include "program_resources.h"

namespace orvane::gui {

CHelpViewer::CHelpViewer(QWidget* owner) : QTextBrowser(owner) {
  EnsureProgramResources();
  setWindowFlags(Qt::Window);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Tessary Help"));
  setWindowIcon(LoadProgramIcon());
  setOpenExternalLinks(false);
  setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
  resize(560, 480);
}

}  // namespace orvane::gui
