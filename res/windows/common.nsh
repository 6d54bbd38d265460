; What Tallimo's installer (tallimo.nsi) and its uninstall program (uninstall.nsi) share: their
; settings, the registry keys they write and remove, their languages and texts, their version
; block, and the wait for a running Tallimo to end. Each script includes it first and inserts
; TALLIMO_LANGUAGES after its pages, which MUI needs before its languages.
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

Name "Tallimo"
BrandingText "Tallimo ${VERSION}"
; Per user: the user's own program folder, the user's registry and Start menu, as Windows
; installs per-user applications.
RequestExecutionLevel user

; The languages, English first, which serves every user whose language is neither of the two: the
; installer picks the language of the user's Windows. Then what both programs say.
!macro TALLIMO_LANGUAGES DESCRIPTION
  !insertmacro MUI_LANGUAGE "English"
  !insertmacro MUI_LANGUAGE "Japanese"

  VIProductVersion ${VERSION}
  VIFileVersion ${VERSION}
  VIAddVersionKey /LANG=${LANG_ENGLISH} ProductName "Tallimo"
  VIAddVersionKey /LANG=${LANG_ENGLISH} ProductVersion ${VERSION}
  VIAddVersionKey /LANG=${LANG_ENGLISH} FileVersion ${VERSION}
  VIAddVersionKey /LANG=${LANG_ENGLISH} FileDescription "${DESCRIPTION}"
  VIAddVersionKey /LANG=${LANG_ENGLISH} CompanyName "${PUBLISHER}"
  VIAddVersionKey /LANG=${LANG_ENGLISH} LegalCopyright "${COPYRIGHT}"

  LangString TallimoRunning ${LANG_ENGLISH} \
    "Tallimo is running from $INSTDIR and cannot be replaced or removed.$\r$\n$\r$\nClose it, then choose Retry."
  LangString TallimoRunning ${LANG_JAPANESE} \
    "Tallimo が $INSTDIR から実行中のため、置き換えも削除もできません。$\r$\n$\r$\nTallimo を閉じてから [再試行] を選んでください。"
!macroend

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
