// What the viewer lists and draws of an opened pulse file.
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "orvane/pulse_file_view.h"
#include "plot_painter.h"

namespace orvane::viewer {

struct RecordRow {
  std::string name;              // "T0", "R2", ...
  std::string size, gain, desc;  // header texts; gain only for T records
};

// Why the file is no pulse file at all (its magic number is wrong): the
// engine's message; empty for a pulse file, damaged or not. What a salvage
// finds in a file of another kind means nothing, so it is not shown.
std::string NotAPulseFile(const PulseFileView& file);
// The rows of the record list. The headers are copied out of the mapping
// guarded: *read (if given) is false when some could not be (the file
// changed under its mapping), their rows then empty but for the name.
std::vector<RecordRow> ListRecords(const PulseFileView& file, bool* read = nullptr);
// Index into file.Records() of a name such as "R2"; -1 when there is none.
int FindRecord(const PulseFileView& file, const std::string& name);
// The pyramid of a record and what is to be said over its plot; the
// content keeps file's mapping. unreadable when the samples could not be
// read (the file changed under its mapping).
PlotContent LoadRecord(std::shared_ptr<const PulseFileView> file, size_t index);
// The same without keeping the mapping: file must outlive the content.
PlotContent LoadRecord(const PulseFileView& file, size_t index);
// A failure as a person is told it: the message, and the system's reason
// when there is one ("Can't open x.spf for reading: No such file or directory").
std::string Explained(const Outcome& outcome);
// The pulse file a name typed on the command line stands for: the name
// with a trailing ".spf" or ".pfh" removed, then ".spf", as orvane-cli and
// the dialog take it.
QString PulseFileOf(const QString& name);
// The problems of a file, one a line.
QString ProblemText(const PulseFileView& file);

}  // namespace orvane::viewer
