// The conversion engine: the Convert command, the export and import drivers,
// the three record converters, the text line reader and the checksum seal.
// It holds the state a conversion works on and reaches its user interface
// only through a ConversionReporter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "conversion_reporter.h"
#include "file_io.h"

namespace orvane {

struct RecordKind;
struct TextSource;

// What ReadTextLine met.
enum class LineStatus { Delivered, EndOfFile, ReadError };

constexpr size_t kTextLineChars = 120;

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
  std::optional<std::string> GetPulsePower();
  void SetPulsePower(const std::string& text);

  // Delivers the next line of a text file as exactly 120 characters and a
  // NUL: cut at 120, everything from '#' on dropped, padded with blanks. A
  // carriage return before the line feed belongs to the line end.
  LineStatus ReadTextLine(const std::string& fileName, io::File* file, char* line);

  // Formats a message into m_strStatus and shows it. Every message but
  // "conversion complete" reports a failure of the current run.
  void ReportStatus(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void StepProgress(int k = 1);
  void ResetProgress();

  // The current run met a failure; its first message is kept.
  bool RunFailed() const { return m_bRunFailed; }
  const std::string& FirstFailure() const { return m_strFirstFailure; }

  std::string m_strFileName;
  int m_bToAscii = 1;
  int m_bHeaders = 1;
  std::string m_strStatus;
  int m_nProgress = 0;
  // Threads that convert the records of one run; 1 converts them one after
  // another on the calling thread. Messages and progress keep their order.
  unsigned m_nThreads = DefaultThreadCount();

  static unsigned DefaultThreadCount();

 protected:
  // Starts a run: forgets the failures of the previous one.
  void BeginRun();
  // Ends a run: "conversion complete" after a run without failures,
  // otherwise the run's first failure once more.
  void ReportCompletion();
  // Shows a status text without counting it as a failure.
  void ShowStatusText(const std::string& text);

 private:
  friend struct RecordConverters;
  bool NextLine(TextSource& source);
  void ExportRecord(const RecordKind& kind, const std::string& baseName, io::File& binaryFile,
                    uint32_t n);
  int ImportRecord(const RecordKind& kind, const std::string& baseName, io::File& binaryFile,
                   uint32_t n);
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
  std::string m_strFirstFailure;
};

}  // namespace orvane
