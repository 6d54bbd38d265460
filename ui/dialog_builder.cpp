// Widgets from dialog templates: a widget for each window class, the style bits that decide how it
// behaves, and the dialog-unit geometry.
#include "ui/dialog_builder.h"

#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <optional>

#include "ui/window_styles.h"

namespace ui {
namespace {

// Windows takes the extent of exactly this string to find the average character width.
constexpr char kBaseUnitAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The size Windows gives an icon control (SM_CXICON by SM_CYICON), whatever its template says.
constexpr int kIconSize = 32;

// The face that stands for the system's dialog font on Windows, which the desktop's font is here.
constexpr char kShellDialogFace[] = "MS Shell Dlg";

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

bool Has(const ControlTemplate& control, std::uint32_t bits) {
  return (control.style & bits) == bits;
}

bool IsClass(const ControlTemplate& control, const char* name) {
  return control.className.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

bool IsIcon(const ControlTemplate& control) {
  return IsClass(control, "STATIC") && (control.style & kSsTypeMask) == kSsIcon;
}

// A static without SS_NOPREFIX draws "&&" as "&" and underlines the character after a lone "&".
bool ProcessesPrefixes(const ControlTemplate& control) {
  return IsClass(control, "STATIC") && !IsIcon(control) && !Has(control, kSsNoPrefix) &&
         control.text.contains(u'&');
}

// The text as such a static draws it, without its prefix characters.
QString ShownText(const QString& text) {
  QString shown;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && ++i == text.size()) break;
    shown += text[i];
  }
  return shown;
}

// A static as tall as two lines or more wraps its text at spaces, as Windows wraps every static;
// in a one-line static, that would hide the rest of a text too wide instead of tightening it.
bool WrapsText(const QLabel& label, const QRect& geometry) {
  return geometry.height() >= 2 * QFontMetrics(label.font()).lineSpacing();
}

bool TextFits(const QFont& font, const QString& shownText, const QRect& geometry, bool wraps) {
  const QFontMetrics metrics(font);
  if (!wraps) return metrics.horizontalAdvance(shownText) <= geometry.width();
  const QRect needed = metrics.boundingRect(QRect(0, 0, geometry.width(), 0xFFFF),
                                            Qt::AlignLeft | Qt::TextWordWrap, shownText);
  return needed.width() <= geometry.width() && needed.height() <= geometry.height();
}

void FitText(QLabel& label, const QString& shownText, const QRect& geometry) {
  const bool wraps = WrapsText(label, geometry);
  label.setWordWrap(wraps);
  QFont font = label.font();
  int steps = 0;
  while (!TextFits(font, shownText, geometry, wraps) && steps < kMaxTighteningSteps) {
    ++steps;
    font.setLetterSpacing(QFont::AbsoluteSpacing, -kTighteningStep * steps);
  }
  if (steps > 0) label.setFont(font);
}

bool IsTextStatic(const ControlTemplate& control) {
  return IsClass(control, "STATIC") && !IsIcon(control);
}

// The label of a control that shows no name of its own: the nearest text static without an id
// just left of it on its row, or just above it in its column. Windows' screen readers go by
// template order instead, which the English templates follow; the Japanese ones do not.
std::optional<std::size_t> LabelIndex(const DialogTemplate& dialogTemplate, std::size_t index) {
  const QRect control = dialogTemplate.controls[index].rect;
  std::optional<std::size_t> best;
  int bestDistance = 0;
  for (std::size_t i = 0; i < dialogTemplate.controls.size(); ++i) {
    const ControlTemplate& label = dialogTemplate.controls[i];
    if (i == index || label.id != -1 || !IsTextStatic(label) || label.text.isEmpty()) continue;
    const QRect r = label.rect;
    const bool sameRow = r.top() <= control.bottom() && control.top() <= r.bottom();
    const bool sameColumn = r.left() <= control.right() && control.left() <= r.right();
    int distance = -1;
    if (sameRow && r.right() < control.left()) {
      distance = control.left() - r.right();
    } else if (sameColumn && r.bottom() < control.top()) {
      distance = control.top() - r.bottom();
    }
    if (distance >= 0 && (!best || distance < bestDistance)) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

[[noreturn]] void Unsupported(const DialogTemplate& dialog, const ControlTemplate& control) {
  qFatal("Tallimo: dialog %d has a %s control (style 0x%08X) that the Qt shell cannot show",
         dialog.id, qPrintable(control.className), unsigned(control.style));
}

QWidget* CreateEdit(const ControlTemplate& control, QWidget* parent) {
  if (Has(control, kEsMultiline)) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setPlainText(control.text);
    edit->setReadOnly(Has(control, kEsReadOnly));
    // Without automatic horizontal scrolling a multi-line edit wraps its lines.
    edit->setLineWrapMode(Has(control, kEsAutoHScroll) ? QPlainTextEdit::NoWrap
                                                       : QPlainTextEdit::WidgetWidth);
    edit->setVerticalScrollBarPolicy(Has(control, kWsVScroll) ? Qt::ScrollBarAlwaysOn
                                                              : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Has(control, kWsHScroll) ? Qt::ScrollBarAlwaysOn
                                                                : Qt::ScrollBarAlwaysOff);
    if (!Has(control, kWsBorder)) edit->setFrameShape(QFrame::NoFrame);
    // In a dialog, Tab moves on to the next control instead of typing a tab character.
    edit->setTabChangesFocus(true);
    return edit;
  }
  auto* edit = new QLineEdit(control.text, parent);
  edit->setReadOnly(Has(control, kEsReadOnly));
  edit->setFrame(Has(control, kWsBorder));
  return edit;
}

QWidget* CreateStatic(const DialogTemplate& dialog, const ControlTemplate& control,
                      QWidget* parent) {
  auto* label = new QLabel(parent);
  if (IsIcon(control)) {
    if (!control.textId) Unsupported(dialog, control);
    label->setPixmap(LoadIconGroup(*control.textId).pixmap(kIconSize, kIconSize));
    return label;
  }
  if ((control.style & kSsTypeMask) != kSsLeft) Unsupported(dialog, control);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setText(control.text);
  return label;
}

QWidget* CreateButton(const DialogTemplate& dialog, const ControlTemplate& control,
                      QWidget* parent) {
  const std::uint32_t kind = control.style & kBsTypeMask;
  if (kind != kBsPushButton && kind != kBsDefPushButton) Unsupported(dialog, control);
  auto* button = new QPushButton(control.text, parent);
  button->setDefault(kind == kBsDefPushButton);
  return button;
}

// A new bar stands at 0 of 0 to 100, as on Windows, and shows no text, which Windows bars never do.
QWidget* CreateProgressBar(const DialogTemplate& dialog, const ControlTemplate& control,
                           QWidget* parent) {
  if (control.style & (kPbsVertical | kPbsMarquee)) Unsupported(dialog, control);
  auto* bar = new QProgressBar(parent);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  return bar;
}

QWidget* CreateControl(const DialogTemplate& dialog, const ControlTemplate& control,
                       QWidget* parent) {
  if (control.textId && !IsIcon(control)) Unsupported(dialog, control);
  if (IsClass(control, "EDIT")) return CreateEdit(control, parent);
  if (IsClass(control, "STATIC")) return CreateStatic(dialog, control, parent);
  if (IsClass(control, "BUTTON")) return CreateButton(dialog, control, parent);
  if (IsClass(control, "msctls_progress32")) return CreateProgressBar(dialog, control, parent);
  Unsupported(dialog, control);
}

// The title bar shows what the style asks for. An application's own window is a window of its own
// to the window manager, which lets the user maximise it, as desktops let no dialog be.
Qt::WindowFlags FrameFlags(std::uint32_t style, std::uint32_t exStyle) {
  Qt::WindowFlags flags =
      ((exStyle & kWsExAppWindow) ? Qt::Window : Qt::Dialog) | Qt::CustomizeWindowHint;
  if ((style & kWsCaption) == kWsCaption) flags |= Qt::WindowTitleHint;
  if (style & kWsSysMenu) {
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (style & kWsMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    if (style & kWsMaximizeBox) flags |= Qt::WindowMaximizeButtonHint;
  }
  return flags;
}

// Edits, progress bars and the statics that the code fills in are named for screen readers by their
// labels, which also become their buddies: Qt reports that as the labels' relation to them.
void NameByLabels(const DialogTemplate& dialogTemplate, const BuiltDialog& built) {
  const std::vector<ControlTemplate>& controls = dialogTemplate.controls;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const bool named = IsClass(controls[i], "EDIT") || IsClass(controls[i], "msctls_progress32") ||
                       (IsTextStatic(controls[i]) && controls[i].id != -1);
    if (!named) continue;
    const std::optional<std::size_t> label = LabelIndex(dialogTemplate, i);
    if (!label) continue;
    const ControlTemplate& labelControl = controls[*label];
    const bool prefixes = ProcessesPrefixes(labelControl);
    built.controls[i].widget->setAccessibleName(prefixes ? ShownText(labelControl.text)
                                                         : labelControl.text);
    // A buddy would have QLabel take an "&" as a prefix, which a static with SS_NOPREFIX draws.
    if (prefixes || !labelControl.text.contains(u'&')) {
      static_cast<QLabel*>(built.controls[*label].widget)->setBuddy(built.controls[i].widget);
    }
  }
}

// Windows gives the mnemonic of a static to the next tab stop after it, coming round to the first
// at the end of the template; QLabel gives its own to its buddy and draws the text as that static
// would. A dialog without tab stops makes the label its own buddy, which takes no focus.
void SetMnemonicBuddies(const DialogTemplate& dialogTemplate, const BuiltDialog& built) {
  const std::vector<ControlTemplate>& controls = dialogTemplate.controls;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (!ProcessesPrefixes(controls[i])) continue;
    auto* label = static_cast<QLabel*>(built.controls[i].widget);
    QWidget* buddy = label;
    for (std::size_t step = 1; step < controls.size(); ++step) {
      const std::size_t next = (i + step) % controls.size();
      if (Has(controls[next], kWsTabStop)) {
        buddy = built.controls[next].widget;
        break;
      }
    }
    label->setBuddy(buddy);
  }
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
  if (face.compare(QLatin1String(kShellDialogFace), Qt::CaseInsensitive) == 0) {
    return QGuiApplication::font();
  }
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
  dialog.setWindowFlags(FrameFlags(dialogTemplate.style, dialogTemplate.exStyle));
  dialog.setWindowTitle(dialogTemplate.caption);
  dialog.setFont(DialogFont(dialogTemplate.fontFace, dialogTemplate.fontPoints));
  dialog.setAcceptDrops(dialogTemplate.exStyle & kWsExAcceptFiles);

  BuiltDialog built;
  built.units = MeasureBaseUnits(dialog.font());
  const QRect client = DialogUnitsToPixels(QRect(QPoint(0, 0), dialogTemplate.size), built.units);
  if (dialogTemplate.style & kWsThickFrame) {
    dialog.setMinimumSize(client.size());
    dialog.resize(client.size());
  } else {
    dialog.setFixedSize(client.size());
  }

  QWidget* previousTabStop = nullptr;
  for (const ControlTemplate& control : dialogTemplate.controls) {
    QWidget* widget = CreateControl(dialogTemplate, control, &dialog);
    QRect geometry = DialogUnitsToPixels(control.rect, built.units);
    if (IsIcon(control)) geometry.setSize(QSize(kIconSize, kIconSize));
    widget->setGeometry(geometry);
    if (IsTextStatic(control)) {
      const QString shown = ProcessesPrefixes(control) ? ShownText(control.text) : control.text;
      FitText(*static_cast<QLabel*>(widget), shown, geometry);
    }
    if (Has(control, kWsTabStop)) {
      widget->setFocusPolicy(Qt::StrongFocus);
      if (previousTabStop) {
        QWidget::setTabOrder(previousTabStop, widget);
      } else {
        widget->setFocus();
      }
      previousTabStop = widget;
    } else if (IsClass(control, "EDIT") || IsClass(control, "BUTTON")) {
      // Statics and progress bars take no focus at all.
      widget->setFocusPolicy(Qt::ClickFocus);
    }
    built.controls.push_back(BuiltControl{control.id, widget, geometry});
  }
  NameByLabels(dialogTemplate, built);
  SetMnemonicBuddies(dialogTemplate, built);
  return built;
}

}  // namespace ui
