; Kronvik's installer, built by tools/dist.sh with makensis, which passes
; VERSION, STAGE (the folder with kronvik.exe and the texts), ICON, OUTFILE
; and, to sign the installer and the uninstaller, SIGN (a command that signs
; the file named by its one argument).
;
; Two modes:
;   per user   %LOCALAPPDATA%\Programs\Kronvik, HKCU, the user's Run value;
;              never an administrator prompt.
;   all users  %ProgramFiles%\Kronvik, HKLM, a logon task that starts Kronvik
;              with each user's highest rights. One administrator prompt.
; An elevated task may only start a file that a normal process cannot
; replace, so that mode installs only inside Program Files.
;
; Command line: /S silent, /ALLUSERS the second mode, /NOLOGON no start at
; logon, /D=folder (last). The uninstaller takes /S and /DELSETTINGS.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma
CRCCheck on

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kronvik"
!define RUNKEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define TASK "Kronvik"
!define PUBLISHER "Kronvik project"

!ifdef SIGN
  !finalize '${SIGN} "%1"' = 0
  !uninstfinalize '${SIGN} "%1"' = 0
!endif

Name "Kronvik"
OutFile "${OUTFILE}"
BrandingText "Kronvik ${VERSION}"
ShowInstDetails show

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"

Var AllUsers      ; 1: the all-users mode
Var ModeFixed     ; 1: the mode came from the command line
Var Elevated      ; 1: this instance was started elevated by another one
Var StartAtLogon  ; 1: the Run value or the task
Var DirGiven      ; 1: /D= named the folder
Var WasRunning    ; 1: Kronvik ran before the exe was replaced
Var ModeUser
Var ModeAll
Var LogonBox
Var FinishText

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

Page custom ModePage ModePageLeave
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_PRE FinishPre
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_RUN "$INSTDIR\kronvik.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(RunNow)"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
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

LangString ModeTitle ${LANG_ENGLISH} "Installation mode"
LangString ModeTitle ${LANG_JAPANESE} "インストールの方法"
LangString ModeSub ${LANG_ENGLISH} "Choose who uses Kronvik and whether it may set the clock."
LangString ModeSub ${LANG_JAPANESE} "Kronvik を使う人と、時刻合わせを許可するかどうかを選んでください。"
LangString ModeUserText ${LANG_ENGLISH} "Just for me (no administrator approval)"
LangString ModeUserText ${LANG_JAPANESE} "このユーザーのみ（管理者の承認は不要）"
LangString ModeUserNote ${LANG_ENGLISH} "Installs into your own folder. Setting the clock needs the right $\"Change the system time$\", which an administrator grants (see README.txt)."
LangString ModeUserNote ${LANG_JAPANESE} "自分のフォルダにインストールします。時刻合わせには「システム時刻の変更」の権利が必要で、管理者が与えます（README.txt を参照）。"
LangString ModeAllText ${LANG_ENGLISH} "All users (allow clock setting)"
LangString ModeAllText ${LANG_JAPANESE} "全ユーザー（時刻合わせを許可する）"
LangString ModeAllNote ${LANG_ENGLISH} "Installs into Program Files and starts Kronvik at each logon with the user's highest rights, so an administrator's Kronvik sets the clock without a prompt. Needs administrator approval once."
LangString ModeAllNote ${LANG_JAPANESE} "Program Files にインストールし、ログオンのたびにそのユーザーの最上位の権限で起動します。管理者の Kronvik は確認なしで時刻を合わせられます。管理者の承認が一度必要です。"
LangString LogonText ${LANG_ENGLISH} "Start Kronvik at logon"
LangString LogonText ${LANG_JAPANESE} "ログオン時に Kronvik を起動する"
LangString Declined ${LANG_ENGLISH} "Without administrator approval Kronvik cannot be installed for all users.$\r$\n$\r$\nInstall it just for you instead?"
LangString Declined ${LANG_JAPANESE} "管理者の承認が得られなかったため、全ユーザーにはインストールできません。$\r$\n$\r$\nこのユーザーのみにインストールしますか？"
LangString NotAdmin ${LANG_ENGLISH} "The all-users installation needs administrator rights."
LangString NotAdmin ${LANG_JAPANESE} "全ユーザーへのインストールには管理者の権限が必要です。"
LangString OutsideProgramFiles ${LANG_ENGLISH} "For all users Kronvik installs only inside $PROGRAMFILES64, where only administrators can change it."
LangString OutsideProgramFiles ${LANG_JAPANESE} "全ユーザー用には、管理者しか変更できない $PROGRAMFILES64 の中にだけインストールできます。"
LangString StillRunning ${LANG_ENGLISH} "Kronvik did not end. Close it from its tray menu and try again."
LangString StillRunning ${LANG_JAPANESE} "Kronvik が終了しませんでした。トレイのメニューから終了して、もう一度試してください。"
LangString TaskFailed ${LANG_ENGLISH} "The logon task could not be registered."
LangString TaskFailed ${LANG_JAPANESE} "ログオン時のタスクを登録できませんでした。"
LangString RunNow ${LANG_ENGLISH} "Start Kronvik now"
LangString RunNow ${LANG_JAPANESE} "Kronvik をいま起動する"
LangString FinishUser ${LANG_ENGLISH} "Kronvik is installed.$\r$\n$\r$\nTo set the clock, Kronvik needs the right $\"Change the system time$\". An administrator can install Kronvik for all users, or grant the right to your account: secpol.msc, Local Policies, User Rights Assignment, $\"Change the system time$\" (README.txt tells more)."
LangString FinishUser ${LANG_JAPANESE} "Kronvik をインストールしました。$\r$\n$\r$\n時刻合わせには「システム時刻の変更」の権利が必要です。管理者が全ユーザー用にインストールするか、secpol.msc の「ローカル ポリシー」→「ユーザー権利の割り当て」→「システム時刻の変更」でこのアカウントに権利を与えてください（詳しくは README.txt）。"
LangString FinishAll ${LANG_ENGLISH} "Kronvik is installed for all users. From the next logon on, an administrator's Kronvik sets the clock without a prompt.$\r$\n$\r$\nA standard account still lacks the right: an administrator grants it with secpol.msc, Local Policies, User Rights Assignment, $\"Change the system time$\" (README.txt tells more)."
LangString FinishAll ${LANG_JAPANESE} "Kronvik を全ユーザー用にインストールしました。次のログオンから、管理者の Kronvik は確認なしで時刻を合わせます。$\r$\n$\r$\n標準ユーザーのアカウントには権利がありません。管理者が secpol.msc の「ローカル ポリシー」→「ユーザー権利の割り当て」→「システム時刻の変更」で与えてください（詳しくは README.txt）。"
LangString SettingsSection ${LANG_ENGLISH} "Delete the settings and the schedule as well"
LangString SettingsSection ${LANG_JAPANESE} "設定とスケジュールも削除する"
LangString UnNotAdmin ${LANG_ENGLISH} "Without administrator approval Kronvik cannot be removed for all users."
LangString UnNotAdmin ${LANG_JAPANESE} "管理者の承認が得られなかったため、全ユーザー用の Kronvik を削除できません。"

; ---- shared by the installer and the uninstaller

; Pushes 1 while a Kronvik holds its single-instance mutex in this session.
; An elevated Kronvik's mutex may refuse a normal process: it exists all the same.
!macro KronvikRunning un
Function ${un}KronvikRunning
  Push $0
  Push $1
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Kronvik-Velk") p .r0 ?e'
  Pop $1
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    StrCpy $0 1
  ${ElseIf} $1 = 5
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro KronvikRunning ""
!insertmacro KronvikRunning "un."

; Asks a running Kronvik to end with its quit request, which gives every
; caption back, and waits up to 5 s until it is gone and its exe is free.
; Sets $WasRunning.
!macro EndKronvik un
Function ${un}EndKronvik
  StrCpy $WasRunning 0
  Call ${un}KronvikRunning
  Pop $0
  ${If} $0 = 0
    Return
  ${EndIf}
  StrCpy $WasRunning 1
  retry:
  System::Call 'user32::RegisterWindowMessageW(w "Kronvik") i .r1'
  ; A broadcast reaches its main window whatever its rights.
  System::Call 'user32::PostMessageW(p 0xffff, i r1, p 0, p 0)'
  StrCpy $2 0
  ${Do}
    Sleep 100
    IntOp $2 $2 + 1
    Call ${un}KronvikRunning
    Pop $0
    ${If} $0 = 0
    ${AndIf} ${FileExists} "$INSTDIR\kronvik.exe"
      ; The process may hold its exe a moment after the mutex is gone.
      ClearErrors
      FileOpen $3 "$INSTDIR\kronvik.exe" a
      ${IfNot} ${Errors}
        FileClose $3
        Return
      ${EndIf}
    ${ElseIf} $0 = 0
      Return
    ${EndIf}
  ${LoopUntil} $2 >= 50
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY retry
  SetErrorLevel 3
  Quit
FunctionEnd
!macroend
!insertmacro EndKronvik ""
!insertmacro EndKronvik "un."

; Pushes 1 when this process holds administrator rights (an elevated token).
!macro IsAdmin un
Function ${un}IsAdmin
  Push $0
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Exch $0
FunctionEnd
!macroend
!insertmacro IsAdmin ""
!insertmacro IsAdmin "un."

; ---- installer

Function .onInit
  StrCpy $StartAtLogon 1
  StrCpy $DirGiven 0
  ${If} $INSTDIR != ""
    StrCpy $DirGiven 1
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    StrCpy $ModeFixed 1
  ${Else}
    ; An upgrade keeps the mode of the installation it replaces.
    ReadRegStr $R1 HKLM "${UNINSTKEY}" "InstallLocation"
    ${If} $R1 != ""
      StrCpy $AllUsers 1
    ${EndIf}
    ${If} ${Silent}
      StrCpy $AllUsers 0
      StrCpy $ModeFixed 1
    ${EndIf}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/ELEVATED" $R1
  ${IfNot} ${Errors}
    StrCpy $Elevated 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/NOLOGON" $R1
  ${IfNot} ${Errors}
    StrCpy $StartAtLogon 0
  ${EndIf}
  Call ApplyMode
  ${If} $AllUsers = 1
  ${AndIf} $ModeFixed = 1
    Call ElevateOrQuit
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

; Starts this installer again elevated for the all-users mode and ends this
; one. Pushes nothing and returns only when the prompt was declined.
Function RunElevated
  StrCpy $R0 "/ALLUSERS /ELEVATED"
  ${If} ${Silent}
    StrCpy $R0 "/S $R0"
  ${EndIf}
  ${If} $StartAtLogon = 0
    StrCpy $R0 "$R0 /NOLOGON"
  ${EndIf}
  ${If} $DirGiven = 1
    StrCpy $R0 "$R0 /D=$INSTDIR"
  ${EndIf}
  ClearErrors
  ExecShellWait "runas" "$EXEPATH" "$R0"
  ${IfNot} ${Errors}
    Quit
  ${EndIf}
FunctionEnd

Function ElevateOrQuit
  Call IsAdmin
  Pop $0
  ${If} $0 = 1
    Return
  ${EndIf}
  ${If} $Elevated = 1
    MessageBox MB_OK|MB_ICONSTOP "$(NotAdmin)" /SD IDOK
    SetErrorLevel 5
    Quit
  ${EndIf}
  Call RunElevated
  ; Declined: without a page to go back to, the installer ends here.
  MessageBox MB_OK|MB_ICONSTOP "$(NotAdmin)" /SD IDOK
  SetErrorLevel 5
  Quit
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
  ${NSD_GetState} $LogonBox $StartAtLogon
  ${NSD_GetState} $ModeAll $AllUsers
  Call ApplyMode
  ${If} $AllUsers = 0
    Return
  ${EndIf}
  Call IsAdmin
  Pop $0
  ${If} $0 = 1
    Return
  ${EndIf}
  HideWindow
  Call RunElevated
  BringToFront
  MessageBox MB_YESNO|MB_ICONEXCLAMATION "$(Declined)" IDYES peruser
  Abort
  peruser:
  StrCpy $AllUsers 0
  ${NSD_Uncheck} $ModeAll
  ${NSD_Check} $ModeUser
  Call ApplyMode
FunctionEnd

; An elevated task starts the exe: only a folder inside Program Files keeps
; it out of reach of the user's normal programs.
Function CheckAllUsersFolder
  Push $0
  StrCpy $0 1
  ${If} $AllUsers = 1
    ; The full path, ".." resolved, whether the folder exists yet or not.
    System::Call 'kernel32::GetFullPathNameW(w "$INSTDIR", i ${NSIS_MAX_STRLEN}, w .R1, p 0)'
    StrLen $R2 "$PROGRAMFILES64\"
    StrCpy $R1 $R1 $R2
    ${If} $R1 != "$PROGRAMFILES64\"
      StrCpy $0 0
    ${EndIf}
  ${EndIf}
  Exch $0
FunctionEnd

Function DirectoryLeave
  Call CheckAllUsersFolder
  Pop $0
  ${If} $0 = 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(OutsideProgramFiles)"
    Abort
  ${EndIf}
FunctionEnd

Function FinishPre
  ${If} $AllUsers = 1
    StrCpy $FinishText "$(FinishAll)"
  ${Else}
    StrCpy $FinishText "$(FinishUser)"
  ${EndIf}
FunctionEnd

; The logon task: any user's logon, that user's highest rights, no time
; limit, also on battery, one instance per user. Written into the install
; folder, where a normal process cannot change it before schtasks reads it.
Function RegisterTask
  StrCpy $R1 "$INSTDIR\kronvik-task.xml"
  FileOpen $R2 $R1 w
  FileWriteWord $R2 0xFEFF
  FileWriteUTF16LE $R2 '<?xml version="1.0" encoding="UTF-16"?>$\r$\n'
  FileWriteUTF16LE $R2 '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">$\r$\n'
  FileWriteUTF16LE $R2 '<RegistrationInfo><Description>Kronvik</Description></RegistrationInfo>$\r$\n'
  FileWriteUTF16LE $R2 '<Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>$\r$\n'
  FileWriteUTF16LE $R2 '<Principals><Principal id="Users"><GroupId>S-1-5-32-545</GroupId><RunLevel>HighestAvailable</RunLevel></Principal></Principals>$\r$\n'
  FileWriteUTF16LE $R2 '<Settings><MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>'
  FileWriteUTF16LE $R2 '<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries><StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>'
  FileWriteUTF16LE $R2 '<ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Priority>4</Priority></Settings>$\r$\n'
  FileWriteUTF16LE $R2 '<Actions Context="Users"><Exec><Command>"$INSTDIR\kronvik.exe"</Command></Exec></Actions>$\r$\n'
  FileWriteUTF16LE $R2 '</Task>$\r$\n'
  FileClose $R2
  nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /Create /TN "${TASK}" /XML "$R1" /F'
  Pop $R2
  Delete $R1
  ${If} $R2 != 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(TaskFailed)" /SD IDOK
    SetErrorLevel 4
  ${EndIf}
FunctionEnd

Section "Kronvik"
  Call CheckAllUsersFolder
  Pop $0
  ${If} $0 = 0
    MessageBox MB_OK|MB_ICONSTOP "$(OutsideProgramFiles)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Call EndKronvik
  SetOutPath "$INSTDIR"
  File "${STAGE}/kronvik.exe"
  File "${STAGE}/README.txt"
  File "${STAGE}/LICENSE"
  File "${STAGE}/THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Kronvik.lnk" "$INSTDIR\kronvik.exe"

  ${If} $AllUsers = 1
    ; The task takes the place of a Run value this account may still have.
    DeleteRegValue HKCU "${RUNKEY}" "Kronvik"
    ${If} $StartAtLogon = 1
      Call RegisterTask
    ${Else}
      nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /Delete /TN "${TASK}" /F'
      Pop $0
    ${EndIf}
  ${ElseIf} $StartAtLogon = 1
    WriteRegStr HKCU "${RUNKEY}" "Kronvik" '"$INSTDIR\kronvik.exe"'
  ${Else}
    DeleteRegValue HKCU "${RUNKEY}" "Kronvik"
  ${EndIf}

  ; SHCTX is HKLM in the all-users mode and HKCU otherwise.
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayName" "Kronvik"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayIcon" '"$INSTDIR\kronvik.exe",0'
  WriteRegStr SHCTX "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
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
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTKEY}" "EstimatedSize" $0

  ${If} $WasRunning = 1
    Exec '"$INSTDIR\kronvik.exe"'
  ${EndIf}
SectionEnd

; ---- uninstaller


Section "-un.End"
  Call un.EndKronvik
SectionEnd

; The program's own uninstall command, so that what it keeps is deleted in
; one place. It needs the exe, and no other Kronvik running.
Section /o "un.$(SettingsSection)" un.Settings
  ExecWait '"$INSTDIR\kronvik.exe" /DEL'
SectionEnd

Section "-un.Files"
  Delete "$INSTDIR\kronvik.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
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
SectionEnd

Function un.onInit
  StrCpy $AllUsers 0
  ReadRegStr $R1 HKLM "${UNINSTKEY}" "InstallLocation"
  ${If} $R1 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/DELSETTINGS" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${un.Settings} ${SF_SELECTED}
  ${EndIf}
  ${If} $AllUsers = 0
    Return
  ${EndIf}
  Call un.IsAdmin
  Pop $0
  ${If} $0 = 1
    Return
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/ELEVATED" $R1
  ${IfNot} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(UnNotAdmin)" /SD IDOK
    SetErrorLevel 5
    Quit
  ${EndIf}
  ; In place, elevated, with the same choices.
  StrCpy $R1 "/ELEVATED"
  ${If} ${Silent}
    StrCpy $R1 "/S $R1"
  ${EndIf}
  ${If} ${SectionIsSelected} ${un.Settings}
    StrCpy $R1 "$R1 /DELSETTINGS"
  ${EndIf}
  ClearErrors
  ExecShellWait "runas" "$INSTDIR\uninstall.exe" "$R1 _?=$INSTDIR"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(UnNotAdmin)" /SD IDOK
    SetErrorLevel 5
  ${EndIf}
  Quit
FunctionEnd
