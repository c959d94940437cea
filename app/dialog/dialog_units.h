// Dialog units: a dialog's layout is given in units of its font, a quarter
// of the average character width across and an eighth of the character
// height down, so that the layout grows with the font.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

namespace orvane::gui {

// The dialog font: face at points where the system has it, otherwise a plain
// sans-serif of that size.
QFont DialogFont(const QString& face, int points);

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  // Pixels per four horizontal units and per eight vertical units.
  int BaseX() const { return m_nBaseX; }
  int BaseY() const { return m_nBaseY; }
  int ToPixelsX(int units) const;
  int ToPixelsY(int units) const;
  QRect ToPixels(const QRect& units) const;
  QSize ToPixels(const QSize& units) const;

 private:
  int m_nBaseX;
  int m_nBaseY;
};

}  // namespace orvane::gui
