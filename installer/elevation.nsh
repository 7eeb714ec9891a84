; The all-users part runs elevated, in a second process that the one at the
; user's desktop starts and waits for. Only that first, unelevated process
; touches HKCU and starts Kronvik: an elevated process may belong to an
; administrator who typed a password for a standard user, or to SYSTEM, and
; its HKCU is theirs. Started elevated already, the installer has no such
; process, so it leaves HKCU alone and starts nothing.

Var Child     ; 1: started by the unelevated installer as its elevated part
Var Elevated  ; 1: this process's token is elevated

!define LOG_PIPE "\\.\pipe\Kronvik-setup-"
!define /math LOG_LINE_BYTES ${NSIS_MAX_STRLEN} * 2

!macro ElevationFunctions un
; Pushes 1 when this process's token is elevated (SYSTEM's is).
Function ${un}TokenElevated
  Push $0
  Push $1
  Push $2
  StrCpy $2 0
  System::Call 'advapi32::OpenProcessToken(p -1, i 0x8, *p .r1) i .r0'
  ${If} $0 <> 0
    ; TokenElevation
    System::Call 'advapi32::GetTokenInformation(p r1, i 20, *i .r2, i 4, *i .r0)'
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
  ${If} $2 <> 0
    StrCpy $2 1
  ${EndIf}
  Exch $2
  Exch
  Pop $1
  Exch
  Pop $0
FunctionEnd

; Pushes 1 when this process holds administrator rights.
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

; Runs $R1 elevated with the arguments $R0 and waits for it: $R0 becomes its
; exit code, or "" when the approval was declined or elevation failed.
Function ${un}RunElevated
  Push $1
  Push $2
  Push $3
  ; SHELLEXECUTEINFOW with SEE_MASK_NOCLOSEPROCESS; the zeros after the
  ; 32-bit fields are the padding before the next pointer.
  System::Call '*(i 112, i 0x40, p $HWNDPARENT, w "runas", w R1, w R0, p 0, i 1, i 0, p 0, p 0, p 0, p 0, i 0, i 0, p 0, p 0) p .r1'
  System::Call 'shell32::ShellExecuteExW(p r1) i .r2'
  StrCpy $R0 ""
  ${If} $2 <> 0
    System::Call '*$1(i, i, p, p, p, p, p, i, i, p, p, p, p, i, i, p, p .r3)'
    System::Call 'kernel32::WaitForSingleObject(p r3, i -1)'
    System::Call 'kernel32::GetExitCodeProcess(p r3, *i .R0)'
    System::Call 'kernel32::CloseHandle(p r3)'
  ${EndIf}
  System::Free $1
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; A pipe for the elevated part's log lines into $R1 (-1 when there is
; none), and its number into $R2, which the elevated part is given as
; /ELEVATED=number. Messages of one line each; never waited on.
Function ${un}OpenLogPipe
  System::Call 'kernel32::GetCurrentProcessId() i .R2'
  ; PIPE_ACCESS_INBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE; message type,
  ; message reads, no wait; one instance; 64 KiB for what comes in
  System::Call 'kernel32::CreateNamedPipeW(w "${LOG_PIPE}$R2", i 0x80001, i 7, i 1, i 0, i 65536, i 0, p 0) p .R1'
  ${If} $R1 = -1
    StrCpy $R2 0
  ${EndIf}
FunctionEnd

; /ELEVATED=number in $R0 makes this process the elevated part, whose log
; goes into that pipe; the pipe's owner gets no right to act as this process.
Function ${un}ReadElevatedOption
  ClearErrors
  ${GetOptions} $R0 "/ELEVATED=" $R1
  ${If} ${Errors}
    Return
  ${EndIf}
  StrCpy $Child 1
  ${If} $R1 <> 0
    ; GENERIC_WRITE, OPEN_EXISTING, SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION
    System::Call 'kernel32::CreateFileW(w "${LOG_PIPE}$R1", i 0x40000000, i 0, p 0, i 3, i 0x110000, p 0) p .R1'
    ${If} $R1 <> -1
      StrCpy $LogPipe $R1
    ${EndIf}
  ${EndIf}
FunctionEnd

; The lines the elevated part sent through the pipe $R1, into this log.
Function ${un}TakeElevatedLog
  ${If} $R1 = -1
    Return
  ${EndIf}
  ${Do}
    System::Call 'kernel32::ReadFile(p R1, w .r0, i ${LOG_LINE_BYTES}, *i .r1, p 0) i .r2'
    ${If} $2 = 0
      ${ExitDo}
    ${EndIf}
    ${Log} $0
  ${Loop}
  System::Call 'kernel32::CloseHandle(p R1)'
FunctionEnd

; After the elevated part: its exit code $R0 becomes this process's; one
; that is neither success nor a finished installation ends this one too.
Function ${un}TakeElevatedResult
  SetErrorLevel $R0
  ${If} $R0 = ${EXIT_RESTART}
    SetRebootFlag true
  ${ElseIf} $R0 <> 0
  ${AndIf} $R0 <> ${EXIT_TASK}
    StrCpy $R9 $R0
    ${Fail} $R0 "$(ElevatedFailed)"
    Abort
  ${EndIf}
FunctionEnd
!macroend
