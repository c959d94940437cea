// The conversion engine's run: the Convert command, the export and import
// drivers, the three record converters, the text line reader and the
// checksum seal. It holds the state one run works on and reaches its user
// interface only through a ConversionReporter. Front ends reach it through
// the public API (orvane/convert.h, orvane/pulse_power.h), never directly.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "io/file_io.h"
#include "orvane/convert.h"
#include "orvane/messages.h"
#include "orvane/reporter.h"
#include "text/text_line_reader.h"

namespace orvane {

class ByteProgress;
class StagedFiles;
struct RecordKind;
struct TextSource;

class CPulseFileConverter {
 public:
  explicit CPulseFileConverter(ConversionReporter& reporter);
  virtual ~CPulseFileConverter() = default;
  CPulseFileConverter(const CPulseFileConverter&) = delete;
  CPulseFileConverter& operator=(const CPulseFileConverter&) = delete;

  // The Convert command: derives the base name from m_strFileName and runs
  // the export (m_bToAscii == 1) or the import (any other value).
  void OnConvert();

  void ExportToAscii(std::string baseName);
  void ImportFromAscii(std::string baseName);

  // Appends the checksum word that brings the file's word sum to zero. With
  // a null file it opens baseName + ".spf" itself.
  void SealPulseFile(std::string baseName, io::File* file);

  void ExportTRecord(std::string baseName, io::File& binaryFile, uint32_t n);
  void ExportRRecord(std::string baseName, io::File& binaryFile, uint32_t n);
  void ExportIRecord(std::string baseName, io::File& binaryFile, uint32_t n);
  int ImportTRecord(std::string baseName, io::File& binaryFile, uint32_t n);
  int ImportRRecord(std::string baseName, io::File& binaryFile, uint32_t n);
  int ImportIRecord(std::string baseName, io::File& binaryFile, uint32_t n);

  // Pulse power: the GAIN of every T record of the pulse file named by
  // m_strFileName, in hundredths. GetPulsePower gives the text "Get Pulse
  // Power" shows (one "%d " per T record), or nothing when there is nothing
  // to show (the reason reported). SetPulsePower sets T records 0, 1, ...
  // from the integers of text, each record written and sealed by itself.
  std::optional<std::string> GetPulsePower(std::vector<int>* powers = nullptr);
  void SetPulsePower(const std::string& text);

  // Delivers the next line of a text file as exactly 120 characters and a
  // NUL: cut at 120, everything from '#' on dropped, padded with blanks. A
  // carriage return before the line feed belongs to the line end.
  LineStatus ReadTextLine(const std::string& fileName, io::File* file, char* line);

  // Formats the message of code into m_strStatus and shows it. Every
  // message but the success message reports a failure of the current run.
  void ReportStatus(Failure code, ...);
  // Shows a message already formatted, counting it as ReportStatus does.
  void Report(Failure code, const std::string& text, const std::string& reason = "");
  // "Binary seek error NAME", or the write failure a seek of file met.
  void ReportSeekFailure(const io::File& file, const std::string& name);
  void StepProgress(int k = 1);
  void ResetProgress();

  // The current run met a failure; its first message is kept.
  bool RunFailed() const { return m_bRunFailed; }
  // What the run ended with: its first failure, otherwise the last status
  // shown (the success message, or nothing).
  Outcome RunOutcome() const;

  std::string m_strFileName;
  int m_bToAscii = 1;
  int m_bHeaders = 1;
  std::string m_strStatus;
  int m_nProgress = 0;
  // Threads that convert the records of one run; 1 converts them one after
  // another on the calling thread. Messages and progress keep their order.
  unsigned m_nThreads = DefaultThreadCount();
  // Folder the new files go to; empty: beside the input.
  std::string m_strOutputDir;
  // An export puts its text files in place as they are complete, so that a
  // failed run leaves what it got; otherwise they go in place together, and
  // only when the whole run succeeded.
  bool m_bKeepPartial = false;
  // The export's complete text files waiting for the run's end; null: each
  // is put in place when it is complete.
  std::shared_ptr<StagedFiles> m_staged;
  // The name of a new file of the run: baseName + suffix, or in
  // m_strOutputDir under the base name without its folder.
  std::string OutputName(const std::string& baseName, const std::string& suffix) const;
  // The run's byte progress, shared with the converters of its records;
  // null: not counted.
  std::shared_ptr<ByteProgress> m_byteProgress;

  // Every message reported from now on is also kept, with its code.
  void KeepReports() { m_bKeepReports = true; }
  std::vector<Outcome> TakeReports() { return std::move(m_reports); }

 protected:
  // Starts a run: forgets the failures of the previous one.
  void BeginRun();
  // Ends a run: the success message after a run without failures,
  // otherwise the run's first failure once more.
  void ReportCompletion();
  // "File name required": shown, not counted as a failure of a run.
  void RequireFileName();

 private:
  friend struct RecordConverters;
  bool NextLine(TextSource& source);
  void ExportRecord(const RecordKind& kind, const std::string& baseName, io::File& binaryFile, uint32_t n);
  int ImportRecord(const RecordKind& kind, const std::string& baseName, io::File& binaryFile, uint32_t n);
  // The end of an export: its staged text files in place after a run
  // without failures, removed after any other.
  void PutStagedFilesInPlace();
  bool ExportHeaderPhase(const std::string& spf, io::File& binary, struct PulseFileHeader& header);
  bool ReadHeaderText(TextSource& pfh, struct PulseFileHeader& header);
  bool ImportRecords(const std::string& baseName, const std::string& spf, io::File& binary,
                     const struct PulseFileHeader& header);
  bool AppendSealWord(const std::string& name, io::File& file);
  void ExportRecordsInParallel(const std::string& baseName, const std::string& spf,
                               const struct PulseFileHeader& header);
  // Imports the records on several threads when their places in the new
  // file can be planned from their SIZE lines; nothing when they cannot.
  std::optional<bool> ImportRecordsInParallel(const std::string& baseName, const std::string& spf,
                                              io::ReplacementFile& output,
                                              const struct PulseFileHeader& header);

  ConversionReporter& m_reporter;
  bool m_bRunFailed = false;
  bool m_bNameMissing = false;
  bool m_bKeepReports = false;
  std::vector<Outcome> m_reports;
  Outcome m_firstFailure;
};

}  // namespace orvane
