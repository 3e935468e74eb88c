; ServiceApp.nsi: the Windows installer of the Device Service program.
;
;   makensis -DBIN_DIR=<build>/bin -DOUT_FILE=<folder>/ServiceApp-Setup.exe installer/ServiceApp.nsi
;
; BIN_DIR is the folder of what ships (ServiceApp.exe, prodinfo.ini,
; lang\ServiceRes.dll, lang\de\ServiceRes.dll, DeviceSim.dll, DeviceIpp.dll).
; tools/package builds this with the portable zip; tests/package builds its
; own copy.
;
; The installer copies the program and both device services to Program
; Files\ServiceApp, registers the device service chosen (its
; DllRegisterServer), adds a Start menu shortcut and an uninstaller, and
; writes the Modules entry of prodinfo.ini for the language chosen.
;
; The device service: the network printers over IPP (DeviceIpp.dll: the
; queues of a CUPS server and the printers of DeviceIpp.ini) or the device
; simulator (DeviceSim.dll), on a page of its own; the one chosen before is
; preselected when the program is installed again, else the simulator.
;   - command line: /SERVICE=ipp (also printers) or /SERVICE=simulator (also
;     sim) chooses without asking;
;   - silent (/S) without /SERVICE=: the one chosen before, else the
;     simulator (a silent install changes nothing it was not asked to).
;
; The language:
;   - interactive: a language dialog (English or Deutsch) opens first; the
;     installer then speaks that language and installs that resource module;
;   - command line: /LANG=en or /LANG=de (also 1033, 1031, English, German,
;     Deutsch) picks the language without asking;
;   - silent (/S) without /LANG=: English.
; Exit codes: 0 installed, 2 a bad /LANG= value, 3 the device service could
; not be registered (the files are installed all the same), 4 a bad
; /SERVICE= value (nothing installed).
;
; The uninstaller unregisters whichever of the two device services is
; registered from this folder (each DLL's DllUnregisterServer removes the
; class only while it names that DLL, so another installation's stays) and
; removes the files, the folders (when nothing of the user's is left in
; them: a DeviceIpp.ini of the user's stays), the shortcut and the registry
; keys. Silent: Uninstall.exe /S.
;
; The script is plain ASCII: umlauts are written ${U+00E4} and so on.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!ifndef BIN_DIR
  !error "Pass -DBIN_DIR=<folder with ServiceApp.exe, prodinfo.ini, lang, DeviceSim.dll and DeviceIpp.dll>"
!endif
!ifndef OUT_FILE
  !define OUT_FILE "ServiceApp-Setup.exe"
!endif

!define PRODUCT_VERSION "1.0.0.0"
!define APP_KEY "Software\ServiceApp"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ServiceApp"
!define SIMULATOR_CLSID "{34875DA5-4E84-11D3-A43A-0060B0F8AA86}"
!define MODULE_ENGLISH "English,1033,lang\ServiceRes.dll:1"
!define MODULE_GERMAN "Deutsch,1031,lang\de\ServiceRes.dll:1"
; The shortcut's names in both languages (the uninstaller removes either).
!define SHORTCUT_ENGLISH "Device Service"
!define SHORTCUT_GERMAN "Ger${U+00E4}teservice"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

; The device service chosen: "ipp" or "simulator"; and its DLL.
Var SERVICE
Var SERVICE_GIVEN   ; "1" when /SERVICE= chose it: the page is not shown
Var SERVICE_DLL
Var ServiceIppButton
Var ServiceSimButton

Name "Device Service"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES\ServiceApp"
InstallDirRegKey HKLM "${APP_KEY}" "InstallDir"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Device Service"
VIAddVersionKey /LANG=1033 "FileDescription" "Device Service setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "The Device Service authors"

;--------------------------------
; Pages

!define MUI_ICON "..\lang\art\app.ico"
!define MUI_UNICON "..\lang\art\app.ico"
!define MUI_ABORTWARNING
!define MUI_LANGDLL_ALWAYSSHOW
; The finish page starts the program as the signed-in user, not with the
; installer's elevated rights (see RunAsUser below).
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION RunAsUser

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom ServicePage ServicePageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the default one.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString SHORTCUT_NAME ${LANG_ENGLISH} "${SHORTCUT_ENGLISH}"
LangString SHORTCUT_NAME ${LANG_GERMAN} "${SHORTCUT_GERMAN}"
LangString REGISTER_FAILED ${LANG_ENGLISH} "The device service $SERVICE_DLL could not be registered. Register it later with: regsvr32 $\"$INSTDIR\$SERVICE_DLL$\""
LangString REGISTER_FAILED ${LANG_GERMAN} "Der Ger${U+00E4}tedienst $SERVICE_DLL konnte nicht registriert werden. Registrieren Sie ihn sp${U+00E4}ter mit: regsvr32 $\"$INSTDIR\$SERVICE_DLL$\""
LangString SERVICE_TITLE ${LANG_ENGLISH} "Device service"
LangString SERVICE_TITLE ${LANG_GERMAN} "Ger${U+00E4}tedienst"
LangString SERVICE_SUBTITLE ${LANG_ENGLISH} "Choose what the program works on."
LangString SERVICE_SUBTITLE ${LANG_GERMAN} "W${U+00E4}hlen Sie, womit das Programm arbeitet."
LangString SERVICE_TEXT ${LANG_ENGLISH} "Both device services are installed; the one chosen here is registered. To switch later, register the other one with regsvr32."
LangString SERVICE_TEXT ${LANG_GERMAN} "Beide Ger${U+00E4}tedienste werden installiert; der hier gew${U+00E4}hlte wird registriert. Zum Wechseln registrieren Sie sp${U+00E4}ter den anderen mit regsvr32."
LangString SERVICE_IPP ${LANG_ENGLISH} "&Network printers over IPP: the queues of a CUPS server and the printers named in DeviceIpp.ini"
LangString SERVICE_IPP ${LANG_GERMAN} "&Netzwerkdrucker ${U+00FC}ber IPP: die Warteschlangen eines CUPS-Servers und die in DeviceIpp.ini genannten Drucker"
LangString SERVICE_SIM ${LANG_ENGLISH} "&Device simulator: a fleet of simulated devices, to try the program out"
LangString SERVICE_SIM ${LANG_GERMAN} "&Ger${U+00E4}tesimulator: simulierte Ger${U+00E4}te zum Ausprobieren des Programms"

;--------------------------------
; Language choice

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/LANG=" $R1
  ${IfNot} ${Errors}
    ${If} $R1 == "de"
    ${OrIf} $R1 == "1031"
    ${OrIf} $R1 == "German"
    ${OrIf} $R1 == "Deutsch"
      StrCpy $LANGUAGE ${LANG_GERMAN}
    ${ElseIf} $R1 == "en"
    ${OrIf} $R1 == "1033"
    ${OrIf} $R1 == "English"
      StrCpy $LANGUAGE ${LANG_ENGLISH}
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "Unknown language $\"$R1$\": use /LANG=en or /LANG=de." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${ElseIf} ${Silent}
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${Else}
    !insertmacro MUI_LANGDLL_DISPLAY
  ${EndIf}

  ; The device service: the command line's, else the one installed before,
  ; else the simulator.
  ReadRegStr $SERVICE HKLM "${APP_KEY}" "Service"
  ${If} $SERVICE != "ipp"
    StrCpy $SERVICE "simulator"
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/SERVICE=" $R1
  ${IfNot} ${Errors}
    StrCpy $SERVICE_GIVEN "1"
    ${If} $R1 == "ipp"
    ${OrIf} $R1 == "printers"
      StrCpy $SERVICE "ipp"
    ${ElseIf} $R1 == "simulator"
    ${OrIf} $R1 == "sim"
      StrCpy $SERVICE "simulator"
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "Unknown device service $\"$R1$\": use /SERVICE=ipp or /SERVICE=simulator." /SD IDOK
      SetErrorLevel 4
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

;--------------------------------
; The device service page

Function ServicePage
  ${If} $SERVICE_GIVEN == "1"
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "$(SERVICE_TITLE)" "$(SERVICE_SUBTITLE)"
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 24u "$(SERVICE_TEXT)"
  Pop $0
  ${NSD_CreateRadioButton} 0 32u 100% 20u "$(SERVICE_IPP)"
  Pop $ServiceIppButton
  ${NSD_CreateRadioButton} 0 56u 100% 20u "$(SERVICE_SIM)"
  Pop $ServiceSimButton
  ${If} $SERVICE == "ipp"
    ${NSD_Check} $ServiceIppButton
  ${Else}
    ${NSD_Check} $ServiceSimButton
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ServicePageLeave
  ${NSD_GetState} $ServiceIppButton $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $SERVICE "ipp"
  ${Else}
    StrCpy $SERVICE "simulator"
  ${EndIf}
FunctionEnd

Function un.onInit
  ; The uninstaller speaks the language that was installed.
  ReadRegStr $R0 HKLM "${APP_KEY}" "Language"
  ${If} $R0 != ""
    StrCpy $LANGUAGE $R0
  ${EndIf}
FunctionEnd

;--------------------------------
; Installing

Section "-Program"
  SetOutPath "$INSTDIR"
  File "${BIN_DIR}\ServiceApp.exe"
  File "${BIN_DIR}\prodinfo.ini"
  File "${BIN_DIR}\DeviceSim.dll"
  File "${BIN_DIR}\DeviceIpp.dll"
  SetOutPath "$INSTDIR\lang"
  File "${BIN_DIR}\lang\ServiceRes.dll"
  SetOutPath "$INSTDIR\lang\de"
  File "${BIN_DIR}\lang\de\ServiceRes.dll"
  SetOutPath "$INSTDIR"

  ; The Modules entry points the program at the chosen language's module.
  ${If} $LANGUAGE == ${LANG_GERMAN}
    WriteINIStr "$INSTDIR\prodinfo.ini" "Modules" "ServiceApp" "${MODULE_GERMAN}"
  ${Else}
    WriteINIStr "$INSTDIR\prodinfo.ini" "Modules" "ServiceApp" "${MODULE_ENGLISH}"
  ${EndIf}
  FlushINI "$INSTDIR\prodinfo.ini"

  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\$(SHORTCUT_NAME).lnk" "$INSTDIR\ServiceApp.exe" "" "$INSTDIR\ServiceApp.exe" 0

  WriteRegStr HKLM "${APP_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${APP_KEY}" "Language" "$LANGUAGE"
  WriteRegStr HKLM "${APP_KEY}" "Service" "$SERVICE"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Device Service"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ServiceApp.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\Uninstall.exe$\""
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\Uninstall.exe$\" /S"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; Last: a device service that fails to register leaves a usable
  ; installation. Registering one takes the class from whichever DLL had it.
  ${If} $SERVICE == "ipp"
    StrCpy $SERVICE_DLL "DeviceIpp.dll"
  ${Else}
    StrCpy $SERVICE_DLL "DeviceSim.dll"
  ${EndIf}
  DetailPrint "Registering $SERVICE_DLL"
  ClearErrors
  RegDLL "$INSTDIR\$SERVICE_DLL"
  ${If} ${Errors}
    DetailPrint "$(REGISTER_FAILED)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(REGISTER_FAILED)" /SD IDOK
    SetErrorLevel 3
  ${EndIf}
SectionEnd

;--------------------------------
; Starting the program from the finish page

; The installer runs elevated, and whatever it starts itself runs elevated
; too: the program's single-instance slot would then belong to an elevated
; process, and a later normal start could not open it. The user's own shell
; runs unelevated, so the program is started through it: the desktop's shell
; window (IShellWindows::FindWindowSW), its top-level browser, the active
; shell view's background object, its Application object and that object's
; IShellDispatch2::ShellExecute. Without a desktop shell (another shell, or
; none), Explorer is asked to open the program: a running Explorer hands the
; request to the user's shell.
Function RunAsUser
  StrCpy $R0 0                      ; 1 once the shell took the request
  StrCpy $0 0                       ; IShellWindows
  StrCpy $1 0                       ; the desktop's IDispatch
  StrCpy $2 0                       ; IServiceProvider
  StrCpy $3 0                       ; IShellBrowser
  StrCpy $4 0                       ; IShellView
  StrCpy $5 0                       ; the view's background IDispatch
  StrCpy $6 0                       ; IShellFolderViewDual
  StrCpy $7 0                       ; the Application IDispatch
  StrCpy $8 0                       ; IShellDispatch2
  System::Call '*(&i16 0) p.R1'     ; an empty VARIANT (VT_EMPTY)
  System::Call 'ole32::CoCreateInstance(g "{9BA05972-F6A8-11CF-A442-00A0C90A8F39}", p 0, i 4, g "{85CB6900-4D95-11CF-960C-0080C7F4EE85}", *p .r0) i.R2'
  ${If} $R2 = 0
    ; FindWindowSW(empty, empty, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, &dispatch): S_OK when found
    System::Call '$0->15(p R1, p R1, i 8, *i .R3, i 1, *p .r1) i.R2'
  ${EndIf}
  ${If} $R2 = 0
  ${AndIf} $1 P<> 0
    System::Call '$1->0(g "{6D5140C1-7436-11CE-8034-00AA006009FA}", *p .r2) i.R2'
  ${Else}
    StrCpy $R2 1
  ${EndIf}
  ${If} $R2 = 0
    ; QueryService(SID_STopLevelBrowser, IID_IShellBrowser)
    System::Call '$2->3(g "{4C96BE40-915C-11CF-99D3-00AA004AE837}", g "{000214E2-0000-0000-C000-000000000046}", *p .r3) i.R2'
  ${EndIf}
  ${If} $R2 = 0
    System::Call '$3->15(*p .r4) i.R2'                                          ; QueryActiveShellView
  ${EndIf}
  ${If} $R2 = 0
    System::Call '$4->15(i 0, g "{00020400-0000-0000-C000-000000000046}", *p .r5) i.R2'  ; GetItemObject(SVGIO_BACKGROUND, IID_IDispatch)
  ${EndIf}
  ${If} $R2 = 0
    System::Call '$5->0(g "{E7A1AF80-4D96-11CF-960C-0080C7F4EE85}", *p .r6) i.R2'      ; IShellFolderViewDual
  ${EndIf}
  ${If} $R2 = 0
    System::Call '$6->7(*p .r7) i.R2'                                           ; get_Application
  ${EndIf}
  ${If} $R2 = 0
    System::Call '$7->0(g "{A4C6892C-3BA9-11D2-9DEA-00C04FB16162}", *p .r8) i.R2'      ; IShellDispatch2
  ${EndIf}
  ${If} $R2 = 0
    ; ShellExecute(file, args, dir, operation, show): the program starts in
    ; its own folder.
    System::Call 'oleaut32::SysAllocString(w "$INSTDIR\ServiceApp.exe") p.R4'
    System::Call 'oleaut32::SysAllocString(w "$INSTDIR") p.R5'
    ; On the stack a VARIANT is four words: vt and reserved, reserved, the
    ; value, padding. Arguments empty, the folder a VT_BSTR (8), the
    ; operation empty (the default verb), the show state VT_I4 (3) SW_SHOWNORMAL.
    System::Call '$8->31(p R4, i 0, i 0, i 0, i 0, i 8, i 0, p R5, i 0, i 0, i 0, i 0, i 0, i 3, i 0, i 1, i 0) i.R2'
    ${If} $R2 = 0
      StrCpy $R0 1
    ${EndIf}
    System::Call 'oleaut32::SysFreeString(p R4)'
    System::Call 'oleaut32::SysFreeString(p R5)'
  ${EndIf}
  ; Release what was handed out, the last first.
  ${If} $8 P<> 0
    System::Call '$8->2()'
  ${EndIf}
  ${If} $7 P<> 0
    System::Call '$7->2()'
  ${EndIf}
  ${If} $6 P<> 0
    System::Call '$6->2()'
  ${EndIf}
  ${If} $5 P<> 0
    System::Call '$5->2()'
  ${EndIf}
  ${If} $4 P<> 0
    System::Call '$4->2()'
  ${EndIf}
  ${If} $3 P<> 0
    System::Call '$3->2()'
  ${EndIf}
  ${If} $2 P<> 0
    System::Call '$2->2()'
  ${EndIf}
  ${If} $1 P<> 0
    System::Call '$1->2()'
  ${EndIf}
  ${If} $0 P<> 0
    System::Call '$0->2()'
  ${EndIf}
  System::Free $R1
  ${If} $R0 = 0
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\ServiceApp.exe"'
  ${EndIf}
FunctionEnd

;--------------------------------
; Uninstalling

Section "Uninstall"
  ; Each device service's DllUnregisterServer removes the class key only
  ; while it names that DLL: whichever of the two is ours goes, another
  ; registration (a copy elsewhere) stays.
  UnRegDLL "$INSTDIR\DeviceIpp.dll"
  UnRegDLL "$INSTDIR\DeviceSim.dll"

  Delete "$INSTDIR\ServiceApp.exe"
  Delete "$INSTDIR\prodinfo.ini"
  Delete "$INSTDIR\DeviceSim.dll"
  Delete "$INSTDIR\DeviceIpp.dll"
  ; What earlier versions of the simulator wrote beside themselves. The state
  ; now lives in each user's own application data and stays theirs.
  Delete "$INSTDIR\DeviceSim.state"
  Delete "$INSTDIR\DeviceSim.state.tmp"
  Delete "$INSTDIR\lang\de\ServiceRes.dll"
  Delete "$INSTDIR\lang\ServiceRes.dll"
  RMDir "$INSTDIR\lang\de"
  RMDir "$INSTDIR\lang"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${SHORTCUT_ENGLISH}.lnk"
  Delete "$SMPROGRAMS\${SHORTCUT_GERMAN}.lnk"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${APP_KEY}"
SectionEnd
