// The progress of dropped files still being measured, shown when a drop takes a while: how many
// files are done, and the button that gives up on them. It never takes the focus from the main
// window, where typing goes on meanwhile.
#pragma once

#include <QDialog>
#include <cstddef>

class QLabel;
class QProgressBar;

class CMeasuringDlg : public QDialog {
  Q_OBJECT

 public:
  // Cancel, Escape and the close box all end the dialog as rejected.
  explicit CMeasuringDlg(QWidget* parent = nullptr);

  // `done` of `total` files measured, as "1234 / 10000" and on the bar.
  void SetProgress(std::size_t done, std::size_t total);

 private:
  QProgressBar* m_bar = nullptr;
  QLabel* m_count = nullptr;
};
