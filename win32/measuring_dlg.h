// The progress of dropped files still being measured, shown when a drop takes a while: how many
// files are done, and the button that gives up on them. A modeless window owned by the main
// dialog, which it disables while it shows: it blocks the main dialog as a modal window would,
// while the main dialog's thread goes on repainting it and landing the drops.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

#include "win32/dialog.h"

class CMeasuringDlg : public win32::CDialog {
 public:
  // `onCancel` runs when Cancel, Return, Escape or the close box give up on the measuring.
  CMeasuringDlg(HWND owner, std::function<void()> onCancel);

  // Shows the window over the middle of its owner, the owner disabled; makes it first if need be.
  void Show();
  // Hides it, enabling the owner first so that the owner gets the focus back.
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
  // Whether Show disabled the owner: one that something else disabled stays so.
  bool m_ownerDisabled = false;
};
