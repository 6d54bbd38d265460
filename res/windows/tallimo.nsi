; The Windows installer of Tallimo: a per-user installation that needs no administrator rights,
; in Japanese or English by the user's language. cmake/WindowsPackages.cmake compiles it with
; makensis and passes what comes from the build:
;   VERSION    the project version, four numbers     HOMEPAGE   the home page address
;   COPYRIGHT  the copyright line of LICENSE         ICON       the program's icon
;   STAGE      the folder holding tallimo.exe, tallimo.com, tallimo-measure.exe and LICENSE.txt
;   TYPES      a file of TALLIMO_SUPPORTED_TYPE lines, one per extension of drops/media_types.txt
;   FFMPEG     defined when tallimo-measure.exe has FFmpeg inside: STAGE then also holds its
;              licence FFmpeg-LGPL-2.1.txt and FFmpeg-NOTICE.txt, which are installed beside it
;   OUTFILE    the installer to write
Unicode true
; The program is 64-bit, so the installer is too: it runs wherever the program does, a Wine
; without 32-bit support included, where a 32-bit installer ends at once with status 0.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
XPStyle on

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include WordFunc.nsh

!define PUBLISHER "The Tallimo developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tallimo"
; The user's own environment, whose PATH lets cmd and PowerShell find "tallimo" (tallimo.com).
!define ENVIRONMENT_KEY "Environment"
; "Open with": the program's own application key, which names the file types it opens without
; taking any of them over (no ProgID, no default).
!define OPEN_WITH_KEY "Software\Classes\Applications\tallimo.exe"
; The shell's drop target for programs: a verb with it starts the program once with every selected
; file on its command line, as a drop on the program's icon does, instead of once per file.
!define EXE_DROP_TARGET "{FFE2A43C-56B9-4bf5-9A79-CC6D4285608A}"

Name "Tallimo"
OutFile "${OUTFILE}"
BrandingText "Tallimo ${VERSION}"
; Per user: the user's own program folder, the user's registry and Start menu, as Windows
; installs per-user applications; an earlier installation elsewhere is upgraded where it is.
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Tallimo"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" InstallLocation

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\tallimo.exe"
!define MUI_FINISHPAGE_TEXT "$(TallimoFinished)"

!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The installer picks the language of the user's Windows; English, the first, serves every user
; whose language is neither of the two.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion ${VERSION}
VIFileVersion ${VERSION}
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductName "Tallimo"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductVersion ${VERSION}
VIAddVersionKey /LANG=${LANG_ENGLISH} FileVersion ${VERSION}
VIAddVersionKey /LANG=${LANG_ENGLISH} FileDescription "Tallimo Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} LegalCopyright "${COPYRIGHT}"

LangString TallimoRunning ${LANG_ENGLISH} \
  "Tallimo is running from $INSTDIR and cannot be replaced or removed.$\r$\n$\r$\nClose it, then choose Retry."
LangString TallimoRunning ${LANG_JAPANESE} \
  "Tallimo が $INSTDIR から実行中のため、置き換えも削除もできません。$\r$\n$\r$\nTallimo を閉じてから [再試行] を選んでください。"
LangString TallimoFinished ${LANG_ENGLISH} \
  "Tallimo is installed.$\r$\n$\r$\nType durations into its list, or drop files on its window: audio and video files (MP3, FLAC, M4A, Ogg, Opus, WAV, MP4, MKV, AVI and more) add their play length, measured as Tallimo on Linux measures them."
LangString TallimoFinished ${LANG_JAPANESE} \
  "Tallimo をインストールしました。$\r$\n$\r$\n一覧に時間を入力するか、ファイルをウィンドウにドロップしてください。音声・動画ファイル（MP3、FLAC、M4A、Ogg、Opus、WAV、MP4、MKV、AVI など）は Linux 版と同じように測った再生時間が入ります。"
LangString TallimoDescription ${LANG_ENGLISH} "Adds up lists of durations"
LangString TallimoDescription ${LANG_JAPANESE} "時間の一覧を合計します"

; A running Tallimo keeps its exe (or, answering in a console, its com) from being written or
; deleted, which would leave an old program or half an uninstallation behind. Ask until it is
; closed; a silent run gives up instead (exit code 2) and changes nothing.
; Sets $1 to 1 when FILE is in place but cannot be written to.
!macro TALLIMO_NOTE_IF_IN_USE FILE
  ${If} ${FileExists} "${FILE}"
    ClearErrors
    FileOpen $0 "${FILE}" a
    ${If} ${Errors}
      StrCpy $1 1
    ${Else}
      FileClose $0
    ${EndIf}
  ${EndIf}
!macroend
!macro TALLIMO_WAIT_UNTIL_CLOSED UN
  Function ${UN}WaitUntilClosed
    ${Do}
      StrCpy $1 0
      !insertmacro TALLIMO_NOTE_IF_IN_USE "$INSTDIR\tallimo.exe"
      !insertmacro TALLIMO_NOTE_IF_IN_USE "$INSTDIR\tallimo.com"
      ${If} $1 == 0
        Return
      ${EndIf}
      ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(TallimoRunning)" /SD IDCANCEL IDCANCEL`
        Abort "$(TallimoRunning)"
      ${EndIf}
    ${Loop}
  FunctionEnd
!macroend
!insertmacro TALLIMO_WAIT_UNTIL_CLOSED ""
!insertmacro TALLIMO_WAIT_UNTIL_CLOSED "un."

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section
  Call WaitUntilClosed
  SetOutPath "$INSTDIR"
  File "${STAGE}/tallimo.exe"
  File "${STAGE}/tallimo.com"
  File "${STAGE}/tallimo-measure.exe"
  File "${STAGE}/LICENSE.txt"
!ifdef FFMPEG
  File "${STAGE}/FFmpeg-LGPL-2.1.txt"
  File "${STAGE}/FFmpeg-NOTICE.txt"
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Tallimo.lnk" "$INSTDIR\tallimo.exe" "" "$INSTDIR\tallimo.exe" 0 \
    SW_SHOWNORMAL "" "$(TallimoDescription)"

  ; "Send to": Explorer hands the shortcut every selected file and folder in one start.
  CreateShortcut "$SENDTO\Tallimo.lnk" "$INSTDIR\tallimo.exe" "" "$INSTDIR\tallimo.exe" 0 \
    SW_SHOWNORMAL "" "$(TallimoDescription)"

  DeleteRegKey HKCU "${OPEN_WITH_KEY}"
  WriteRegStr HKCU "${OPEN_WITH_KEY}" FriendlyAppName "Tallimo"
  WriteRegStr HKCU "${OPEN_WITH_KEY}\DefaultIcon" "" "$INSTDIR\tallimo.exe,0"
  ; Any number of selected files go to one verb call, which the drop target turns into one start;
  ; a program that starts the verb for one file gets the command.
  WriteRegStr HKCU "${OPEN_WITH_KEY}\shell\open" MultiSelectModel "Player"
  WriteRegStr HKCU "${OPEN_WITH_KEY}\shell\open\command" "" '"$INSTDIR\tallimo.exe" "%1"'
  WriteRegStr HKCU "${OPEN_WITH_KEY}\shell\open\DropTarget" Clsid "${EXE_DROP_TARGET}"
  !macro TALLIMO_SUPPORTED_TYPE EXTENSION
    WriteRegStr HKCU "${OPEN_WITH_KEY}\SupportedTypes" "${EXTENSION}" ""
  !macroend
  !include "${TYPES}"

  ; "tallimo" in any console opened from now on: the folder on the user's own PATH, once.
  ReadRegStr $0 HKCU "${ENVIRONMENT_KEY}" Path
  ${WordAdd} "$0" ";" "+$INSTDIR" $1
  ${If} $1 != $0
    WriteRegExpandStr HKCU "${ENVIRONMENT_KEY}" Path "$1"
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}

  ; What "Apps & features" lists and runs.
  WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayName "Tallimo"
  WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\tallimo.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" URLInfoAbout "${HOMEPAGE}"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" NoRepair 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" EstimatedSize $0
SectionEnd

; Only what the installer put there: the folder goes only if nothing of the user's is left in it.
Section Uninstall
  Call un.WaitUntilClosed
  Delete "$INSTDIR\tallimo.exe"
  Delete "$INSTDIR\tallimo.com"
  Delete "$INSTDIR\tallimo-measure.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\FFmpeg-LGPL-2.1.txt"
  Delete "$INSTDIR\FFmpeg-NOTICE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Tallimo.lnk"
  Delete "$SENDTO\Tallimo.lnk"
  DeleteRegKey HKCU "${OPEN_WITH_KEY}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The folder off the PATH again, and the PATH gone if nothing else was on it.
  ReadRegStr $0 HKCU "${ENVIRONMENT_KEY}" Path
  ${un.WordAdd} "$0" ";" "-$INSTDIR" $1
  ${If} $1 != $0
    ${If} $1 == ""
      DeleteRegValue HKCU "${ENVIRONMENT_KEY}" Path
    ${Else}
      WriteRegExpandStr HKCU "${ENVIRONMENT_KEY}" Path "$1"
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
SectionEnd
