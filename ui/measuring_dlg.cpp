// The progress dialog of a drop, built from template 103.
#include "ui/measuring_dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "drops/progress.h"
#include "res/resource.h"
#include "ui/dialog_builder.h"
#include "ui/window_ops.h"

CMeasuringDlg::CMeasuringDlg(QWidget* parent) : QDialog(parent) {
  const ui::BuiltDialog built = ui::BuildDialog(*this, ui::LoadDialogTemplate(res::kIddMeasuring));
  m_bar = qobject_cast<QProgressBar*>(built.Control(res::kIdcMeasuringBar));
  m_count = qobject_cast<QLabel*>(built.Control(res::kIdcMeasuringCount));
  auto* cancel = qobject_cast<QPushButton*>(built.Control(res::kIdCancel));
  m_bar->setObjectName(QStringLiteral("measuringBar"));
  m_count->setObjectName(QStringLiteral("measuringCount"));
  cancel->setObjectName(QStringLiteral("cancelButton"));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  // It shows beside the main window without taking the keyboard from the list; a click, or
  // Escape once it has the focus, cancels.
  setWindowModality(Qt::NonModal);
  setAttribute(Qt::WA_ShowWithoutActivating);
}

void CMeasuringDlg::SetProgress(std::size_t done, std::size_t total) {
  const drops::ProgressDisplay shown = drops::DescribeProgress(done, total);
  m_count->setText(ui::FromUtf16(shown.count));
  // The bar keeps the range it was created with, which is the one the position is given in.
  m_bar->setValue(shown.barPosition);
}
