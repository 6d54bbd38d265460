// A dialog from a resource template in the program's language (window_ops.h):
// DialogBoxIndirectParamW runs it modally, or CreateDialogIndirectParamW makes it a modeless
// window; the object rides in the window's DWLP_USER slot, and every message reaches a virtual
// handler. Derived dialogs route the messages they handle in OnMessage, one switch in the order of
// their message map. Statics whose text the dialog's font does not fit get a narrower font as the
// dialog starts (fit_text.h). A dialog that OnInitDialog does not move opens centred over its
// owner, or on its monitor's work area, as MFC opens one.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "win32/fit_text.h"

namespace win32 {

class CDialog {
 public:
  // `addedStyle`: window styles the window gets beyond its template's, a sizing frame say.
  CDialog(int templateId, HWND parent, DWORD addedStyle = 0);
  // A modeless dialog's window still there goes with the object.
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Shows the dialog and returns when it ends: the value given to EndDialog, or -1 when the
  // template could not be turned into a window.
  INT_PTR DoModal();

  // Makes the dialog a modeless window, hidden unless its template says otherwise, that takes
  // Tab, Return and Escape whichever message loop runs, another dialog's modal one included.
  // False when the template could not be turned into a window.
  bool Create();

  // The dialog's window while it runs, null before and after.
  HWND GetSafeHwnd() const { return m_hWnd; }

 protected:
  // WM_INITDIALOG; TRUE lets the dialog manager give the focus to the first tab stop.
  virtual BOOL OnInitDialog() { return TRUE; }
  // IDOK (Return on a default button, or OK itself) and IDCANCEL (Escape, the close box).
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Any other message: true when handled, with the message's result in `result`; false leaves it
  // to the dialog manager's default handling.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  void EndDialog(INT_PTR result) const { ::EndDialog(m_hWnd, result); }
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

  HWND m_hWnd = nullptr;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  // The template in the program's language with the added styles, or null; `copy` holds it when
  // it had to be changed.
  const DLGTEMPLATE* Template(std::vector<std::byte>& copy) const;

  int m_templateId;
  HWND m_parent;
  DWORD m_addedStyle;
  // The narrower fonts of statics whose text the dialog font did not fit; they go with the window.
  std::vector<UniqueFont> m_fittedFonts;
};

}  // namespace win32
