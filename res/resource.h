// Resource numbers shared by the dialog templates, the string table, the icons and the code that
// binds to them. The numbers are the ones tallimo.rc uses; keep both in step.
#pragma once

namespace res {

inline constexpr int kIddAboutBox = 100;
inline constexpr int kIdsAboutBox = 101;
inline constexpr int kIddTallimoDialog = 102;
inline constexpr int kIddMeasuring = 103;
inline constexpr int kIdsTimeListName = 104;
// The main window's title while files of the last drop could not be measured for want of the
// measuring program.
inline constexpr int kIdsNotMeasuredTitle = 105;
// The command line's answers (drops/command_line.h, drops/terminal.h). The help is laid out for a
// message box, each paragraph on one line and the options' rows as "option TAB description"; a
// terminal gets it wrapped to its width.
inline constexpr int kIdsHelp = 110;
inline constexpr int kIdsVersion = 111;           // %1: the version
inline constexpr int kIdsUnknownOption = 112;     // %1: the option
inline constexpr int kIdsOptionsExclusive = 113;  // %1, %2: the two options
inline constexpr int kIdsNoPath = 114;            // %1: the option
inline constexpr int kIdsTryHelp = 115;           // after every one of those errors
inline constexpr int kIdsProgress = 116;          // %1 files measured of %2 found
inline constexpr int kIdsNoMeasuringProgram = 117;
inline constexpr int kIdsNoWindowProgram = 118;  // %1: tallimo.exe, which tallimo.com starts
inline constexpr int kIdsNotCounted = 119;       // %1: a file --total could not measure
inline constexpr int kIdrMainFrame = 128;
inline constexpr int kIdiAbout = 131;

// Controls of the main dialog.
inline constexpr int kIdcTimeEdit = 1000;
inline constexpr int kIdcTotalAll = 1001;
inline constexpr int kIdcTotalSel = 1002;
inline constexpr int kIdcAboutButton = 1003;

// Controls of the about box: OK keeps the standard command number, the address field reuses 1003.
inline constexpr int kIdOk = 1;
inline constexpr int kIdcHomePage = 1003;

// Controls of the progress dialog of a drop: Cancel keeps the standard command number.
inline constexpr int kIdCancel = 2;
inline constexpr int kIdcMeasuringBar = 1004;
inline constexpr int kIdcMeasuringCount = 1005;

// What the main dialog's window has beyond its template, which stays as the dialog was designed:
// a sizing frame (WS_THICKFRAME) and a maximise box (WS_MAXIMIZEBOX), so that the list can grow.
inline constexpr unsigned long kMainDialogAddedStyle = 0x00040000 | 0x00010000;

// Command number of the about entry appended to the system menu (low four bits clear, below
// 0xF000).
inline constexpr int kIdmAboutBox = 0x0010;

}  // namespace res
