// The Windows style bits that the dialog templates of res/tallimo.rc carry, named once with the
// values of the Windows headers, for the reader of the script and the builder that acts on them.
#pragma once

#include <cstdint>

namespace ui {

// Window styles of dialogs and controls (WS_*).
inline constexpr std::uint32_t kWsPopup = 0x80000000;
inline constexpr std::uint32_t kWsChild = 0x40000000;
inline constexpr std::uint32_t kWsVisible = 0x10000000;
inline constexpr std::uint32_t kWsCaption = 0x00C00000;  // border and dialog frame together
inline constexpr std::uint32_t kWsBorder = 0x00800000;
inline constexpr std::uint32_t kWsVScroll = 0x00200000;
inline constexpr std::uint32_t kWsHScroll = 0x00100000;
inline constexpr std::uint32_t kWsSysMenu = 0x00080000;
inline constexpr std::uint32_t kWsThickFrame = 0x00040000;  // a frame the user can size
// The same two bits mean the title bar's boxes on a window with a system menu and the tab stop on
// a control.
inline constexpr std::uint32_t kWsMinimizeBox = 0x00020000;
inline constexpr std::uint32_t kWsMaximizeBox = 0x00010000;
inline constexpr std::uint32_t kWsTabStop = 0x00010000;

// Dialog style: the template names a font (DS_SETFONT).
inline constexpr std::uint32_t kDsSetFont = 0x00000040;

// Extended window styles: the window takes dropped files (WS_EX_ACCEPTFILES); it is an
// application's own window on the taskbar, not a dialog of another (WS_EX_APPWINDOW).
inline constexpr std::uint32_t kWsExAcceptFiles = 0x00000010;
inline constexpr std::uint32_t kWsExAppWindow = 0x00040000;

// Edit controls (ES_*).
inline constexpr std::uint32_t kEsMultiline = 0x0004;
inline constexpr std::uint32_t kEsAutoHScroll = 0x0080;
inline constexpr std::uint32_t kEsReadOnly = 0x0800;

// Static controls (SS_*): the low five bits are the kind, the rest are flags.
inline constexpr std::uint32_t kSsTypeMask = 0x001F;
inline constexpr std::uint32_t kSsLeft = 0x0000;
inline constexpr std::uint32_t kSsIcon = 0x0003;
inline constexpr std::uint32_t kSsNoPrefix = 0x0080;

// Buttons (BS_*): the low four bits are the kind.
inline constexpr std::uint32_t kBsTypeMask = 0x000F;
inline constexpr std::uint32_t kBsPushButton = 0x0000;
inline constexpr std::uint32_t kBsDefPushButton = 0x0001;

// Progress bars (PBS_*) that stand upright or run to and fro instead of showing a position.
inline constexpr std::uint32_t kPbsVertical = 0x0004;
inline constexpr std::uint32_t kPbsMarquee = 0x0008;

}  // namespace ui
