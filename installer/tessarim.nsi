; tessarim-setup.exe: installs tessarim.dll and UTessarim.exe into one
; folder and writes exactly the registry entries that UTessarim removes.
; A 32-bit program: on 64-bit Windows its HKLM entries land in the 32-bit
; view (WOW6432Node), where the 32-bit interpreter and uninstaller look.
;
; makensis -DOUTFILE=... -DLIBRARY=... -DUNINSTALLER=... -DCHECKER=... -DICON=... tessarim.nsi
;
; Its exit codes are the contract's (EXIT_*). Silent mode (/S) shows no
; box: the exit code is the only report. Nothing is changed before the
; checks of the refusing codes pass.
;
; The folder rule and the host-list scan are the uninstaller's own code,
; carried as tessarim-check.dll and called through the System plug-in.
; That plug-in hands its results over in registers only: each call copies
; them into named variables at once, and no register keeps a value beyond
; the lines that make the call.

Unicode true
!ifndef OUTFILE | LIBRARY | UNINSTALLER | CHECKER | ICON
  !error "define OUTFILE, LIBRARY, UNINSTALLER, CHECKER and ICON"
!endif
!include "LogicLib.nsh"
!include "${__FILEDIR__}/../contract/contract.nsh"

!define VERSION "0.0.0.1"
; The last host-list number, and the longest path, for the messages.
!define /math HOST_LIST_LAST ${HOST_LIST_SIZE} - 1
!define /math PATH_LIMIT ${PATH_BUFFER_SIZE} - 1

; The platform's numbers, which NSIS's headers lack.
!define HKEY_CURRENT_USER 0x80000001
!define HKEY_LOCAL_MACHINE 0x80000002
!define KEY_READ 0x20019
!define KEY_WRITE 0x20006
!define ERROR_SUCCESS 0

; What the installer says. NOTHING_CHANGED ends every refusal.
!define NOTHING_CHANGED "Nothing was changed."
!define MSG_CHECKS_FAILED "The setup could not run its own checks ($Answer). ${NOTHING_CHANGED}"
!define MSG_NOT_IN_ANSI "$INSTDIR cannot be written exactly in this system's code page: the interpreter could not load the library from there, and the uninstaller would not remove it.$\r$\nChoose a folder whose name uses the letters of the system's language. ${NOTHING_CHANGED}"
!define MSG_TOO_LONG "$INSTDIR is too long: the uninstaller's path in it would not fit ${PATH_LIMIT} characters.$\r$\nChoose a shorter folder. ${NOTHING_CHANGED}"
!define MSG_NOT_IN_SCRIPT "$INSTDIR holds a letter that the command interpreter's code page lacks: the uninstaller could not remove itself and the folder.$\r$\nChoose a folder whose name uses the letters of the system's language. ${NOTHING_CHANGED}"
!define MSG_ELSEWHERE "Tessarim is installed already in $Installed.$\r$\nInstall into that folder again, or uninstall it first. ${NOTHING_CHANGED}"
!define MSG_LIBRARY_IN_USE "$Library is in use by a running program, or cannot be replaced.$\r$\nClose the programs that use it and run the setup again. ${NOTHING_CHANGED}"
!define MSG_HOST_LIST_FULL "The interpreter's list of function libraries, HKCU\${HOST_KEY}, cannot take the library: ${HOST_VALUE_PREFIX}0 to ${HOST_VALUE_PREFIX}${HOST_LIST_LAST} are taken, or a value before the first free number is too long to be read, which ends the list.$\r$\nRemove a library or that value from the list and run the setup again. ${NOTHING_CHANGED}"
!define MSG_KEY_NOT_WRITABLE "$KeyPath cannot be written (error $KeyError).$\r$\nRun the setup as an administrator. ${NOTHING_CHANGED}"
!define MSG_NOT_WRITTEN "Could not write $NotWritten.$\r$\nEverything this setup changed was put back."

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
Var Answer         ; the check DLL's last answer, a number
Var Folder         ; the folder that LongForm and ParentFolder work on
Var KeyRoot        ; KeyExists and CheckKeyWritable: root (HKLM or HKCU handle),
Var KeyPath        ; key,
Var KeyParent      ; the key's parent,
Var KeyFound       ; 1 when the key exists,
Var KeyHandle      ; the key opened,
Var KeyError       ; the platform's error code
Var NotWritten     ; what could not be written, for the message
Var Handle         ; a file opened
; What this run found, so that a failed write can be undone.
Var CountBefore    ; the shared-file count, or "" when there was none
Var EntryExisted   ; 1 when the uninstall entry was there
Var HostKeyExisted ; 1 when the host list's key was there
Var LibraryExisted
Var ProgramExisted
Var FirstNewFolder ; the outermost folder of $INSTDIR that this run makes, or ""

; Refuses: on the folder page the box says why and the page stays; elsewhere
; the installer ends with the exit code.
!macro Refuse CODE TEXT
  MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
  ${If} $OnPage == 1
    StrCpy $OnPage 0
    Abort
  ${EndIf}
  SetErrorLevel ${CODE}
  Quit
!macroend

; Calls the helper, loading it for this call only: a DLL left loaded would
; keep the plug-in folder from being deleted at the end. CALL writes its
; answer to r0, and may give and take more through r1; the answer, a
; number, goes to $Answer. A call that could not be made leaves "error"
; there, and then nothing may be taken as checked.
!macro Check CALL
  InitPluginsDir
  ${IfNot} ${FileExists} "$PLUGINSDIR\tessarim-check.dll"
    File "/oname=$PLUGINSDIR\tessarim-check.dll" "${CHECKER}"
  ${EndIf}
  StrCpy $0 "error"
  System::Call '$PLUGINSDIR\tessarim-check.dll::${CALL} ?u'
  StrCpy $Answer $0
  IntOp $0 $Answer + 0
  ${If} $0 != $Answer
    MessageBox MB_OK|MB_ICONSTOP "${MSG_CHECKS_FAILED}" /SD IDOK
    SetErrorLevel ${EXIT_ABORTED}
    Quit
  ${EndIf}
!macroend

; $Folder in its long form. A folder that does not exist yet has no short
; form.
Function LongForm
  StrCpy $1 $Folder
  System::Call 'kernel32::GetLongPathNameW(w r1, w .r2, i ${NSIS_MAX_STRLEN}) i .r0'
  ${If} $0 > 0
  ${AndIf} $0 <= ${NSIS_MAX_STRLEN}
    StrCpy $Folder $2
  ${EndIf}
FunctionEnd

; The folder in its long form, so that the paths written name the library
; the way the uninstaller computes it from its own path.
Function LongInstallFolder
  StrCpy $Folder $INSTDIR
  Call LongForm
  StrCpy $INSTDIR $Folder
  StrCpy $Library "$INSTDIR\${LIBRARY_FILE}"
FunctionEnd

; $Installed: the folder of the existing installation, long form. An entry
; whose uninstaller is gone, or whose folder the rule refuses, is stale and
; blocks nothing.
Function FindInstallation
  StrCpy $Installed ""
  ReadRegStr $Folder HKLM "${UNINSTALL_KEY}" "${INSTALL_LOCATION_VALUE}"
  ${If} $Folder != ""
  ${AndIf} ${FileExists} "$Folder\${UNINSTALLER_FILE}"
    Call LongForm
    StrCpy $1 $Folder
    !insertmacro Check 'FolderVerdict(w r1) i .r0'
    ${If} $Answer = ${FOLDER_ACCEPTED}
      StrCpy $Installed $Folder
    ${EndIf}
  ${EndIf}
FunctionEnd

; The uninstaller's own checks of the paths this folder gives it.
Function CheckFolder
  StrCpy $1 $INSTDIR
  !insertmacro Check 'FolderVerdict(w r1) i .r0'
  ${Switch} $Answer
    ${Case} ${FOLDER_ACCEPTED}
      ${Break}
    ${Case} ${FOLDER_NOT_IN_ANSI}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_NOT_IN_ANSI}"
      ${Break}
    ${Case} ${FOLDER_TOO_LONG}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_TOO_LONG}"
      ${Break}
    ${Default}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_NOT_IN_SCRIPT}"
  ${EndSwitch}
FunctionEnd

; One installation per machine: its uninstall entry has one fixed key.
; StrCmp ignores letter case, as folder names do.
Function CheckNotElsewhere
  Call FindInstallation
  ${If} $Installed != ""
  ${AndIf} $Installed != $INSTDIR
    !insertmacro Refuse ${EXIT_ELSEWHERE} "${MSG_ELSEWHERE}"
  ${EndIf}
FunctionEnd

; A library loaded by a process cannot be replaced: opening the mapped
; image for writing fails; nothing is written.
Function CheckLibraryFree
  ${If} ${FileExists} "$Library"
    ClearErrors
    FileOpen $Handle "$Library" a
    ${If} ${Errors}
      !insertmacro Refuse ${EXIT_IN_USE} "${MSG_LIBRARY_IN_USE}"
    ${EndIf}
    FileClose $Handle
  ${EndIf}
FunctionEnd

; The FuncN that will name the library, from the uninstaller's own scan.
Function ChooseHostSlot
  StrCpy $1 $Library
  !insertmacro Check 'HostListEntry(w r1, *i .r1) i .r0'
  StrCpy $HostListed $1
  ${If} $Answer < 0
    !insertmacro Refuse ${EXIT_HOST_LIST} "${MSG_HOST_LIST_FULL}"
  ${EndIf}
  StrCpy $HostSlot $Answer
FunctionEnd

; Whether key $KeyPath of root $KeyRoot can take values: it opens for
; writing, or, missing, its parent $KeyParent takes a new key.
Function CheckKeyWritable
  System::Call 'advapi32::RegOpenKeyExW(i $KeyRoot, w "$KeyPath", i 0, i ${KEY_WRITE}, *i .r3) i .r4'
  StrCpy $KeyHandle $3
  StrCpy $KeyError $4
  ${If} $KeyError <> ${ERROR_SUCCESS}
    System::Call 'advapi32::RegOpenKeyExW(i $KeyRoot, w "$KeyParent", i 0, i ${KEY_WRITE}, *i .r3) i .r4'
    StrCpy $KeyHandle $3
    StrCpy $KeyError $4
  ${EndIf}
  ${If} $KeyError <> ${ERROR_SUCCESS}
    !insertmacro Refuse ${EXIT_NOT_WRITTEN} "${MSG_KEY_NOT_WRITABLE}"
  ${EndIf}
  System::Call 'advapi32::RegCloseKey(i $KeyHandle)'
FunctionEnd

!macro CheckKeyWritable ROOT KEY PARENT
  StrCpy $KeyRoot ${ROOT}
  StrCpy $KeyPath "${KEY}"
  StrCpy $KeyParent "${PARENT}"
  Call CheckKeyWritable
!macroend

Function CheckKeysWritable
  !insertmacro CheckKeyWritable ${HKEY_LOCAL_MACHINE} "${SHARED_KEY}" "${CURRENT_VERSION_KEY}"
  !insertmacro CheckKeyWritable ${HKEY_LOCAL_MACHINE} "${UNINSTALL_KEY}" "${UNINSTALL_PARENT_KEY}"
  !insertmacro CheckKeyWritable ${HKEY_CURRENT_USER} "${HOST_KEY}" "${HOST_PARENT_KEY}"
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
  ${If} $INSTDIR == ""
    Call FindInstallation
    StrCpy $INSTDIR $Installed
  ${EndIf}
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR "${DEFAULT_FOLDER}"
  ${EndIf}
  ; Silent mode shows no page: its folder is checked here, before anything.
  ${If} ${Silent}
    Call CheckAll
  ${EndIf}
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
  ${If} ${Errors}
    StrCpy $Kept${NAME} "${MISSING}"
  ${EndIf}
!macroend
!macro RestoreString NAME
  ${If} $Kept${NAME} == "${MISSING}"
    DeleteRegValue HKLM "${UNINSTALL_KEY}" "${NAME}"
  ${Else}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "${NAME}" $Kept${NAME}
  ${EndIf}
!macroend
!macro KeepNumber NAME
  Var /GLOBAL Kept${NAME}
  ClearErrors
  ReadRegDWORD $Kept${NAME} HKLM "${UNINSTALL_KEY}" "${NAME}"
  ${If} ${Errors}
    StrCpy $Kept${NAME} "${MISSING}"
  ${EndIf}
!macroend
!macro RestoreNumber NAME
  ${If} $Kept${NAME} == "${MISSING}"
    DeleteRegValue HKLM "${UNINSTALL_KEY}" "${NAME}"
  ${Else}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${NAME}" $Kept${NAME}
  ${EndIf}
!macroend

; $Folder without its last part ("" when there is no backslash left).
Var Position
Var Character
Function ParentFolder
  StrLen $Position $Folder
  ${Do}
    IntOp $Position $Position - 1
    ${If} $Position < 0
      StrCpy $Folder ""
      Return
    ${EndIf}
    StrCpy $Character $Folder 1 $Position
  ${LoopUntil} $Character == "\"
  StrCpy $Folder $Folder $Position
FunctionEnd

; $KeyFound: 1 when key $KeyPath of root $KeyRoot exists, else 0.
Function KeyExists
  StrCpy $KeyFound 0
  System::Call 'advapi32::RegOpenKeyExW(i $KeyRoot, w "$KeyPath", i 0, i ${KEY_READ}, *i .r3) i .r4'
  StrCpy $KeyHandle $3
  StrCpy $KeyError $4
  ${If} $KeyError = ${ERROR_SUCCESS}
    System::Call 'advapi32::RegCloseKey(i $KeyHandle)'
    StrCpy $KeyFound 1
  ${EndIf}
FunctionEnd

!macro KeyExists ROOT KEY RESULT
  StrCpy $KeyRoot ${ROOT}
  StrCpy $KeyPath "${KEY}"
  Call KeyExists
  StrCpy ${RESULT} $KeyFound
!macroend

; What the run found before it changed anything.
Function KeepState
  StrCpy $FirstNewFolder ""
  StrCpy $Folder $INSTDIR
  ${DoUntil} ${FileExists} "$Folder\*.*"
    StrCpy $FirstNewFolder $Folder
    Call ParentFolder
  ${LoopUntil} $Folder == ""
  StrCpy $LibraryExisted 0
  ${If} ${FileExists} "$Library"
    StrCpy $LibraryExisted 1
  ${EndIf}
  StrCpy $ProgramExisted 0
  ${If} ${FileExists} "$INSTDIR\${UNINSTALLER_FILE}"
    StrCpy $ProgramExisted 1
  ${EndIf}
  ClearErrors
  ReadRegDWORD $CountBefore HKLM "${SHARED_KEY}" "$Library"
  ${If} ${Errors}
    StrCpy $CountBefore ""
  ${EndIf}
  !insertmacro KeyExists ${HKEY_LOCAL_MACHINE} "${UNINSTALL_KEY}" $EntryExisted
  !insertmacro KeyExists ${HKEY_CURRENT_USER} "${HOST_KEY}" $HostKeyExisted
  !insertmacro ForEachEntryValue KeepString KeepNumber
FunctionEnd

; Puts back what this run changed: the count, a host-list value it added,
; the uninstall entry, and files it added. Files it replaced stay replaced.
Function RestoreState
  !insertmacro ForEachEntryValue RestoreString RestoreNumber
  ${If} $EntryExisted != 1
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
  ${If} $HostListed != 1
    DeleteRegValue HKCU "${HOST_KEY}" "${HOST_VALUE_PREFIX}$HostSlot"
  ${EndIf}
  ${If} $HostKeyExisted != 1
    DeleteRegKey /ifempty HKCU "${HOST_KEY}"
  ${EndIf}
  ${If} $CountBefore == ""
    DeleteRegValue HKLM "${SHARED_KEY}" "$Library"
  ${Else}
    WriteRegDWORD HKLM "${SHARED_KEY}" "$Library" $CountBefore
  ${EndIf}
  ${If} $LibraryExisted != 1
    Delete "$Library"
  ${EndIf}
  ${If} $ProgramExisted != 1
    Delete "$INSTDIR\${UNINSTALLER_FILE}"
  ${EndIf}
  SetOutPath "$TEMP"
  ${If} $FirstNewFolder != ""
    StrCpy $Folder $INSTDIR
    ${Do}
      RMDir "$Folder"
      ${IfThen} $Folder == $FirstNewFolder ${|} ${ExitDo} ${|}
      Call ParentFolder
    ${LoopUntil} $Folder == ""
  ${EndIf}
FunctionEnd

!macro WrittenOrRestore WHAT
  ${If} ${Errors}
    Call RestoreState
    StrCpy $NotWritten "${WHAT}"
    MessageBox MB_OK|MB_ICONSTOP "${MSG_NOT_WRITTEN}" /SD IDOK
    SetErrorLevel ${EXIT_NOT_WRITTEN}
    Quit
  ${EndIf}
!macroend

Var Count
Var EntrySize
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
  ${If} $CountBefore == ""
    StrCpy $Count 1
  ${Else}
    IntOp $Count $CountBefore + 1
  ${EndIf}
  ClearErrors
  WriteRegDWORD HKLM "${SHARED_KEY}" "$Library" $Count
  !insertmacro WrittenOrRestore "HKLM\${SHARED_KEY}"
  DetailPrint "Shared-file count $Count for $Library, in HKLM\${SHARED_KEY}"

  ${If} $HostListed == 1
    DetailPrint "Host list: ${HOST_VALUE_PREFIX}$HostSlot names $Library already, in HKCU\${HOST_KEY}"
  ${Else}
    ClearErrors
    WriteRegStr HKCU "${HOST_KEY}" "${HOST_VALUE_PREFIX}$HostSlot" "$Library"
    !insertmacro WrittenOrRestore "HKCU\${HOST_KEY}"
    DetailPrint "Host list: ${HOST_VALUE_PREFIX}$HostSlot written, naming $Library, in HKCU\${HOST_KEY}"
  ${EndIf}

  SectionGetSize 0 $EntrySize
  ClearErrors
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${DISPLAY_NAME_VALUE}" "Tessarim"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${DISPLAY_VERSION_VALUE}" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${PUBLISHER_VALUE}" "Tessarim"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${UNINSTALL_STRING_VALUE}" '"$INSTDIR\${UNINSTALLER_FILE}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${INSTALL_LOCATION_VALUE}" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${DISPLAY_ICON_VALUE}" "$INSTDIR\${UNINSTALLER_FILE},0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${ESTIMATED_SIZE_VALUE}" $EntrySize
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${NO_MODIFY_VALUE}" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${NO_REPAIR_VALUE}" 1
  !insertmacro WrittenOrRestore "HKLM\${UNINSTALL_KEY}"
  DetailPrint "Uninstall entry written: HKLM\${UNINSTALL_KEY}"
SectionEnd
