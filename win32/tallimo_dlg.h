// The main dialog: the time list on the left, the total of every line and the total of the
// selection on the right, both kept current on every change of the text and of the selection;
// dropped files are measured on a worker thread, so that the window never freezes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/measuring_process.h"
#include "media/measuring_queue.h"
#include "win32/dialog.h"
#include "win32/measuring_dlg.h"
#include "win32/window_ops.h"

class CTallimoDlg : public win32::CDialog {
 public:
  // The one-shot timer after which a drop still being measured shows its progress; it runs only
  // while a drop is being measured.
  static constexpr UINT_PTR kProgressTimerId = 1;
  // What the worker posts when it has news for the dialog.
  static constexpr UINT kWmMeasuringNews = WM_APP + 1;

  // `reader` measures each dropped file; it runs on a thread of its own. Without one, the files
  // are measured by tallimo-measure.exe, in a process of its own.
  explicit CTallimoDlg(HWND parent = nullptr, media::MeasuringQueue::Reader reader = nullptr);

  // Whether a drop is still waiting for its lengths.
  bool IsMeasuring() const { return !m_drops.empty(); }

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

  // A drop: its paths are read, the drop handle is released at once, and the files are queued
  // for the worker. Each drop's lines land as one edit once all its files are measured, in the
  // order of the drops.
  void OnDropFiles(HDROP drop);
  void OnMeasuringNews();
  void OnProgressDelay();
  void OnCancelMeasuring();
  void EndMeasuring();
  // Lands every drop the worker has measured completely; returns the count of the rest.
  media::MeasuringQueue::News LandMeasuredDrops();
  void AppendDroppedLines(const std::vector<std::u16string>& paths,
                          const std::vector<std::int64_t>& seconds);

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

  const media::MeasuringQueue::Reader m_reader;
  // The measuring process, unless the dialog was given a reader of its own.
  std::unique_ptr<media::MeasuringProcess> m_process;
  // The drops being measured, by ticket: the paths their lines will name.
  std::map<std::uint64_t, std::vector<std::u16string>> m_drops;
  // Made with the window, which it needs as its owner.
  std::optional<CMeasuringDlg> m_measuringDlg;
  // Made with the window, which its worker posts to, and ended before the window goes, so that
  // nothing is posted to a window that is gone. Last, so that it is stopped first in any case.
  std::optional<media::MeasuringQueue> m_measuring;
};
