// The about box, built from template 100.
#include "ui/about_dlg.h"

#include <QLineEdit>
#include <QPushButton>

#include "res/resource.h"
#include "ui/dialog_builder.h"

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent), m_homePage(QString::fromLatin1(kTallimoHomePage)) {
  const ui::BuiltDialog built = ui::BuildDialog(*this, ui::LoadDialogTemplate(res::kIddAboutBox));
  m_homePageEdit = qobject_cast<QLineEdit*>(built.Control(res::kIdcHomePage));
  m_homePageEdit->setObjectName(QStringLiteral("homePage"));
  auto* ok = qobject_cast<QPushButton*>(built.Control(res::kIdOk));
  ok->setObjectName(QStringLiteral("okButton"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  DoDataExchange();
}

void CAboutDlg::DoDataExchange() { m_homePageEdit->setText(m_homePage); }
