; The Windows installer of Tallimo: a per-user installation that needs no administrator rights,
; in Japanese or English by the user's language. cmake/WindowsPackages.cmake compiles it with
; makensis and passes what comes from the build:
;   VERSION    the project version, four numbers     HOMEPAGE   the home page address
;   COPYRIGHT  the copyright line of LICENSE         ICON       the program's icon
;   STAGE      the folder holding tallimo.exe, tallimo.com, tallimo-measure.exe, LICENSE.txt and
;              the uninstall program uninstall.exe (made from uninstall.nsi)
;   TYPES      a file of TALLIMO_SUPPORTED_TYPE lines, one per extension of drops/media_types.txt
;              and drops/playlist_types.txt
;   FFMPEG     defined when tallimo-measure.exe has FFmpeg inside: STAGE then also holds its
;              licence FFmpeg-LGPL-2.1.txt and FFmpeg-NOTICE.txt, which are installed beside it
;   LIBOPENMPT defined when libopenmpt is inside too: STAGE then also holds its licence
;              libopenmpt-LICENSE.txt
;   OUTFILE    the installer to write
!include "${__FILEDIR__}\common.nsh"

; The shell's drop target for programs: a verb with it starts the program once with every selected
; file on its command line, as a drop on the program's icon does, instead of once per file.
!define EXE_DROP_TARGET "{FFE2A43C-56B9-4bf5-9A79-CC6D4285608A}"

OutFile "${OUTFILE}"
; An earlier installation elsewhere is upgraded where it is.
InstallDir "$LOCALAPPDATA\Programs\Tallimo"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" InstallLocation

!define MUI_ICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\tallimo.exe"
!define MUI_FINISHPAGE_TEXT "$(TallimoFinished)"
; Room for the text's six lines or so above the box that starts Tallimo, in either language.
!define MUI_FINISHPAGE_TEXT_LARGE

!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro TALLIMO_LANGUAGES "Tallimo Setup"

LangString TallimoFinished ${LANG_ENGLISH} \
  "Tallimo is installed.$\r$\n$\r$\nType durations into its list, or drop files on its window: audio and video files (MP3, FLAC, M4A, WAV, MP4, MKV and more) add their play length, playlists and cue sheets a line per track."
LangString TallimoFinished ${LANG_JAPANESE} \
  "Tallimo をインストールしました。$\r$\n$\r$\n一覧に時間を入力するか、ファイルをウィンドウにドロップしてください。音声・動画ファイル（MP3、FLAC、M4A、WAV、MP4、MKV など）は再生時間が、プレイリストとキューシートは曲ごとの行が入ります。"
LangString TallimoDescription ${LANG_ENGLISH} "Adds up lists of durations"
LangString TallimoDescription ${LANG_JAPANESE} "時間の一覧を合計します"

!insertmacro TALLIMO_WAIT_UNTIL_CLOSED ""

Function .onInit
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
!ifdef LIBOPENMPT
  File "${STAGE}/libopenmpt-LICENSE.txt"
!endif
  File "${STAGE}/uninstall.exe"
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
