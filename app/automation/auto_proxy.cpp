#include "auto_proxy.h"

#include "orvane_app.h"
#include "orvane_dlg.h"

COrvaneDlgAutoProxy::COrvaneDlgAutoProxy() {
  AfxOleLockApp();
  // While the dialog's modal run lasts it is the application's main window;
  // requests are served only from that run.
  COrvaneApp* app = COrvaneApp::Current();
  m_pOwner = app != nullptr ? app->m_pMainWnd : nullptr;
  if (m_pOwner != nullptr) m_pOwner->m_pProxy = this;
}

COrvaneDlgAutoProxy::~COrvaneDlgAutoProxy() {
  if (m_pOwner != nullptr) m_pOwner->m_pProxy = nullptr;
  AfxOleUnlockApp();
}

unsigned long COrvaneDlgAutoProxy::ExternalAddRef() { return ++m_dwRef; }

unsigned long COrvaneDlgAutoProxy::ExternalRelease() {
  if (m_dwRef == 0) return 0;
  if (--m_dwRef > 0) return m_dwRef;
  OnFinalRelease();
  return 0;
}

void COrvaneDlgAutoProxy::OnFinalRelease() { delete this; }
