// The application object.
#include "ui/tallimo_app.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <string>
#include <vector>

#include "drops/command_line.h"
#include "drops/terminal.h"
#include "ui/resources.h"
#include "ui/tallimo_dlg.h"
#include "ui/window_ops.h"

CTallimoApp::CTallimoApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Tallimo"));
  setApplicationVersion(QStringLiteral(TALLIMO_VERSION));
  // Lets Wayland compositors find the installed desktop entry and its icon.
  setDesktopFileName(QStringLiteral("example.tallimo.Tallimo"));
  InstallQtTranslations();
}

// Qt's source texts are English; Japanese comes from the translations the system keeps for Qt
// (Debian's qt6-translations-l10n). Without them Qt's texts stay English.
void CTallimoApp::InstallQtTranslations() {
  if (ui::InterfaceLanguage() != ui::kLangJapanese) return;
  auto* translator = new QTranslator(this);
  if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(translator);
  } else {
    delete translator;
  }
}

bool CTallimoApp::InitInstance(const std::vector<std::string>& arguments) {
  const drops::CommandLine line =
      drops::ReadCommandLine(arguments, ui::Utf16View(applicationVersion()), ui::LoadText);
  // What is left once Qt took its own options out can still be an unknown option.
  if (line.action != drops::CommandLine::Action::kRun) {
    m_exitStatus = drops::RunWithoutWindow(line, *drops::StandardStreams(), ui::LoadText);
    return false;
  }

  CTallimoDlg dialog;
  if (!line.paths.empty()) dialog.OnDropPaths(line.paths);
  dialog.exec();
  return false;
}
