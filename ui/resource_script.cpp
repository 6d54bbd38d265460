// A reader for the part of the resource-script language that res/tallimo.rc is written in. It
// takes the text as windres does and refuses everything else by line, because a statement it
// half understood would show the Qt dialogs differently from the Windows ones without a word.
#include "ui/resource_script.h"

#include <QByteArrayList>
#include <QStringDecoder>
#include <utility>

#include "ui/window_styles.h"

namespace ui {
namespace {

// A dialog without a STYLE statement gets WS_POPUP | WS_BORDER | WS_SYSMENU from the compiler.
constexpr std::uint32_t kDefaultDialogStyle = kWsPopup | kWsBorder | kWsSysMenu;

constexpr qint64 kMaxUint16 = 0xFFFF;
constexpr qint64 kMaxUint32 = 0xFFFFFFFF;

struct Token {
  enum class Kind { kEnd, kWord, kNumber, kString, kComma, kBar };
  Kind kind = Kind::kEnd;
  QByteArray word;
  qint64 number = 0;
  QString string;
  int line = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsWordChar(char c) { return IsWordStart(c) || IsDigit(c); }

// Decimal, or hexadecimal after 0x; no suffixes, and no leading zeros, which some compilers read
// as octal.
std::optional<qint64> NumberValue(QByteArrayView digits) {
  const bool negative = digits.startsWith('-');
  if (negative) digits = digits.sliced(1);
  const bool hex = digits.startsWith("0x") || digits.startsWith("0X");
  if (hex) digits = digits.sliced(2);
  if (digits.isEmpty() || digits.size() > (hex ? 8 : 10)) return std::nullopt;
  if (!hex && digits.size() > 1 && digits.front() == '0') return std::nullopt;
  qint64 value = 0;
  for (const char c : digits) {
    int digit = -1;
    if (IsDigit(c)) {
      digit = c - '0';
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * (hex ? 16 : 10) + digit;
  }
  if (value > kMaxUint32) return std::nullopt;
  return negative ? -value : value;
}

class ScriptReader {
 public:
  explicit ScriptReader(QByteArrayView text) : m_text(text) {}

  std::optional<ResourceScript> Read(QString* error);

 private:
  // Lexing.
  bool Advance();
  bool SkipBlanks();
  bool PreprocessorLine();
  bool LexString();
  bool LexNumber();

  // Parsing.
  bool Fail(const QString& message, int line);
  bool Fail(const QString& message) { return Fail(message, m_token.line); }
  QString Found() const;
  bool IsWord(const char* word) const;
  bool Expect(Token::Kind kind, const char* what);
  bool Number(qint64 min, qint64 max, const char* what, qint64* value);
  bool String(const char* what, QString* value);
  bool Style(std::uint32_t* value);
  bool Rect(QRect* rect);
  bool Resource();
  bool Dialog(int id, bool extended);
  bool DialogStatement(DialogTemplate& dialog, QByteArrayList* seen);
  bool Font(DialogTemplate& dialog);
  bool Control(DialogTemplate& dialog);
  bool StringTable();
  bool SkipBlock();

  QByteArrayView m_text;
  qsizetype m_pos = 0;
  qsizetype m_lineStart = 0;
  int m_line = 1;
  bool m_utf8 = false;  // set by #pragma code_page(65001)
  Token m_token;
  QString m_error;
  std::uint16_t m_language = kLangEnglishUs;
  ResourceScript m_script;
};

std::optional<ResourceScript> ScriptReader::Read(QString* error) {
  bool ok = Advance();
  while (ok && m_token.kind != Token::Kind::kEnd) ok = Resource();
  if (!ok) {
    *error = m_error;
    return std::nullopt;
  }
  return std::move(m_script);
}

bool ScriptReader::Advance() {
  if (!SkipBlanks()) return false;
  m_token = Token{};
  m_token.line = m_line;
  if (m_pos == m_text.size()) return true;
  const char c = m_text[m_pos];
  if (c == ',' || c == '|') {
    m_token.kind = c == ',' ? Token::Kind::kComma : Token::Kind::kBar;
    ++m_pos;
    return true;
  }
  if (c == '"') return LexString();
  if (IsDigit(c) || (c == '-' && m_pos + 1 < m_text.size() && IsDigit(m_text[m_pos + 1]))) {
    return LexNumber();
  }
  if (IsWordStart(c)) {
    const qsizetype start = m_pos;
    while (m_pos < m_text.size() && IsWordChar(m_text[m_pos])) ++m_pos;
    m_token.kind = Token::Kind::kWord;
    m_token.word = m_text.sliced(start, m_pos - start).toByteArray();
    return true;
  }
  return Fail(QStringLiteral("unexpected character 0x%1").arg(uchar(c), 2, 16, QChar(u'0')),
              m_line);
}

bool ScriptReader::SkipBlanks() {
  while (m_pos < m_text.size()) {
    const char c = m_text[m_pos];
    const QByteArrayView rest = m_text.sliced(m_pos);
    if (c == '\n') {
      ++m_pos;
      ++m_line;
      m_lineStart = m_pos;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      ++m_pos;
    } else if (rest.startsWith("//")) {
      while (m_pos < m_text.size() && m_text[m_pos] != '\n') ++m_pos;
    } else if (rest.startsWith("/*")) {
      const qsizetype end = m_text.indexOf("*/", m_pos + 2);
      if (end < 0) return Fail(QStringLiteral("comment without an end"), m_line);
      m_line += int(m_text.sliced(m_pos, end - m_pos).count('\n'));
      m_lineStart = m_text.lastIndexOf('\n', end) + 1;
      m_pos = end + 2;
    } else if (c == '#' && m_text.sliced(m_lineStart, m_pos - m_lineStart).trimmed().isEmpty()) {
      if (!PreprocessorLine()) return false;
    } else {
      break;
    }
  }
  return true;
}

// The header it includes defines only what the version block uses, which is skipped. The code
// page can only be UTF-8, which is what the strings are decoded as; conditionals and macros would
// need a preprocessor.
bool ScriptReader::PreprocessorLine() {
  qsizetype end = m_text.indexOf('\n', m_pos);
  if (end < 0) end = m_text.size();
  const QByteArray line = m_text.sliced(m_pos, end - m_pos).toByteArray().simplified();
  if (line == "#pragma code_page(65001)") {
    m_utf8 = true;
  } else if (!line.startsWith("#include ")) {
    return Fail(QStringLiteral("preprocessor line not understood: %1").arg(QString::fromUtf8(line)),
                m_line);
  }
  m_pos = end;
  return true;
}

// Quotes are doubled inside a string. Of the backslash escapes, the texts use the three that
// windres reads as C does, \n, \t and \\; any other is refused.
bool ScriptReader::LexString() {
  QByteArray bytes;
  ++m_pos;
  for (;;) {
    if (m_pos == m_text.size() || m_text[m_pos] == '\n') {
      return Fail(QStringLiteral("string without an end"), m_line);
    }
    const char c = m_text[m_pos++];
    if (c == '\\') {
      const char escaped = m_pos < m_text.size() ? m_text[m_pos++] : '\0';
      if (escaped != 'n' && escaped != 't' && escaped != '\\') {
        return Fail(QStringLiteral("escape sequence \\%1 is not supported").arg(QChar(escaped)),
                    m_line);
      }
      bytes += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : '\\';
      continue;
    }
    // Before the pragma, the compiler would read these bytes in some other code page.
    if (uchar(c) >= 0x80 && !m_utf8) {
      return Fail(QStringLiteral("text beyond ASCII before #pragma code_page(65001)"), m_line);
    }
    if (c != '"') {
      bytes += c;
    } else if (m_pos < m_text.size() && m_text[m_pos] == '"') {
      bytes += '"';
      ++m_pos;
    } else {
      break;
    }
  }
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  m_token.string = decoder.decode(bytes);
  if (decoder.hasError()) return Fail(QStringLiteral("string is not UTF-8"), m_line);
  m_token.kind = Token::Kind::kString;
  return true;
}

bool ScriptReader::LexNumber() {
  const qsizetype start = m_pos++;
  while (m_pos < m_text.size() && IsWordChar(m_text[m_pos])) ++m_pos;
  const QByteArrayView digits = m_text.sliced(start, m_pos - start);
  const std::optional<qint64> value = NumberValue(digits);
  if (!value) {
    return Fail(QStringLiteral("number not understood: %1").arg(QString::fromLatin1(digits)),
                m_line);
  }
  m_token.kind = Token::Kind::kNumber;
  m_token.number = *value;
  return true;
}

bool ScriptReader::Fail(const QString& message, int line) {
  m_error = QStringLiteral("line %1: %2").arg(line).arg(message);
  return false;
}

QString ScriptReader::Found() const {
  switch (m_token.kind) {
    case Token::Kind::kEnd:
      return QStringLiteral("the end of the script");
    case Token::Kind::kWord:
      return QString::fromLatin1(m_token.word);
    case Token::Kind::kNumber:
      return QString::number(m_token.number);
    case Token::Kind::kString:
      return QStringLiteral("\"%1\"").arg(m_token.string);
    case Token::Kind::kComma:
      return QStringLiteral(",");
    case Token::Kind::kBar:
      return QStringLiteral("|");
  }
  return {};
}

bool ScriptReader::IsWord(const char* word) const {
  return m_token.kind == Token::Kind::kWord && m_token.word == word;
}

bool ScriptReader::Expect(Token::Kind kind, const char* what) {
  if (m_token.kind != kind) {
    return Fail(QStringLiteral("expected %1, found %2").arg(QLatin1String(what), Found()));
  }
  return Advance();
}

bool ScriptReader::Number(qint64 min, qint64 max, const char* what, qint64* value) {
  if (m_token.kind != Token::Kind::kNumber) {
    return Fail(QStringLiteral("expected %1, found %2").arg(QLatin1String(what), Found()));
  }
  if (m_token.number < min || m_token.number > max) {
    return Fail(QStringLiteral("%1 %2 is out of range").arg(QLatin1String(what), Found()));
  }
  *value = m_token.number;
  return Advance();
}

bool ScriptReader::String(const char* what, QString* value) {
  if (m_token.kind != Token::Kind::kString) {
    return Fail(QStringLiteral("expected %1, found %2").arg(QLatin1String(what), Found()));
  }
  *value = m_token.string;
  return Advance();
}

// Numbers joined by |, as styles are written without the Windows headers' names.
bool ScriptReader::Style(std::uint32_t* value) {
  qint64 bits = 0;
  if (!Number(0, kMaxUint32, "a style", &bits)) return false;
  *value = std::uint32_t(bits);
  while (m_token.kind == Token::Kind::kBar) {
    if (!Advance() || !Number(0, kMaxUint32, "a style", &bits)) return false;
    *value |= std::uint32_t(bits);
  }
  return true;
}

bool ScriptReader::Rect(QRect* rect) {
  qint64 values[4] = {};
  for (int i = 0; i < 4; ++i) {
    if (i > 0 && !Expect(Token::Kind::kComma, "\",\"")) return false;
    if (!Number(-32768, 32767, "a coordinate", &values[i])) return false;
  }
  *rect = QRect(int(values[0]), int(values[1]), int(values[2]), int(values[3]));
  return true;
}

bool ScriptReader::Resource() {
  if (IsWord("LANGUAGE")) {
    qint64 primary = 0;
    qint64 sublanguage = 0;
    if (!Advance() || !Number(0, 0x3FF, "a primary language", &primary) ||
        !Expect(Token::Kind::kComma, "\",\"") || !Number(0, 0x3F, "a sublanguage", &sublanguage)) {
      return false;
    }
    m_language = std::uint16_t(sublanguage << 10 | primary);
    return true;
  }
  if (IsWord("STRINGTABLE")) return StringTable();

  qint64 id = 0;
  if (!Number(1, kMaxUint16, "a resource", &id)) return false;
  if (IsWord("DIALOG") || IsWord("DIALOGEX")) return Dialog(int(id), IsWord("DIALOGEX"));
  if (IsWord("VERSIONINFO")) return SkipBlock();
  // An icon group, or a resource of a numbered type such as the manifest, each from a file.
  QString file;
  if (IsWord("ICON")) return Advance() && String("a file name", &file);
  qint64 type = 0;
  if (m_token.kind == Token::Kind::kNumber) {
    return Number(1, kMaxUint16, "a resource type", &type) && String("a file name", &file);
  }
  return Fail(QStringLiteral("resource %1 of a kind not understood: %2").arg(id).arg(Found()));
}

bool ScriptReader::Dialog(int id, bool extended) {
  const int line = m_token.line;
  DialogTemplate dialog;
  dialog.id = id;
  dialog.extended = extended;
  dialog.style = kDefaultDialogStyle;
  QRect rect;
  if (!Advance() || !Rect(&rect)) return false;
  dialog.position = rect.topLeft();
  dialog.size = rect.size();

  QByteArrayList seen;
  while (!IsWord("BEGIN")) {
    if (!DialogStatement(dialog, &seen)) return false;
  }
  if (!Advance()) return false;
  while (!IsWord("END")) {
    if (!IsWord("CONTROL")) {
      return Fail(QStringLiteral("expected CONTROL or END, found %1").arg(Found()));
    }
    if (!Control(dialog)) return false;
  }
  if (seen.contains("CAPTION")) dialog.style |= kWsCaption;
  if (seen.contains("FONT")) dialog.style |= kDsSetFont;
  if (!m_script.languages[m_language].dialogs.emplace(id, std::move(dialog)).second) {
    return Fail(QStringLiteral("dialog %1 is defined twice in one language").arg(id), line);
  }
  return Advance();
}

// STYLE replaces the default style; CAPTION and FONT add their bits once all statements are read.
bool ScriptReader::DialogStatement(DialogTemplate& dialog, QByteArrayList* seen) {
  if (m_token.kind == Token::Kind::kWord && seen->contains(m_token.word)) {
    return Fail(QStringLiteral("dialog %1: %2 is given twice").arg(dialog.id).arg(Found()));
  }
  seen->append(m_token.word);
  if (IsWord("STYLE")) return Advance() && Style(&dialog.style);
  if (IsWord("EXSTYLE")) return Advance() && Style(&dialog.exStyle);
  if (IsWord("CAPTION")) return Advance() && String("a caption", &dialog.caption);
  if (IsWord("FONT")) return Font(dialog);
  return Fail(
      QStringLiteral("dialog %1: statement not understood: %2").arg(dialog.id).arg(Found()));
}

// A classic template names size and face; an extended one adds weight, italic and character set,
// which are all required here rather than filled in with some compiler's defaults.
bool ScriptReader::Font(DialogTemplate& dialog) {
  qint64 points = 0;
  if (!Advance() || !Number(1, kMaxUint16, "a point size", &points) ||
      !Expect(Token::Kind::kComma, "\",\"") || !String("a font face", &dialog.fontFace)) {
    return false;
  }
  dialog.fontPoints = int(points);
  if (!dialog.extended) return true;
  qint64 weight = 0;
  qint64 italic = 0;
  qint64 charset = 0;
  if (!Expect(Token::Kind::kComma, "\",\" and a font weight") ||
      !Number(0, 1000, "a font weight", &weight) || !Expect(Token::Kind::kComma, "\",\"") ||
      !Number(0, 1, "an italic flag", &italic) || !Expect(Token::Kind::kComma, "\",\"") ||
      !Number(0, 255, "a character set", &charset)) {
    return false;
  }
  dialog.fontWeight = int(weight);
  dialog.fontItalic = int(italic);
  dialog.fontCharset = int(charset);
  return true;
}

// CONTROL text, id, class, style, x, y, width, height
bool ScriptReader::Control(DialogTemplate& dialog) {
  ControlTemplate control;
  if (!Advance()) return false;
  if (m_token.kind == Token::Kind::kNumber) {
    qint64 textId = 0;
    if (!Number(0, kMaxUint16, "a resource number", &textId)) return false;
    control.textId = int(textId);
  } else if (!String("a text or a resource number", &control.text)) {
    return false;
  }
  qint64 id = 0;
  if (!Expect(Token::Kind::kComma, "\",\"") || !Number(-1, kMaxUint16, "a control id", &id) ||
      !Expect(Token::Kind::kComma, "\",\"") || !String("a class name", &control.className) ||
      !Expect(Token::Kind::kComma, "\",\"") || !Style(&control.style) ||
      !Expect(Token::Kind::kComma, "\",\"") || !Rect(&control.rect)) {
    return false;
  }
  // A classic template keeps 16 bits of the id, in which 65535 is the -1 of a control without one.
  control.id = !dialog.extended && id == kMaxUint16 ? -1 : int(id);
  control.style |= kWsChild | kWsVisible;
  dialog.controls.push_back(std::move(control));
  return true;
}

// STRINGTABLE BEGIN id ["," ] "text" ["text"...] ... END; adjacent texts are one, as windres joins
// them.
bool ScriptReader::StringTable() {
  if (!Advance() || !IsWord("BEGIN")) {
    return Fail(QStringLiteral("expected BEGIN after STRINGTABLE, found %1").arg(Found()));
  }
  if (!Advance()) return false;
  while (!IsWord("END")) {
    qint64 id = 0;
    QString text;
    if (!Number(0, kMaxUint16, "a string number or END", &id)) return false;
    if (m_token.kind == Token::Kind::kComma && !Advance()) return false;
    const int line = m_token.line;
    if (!String("a string", &text)) return false;
    while (m_token.kind == Token::Kind::kString) {
      QString more;
      if (!String("a string", &more)) return false;
      text += more;
    }
    if (!m_script.languages[m_language].strings.emplace(int(id), std::move(text)).second) {
      return Fail(QStringLiteral("string %1 is defined twice in one language").arg(id), line);
    }
  }
  return Advance();
}

// A version block: its fixed part, then BEGIN ... END with blocks nested inside.
bool ScriptReader::SkipBlock() {
  const int line = m_token.line;
  int depth = 0;
  bool opened = false;
  while (!opened || depth > 0) {
    if (!Advance()) return false;
    if (m_token.kind == Token::Kind::kEnd)
      return Fail(QStringLiteral("block without an END"), line);
    if (IsWord("BEGIN")) {
      opened = true;
      ++depth;
    } else if (IsWord("END")) {
      if (depth == 0) return Fail(QStringLiteral("END before BEGIN"));
      --depth;
    }
  }
  return Advance();
}

}  // namespace

std::optional<ResourceScript> ParseResourceScript(QByteArrayView text, QString* error) {
  return ScriptReader(text).Read(error);
}

}  // namespace ui
