// Drops whose files take long to measure, with measurers of our own that hold each file until the
// test lets it through: the window repaints meanwhile, the progress dialog appears and cancels,
// drops land in order each as one edit, and closing the window in the middle ends cleanly.
#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "tests/drops/test_measurers.h"
#include "tests/ui/dialog_helpers.h"
#include "ui/measuring_dlg.h"

namespace {

using drops_test::Gate;

// Every file the readers let through lasts one minute.
constexpr std::int64_t kSecondsPerFile = 60;

QStringList Files(int count, const QString& prefix = QStringLiteral("f")) {
  QStringList paths;
  for (int i = 1; i <= count; ++i)
    paths.append(QStringLiteral("/share/%1%2.wav").arg(prefix).arg(i));
  return paths;
}

QString LinesOf(const QStringList& paths) {
  QString lines;
  for (const QString& path : paths) {
    lines += QStringLiteral("0:01.00[%1]\n").arg(path.section(u'/', -1));
  }
  return lines;
}

// An idle window must not wake up.
void ExpectNoTimerRunning(const QWidget& window) {
  for (const QTimer* timer : window.findChildren<QTimer*>()) EXPECT_FALSE(timer->isActive());
}

bool ShowsBusyCursor() {
  const QCursor* cursor = QGuiApplication::overrideCursor();
  return cursor && cursor->shape() == Qt::BusyCursor;
}

// Whether the widget paints again when asked to, that is whether its thread is free.
bool Repaints(QWidget* widget) {
  struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++paints;
      return false;
    }
  } counter;
  widget->installEventFilter(&counter);
  widget->update();
  return QTest::qWaitFor([&] { return counter.paints > 0; }, kPatienceMs);
}

class SlowDropTest : public MainDialogTest {
 protected:
  SlowDropTest() { m_measurer = m_gate->Measurer(); }
  // Before the dialog joins its worker, which may be held at the gate.
  void TearDown() override { m_gate->Open(); }

  CMeasuringDlg* Progress() const { return m_dialog->findChild<CMeasuringDlg*>(); }

  // Waits for the progress dialog to show the count.
  bool WaitForProgress(const QString& count) {
    return QTest::qWaitFor(
        [&] {
          CMeasuringDlg* progress = Progress();
          if (!progress || !progress->isVisible()) return false;
          const auto* shown = progress->findChild<QLabel*>(QStringLiteral("measuringCount"));
          return shown && shown->text() == count;
        },
        kPatienceMs);
  }

  bool WaitUntilAsked(std::size_t files) {
    return QTest::qWaitFor([&] { return m_gate->Asked().size() >= files; }, kPatienceMs);
  }

  std::shared_ptr<Gate> m_gate = std::make_shared<Gate>(kSecondsPerFile);
};

// The list keeps the keyboard meanwhile: what is typed stays, and the drop lands after it.
TEST_F(SlowDropTest, ShowsItsProgressAfterADelayAndKeepsTakingTypingUntilTheLinesLand) {
  m_edit->setPlainText(QStringLiteral("1:00.00\n"));
  MoveCaret(0);
  const QStringList paths = Files(3);
  m_dialog->OnDropFiles(paths);
  EXPECT_TRUE(m_dialog->IsMeasuring());
  EXPECT_TRUE(ShowsBusyCursor());
  EXPECT_TRUE(Progress() == nullptr || !Progress()->isVisible()) << "not before the delay";

  m_gate->Allow(1);
  ASSERT_TRUE(WaitForProgress(QStringLiteral("1 / 3")));
  CMeasuringDlg* progress = Progress();
  EXPECT_EQ(progress->windowModality(), Qt::NonModal);
  EXPECT_EQ(progress->parentWidget(), m_dialog.get());
  EXPECT_EQ(progress->findChild<QProgressBar*>(QStringLiteral("measuringBar"))->value(), 33);
  EXPECT_TRUE(Repaints(m_dialog.get()));
  EXPECT_TRUE(Repaints(m_edit->viewport()));
  EXPECT_EQ(QApplication::activeWindow(), m_dialog.get()) << "the list keeps the keyboard";
  EXPECT_TRUE(m_edit->hasFocus());
  QTest::keyClicks(m_edit, QStringLiteral("0:00.30"));
  QTest::keyClick(m_edit, Qt::Key_Return);
  EXPECT_EQ(m_edit->toPlainText(), QStringLiteral("0:00.30\n1:00.00\n"))
      << "nothing lands before the end";
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:00.30"));

  m_gate->Open();
  ASSERT_TRUE(WaitUntilLanded());
  EXPECT_EQ(m_edit->toPlainText(), QStringLiteral("0:00.30\n1:00.00\n") + LinesOf(paths));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:03.30"));
  EXPECT_FALSE(progress->isVisible());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(SlowDropTest, DropsMadeMeanwhileLandInOrderEachAsItsOwnEdit) {
  m_edit->setPlainText(QStringLiteral("1:00.00"));
  const QStringList first = Files(2, QStringLiteral("a"));
  const QStringList second = Files(1, QStringLiteral("b"));
  QSignalSpy changes(m_edit, &QPlainTextEdit::textChanged);
  m_dialog->OnDropFiles(first);
  m_dialog->OnDropFiles({});
  m_dialog->OnDropFiles(second);
  m_gate->Allow(1);
  ASSERT_TRUE(WaitForProgress(QStringLiteral("1 / 3"))) << "the count covers every drop waiting";

  m_gate->Open();
  ASSERT_TRUE(WaitUntilLanded());
  EXPECT_EQ(changes.count(), 2);
  EXPECT_EQ(m_edit->toPlainText(), QStringLiteral("1:00.00\n") + LinesOf(first) + LinesOf(second));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:03.00"));
  m_edit->undo();
  EXPECT_EQ(m_edit->toPlainText(), QStringLiteral("1:00.00\n") + LinesOf(first));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:02.00"));
}

enum class CancelBy { kButton, kEscape, kReturn, kCloseBox };

struct CancelCase {
  const char* name;
  int files;
  CancelBy by;
};

void PrintTo(const CancelCase& c, std::ostream* out) { *out << c.name; }

class CancelTest : public SlowDropTest, public testing::WithParamInterface<CancelCase> {};

TEST_P(CancelTest, LeavesTheListAsItWasAndNothingLandsAfterwards) {
  const int files = GetParam().files;
  m_edit->setPlainText(QStringLiteral("1:05.08\n0:42.30"));
  Select(0, 7);
  const QString count = QStringLiteral("1 / %1").arg(files);
  m_dialog->OnDropFiles(Files(files));
  m_gate->Allow(1);
  ASSERT_TRUE(WaitForProgress(count));
  ASSERT_TRUE(WaitUntilAsked(2)) << "the second file is being read when Cancel comes";
  EXPECT_TRUE(Repaints(m_edit->viewport()));

  CMeasuringDlg* progress = Progress();
  switch (GetParam().by) {
    case CancelBy::kButton:
      QTest::mouseClick(progress->findChild<QPushButton*>(QStringLiteral("cancelButton")),
                        Qt::LeftButton);
      break;
    case CancelBy::kEscape:
      QTest::keyClick(progress, Qt::Key_Escape);
      break;
    case CancelBy::kReturn:
      QTest::keyClick(progress, Qt::Key_Return);
      break;
    case CancelBy::kCloseBox:
      progress->close();
      break;
  }
  EXPECT_FALSE(progress->isVisible());
  EXPECT_FALSE(m_dialog->IsMeasuring());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(m_dialog->isVisible());
  EXPECT_EQ(m_edit->toPlainText(), QStringLiteral("1:05.08\n0:42.30"));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:47.38"));
  EXPECT_EQ(m_totalSel->text(), QStringLiteral("1:05.08"));

  // The file being read is finished and forgotten; a later drop lands alone.
  m_gate->Open();
  m_dialog->OnDropFiles({QStringLiteral("/share/z.wav")});
  ASSERT_TRUE(WaitUntilLanded());
  EXPECT_EQ(m_edit->toPlainText(), QStringLiteral("1:05.08\n0:42.30\n0:01.00[z.wav]\n"));
  EXPECT_EQ(m_gate->Asked(), (std::vector<std::string>{"f1.wav", "f2.wav", "z.wav"}));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CancelTest,
    testing::Values(CancelCase{"ButtonOnThreeFiles", 3, CancelBy::kButton},
                    CancelCase{"EscapeOnThreeFiles", 3, CancelBy::kEscape},
                    CancelCase{"ReturnOnThreeFiles", 3, CancelBy::kReturn},
                    CancelCase{"CloseBoxOnThreeFiles", 3, CancelBy::kCloseBox},
                    CancelCase{"ButtonOnTenThousandFiles", 10000, CancelBy::kButton},
                    CancelCase{"EscapeOnTenThousandFiles", 10000, CancelBy::kEscape},
                    CancelCase{"CloseBoxOnTenThousandFiles", 10000, CancelBy::kCloseBox}),
    [](const testing::TestParamInfo<CancelCase>& info) { return std::string(info.param.name); });

// Escape and the close box end the window in the middle of a drop: the worker stops after the file
// it is reading, nothing lands, and the busy cursor goes.
enum class CloseBy { kEscape, kCloseBox };

struct CloseCase {
  const char* name;
  CloseBy by;
};

void PrintTo(const CloseCase& c, std::ostream* out) { *out << c.name; }

class CloseDuringDropTest : public SlowDropTest, public testing::WithParamInterface<CloseCase> {};

TEST_P(CloseDuringDropTest, StopsAfterTheFileBeingRead) {
  m_dialog->OnDropFiles(Files(1000));
  ASSERT_TRUE(WaitUntilAsked(1));
  if (GetParam().by == CloseBy::kEscape) {
    QTest::keyClick(m_edit, Qt::Key_Escape);
  } else {
    EXPECT_TRUE(m_dialog->close());
  }
  EXPECT_FALSE(m_dialog->isVisible());
  EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
  EXPECT_FALSE(m_dialog->IsMeasuring());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  m_gate->Open();
  m_dialog.reset();
  EXPECT_EQ(m_gate->Asked(), std::vector<std::string>{"f1.wav"});
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseDuringDropTest,
                         testing::Values(CloseCase{"Escape", CloseBy::kEscape},
                                         CloseCase{"CloseBox", CloseBy::kCloseBox}),
                         [](const testing::TestParamInfo<CloseCase>& info) {
                           return std::string(info.param.name);
                         });

// The program ending without closing the window first, as when the application quits.
TEST_F(SlowDropTest, DestroyingTheWindowInTheMiddleOfADropStopsAfterTheFileBeingRead) {
  m_dialog->OnDropFiles(Files(1000));
  ASSERT_TRUE(WaitUntilAsked(1));
  // The destruction waits for the file being read, so the gate can only open from elsewhere; the
  // pause lets the destruction get under way first.
  std::thread opener([gate = m_gate] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    gate->Open();
  });
  m_dialog.reset();
  opener.join();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(m_gate->Asked(), std::vector<std::string>{"f1.wav"});
}

// Ten thousand files measured at once: one change of the text, one undo step.
class InstantDropTest : public MainDialogTest {
 protected:
  InstantDropTest() {
    m_measurer = std::make_unique<drops_test::MeasureBy>(
        [](const std::filesystem::path&) { return std::int64_t{1}; });
  }
};

TEST_F(InstantDropTest, TenThousandFilesLandAsOneEdit) {
  QSignalSpy changes(m_edit, &QPlainTextEdit::textChanged);
  m_dialog->OnDropFiles(Files(10000));
  ASSERT_TRUE(WaitUntilLanded());
  ExpectNoTimerRunning(*m_dialog);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(m_edit->blockCount(), 10001);
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("2:46.40"));
  m_edit->undo();
  EXPECT_TRUE(m_edit->toPlainText().isEmpty());
  EXPECT_FALSE(m_edit->document()->isUndoAvailable());
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("0:00.00"));
}

}  // namespace
