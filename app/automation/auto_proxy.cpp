#include "auto_proxy.h"

#include "automation_program.h"

COrvaneDlgAutoProxy::COrvaneDlgAutoProxy() {
  AfxOleLockApp();
  // While the dialog's modal run lasts it is the program's main window;
  // requests are served only from that run.
  auto* program = orvane::automation::AutomationProgram::Current();
  m_pOwner = program != nullptr ? program->AutomationWindow() : nullptr;
  if (m_pOwner != nullptr) m_pOwner->SetAutomationObject(this);
}

COrvaneDlgAutoProxy::~COrvaneDlgAutoProxy() {
  if (m_pOwner != nullptr) m_pOwner->SetAutomationObject(nullptr);
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
