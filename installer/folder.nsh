; The all-users folder. The logon task starts its exe with each user's
; highest rights, so only administrators may change anything in it: it lies
; directly inside Program Files, which users cannot change (so nobody can
; rename the folder or slip a link in its place), it is no link to a folder
; elsewhere, and it gets rights of its own before anything is written.

; Sets $R9 to why $INSTDIR is refused, or to "" and $INSTDIR to the folder
; as a full path with long names (".." and 8.3 names resolved).
Function CheckAllUsersFolder
  Push $0
  Push $1
  Push $2
  System::Call 'kernel32::GetFullPathNameW(w "$INSTDIR", i ${NSIS_MAX_STRLEN}, w .r0, p 0)'
  ${Do}
    StrCpy $1 $0 1 -1
    ${If} $1 != "\"
      ${ExitDo}
    ${EndIf}
    StrCpy $0 $0 -1
  ${Loop}
  ${GetParent} $0 $1
  ${GetFileName} $0 $2
  ; Windows resolves 8.3 names only for paths that exist.
  System::Call 'kernel32::GetLongPathNameW(w r1, w .r1, i ${NSIS_MAX_STRLEN})'
  StrCpy $R9 ""
  ${If} $1 != $PROGRAMFILES64
  ${OrIf} $2 == ""
    StrCpy $R9 "$(OutsideProgramFiles)"
  ${Else}
    StrCpy $0 "$1\$2"
    System::Call 'kernel32::GetFileAttributesW(w r0) i .r2'
    ${If} $2 <> -1
      IntOp $2 $2 & 0x400 ; FILE_ATTRIBUTE_REPARSE_POINT
      ${If} $2 <> 0
        StrCpy $R9 $0
        StrCpy $R9 "$(LinkedFolder)"
      ${Else}
        System::Call 'kernel32::GetLongPathNameW(w r0, w .r0, i ${NSIS_MAX_STRLEN})'
      ${EndIf}
    ${EndIf}
    ${If} $R9 == ""
      StrCpy $INSTDIR $0
    ${EndIf}
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Creates $INSTDIR with owner Administrators and a protected list of rights:
; Administrators and SYSTEM full control, Users read and execute. An
; existing folder and what it holds get the same.
Function LockDownFolder
  CreateDirectory "$INSTDIR"
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", i 1, *p .r1, p 0)'
  System::Call 'advapi32::GetSecurityDescriptorOwner(p r1, *p .r2, *i .r0)'
  System::Call 'advapi32::GetSecurityDescriptorDacl(p r1, *i .r0, *p .r3, *i .r0)'
  ; OWNER, DACL and PROTECTED_DACL_SECURITY_INFORMATION
  System::Call 'advapi32::SetNamedSecurityInfoW(w "$INSTDIR", i 1, i 0x80000005, p r2, p 0, p r3, p 0) i .r0'
  System::Call 'kernel32::LocalFree(p r1)'
  ${If} $0 <> 0
    StrCpy $R9 $0
    ${Fail} ${EXIT_FILE} "$(LockFailed)"
    Abort
  ${EndIf}
  ${Log} "$(Locked)"
FunctionEnd

; The logon task: any user's logon, that user's highest rights, no time
; limit, also on battery, one instance per user. Its XML is written into the
; locked folder, where a normal process cannot change it before schtasks
; reads it.
Function RegisterTask
  ${WordReplace} "$INSTDIR\kronvik.exe" "&" "&amp;" "+" $R3
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
  FileWriteUTF16LE $R2 '<Actions Context="Users"><Exec><Command>"$R3"</Command></Exec></Actions>$\r$\n'
  FileWriteUTF16LE $R2 '</Task>$\r$\n'
  FileClose $R2
  nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /Create /TN "${TASK}" /XML "$R1" /F'
  Pop $R2
  Delete $R1
  ${If} $R2 != 0
    ${Log} "$(TaskFailed)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(TaskFailed)" /SD IDOK
    SetErrorLevel ${EXIT_TASK}
  ${EndIf}
FunctionEnd
