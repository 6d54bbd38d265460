// The resource-script reader: for each statement it accepts, the same dialogs and strings as
// windres compiles from the same text; for anything else, an error that names the line.
#include "ui/resource_script.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <optional>
#include <ostream>
#include <set>
#include <string>

#include "tests/ui/compiled_resources.h"
#include "tests/ui/res_file.h"

namespace {

struct ScriptCase {
  const char* name;
  const char* script;
};

void PrintTo(const ScriptCase& script, std::ostream* out) { *out << script.name; }

std::string CaseName(const testing::TestParamInfo<ScriptCase>& info) { return info.param.name; }

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Compiles a script with windres in a scratch folder that also holds the files scripts name.
std::optional<std::vector<resfile::Resource>> Compile(const QByteArray& script) {
  const QTemporaryDir dir;
  const QDir folder(dir.path());
  if (!dir.isValid() || !WriteFile(folder.filePath(QStringLiteral("script.rc")), script) ||
      !WriteFile(folder.filePath(QStringLiteral("empty.h")), {}) ||
      !WriteFile(folder.filePath(QStringLiteral("app.manifest")), "<assembly/>\n") ||
      !QFile::copy(QStringLiteral(TALLIMO_SOURCE_DIR "/res/icons/131.ico"),
                   folder.filePath(QStringLiteral("app.ico")))) {
    ADD_FAILURE() << "cannot set up " << dir.path().toStdString();
    return std::nullopt;
  }
  QProcess windres;
  windres.setWorkingDirectory(dir.path());
  windres.start(QStringLiteral(TALLIMO_WINDRES),
                {QStringLiteral("-I"), QStringLiteral("."), QStringLiteral("-i"),
                 QStringLiteral("script.rc"), QStringLiteral("-O"), QStringLiteral("res"),
                 QStringLiteral("-o"), QStringLiteral("script.res")});
  if (!windres.waitForFinished() || windres.exitStatus() != QProcess::NormalExit ||
      windres.exitCode() != 0) {
    ADD_FAILURE() << "windres: " << windres.readAllStandardError().toStdString();
    return std::nullopt;
  }
  return resfile::ReadResources(testres::ReadBytes(folder.filePath(QStringLiteral("script.res"))));
}

class ReadsAsWindresCompilesTest : public testing::TestWithParam<ScriptCase> {};

TEST_P(ReadsAsWindresCompilesTest, SameDialogsAndStrings) {
  const QByteArray text(GetParam().script);
  QString error;
  const std::optional<ui::ResourceScript> script = ui::ParseResourceScript(text, &error);
  ASSERT_TRUE(script) << error.toStdString();
  const std::optional<std::vector<resfile::Resource>> compiled = Compile(text);
  ASSERT_TRUE(compiled);

  // Dialogs and strings by language and number.
  std::set<std::pair<int, int>> compiledDialogs;
  std::set<int> compiledLanguages;
  for (const resfile::Resource& resource : *compiled) {
    if (resource.type.ordinal == resfile::kRtString) compiledLanguages.insert(resource.language);
    if (resource.type.ordinal != resfile::kRtDialog) continue;
    ASSERT_TRUE(resource.name.ordinal);
    compiledDialogs.emplace(resource.language, *resource.name.ordinal);
    const std::optional<resfile::Dialog> dialog = resfile::ParseDialog(resource.data);
    ASSERT_TRUE(dialog);
    const auto language = script->languages.find(resource.language);
    ASSERT_NE(language, script->languages.end()) << "language " << resource.language;
    const auto read = language->second.dialogs.find(*resource.name.ordinal);
    ASSERT_NE(read, language->second.dialogs.end()) << "dialog " << *resource.name.ordinal;
    testres::ExpectSameDialog(*dialog, read->second);
  }
  std::set<std::pair<int, int>> readDialogs;
  for (const auto& [language, resources] : script->languages) {
    for (const auto& [id, dialog] : resources.dialogs) readDialogs.emplace(language, id);
    std::map<int, std::u16string> readStrings;
    for (const auto& [id, string] : resources.strings) readStrings[id] = string.toStdU16String();
    EXPECT_EQ(readStrings, testres::Strings(*compiled, language)) << "language " << language;
    compiledLanguages.erase(language);
  }
  EXPECT_EQ(readDialogs, compiledDialogs);
  EXPECT_TRUE(compiledLanguages.empty()) << "strings of a language the reader did not find";
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ReadsAsWindresCompilesTest,
    testing::Values(
        ScriptCase{"BareDialogGetsTheDefaultStyle", "1 DIALOG 0, 0, 10, 10\nBEGIN\nEND\n"},
        ScriptCase{"CaptionAndFontAddTheirBits",
                   "2 DIALOG 3, 4, 50, 60\nCAPTION \"c\"\nFONT 8, \"f\"\nBEGIN\nEND\n"},
        ScriptCase{"StyleReplacesTheDefaultButKeepsTheCaptionBit",
                   "3 DIALOG 0, 0, 10, 10\nCAPTION \"c\"\nSTYLE 0x1\nBEGIN\nEND\n"},
        ScriptCase{"StylesOfSeveralNumbers",
                   "4 DIALOG 0, 0, 10, 10\nSTYLE 0x80000000 | 0x40 | 12\n"
                   "EXSTYLE 0x10|0x00040000\nFONT 9, \"f\"\nBEGIN\nEND\n"},
        ScriptCase{"ExtendedDialogWithAFullFont",
                   "5 DIALOGEX 1, 2, 30, 40\nSTYLE 0x90C800C0\nEXSTYLE 0x00040010\n"
                   "CAPTION \"x\"\nFONT 10, \"Face\", 700, 1, 128\nBEGIN\nEND\n"},
        ScriptCase{"ExtendedDialogWithoutAFont", "6 DIALOGEX 0, 0, 10, 10\nBEGIN\nEND\n"},
        ScriptCase{"ControlsOfAClassicDialog",
                   "7 DIALOG 0, 0, 100, 100\nBEGIN\n"
                   "  CONTROL \"\", -1, \"STATIC\", 0, -5, -6, 7, 8\n"
                   "  CONTROL 131, 0, \"STATIC\", 0x3, 1, 2, 3, 4\n"
                   "  CONTROL \"say \"\"hi\"\"\", 65535, \"edit\", 0x50010000 | 0x4, 1, 2, 3, 4\n"
                   "  CONTROL \"x\", 8, \"MyClass\", 0x0, 0, 0, 0, 0\nEND\n"},
        ScriptCase{"ControlsOfAnExtendedDialog",
                   "8 DIALOGEX 0, 0, 100, 100\nBEGIN\n"
                   "  CONTROL \"\", -1, \"STATIC\", 0, -5, -6, 7, 8\n"
                   "  CONTROL \"OK\", 1, \"BUTTON\", 0x50030001, 178, 7, 32, 14\n"
                   "  CONTROL \"x\", 65535, \"STATIC\", 0, 0, 0, 1, 1\nEND\n"},
        ScriptCase{"CommentsAndPreprocessorLines",
                   "#pragma code_page(65001)\n#include \"empty.h\"\n  #include <empty.h>\n"
                   "// a comment\n/* a comment\n over lines */ 9 DIALOG /* here */ 0, 0, 10, 10\n"
                   "CAPTION \"// not a comment\" // a comment\nBEGIN\nEND\n"},
        ScriptCase{"Utf8Texts",
                   "#pragma code_page(65001)\n10 DIALOG 0, 0, 10, 10\nCAPTION \"ﾊﾞｰｼﾞｮﾝ情報\"\n"
                   "FONT 9, \"ＭＳ Ｐゴシック\"\n"
                   "BEGIN\n  CONTROL \"←ここに\", -1, \"STATIC\", 0, 1, 2, 3, 4\nEND\n"},
        ScriptCase{"StringTable",
                   "#pragma code_page(65001)\nSTRINGTABLE\nBEGIN\n  1 \"one\"\n"
                   "  17, \"seventeen \"\"quoted\"\"\"\n  101 \"(&A)...\"\n  65535 \"日本\"\n"
                   "  2 \"lines\\n\" \"joined\\tby \\\\\"\n    \"windres\"\nEND\n"},
        ScriptCase{"SkipsIconsTheVersionBlockAndFiles",
                   "LANGUAGE 0x11, 0x1\n7 ICON \"app.ico\"\n"
                   "1 VERSIONINFO\nFILEVERSION 1,0,0,1\nFILEOS 0x40004\nBEGIN\n"
                   "  BLOCK \"StringFileInfo\"\n  BEGIN\n    BLOCK \"041104b0\"\n    BEGIN\n"
                   "      VALUE \"FileVersion\", \"1.0\"\n    END\n  END\n"
                   "  BLOCK \"VarFileInfo\"\n  BEGIN\n    VALUE \"Translation\", 0x0411, 1200\n"
                   "  END\nEND\n1 24 \"app.manifest\"\n11 DIALOG 0, 0, 10, 10\nBEGIN\nEND\n"},
        ScriptCase{"SameNumbersInTwoLanguages",
                   "12 DIALOG 0, 0, 10, 10\nCAPTION \"en\"\nBEGIN\nEND\n"
                   "STRINGTABLE\nBEGIN\n  5 \"five\"\nEND\nLANGUAGE 0x11, 0x1\n"
                   "12 DIALOG 0, 0, 20, 20\nCAPTION \"ja\"\nBEGIN\nEND\n"
                   "STRINGTABLE\nBEGIN\n  5 \"go\"\nEND\nLANGUAGE 7, 2\n"
                   "STRINGTABLE\nBEGIN\n  6 \"sechs\"\nEND\n"}),
    CaseName);

struct RefusedCase {
  const char* name;
  const char* script;
  int line;
  const char* says;
};

void PrintTo(const RefusedCase& refused, std::ostream* out) { *out << refused.name; }

class RefusesTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusesTest, NamesTheLineAndWhatItMet) {
  QString error;
  EXPECT_FALSE(ui::ParseResourceScript(QByteArray(GetParam().script), &error));
  EXPECT_TRUE(error.startsWith(QStringLiteral("line %1: ").arg(GetParam().line)))
      << error.toStdString();
  EXPECT_TRUE(error.contains(QString::fromUtf8(GetParam().says))) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, RefusesTest,
    testing::Values(
        RefusedCase{"Conditional", "\n#if 0\n", 2, "preprocessor line not understood: #if 0"},
        RefusedCase{"OtherCodePage", "#pragma code_page(932)\n", 1, "code_page(932)"},
        RefusedCase{"TextBeyondAsciiWithoutCodePage", "1 DIALOG 0, 0, 10, 10\nCAPTION \"é\"\n", 2,
                    "before #pragma code_page(65001)"},
        RefusedCase{"MenuStatement", "1 DIALOG 0, 0, 10, 10\nMENU 5\nBEGIN\nEND\n", 2,
                    "statement not understood: MENU"},
        RefusedCase{"CaptionTwice", "1 DIALOG 0, 0, 10, 10\nCAPTION \"a\"\nCAPTION \"b\"\n", 3,
                    "CAPTION is given twice"},
        RefusedCase{"HelpIdInTheHeader", "1 DIALOGEX 0, 0, 10, 10, 5\nBEGIN\nEND\n", 1,
                    "statement not understood: ,"},
        RefusedCase{"ShorthandControl",
                    "1 DIALOG 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\", -1, 0, 0, 10, 8\nEND\n", 3,
                    "expected CONTROL or END, found LTEXT"},
        RefusedCase{"ControlWithExtendedStyle",
                    "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n"
                    "  CONTROL \"a\", 1, \"STATIC\", 0, 0, 0, 10, 8, 0x20\nEND\n",
                    3, "expected CONTROL or END, found ,"},
        RefusedCase{"ControlWithoutClass",
                    "1 DIALOG 0, 0, 10, 10\nBEGIN\n  CONTROL \"a\", 1, 0, 0, 0, 10, 8\nEND\n", 3,
                    "expected a class name, found 0"},
        RefusedCase{"ControlIdOutOfRange",
                    "1 DIALOG 0, 0, 10, 10\nBEGIN\n"
                    "  CONTROL \"a\", 65536, \"STATIC\", 0, 0, 0, 10, 8\nEND\n",
                    3, "a control id 65536 is out of range"},
        RefusedCase{"NamedStyle", "1 DIALOG 0, 0, 10, 10\nSTYLE WS_POPUP\n", 2,
                    "expected a style, found WS_POPUP"},
        RefusedCase{"ExtendedFontWithoutWeight",
                    "1 DIALOGEX 0, 0, 10, 10\nFONT 9, \"f\"\nBEGIN\nEND\n", 3, "font weight"},
        RefusedCase{"ClassicFontWithWeight",
                    "1 DIALOG 0, 0, 10, 10\nFONT 9, \"f\", 400, 0, 1\nBEGIN\nEND\n", 2,
                    "statement not understood: ,"},
        RefusedCase{"HexEscapeInAString", "1 DIALOG 0, 0, 10, 10\nCAPTION \"a\\x41\"\n", 2,
                    "escape sequence \\x is not supported"},
        RefusedCase{"StringWithoutAnEnd", "1 DIALOG 0, 0, 10, 10\nCAPTION \"abc\nBEGIN\n", 2,
                    "string without an end"},
        RefusedCase{"StringNotUtf8",
                    "#pragma code_page(65001)\n1 DIALOG 0, 0, 10, 10\nCAPTION \"\xff\"\n", 3,
                    "not UTF-8"},
        RefusedCase{"NumberThatLooksOctal", "1 DIALOG 010, 0, 10, 10\n", 1,
                    "number not understood: 010"},
        RefusedCase{"NumberBeyond32Bits", "1 DIALOG 0, 0, 10, 10\nSTYLE 0x123456789\n", 2,
                    "number not understood: 0x123456789"},
        RefusedCase{"DialogTwice",
                    "1 DIALOG 0, 0, 10, 10\nBEGIN\nEND\n1 DIALOGEX 0, 0, 10, 10\nBEGIN\nEND\n", 4,
                    "dialog 1 is defined twice in one language"},
        RefusedCase{"StringTwice", "STRINGTABLE\nBEGIN\n  5 \"a\"\n  5 \"b\"\nEND\n", 4,
                    "string 5 is defined twice in one language"},
        RefusedCase{"StringTableWithoutBegin", "STRINGTABLE\n  5 \"a\"\n", 2, "expected BEGIN"},
        RefusedCase{"VersionBlockWithoutAnEnd", "1 VERSIONINFO\nBEGIN\n  BLOCK \"x\"\n", 1,
                    "block without an END"},
        RefusedCase{"UnknownResourceKind", "1 BITMAP \"x.bmp\"\n", 1,
                    "kind not understood: BITMAP"},
        RefusedCase{"CommentWithoutAnEnd", "\n/* never closed\n", 2, "comment without an end"},
        RefusedCase{"Braces", "1 DIALOG 0, 0, 10, 10\n{\n}\n", 2, "unexpected character 0x7b"},
        RefusedCase{"DialogCutShort", "1 DIALOG 0, 0, 10, 10\nBEGIN\n", 3,
                    "expected CONTROL or END, found the end of the script"}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

}  // namespace
