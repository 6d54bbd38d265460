// The main dialog: the time list on the left, the total of every line and the total of the
// selection on the right, both kept current on every change of the text and of the selection;
// dropped files are measured on a worker thread, so that the window never freezes.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "drops/drop_session.h"
#include "timecalc/edit_text.h"
#include "win32/dialog.h"
#include "win32/drop_target.h"
#include "win32/measuring_dlg.h"
#include "win32/window_ops.h"

class CTallimoDlg : public win32::CDialog {
 public:
  // The one-shot timer after which a drop still being measured shows its progress; it runs only
  // while a drop is being measured.
  static constexpr UINT_PTR kProgressTimerId = 1;
  // What the worker posts when it has news for the dialog.
  static constexpr UINT kWmMeasuringNews = WM_APP + 1;

  // `measurer` measures the dropped files, on a thread of its own; without one,
  // tallimo-measure.exe does, in a process of its own.
  explicit CTallimoDlg(HWND parent = nullptr, std::unique_ptr<drops::Measurer> measurer = nullptr);

  // Paths to measure into the list as the window opens, as if dropped on it: those of the command
  // line. Called before DoModal.
  void DropOnStart(std::vector<std::filesystem::path> paths) { m_startPaths = std::move(paths); }

  // Whether a drop is still waiting for its lengths.
  bool IsMeasuring() const { return m_drops && m_drops->Busy(); }

 protected:
  BOOL OnInitDialog() override;
  // Return in the list is a line break; an IDOK that reaches the dialog anyway ends nothing.
  void OnOK() override {}
  // Escape, the close box and WM_CLOSE give up on the drops still being measured.
  void OnCancel() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void DoDataExchange();

  bool OnSysCommand(UINT id);
  bool OnPaint();
  HICON OnQueryDragIcon() const { return m_hIcon; }
  void RecalcTotals();
  void OnAboutButton();
  bool OnSetCursor(UINT hitTest);
  void OnDestroy();

  // A drop of files and folders, queued for the worker. Each drop's lines land as one edit once
  // all its files are measured, in the order of the drops.
  void OnDropPaths(const std::vector<std::u16string>& paths);
  void OnDropPaths(std::vector<std::filesystem::path> paths);
  // WM_DROPFILES, from a source that does not drag through OLE: a handle that is not a drop of
  // this process is ignored.
  void OnDropFiles(HDROP drop);
  void OnMeasuringNews();
  void OnProgressDelay();
  void OnCancelMeasuring();
  void EndMeasuring();
  // The window can grow beyond its template, never shrink below it: the list takes the room.
  void RememberTemplateLayout();
  void OnSize();
  void OnGetMinMaxInfo(MINMAXINFO& info) const;
  // On a monitor of another scale the dialog manager scales the dialog and its controls; what the
  // layout starts from scales with them.
  void OnDpiChanged(UINT dpi);

  // Lands every drop the worker has measured completely; returns the progress of the rest.
  drops::DropSession::News LandMeasuredDrops();
  void LandDrop(const drops::DropSession::Landed& landed);
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
  std::u16string m_caption;  // the template's

  // Each control's place as the template puts it, the client area's size and the window's size
  // then: what a larger window is laid out from, and the smallest it may be.
  struct TemplatePlace {
    HWND control;
    int id;
    RECT place;
  };
  std::vector<TemplatePlace> m_templatePlaces;
  SIZE m_templateClient{};
  SIZE m_templateWindow{};
  UINT m_templateDpi = USER_DEFAULT_SCREEN_DPI;

  // The selection (edit positions) that the totals on show were computed with.
  win32::Selection m_calcSel;
  // The list's text and its bytes for the totaliser, kept from one keystroke to the next.
  std::u16string m_listText;
  timecalc::ListBytesBuffer m_listBytes;

  // Given to the drop session once the window is made.
  std::unique_ptr<drops::Measurer> m_measurer;
  std::vector<std::filesystem::path> m_startPaths;
  // Registered with the window while it lives; OLE holds a reference of its own meanwhile.
  win32::CDropTarget* m_dropTarget = nullptr;
  // Made with the window, which it needs as its owner.
  std::optional<CMeasuringDlg> m_measuringDlg;
  // Made with the window, which its worker posts to, and ended before the window goes, so that
  // nothing is posted to a window that is gone. Last, so that it is stopped first in any case.
  std::optional<drops::DropSession> m_drops;
};
