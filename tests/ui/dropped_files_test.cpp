// Dropping files on the dialog: the drop's lines join the list as one edit and one recomputation,
// and drags of anything but local files are left out. The lines themselves are the drop
// session's (tests/drops).
#include "ui/dropped_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "tests/ui/dialog_helpers.h"
#include "tests/wave/wave_writer.h"

namespace {

// WAV files whose byte rate is 1 (one 8-bit channel at 1 Hz), so that n bytes of sound last n s.
class DropTest : public MainDialogTest {
 protected:
  QString Wave(const QString& name, int seconds) {
    const QString path = m_dir.filePath(name);
    wave_test::WriteWave(QFile::encodeName(path).toStdString(),
                         wave_test::Header({wave_test::Fmt(1, 1, 8)}, seconds), seconds);
    return path;
  }
  QString File(const QString& name) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    return path;
  }

  QTemporaryDir m_dir;
};

struct DropCase {
  const char* name;
  const char* listBefore;
  const char* dropped;  // file name; ".wav" files last `seconds`
  int seconds;
  const char* listAfter;
  const char* totalAll;
};

void PrintTo(const DropCase& c, std::ostream* out) { *out << c.name; }

class DropCaseTest : public DropTest, public testing::WithParamInterface<DropCase> {};

TEST_P(DropCaseTest, AddsOneLabelledLine) {
  const DropCase& c = GetParam();
  m_edit->setPlainText(QString::fromUtf8(c.listBefore));
  const QString name = QString::fromUtf8(c.dropped);
  const QString path =
      name.endsWith(u"wav", Qt::CaseInsensitive) ? Wave(name, c.seconds) : File(name);
  m_dialog->OnDropFiles({path});
  ASSERT_TRUE(WaitUntilLanded());
  EXPECT_EQ(m_edit->toPlainText(), QString::fromUtf8(c.listAfter));
  EXPECT_EQ(m_totalAll->text(), QString::fromLatin1(c.totalAll));
}

INSTANTIATE_TEST_SUITE_P(
    Drops, DropCaseTest,
    testing::Values(DropCase{"TenSecondWave", "", "a.wav", 10, "0:00.10[a.wav]\n", "0:00.10"},
                    DropCase{"UpperCaseWaveAfterALine", "0:00.10[a.wav]\n", "c.WAV", 65,
                             "0:00.10[a.wav]\n0:01.05[c.WAV]\n", "0:01.15"},
                    // The old behaviour glued the line on: 1:00.000:03.25[a.wav], read as 1:05.25.
                    DropCase{"ListWithoutFinalBreak", "1:00.00", "a.wav", 205,
                             "1:00.00\n0:03.25[a.wav]\n", "1:03.25"},
                    DropCase{"ListEndingInEmptyLine", "1:00.00\n\n", "a.wav", 5,
                             "1:00.00\n\n0:00.05[a.wav]\n", "1:00.05"},
                    DropCase{"JapaneseName", "", "\xe6\x9b\xb2.wav", 3,
                             "0:00.03[\xe6\x9b\xb2.wav]\n", "0:00.03"}),
    [](const testing::TestParamInfo<DropCase>& info) { return std::string(info.param.name); });

TEST_F(DropTest, SeveralFilesAreOneEditInDropOrder) {
  m_edit->setPlainText(QStringLiteral("1:00.00\n"));
  const QStringList paths = {Wave("z.wav", 20), File("notes.txt"), Wave("a.wav", 3)};
  QSignalSpy changes(m_edit, &QPlainTextEdit::textChanged);
  m_dialog->OnDropFiles(paths);
  ASSERT_TRUE(WaitUntilLanded());
  EXPECT_EQ(changes.count(), 1) << "the text must change, and the totals follow, once per drop";
  EXPECT_EQ(m_edit->toPlainText(),
            QStringLiteral("1:00.00\n0:00.20[z.wav]\n0:00.00[notes.txt]\n0:00.03[a.wav]\n"));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:00.23"));

  m_edit->undo();
  EXPECT_EQ(m_edit->toPlainText(), QStringLiteral("1:00.00\n")) << "one undo removes the drop";
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:00.00"));
}

TEST_F(DropTest, LeavesNothingSelectedAndTheCaretAfterTheNewLines) {
  m_edit->setPlainText(QStringLiteral("1:05.08\n0:42.30"));
  Select(0, 7);
  ASSERT_EQ(m_totalSel->text(), QStringLiteral("1:05.08"));
  m_dialog->OnDropFiles({Wave("a.wav", 1)});
  ASSERT_TRUE(WaitUntilLanded());
  EXPECT_FALSE(m_edit->textCursor().hasSelection());
  EXPECT_EQ(m_edit->textCursor().position(), m_edit->toPlainText().size());
  EXPECT_EQ(m_totalSel->text(), QStringLiteral("0:00.00"));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:47.39"));
}

TEST_F(DropTest, AnEmptyDropChangesNothingButRefreshesTheTotals) {
  {
    const QSignalBlocker quiet(m_edit);  // leaves the totals stale
    m_edit->setPlainText(QStringLiteral("2:00.00"));
  }
  ASSERT_EQ(m_totalAll->text(), QStringLiteral("0:00.00"));
  m_dialog->OnDropFiles({});
  ASSERT_TRUE(WaitUntilLanded());
  EXPECT_EQ(m_edit->toPlainText(), QStringLiteral("2:00.00"));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("2:00.00"));
}

// Without tallimo-measure the files show as not measured, and the title says why until a drop is
// measured again.
TEST_F(DropTest, TitleSaysWhenTheMeasuringProgramIsMissing) {
  class MissingOnce final : public drops::Measurer {
   public:
    drops::Measurement Measure(const std::filesystem::path&,
                               std::span<const std::filesystem::path>) override {
      return {.seconds = m_missing ? std::nullopt : std::optional<std::int64_t>(5),
              .noProgram = std::exchange(m_missing, false)};
    }

   private:
    bool m_missing = true;
  };
  m_dialog = std::make_unique<CTallimoDlg>(nullptr, std::make_unique<MissingOnce>());
  const QString caption = m_dialog->windowTitle();
  auto* edit = m_dialog->findChild<QPlainTextEdit*>(QStringLiteral("timeEdit"));
  m_dialog->OnDropFiles({File(QStringLiteral("a.mp3"))});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !m_dialog->IsMeasuring(); }, kPatienceMs));
  EXPECT_EQ(edit->toPlainText(), QStringLiteral("?:??.??[a.mp3]\n"));
  EXPECT_EQ(m_dialog->windowTitle(), Text("Tallimo - 長さを測れないファイルがありました",
                                          "Tallimo - some files could not be measured"));
  m_dialog->OnDropFiles({File(QStringLiteral("b.mp3"))});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !m_dialog->IsMeasuring(); }, kPatienceMs));
  EXPECT_EQ(m_dialog->windowTitle(), caption);
}

// Sends a drag of `data` into `target` and drops it there, as a file manager would.
bool DragAndDrop(QWidget* target, const QMimeData& data, Qt::DropActions actions) {
  const QPointF at(target->width() / 2.0, target->height() / 2.0);
  QDragEnterEvent enter(at.toPoint(), actions, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << "a move would let the source delete its file";
  return drop.isAccepted();
}

TEST_F(DropTest, FilesDraggedOntoTheEditBoxBecomeLinesNotUrlText) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(Wave("a.wav", 10)),
                QUrl(QStringLiteral("https://tallimo.example/b.wav"))});
  ASSERT_TRUE(DragAndDrop(m_edit->viewport(), data, Qt::CopyAction | Qt::MoveAction));
  ASSERT_TRUE(WaitUntilLanded());
  EXPECT_EQ(m_edit->toPlainText(), QStringLiteral("0:00.10[a.wav]\n"));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("0:00.10"));
}

TEST_F(DropTest, FilesDraggedOntoTheRestOfTheDialogBecomeLines) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(File("b.txt"))});
  ASSERT_TRUE(DragAndDrop(m_dialog.get(), data, Qt::CopyAction));
  ASSERT_TRUE(WaitUntilLanded());
  EXPECT_EQ(m_edit->toPlainText(), QStringLiteral("0:00.00[b.txt]\n"));
}

TEST_F(DropTest, DragsWithoutLocalFilesAddNothing) {
  QMimeData link;
  link.setUrls({QUrl(QStringLiteral("https://tallimo.example/b.wav"))});
  link.setText(QStringLiteral("https://tallimo.example/b.wav"));
  EXPECT_FALSE(DragAndDrop(m_edit->viewport(), link, Qt::CopyAction));
  EXPECT_FALSE(DragAndDrop(m_dialog.get(), link, Qt::CopyAction));

  QMimeData onlyMove;
  onlyMove.setUrls({QUrl::fromLocalFile(File("b.txt"))});
  EXPECT_FALSE(DragAndDrop(m_dialog.get(), onlyMove, Qt::MoveAction));
  EXPECT_EQ(m_edit->toPlainText(), QString());
}

// A file manager names files by URLs whose paths are the names' bytes, percent-encoded: a name
// that is no UTF-8 must come out as those bytes, or it could not be opened.
TEST(LocalFilePaths, KeepsLocalFilesInDragOrderAsTheirBytesAndNothingElse) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QStringLiteral("/b/2.wav")),
                QUrl(QStringLiteral("https://tallimo.example/x.wav")),
                QUrl::fromLocalFile(QStringLiteral("/a/1 %.txt")),
                QUrl::fromEncoded("file:///m/caf%E9%FF.mp3"),
                QUrl::fromLocalFile(QStringLiteral("/m/\u66f2.flac"))});
  EXPECT_EQ(ui::LocalFilePaths(data),
            (std::vector<std::filesystem::path>{"/b/2.wav", "/a/1 %.txt", "/m/caf\xe9\xff.mp3",
                                                "/m/\xe6\x9b\xb2.flac"}));
  QMimeData text;
  text.setText(QStringLiteral("/b/2.wav"));
  EXPECT_TRUE(ui::LocalFilePaths(text).empty());
}

}  // namespace
