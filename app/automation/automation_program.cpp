#include "automation_program.h"

namespace orvane::automation {

namespace {
AutomationProgram* g_pCurrentProgram = nullptr;
}

AutomationProgram::AutomationProgram() { g_pCurrentProgram = this; }

AutomationProgram::~AutomationProgram() {
  if (g_pCurrentProgram == this) g_pCurrentProgram = nullptr;
}

AutomationProgram* AutomationProgram::Current() { return g_pCurrentProgram; }

}  // namespace orvane::automation

void AfxOleLockApp() {
  if (auto* program = orvane::automation::AutomationProgram::Current()) program->LockApp();
}

void AfxOleUnlockApp() {
  if (auto* program = orvane::automation::AutomationProgram::Current()) program->UnlockApp();
}
