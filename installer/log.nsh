; What the installer and the uninstaller did, for the details view and for
; the file /LOG= names (UTF-16 with a byte order mark, appended to), and the
; exit codes they end with. An elevated part writes no file: its lines go
; through a pipe to the process that started it (elevation.nsh), which
; logs them.

!define EXIT_FOLDER 2    ; the all-users folder was refused
!define EXIT_FILE 3      ; a file could not be written: the installation is incomplete
!define EXIT_TASK 4      ; installed, but the logon task could not be registered
!define EXIT_ADMIN 5     ; no administrator rights, or the approval was declined
!define EXIT_MODE 6      ; a per-user installation over an all-users one
!define EXIT_RESTART 3010 ; done; a restart deletes a file that was in use

Var LogFile
Var LogPipe ; the elevated part's end of the pipe

!macro LogFunctions un
; Appends the text on the stack to the details and to the log.
Function ${un}WriteLog
  Exch $0
  Push $1
  Push $2
  DetailPrint $0
  ${If} $LogPipe <> 0
    ; One message a line, with its terminating zero.
    StrLen $1 $0
    IntOp $1 $1 + 1
    IntOp $1 $1 * 2
    System::Call 'kernel32::WriteFile(p $LogPipe, w r0, i r1, *i .r2, p 0)'
  ${ElseIf} $LogFile != ""
    ClearErrors
    FileOpen $1 $LogFile a
    ${IfNot} ${Errors}
      FileSeek $1 0 END $2
      ${If} $2 = 0
        FileWriteWord $1 0xFEFF
      ${EndIf}
      FileWriteUTF16LE $1 "$0$\r$\n"
      FileClose $1
    ${EndIf}
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; /LOG=file from the command line in $R0, as a full path: a relative name
; means the same file to the elevated part, which starts elsewhere.
Function ${un}ReadLogOption
  ClearErrors
  ${GetOptions} $R0 "/LOG=" $R1
  ${IfNot} ${Errors}
  ${AndIf} $R1 != ""
    System::Call 'kernel32::GetFullPathNameW(w R1, i ${NSIS_MAX_STRLEN}, w .R1, p 0)'
    StrCpy $LogFile $R1
  ${EndIf}
FunctionEnd

; Logs a failure, shows it (not in a silent run) and sets the exit code;
; the caller then ends with Abort or Quit.
Function ${un}Failed
  Exch $0 ; the text
  Exch
  Exch $1 ; the code
  Push $R9
  ${Log} $0
  MessageBox MB_OK|MB_ICONSTOP $0 /SD IDOK
  SetErrorLevel $1
  StrCpy $R9 $1
  ${Log} "$(LogDone)"
  Pop $R9
  Pop $1
  Pop $0
FunctionEnd

; Logs the exit code at a successful end.
Function ${un}LogExitCode
  Push $R9
  GetErrorLevel $R9
  ${If} $R9 < 0
    StrCpy $R9 0
  ${EndIf}
  ${Log} "$(LogDone)"
  Pop $R9
FunctionEnd
!macroend

!macro Log text
  Push `${text}`
  !ifdef __UNINSTALL__
    Call un.WriteLog
  !else
    Call WriteLog
  !endif
!macroend
!define Log "!insertmacro Log"

!macro Fail code text
  Push `${code}`
  Push `${text}`
  !ifdef __UNINSTALL__
    Call un.Failed
  !else
    Call Failed
  !endif
!macroend
!define Fail "!insertmacro Fail"
