// The dialog on a list of about 1 MiB: one keystroke, and one change of the selection, from the
// key press or selection reaching the edit box to both totals showing their new values and the
// dialog repainted; the text bridge alone; and a drop of 1,000 WAV files until its lines show.
// Runs on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QUrl>
#include <algorithm>
#include <array>
#include <chrono>
#include <string_view>
#include <vector>

#include "tests/wave/wave_writer.h"
#include "timecalc/edit_text.h"
#include "ui/tallimo_app.h"
#include "ui/tallimo_dlg.h"
#include "ui/window_ops.h"

namespace {

constexpr qsizetype kListBytes = 1 << 20;

// Typed and dropped lines mixed, about 1 MiB once each line break is CR LF.
QString MebibyteList() {
  constexpr std::array<std::string_view, 6> kLines = {
      "0:03.25[track 01.wav]", "1:05.08", "0:04.12[intro take 3.wav]", "12:30.00", "0:00.45",
      "2:15.30[session.wav]"};
  QString list;
  qsizetype bytes = 0;
  for (std::size_t i = 0; bytes < kListBytes; ++i) {
    const std::string_view line = kLines[i % kLines.size()];
    if (!list.isEmpty()) list += QLatin1Char('\n');
    list += QLatin1String(line.data(), static_cast<qsizetype>(line.size()));
    bytes += static_cast<qsizetype>(line.size()) + 2;
  }
  return list;
}

// Needs the application object to exist already.
// Google Benchmark reports means of repetitions; a frame budget is about single events, so each
// one is timed too and the median and the slowest are reported as counters.
class EventTimes {
 public:
  void Start() { m_start = std::chrono::steady_clock::now(); }
  void Stop() {
    m_times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start)
            .count());
  }
  void Report(benchmark::State& state) {
    if (m_times.empty()) return;
    std::sort(m_times.begin(), m_times.end());
    state.counters["median_ms"] = m_times[m_times.size() / 2];
    state.counters["max_ms"] = m_times.back();
  }

 private:
  std::chrono::steady_clock::time_point m_start;
  std::vector<double> m_times;
};

struct ShownDialog {
  ShownDialog() {
    dialog.show();
    edit = dialog.findChild<QPlainTextEdit*>(QStringLiteral("timeEdit"));
    totalAll = dialog.findChild<QLabel*>(QStringLiteral("totalAll"));
    edit->setPlainText(MebibyteList());
    edit->moveCursor(QTextCursor::End);
    QApplication::processEvents();
  }

  CTallimoDlg dialog;
  QPlainTextEdit* edit = nullptr;
  QLabel* totalAll = nullptr;
};

// Alternately types a digit at the end of the list and deletes it again, so the list keeps its
// size and every keystroke changes the total.
void BM_KeystrokeOnMebibyteList(benchmark::State& state) {
  ShownDialog shown;
  const QString before = shown.totalAll->text();
  EventTimes times;
  bool typeDigit = true;
  for (auto _ : state) {
    times.Start();
    QTest::keyClick(shown.edit, typeDigit ? Qt::Key_7 : Qt::Key_Backspace);
    shown.dialog.repaint();
    times.Stop();
    typeDigit = !typeDigit;
  }
  times.Report(state);
  if (typeDigit && shown.totalAll->text() != before) state.SkipWithError("total drifted");
}

// Alternates between selecting the last line and the last two lines.
void BM_SelectionChangeOnMebibyteList(benchmark::State& state) {
  ShownDialog shown;
  const qsizetype end = shown.edit->toPlainText().size();
  EventTimes times;
  bool oneLine = true;
  for (auto _ : state) {
    times.Start();
    QTextCursor cursor = shown.edit->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::PreviousBlock, QTextCursor::KeepAnchor, oneLine ? 0 : 1);
    cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    shown.edit->setTextCursor(cursor);
    shown.dialog.repaint();
    times.Stop();
    oneLine = !oneLine;
  }
  times.Report(state);
  state.counters["characters"] = static_cast<double>(end);
}

// Through a kept buffer, as the dialog converts on every keystroke.
void BM_ToListBytesOnMebibyteList(benchmark::State& state) {
  const QString list = MebibyteList();
  timecalc::ListBytesBuffer buffer;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        buffer.Convert(ui::Utf16View(list), timecalc::LineBreak::kLf, 0, list.size()));
  }
  state.SetBytesProcessed(state.iterations() * kListBytes);
}

// Drops 1,000 WAV files of ten seconds each on an empty list and waits for the lines to show:
// every file is opened on the dialog's worker thread and measured by tallimo-measure, the 1,000
// lines land as one edit, both totals are updated and the dialog is repainted. With 1, the files
// are first dragged over the window, which starts the measuring process, as a user's drag does.
void BM_DropThousandWaveFiles(benchmark::State& state) {
  const bool dragged = state.range(0) == 1;
  QTemporaryDir dir;
  QStringList paths;
  for (int i = 0; i < 1000; ++i) {
    paths.append(dir.filePath(QStringLiteral("take %1.wav").arg(i, 4, 10, QLatin1Char('0'))));
    wave_test::WriteWave(QFile::encodeName(paths.back()).toStdString(),
                         wave_test::Header({wave_test::Fmt(2, 44100, 16)}, 1764000), 1764000);
  }
  CTallimoDlg dialog;
  dialog.show();
  auto* edit = dialog.findChild<QPlainTextEdit*>(QStringLiteral("timeEdit"));
  auto* totalAll = dialog.findChild<QLabel*>(QStringLiteral("totalAll"));
  for (auto _ : state) {
    state.PauseTiming();
    edit->clear();
    if (dragged) {
      QMimeData files;
      QList<QUrl> urls;
      for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
      files.setUrls(urls);
      QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&dialog, &enter);
      // A hand moving files across the screen takes longer than the start.
      QTest::qWait(300);
    }
    QApplication::processEvents();
    state.ResumeTiming();
    dialog.OnDropFiles(paths);
    // Sleeps until an event comes, such as the worker's news.
    while (dialog.IsMeasuring()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    dialog.repaint();
  }
  if (totalAll->text() != QStringLiteral("2:46.40")) state.SkipWithError("wrong total");
}

BENCHMARK(BM_DropThousandWaveFiles)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeOnMebibyteList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectionChangeOnMebibyteList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToListBytesOnMebibyteList)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  CTallimoApp app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
