; Kronvik's installer, built by tools/dist.sh with makensis, which passes
; VERSION, STAGE (the folder with kronvik.exe and the texts), ICON, OUTFILE
; and, to sign the installer and the uninstaller, SIGN (a command that signs
; the file named by its one argument).
;
; Two modes, which never mix:
;   per user   %LOCALAPPDATA%\Programs\Kronvik, HKCU, the user's Run value;
;              never an administrator prompt. Refused while an all-users
;              installation exists.
;   all users  %ProgramFiles%\Kronvik, HKLM, a logon task that starts Kronvik
;              with each user's highest rights. One administrator prompt;
;              removes the installing user's per-user installation.
; An upgrade keeps the mode and the logon choice it finds.
;
; Command line: /S silent, /ALLUSERS the second mode, /LOGON or /NOLOGON,
; /LOG=file, /? the usage, /D=folder (last). The uninstaller takes /S,
; /DELSETTINGS, /LOG=file and /?. Exit codes: log.nsh.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma
CRCCheck on
; A file that cannot be written is never skipped, and no question about it is
; answered alone in a silent run: File sets the error flag and the script
; ends with a message and EXIT_FILE.
AllowSkipFiles off
SetOverwrite try

!addincludedir "${__FILEDIR__}"
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include nsDialogs.nsh

!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kronvik"
!define RUNKEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define TASK "Kronvik"
; The publisher is the company that the exe's own version information names.
!searchparse /file "${__FILEDIR__}/../resources/kronvik.rc" `VALUE "CompanyName", "` PUBLISHER `"`

!ifdef SIGN
  !finalize '${SIGN} "%1"' = 0
  !uninstfinalize '${SIGN} "%1"' = 0
!endif

Name "Kronvik"
OutFile "${OUTFILE}"
BrandingText "Kronvik ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"

Var AllUsers      ; 1: the all-users mode
Var ModeFixed     ; 1: the mode is settled without the mode page
Var StartAtLogon  ; 1: the Run value or the task
Var LogonArg      ; /LOGON 1, /NOLOGON 0 (or the mode page's box), else ""
Var DirGiven      ; 1: /D= named the folder
Var ModeUser
Var ModeAll
Var LogonBox
Var FinishText

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_CUSTOMFUNCTION_GUIINIT WidenNextButton
!define MUI_CUSTOMFUNCTION_UNGUIINIT un.WidenNextButton

Page custom ModePage ModePageLeave
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_PRE FinishPre
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_RUN "$INSTDIR\kronvik.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(RunNow)"
; A file in use goes at the next restart, whenever the user restarts.
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
; The one choice needs no description box, and its text the whole width.
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; English first: a system in any language but Japanese gets English.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Kronvik"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Kronvik Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "MIT License"

!include texts.nsh
!include log.nsh
!include replace.nsh
!include elevation.nsh
!include folder.nsh

!insertmacro LogFunctions ""
!insertmacro LogFunctions "un."
!insertmacro ReplaceFunctions ""
!insertmacro ReplaceFunctions "un."
!insertmacro ElevationFunctions ""
!insertmacro ElevationFunctions "un."

; The Japanese labels "インストール(I)" and "アンインストール(U)" are wider than
; the button: it grows to the left by 12 dialog units, the back button moves.
!macro WidenNextButton un
Function ${un}WidenNextButton
  System::Call '*(i 0, i 0, i 12, i 0) p .r0'
  System::Call 'user32::MapDialogRect(p $HWNDPARENT, p r0)'
  System::Call '*$0(i, i, i .r1, i)'
  GetDlgItem $2 $HWNDPARENT 1
  System::Call 'user32::GetWindowRect(p r2, p r0)'
  System::Call 'user32::MapWindowPoints(p 0, p $HWNDPARENT, p r0, i 2)'
  System::Call '*$0(i .r3, i .r4, i .r5, i .r6)'
  IntOp $3 $3 - $1
  IntOp $5 $5 - $3
  IntOp $6 $6 - $4
  ; SWP_NOZORDER | SWP_NOACTIVATE
  System::Call 'user32::SetWindowPos(p r2, p 0, i r3, i r4, i r5, i r6, i 0x14)'
  GetDlgItem $2 $HWNDPARENT 3
  System::Call 'user32::GetWindowRect(p r2, p r0)'
  System::Call 'user32::MapWindowPoints(p 0, p $HWNDPARENT, p r0, i 2)'
  System::Call '*$0(i .r3, i .r4)'
  IntOp $3 $3 - $1
  ; and SWP_NOSIZE
  System::Call 'user32::SetWindowPos(p r2, p 0, i r3, i r4, i 0, i 0, i 0x15)'
  System::Free $0
FunctionEnd
!macroend
!insertmacro WidenNextButton ""
!insertmacro WidenNextButton "un."

; ---- installer

Function .onInit
  ${GetParameters} $R0
  Call ReadLogOption
  ClearErrors
  ${GetOptions} $R0 "/?" $R1
  ${IfNot} ${Errors}
    MessageBox MB_OK|MB_ICONINFORMATION "$(Usage)"
    SetErrorLevel 0
    Quit
  ${EndIf}
  Call ReadElevatedOption
  StrCpy $R9 $R0
  ${Log} "$(LogStart)"
  ClearErrors
  ${GetOptions} $R0 "/NOLOGON" $R1
  ${IfNot} ${Errors}
    StrCpy $LogonArg 0
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/LOGON" $R1
  ${IfNot} ${Errors}
    StrCpy $LogonArg 1
  ${EndIf}
  Call TokenElevated
  Pop $Elevated
  ${If} $INSTDIR != ""
    StrCpy $DirGiven 1
  ${EndIf}

  ReadRegStr $R1 HKLM "${UNINSTKEY}" "InstallLocation"
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R2
  ${IfNot} ${Errors}
  ${OrIf} $Child = 1
    StrCpy $AllUsers 1
    StrCpy $ModeFixed 1
  ${ElseIf} $R1 != ""
    ; An upgrade keeps the mode it finds: a second, per-user copy would
    ; race the task for the single instance at every logon.
    StrCpy $AllUsers 1
    ${If} ${Silent}
      StrCpy $ModeFixed 1
      ${If} $Elevated = 0
        StrCpy $R9 $R1
        ${Fail} ${EXIT_MODE} "$(AllUsersThere)"
        Quit
      ${EndIf}
    ${EndIf}
  ${ElseIf} ${Silent}
    StrCpy $ModeFixed 1
  ${EndIf}
  Call ApplyMode
  Call ReadLogonChoice
  ${If} $ModeFixed = 1
    Call SettleMode
  ${EndIf}
FunctionEnd

; The folder, shell context and registry root of the chosen mode. An earlier
; installation of the same mode keeps its folder.
Function ApplyMode
  ${If} $AllUsers = 1
    SetShellVarContext all
    ReadRegStr $R1 HKLM "${UNINSTKEY}" "InstallLocation"
    StrCpy $R2 "$PROGRAMFILES64\Kronvik"
  ${Else}
    SetShellVarContext current
    ReadRegStr $R1 HKCU "${UNINSTKEY}" "InstallLocation"
    StrCpy $R2 "$LOCALAPPDATA\Programs\Kronvik"
  ${EndIf}
  ${If} $DirGiven = 1
    Return
  ${EndIf}
  ${If} $R1 != ""
    StrCpy $INSTDIR $R1
  ${Else}
    StrCpy $INSTDIR $R2
  ${EndIf}
FunctionEnd

; Start at logon: as the command line or the mode page says; else as the
; installation being upgraded has it; else yes.
Function ReadLogonChoice
  StrCpy $StartAtLogon 1
  ${If} $LogonArg != ""
    StrCpy $StartAtLogon $LogonArg
    Return
  ${EndIf}
  ReadRegStr $0 SHCTX "${UNINSTKEY}" "InstallLocation"
  ${If} $0 == ""
    Return
  ${EndIf}
  ClearErrors
  ReadRegDWORD $0 SHCTX "${UNINSTKEY}" "StartAtLogon"
  ${IfNot} ${Errors}
    StrCpy $StartAtLogon $0
    Return
  ${EndIf}
  ; Installed by a release that did not record the choice: what it left.
  ${If} $AllUsers = 1
    ${IfNot} ${FileExists} "$SYSDIR\Tasks\${TASK}"
      StrCpy $StartAtLogon 0
    ${EndIf}
  ${Else}
    ReadRegStr $0 HKCU "${RUNKEY}" "Kronvik"
    ${If} $0 == ""
      StrCpy $StartAtLogon 0
    ${EndIf}
  ${EndIf}
FunctionEnd

; Who does the all-users part: this process when it is elevated (it needs
; administrator rights then), else an elevated one it starts.
Function SettleMode
  StrCpy $Machine 0
  StrCpy $R9 "$(PlanUser)"
  ${If} $AllUsers = 1
    StrCpy $R9 "$(PlanThrough)"
    ${If} $Child = 1
    ${OrIf} $Elevated = 1
      Call IsAdmin
      Pop $0
      ${If} $0 = 0
        ${Fail} ${EXIT_ADMIN} "$(NotAdmin)"
        Quit
      ${EndIf}
      StrCpy $Machine 1
      StrCpy $R9 "$(PlanAll)"
    ${EndIf}
  ${EndIf}
  ${Log} "$(LogPlan)"
FunctionEnd

Function ModePage
  ${If} $ModeFixed = 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "$(ModeTitle)" "$(ModeSub)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 0 100% 12u "$(ModeUserText)"
  Pop $ModeUser
  ${NSD_AddStyle} $ModeUser ${WS_GROUP}
  ${NSD_CreateLabel} 12u 14u -12u 30u "$(ModeUserNote)"
  Pop $0
  ${NSD_CreateRadioButton} 0 50u 100% 12u "$(ModeAllText)"
  Pop $ModeAll
  ${NSD_CreateLabel} 12u 64u -12u 40u "$(ModeAllNote)"
  Pop $0
  ${NSD_CreateCheckBox} 0 112u 100% 12u "$(LogonText)"
  Pop $LogonBox
  ${NSD_AddStyle} $LogonBox ${WS_GROUP}
  ${If} $AllUsers = 1
    ${NSD_Check} $ModeAll
  ${Else}
    ${NSD_Check} $ModeUser
  ${EndIf}
  ${If} $StartAtLogon = 1
    ${NSD_Check} $LogonBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $LogonBox $LogonArg
  ${NSD_GetState} $ModeAll $AllUsers
  ${If} $AllUsers = 0
    ReadRegStr $R9 HKLM "${UNINSTKEY}" "InstallLocation"
    ${If} $R9 != ""
      MessageBox MB_OK|MB_ICONEXCLAMATION "$(AllUsersThere)"
      Abort
    ${EndIf}
  ${EndIf}
  Call ApplyMode
  Call ReadLogonChoice
  Call SettleMode
FunctionEnd

Function DirectoryLeave
  ${If} $AllUsers = 1
    Call CheckAllUsersFolder
    ${If} $R9 != ""
      MessageBox MB_OK|MB_ICONEXCLAMATION $R9
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

Function FinishPre
  ${If} $AllUsers = 1
    StrCpy $FinishText "$(FinishAll)"
  ${Else}
    StrCpy $FinishText "$(FinishUser)"
  ${EndIf}
FunctionEnd

; Started elevated, the installer starts nothing.
Function FinishShow
  ${If} $Machine = 1
  ${AndIf} $mui.FinishPage.Run != ""
    ${NSD_Uncheck} $mui.FinishPage.Run
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

; Pushes 1 when the process runs in a user's session: a deployment tool's
; SYSTEM runs in session 0, where nobody would see Kronvik.
Function UserAtScreen
  Push $0
  System::Call 'kernel32::GetCurrentProcessId() i .r0'
  System::Call 'kernel32::ProcessIdToSessionId(i r0, *i .r0)'
  ${If} $0 <> 0
    StrCpy $0 1
  ${EndIf}
  Exch $0
FunctionEnd

; The release's files, the uninstaller and the Start menu shortcut.
Function InstallFiles
  Call EndKronvik
  SetOutPath "$INSTDIR"
  ; Moved aside by an earlier upgrade, and no longer in use.
  Delete "$INSTDIR\*.old"
  !insertmacro PutFile kronvik.exe
  !insertmacro PutFile README.txt
  !insertmacro PutFile LICENSE
  !insertmacro PutFile THIRD-PARTY-NOTICES.txt
  Push uninstall.exe
  Call ClearWay
  ClearErrors
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
    StrCpy $R9 "$INSTDIR\uninstall.exe"
    ${Fail} ${EXIT_FILE} "$(CannotWrite)"
    Abort
  ${EndIf}
  CreateShortcut "$SMPROGRAMS\Kronvik.lnk" "$INSTDIR\kronvik.exe"
  Call CloseQuitEvent
FunctionEnd

; The Apps entry, in HKLM for all users and in HKCU otherwise (SHCTX).
Function RegisterApps
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayName" "Kronvik"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayIcon" '"$INSTDIR\kronvik.exe",0'
  WriteRegStr SHCTX "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
  WriteRegStr SHCTX "${UNINSTKEY}" "InstallDate" "$2$1$0"
  ; In the all-users mode the uninstaller runs in place (_?=, which must come
  ; last): elevated, it never starts a copy of itself from a temporary folder.
  StrCpy $R0 '"$INSTDIR\uninstall.exe"'
  StrCpy $R1 ""
  ${If} $AllUsers = 1
    StrCpy $R1 " _?=$INSTDIR"
  ${EndIf}
  WriteRegStr SHCTX "${UNINSTKEY}" "UninstallString" "$R0$R1"
  WriteRegStr SHCTX "${UNINSTKEY}" "QuietUninstallString" "$R0 /S$R1"
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoRepair" 1
  WriteRegDWORD SHCTX "${UNINSTKEY}" "StartAtLogon" $StartAtLogon
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTKEY}" "EstimatedSize" $0
FunctionEnd

; A file in use makes the exit code "restart needed", unless a failure
; already set one.
Function SetRestartCode
  ${If} $RestartNeeded = 1
    GetErrorLevel $0
    ${If} $0 <= 0
      SetErrorLevel ${EXIT_RESTART}
    ${EndIf}
    SetRebootFlag true
  ${EndIf}
FunctionEnd

Function InstallForUser
  Call InstallFiles
  ${If} $StartAtLogon = 1
    WriteRegStr HKCU "${RUNKEY}" "Kronvik" '"$INSTDIR\kronvik.exe"'
  ${Else}
    DeleteRegValue HKCU "${RUNKEY}" "Kronvik"
  ${EndIf}
  Call RegisterApps
  Call UserAtScreen
  Pop $0
  ${If} $WasRunning = 1
  ${AndIf} $0 = 1
    Exec '"$INSTDIR\kronvik.exe"'
    ${Log} "$(Started)"
  ${EndIf}
  Call SetRestartCode
FunctionEnd

; The all-users part, elevated: nothing of HKCU, and nothing started.
Function InstallForAllUsers
  Call CheckAllUsersFolder
  ${If} $R9 != ""
    ${Fail} ${EXIT_FOLDER} $R9
    Abort
  ${EndIf}
  Call LockDownFolder
  Call InstallFiles
  ${If} $StartAtLogon = 1
    Call RegisterTask
  ${Else}
    nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /Delete /TN "${TASK}" /F'
    Pop $0
  ${EndIf}
  Call RegisterApps
  ${If} $Child = 0
    ${Log} "$(NoUserHere)"
  ${EndIf}
  Call SetRestartCode
FunctionEnd

; This user's own installation goes when Kronvik is installed for all users,
; through its uninstaller run in place (which keeps the settings).
Function RemoveOwnInstallation
  ReadRegStr $R1 HKCU "${UNINSTKEY}" "InstallLocation"
  ${If} $R1 == ""
    Return
  ${EndIf}
  ${If} ${FileExists} "$R1\uninstall.exe"
    ExecWait '"$R1\uninstall.exe" /S _?=$R1'
    Delete "$R1\uninstall.exe"
    RMDir "$R1"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTKEY}"
  StrCpy $R9 $R1
  ${Log} "$(PerUserRemoved)"
FunctionEnd

; The unelevated side of the all-users mode: the elevated part installs,
; then this process does what concerns the user at the screen. Declined,
; the installation may go on for this user alone.
Function InstallThroughElevatedPart
  Call KronvikRunning
  Pop $WasRunning
  Call OpenLogPipe
  StrCpy $R0 "/S /ALLUSERS /ELEVATED=$R2"
  ${If} $LogonArg = 1
    StrCpy $R0 "$R0 /LOGON"
  ${ElseIf} $LogonArg == "0"
    StrCpy $R0 "$R0 /NOLOGON"
  ${EndIf}
  StrCpy $R0 "$R0 /D=$INSTDIR"
  ${Log} "$(Elevating)"
  Push $R1
  StrCpy $R1 $EXEPATH
  Call RunElevated
  Pop $R1
  Call TakeElevatedLog
  ${If} $R0 == ""
    ReadRegStr $R9 HKLM "${UNINSTKEY}" "InstallLocation"
    ${If} ${Silent}
    ${OrIf} $R9 != ""
      ${Fail} ${EXIT_ADMIN} "$(NotAdmin)"
      Abort
    ${EndIf}
    MessageBox MB_YESNO|MB_ICONEXCLAMATION "$(Declined)" IDYES peruser
    ${Fail} ${EXIT_ADMIN} "$(NotAdmin)"
    Abort
    peruser:
    StrCpy $AllUsers 0
    StrCpy $DirGiven 0
    Call ApplyMode
    Call ReadLogonChoice
    Return
  ${EndIf}
  Call TakeElevatedResult
  Call RemoveOwnInstallation
  ; The task takes the place of a Run value this account may still have.
  DeleteRegValue HKCU "${RUNKEY}" "Kronvik"
  ${If} $WasRunning = 1
    Exec '"$INSTDIR\kronvik.exe"'
    ${Log} "$(Started)"
  ${EndIf}
FunctionEnd

; The files are put in place by a function, which NSIS does not measure, so
; the folder page's required space is the staged files' size, counted here.
!tempfile STAGE_SIZE
!system `cat "${STAGE}/kronvik.exe" "${STAGE}/README.txt" "${STAGE}/LICENSE" "${STAGE}/THIRD-PARTY-NOTICES.txt" | wc -c | xargs -I N expr N + 1023 | xargs -I N expr N / 1024 | sed 's/^/!define STAGE_KB /' > "${STAGE_SIZE}"` = 0
!include "${STAGE_SIZE}"
!delfile "${STAGE_SIZE}"

Section "Kronvik"
  AddSize ${STAGE_KB}
  ${If} $AllUsers = 1
  ${AndIf} $Machine = 0
    Call InstallThroughElevatedPart
  ${EndIf}
  ${If} $AllUsers = 0
    Call InstallForUser
  ${ElseIf} $Machine = 1
    Call InstallForAllUsers
  ${EndIf}
SectionEnd

Function .onInstSuccess
  Call LogExitCode
FunctionEnd

; ---- uninstaller

; The choice the components page offers; the section below acts on it.
Section /o "un.$(SettingsSection)" un.Settings
SectionEnd

; The settings go through the program's own uninstall command, so that what
; it keeps is deleted in one place; it needs no other Kronvik running.
Function un.DeleteSettings
  Exch $0
  ${If} ${SectionIsSelected} ${un.Settings}
    ExecWait '"$0" /DEL'
    ${Log} "$(SettingsDeleted)"
  ${EndIf}
  Pop $0
FunctionEnd

; Everything but the settings of the all-users part (elevated) or of a
; per-user installation.
Function un.RemoveHere
  Call un.EndKronvik
  ${If} $Machine = 0
    Push "$INSTDIR\kronvik.exe"
    Call un.DeleteSettings
  ${EndIf}
  !insertmacro RemoveFile kronvik.exe
  !insertmacro RemoveFile README.txt
  !insertmacro RemoveFile LICENSE
  !insertmacro RemoveFile THIRD-PARTY-NOTICES.txt
  Delete /REBOOTOK "$INSTDIR\*.old"
  Delete "$SMPROGRAMS\Kronvik.lnk"
  ${If} $AllUsers = 1
    nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /Delete /TN "${TASK}" /F'
    Pop $0
  ${Else}
    DeleteRegValue HKCU "${RUNKEY}" "Kronvik"
  ${EndIf}
  DeleteRegKey SHCTX "${UNINSTKEY}"
  ; Run in place, the uninstaller cannot delete itself. A running exe can
  ; be moved out of the folder, though; either way it goes at the next restart.
  Delete "$INSTDIR\uninstall.exe"
  ${If} ${FileExists} "$INSTDIR\uninstall.exe"
    GetTempFileName $R1
    Delete $R1
    ClearErrors
    Rename "$INSTDIR\uninstall.exe" $R1
    ${If} ${Errors}
      Delete /REBOOTOK "$INSTDIR\uninstall.exe"
    ${Else}
      Delete /REBOOTOK $R1
    ${EndIf}
  ${EndIf}
  RMDir /REBOOTOK "$INSTDIR"
  Call un.CloseQuitEvent
  ${If} $RestartNeeded = 1
    SetErrorLevel ${EXIT_RESTART}
  ${EndIf}
FunctionEnd

; The unelevated side of the all-users uninstall: the elevated part removes
; Kronvik; then a copy of the exe deletes this user's settings if asked.
Function un.RemoveThroughElevatedPart
  InitPluginsDir
  CopyFiles /SILENT "$INSTDIR\kronvik.exe" "$PLUGINSDIR"
  Call un.OpenLogPipe
  StrCpy $R0 "/S /ELEVATED=$R2 _?=$INSTDIR"
  ${Log} "$(UnElevating)"
  Push $R1
  StrCpy $R1 "$INSTDIR\uninstall.exe"
  Call un.RunElevated
  Pop $R1
  Call un.TakeElevatedLog
  ${If} $R0 == ""
    ${Fail} ${EXIT_ADMIN} "$(UnNotAdmin)"
    Abort
  ${EndIf}
  Call un.TakeElevatedResult
  Push "$PLUGINSDIR\kronvik.exe"
  Call un.DeleteSettings
FunctionEnd

Section "-un.Kronvik"
  ${If} $AllUsers = 1
  ${AndIf} $Machine = 0
    Call un.RemoveThroughElevatedPart
  ${Else}
    Call un.RemoveHere
  ${EndIf}
SectionEnd

Function un.onUninstSuccess
  Call un.LogExitCode
FunctionEnd

; After the sections, whose indexes it uses.
Function un.onInit
  ${GetParameters} $R0
  Call un.ReadLogOption
  ClearErrors
  ${GetOptions} $R0 "/?" $R1
  ${IfNot} ${Errors}
    MessageBox MB_OK|MB_ICONINFORMATION "$(UnUsage)"
    SetErrorLevel 0
    Quit
  ${EndIf}
  Call un.ReadElevatedOption
  StrCpy $R9 $R0
  ${Log} "$(UnLogStart)"
  Call un.TokenElevated
  Pop $Elevated
  ReadRegStr $R1 HKLM "${UNINSTKEY}" "InstallLocation"
  ${If} $R1 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/DELSETTINGS" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${un.Settings} ${SF_SELECTED}
  ${EndIf}
  ${If} $AllUsers = 1
    ${If} $Elevated = 1
    ${OrIf} $Child = 1
      Call un.IsAdmin
      Pop $0
      ${If} $0 = 0
        ${Fail} ${EXIT_ADMIN} "$(UnNotAdmin)"
        Quit
      ${EndIf}
      StrCpy $Machine 1
    ${EndIf}
    ; Only the unelevated process that starts the elevated part knows whose
    ; settings to delete: started elevated, there is no such process.
    ${If} $Elevated = 1
    ${AndIf} $Child = 0
      SectionSetFlags ${un.Settings} 0
      SectionSetText ${un.Settings} ""
      ${Log} "$(UnNoUserHere)"
    ${EndIf}
  ${EndIf}
FunctionEnd
