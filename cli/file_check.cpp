#include "file_check.h"

namespace orvane::cli {

std::shared_ptr<const PulseFileView> OpenForReading(const std::string& spf, std::string* failure) {
  Outcome why;
  auto view = PulseFileView::Open(spf, PulseFileView::Verify::Full, &why);
  if (!view) *failure = why.reason.empty() ? why.message : why.message + ": " + why.reason;
  return view;
}

}  // namespace orvane::cli
