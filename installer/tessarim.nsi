; tessarim-setup.exe: installs tessarim.dll and UTessarim.exe into one
; folder and writes exactly the registry entries that UTessarim removes.
; A 32-bit program: on 64-bit Windows its HKLM entries land in the 32-bit
; view (WOW6432Node), where the 32-bit interpreter and uninstaller look.
;
; makensis -DOUTFILE=... -DLIBRARY=... -DUNINSTALLER=... -DCHECKER=... -DICON=...
;          -DPAYLOAD_SIZES=... tessarim.nsi
; PAYLOAD_SIZES names a file that defines LIBRARY_SIZE and UNINSTALLER_SIZE,
; the sizes of the two files in bytes.
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
!ifndef OUTFILE | LIBRARY | UNINSTALLER | CHECKER | ICON | PAYLOAD_SIZES
  !error "define OUTFILE, LIBRARY, UNINSTALLER, CHECKER, ICON and PAYLOAD_SIZES"
!endif
!include "LogicLib.nsh"
!include "${__FILEDIR__}/../contract/contract.nsh"
!include "${PAYLOAD_SIZES}"

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
!define CSTR_EQUAL 2
!define DWORD_MAX 0xFFFFFFFF

; What the installer says. NOTHING_CHANGED ends every refusal.
!define NOTHING_CHANGED "Nothing was changed."
!define PUT_BACK "Everything this setup changed was put back."
!define MSG_CHECKS_FAILED "The setup could not run its own checks ($Answer). ${NOTHING_CHANGED}"
!define MSG_RELATIVE "$INSTDIR is not a full path: give the drive letter, a colon and a backslash first, as in C:\Tessarim.$\r$\n${NOTHING_CHANGED}"
!define MSG_DEVICE_NAME "$INSTDIR holds a name that Windows keeps for a device (such as CON, NUL, COM1 or LPT1, with or without an extension).$\r$\nChoose another name. ${NOTHING_CHANGED}"
!define MSG_BAD_NAME "$INSTDIR holds a folder name that ends in a dot or a blank, or holds one of : < > $\" | ? * or a control character: Windows would not keep it as it is written.$\r$\nChoose another name. ${NOTHING_CHANGED}"
!define MSG_NOT_ON_DRIVE "$INSTDIR is a device, long-path or network path (\\.\, \\?\ or \\server\share): the interpreter and the uninstaller need a folder on a drive with a letter.$\r$\n${NOTHING_CHANGED}"
!define MSG_FILE_IN_THE_WAY "A file stands where $INSTDIR, or a folder above it, would be.$\r$\nChoose another folder. ${NOTHING_CHANGED}"
!define MSG_NO_DRIVE "The drive of $INSTDIR does not exist.$\r$\n${NOTHING_CHANGED}"
!define MSG_DRIVE_ROOT "$INSTDIR is a drive's root: the uninstaller removes its folder at the end, and a root cannot be removed.$\r$\nChoose a folder on the drive. ${NOTHING_CHANGED}"
!define MSG_RENAMED "$INSTDIR took another form once it was made: $NotWritten.$\r$\n${PUT_BACK}"
!define MSG_NOT_IN_ANSI "$INSTDIR cannot be written exactly in this system's code page: the interpreter could not load the library from there, and the uninstaller would not remove it.$\r$\nChoose a folder whose name uses the letters of the system's language. ${NOTHING_CHANGED}"
!define MSG_TOO_LONG "$INSTDIR is too long: the uninstaller's path in it would not fit ${PATH_LIMIT} characters.$\r$\nChoose a shorter folder. ${NOTHING_CHANGED}"
!define MSG_NOT_IN_SCRIPT "$INSTDIR holds a letter that the command interpreter's code page lacks: the uninstaller could not remove itself and the folder.$\r$\nChoose a folder whose name uses the letters of the system's language. ${NOTHING_CHANGED}"
!define MSG_ELSEWHERE "Tessarim is installed already in $Installed.$\r$\nInstall into that folder again, or uninstall it first. ${NOTHING_CHANGED}"
!define MSG_IN_USE "$Busy is in use by a running program, or cannot be replaced.$\r$\nClose the programs that use it and run the setup again. ${NOTHING_CHANGED}"
!define MSG_UNINSTALL_UNFINISHED "An uninstall of $INSTDIR has not finished yet: its last step is still removing the folder.$\r$\nTry again in a minute. ${NOTHING_CHANGED}"
!define MSG_HOST_LIST_FULL "The interpreter's list of function libraries, HKCU\${HOST_KEY}, cannot take the library: ${HOST_VALUE_PREFIX}0 to ${HOST_VALUE_PREFIX}${HOST_LIST_LAST} are taken, or a value before the first free number is too long to be read, which ends the list.$\r$\nRemove a library or that value from the list and run the setup again. ${NOTHING_CHANGED}"
!define MSG_KEY_NOT_WRITABLE "$KeyPath cannot be written (error $KeyError).$\r$\nRun the setup as an administrator. ${NOTHING_CHANGED}"
!define MSG_NOT_WRITTEN "Could not write $NotWritten.$\r$\n${PUT_BACK}"

Name "Tessarim"
Caption "Tessarim ${VERSION} Setup"
OutFile "${OUTFILE}"
; No InstallDir: .onInit reads /D= from the command line itself, and
; without it chooses the installed folder, or the default.
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

Var Library        ; the library's full path, in the folder's canonical form
Var HostSlot       ; the N of the FuncN that names the library after the install
Var HostListed     ; 1 when FuncN names the library already
Var Installed      ; the folder of an installation that blocks another, or ""
Var OnPage         ; 1 while the folder page's leave function runs
Var Answer         ; the check DLL's last answer, a number
Var AnswerNumber   ; the same read as a number: it differs when the call failed
Var Folder         ; the folder that CanonicalForm and ParentFolder work on
Var OtherFolder    ; the folder that SameFolder compares it with,
Var Same           ; and its answer: 1 when they name one folder
Var KeyRoot        ; KeyExists and CheckKeyWritable: root (HKLM or HKCU handle),
Var KeyPath        ; key,
Var KeyParent      ; the key's parent,
Var KeyFound       ; 1 when the key exists,
Var KeyHandle      ; the key opened,
Var KeyError       ; the platform's error code
Var NotWritten     ; what could not be written, or the folder's new form, for the message
Var Handle         ; a file opened
Var Busy           ; a file in use, for the message
Var Size           ; a file's size
; What this run found, so that a failed write can be undone.
Var CountBefore    ; the shared-file count, or "" when there was none
Var EntryExisted   ; 1 when the uninstall entry was there
Var HostKeyExisted ; 1 when the host list's key was there
Var LibraryExisted
Var ProgramExisted
Var FirstNewFolder ; the outermost folder of $INSTDIR that this run makes, or ""
Var StateKept      ; 1 once the above was found: from then on a failure restores

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
  IntOp $AnswerNumber $Answer + 0
  ${If} $AnswerNumber != $Answer
    MessageBox MB_OK|MB_ICONSTOP "${MSG_CHECKS_FAILED}" /SD IDOK
    SetErrorLevel ${EXIT_ABORTED}
    Quit
  ${EndIf}
!macroend

; $Folder in its canonical form; $Answer says whether it has one
; (FOLDER_ACCEPTED) or why not, and then $Folder stays as it was.
Function CanonicalForm
  StrCpy $1 $Folder
  !insertmacro Check 'CanonicalFolder(w r1, w .r2) i .r0'
  ${If} $Answer = ${FOLDER_ACCEPTED}
    StrCpy $Folder $2
  ${EndIf}
FunctionEnd

; $Same: 1 when $Folder and $OtherFolder name one folder, as the file system
; compares names (letter case ignored, nothing else), else 0.
Function SameFolder
  StrCpy $1 $Folder
  StrCpy $2 $OtherFolder
  System::Call 'kernel32::CompareStringOrdinal(w r1, i -1, w r2, i -1, i 1) i .r0'
  ${If} $0 = ${CSTR_EQUAL}
    StrCpy $Same 1
  ${Else}
    StrCpy $Same 0
  ${EndIf}
FunctionEnd

; Refuses $INSTDIR for the reason $Answer gives. Each refusal ends the
; function.
Function RefuseFolder
  ${Switch} $Answer
    ${Case} ${FOLDER_NOT_IN_ANSI}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_NOT_IN_ANSI}"
    ${Case} ${FOLDER_TOO_LONG}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_TOO_LONG}"
    ${Case} ${FOLDER_NOT_IN_SCRIPT}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_NOT_IN_SCRIPT}"
    ${Case} ${FOLDER_RELATIVE}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_RELATIVE}"
    ${Case} ${FOLDER_DEVICE_NAME}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_DEVICE_NAME}"
    ${Case} ${FOLDER_BAD_NAME}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_BAD_NAME}"
    ${Case} ${FOLDER_NOT_ON_DRIVE}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_NOT_ON_DRIVE}"
    ${Case} ${FOLDER_FILE_IN_THE_WAY}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_FILE_IN_THE_WAY}"
    ${Case} ${FOLDER_NO_DRIVE}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_NO_DRIVE}"
    ${Case} ${FOLDER_DRIVE_ROOT}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_DRIVE_ROOT}"
    ${Default}
      !insertmacro Refuse ${EXIT_FOLDER} "${MSG_CHECKS_FAILED}"
  ${EndSwitch}
FunctionEnd

; $INSTDIR in its canonical form, so that every path written names the
; library the way the uninstaller computes it from its own path; then the
; uninstaller's own checks of the paths this folder gives it.
Function CheckFolder
  StrCpy $Folder $INSTDIR
  Call CanonicalForm
  ${If} $Answer = ${FOLDER_ACCEPTED}
    StrCpy $INSTDIR $Folder
    StrCpy $Library "$INSTDIR\${LIBRARY_FILE}"
    StrCpy $1 $INSTDIR
    !insertmacro Check 'FolderVerdict(w r1) i .r0'
  ${EndIf}
  ${If} $Answer <> ${FOLDER_ACCEPTED}
    Call RefuseFolder
  ${EndIf}
FunctionEnd

; $Installed: the folder of the existing installation, canonical form. An
; entry whose uninstaller is gone, or whose folder the rules refuse, is
; stale and blocks nothing.
Function FindInstallation
  StrCpy $Installed ""
  ReadRegStr $Folder HKLM "${UNINSTALL_KEY}" "${INSTALL_LOCATION_VALUE}"
  ${If} $Folder != ""
  ${AndIf} ${FileExists} "$Folder\${UNINSTALLER_FILE}"
    Call CanonicalForm
    ${If} $Answer = ${FOLDER_ACCEPTED}
      StrCpy $1 $Folder
      !insertmacro Check 'FolderVerdict(w r1) i .r0'
    ${EndIf}
    ${If} $Answer = ${FOLDER_ACCEPTED}
      StrCpy $Installed $Folder
    ${EndIf}
  ${EndIf}
FunctionEnd

; One installation per machine: its uninstall entry has one fixed key.
Function CheckNotElsewhere
  Call FindInstallation
  ${If} $Installed != ""
    StrCpy $Folder $Installed
    StrCpy $OtherFolder $INSTDIR
    Call SameFolder
    ${If} $Same = 0
      !insertmacro Refuse ${EXIT_ELSEWHERE} "${MSG_ELSEWHERE}"
    ${EndIf}
  ${EndIf}
FunctionEnd

; A program or library that a process runs cannot be replaced: opening
; the mapped image for writing fails. The uninstaller runs while its
; uninstall of this folder is under way.
!macro CheckFileFree FILE
  ${If} ${FileExists} "${FILE}"
    ClearErrors
    FileOpen $Handle "${FILE}" a
    ${If} ${Errors}
      StrCpy $Busy "${FILE}"
      !insertmacro Refuse ${EXIT_IN_USE} "${MSG_IN_USE}"
    ${EndIf}
    FileClose $Handle
  ${EndIf}
!macroend

; Neither file is in use, and no uninstall of the folder is still under
; way: its self-removal script would delete the new uninstaller. The check
; DLL gives a young script a moment to finish.
Function CheckFilesFree
  !insertmacro CheckFileFree "$Library"
  !insertmacro CheckFileFree "$INSTDIR\${UNINSTALLER_FILE}"
  StrCpy $1 $INSTDIR
  !insertmacro Check 'RemovalPending(w r1) i .r0'
  ${If} $Answer <> 0
    !insertmacro Refuse ${EXIT_IN_USE} "${MSG_UNINSTALL_UNFINISHED}"
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
  Call CheckFolder
  Call CheckNotElsewhere
  Call CheckFilesFree
  Call ChooseHostSlot
FunctionEnd

; NSIS replaces a /D= that it cannot use with the default folder, which
; here is none, and hides it: the check DLL reads it from the command line.
; A folder it refuses ends the setup, whether or not the page would follow.
Function .onInit
  SetRegView 32
  StrCpy $OnPage 0
  StrCpy $StateKept 0
  !insertmacro Check 'GivenFolder(w .r1) i .r0'
  StrCpy $INSTDIR $1
  ${If} $Answer = -1
    Call FindInstallation
    StrCpy $INSTDIR $Installed
    ${If} $INSTDIR == ""
      StrCpy $INSTDIR "${DEFAULT_FOLDER}"
    ${EndIf}
  ${ElseIf} $Answer <> ${FOLDER_ACCEPTED}
    Call RefuseFolder
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
  StrCpy $StateKept 1
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
    StrCpy $OtherFolder $FirstNewFolder
    ${Do}
      RMDir "$Folder"
      Call SameFolder
      ${IfThen} $Same = 1 ${|} ${ExitDo} ${|}
      Call ParentFolder
    ${LoopUntil} $Folder == ""
  ${EndIf}
FunctionEnd

; Puts back what the run changed, says TEXT and ends with CODE.
!macro RestoreAndQuit CODE TEXT
  Call RestoreState
  MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
  SetErrorLevel ${CODE}
  Quit
!macroend

!macro WrittenOrRestore WHAT
  ${If} ${Errors}
    StrCpy $NotWritten "${WHAT}"
    !insertmacro RestoreAndQuit ${EXIT_NOT_WRITTEN} "${MSG_NOT_WRITTEN}"
  ${EndIf}
!macroend

; A file of the payload is there, with the payload's size: silent mode
; answers a file it cannot write with "Ignore".
!macro InstalledWhole FILE SIZE
  StrCpy $Size -1
  ClearErrors
  FileOpen $Handle "${FILE}" r
  ${IfNot} ${Errors}
    FileSeek $Handle 0 END $Size
    FileClose $Handle
  ${EndIf}
  ${If} $Size <> ${SIZE}
    SetErrors
  ${EndIf}
  !insertmacro WrittenOrRestore "${FILE}"
!macroend

; A failure that NSIS handles itself (a write that fails after a file was
; opened) ends the section: what the run changed goes back all the same.
Function .onInstFailed
  ${If} $StateKept = 1
    Call RestoreState
  ${EndIf}
FunctionEnd

Var Count
Var EntrySize
Section "Tessarim"
  SetRegView 32
  ; The page may have been left long ago, and silent mode has none.
  Call CheckAll
  Call CheckKeysWritable
  Call KeepState

  ClearErrors
  SetOutPath "$INSTDIR"
  !insertmacro WrittenOrRestore "$INSTDIR"
  ; Now that the folder exists, its long form again: the names added to
  ; the deepest existing folder are the ones the file system keeps.
  StrCpy $Folder $INSTDIR
  Call CanonicalForm
  StrCpy $OtherFolder $INSTDIR
  Call SameFolder
  ${If} $Answer <> ${FOLDER_ACCEPTED}
  ${OrIf} $Same = 0
    StrCpy $NotWritten $Folder
    !insertmacro RestoreAndQuit ${EXIT_FOLDER} "${MSG_RENAMED}"
  ${EndIf}

  ; "try": a file that cannot be written is skipped with the error flag
  ; set, never answered by a box.
  SetOverwrite try
  ClearErrors
  File "${LIBRARY}"
  !insertmacro WrittenOrRestore "$Library"
  ClearErrors
  File "${UNINSTALLER}"
  !insertmacro WrittenOrRestore "$INSTDIR\${UNINSTALLER_FILE}"
  !insertmacro InstalledWhole "$Library" ${LIBRARY_SIZE}
  !insertmacro InstalledWhole "$INSTDIR\${UNINSTALLER_FILE}" ${UNINSTALLER_SIZE}

  ; The platform's count of users of a shared file: one more, or the first.
  ; ReadRegDWORD gives 0xFFFFFFFF as -1: the count stays there.
  ${If} $CountBefore == ""
    StrCpy $Count 1
  ${ElseIf} $CountBefore U>= ${DWORD_MAX}
    IntFmt $Count "%u" ${DWORD_MAX}
  ${Else}
    IntOp $Count $CountBefore + 1
    IntFmt $Count "%u" $Count
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
