; The Windows installer of Tallimo: a per-user installation that needs no administrator rights,
; in Japanese or English by the user's language. cmake/WindowsPackages.cmake compiles it with
; makensis and passes what comes from the build:
;   VERSION    the project version, four numbers     HOMEPAGE   the home page address
;   COPYRIGHT  the copyright line of LICENSE         ICON       the program's icon
;   STAGE      the folder holding tallimo.exe, tallimo-measure.exe and LICENSE.txt
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

!define PUBLISHER "The Tallimo developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tallimo"

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
LangString TallimoDescription ${LANG_ENGLISH} "Adds up lists of durations"
LangString TallimoDescription ${LANG_JAPANESE} "時間の一覧を合計します"

; A running Tallimo keeps its exe from being written or deleted, which would leave an old program
; or half an uninstallation behind. Ask until it is closed; a silent run gives up instead (exit
; code 2) and changes nothing.
!macro TALLIMO_WAIT_UNTIL_CLOSED UN
  Function ${UN}WaitUntilClosed
    ${Do}
      ${IfNot} ${FileExists} "$INSTDIR\tallimo.exe"
        Return
      ${EndIf}
      ClearErrors
      FileOpen $0 "$INSTDIR\tallimo.exe" a
      ${IfNot} ${Errors}
        FileClose $0
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
  File "${STAGE}/tallimo-measure.exe"
  File "${STAGE}/LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Tallimo.lnk" "$INSTDIR\tallimo.exe" "" "$INSTDIR\tallimo.exe" 0 \
    SW_SHOWNORMAL "" "$(TallimoDescription)"

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
  Delete "$INSTDIR\tallimo-measure.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Tallimo.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
