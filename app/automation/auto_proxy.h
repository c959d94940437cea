// The automation object: it exists only to let a client start the program
// and hold it open, and has no methods or properties of its own. It and the
// main window point at each other. It owns itself through its reference
// count: the last release deletes it.
#pragma once

#include "host/automation_host.h"

class COrvaneDlgAutoProxy : public orvane::host::AutomationObjectLink {
 public:
  // Locks the program and ties the object to the program's main window.
  // Holds no reference yet; the first ExternalAddRef gives one to its creator.
  COrvaneDlgAutoProxy();
  COrvaneDlgAutoProxy(const COrvaneDlgAutoProxy&) = delete;
  COrvaneDlgAutoProxy& operator=(const COrvaneDlgAutoProxy&) = delete;

  // Counts a reference up or down and answers the new count. The release
  // that reaches zero runs OnFinalRelease, after which the object is gone.
  unsigned long ExternalAddRef();
  unsigned long ExternalRelease();

  // orvane::host::AutomationObjectLink
  void HostGone() override { m_pOwner = nullptr; }

  // The window this object belongs to; null once that window is gone.
  orvane::host::AutomationHost* m_pOwner = nullptr;

 protected:
  // Unties object and window and unlocks the program, which may end it.
  ~COrvaneDlgAutoProxy() override;
  // Deletes the object.
  virtual void OnFinalRelease();

 private:
  unsigned long m_dwRef = 0;
};
