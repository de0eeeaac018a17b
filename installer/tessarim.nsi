; tessarim-setup.exe: installs tessarim.dll and UTessarim.exe into one
; folder and writes exactly the registry entries that UTessarim removes.
; A 32-bit program: on 64-bit Windows its HKLM entries land in the 32-bit
; view (WOW6432Node), where the 32-bit interpreter and uninstaller look.
;
; makensis -DOUTFILE=... -DLIBRARY=... -DUNINSTALLER=... -DICON=... tessarim.nsi
;
; Exit codes: 0 installed; 1 cancelled; 2 aborted; 3 the library in the
; folder is loaded by a process; 4 the host list has no free number;
; 5 a registry entry could not be written. Silent mode (/S) shows no box:
; the exit code is the only report. Nothing is changed before the checks
; of codes 3 and 4 pass.

Unicode true
!ifndef OUTFILE | LIBRARY | UNINSTALLER | ICON
  !error "define OUTFILE, LIBRARY, UNINSTALLER and ICON"
!endif

!define VERSION "0.0.0.1"
!define HOST_KEY "Software\Quorvant"
!define SHARED_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tessarim"
; Func0 to Func255: the interpreter's list holds at most 256 libraries.
!define HOST_LIST_SIZE 256
!define FREE_MAP "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"

!define EXIT_IN_USE 3
!define EXIT_LIST_FULL 4
!define EXIT_REGISTRY 5

Name "Tessarim"
Caption "Tessarim ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Tessarim"
RequestExecutionLevel admin
Icon "${ICON}"
SetCompressor /SOLID lzma
; No file times in the archive: two builds of one commit give the same
; bytes. Installed files take the time of the install.
SetDateSave off
ShowInstDetails show

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Tessarim"
VIAddVersionKey /LANG=1033 "CompanyName" "Tessarim"
VIAddVersionKey /LANG=1033 "FileDescription" "Tessarim Math Intrinsics Add-on Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" ""

Page directory
Page instfiles

Var Library   ; the library's full path, long form
Var HostSlot  ; the N of the FuncN to write, or -1 when the list names the library already

; Ends the installer with an exit code; the box is shown only when not silent.
!macro Fail CODE TEXT
  MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
  SetErrorLevel ${CODE}
  Quit
!macroend

; The folder in its long form, so that the paths written name the library
; the way the uninstaller computes it from its own path. A folder that does
; not exist yet has no short form.
Function LongInstallFolder
  System::Call 'kernel32::GetLongPathNameW(w "$INSTDIR", w .r1, i ${NSIS_MAX_STRLEN}) i .r0'
  IntCmp $0 0 done
  IntCmp $0 ${NSIS_MAX_STRLEN} 0 0 done
  StrCpy $INSTDIR $1
done:
  StrCpy $Library "$INSTDIR\tessarim.dll"
FunctionEnd

; A library loaded by a process cannot be replaced. Asked before anything
; changes: opening the mapped image for writing fails; nothing is written.
Function CheckLibraryFree
  IfFileExists "$Library" 0 free
  ClearErrors
  FileOpen $0 "$Library" a
  IfErrors busy
  FileClose $0
  Goto free
busy:
  !insertmacro Fail ${EXIT_IN_USE} "$Library is in use by a running program, or cannot be replaced.$\r$\nClose the programs that use it and run the setup again. Nothing was changed."
free:
FunctionEnd

; Chooses $HostSlot. The interpreter reads Func0, Func1, ... up to the first
; missing number. The values are enumerated, not read by name, so that a
; value of any type occupies its number. Map character N: 0 free, 1 taken,
; 2 taken by a text that names the library.
Function ChooseHostSlot
  StrCpy $R9 "${FREE_MAP}"
  StrCpy $R0 0
next_value:
  ClearErrors
  EnumRegValue $R1 HKCU "${HOST_KEY}" $R0
  IfErrors scanned
  StrCmp $R1 "" scanned
  IntOp $R0 $R0 + 1
  ; Value names ignore letter case, and so does StrCmp.
  StrCpy $R2 $R1 4
  StrCmp $R2 "Func" 0 next_value
  StrCpy $R3 $R1 "" 4
  ; Only the decimal forms the interpreter writes: no sign, no leading zero.
  IntOp $R4 $R3 + 0
  StrCmp "$R4" "$R3" 0 next_value
  IntCmp $R4 0 0 next_value
  IntCmp $R4 ${HOST_LIST_SIZE} next_value 0 next_value
  StrCpy $R5 1
  ClearErrors
  ReadRegStr $R6 HKCU "${HOST_KEY}" $R1
  IfErrors mark
  StrCmp $R6 $Library 0 mark
  StrCpy $R5 2
mark:
  StrCpy $R7 $R9 $R4
  IntOp $R8 $R4 + 1
  StrCpy $R8 $R9 "" $R8
  StrCpy $R9 "$R7$R5$R8"
  Goto next_value
scanned:
  StrCpy $R0 0
next_number:
  StrCpy $R1 $R9 1 $R0
  StrCmp $R1 "0" free
  StrCmp $R1 "2" listed
  IntOp $R0 $R0 + 1
  IntCmp $R0 ${HOST_LIST_SIZE} 0 next_number
  !insertmacro Fail ${EXIT_LIST_FULL} "The interpreter's list of function libraries is full: HKCU\${HOST_KEY} holds Func0 to Func255 already.$\r$\nRemove a library from it and run the setup again. Nothing was changed."
free:
  StrCpy $HostSlot $R0
  Return
listed:
  StrCpy $HostSlot -1
FunctionEnd

; Spelled out rather than through Fail: the relative jump counts lines.
!macro CheckWritten WHAT
  IfErrors 0 +4
  MessageBox MB_OK|MB_ICONSTOP "Could not write ${WHAT}." /SD IDOK
  SetErrorLevel ${EXIT_REGISTRY}
  Quit
!macroend

Section "Tessarim"
  SetRegView 32
  Call LongInstallFolder
  Call CheckLibraryFree
  Call ChooseHostSlot

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${LIBRARY}"
  File "${UNINSTALLER}"

  ClearErrors
  ; The platform's count of users of a shared file: one more, or the first.
  ReadRegDWORD $0 HKLM "${SHARED_KEY}" "$Library"
  IfErrors 0 +3
  StrCpy $0 1
  Goto +2
  IntOp $0 $0 + 1
  ClearErrors
  WriteRegDWORD HKLM "${SHARED_KEY}" "$Library" $0
  !insertmacro CheckWritten "HKLM\${SHARED_KEY}"

  IntCmp $HostSlot 0 0 host_listed
  WriteRegStr HKCU "${HOST_KEY}" "Func$HostSlot" "$Library"
  !insertmacro CheckWritten "HKCU\${HOST_KEY}"
host_listed:

  SectionGetSize 0 $1
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tessarim"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tessarim"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\UTessarim.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\UTessarim.exe,0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  !insertmacro CheckWritten "HKLM\${UNINSTALL_KEY}"
SectionEnd
