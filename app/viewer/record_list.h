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
std::vector<RecordRow> ListRecords(const PulseFileView& file);
// Index into file.Records() of a name such as "R2"; -1 when there is none.
int FindRecord(const PulseFileView& file, const std::string& name);
// The pyramid of a record and what is to be said over its plot.
PlotContent LoadRecord(const PulseFileView& file, size_t index);
// The problems of a file, one a line.
QString ProblemText(const PulseFileView& file);

}  // namespace orvane::viewer
