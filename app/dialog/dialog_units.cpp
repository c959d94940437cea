#include "dialog_units.h"

#include <QFontInfo>
#include <QFontMetrics>

namespace orvane::gui {

namespace {

// units * base / divisor, rounded half away from zero.
int Scale(int units, int base, int divisor) {
  long long product = static_cast<long long>(units) * base;
  long long half = divisor / 2;
  return static_cast<int>(product >= 0 ? (product + half) / divisor : -((-product + half) / divisor));
}

// The average width of the Latin letters, rounded to whole pixels.
int AverageCharWidth(const QFontMetrics& metrics) {
  int width =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return (width / 26 + 1) / 2;
}

}  // namespace

QFont DialogFont(const QString& face, int points) {
  QFont font(face, points);
  if (QFontInfo(font).family().compare(face, Qt::CaseInsensitive) == 0) return font;
  QFont plain(QStringLiteral("Sans Serif"), points);
  plain.setStyleHint(QFont::SansSerif);
  return plain;
}

DialogUnits::DialogUnits(const QFont& font) {
  QFontMetrics metrics(font);
  m_nBaseX = AverageCharWidth(metrics);
  m_nBaseY = metrics.height();
}

int DialogUnits::ToPixelsX(int units) const { return Scale(units, m_nBaseX, 4); }

int DialogUnits::ToPixelsY(int units) const { return Scale(units, m_nBaseY, 8); }

QRect DialogUnits::ToPixels(const QRect& units) const {
  return QRect(ToPixelsX(units.x()), ToPixelsY(units.y()), ToPixelsX(units.width()),
               ToPixelsY(units.height()));
}

QSize DialogUnits::ToPixels(const QSize& units) const {
  return QSize(ToPixelsX(units.width()), ToPixelsY(units.height()));
}

}  // namespace orvane::gui
