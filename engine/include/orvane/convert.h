// The Convert command: one pulse file to its text files (export) or text
// files to a pulse file (import), with the status and progress protocol
// reported as it goes.
#pragma once

#include <string>

#include "orvane/messages.h"
#include "orvane/reporter.h"

namespace orvane {

enum class Direction : uint8_t {
  ToText,    // "Convert to ASCII": BASE.spf to BASE.pfh, BASE.T0, ...
  FromText,  // "Convert from ASCII": BASE.pfh, BASE.T0, ... to BASE.spf
};

struct ConversionRequest {
  // The file name as the user typed it: a trailing ".spf" or ".pfh" (exact
  // case) is removed to give the base name every file is named from.
  std::string fileName;
  Direction direction = Direction::ToText;
  bool labelled = true;  // "Headers ": labelled lines; false: bare values
  unsigned threads = 0;  // threads for the records of the run; 0: DefaultThreadCount()
  // Folder the new files go to, named by the base name without its folder;
  // empty: beside the input.
  std::string outputDir;
  // Export only: each text file goes in place as soon as it is complete, so
  // a failed run leaves the files it got (and a record that failed part-way
  // with what it got). Without it the text files go in place together at the
  // run's end, only when the whole run succeeded: a failed or interrupted
  // run changes no existing file.
  bool keepPartial = false;
  // Export only: every real written with the digits that give back its
  // bits (header reals with up to nine significant digits where six
  // decimals do not do, R samples with nine, NaN payloads as "nan(0xM)"),
  // in the line shapes of the chosen layout; the import reads it as it is.
  bool exact = false;
  // Import only: a text set with any diagnostic (orvane/text_diagnostics.h)
  // is refused with "Text of FILE does not match its fields; nothing
  // written" before anything is written, FILE the first file diagnosed;
  // the diagnostics are shown all the same.
  bool strict = false;
};

// Runs one conversion to its end. Every message and progress step goes to
// reporter; the outcome is the run's first failure or the success message.
Outcome Convert(const ConversionRequest& request, ConversionReporter& reporter);

// Reads the text files an import of request would read (BASE.pfh and every
// record text file it names, in the layout of request.labelled) and shows
// every diagnostic of them through reporter, writing nothing. The outcome
// is the failure the import would meet, or success with an empty message;
// the diagnostics are counted by the reporter.
Outcome CheckText(const ConversionRequest& request, ConversionReporter& reporter);

// The threads a conversion uses when the request leaves it open: the number
// of cores, at most 8.
unsigned DefaultThreadCount();

// The base name of a file name as typed: the name with a trailing ".spf" or
// ".pfh" removed (exact case); a name whose last '.' is its first
// character keeps its suffix.
std::string DeriveBaseName(const std::string& fileName);

// The path every new file of a request is named from: the base name, or
// with an output folder that folder and the base name without its own. An
// export writes this path + ".pfh", ".T0", ".R0", ...; an import writes
// this path + ".spf". Two requests of the same output base path write the
// same files.
std::string OutputBasePath(const ConversionRequest& request);

}  // namespace orvane
