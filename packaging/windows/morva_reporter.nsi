; The Windows installer of MORVA_Reporter, made on Linux with Debian's nsis:
;   makensis -DVERSION=0.1.0 -DSTAGE=<folder> -DOUTFILE=<setup.exe> morva_reporter.nsi
; STAGE holds the programs, locale\ and help\ as the zip has them
; (scripts/windows/package.sh lays it out).
;
; Installs for all users under Program Files, with a Start-menu shortcut, an
; entry in the installed programs and an uninstaller; the headless reader
; goes on the PATH only when its box is ticked (or /PATH is given to a
; silent install, /S). The shortcut starts the window with --in-documents:
; it works in Documents\MORVA_Reporter of whoever starts it, made on the
; first start, since Program Files cannot hold its settings and reports.
; The uninstaller removes the program's files and leaves those.

Unicode true
Target amd64-unicode
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include StrFunc.nsh
!include WinMessages.nsh
${StrStr}
${UnStrRep}

!define PRODUCT "MORVA_Reporter"
!define PUBLISHER "MORVA Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; A Path longer than this is left alone: the installer's strings hold 1024
; characters, and a cut Path written back would lose entries.
!define PATH_LIMIT 900

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright ${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\morva_reporter.exe"
!define MUI_FINISHPAGE_RUN_PARAMETERS "--in-documents"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\morva_reporter.exe"
  File "${STAGE}\morva_reporter_cli.exe"
  File /r "${STAGE}\locale"
  File /r "${STAGE}\help"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut starts in the program's folder; --in-documents moves the
  ; window to the user's own folder before it opens its settings.
  SetOutPath "$INSTDIR"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\morva_reporter.exe" "--in-documents" \
    "$INSTDIR\morva_reporter.exe" 0 SW_SHOWNORMAL "" "${PRODUCT}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\morva_reporter.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Headless reader on the PATH" SecPath
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  StrLen $1 $0
  ${If} $1 > ${PATH_LIMIT}
    DetailPrint "The PATH is too long to change here; add $INSTDIR to it by hand."
    MessageBox MB_OK|MB_ICONINFORMATION "The PATH is too long to change here; add $INSTDIR to it by hand." /SD IDOK
    Return
  ${EndIf}
  ${StrStr} $2 ";$0;" ";$INSTDIR;"
  ${If} $2 != ""
    Return
  ${EndIf}
  ${If} $0 == ""
    StrCpy $0 "$INSTDIR"
  ${Else}
    StrCpy $0 "$0;$INSTDIR"
  ${EndIf}
  WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0"
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
SectionEnd

LangString DESC_SecProgram ${LANG_ENGLISH} "The window, the headless reader morva_reporter_cli, their texts in Russian and Ukrainian, the help page and a Start-menu shortcut."
LangString DESC_SecPath ${LANG_ENGLISH} "Lets a command prompt start morva_reporter_cli from any folder."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} $(DESC_SecProgram)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPath} $(DESC_SecPath)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; /PATH on the command line ticks the PATH box (for silent installs).
Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PATH" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecPath} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\morva_reporter.exe"
  Delete "$INSTDIR\morva_reporter_cli.exe"
  RMDir /r "$INSTDIR\locale"
  RMDir /r "$INSTDIR\help"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  ; The folder out of the PATH, wherever it stands in it.
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  StrLen $1 $0
  ${If} $1 <= ${PATH_LIMIT}
    ${UnStrRep} $1 ";$0;" ";$INSTDIR;" ";"
    StrCpy $1 $1 "" 1
    StrCpy $1 $1 -1
    ${If} $1 != $0
      WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$1"
      SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
  ${EndIf}

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
