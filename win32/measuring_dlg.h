// The progress of dropped files still being measured, shown when a drop takes a while: how many
// files are done, and the button that gives up on them. A modeless window owned by the main
// dialog, shown without taking the focus: the list keeps the keyboard, and typing goes on while
// the main dialog's thread repaints both and lands the drops.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

#include "win32/dialog.h"

class CMeasuringDlg : public win32::CDialog {
 public:
  // `onCancel` runs when Cancel, Return, Escape or the close box give up on the measuring.
  CMeasuringDlg(HWND owner, std::function<void()> onCancel);

  // Shows the window over the middle of its owner, without activating it; makes it first if need
  // be.
  void Show();
  void Hide();
  bool IsVisible() const;

  // `done` of `total` files measured, as "1234 / 10000" and on the bar.
  void SetProgress(std::size_t done, std::size_t total);

 protected:
  BOOL OnInitDialog() override;
  // Cancel is the default button, so Return cancels; an IDOK from elsewhere ends nothing.
  void OnOK() override {}
  void OnCancel() override { m_onCancel(); }

 private:
  void DoDataExchange();
  void CenterOverOwner() const;

  HWND m_owner;
  std::function<void()> m_onCancel;
  HWND m_bar = nullptr;
  HWND m_count = nullptr;
};
