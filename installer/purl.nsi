; purl's setup program: the build that fits the system, for everyone in the system folder or,
; without an administrator, only for the user in their own programs folder; made the current
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
; Everyone (an administrator, the system folder, the machine's entry) or only the user (no
; administrator, the user's own programs folder and entry); an administrator gets everyone, a
; standard user only themselves, and /AllUsers or /CurrentUser choose for /S. Windows 9x:
; everyone.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR purl
!define MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE "purl's setup needs an administrator to install purl for everyone on this computer.$\r$\n$\r$\nRun it without /AllUsers to install purl for you only."
!define MULTIUSER_INIT_FUNCTIONQUIT CannotInstall
!define MULTIUSER_NOUNINSTALL ; the uninstaller goes by where it stands
!include MultiUser.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\purl"
; What was current before setup made purl current, kept with the choice it belongs to.
!define RECORD_KEY "Software\purl"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_SENDCHANGE 2
!define SPIF_UPDATE_AND_SEND 3 ; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE
!define IMAGE_FILE_MACHINE_AMD64 34404
; purl.scr that cannot be written or deleted is most often in use, but the system may deny it
; too (a Power User on Vista and later cannot write the system folder): the message says no more.
!define IN_USE_TEXT "purl.scr could not be changed. It is in use while the screen-saver settings show its preview or purl is running.$\r$\n$\r$\nClose the screen-saver settings and end purl, then click Retry."

Name "purl"
Caption "purl ${VERSION} Setup"
OutFile "${OUTFILE}"
BrandingText " "
Var make_current
Var everyone_button
Var saver_path ; the installed purl.scr
Var other_account ; 1 when setup runs as another account than the desktop's user
Var setup_account ; the name of the account setup runs as

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
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
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

; Without the rights the chosen way needs (everyone, from /AllUsers or an uninstaller of an
; install for everyone, on NT): the message has been shown; nothing is written, exit code 2.
!macro CANNOT_INSTALL un
Function ${un}CannotInstall
    SetErrorLevel 2
    Quit
FunctionEnd
!macroend
!insertmacro CANNOT_INSTALL ""
!insertmacro CANNOT_INSTALL "un."

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

; Makes purl ($saver_path) the current saver and turns the screen saver on. The path of an
; install for the user only goes short, as the system starts the saver by it unquoted.
Function ${un}MakeCurrent
    StrCpy $0 $saver_path
    ${If} $is_9x == 1
    ${OrIf} $MultiUser.InstallMode == CurrentUser
        GetFullPathName /SHORT $0 $saver_path ; system.ini takes short paths
    ${EndIf}
    StrCpy $1 1
    Call ${un}WriteSaver
    System::Call 'user32::SystemParametersInfoA(i ${SPI_SETSCREENSAVEACTIVE}, i 1, i 0, i ${SPIF_UPDATE_AND_SEND})'
FunctionEnd

; The screen-saver page of the display settings: the second tab on 9x, NT 4 and 2000, the named
; page from XP (5.1) on. The native rundll32 on 64-bit Windows: this runs on the wizard's own
; thread, with redirection on.
Function ${un}OpenSettings
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
!macroend
!insertmacro SAVER_FUNCTIONS ""
!insertmacro SAVER_FUNCTIONS "un."

; Whether setup runs as another account than the one whose desktop it shows (an administrator's
; password typed in for a standard user): the session's user, who sits at the keyboard, against
; the account of setup's own token. The screen saver is chosen in the user's own registry, so
; setup then leaves the choice to that user, and an install only for "me" is the other
; account's, which the pages say. Windows 9x has one user at a time.
Function FindOtherAccount
    StrCpy $other_account 0
    ${If} $is_9x == 0
        System::Call 'advapi32::GetUserNameA(t .r0, *i ${NSIS_MAX_STRLEN})'
        StrCpy $setup_account $0
        ; WTS_CURRENT_SESSION, WTSUserName (5)
        System::Call 'wtsapi32::WTSQuerySessionInformationA(p 0, i -1, i 5, *p .r1, *i .r2) i .r3'
        ${If} $3 <> 0
            System::Call '*$1(&t${NSIS_MAX_STRLEN} .r2)'
            System::Call 'wtsapi32::WTSFreeMemory(p r1)'
            ; No user in the session (a deployment tool running setup as SYSTEM), or another.
            ${If} $2 != $0 ; case-blind, as account names are
                StrCpy $other_account 1
            ${EndIf}
        ${EndIf}
    ${EndIf}
FunctionEnd

Function .onInit
    StrCpy $make_current ${BST_CHECKED} ; silent setup makes it current too
    !insertmacro FIND_SYSTEM
    ; /AllUsers without an administrator: said here, as MultiUser's message would wait for a
    ; click even with /S.
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 /AllUsers $1
    ${IfNot} ${Errors}
    ${AndIf} $is_9x == 0
        UserInfo::GetAccountType
        Pop $1
        ${If} $1 != Admin
        ${AndIf} $1 != Power
            MessageBox MB_OK|MB_ICONSTOP "${MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE}" /SD IDOK
            Call CannotInstall
        ${EndIf}
    ${EndIf}
    !insertmacro MULTIUSER_INIT
    Call FindOtherAccount
FunctionEnd

; The first page: for whom (on NT; everyone needs an administrator), and whether purl becomes
; the current screen saver.
Function WelcomeShow
    ${If} $is_9x == 0
        ${NSD_CreateRadioButton} 120u 150u 190u 12u "Install for &everyone on this computer"
        Pop $everyone_button
        SetCtlColors $everyone_button "" "${MUI_BGCOLOR}"
        ${NSD_CreateRadioButton} 120u 163u 190u 12u "Install &only for me (no administrator needed)"
        Pop $0
        SetCtlColors $0 "" "${MUI_BGCOLOR}"
        ${If} $MultiUser.InstallMode == AllUsers
            ${NSD_Check} $everyone_button
        ${Else}
            ${NSD_Check} $0
        ${EndIf}
        ${If} $other_account == 1
            SendMessage $0 ${WM_SETTEXT} 0 "STR:Install &only for $setup_account, the account setup runs as"
        ${EndIf}
        ${If} $MultiUser.Privileges != Admin
        ${AndIf} $MultiUser.Privileges != Power
            EnableWindow $everyone_button 0
            SendMessage $everyone_button ${WM_SETTEXT} 0 "STR:Install for everyone (right-click setup, Run as administrator)"
        ${EndIf}
        ${NSD_OnClick} $everyone_button WelcomeChooseUsers
        ${NSD_OnClick} $0 WelcomeChooseUsers
        ; The welcome text's label reaches down over the choice and would paint over it: it ends
        ; where the choice begins.
        System::Call '*(i, i, i, i) p .r1'
        System::Call 'user32::GetWindowRect(p $everyone_button, p r1)'
        System::Call '*$1(i, i .r2)'
        System::Call 'user32::GetWindowRect(p $mui.WelcomePage.Text, p r1)'
        System::Call '*$1(i .r3, i .r4, i .r5)'
        System::Free $1
        IntOp $2 $2 - $4
        IntOp $5 $5 - $3
        System::Call 'user32::SetWindowPos(p $mui.WelcomePage.Text, p 0, i 0, i 0, i r5, i r2, i 0x16)' ; SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE
    ${EndIf}
    ${NSD_CreateCheckbox} 120u 178u 190u 12u "&Make purl the current screen saver" ; below the text
    Pop $0
    SetCtlColors $0 "" "${MUI_BGCOLOR}"
    ${NSD_SetState} $0 $make_current
    ${NSD_OnClick} $0 WelcomeClick
FunctionEnd

Function WelcomeChooseUsers
    Pop $0
    ${NSD_GetState} $everyone_button $0
    ${If} $0 == ${BST_CHECKED}
        Call MultiUser.InstallMode.AllUsers
    ${Else}
        Call MultiUser.InstallMode.CurrentUser
    ${EndIf}
FunctionEnd

Function WelcomeClick
    Pop $0
    ${NSD_GetState} $0 $make_current
FunctionEnd

; Run as another account: for everyone, purl is there for the user to pick; only for that
; account, it is of no use to the user, who can install it from their own account. The settings
; that setup would open are that other account's, so the box to open them goes.
Function FinishShow
    ${If} $other_account == 1
        ${NSD_Uncheck} $mui.FinishPage.Run
        ShowWindow $mui.FinishPage.Run ${SW_HIDE}
        StrCpy $0 "purl is installed for everyone.$\r$\n$\r$\nSetup ran as another account than yours, so it did not choose your screen saver: pick purl in your screen-saver settings."
        ${If} $MultiUser.InstallMode == CurrentUser
            StrCpy $0 "purl is installed only for $setup_account, the account setup ran as, not for you.$\r$\n$\r$\nTo install it for yourself, run setup from your own account, without an administrator, and choose $\"only for me$\"."
        ${EndIf}
        SendMessage $mui.FinishPage.Text ${WM_SETTEXT} 0 "STR:$0"
    ${EndIf}
FunctionEnd

; The Start-menu item of an install for the user only: the settings page lists only the savers
; of the system folders and the current one, so the item makes purl current again and opens the
; settings (the uninstaller in its own folder, asked so).
!define CURRENT_SWITCH "/MakeCurrent"
!define MENU_ITEM "$SMPROGRAMS\purl screen saver.lnk"

!macro MOVE_RECORD value ; from the machine's entry to the user's record, if it is there
    ClearErrors
    ReadRegStr $2 HKLM "${UNINSTALL_KEY}" ${value}
    ${IfNot} ${Errors}
        WriteRegStr HKCU "${RECORD_KEY}" ${value} $2
    ${EndIf}
!macroend

Section
    !insertmacro NATIVE_SYSTEM
    ${If} $MultiUser.InstallMode == AllUsers
        StrCpy $saver_path "$SYSDIR\purl.scr"
    ${Else}
        StrCpy $saver_path "$INSTDIR\purl.scr"
    ${EndIf}
    ${GetParent} $saver_path $0
    SetOutPath $0
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
        Abort "purl.scr could not be written; nothing was changed."
    ${EndIf}

    ; Another account's screen saver is not this setup's to choose.
    ${If} $other_account == 1
        StrCpy $make_current ${BST_UNCHECKED}
    ${EndIf}
    ; Over an install by the setup before this one, which kept its record in the machine's entry:
    ; the record moves to the user's registry, unless the user has one, and leaves the entry.
    ${If} $MultiUser.InstallMode == AllUsers
        ClearErrors
        ReadRegDWORD $2 HKLM "${UNINSTALL_KEY}" PreviousRecorded
        ${IfNot} ${Errors}
            ReadRegDWORD $2 HKCU "${RECORD_KEY}" PreviousRecorded
            ${If} ${Errors}
                !insertmacro MOVE_RECORD PreviousSaver
                !insertmacro MOVE_RECORD PreviousScreenSaveActive
                WriteRegDWORD HKCU "${RECORD_KEY}" PreviousRecorded 1
            ${EndIf}
            DeleteRegValue HKLM "${UNINSTALL_KEY}" PreviousSaver
            DeleteRegValue HKLM "${UNINSTALL_KEY}" PreviousScreenSaveActive
            DeleteRegValue HKLM "${UNINSTALL_KEY}" PreviousRecorded
        ${EndIf}
    ${EndIf}
    ; What was there before, for the uninstaller: the saver and the ScreenSaveActive setting
    ; (which 9x keeps in the registry too), each as found or missing. Over a purl that is still
    ; current, the record of its setup stays.
    Call ReadSaver
    ${GetFileName} $0 $3
    ${If} $1 == 0
    ${OrIf} $3 != "purl.scr"
        DeleteRegKey HKCU "${RECORD_KEY}"
        ${If} $make_current == ${BST_CHECKED}
            ${If} $1 == 1
                WriteRegStr HKCU "${RECORD_KEY}" PreviousSaver $0
            ${EndIf}
            ClearErrors
            ReadRegStr $2 HKCU "${DESKTOP_KEY}" ScreenSaveActive
            ${IfNot} ${Errors}
                WriteRegStr HKCU "${RECORD_KEY}" PreviousScreenSaveActive $2
            ${EndIf}
            WriteRegDWORD HKCU "${RECORD_KEY}" PreviousRecorded 1
        ${EndIf}
    ${EndIf}
    ${If} $make_current == ${BST_CHECKED}
        Call MakeCurrent
    ${EndIf}

    SetOutPath $INSTDIR
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ${If} $MultiUser.InstallMode == CurrentUser
        ; The shell's link object (COM, its DLLs) loads only with redirection on.
        ${If} $wow64 == 1
            ${EnableX64FSRedirection}
        ${EndIf}
        CreateShortCut "${MENU_ITEM}" "$INSTDIR\uninstall.exe" "${CURRENT_SWITCH} _?=$INSTDIR" "$saver_path" 0
        ${If} $wow64 == 1
            ${DisableX64FSRedirection}
        ${EndIf}
    ${EndIf}
    ; SHCTX: the machine's list for everyone, the user's own otherwise. The quiet uninstall runs
    ; in place, so that its exit code is the uninstall's own.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayName "purl (screen saver)"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayIcon "$saver_path,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoModify 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoRepair 1
    ${GetSize} $INSTDIR "/S=0K" $0 $1 $2
    ${If} $MultiUser.InstallMode == AllUsers
        ${GetSize} $SYSDIR "/M=purl.scr /S=0K /G=0" $1 $2 $3
        IntOp $0 $0 + $1
    ${EndIf}
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" EstimatedSize $0
SectionEnd

; Where the uninstaller stands decides what it removes: in the folder the machine's entry names,
; an install for everyone, in the system folder; anywhere else an install for the user only (no
; administrator needed), also when its purl.scr is gone. The folders are compared as short
; paths, as "_?=" may give them. The Start-menu item only makes purl current.
Function un.onInit
    !insertmacro FIND_SYSTEM
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "${CURRENT_SWITCH}" $1
    ${IfNot} ${Errors}
        StrCpy $MultiUser.InstallMode CurrentUser
        StrCpy $saver_path "$INSTDIR\purl.scr"
        ${If} ${FileExists} $saver_path
            Call un.MakeCurrent
            Call un.OpenSettings
        ${EndIf}
        Quit
    ${EndIf}
    ${If} $wow64 == 1
        SetRegView 64 ; the machine's entry, as setup wrote it
    ${EndIf}
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" UninstallString ; "<folder>\uninstall.exe", or empty
    StrCpy $0 $0 "" 1
    ${GetParent} $0 $0
    GetFullPathName /SHORT $0 $0
    GetFullPathName /SHORT $1 $INSTDIR
    ${If} $0 == ""
    ${OrIf} $0 != $1 ; case-blind, as paths are
        StrCpy $MultiUser.InstallMode CurrentUser
        SetShellVarContext current
        StrCpy $saver_path "$INSTDIR\purl.scr"
    ${Else}
        UserInfo::GetAccountType
        Pop $0
        ${If} $is_9x == 0
        ${AndIf} $0 != Admin
        ${AndIf} $0 != Power
            MessageBox MB_OK|MB_ICONSTOP "purl was installed for everyone on this computer: removing it needs an administrator." /SD IDOK
            Call un.CannotInstall
        ${EndIf}
        StrCpy $MultiUser.InstallMode AllUsers
        SetShellVarContext all
        StrCpy $saver_path "$SYSDIR\purl.scr"
    ${EndIf}
FunctionEnd

Section Uninstall
    !insertmacro NATIVE_SYSTEM ; also for the previous saver's file, found in the native folder
    retry:
    ClearErrors
    Delete $saver_path
    ${If} ${Errors}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${IN_USE_TEXT}" /SD IDCANCEL IDRETRY retry
        SetErrorLevel 2
        Abort "purl.scr could not be deleted; nothing was changed."
    ${EndIf}
    ; Still the current saver: what its setup found comes back, the saver (none if its file is
    ; gone) and ScreenSaveActive, and running programs are told. Without a record, no saver is
    ; left chosen.
    Call un.ReadSaver
    ${GetFileName} $0 $3
    ${If} $1 == 1
    ${AndIf} $3 == "purl.scr"
        ClearErrors
        ReadRegDWORD $2 HKCU "${RECORD_KEY}" PreviousRecorded
        ${If} ${Errors}
            StrCpy $1 0
            Call un.WriteSaver
        ${Else}
            ClearErrors
            ReadRegStr $0 HKCU "${RECORD_KEY}" PreviousSaver
            ${If} ${Errors}
                StrCpy $1 0 ; there was none
            ${ElseIf} $0 != ""
            ${AndIfNot} ${FileExists} $0
                StrCpy $1 0 ; its file is gone
            ${EndIf}
            Call un.WriteSaver
            ClearErrors
            ReadRegStr $2 HKCU "${RECORD_KEY}" PreviousScreenSaveActive
            ${If} ${Errors}
                DeleteRegValue HKCU "${DESKTOP_KEY}" ScreenSaveActive
            ${Else}
                WriteRegStr HKCU "${DESKTOP_KEY}" ScreenSaveActive $2
                ; The value written stays as it was: this only tells the system and programs.
                System::Call 'user32::SystemParametersInfoA(i ${SPI_SETSCREENSAVEACTIVE}, i r2, i 0, i ${SPIF_SENDCHANGE})'
            ${EndIf}
        ${EndIf}
    ${EndIf}
    DeleteRegKey HKCU "${RECORD_KEY}"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    Delete "${MENU_ITEM}"
    ; Run in place (the quiet uninstall), the uninstaller cannot delete its own file: a hidden
    ; command deletes it and the folder once it has ended (trying each second for a minute), or
    ; on 9x, which has no cmd, the next start does. Every program it names by its full path, from
    ; the Windows folder (a temporary folder may hold planted programs). Its copy in the
    ; temporary folder (the clicked uninstall) deletes them itself.
    GetFullPathName /SHORT $0 $EXEDIR
    GetFullPathName /SHORT $1 $INSTDIR
    ${If} $0 == $1
    ${AndIf} $is_9x == 1
        Delete /REBOOTOK "$INSTDIR\uninstall.exe"
        RMDir /REBOOTOK $INSTDIR
    ${ElseIf} $0 == $1
        ${If} $wow64 == 1
            ${EnableX64FSRedirection} ; the shell's DLLs load only with it on
        ${EndIf}
        SetOutPath $WINDIR
        ExecShell "" "$SYSDIR\cmd.exe" '/c for /l %i in (1,1,60) do @("$SYSDIR\ping.exe" -n 2 127.0.0.1 >nul & del /f /q "$INSTDIR\uninstall.exe" >nul 2>&1 & rmdir "$INSTDIR" >nul 2>&1 & if not exist "$INSTDIR" exit)' SW_HIDE
    ${Else}
        Delete "$INSTDIR\uninstall.exe"
        RMDir $INSTDIR
    ${EndIf}
SectionEnd
