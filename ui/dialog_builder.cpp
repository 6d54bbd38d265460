// Widgets from dialog templates: the control kinds, their traits, and the dialog-unit geometry.
#include "ui/dialog_builder.h"

#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace ui {
namespace {

// Windows takes the extent of exactly this string to find the average character width.
constexpr char kBaseUnitAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The size Windows gives an icon control (SM_CXICON by SM_CYICON), whatever its template says.
constexpr int kIconSize = 32;

// How much a static's letters may be drawn closer together so that its text fits its rectangle.
// The stand-in fonts set Latin letters and digits wider than the face the templates were laid out
// for; a little tightening keeps the layout without cutting text off.
constexpr double kTighteningStep = 0.1;  // pixels between two letters
constexpr int kMaxTighteningSteps = 10;

void InstallFontSubstitutes(const QString& face) {
  // IPAPGothic has the metrics of MS PGothic for Japanese text; the others are any Japanese sans.
  QFont::insertSubstitutions(
      face, {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
             QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Source Han Sans JP"),
             QStringLiteral("VL PGothic"), QStringLiteral("IPAGothic")});
}

void FitTextToWidth(QLabel& label, int width) {
  QFont font = label.font();
  int steps = 0;
  while (QFontMetrics(font).horizontalAdvance(label.text()) > width &&
         steps < kMaxTighteningSteps) {
    ++steps;
    font.setLetterSpacing(QFont::AbsoluteSpacing, -kTighteningStep * steps);
  }
  if (steps > 0) label.setFont(font);
}

QWidget* CreateEdit(const ControlTemplate& control, QWidget* parent) {
  if (control.Has("multiline")) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setPlainText(control.text);
    edit->setReadOnly(control.Has("readOnly"));
    // Without automatic horizontal scrolling a multi-line edit wraps its lines.
    edit->setLineWrapMode(control.Has("autoHScroll") ? QPlainTextEdit::NoWrap
                                                     : QPlainTextEdit::WidgetWidth);
    edit->setVerticalScrollBarPolicy(control.Has("vScroll") ? Qt::ScrollBarAlwaysOn
                                                            : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (!control.Has("border")) edit->setFrameShape(QFrame::NoFrame);
    // In a dialog, Tab moves on to the next control instead of typing a tab character.
    edit->setTabChangesFocus(true);
    return edit;
  }
  auto* edit = new QLineEdit(control.text, parent);
  edit->setReadOnly(control.Has("readOnly"));
  edit->setFrame(control.Has("border"));
  return edit;
}

QWidget* CreateStatic(const ControlTemplate& control, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setText(control.text);
  return label;
}

QWidget* CreateButton(const ControlTemplate& control, QWidget* parent) {
  auto* button = new QPushButton(control.text, parent);
  button->setDefault(control.Has("default"));
  return button;
}

QWidget* CreateIcon(const ControlTemplate& control, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setPixmap(LoadIconGroup(control.text.toInt()).pixmap(kIconSize, kIconSize));
  return label;
}

QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) {
  switch (control.kind) {
    case ControlKind::kEdit:
      return CreateEdit(control, parent);
    case ControlKind::kStatic:
      return CreateStatic(control, parent);
    case ControlKind::kButton:
      return CreateButton(control, parent);
    case ControlKind::kIcon:
      return CreateIcon(control, parent);
  }
  return nullptr;
}

}  // namespace

BaseUnits MeasureBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int extent = metrics.horizontalAdvance(QLatin1String(kBaseUnitAlphabet));
  return BaseUnits{(extent / 26 + 1) / 2, metrics.height()};
}

int MulDiv(int number, int numerator, int denominator) {
  const long long product = static_cast<long long>(number) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

QRect DialogUnitsToPixels(const QRect& dialogUnits, BaseUnits units) {
  return QRect(MulDiv(dialogUnits.x(), units.x, 4), MulDiv(dialogUnits.y(), units.y, 8),
               MulDiv(dialogUnits.width(), units.x, 4), MulDiv(dialogUnits.height(), units.y, 8));
}

QFont DialogFont(const QString& face, int points) {
  InstallFontSubstitutes(face);
  QFont font(face, points);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

QWidget* BuiltDialog::Control(int id) const {
  for (const BuiltControl& control : controls) {
    if (control.id == id) return control.widget;
  }
  return nullptr;
}

BuiltDialog BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate) {
  // Every template here is a captioned, fixed-frame dialog with a system menu: a close button and
  // nothing else in the title bar.
  dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  dialog.setWindowTitle(dialogTemplate.caption);
  dialog.setFont(DialogFont(dialogTemplate.fontFace, dialogTemplate.fontPoints));

  BuiltDialog built;
  built.units = MeasureBaseUnits(dialog.font());
  const QRect client = DialogUnitsToPixels(QRect(QPoint(0, 0), dialogTemplate.size), built.units);
  dialog.setFixedSize(client.size());

  QWidget* previousTabStop = nullptr;
  for (const ControlTemplate& control : dialogTemplate.controls) {
    QWidget* widget = CreateControl(control, &dialog);
    QRect geometry = DialogUnitsToPixels(control.rect, built.units);
    if (control.kind == ControlKind::kIcon) geometry.setSize(QSize(kIconSize, kIconSize));
    widget->setGeometry(geometry);
    if (control.kind == ControlKind::kStatic) {
      FitTextToWidth(*static_cast<QLabel*>(widget), geometry.width());
    }
    if (control.Has("tabStop")) {
      widget->setFocusPolicy(Qt::StrongFocus);
      if (previousTabStop) {
        QWidget::setTabOrder(previousTabStop, widget);
      } else {
        widget->setFocus();
      }
      previousTabStop = widget;
    } else if (control.kind != ControlKind::kStatic && control.kind != ControlKind::kIcon) {
      widget->setFocusPolicy(Qt::ClickFocus);
    }
    built.controls.push_back(BuiltControl{control.id, widget});
  }
  return built;
}

}  // namespace ui
