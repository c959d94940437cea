// orvane-view --render OUT.png [--size WxH] FILE RECORD: the plot of one
// record drawn into a picture, without a window, for scripts.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

namespace orvane::viewer {

// The largest picture side --render draws.
constexpr int kMaxPictureSide = 16384;

// "1000x400" as a size; *why says what is wrong when it is no size the
// command draws (not WIDTHxHEIGHT, or a side outside 1 to kMaxPictureSide).
bool ParsePictureSize(const QString& text, QSize* size, QString* why);

// Runs the command on its arguments (those after --render); prints what
// went wrong to standard error. The exit status: 0 when the picture was
// written, 1 when the file, the record or the picture failed, 2 for a
// usage error.
int RenderCommand(QStringList arguments, const char* usage);

}  // namespace orvane::viewer
