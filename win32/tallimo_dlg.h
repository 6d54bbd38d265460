// The main dialog: the time list on the left, the total of every line and the total of the
// selection on the right, both kept current on every change of the text and of the selection.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win32/dialog.h"
#include "win32/window_ops.h"

class CTallimoDlg : public win32::CDialog {
 public:
  explicit CTallimoDlg(HWND parent = nullptr);

 protected:
  BOOL OnInitDialog() override;
  // Return in the list is a line break; an IDOK that reaches the dialog anyway ends nothing.
  void OnOK() override {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void DoDataExchange();

  bool OnSysCommand(UINT id);
  bool OnPaint();
  HICON OnQueryDragIcon() const { return m_hIcon; }
  void RecalcTotals();
  void OnAboutButton();
  void OnDropFiles(HDROP drop);
  void AppendDroppedLines(const std::vector<std::u16string>& lines);

  // The edit box tells of changes to its text, but not of changes to its selection: it is
  // subclassed, and after every message that can move the selection the selection is compared
  // with the one the totals on show were computed with.
  static LRESULT CALLBACK TimeEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR subclassId, DWORD_PTR self);
  void OnSelectionMaybeChanged();

  HWND m_totalSel = nullptr;
  HWND m_totalAll = nullptr;
  HWND m_timeEdit = nullptr;
  HICON m_hIcon;
  HICON m_hSmallIcon;

  // The selection (edit positions) that the totals on show were computed with.
  win32::Selection m_calcSel;
};
