// The public Convert command: one run of the engine per request.
#include "orvane/convert.h"

#include "convert/pulse_converter.h"

namespace orvane {

Outcome Convert(const ConversionRequest& request, ConversionReporter& reporter) {
  CPulseFileConverter run(reporter);
  run.m_strFileName = request.fileName;
  run.m_bToAscii = request.direction == Direction::ToText ? 1 : 0;
  run.m_bHeaders = request.labelled ? 1 : 0;
  run.m_nThreads = request.threads != 0 ? request.threads : DefaultThreadCount();
  run.m_strOutputDir = request.outputDir;
  run.m_bKeepPartial = request.keepPartial;
  run.OnConvert();
  return run.RunOutcome();
}

}  // namespace orvane
