// The two operations through which the conversion engine reaches whatever
// user interface runs it: a dialog, the command line, or a test recorder.
#pragma once

#include <string>

namespace orvane {

class ConversionReporter {
 public:
  virtual ~ConversionReporter() = default;
  // Shows the new status text at once.
  virtual void ShowStatus(const std::string& text) = 0;
  // Moves the progress indicator to position (0 to 9) at once.
  virtual void SetProgressPosition(int position) = 0;
};

}  // namespace orvane
