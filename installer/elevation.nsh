; The all-users part runs elevated, in a second process that the one at the
; user's desktop starts and waits for. Only that first, unelevated process
; touches HKCU and starts Kronvik: an elevated process may belong to an
; administrator who typed a password for a standard user, or to SYSTEM, and
; its HKCU is theirs. Started elevated already, the installer has no such
; process, so it leaves HKCU alone and starts nothing.

Var Child     ; 1: started by the unelevated installer as its elevated part
Var Elevated  ; 1: this process's token is elevated

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

; The log the elevated part wrote into $R1 after the offset $R2, into the
; details view.
Function ${un}ShowElevatedLog
  Push $0
  Push $1
  Push $2
  ClearErrors
  FileOpen $0 $R1 r
  ${IfNot} ${Errors}
    FileSeek $0 $R2 SET
    ${If} $R2 = 0
      FileReadWord $0 $1 ; the byte order mark
    ${EndIf}
    ${Do}
      ClearErrors
      FileReadUTF16LE $0 $1
      ${If} ${Errors}
        ${ExitDo}
      ${EndIf}
      ${Do}
        StrCpy $2 $1 1 -1
        ${If} $2 != "$\n"
        ${AndIf} $2 != "$\r"
          ${ExitDo}
        ${EndIf}
        StrCpy $1 $1 -1
      ${Loop}
      DetailPrint $1
    ${Loop}
    FileClose $0
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; The log file for the elevated part into $R1 (the one /LOG= named, or one
; of its own), and its length so far into $R2.
Function ${un}ElevatedLogFile
  StrCpy $R1 $LogFile
  ${If} $R1 == ""
    InitPluginsDir
    StrCpy $R1 "$PLUGINSDIR\elevated.log"
  ${EndIf}
  StrCpy $R2 0
  ClearErrors
  FileOpen $0 $R1 r
  ${IfNot} ${Errors}
    FileSeek $0 0 END $R2
    FileClose $0
  ${EndIf}
FunctionEnd

; After the elevated part: its exit code $R0 becomes this process's; one
; that is neither success nor a finished installation ends this one too.
Function ${un}TakeElevatedResult
  Call ${un}ShowElevatedLog
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
