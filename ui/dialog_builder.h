// Turns a dialog template into widgets on a QDialog, placing each control by converting its
// dialog units to pixels from the dialog font's base units, as Windows does for a dialog.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <vector>

#include "ui/resources.h"

class QDialog;
class QWidget;

namespace ui {

// Horizontal base unit: half the average width of the Latin letters, rounded up; vertical: the
// font height. One dialog unit is a quarter of the first and an eighth of the second.
struct BaseUnits {
  int x = 0;
  int y = 0;
};

BaseUnits MeasureBaseUnits(const QFont& font);

// number * numerator / denominator rounded to the nearest integer, halves away from zero.
int MulDiv(int number, int numerator, int denominator);

QRect DialogUnitsToPixels(const QRect& dialogUnits, BaseUnits units);

// The template's face at its point size. Where that face is not installed (everywhere but on
// Japanese Windows), a metric-compatible or at least a Japanese sans-serif face stands in for it.
// "MS Shell Dlg", Windows' name for its ordinary dialog font, gives the desktop's font.
QFont DialogFont(const QString& face, int points);

struct BuiltControl {
  int id = -1;
  QWidget* widget = nullptr;
  QRect geometry;  // where the template puts it, in pixels
};

struct BuiltDialog {
  BaseUnits units;
  std::vector<BuiltControl> controls;  // one per template control, in template order

  QWidget* Control(int id) const;
};

// Sets the dialog's caption, font and client size, fixed unless the template's style has a sizing
// frame, which makes it the smallest size instead; creates one child widget per control in
// template order (which is also the tab order) and gives the focus to the first tab stop. Edits,
// progress bars and statics with an id get the text of the label beside or above them as their
// accessible name.
BuiltDialog BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate);

}  // namespace ui
