// The window menu's "View Records...": the record viewer orvane-view runs as
// a program of its own beside the dialog, so that a large file's pyramid or
// a fault in drawing never holds up or ends the dialog, and the viewer stays
// open when the dialog ends.
#pragma once

#include <QString>
#include <QStringList>

namespace orvane::gui {

// The viewer's executable: installed beside this program, or in the build
// tree's viewer folder below it. Empty when there is none.
QString ViewerProgram();
// The viewer's arguments for the file name box as typed: the pulse file of
// its base name (BASE.spf, as Convert reads it) as an absolute path; none
// for an empty box.
QStringList ViewerArguments(const std::string& fileNameBox);
// Starts program detached from this one, in a session of its own, with
// every signal unblocked and at its default action whatever this program
// blocks or handles (the dialog blocks SIGINT, SIGTERM and SIGHUP for its
// interruption thread): the viewer ends on them as any program does.
// Returns the program's process id, 0 when it could not be started.
qint64 StartDetached(const QString& program, const QStringList& arguments);
// The same, for the dialog: false when it could not be started.
bool StartDetachedProgram(const QString& program, const QStringList& arguments);

}  // namespace orvane::gui
