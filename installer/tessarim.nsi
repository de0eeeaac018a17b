; tessarim-setup.exe: installs tessarim.dll and UTessarim.exe into one
; folder and writes exactly the registry entries that UTessarim removes.
; A 32-bit program: on 64-bit Windows its HKLM entries land in the 32-bit
; view (WOW6432Node), where the 32-bit interpreter and uninstaller look.
;
; makensis -DOUTFILE=... -DLIBRARY=... -DUNINSTALLER=... -DCHECKER=... -DICON=... tessarim.nsi
;
; Exit codes: 0 installed; 1 cancelled; 2 aborted; 3 the library in the
; folder is loaded by a process; 4 the host list cannot take the library;
; 5 a registry entry could not be written (what this run changed is put
; back); 6 the interpreter or the uninstaller could not handle the folder;
; 7 installed already in another folder. Silent mode (/S) shows no box:
; the exit code is the only report. Nothing is changed before the checks
; of codes 3, 4, 6 and 7 pass.
;
; The folder rule and the host-list scan are the uninstaller's own code,
; carried as tessarim-check.dll and called through the System plug-in.

Unicode true
!ifndef OUTFILE | LIBRARY | UNINSTALLER | CHECKER | ICON
  !error "define OUTFILE, LIBRARY, UNINSTALLER, CHECKER and ICON"
!endif
!include "${__FILEDIR__}/../contract/contract.nsh"

!define VERSION "0.0.0.1"
; The last host-list number, and the longest path, for the messages.
!define /math HOST_LIST_LAST ${HOST_LIST_SIZE} - 1
!define /math PATH_LIMIT ${PATH_BUFFER_SIZE} - 1

Name "Tessarim"
Caption "Tessarim ${VERSION} Setup"
OutFile "${OUTFILE}"
; No InstallDir: .onInit tells a folder given by /D= from none, and then
; chooses the installed folder, or the default.
!define DEFAULT_FOLDER "$PROGRAMFILES\Tessarim"
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

Page directory "" "" FolderLeave
Page instfiles

Var Library        ; the library's full path, long form
Var HostSlot       ; the N of the FuncN that names the library after the install
Var HostListed     ; 1 when FuncN names the library already
Var Installed      ; the folder of an installation that blocks another, or ""
Var OnPage         ; 1 while the folder page's leave function runs
; What this run found, so that a failed write can be undone.
Var CountBefore    ; the shared-file count, or "" when there was none
Var EntryExisted   ; 1 when the uninstall entry was there
Var HostKeyExisted ; 1 when the host list's key was there
Var LibraryExisted
Var ProgramExisted
Var FirstNewFolder ; the outermost folder of $INSTDIR that this run makes, or ""

; Refuses: on the folder page the box says why and the page stays; elsewhere
; the installer ends with the exit code. Spelled with relative jumps, which
; count instructions.
!macro Refuse CODE TEXT
  MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
  StrCmp $OnPage 1 0 +3
  StrCpy $OnPage 0
  Abort
  SetErrorLevel ${CODE}
  Quit
!macroend

; Calls the helper, loading it for this call only: a DLL left loaded would
; keep the plug-in folder from being deleted at the end.
; Its answer in $0 is a number; a call that could not be made leaves
; "error" there, and then nothing may be taken as checked.
!macro Check CALL
  InitPluginsDir
  IfFileExists "$PLUGINSDIR\tessarim-check.dll" +2
  File "/oname=$PLUGINSDIR\tessarim-check.dll" "${CHECKER}"
  StrCpy $0 "error"
  System::Call '$PLUGINSDIR\tessarim-check.dll::${CALL} ?u'
  IntOp $9 $0 + 0
  StrCmp $9 $0 +4
  MessageBox MB_OK|MB_ICONSTOP "The setup could not run its own checks ($0). Nothing was changed." /SD IDOK
  SetErrorLevel ${EXIT_ABORTED}
  Quit
!macroend

; $1 in its long form. A folder that does not exist yet has no short form.
Function LongForm
  System::Call 'kernel32::GetLongPathNameW(w r1, w .r2, i ${NSIS_MAX_STRLEN}) i .r0'
  IntCmp $0 0 done
  IntCmp $0 ${NSIS_MAX_STRLEN} 0 0 done
  StrCpy $1 $2
done:
FunctionEnd

; The folder in its long form, so that the paths written name the library
; the way the uninstaller computes it from its own path.
Function LongInstallFolder
  StrCpy $1 $INSTDIR
  Call LongForm
  StrCpy $INSTDIR $1
  StrCpy $Library "$INSTDIR\${LIBRARY_FILE}"
FunctionEnd

; $Installed: the folder of the existing installation, long form. An entry
; whose uninstaller is gone, or whose folder the rule refuses, is stale and
; blocks nothing.
Function FindInstallation
  StrCpy $Installed ""
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "${INSTALL_LOCATION_VALUE}"
  StrCmp $1 "" done
  IfFileExists "$1\${UNINSTALLER_FILE}" 0 done
  Call LongForm
  !insertmacro Check 'FolderVerdict(w r1) i .r0'
  IntCmp $0 ${FOLDER_ACCEPTED} 0 done done
  StrCpy $Installed $1
done:
FunctionEnd

; The uninstaller's own checks of the paths this folder gives it.
Function CheckFolder
  !insertmacro Check 'FolderVerdict(w "$INSTDIR") i .r0'
  IntCmp $0 ${FOLDER_ACCEPTED} accepted
  IntCmp $0 ${FOLDER_NOT_IN_ANSI} 0 too_long too_long
  !insertmacro Refuse ${EXIT_FOLDER} "$INSTDIR cannot be written exactly in this system's code page: the interpreter could not load the library from there, and the uninstaller would not remove it.$\r$\nChoose a folder whose name uses the letters of the system's language. Nothing was changed."
too_long:
  IntCmp $0 ${FOLDER_TOO_LONG} 0 0 no_script
  !insertmacro Refuse ${EXIT_FOLDER} "$INSTDIR is too long: the uninstaller's path in it would not fit ${PATH_LIMIT} characters.$\r$\nChoose a shorter folder. Nothing was changed."
no_script:
  !insertmacro Refuse ${EXIT_FOLDER} "$INSTDIR holds a letter that the command interpreter's code page lacks: the uninstaller could not remove itself and the folder.$\r$\nChoose a folder whose name uses the letters of the system's language. Nothing was changed."
accepted:
FunctionEnd

; One installation per machine: its uninstall entry has one fixed key.
; StrCmp ignores letter case, as folder names do.
Function CheckNotElsewhere
  Call FindInstallation
  StrCmp $Installed "" alone
  StrCmp $Installed $INSTDIR alone
  !insertmacro Refuse ${EXIT_ELSEWHERE} "Tessarim is installed already in $Installed.$\r$\nInstall into that folder again, or uninstall it first. Nothing was changed."
alone:
FunctionEnd

; A library loaded by a process cannot be replaced: opening the mapped
; image for writing fails; nothing is written.
Function CheckLibraryFree
  IfFileExists "$Library" 0 free
  ClearErrors
  FileOpen $0 "$Library" a
  IfErrors busy
  FileClose $0
  Goto free
busy:
  !insertmacro Refuse ${EXIT_IN_USE} "$Library is in use by a running program, or cannot be replaced.$\r$\nClose the programs that use it and run the setup again. Nothing was changed."
free:
FunctionEnd

; The FuncN that will name the library, from the uninstaller's own scan.
Function ChooseHostSlot
  !insertmacro Check 'HostListEntry(w "$Library", *i .r1) i .r0'
  IntCmp $0 0 0 full
  StrCpy $HostSlot $0
  StrCpy $HostListed $1
  Return
full:
  !insertmacro Refuse ${EXIT_HOST_LIST} "The interpreter's list of function libraries, HKCU\${HOST_KEY}, cannot take the library: ${HOST_VALUE_PREFIX}0 to ${HOST_VALUE_PREFIX}${HOST_LIST_LAST} are taken, or a value before the first free number is too long to be read, which ends the list.$\r$\nRemove a library or that value from the list and run the setup again. Nothing was changed."
FunctionEnd

; Whether a key can take values: it opens for writing, or, missing, its
; parent takes a new key. $0: root (HKLM or HKCU handle), $1: key, $2: parent.
Function CheckKeyWritable
  System::Call 'advapi32::RegOpenKeyExW(i r0, w r1, i 0, i 0x20006, *i .r3) i .r4'
  IntCmp $4 0 0 parent parent
  System::Call 'advapi32::RegCloseKey(i r3)'
  Return
parent:
  System::Call 'advapi32::RegOpenKeyExW(i r0, w r2, i 0, i 0x20006, *i .r3) i .r4'
  IntCmp $4 0 0 refused refused
  System::Call 'advapi32::RegCloseKey(i r3)'
  Return
refused:
  !insertmacro Refuse ${EXIT_NOT_WRITTEN} "$1 cannot be written (error $4).$\r$\nRun the setup as an administrator. Nothing was changed."
FunctionEnd

!define HKEY_CURRENT_USER 0x80000001
!define HKEY_LOCAL_MACHINE 0x80000002

Function CheckKeysWritable
  StrCpy $0 ${HKEY_LOCAL_MACHINE}
  StrCpy $1 "${SHARED_KEY}"
  StrCpy $2 "${CURRENT_VERSION_KEY}"
  Call CheckKeyWritable
  StrCpy $1 "${UNINSTALL_KEY}"
  StrCpy $2 "${UNINSTALL_PARENT_KEY}"
  Call CheckKeyWritable
  StrCpy $0 ${HKEY_CURRENT_USER}
  StrCpy $1 "${HOST_KEY}"
  StrCpy $2 "${HOST_PARENT_KEY}"
  Call CheckKeyWritable
FunctionEnd

; Every check, in the order a person would fix them.
Function CheckAll
  Call LongInstallFolder
  Call CheckFolder
  Call CheckNotElsewhere
  Call CheckLibraryFree
  Call ChooseHostSlot
FunctionEnd

Function .onInit
  SetRegView 32
  StrCpy $OnPage 0
  StrCmp $INSTDIR "" 0 given
  Call FindInstallation
  StrCpy $INSTDIR $Installed
  StrCmp $INSTDIR "" 0 given
  StrCpy $INSTDIR "${DEFAULT_FOLDER}"
given:
  ; Silent mode shows no page: its folder is checked here, before anything.
  IfSilent 0 done
  Call CheckAll
done:
FunctionEnd

Function FolderLeave
  StrCpy $OnPage 1
  Call CheckAll
  StrCpy $OnPage 0
FunctionEnd

; The uninstall entry's values, kept before they are written and put back
; when a write fails, each in a variable of its own. Each keeps "missing"
; apart from any text.
!define MISSING "$\n<missing>"
!macro KeepString NAME
  Var /GLOBAL Kept${NAME}
  ClearErrors
  ReadRegStr $Kept${NAME} HKLM "${UNINSTALL_KEY}" "${NAME}"
  IfErrors 0 +2
  StrCpy $Kept${NAME} "${MISSING}"
!macroend
!macro RestoreString NAME
  StrCmp $Kept${NAME} "${MISSING}" 0 +3
  DeleteRegValue HKLM "${UNINSTALL_KEY}" "${NAME}"
  Goto +2
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${NAME}" $Kept${NAME}
!macroend
!macro KeepNumber NAME
  Var /GLOBAL Kept${NAME}
  ClearErrors
  ReadRegDWORD $Kept${NAME} HKLM "${UNINSTALL_KEY}" "${NAME}"
  IfErrors 0 +2
  StrCpy $Kept${NAME} "${MISSING}"
!macroend
!macro RestoreNumber NAME
  StrCmp $Kept${NAME} "${MISSING}" 0 +3
  DeleteRegValue HKLM "${UNINSTALL_KEY}" "${NAME}"
  Goto +2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${NAME}" $Kept${NAME}
!macroend

; $1 without its last part ("" when there is no backslash left).
Function ParentFolder
  StrLen $2 $1
next:
  IntOp $2 $2 - 1
  IntCmp $2 0 0 none
  StrCpy $3 $1 1 $2
  StrCmp $3 "\" 0 next
  StrCpy $1 $1 $2
  Return
none:
  StrCpy $1 ""
FunctionEnd

; $2: 1 when key $1 of root $0 exists, else 0.
Function KeyExists
  StrCpy $2 0
  System::Call 'advapi32::RegOpenKeyExW(i r0, w r1, i 0, i 0x20019, *i .r3) i .r4'
  IntCmp $4 0 0 done done
  System::Call 'advapi32::RegCloseKey(i r3)'
  StrCpy $2 1
done:
FunctionEnd

; What the run found before it changed anything.
Function KeepState
  StrCpy $FirstNewFolder ""
  StrCpy $1 $INSTDIR
missing_folder:
  IfFileExists "$1\*.*" folders_known
  StrCpy $FirstNewFolder $1
  Call ParentFolder
  StrCmp $1 "" folders_known missing_folder
folders_known:
  StrCpy $LibraryExisted 0
  IfFileExists "$Library" 0 +2
  StrCpy $LibraryExisted 1
  StrCpy $ProgramExisted 0
  IfFileExists "$INSTDIR\${UNINSTALLER_FILE}" 0 +2
  StrCpy $ProgramExisted 1
  ClearErrors
  ReadRegDWORD $CountBefore HKLM "${SHARED_KEY}" "$Library"
  IfErrors 0 +2
  StrCpy $CountBefore ""
  StrCpy $0 ${HKEY_LOCAL_MACHINE}
  StrCpy $1 "${UNINSTALL_KEY}"
  Call KeyExists
  StrCpy $EntryExisted $2
  StrCpy $0 ${HKEY_CURRENT_USER}
  StrCpy $1 "${HOST_KEY}"
  Call KeyExists
  StrCpy $HostKeyExisted $2
  !insertmacro ForEachEntryValue KeepString KeepNumber
FunctionEnd

; Puts back what this run changed: the count, a host-list value it added,
; the uninstall entry, and files it added. Files it replaced stay replaced.
Function RestoreState
  !insertmacro ForEachEntryValue RestoreString RestoreNumber
  StrCmp $EntryExisted 1 +2
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  StrCmp $HostListed 1 +2
  DeleteRegValue HKCU "${HOST_KEY}" "${HOST_VALUE_PREFIX}$HostSlot"
  StrCmp $HostKeyExisted 1 +2
  DeleteRegKey /ifempty HKCU "${HOST_KEY}"
  StrCmp $CountBefore "" 0 +3
  DeleteRegValue HKLM "${SHARED_KEY}" "$Library"
  Goto +2
  WriteRegDWORD HKLM "${SHARED_KEY}" "$Library" $CountBefore
  StrCmp $LibraryExisted 1 +2
  Delete "$Library"
  StrCmp $ProgramExisted 1 +2
  Delete "$INSTDIR\${UNINSTALLER_FILE}"
  SetOutPath "$TEMP"
  StrCmp $FirstNewFolder "" done
  StrCpy $1 $INSTDIR
remove_folder:
  RMDir "$1"
  StrCmp $1 $FirstNewFolder done
  Call ParentFolder
  StrCmp $1 "" done remove_folder
done:
FunctionEnd

!macro WrittenOrRestore WHAT
  IfErrors 0 +5
  Call RestoreState
  MessageBox MB_OK|MB_ICONSTOP "Could not write ${WHAT}.$\r$\nEverything this setup changed was put back." /SD IDOK
  SetErrorLevel ${EXIT_NOT_WRITTEN}
  Quit
!macroend

Section "Tessarim"
  SetRegView 32
  ; The page may have been left long ago, and silent mode has none.
  Call CheckAll
  Call CheckKeysWritable
  Call KeepState

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${LIBRARY}"
  File "${UNINSTALLER}"

  ; The platform's count of users of a shared file: one more, or the first.
  StrCpy $0 1
  StrCmp $CountBefore "" +2
  IntOp $0 $CountBefore + 1
  ClearErrors
  WriteRegDWORD HKLM "${SHARED_KEY}" "$Library" $0
  !insertmacro WrittenOrRestore "HKLM\${SHARED_KEY}"
  DetailPrint "Shared-file count $0 for $Library, in HKLM\${SHARED_KEY}"

  StrCmp $HostListed 1 host_listed
  ClearErrors
  WriteRegStr HKCU "${HOST_KEY}" "${HOST_VALUE_PREFIX}$HostSlot" "$Library"
  !insertmacro WrittenOrRestore "HKCU\${HOST_KEY}"
  DetailPrint "Host list: ${HOST_VALUE_PREFIX}$HostSlot written, naming $Library, in HKCU\${HOST_KEY}"
  Goto host_done
host_listed:
  DetailPrint "Host list: ${HOST_VALUE_PREFIX}$HostSlot names $Library already, in HKCU\${HOST_KEY}"
host_done:

  SectionGetSize 0 $1
  ClearErrors
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${DISPLAY_NAME_VALUE}" "Tessarim"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${DISPLAY_VERSION_VALUE}" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${PUBLISHER_VALUE}" "Tessarim"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${UNINSTALL_STRING_VALUE}" '"$INSTDIR\${UNINSTALLER_FILE}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${INSTALL_LOCATION_VALUE}" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${DISPLAY_ICON_VALUE}" "$INSTDIR\${UNINSTALLER_FILE},0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${ESTIMATED_SIZE_VALUE}" $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${NO_MODIFY_VALUE}" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${NO_REPAIR_VALUE}" 1
  !insertmacro WrittenOrRestore "HKLM\${UNINSTALL_KEY}"
  DetailPrint "Uninstall entry written: HKLM\${UNINSTALL_KEY}"
SectionEnd
