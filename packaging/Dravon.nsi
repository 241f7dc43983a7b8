; The Dravon installer: per machine, into Program Files, with a Start-menu
; shortcut, an optional desktop shortcut and an uninstaller registered under
; "Apps and Features". tools/release.sh builds it with makensis and defines
;   RELEASE_NSH  the release's facts (release.nsh, made by packaging/CMakeLists.txt)
;   FILES_NSH    the macros that install and remove the release folder's files
;   OUTFILE      the installer to write
; Silent use: setup.exe /S [/D=folder]; uninstall.exe /S [/REMOVESETTINGS].
Unicode true
Target amd64-unicode
!include "${RELEASE_NSH}"
!include "${FILES_NSH}"
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${DRAVON_PRODUCT_CODE}"
; Where the program keeps its settings (app/ShellRules.h, app/Kestrin.cpp): kept on
; uninstall unless asked.
!define SETTINGS_KEY "SOFTWARE\Tarvik"
!define PROFILE_COMPANY_KEY "Software\Brantle Software"
!define PROFILE_KEY "${PROFILE_COMPANY_KEY}\Sorvane Pro"

Name "Dravon"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Dravon"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma
BrandingText "Dravon ${DRAVON_VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${DRAVON_VERSION}"
VIFileVersion "${DRAVON_VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "Dravon"
VIAddVersionKey /LANG=0 "CompanyName" "${DRAVON_PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${DRAVON_COPYRIGHT}"
VIAddVersionKey /LANG=0 "FileDescription" "Dravon ${DRAVON_VERSION} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${DRAVON_VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${DRAVON_VERSION}"

!define MUI_ICON "${DRAVON_ICON}"
!define MUI_UNICON "${DRAVON_ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${DRAVON_LICENCE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; English first: the language for a system that speaks neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString NeedAdmin ${LANG_ENGLISH} "Dravon is installed for all users of this computer: run the setup as an administrator."
LangString NeedAdmin ${LANG_SIMPCHINESE} "Dravon 为本机所有用户安装：请以管理员身份运行安装程序。"
LangString DesktopShortcut ${LANG_ENGLISH} "Desktop shortcut"
LangString DesktopShortcut ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString RemoveSettings ${LANG_ENGLISH} "Also remove my settings"
LangString RemoveSettings ${LANG_SIMPCHINESE} "同时删除我的设置"
LangString CloseDravon ${LANG_ENGLISH} "Dravon is running. Close it now and go on?"
LangString CloseDravon ${LANG_SIMPCHINESE} "Dravon 正在运行。现在关闭它并继续吗？"
LangString EndDravon ${LANG_ENGLISH} "Dravon does not close. End it now? Anything it is doing is lost."
LangString EndDravon ${LANG_SIMPCHINESE} "Dravon 没有关闭。现在强行结束它吗？它正在进行的操作将会丢失。"
LangString ClosingDravon ${LANG_ENGLISH} "Closing Dravon..."
LangString ClosingDravon ${LANG_SIMPCHINESE} "正在关闭 Dravon..."
LangString EndingDravon ${LANG_ENGLISH} "Ending Dravon..."
LangString EndingDravon ${LANG_SIMPCHINESE} "正在结束 Dravon..."
LangString DravonStillRunning ${LANG_ENGLISH} "Dravon is still running: nothing was changed."
LangString DravonStillRunning ${LANG_SIMPCHINESE} "Dravon 仍在运行：未做任何更改。"

; Closes every running Dravon before its files are replaced or removed.
; Politely first: the main window gets WM_CLOSE, as from its close box, and
; the program removes its own notification-area icon and ends. Only when it
; does not end, and the user agrees, is it ended by force, and then its icon
; is removed in its name (window and icon id), which the shell accepts from
; any process. Aborts the installation when the user says no.
!macro DRAVON_CLOSE_RUNNING un
Function ${un}CloseRunningDravon
  Push $0  ; a main window
  Push $1  ; its process
  Push $2
  Push $3  ; "ask" until the user has agreed
  StrCpy $3 "ask"
  ${Do}
    FindWindow $0 "" "${DRAVON_WINDOW_TITLE}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    ${If} $3 == "ask"
      MessageBox MB_OKCANCEL|MB_ICONQUESTION "$(CloseDravon)" /SD IDOK IDOK close
      Abort "$(DravonStillRunning)"
    close:
      StrCpy $3 ""
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    System::Call 'kernel32::OpenProcess(i 0x00100001, i 0, i r1) p .r1'  ; SYNCHRONIZE | PROCESS_TERMINATE
    DetailPrint "$(ClosingDravon)"
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ; Its files stay in use until the process has ended, not just its window.
    System::Call 'kernel32::WaitForSingleObject(p r1, i 15000) i .r2'
    ${If} $2 <> 0
      MessageBox MB_YESNO|MB_ICONEXCLAMATION "$(EndDravon)" /SD IDYES IDYES end
      System::Call 'kernel32::CloseHandle(p r1)'
      Abort "$(DravonStillRunning)"
    end:
      DetailPrint "$(EndingDravon)"
      System::Alloc 168  ; NOTIFYICONDATAW up to szTip[64], zeroed
      Pop $2
      System::Call '*$2(i 168, i 0, p r0, i ${DRAVON_TRAY_ID})'  ; cbSize, hWnd, uID
      System::Call 'shell32::Shell_NotifyIconW(i 2, p r2)'  ; NIM_DELETE
      System::Free $2
      System::Call 'kernel32::TerminateProcess(p r1, i 1)'
      System::Call 'kernel32::WaitForSingleObject(p r1, i 5000)'
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r1)'
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DRAVON_CLOSE_RUNNING ""
!insertmacro DRAVON_CLOSE_RUNNING "un."

; Both halves install and remove for the whole machine.
!macro DRAVON_REQUIRE_ADMIN
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP "$(NeedAdmin)" /SD IDOK
    SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

Function .onInit
  SetShellVarContext all
  SetRegView 64
  !insertmacro DRAVON_REQUIRE_ADMIN
FunctionEnd

Section "Dravon" SecProgram
  SectionIn RO
  Call CloseRunningDravon
  SetOutPath "$INSTDIR"
  !insertmacro DRAVON_INSTALL_FILES
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcuts start the program in its folder: it plays WAV\ from there.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Dravon.lnk" "$INSTDIR\Dravon.exe"
SectionEnd

Section "$(DesktopShortcut)" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\Dravon.lnk" "$INSTDIR\Dravon.exe"
SectionEnd

Section "-Register"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Dravon"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${DRAVON_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${DRAVON_PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Dravon.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "un.Dravon" UnSecProgram
  SectionIn RO
  Call un.CloseRunningDravon
  !insertmacro DRAVON_REMOVE_FILES
  Delete "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"  ; held open (a shell window on it): gone at the next start
  Delete "$SMPROGRAMS\Dravon.lnk"
  Delete "$DESKTOP\Dravon.lnk"
SectionEnd

Section /o "un.$(RemoveSettings)" UnSecSettings
  DeleteRegKey HKLM "${SETTINGS_KEY}\SKIN"
  DeleteRegKey HKLM "${SETTINGS_KEY}\HD"
  DeleteRegKey HKLM "${SETTINGS_KEY}\CD"
  DeleteRegKey HKLM "${SETTINGS_KEY}\CDROM"
  DeleteRegKey /ifempty HKLM "${SETTINGS_KEY}"
  DeleteRegKey HKCU "${PROFILE_KEY}"
  DeleteRegKey /ifempty HKCU "${PROFILE_COMPANY_KEY}"
SectionEnd

; Last: while anything is left, "Apps and Features" still lists it.
Section "-un.Unregister"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
  !insertmacro DRAVON_REQUIRE_ADMIN
  ; /REMOVESETTINGS ticks "Also remove my settings", for silent use.
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${UnSecSettings} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
