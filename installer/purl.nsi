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
!define SPIF_UPDATE_AND_SEND 3 ; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE

Name "purl"
Caption "purl ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\purl"
RequestExecutionLevel admin
BrandingText " "
Var make_current

!define MUI_ICON "../resources/icon_letter.ico"
!define MUI_UNICON "../resources/icon_letter.ico"
!define MUI_WELCOMEPAGE_TITLE "purl ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "Setup will install purl, a screen saver, on this computer.$\r$\n$\r$\nClick Install to continue."
!define MUI_PAGE_CUSTOMFUNCTION_SHOW WelcomeShow
!insertmacro MUI_PAGE_WELCOME
!define MUI_FINISHPAGE_NOAUTOCLOSE ; the install page stays, with what it did
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "purl is installed."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the screen-saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenSettings
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP "purl, the screen saver, will be removed from this computer. If it is still the current screen saver, the one chosen before it comes back. Click Uninstall to continue."
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "Uninstaller:"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

; Windows 95, 98 and Me as the system reports itself to programs (the top bit of GetVersion),
; as the saver itself tells them apart; then, on 64-bit Windows, the native system folder and
; registry rather than the 32-bit program's views.
Var is_9x
!macro FIND_SYSTEM
    System::Call 'kernel32::GetVersion() i .r0'
    IntOp $0 $0 & 0x80000000
    ${If} $0 == 0
        StrCpy $is_9x 0
    ${Else}
        StrCpy $is_9x 1
    ${EndIf}
    ${If} $is_9x == 0
    ${AndIf} ${RunningX64}
        ${DisableX64FSRedirection}
        SetRegView 64
    ${EndIf}
!macroend

; The current screen saver's path, on the stack: the registry on NT, system.ini on 9x.
!macro SAVER_FUNCTIONS un
Function ${un}CurrentSaver
    ${If} $is_9x == 0
        ReadRegStr $0 HKCU "${DESKTOP_KEY}" SCRNSAVE.EXE
    ${Else}
        ReadINIStr $0 "$WINDIR\system.ini" boot SCRNSAVE.EXE
    ${EndIf}
    Push $0
FunctionEnd

; Makes the path on the stack the current saver, or none if it is empty, and tells the system.
Function ${un}SetSaver
    Pop $0
    ${If} $is_9x == 0
        ${If} $0 == ""
            DeleteRegValue HKCU "${DESKTOP_KEY}" SCRNSAVE.EXE
            WriteRegStr HKCU "${DESKTOP_KEY}" ScreenSaveActive 0
        ${Else}
            WriteRegStr HKCU "${DESKTOP_KEY}" SCRNSAVE.EXE $0
            WriteRegStr HKCU "${DESKTOP_KEY}" ScreenSaveActive 1
        ${EndIf}
    ${ElseIf} $0 == ""
        DeleteINIStr "$WINDIR\system.ini" boot SCRNSAVE.EXE
    ${Else}
        WriteINIStr "$WINDIR\system.ini" boot SCRNSAVE.EXE $0
    ${EndIf}
    ${If} $0 == ""
        StrCpy $1 0
    ${Else}
        StrCpy $1 1
    ${EndIf}
    System::Call 'user32::SystemParametersInfoA(i ${SPI_SETSCREENSAVEACTIVE}, i r1, i 0, i ${SPIF_UPDATE_AND_SEND})'
FunctionEnd
!macroend
!insertmacro SAVER_FUNCTIONS ""
!insertmacro SAVER_FUNCTIONS "un."

Function .onInit
    StrCpy $make_current ${BST_CHECKED} ; silent setup makes it current too
    !insertmacro FIND_SYSTEM
FunctionEnd

Function WelcomeShow
    ${NSD_CreateCheckbox} 120u 178u 190u 12u "Make purl the current screen saver" ; below the text
    Pop $0
    SetCtlColors $0 "" "${MUI_BGCOLOR}"
    ${NSD_SetState} $0 $make_current
    ${NSD_OnClick} $0 WelcomeClick
FunctionEnd

Function WelcomeClick
    Pop $0
    ${NSD_GetState} $0 $make_current
FunctionEnd

; The screen-saver page of the display settings: the second tab on 9x, the named page since XP.
Function OpenSettings
    ${If} $is_9x == 1
        Exec '"$WINDIR\rundll32.exe" shell32.dll,Control_RunDLL desk.cpl,,1'
    ${Else}
        Exec '"$SYSDIR\rundll32.exe" shell32.dll,Control_RunDLL desk.cpl,,@screensaver'
    ${EndIf}
FunctionEnd

Section
    SetOutPath $SYSDIR
    ${If} $is_9x == 0
    ${AndIf} ${RunningX64}
        File "/oname=purl.scr" "${SAVER64}"
    ${Else}
        File "/oname=purl.scr" "${SAVER32}"
    ${EndIf}
    ${If} $make_current == ${BST_CHECKED}
        ; The saver that was current, for the uninstaller; over an older purl, the one before it.
        Call CurrentSaver
        Pop $0
        ${GetFileName} $0 $1
        ${If} $1 != "purl.scr"
            WriteRegStr HKLM "${UNINSTALL_KEY}" PreviousSaver $0
        ${EndIf}
        ${If} $is_9x == 0
            Push "$SYSDIR\purl.scr"
        ${Else}
            GetFullPathName /SHORT $0 "$SYSDIR\purl.scr" ; system.ini takes short paths
            Push $0
        ${EndIf}
        Call SetSaver
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
FunctionEnd

Section Uninstall
    ; Still the current saver: the one before it comes back if its file is still there.
    Call un.CurrentSaver
    Pop $0
    ${GetFileName} $0 $1
    ${If} $1 == "purl.scr"
        ReadRegStr $0 HKLM "${UNINSTALL_KEY}" PreviousSaver
        ${IfNot} ${FileExists} $0
            StrCpy $0 ""
        ${EndIf}
        Push $0
        Call un.SetSaver
    ${EndIf}
    Delete "$SYSDIR\purl.scr"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir $INSTDIR
SectionEnd
