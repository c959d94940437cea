// Reading an import's text without writing: the header text with its
// diagnostics, the check of a whole text set, and the refusal of a strict
// import whose text has diagnostics.
#include "convert/base_name.h"
#include "convert/drivers.h"
#include "orvane/convert.h"
#include "text/header_lines.h"

namespace orvane {

namespace {

// Passes a check's diagnostics and stop requests on to the run it serves,
// and nothing else: the check's statuses and progress are not the run's.
class DiagnosticsOnly final : public ConversionReporter {
 public:
  explicit DiagnosticsOnly(RunReport& run) : run_(run) {}
  void ShowStatus(const std::string&) override {}
  void SetProgressPosition(int) override {}
  void ShowDiagnostic(const TextDiagnostic& diagnostic) override { run_.Diagnose(diagnostic); }
  bool StopRequested() override { return run_.Stop() != nullptr && run_.Stop()->Requested(); }

 private:
  RunReport& run_;
};

}  // namespace

bool ReadHeaderText(TextSource& pfh, PulseFileHeader& header, bool labelled, RunReport& report) {
  const auto& fields = format::kFileHeader.fields;
  LineFindings findings;
  pfh.lineNumber = 1;
  LineStatus first = ReadTextLine(pfh.name, pfh.file.get(), pfh.line, report);
  if (first == LineStatus::ReadError) return false;
  const bool magic = ReadHeaderLine(pfh.line, fields[0], header.bytes.data(), labelled);
  // An empty file says nothing a diagnostic could add to its failure.
  if (first == LineStatus::Delivered && !DiagnoseByteOrderMark(pfh, report)) {
    FindInHeaderLine(pfh.line, fields[0], header.bytes.data(), labelled, magic, nullptr, findings);
    Diagnose(pfh, fields[0].label, findings, report);
  }
  if (!magic) {
    report.ReportStatus(Failure::AsciiReadError, pfh.name.c_str());
    return false;
  }
  if (header.Magic() != format::kMagic) {
    report.ReportStatus(Failure::InvalidMagicNumber);
    return false;
  }
  if (!labelled) report.StepProgress();
  for (size_t i = 1; i < fields.size(); ++i) {
    if (!NextLine(pfh, report)) return false;
    const bool matched = ReadHeaderLine(pfh.line, fields[i], header.bytes.data(), labelled);
    FindInHeaderLine(pfh.line, fields[i], header.bytes.data(), labelled, matched, nullptr, findings);
    Diagnose(pfh, fields[i].label, findings, report);
    if (!matched) {
      report.ReportStatus(Failure::AsciiReadErrorAtLine, pfh.name.c_str(), pfh.lineNumber);
      return false;
    }
  }
  if (const LinesAfterEnd after = ReadLinesAfterEnd(pfh, pfh.file->Size()); after.count > 0)
    DiagnoseLinesAfterEnd(pfh, after, "the " + std::to_string(fields.size()) + " header lines", report);
  return true;
}

void CheckTextSet(const ConversionRequest& request, const std::string& baseName, RunReport& report) {
  TextSource pfh;
  if (!OpenHeaderText(baseName, pfh, report)) return;
  PulseFileHeader header;
  if (!ReadHeaderText(pfh, header, request.labelled, report)) return;
  if (header.EntryCount() >= format::kOffsetLimit || header.TableEnd() > format::kOffsetLimit) {
    report.ReportStatus(Failure::InvalidRecordCount);
    return;
  }
  const RecordRun run{baseName, request.labelled, request.outputDir, nullptr, nullptr};
  const std::pair<const RecordDescription*, uint32_t> kinds[] = {{&format::kTRecord, header.TCount()},
                                                                 {&format::kRRecord, header.RCount()},
                                                                 {&format::kIRecord, header.ICount()}};
  for (const auto& [kind, count] : kinds) {
    for (uint32_t n = 0; n < count; ++n) {
      if (report.CheckStop()) return;
      ImportRecord(*kind, run, nullptr, n, report);
      if (report.Failed()) return;
    }
  }
}

bool TextIsExact(const ConversionRequest& request, const std::string& baseName, RunReport& report) {
  DiagnosticsOnly forward(report);
  RunReport check(forward);
  check.SetSubject(baseName + ".pfh");
  CheckTextSet(request, baseName, check);
  if (check.Failed()) {
    report.Report(check.Result());
    return false;
  }
  if (check.DiagnosticCount() == 0) return true;
  report.ReportStatus(Failure::TextNotExact, check.FirstDiagnosedFile().c_str());
  return false;
}

Outcome CheckText(const ConversionRequest& request, ConversionReporter& reporter) {
  RunReport report(reporter);
  if (request.fileName.empty()) {
    report.RequireFileName();
    return report.Result();
  }
  const std::string baseName = DeriveBaseName(request.fileName);
  report.SetSubject(baseName + ".pfh");
  CheckTextSet(request, baseName, report);
  return report.Result();
}

}  // namespace orvane
