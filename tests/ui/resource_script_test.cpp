// The resource-script reader: for anything outside the statements it knows, an error that names
// the line.
#include "ui/resource_script.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

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
        RefusedCase{"Macro", "#define X 1\n", 1, "preprocessor line not understood"},
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
        RefusedCase{"NotInAStyle", "1 DIALOG 0, 0, 10, 10\nSTYLE 0x1 | NOT 0x2\n", 2,
                    "expected a style, found NOT"},
        RefusedCase{"ExtendedFontWithoutWeight",
                    "1 DIALOGEX 0, 0, 10, 10\nFONT 9, \"f\"\nBEGIN\nEND\n", 3, "font weight"},
        RefusedCase{"ClassicFontWithWeight",
                    "1 DIALOG 0, 0, 10, 10\nFONT 9, \"f\", 400, 0, 1\nBEGIN\nEND\n", 2,
                    "statement not understood: ,"},
        RefusedCase{"EscapeInAString", "1 DIALOG 0, 0, 10, 10\nCAPTION \"a\\n\"\n", 2,
                    "escape sequences are not supported"},
        RefusedCase{"StringWithoutAnEnd", "1 DIALOG 0, 0, 10, 10\nCAPTION \"abc\nBEGIN\n", 2,
                    "string without an end"},
        RefusedCase{"StringNotUtf8",
                    "#pragma code_page(65001)\n1 DIALOG 0, 0, 10, 10\nCAPTION \"\xff\"\n", 3,
                    "not UTF-8"},
        RefusedCase{"NumberThatLooksOctal", "1 DIALOG 010, 0, 10, 10\n", 1,
                    "number not understood: 010"},
        RefusedCase{"NumberWithASuffix", "1 DIALOG 0, 0, 10L, 10\n", 1,
                    "number not understood: 10L"},
        RefusedCase{"NumberBeyond32Bits", "1 DIALOG 0, 0, 10, 10\nSTYLE 0x123456789\n", 2,
                    "number not understood: 0x123456789"},
        RefusedCase{"DialogTwice",
                    "1 DIALOG 0, 0, 10, 10\nBEGIN\nEND\n1 DIALOGEX 0, 0, 10, 10\nBEGIN\nEND\n", 4,
                    "dialog 1 is defined twice"},
        RefusedCase{"StringTwice", "STRINGTABLE\nBEGIN\n  5 \"a\"\n  5 \"b\"\nEND\n", 4,
                    "string 5 is defined twice"},
        RefusedCase{"StringTableWithoutBegin", "STRINGTABLE\n  5 \"a\"\n", 2, "expected BEGIN"},
        RefusedCase{"VersionBlockWithoutAnEnd", "1 VERSIONINFO\nBEGIN\n  BLOCK \"x\"\n", 1,
                    "block without an END"},
        RefusedCase{"UnknownResourceKind", "1 BITMAP \"x.bmp\"\n", 1,
                    "kind not understood: BITMAP"},
        RefusedCase{"NamedResource", "ABOUT DIALOG 0, 0, 10, 10\n", 1,
                    "expected a resource, found ABOUT"},
        RefusedCase{"CommentWithoutAnEnd", "\n/* never closed\n", 2, "comment without an end"},
        RefusedCase{"Braces", "1 DIALOG 0, 0, 10, 10\n{\n}\n", 2, "unexpected character 0x7b"},
        RefusedCase{"DialogCutShort", "1 DIALOG 0, 0, 10, 10\nBEGIN\n", 3,
                    "expected CONTROL or END, found the end of the script"}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

}  // namespace
