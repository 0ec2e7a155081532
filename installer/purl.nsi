; purl's setup program: the build that fits the system in its system folder, made the current
; screen saver unless the user says no, an entry in Add/Remove Programs, and an uninstaller that
; puts back the saver that was current before. scripts/package builds it:
;   makensis -DVERSION=<x.y.z> -DSAVER64=<purl.scr> -DSAVER32=<purl.scr> -DOUTFILE=<setup.exe> purl.nsi
Unicode false ; only the ANSI stubs run on Windows 95, 98 and Me
SetCompressor /SOLID lzma
SetDateSave off ; no file times inside: the same binaries give the same setup
!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\purl"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_SENDCHANGE 2
!define SPIF_UPDATE_AND_SEND 3 ; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE
!define IMAGE_FILE_MACHINE_AMD64 34404
!define IN_USE_TEXT "purl.scr in the system folder is in use: the screen-saver settings show its preview, or purl is running.$\r$\n$\r$\nClose the screen-saver settings and end purl, then click Retry."

Name "purl"
Caption "purl ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\purl"
RequestExecutionLevel admin
BrandingText " "
Var make_current

!define MUI_ICON "../resources/icon_letter.ico"
!define MUI_UNICON "../resources/icon_letter.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "../resources/setup_sidebar.bmp"
!define MUI_WELCOMEPAGE_TITLE "purl ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "Setup will install purl, a screen saver, on this computer.$\r$\n$\r$\nClick Install to continue."
!define MUI_PAGE_CUSTOMFUNCTION_SHOW WelcomeShow
!insertmacro MUI_PAGE_WELCOME
!define MUI_FINISHPAGE_NOAUTOCLOSE ; the install page stays, with what it did
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "purl is installed."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "&Open the screen-saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenSettings
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP "purl, the screen saver, will be removed from this computer. If it is still the current screen saver, the one chosen before it comes back. Click Uninstall to continue."
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "Uninstaller:"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

; Windows 95, 98 and Me as the system reports itself to programs (the top bit of GetVersion),
; as the saver itself tells them apart. Then which build, by the native machine: the 64-bit one
; on x86-64 only. ${RunningX64} is no guide, as it is true for a 32-bit program on every 64-bit
; Windows: on Windows on ARM that would choose the x86-64 build, which Windows 10 on ARM cannot
; run (it emulates x86 only; Windows 11 on ARM emulates both), so every other machine gets the
; 32-bit build, which 9x, 32-bit Windows and the x86 emulation of every ARM version run. On any
; 64-bit Windows (WOW64) the file goes into the native System32, whose savers the settings page
; lists and starts, not into SysWOW64, the 32-bit view that setup sees by default.
Var is_9x
Var wow64
Var saver64
!macro FIND_SYSTEM
    StrCpy $is_9x 0
    StrCpy $wow64 0
    StrCpy $saver64 0
    System::Call 'kernel32::GetVersion() i .r0'
    IntOp $0 $0 & 0x80000000
    ${If} $0 != 0
        StrCpy $is_9x 1
    ${Else}
        ${If} ${IsWow64}
            StrCpy $wow64 1
        ${EndIf}
        ${GetNativeMachineArchitecture} $0
        ${If} $0 == ${IMAGE_FILE_MACHINE_AMD64}
            StrCpy $saver64 1
        ${EndIf}
    ${EndIf}
!macroend

; The native system folder and registry on 64-bit Windows. Redirection is a setting of the
; thread: the wizard runs its sections on a thread of its own, so each section sets it.
!macro NATIVE_SYSTEM
    ${If} $wow64 == 1
        ${DisableX64FSRedirection}
        SetRegView 64
    ${EndIf}
!macroend

; On NT, setup writes the system folder and HKLM: without an administrator's rights it says so,
; writes nothing, and ends (exit code 2, also with /S).
!macro NEED_ADMINISTRATOR
    ${If} $is_9x == 0
        UserInfo::GetAccountType
        Pop $0
        ${If} $0 != "Admin"
            MessageBox MB_OK|MB_ICONSTOP "purl's setup needs an administrator: it puts purl into the Windows system folder.$\r$\n$\r$\nLog on as an administrator, or ask one to run it." /SD IDOK
            Abort
        ${EndIf}
    ${EndIf}
!macroend

!macro SAVER_FUNCTIONS un
; The current screen saver as the system keeps it, in the registry on NT and system.ini on 9x:
; $0 its path, $1 1 if it is set at all (an empty value is set), 0 if not.
Function ${un}ReadSaver
    ClearErrors
    ${If} $is_9x == 0
        ReadRegStr $0 HKCU "${DESKTOP_KEY}" SCRNSAVE.EXE
    ${Else}
        ReadINIStr $0 "$WINDIR\system.ini" boot SCRNSAVE.EXE
    ${EndIf}
    ${If} ${Errors}
        StrCpy $1 0
    ${Else}
        StrCpy $1 1
    ${EndIf}
FunctionEnd

; Makes $0 the current screen saver, or removes the setting if $1 is 0.
Function ${un}WriteSaver
    ${If} $is_9x == 0
        ${If} $1 == 1
            WriteRegStr HKCU "${DESKTOP_KEY}" SCRNSAVE.EXE $0
        ${Else}
            DeleteRegValue HKCU "${DESKTOP_KEY}" SCRNSAVE.EXE
        ${EndIf}
    ${Else}
        ${If} $1 == 1
            WriteINIStr "$WINDIR\system.ini" boot SCRNSAVE.EXE $0
        ${Else}
            DeleteINIStr "$WINDIR\system.ini" boot SCRNSAVE.EXE
        ${EndIf}
        FlushINI "$WINDIR\system.ini" ; 9x keeps it in memory until then
    ${EndIf}
FunctionEnd
!macroend
!insertmacro SAVER_FUNCTIONS ""
!insertmacro SAVER_FUNCTIONS "un."

Function .onInit
    StrCpy $make_current ${BST_CHECKED} ; silent setup makes it current too
    !insertmacro FIND_SYSTEM
    !insertmacro NEED_ADMINISTRATOR
FunctionEnd

Function WelcomeShow
    ${NSD_CreateCheckbox} 120u 178u 190u 12u "&Make purl the current screen saver" ; below the text
    Pop $0
    SetCtlColors $0 "" "${MUI_BGCOLOR}"
    ${NSD_SetState} $0 $make_current
    ${NSD_OnClick} $0 WelcomeClick
FunctionEnd

Function WelcomeClick
    Pop $0
    ${NSD_GetState} $0 $make_current
FunctionEnd

; The screen-saver page of the display settings: the second tab on 9x, NT 4 and 2000, the named
; page from XP (5.1) on. The native rundll32 on 64-bit Windows: this runs on the wizard's own
; thread, with redirection on.
Function OpenSettings
    System::Call 'kernel32::GetVersion() i .r0'
    IntOp $1 $0 & 0xFF
    IntOp $1 $1 << 8
    IntOp $0 $0 >> 8
    IntOp $0 $0 & 0xFF
    IntOp $1 $1 | $0 ; major * 256 + minor
    StrCpy $0 "$SYSDIR\rundll32.exe"
    StrCpy $2 "@screensaver"
    ${If} $is_9x == 1
        StrCpy $0 "$WINDIR\rundll32.exe"
        StrCpy $2 1
    ${ElseIf} $1 < 0x501
        StrCpy $2 1
    ${EndIf}
    ${If} $wow64 == 1
        ${DisableX64FSRedirection}
    ${EndIf}
    Exec '"$0" shell32.dll,Control_RunDLL desk.cpl,,$2'
    ${If} $wow64 == 1
        ${EnableX64FSRedirection}
    ${EndIf}
FunctionEnd

Section
    !insertmacro NATIVE_SYSTEM
    SetOutPath $SYSDIR
    ; The file first: if it is in use, nothing else is changed.
    SetOverwrite try
    retry:
    ClearErrors
    ${If} $saver64 == 1
        File "/oname=purl.scr" "${SAVER64}"
    ${Else}
        File "/oname=purl.scr" "${SAVER32}"
    ${EndIf}
    ${If} ${Errors}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${IN_USE_TEXT}" /SD IDCANCEL IDRETRY retry
        Abort "purl.scr is in use; nothing was changed."
    ${EndIf}

    ; What was there before, for the uninstaller: the saver and the ScreenSaveActive setting
    ; (which 9x keeps in the registry too), each as found or missing. Over a purl that is still
    ; current, the record of its setup stays.
    Call ReadSaver
    ${GetFileName} $0 $3
    ${If} $1 == 0
    ${OrIf} $3 != "purl.scr"
        DeleteRegValue HKLM "${UNINSTALL_KEY}" PreviousRecorded
        DeleteRegValue HKLM "${UNINSTALL_KEY}" PreviousSaver
        DeleteRegValue HKLM "${UNINSTALL_KEY}" PreviousScreenSaveActive
        ${If} $make_current == ${BST_CHECKED}
            ${If} $1 == 1
                WriteRegStr HKLM "${UNINSTALL_KEY}" PreviousSaver $0
            ${EndIf}
            ClearErrors
            ReadRegStr $2 HKCU "${DESKTOP_KEY}" ScreenSaveActive
            ${IfNot} ${Errors}
                WriteRegStr HKLM "${UNINSTALL_KEY}" PreviousScreenSaveActive $2
            ${EndIf}
            WriteRegDWORD HKLM "${UNINSTALL_KEY}" PreviousRecorded 1
        ${EndIf}
    ${EndIf}
    ${If} $make_current == ${BST_CHECKED}
        ${If} $is_9x == 0
            StrCpy $0 "$SYSDIR\purl.scr"
        ${Else}
            GetFullPathName /SHORT $0 "$SYSDIR\purl.scr" ; system.ini takes short paths
        ${EndIf}
        StrCpy $1 1
        Call WriteSaver
        System::Call 'user32::SystemParametersInfoA(i ${SPI_SETSCREENSAVEACTIVE}, i 1, i 0, i ${SPIF_UPDATE_AND_SEND})'
    ${EndIf}

    SetOutPath $INSTDIR
    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "purl (screen saver)"
    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$SYSDIR\purl.scr,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
    ${GetSize} $SYSDIR "/M=purl.scr /S=0K /G=0" $0 $1 $2
    ${GetSize} $INSTDIR "/S=0K" $1 $2 $3
    IntOp $0 $0 + $1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" EstimatedSize $0
SectionEnd

Function un.onInit
    !insertmacro FIND_SYSTEM
    !insertmacro NEED_ADMINISTRATOR
FunctionEnd

Section Uninstall
    !insertmacro NATIVE_SYSTEM
    retry:
    ClearErrors
    Delete "$SYSDIR\purl.scr"
    ${If} ${Errors}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${IN_USE_TEXT}" /SD IDCANCEL IDRETRY retry
        Abort "purl.scr is in use; nothing was changed."
    ${EndIf}
    ; Still the current saver: what its setup found comes back, the saver (none if its file is
    ; gone) and ScreenSaveActive, and running programs are told. Without a record, no saver is
    ; left chosen.
    Call un.ReadSaver
    ${GetFileName} $0 $3
    ${If} $1 == 1
    ${AndIf} $3 == "purl.scr"
        ClearErrors
        ReadRegDWORD $2 HKLM "${UNINSTALL_KEY}" PreviousRecorded
        ${If} ${Errors}
            StrCpy $1 0
            Call un.WriteSaver
        ${Else}
            ClearErrors
            ReadRegStr $0 HKLM "${UNINSTALL_KEY}" PreviousSaver
            ${If} ${Errors}
                StrCpy $1 0 ; there was none
            ${ElseIf} $0 != ""
            ${AndIfNot} ${FileExists} $0
                StrCpy $1 0 ; its file is gone
            ${EndIf}
            Call un.WriteSaver
            ClearErrors
            ReadRegStr $2 HKLM "${UNINSTALL_KEY}" PreviousScreenSaveActive
            ${If} ${Errors}
                DeleteRegValue HKCU "${DESKTOP_KEY}" ScreenSaveActive
            ${Else}
                WriteRegStr HKCU "${DESKTOP_KEY}" ScreenSaveActive $2
                ; The value written stays as it was: this only tells the system and programs.
                System::Call 'user32::SystemParametersInfoA(i ${SPI_SETSCREENSAVEACTIVE}, i r2, i 0, i ${SPIF_SENDCHANGE})'
            ${EndIf}
        ${EndIf}
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir $INSTDIR
SectionEnd
