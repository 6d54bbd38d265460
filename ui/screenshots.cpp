// Renders the main dialog, holding typed lines and a drop of mixed files with part of the list
// selected, the main dialog after a folder was dropped on it, the about box, and the progress
// dialog of a large drop in the middle of its measuring to PNG files, without a display:
// tallimo_screenshots OUTPUT-FOLDER (make screenshots). The dialogs show in the language of the
// locale, and the English pictures' names end in "-en".
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>

#include "tests/drops/test_measurers.h"
#include "ui/about_dlg.h"
#include "ui/measuring_dlg.h"
#include "ui/resources.h"
#include "ui/tallimo_app.h"
#include "ui/tallimo_dlg.h"

namespace {

constexpr char kTypedLines[] = "1:05.08\n2:10.00";

// The files of the sample drop and the play lengths the picture gives them; none is read.
struct SampleFile {
  std::string_view path;
  std::int64_t seconds;
};
constexpr SampleFile kDroppedFiles[] = {
    {"/music/track 01.mp3", 205},
    {"/music/intro.flac", 252},
    {"/recordings/interview.m4a", 45000},
    {"/video/clip.mp4", 2550},
};
// The album of the folder picture, made as empty files in a temporary folder: the walk needs a real
// tree, the lengths come from this table.
constexpr SampleFile kAlbumFiles[] = {
    {"Album/CD1/1 Overture.flac", 312},
    {"Album/CD1/2 Arrival.flac", 254},
    {"Album/CD1/10 Night Train.flac", 421},
    {"Album/CD2/1 Morning.flac", 198},
    {"Album/CD2/2 Departure.flac", 377},
    {"Album/cover.jpg", 0},
    {"Album/album.cue", 0},
};

// From the first dropped line to the end of the third.
constexpr int kFirstSelectedLine = 2;
constexpr int kSelectedLines = 3;

// The progress picture: a drop of this many files, held after the first `kMeasuredFiles`.
constexpr int kLargeDropFiles = 10000;
constexpr int kMeasuredFiles = 1234;

std::int64_t SampleSeconds(const std::filesystem::path& path) {
  for (const std::span<const SampleFile> files :
       {std::span<const SampleFile>(kDroppedFiles), std::span<const SampleFile>(kAlbumFiles)}) {
    for (const SampleFile& file : files) {
      if (std::filesystem::path(file.path).filename() == path.filename()) return file.seconds;
    }
  }
  return 0;
}

// Lets a number of files through at once, then holds every further one until it is opened.
class Gate {
 public:
  explicit Gate(int files) : m_left(files) {}
  std::int64_t Pass() {
    std::unique_lock lock(m_mutex);
    if (m_left > 0) {
      --m_left;
      return 0;
    }
    m_opened.wait(lock, [this] { return m_open; });
    return 0;
  }
  void Open() {
    const std::lock_guard lock(m_mutex);
    m_open = true;
    m_opened.notify_all();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_opened;
  int m_left;
  bool m_open = false;
};

// Runs the event loop until `done` holds: the lengths arrive through queued calls.
bool WaitFor(const std::function<bool()>& done) {
  const QDeadlineTimer deadline(std::chrono::seconds(20));
  while (!done()) {
    if (deadline.hasExpired()) {
      std::fprintf(stderr, "tallimo_screenshots: the drop did not get that far\n");
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(5);
  }
  return true;
}

QString PictureName(const QString& folder, const char* name) {
  const bool english = ui::InterfaceLanguage() != ui::kLangJapanese;
  return QStringLiteral("%1/%2%3.png")
      .arg(folder, QLatin1String(name), english ? QStringLiteral("-en") : QString());
}

bool Save(QWidget& widget, const QString& path) {
  if (!widget.grab().save(path, "PNG")) {
    std::fprintf(stderr, "tallimo_screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

bool SaveMainDialogAndAboutBox(const QString& folder) {
  CTallimoDlg dialog(nullptr, std::make_unique<drops_test::MeasureBy>(SampleSeconds));
  dialog.show();
  dialog.activateWindow();
  auto* edit = dialog.findChild<QPlainTextEdit*>(QStringLiteral("timeEdit"));
  edit->setPlainText(QString::fromUtf8(kTypedLines));
  QStringList paths;
  for (const SampleFile& file : kDroppedFiles) paths.append(QString::fromUtf8(file.path));
  dialog.OnDropFiles(paths);
  if (!WaitFor([&] { return !dialog.IsMeasuring(); })) return false;

  QTextCursor cursor = edit->textCursor();
  cursor.movePosition(QTextCursor::Start);
  cursor.movePosition(QTextCursor::NextBlock, QTextCursor::MoveAnchor, kFirstSelectedLine);
  cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, kSelectedLines - 1);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  edit->setTextCursor(cursor);
  QApplication::processEvents();
  if (!Save(dialog, PictureName(folder, "main-dialog"))) return false;

  dialog.findChild<QPushButton*>(QStringLiteral("aboutButton"))->click();
  QApplication::processEvents();
  auto* about = dialog.findChild<CAboutDlg*>();
  return about && Save(*about, PictureName(folder, "about-box"));
}

bool SaveFolderDrop(const QString& folder) {
  const QTemporaryDir tree;
  for (const SampleFile& file : kAlbumFiles) {
    const QString path = tree.filePath(QString::fromUtf8(file.path));
    QDir().mkpath(QFileInfo(path).path());
    QFile(path).open(QIODevice::WriteOnly);
  }
  CTallimoDlg dialog(nullptr, std::make_unique<drops_test::MeasureBy>(SampleSeconds));
  dialog.show();
  dialog.activateWindow();
  dialog.OnDropFiles({tree.filePath(QStringLiteral("Album"))});
  if (!WaitFor([&] { return !dialog.IsMeasuring(); })) return false;
  return Save(dialog, folder + QStringLiteral("/folder-drop.png"));
}

bool SaveMeasuringDialog(const QString& folder) {
  auto gate = std::make_shared<Gate>(kMeasuredFiles);
  CTallimoDlg dialog(nullptr, std::make_unique<drops_test::MeasureBy>(
                                  [gate](const std::filesystem::path&) { return gate->Pass(); }));
  dialog.show();
  QStringList paths;
  for (int i = 0; i < kLargeDropFiles; ++i) {
    paths.append(QStringLiteral("/music/take %1.wav").arg(i, 5, 10, QLatin1Char('0')));
  }
  dialog.OnDropFiles(paths);
  const QString count = QStringLiteral("%1 / %2").arg(kMeasuredFiles).arg(kLargeDropFiles);
  CMeasuringDlg* measuring = nullptr;
  const bool shown = WaitFor([&] {
    measuring = dialog.findChild<CMeasuringDlg*>();
    return measuring && measuring->isVisible() &&
           measuring->findChild<QLabel*>(QStringLiteral("measuringCount"))->text() == count;
  });
  const bool saved = shown && Save(*measuring, PictureName(folder, "measuring"));
  // Cancel first, so that the worker stops after the file the gate holds.
  dialog.reject();
  gate->Open();
  return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  CTallimoApp app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  return SaveMainDialogAndAboutBox(folder) && SaveFolderDrop(folder) && SaveMeasuringDialog(folder)
             ? 0
             : 1;
}
