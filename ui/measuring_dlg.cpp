// The progress dialog of a drop, built from template 103.
#include "ui/measuring_dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "res/resource.h"
#include "ui/dialog_builder.h"

CMeasuringDlg::CMeasuringDlg(QWidget* parent) : QDialog(parent) {
  const ui::BuiltDialog built = ui::BuildDialog(*this, ui::LoadDialogTemplate(res::kIddMeasuring));
  m_bar = qobject_cast<QProgressBar*>(built.Control(res::kIdcMeasuringBar));
  m_count = qobject_cast<QLabel*>(built.Control(res::kIdcMeasuringCount));
  auto* cancel = qobject_cast<QPushButton*>(built.Control(res::kIdCancel));
  m_bar->setObjectName(QStringLiteral("measuringBar"));
  m_count->setObjectName(QStringLiteral("measuringCount"));
  cancel->setObjectName(QStringLiteral("cancelButton"));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CMeasuringDlg::SetProgress(std::size_t done, std::size_t total) {
  m_count->setText(QStringLiteral("%1 / %2").arg(done).arg(total));
  // The bar keeps the 0 to 100 it was created with, which Windows bars start with too.
  m_bar->setValue(total == 0 ? 0 : static_cast<int>(done * 100 / total));
}
