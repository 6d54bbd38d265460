// The about box: program name and version, our copyright notice and the home page address in a
// field that can be selected and copied but not changed.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

// Our own placeholder address; .example names are reserved and belong to no one.
inline constexpr char kTallimoHomePage[] = "https://tallimo.example";

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);

 private:
  void DoDataExchange();

  QString m_homePage;
  QLineEdit* m_homePageEdit = nullptr;
};
