// The two ends of the tie between the main window and the automation object
// that holds it open. The dialog and the automation layer know each other
// only through these, so neither includes the other.
#pragma once

namespace orvane::host {

// The automation object as the window sees it.
class AutomationObjectLink {
 public:
  // The window is going away: the object must not reach it any more.
  virtual void HostGone() = 0;

 protected:
  virtual ~AutomationObjectLink() = default;
};

// The window an automation object holds open: while one is tied to it, the
// user can hide the window but not end it.
class AutomationHost {
 public:
  // Ties object to the window; null unties the current one.
  virtual void SetAutomationObject(AutomationObjectLink* object) = 0;

 protected:
  virtual ~AutomationHost() = default;
};

}  // namespace orvane::host
