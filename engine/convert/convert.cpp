// The public Convert command: one run of the engine per request.
#include "orvane/convert.h"

#include "convert/base_name.h"
#include "convert/drivers.h"

namespace orvane {

void OnConvert(const ConversionRequest& request, RunReport& report) {
  if (request.fileName.empty()) {
    report.RequireFileName();
    return;
  }
  const std::string baseName = DeriveBaseName(request.fileName);
  report.SetProgress(1);
  if (request.direction == Direction::ToText) {
    ExportToAscii(request, baseName, report);
  } else {
    ImportFromAscii(request, baseName, report);
  }
}

Outcome Convert(const ConversionRequest& request, ConversionReporter& reporter) {
  RunReport report(reporter);
  OnConvert(request, report);
  return report.Result();
}

}  // namespace orvane
