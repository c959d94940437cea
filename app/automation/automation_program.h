// The running program as the automation layer sees it: the window that a
// new automation object ties itself to, and the count of live objects that
// holds an automation start open. The program's start-up provides it.
#pragma once

#include "host/automation_host.h"

namespace orvane::automation {

class AutomationProgram {
 public:
  // The program that serves automation requests now, or null.
  static AutomationProgram* Current();

  // The main window while its modal run lasts, otherwise null.
  virtual orvane::host::AutomationHost* AutomationWindow() const = 0;
  // The count of live automation objects up and down; the last one gone
  // may end the program.
  virtual void LockApp() = 0;
  virtual void UnlockApp() = 0;

 protected:
  AutomationProgram();
  virtual ~AutomationProgram();
  AutomationProgram(const AutomationProgram&) = delete;
  AutomationProgram& operator=(const AutomationProgram&) = delete;
};

}  // namespace orvane::automation

// The lock count of the running program (nothing when none runs).
void AfxOleLockApp();
void AfxOleUnlockApp();
