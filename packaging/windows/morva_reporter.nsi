; The Windows installer of MORVA_Reporter, made on Linux with Debian's nsis:
;   makensis -DVERSION=0.1.0 -DSTAGE=<folder> -DOUTFILE=<setup.exe> \
;     -DICON=<morva_reporter.ico> -DCOPYRIGHT=<line> -DFILES=<files.nsh> morva_reporter.nsi
; STAGE holds the programs, LICENSE.txt, locale\ and help\ as the zip has
; them; FILES lists every file of locale\ and help\ (scripts/windows/package.sh
; lays both out). ICON is the programs' icon, which the build makes.
;
; Installs for all users under Program Files, in English, Russian or
; Ukrainian (the system's language unless the operator picks another), with
; a Start-menu shortcut, an entry in the installed programs and an
; uninstaller. The headless reader goes into a bin\ folder of its own, which
; goes on the system Path only when its box is ticked (or /PATH is given to
; a silent install, /S). The shortcut starts the window with --in-documents:
; it works in Documents\MORVA_Reporter of whoever starts it, made on the
; first start, since Program Files cannot hold its settings and reports.
; The uninstaller removes the files the installer wrote and leaves those.

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
; The folder of the reader, the only one that goes on the Path.
!define BIN_DIR "bin"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
; The language picked is remembered for the uninstaller and the next install.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
; The installer runs elevated, maybe as another account: the window is
; started through the desktop's shell, as the user who is logged on, with
; the shortcut's command line.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION RunAsDesktopUser
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "Ukrainian"
!insertmacro MUI_RESERVEFILE_LANGDLL

; Our own texts in the three languages.
LangString NAME_SecPath ${LANG_ENGLISH} "Headless reader on the Path"
LangString NAME_SecPath ${LANG_RUSSIAN} "Консольная программа чтения в Path"
LangString NAME_SecPath ${LANG_UKRAINIAN} "Консольна програма читання в Path"
LangString DESC_SecProgram ${LANG_ENGLISH} "The window, the headless reader morva_reporter_cli, their texts in Russian and Ukrainian, the help page and a Start-menu shortcut."
LangString DESC_SecProgram ${LANG_RUSSIAN} "Окно, консольная программа чтения morva_reporter_cli, их тексты на русском и украинском языках, страница справки и ярлык в меню «Пуск»."
LangString DESC_SecProgram ${LANG_UKRAINIAN} "Вікно, консольна програма читання morva_reporter_cli, їхні тексти російською та українською мовами, сторінка довідки та ярлик у меню «Пуск»."
LangString DESC_SecPath ${LANG_ENGLISH} "Lets a command prompt start morva_reporter_cli from any folder."
LangString DESC_SecPath ${LANG_RUSSIAN} "Позволяет запускать morva_reporter_cli в командной строке из любой папки."
LangString DESC_SecPath ${LANG_UKRAINIAN} "Дозволяє запускати morva_reporter_cli у командному рядку з будь-якої теки."
LangString SHORTCUT_COMMENT ${LANG_ENGLISH} "Download a measuring unit's memory into a report, or clear it"
LangString SHORTCUT_COMMENT ${LANG_RUSSIAN} "Чтение памяти прибора в отчёт и её очистка"
LangString SHORTCUT_COMMENT ${LANG_UKRAINIAN} "Читання пам’яті приладу у звіт та її очищення"
LangString PATH_UNREADABLE ${LANG_ENGLISH} "The system Path could not be read whole and was left as it is; add $INSTDIR\${BIN_DIR} to it by hand."
LangString PATH_UNREADABLE ${LANG_RUSSIAN} "Системную переменную Path не удалось прочитать целиком, она оставлена как есть; добавьте в неё $INSTDIR\${BIN_DIR} вручную."
LangString PATH_UNREADABLE ${LANG_UKRAINIAN} "Системну змінну Path не вдалося прочитати цілком, її залишено як є; додайте до неї $INSTDIR\${BIN_DIR} вручну."
LangString PATH_TOO_LONG ${LANG_ENGLISH} "The system Path is too long to add $INSTDIR\${BIN_DIR} here and was left as it is; add the folder by hand."
LangString PATH_TOO_LONG ${LANG_RUSSIAN} "Системная переменная Path слишком длинна, чтобы добавить в неё $INSTDIR\${BIN_DIR}, она оставлена как есть; добавьте папку вручную."
LangString PATH_TOO_LONG ${LANG_UKRAINIAN} "Системна змінна Path задовга, щоб додати до неї $INSTDIR\${BIN_DIR}, її залишено як є; додайте теку вручну."
LangString UN_PATH_UNREADABLE ${LANG_ENGLISH} "The system Path could not be read whole and was left as it is; remove $INSTDIR\${BIN_DIR} from it by hand if it is there."
LangString UN_PATH_UNREADABLE ${LANG_RUSSIAN} "Системную переменную Path не удалось прочитать целиком, она оставлена как есть; удалите из неё $INSTDIR\${BIN_DIR} вручную, если она там есть."
LangString UN_PATH_UNREADABLE ${LANG_UKRAINIAN} "Системну змінну Path не вдалося прочитати цілком, її залишено як є; вилучіть з неї $INSTDIR\${BIN_DIR} вручну, якщо вона там є."

; Every file of locale\ and help\: the macros MORVA_INSTALL_FILES and
; MORVA_UNINSTALL_FILES.
!include "${FILES}"

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\morva_reporter.exe"
  File "${STAGE}\LICENSE.txt"
  SetOutPath "$INSTDIR\${BIN_DIR}"
  File "${STAGE}\morva_reporter_cli.exe"
  !insertmacro MORVA_INSTALL_FILES
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut starts in the program's folder; --in-documents moves the
  ; window to the user's own folder before it opens its settings.
  SetOutPath "$INSTDIR"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\morva_reporter.exe" "--in-documents" \
    "$INSTDIR\morva_reporter.exe" 0 SW_SHOWNORMAL "" "$(SHORTCUT_COMMENT)"

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

; The installer's strings hold ${NSIS_MAX_STRLEN} characters. A longer Path
; cannot be read (the error flag is set and the result is empty), and a
; string made longer is cut: the Path is written only when it was read whole
; and our entry fits in whole.
Section /o "$(NAME_SecPath)" SecPath
  ClearErrors
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  ${If} ${Errors}
    DetailPrint "$(PATH_UNREADABLE)"
    MessageBox MB_OK|MB_ICONINFORMATION "$(PATH_UNREADABLE)" /SD IDOK
    Return
  ${EndIf}
  ; The Path, our entry, its separator and the two that StrStr looks between.
  StrLen $1 $0
  StrLen $2 $INSTDIR
  IntOp $1 $1 + $2
  IntOp $1 $1 + 7
  ${If} $1 >= ${NSIS_MAX_STRLEN}
    DetailPrint "$(PATH_TOO_LONG)"
    MessageBox MB_OK|MB_ICONINFORMATION "$(PATH_TOO_LONG)" /SD IDOK
    Return
  ${EndIf}
  ${StrStr} $2 ";$0;" ";$INSTDIR\${BIN_DIR};"
  ${If} $2 != ""
    Return
  ${EndIf}
  ${If} $0 == ""
    StrCpy $0 "$INSTDIR\${BIN_DIR}"
  ${Else}
    StrCpy $0 "$0;$INSTDIR\${BIN_DIR}"
  ${EndIf}
  WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0"
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} $(DESC_SecProgram)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPath} $(DESC_SecPath)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; The language, then /PATH on the command line ticks the Path box (for
; silent installs, which ask nothing and speak the system's language).
Function .onInit
  !insertmacro MUI_LANGDLL_DISPLAY
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PATH" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecPath} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

; The desktop's shell (explorer) opens the shortcut: the window runs as the
; user of the desktop, without the installer's rights, where the shortcut
; starts it.
Function RunAsDesktopUser
  SetShellVarContext all
  Exec '"$WINDIR\explorer.exe" "${SHORTCUT}"'
FunctionEnd

Function un.onInit
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\morva_reporter.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\${BIN_DIR}\morva_reporter_cli.exe"
  !insertmacro MORVA_UNINSTALL_FILES
  RMDir "$INSTDIR\${BIN_DIR}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  ; Our entry out of the Path, wherever it stands in it; a Path that cannot
  ; be read whole is never written.
  ClearErrors
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  StrLen $1 $0
  IntOp $1 $1 + 2
  ${If} ${Errors}
  ${OrIf} $1 >= ${NSIS_MAX_STRLEN}
    DetailPrint "$(UN_PATH_UNREADABLE)"
  ${Else}
    ${UnStrRep} $1 ";$0;" ";$INSTDIR\${BIN_DIR};" ";"
    StrCpy $1 $1 "" 1
    StrCpy $1 $1 -1
    ${If} $1 != $0
      WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$1"
      SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
  ${EndIf}

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
