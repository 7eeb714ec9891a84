; Ending Kronvik, and writing or deleting files that may still be in use.
;
; The quit request reaches only this desktop, and the single-instance mutex
; only this session. An elevated installer therefore also creates a named
; event in the global namespace, owned by the Administrators group, which
; every Kronvik looks for once a second. A Kronvik that still does not end
; keeps its exe: Windows lets a running exe be renamed, not replaced, so the
; installer moves it aside and has it deleted at the next restart.

!define QUIT_EVENT "Global\Kronvik-Quit"
; Owner Administrators; everyone may open it to read its owner and wait.
!define QUIT_EVENT_SDDL "O:BAD:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x120000;;;WD)"

Var Machine       ; 1: this process does the all-users part itself
Var QuitEvent
Var WasRunning    ; 1: a Kronvik ran in this session
Var RestartNeeded ; 1: a file in use is deleted at the next restart

!macro ReplaceFunctions un
; Pushes 1 while a Kronvik holds its single-instance mutex in this session.
; An elevated Kronvik's mutex may refuse a normal process: it exists all the same.
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

; Asks Kronvik to end and waits up to 5 s until this session's is gone and
; nothing runs the exe any more. Sets $WasRunning. The all-users part asks
; every session, and keeps asking (any Kronvik started meanwhile ends at
; once) until CloseQuitEvent.
Function ${un}EndKronvik
  Call ${un}KronvikRunning
  Pop $WasRunning
  ${If} $Machine = 1
    System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${QUIT_EVENT_SDDL}", i 1, *p .r1, p 0) i .r0'
    ${If} $0 <> 0
      ; SECURITY_ATTRIBUTES: length, padding, descriptor, inherit, padding
      System::Call '*(i 24, i 0, p r1, i 0, i 0) p .r2'
      System::Call 'kernel32::CreateEventW(p r2, i 1, i 1, w "${QUIT_EVENT}") p .r0'
      StrCpy $QuitEvent $0
      System::Free $2
      System::Call 'kernel32::LocalFree(p r1)'
      ${If} $QuitEvent P<> 0
        ${Log} "$(AskedToEnd)"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  System::Call 'user32::RegisterWindowMessageW(w "Kronvik") i .r1'
  StrCpy $2 0
  ${Do}
    ; A broadcast reaches its main window whatever its rights; again every
    ; half second for a Kronvik that was still starting.
    IntOp $0 $2 % 5
    ${If} $0 = 0
      System::Call 'user32::PostMessageW(p 0xffff, i r1, p 0, p 0)'
    ${EndIf}
    Call ${un}KronvikRunning
    Pop $0
    ${If} $0 = 0
      ${IfNot} ${FileExists} "$INSTDIR\kronvik.exe"
        Return
      ${EndIf}
      ; A running exe cannot be opened for writing.
      ClearErrors
      FileOpen $3 "$INSTDIR\kronvik.exe" a
      ${IfNot} ${Errors}
        FileClose $3
        Return
      ${EndIf}
    ${EndIf}
    Sleep 100
    IntOp $2 $2 + 1
  ${LoopUntil} $2 >= 50
  StrCpy $R9 "$INSTDIR\kronvik.exe"
  ${Log} "$(StillInUse)"
FunctionEnd

Function ${un}CloseQuitEvent
  ${If} $QuitEvent P<> 0
    System::Call 'kernel32::CloseHandle(p $QuitEvent)'
    StrCpy $QuitEvent 0
  ${EndIf}
FunctionEnd
!macroend

; Makes room for a new $INSTDIR\<name on the stack>. A file in use is moved
; aside (as <name>.<n>.old) and deleted at the next restart; one that cannot
; even be moved ends the installation.
Function ClearWay
  Exch $0
  Push $1
  StrCpy $R9 "$INSTDIR\$0"
  Delete $R9
  ${If} ${FileExists} $R9
    StrCpy $1 1
    ${DoWhile} ${FileExists} "$R9.$1.old"
      IntOp $1 $1 + 1
    ${Loop}
    ClearErrors
    Rename $R9 "$R9.$1.old"
    ${If} ${Errors}
      ${Fail} ${EXIT_FILE} "$(CannotWrite)"
      Abort
    ${EndIf}
    Delete /REBOOTOK "$R9.$1.old"
    ${If} ${FileExists} "$R9.$1.old"
      ${Log} "$(MovedAside)"
      StrCpy $RestartNeeded 1
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; One file of the release into $INSTDIR; a file that cannot be written ends
; the installation with EXIT_FILE, before anything is registered.
!macro PutFile name
  Push "${name}"
  Call ClearWay
  ClearErrors
  File "${STAGE}/${name}"
  ${If} ${Errors}
    StrCpy $R9 "$INSTDIR\${name}"
    ${Fail} ${EXIT_FILE} "$(CannotWrite)"
    Abort
  ${EndIf}
!macroend

; Deletes $INSTDIR\<name on the stack>, or has it deleted at the next restart.
Function un.RemoveFile
  Exch $R9
  StrCpy $R9 "$INSTDIR\$R9"
  Delete $R9
  ${If} ${FileExists} $R9
    Delete /REBOOTOK $R9
    ${Log} "$(DeletedAtRestart)"
    StrCpy $RestartNeeded 1
  ${EndIf}
  Pop $R9
FunctionEnd

!macro RemoveFile name
  Push "${name}"
  Call un.RemoveFile
!macroend
