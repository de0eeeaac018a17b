#!/usr/bin/env python3
"""Writes the facts that the installer, the uninstaller and tessarim-host
share: where the registry entries live, what the values are called, how
long the host list is, the file names, the path buffer's size, the
installer's verdicts on a folder and its exit codes. One set of tables, two
forms: a C++ header (--header) and NSIS defines (--nsh).

  python3 make_contract.py --header > contract.h
  python3 make_contract.py --nsh > contract.nsh"""
import sys

CURRENT_VERSION = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
UNINSTALL_PARENT = CURRENT_VERSION + "\\Uninstall"
HOST_PARENT = "Software"

# (C++ name, NSIS name, value, why). Texts are written as they stand.
FACTS = [
    ("kCurrentVersionKey", "CURRENT_VERSION_KEY", CURRENT_VERSION,
     "HKLM: the parent of the shared-file counts' key"),
    ("kSharedDllsKey", "SHARED_KEY", CURRENT_VERSION + "\\SharedDLLs",
     "HKLM: the platform's counts of shared files' users, one value per full path"),
    ("kHostParentKey", "HOST_PARENT_KEY", HOST_PARENT, "HKCU: the parent of the interpreter's key"),
    ("kHostKey", "HOST_KEY", HOST_PARENT + "\\Quorvant", "HKCU: the interpreter's list of function libraries"),
    ("kUninstallParentKey", "UNINSTALL_PARENT_KEY", UNINSTALL_PARENT,
     "HKLM: the platform's program list, the parent of the uninstall entry"),
    ("kUninstallKey", "UNINSTALL_KEY", UNINSTALL_PARENT + "\\Tessarim",
     "HKLM: the entry of the platform's program list"),
    ("kHostValuePrefix", "HOST_VALUE_PREFIX", "Func",
     "the list's values are this text and a decimal number without leading zero"),
    ("kHostListSize", "HOST_LIST_SIZE", 256,
     "numbers from 0 up to this, not included; the interpreter reads no further"),
    ("kLibraryFileName", "LIBRARY_FILE", "tessarim.dll", "the library, beside the uninstaller"),
    ("kUninstallerFileName", "UNINSTALLER_FILE", "UTessarim.exe", "the uninstaller"),
    ("kScriptFileName", "SCRIPT_FILE", "tessarim.bat",
     "the self-removal script of an uninstall without elevation, in the user's temporary folder: the "
     "library's name with the extension bat"),
    ("kFreshScriptPrefix", "FRESH_SCRIPT_PREFIX", "tessarim-",
     "an elevated uninstall's script, in the system's temporary folder, is named this, 8 random "
     "hexadecimal digits and the extension"),
    ("kFreshScriptExtension", "FRESH_SCRIPT_EXTENSION", ".bat", "the extension of an elevated uninstall's script"),
    ("kPathBufferSize", "PATH_BUFFER_SIZE", 260,
     "every path buffer, its zero included, in ANSI bytes and in UTF-16 units"),
]

# The uninstall entry's values: (C++ name, NSIS name, value name, number?).
# The installer writes them all, and keeps and restores each of them.
ENTRY_VALUES = [
    ("kDisplayNameValue", "DISPLAY_NAME_VALUE", "DisplayName", False),
    ("kDisplayVersionValue", "DISPLAY_VERSION_VALUE", "DisplayVersion", False),
    ("kPublisherValue", "PUBLISHER_VALUE", "Publisher", False),
    ("kUninstallStringValue", "UNINSTALL_STRING_VALUE", "UninstallString", False),
    ("kInstallLocationValue", "INSTALL_LOCATION_VALUE", "InstallLocation", False),
    ("kDisplayIconValue", "DISPLAY_ICON_VALUE", "DisplayIcon", False),
    ("kEstimatedSizeValue", "ESTIMATED_SIZE_VALUE", "EstimatedSize", True),
    ("kNoModifyValue", "NO_MODIFY_VALUE", "NoModify", True),
    ("kNoRepairValue", "NO_REPAIR_VALUE", "NoRepair", True),
]

# What the check DLL answers about a folder: (C++ name, NSIS name, why).
# Numbered in this order from 0; the installer's messages follow them.
VERDICTS = [
    ("kFolderAccepted", "FOLDER_ACCEPTED", "the folder may be installed into"),
    ("kFolderNotInAnsi", "FOLDER_NOT_IN_ANSI",
     "a letter that the ANSI code page cannot write exactly: the interpreter could not load the library, "
     "nor the uninstaller act on its own path"),
    ("kFolderTooLong", "FOLDER_TOO_LONG", "the uninstaller's path, or the library's, would not fit its buffers"),
    ("kFolderNotInScript", "FOLDER_NOT_IN_SCRIPT",
     "the uninstaller's path cannot be written into its removal script: a letter the OEM code page lacks, "
     "or a byte the script cannot carry"),
    ("kFolderRelative", "FOLDER_RELATIVE",
     "no drive letter, colon and backslash in front: relative to a current folder"),
    ("kFolderDeviceName", "FOLDER_DEVICE_NAME", "a folder name that Windows keeps for a device (NUL, COM1, ...)"),
    ("kFolderBadName", "FOLDER_BAD_NAME",
     "a folder name ending in a dot or a blank, or holding a colon, one of < > \" | ? * or a control character"),
    ("kFolderNotOnDrive", "FOLDER_NOT_ON_DRIVE", "a device, long-path or network form (\\\\.\\, \\\\?\\, \\\\server)"),
    ("kFolderFileInTheWay", "FOLDER_FILE_IN_THE_WAY", "a file stands where a folder of the path must be"),
    ("kFolderNoDrive", "FOLDER_NO_DRIVE", "the drive does not exist"),
    ("kFolderDriveRoot", "FOLDER_DRIVE_ROOT", "a drive's root, which the uninstaller cannot remove"),
]

# The installer's exit codes: (NSIS name, code, meaning as README.md states it).
EXIT_CODES = [
    ("EXIT_INSTALLED", 0, "installed"),
    ("EXIT_CANCELLED", 1, "cancelled"),
    ("EXIT_ABORTED", 2, "aborted"),
    ("EXIT_IN_USE", 3, "the folder's `tessarim.dll` or `UTessarim.exe` is in use by a running program, or an "
                       "uninstall of the folder has not finished; nothing changed"),
    ("EXIT_HOST_LIST", 4, "the host list cannot take the library; nothing changed"),
    ("EXIT_NOT_WRITTEN", 5, "a file or a registry entry could not be written; what the run changed was put back"),
    ("EXIT_FOLDER", 6, "the folder names no plain folder on a drive, or the interpreter or the uninstaller could "
                       "not handle it; nothing changed"),
    ("EXIT_ELSEWHERE", 7, "Tessarim is installed already in another folder; nothing changed"),
]

HEADER_TOP = """\
// The facts that the installer, the uninstaller and tessarim-host share.
// Generated by make_contract.py, which also writes contract.nsh for the
// installer: change them there, never here. Portable: no windows.h.
#pragma once
"""


def sentence(why):
    return why[0].upper() + why[1:] + "."


def header():
    out = [HEADER_TOP]
    for name, _, value, why in FACTS:
        out.append("\n// " + sentence(why) + "\n")
        if isinstance(value, int):
            out.append("constexpr unsigned %s = %d;\n" % (name, value))
        else:
            out.append('constexpr char %s[] = "%s";\n' % (name, value.replace("\\", "\\\\")))
    out.append("\n// The values of the uninstall entry.\n")
    for name, _, value, _ in ENTRY_VALUES:
        out.append('constexpr char %s[] = "%s";\n' % (name, value))
    out.append("\n// What the installer's check DLL answers about a folder.\nenum Verdict {\n")
    for number, (name, _, why) in enumerate(VERDICTS):
        out.append("  // %s\n  %s = %d,\n" % (sentence(why), name, number))
    out.append("};\n")
    return "".join(out)


def nsh():
    out = ["; The facts that the installer, the uninstaller and tessarim-host share.\n"
           "; Generated by make_contract.py, which also writes contract.h: change\n"
           "; them there, never here.\n"]
    for _, name, value, why in FACTS:
        out.append("\n; " + sentence(why) + "\n")
        out.append('!define %s "%s"\n' % (name, value))
    out.append("\n; The values of the uninstall entry.\n")
    for _, name, value, _ in ENTRY_VALUES:
        out.append('!define %s "%s"\n' % (name, value))
    out.append("; Inserts macro TEXT or NUMBER for each of them, by its type.\n"
               "!macro ForEachEntryValue TEXT NUMBER\n")
    for _, name, _, number in ENTRY_VALUES:
        out.append("  !insertmacro ${%s} \"${%s}\"\n" % ("NUMBER" if number else "TEXT", name))
    out.append("!macroend\n")
    out.append("\n; What the installer's check DLL answers about a folder.\n")
    for number, (_, name, why) in enumerate(VERDICTS):
        out.append("; %s\n!define %s %d\n" % (sentence(why), name, number))
    out.append("\n; The installer's exit codes.\n")
    for name, code, meaning in EXIT_CODES:
        out.append("; %s\n!define %s %d\n" % (sentence(meaning), name, code))
    return "".join(out)


if __name__ == "__main__":
    if sys.argv[1:] == ["--header"]:
        sys.stdout.write(header())
    elif sys.argv[1:] == ["--nsh"]:
        sys.stdout.write(nsh())
    else:
        sys.exit(__doc__)
