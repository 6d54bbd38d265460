// The dialog base: from the dialog manager's callback to the object's virtual handlers.
#include "win32/dialog.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "win32/window_ops.h"

namespace win32 {
namespace {

// The few messages whose result a dialog procedure returns itself instead of storing it in
// DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
  switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
      return true;
    default:
      return false;
  }
}

// Dialog keys reach a dialog only through IsDialogMessageW, which a message loop calls for its own
// dialog alone: a modeless dialog shown while another dialog's modal loop runs would never see
// them. A hook on every message this thread takes from its queue hands them over.
struct ModelessDialogs {
  std::vector<HWND> windows;
  HHOOK hook = nullptr;
};

thread_local ModelessDialogs t_modeless;

LRESULT CALLBACK TakeDialogKeys(int code, WPARAM removed, LPARAM lParam) {
  auto* message = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && removed == PM_REMOVE && message->message >= WM_KEYFIRST &&
      message->message <= WM_KEYLAST) {
    // A key may end a dialog, and with it its place in the list.
    const std::vector<HWND> dialogs = t_modeless.windows;
    for (HWND dialog : dialogs) {
      if (::IsDialogMessageW(dialog, message)) {
        // Taken: the loop that asked for the message gets one that does nothing.
        message->message = WM_NULL;
        break;
      }
    }
  }
  return ::CallNextHookEx(nullptr, code, removed, lParam);
}

void AddModeless(HWND dialog) {
  if (t_modeless.windows.empty()) {
    t_modeless.hook =
        ::SetWindowsHookExW(WH_GETMESSAGE, &TakeDialogKeys, nullptr, ::GetCurrentThreadId());
  }
  t_modeless.windows.push_back(dialog);
}

void RemoveModeless(HWND dialog) {
  auto& windows = t_modeless.windows;
  const auto found = std::find(windows.begin(), windows.end(), dialog);
  if (found == windows.end()) return;
  windows.erase(found);
  if (windows.empty() && t_modeless.hook != nullptr) {
    ::UnhookWindowsHookEx(t_modeless.hook);
    t_modeless.hook = nullptr;
  }
}

// A classic template starts with its style; an extended one (DLGTEMPLATEEX) with its version, the
// signature 0xFFFF and the help id, then the extended style and the style.
constexpr std::size_t kExtendedSignatureOffset = 2;
constexpr std::size_t kExtendedStyleOffset = 12;

// Centres a dialog as MFC does: one that was hidden before WM_INITDIALOG and still is, that is not
// a child, and that OnInitDialog left where the template put it.
void CenterIfUnplaced(HWND dialog, const RECT& before) {
  if (::GetWindowLongW(dialog, GWL_STYLE) & (WS_VISIBLE | WS_CHILD)) return;
  RECT now;
  ::GetWindowRect(dialog, &now);
  if (now.left != before.left || now.top != before.top) return;
  CenterWindow(dialog);
}

}  // namespace

CDialog::CDialog(int templateId, HWND parent, DWORD addedStyle)
    : m_templateId(templateId), m_parent(parent), m_addedStyle(addedStyle) {}

CDialog::~CDialog() {
  if (m_hWnd == nullptr) return;
  // The window must not call back into an object that is going.
  ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
  RemoveModeless(m_hWnd);
  ::DestroyWindow(m_hWnd);
}

const DLGTEMPLATE* CDialog::Template(std::vector<std::byte>& copy) const {
  const std::span<const std::byte> bytes = LoadResourceBytes(RT_DIALOG, m_templateId);
  if (bytes.size() < kExtendedStyleOffset + sizeof(DWORD)) return nullptr;
  if (m_addedStyle == 0) return reinterpret_cast<const DLGTEMPLATE*>(bytes.data());
  copy.assign(bytes.begin(), bytes.end());
  WORD signature;
  std::memcpy(&signature, copy.data() + kExtendedSignatureOffset, sizeof(signature));
  const std::size_t offset = signature == 0xFFFF ? kExtendedStyleOffset : 0;
  DWORD style;
  std::memcpy(&style, copy.data() + offset, sizeof(style));
  style |= m_addedStyle;
  std::memcpy(copy.data() + offset, &style, sizeof(style));
  return reinterpret_cast<const DLGTEMPLATE*>(copy.data());
}

INT_PTR CDialog::DoModal() {
  std::vector<std::byte> copy;
  const DLGTEMPLATE* dialogTemplate = Template(copy);
  if (dialogTemplate == nullptr) return -1;
  const INT_PTR result =
      ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialogTemplate, m_parent,
                                &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  m_hWnd = nullptr;
  return result;
}

bool CDialog::Create() {
  std::vector<std::byte> copy;
  const DLGTEMPLATE* dialogTemplate = Template(copy);
  if (dialogTemplate == nullptr) return false;
  HWND window = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), dialogTemplate, m_parent,
                                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  if (window == nullptr) return false;
  AddModeless(window);
  return true;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // A few messages (WM_SETFONT among them) arrive before WM_INITDIALOG hands over the object;
  // the dialog manager's defaults serve them.
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    dialog->m_hWnd = window;
    RECT placed;
    ::GetWindowRect(window, &placed);
    const BOOL focusFirstTabStop = dialog->OnInitDialog();
    // After OnInitDialog, so that texts it sets are fitted too.
    dialog->m_fittedFonts = FitStaticTexts(window);
    CenterIfUnplaced(window, placed);
    return focusFirstTabStop;
  }
  auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  const INT_PTR handled = dialog->Dispatch(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The controls are gone by now, and so is their use of the fitted fonts.
    ::SetWindowLongPtrW(window, DWLP_USER, 0);
    RemoveModeless(window);
    dialog->m_fittedFonts.clear();
    dialog->m_hWnd = nullptr;
  }
  return handled;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDOK:
        OnOK();
        return TRUE;
      case IDCANCEL:
        OnCancel();
        return TRUE;
      default:
        break;
    }
  }
  LRESULT result = 0;
  if (!OnMessage(message, wParam, lParam, result)) return FALSE;
  if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
  ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace win32
