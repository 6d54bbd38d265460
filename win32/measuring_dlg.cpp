// The progress dialog of a drop, from template 103.
#include "win32/measuring_dlg.h"

#include <commctrl.h>

#include <utility>

#include "drops/progress.h"
#include "res/resource.h"
#include "win32/window_ops.h"

CMeasuringDlg::CMeasuringDlg(HWND owner, std::function<void()> onCancel)
    : win32::CDialog(res::kIddMeasuring, owner), m_owner(owner), m_onCancel(std::move(onCancel)) {}

// FALSE: the dialog manager would give the focus to Cancel, taking it from the list even while the
// window is still hidden.
BOOL CMeasuringDlg::OnInitDialog() {
  DoDataExchange();
  return FALSE;
}

void CMeasuringDlg::DoDataExchange() {
  m_bar = GetDlgItem(res::kIdcMeasuringBar);
  m_count = GetDlgItem(res::kIdcMeasuringCount);
}

void CMeasuringDlg::Show() {
  if (m_hWnd == nullptr) {
    // The template's progress bar is a common control of its own.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    if (!Create()) return;
  }
  if (IsVisible()) return;
  CenterOverOwner();
  ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
}

void CMeasuringDlg::Hide() {
  if (IsVisible()) ::ShowWindow(m_hWnd, SW_HIDE);
}

bool CMeasuringDlg::IsVisible() const { return m_hWnd != nullptr && ::IsWindowVisible(m_hWnd); }

void CMeasuringDlg::SetProgress(std::size_t done, std::size_t total) {
  if (m_hWnd == nullptr) return;
  const drops::ProgressDisplay shown = drops::DescribeProgress(done, total);
  win32::SetText(m_count, shown.count);
  // The bar keeps the range Windows gives it, the one the position is given in.
  ::SendMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(shown.barPosition), 0);
}

// The template places the window at its owner's top left corner, over the list.
void CMeasuringDlg::CenterOverOwner() const {
  if (m_owner == nullptr) return;
  RECT owner;
  RECT own;
  ::GetWindowRect(m_owner, &owner);
  ::GetWindowRect(m_hWnd, &own);
  const int x = owner.left + ((owner.right - owner.left) - (own.right - own.left)) / 2;
  const int y = owner.top + ((owner.bottom - owner.top) - (own.bottom - own.top)) / 2;
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
