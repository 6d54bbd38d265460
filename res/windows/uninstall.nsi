; Tallimo's uninstall program: the installer puts it into the installation folder as uninstall.exe,
; which "Apps & features" runs, quietly with /S. cmake/WindowsPackages.cmake compiles it with
; makensis before the installer, with VERSION, COPYRIGHT and ICON as for the installer and
; OUTFILE, the program to write.
;
; An NSIS uninstaller started from the installation folder copies itself to the temporary folder,
; starts the copy there and ends at once with status 0, before any of its own code runs: it could
; neither refuse while Tallimo runs nor say so in its exit status. This program is an NSIS
; installer that does what that start does, after the check: while Tallimo runs it asks, or with
; /S gives up with status 2 and changes nothing; then it writes the uninstaller (the Uninstall
; section below) into the temporary folder and starts it there with its own arguments, which
; leaves nothing in the installation folder in use, this program included.
!include "${__FILEDIR__}\common.nsh"

OutFile "${OUTFILE}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

; The label before the folder has room for NSIS's "Uninstalling from:" in the faces the English
; dialog font is drawn with on Windows, not in the wider ones that stand in for it elsewhere.
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "$(TallimoUninstallFolder)"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro TALLIMO_LANGUAGES "Tallimo Uninstall"

LangString TallimoUninstallFolder ${LANG_ENGLISH} "Folder:"
LangString TallimoUninstallFolder ${LANG_JAPANESE} "$(^UninstallingSubText)"

!insertmacro TALLIMO_WAIT_UNTIL_CLOSED ""
!insertmacro TALLIMO_WAIT_UNTIL_CLOSED "un."

; Where the uninstaller runs from; a copy left by an earlier uninstallation is replaced.
!define UNINSTALLER_COPY "$TEMP\~nsu.tmp\Un_Tallimo.exe"

Function .onInit
  SetShellVarContext current
  StrCpy $INSTDIR $EXEDIR
  Call WaitUntilClosed
  ; The uninstaller's working folder too, which it must not hold in the installation folder.
  SetOutPath "$TEMP\~nsu.tmp"
  Delete "${UNINSTALLER_COPY}"
  ${GetParameters} $0
  ClearErrors
  WriteUninstaller "${UNINSTALLER_COPY}"
  ${IfNot} ${Errors}
    Exec '"${UNINSTALLER_COPY}" $0 _?=$INSTDIR'
  ${EndIf}
  ; A Quit from here ends with status 2 unless told otherwise.
  ${If} ${Errors}
    SetErrorLevel 2
  ${Else}
    SetErrorLevel 0
  ${EndIf}
  Quit
FunctionEnd

; An installer has a section; this one never gets to it.
Section
SectionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

; Only what the installer put there: the folder goes only if nothing of the user's is left in it.
Section Uninstall
  Call un.WaitUntilClosed
  Delete "$INSTDIR\tallimo.exe"
  Delete "$INSTDIR\tallimo.com"
  Delete "$INSTDIR\tallimo-measure.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\FFmpeg-LGPL-2.1.txt"
  Delete "$INSTDIR\FFmpeg-NOTICE.txt"
  Delete "$INSTDIR\libopenmpt-LICENSE.txt"
  ; uninstall.exe ends as soon as it has started this copy; give it a few seconds to let go of its
  ; file.
  ${For} $0 1 50
    Delete "$INSTDIR\uninstall.exe"
    ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
      ${Break}
    ${EndIf}
    Sleep 100
  ${Next}
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
