// The about box, from template 100. OK, Return, Escape and the close box end it through the base
// class's IDOK and IDCANCEL handling.
#include "win32/about_dlg.h"

#include "res/resource.h"
#include "win32/window_ops.h"

CAboutDlg::CAboutDlg(HWND parent)
    : win32::CDialog(res::kIddAboutBox, parent), m_homePage(kTallimoHomePage) {}

BOOL CAboutDlg::OnInitDialog() {
  DoDataExchange();
  return TRUE;
}

void CAboutDlg::DoDataExchange() { win32::SetText(GetDlgItem(res::kIdcHomePage), m_homePage); }
