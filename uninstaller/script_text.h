// The self-removal script's bytes and its command lines, built from the
// program path P, the script path S and the path Q of the system folder's
// ping.exe alone. Portable: no windows.h and no
// C or C++ runtime (the uninstaller links none), so that the uninstaller and
// the native fuzz target compile the same code.
//
// The paths arrive as the command interpreter will read them: P, S and Q in
// the OEM code page (the uninstaller converts them, see self_removal.cpp).
// The folder D is P up to its last backslash, that backslash not included.
//
// The script, each line ending in CR LF:
//
//   setlocal DisableDelayedExpansion                    only if P or Q holds !
//   set tessarim_tries=0
//   :Repeat
//   set /a tessarim_tries+=1
//   if %tessarim_tries% gtr 100 "Q" -n 2 127.0.0.1 >nul
//   del "P"
//   if exist "P" if %tessarim_tries% lss 160 goto Repeat
//   rmdir "D"                                           not for a drive root
//   del "S"
//
// with every % of P, D, S and Q written as %%. Q is a full path so that no
// ping.bat or ping.exe planted in the current folder (the drive's root) or
// on the search path runs in its place. The first 100 tries follow each
// other at once; each of the next 60 waits about a second (ping sends its
// second echo a second after the first), so a program that can never be
// deleted is given up after about a minute. Then rmdir fails, since the
// program is still in its folder, and the script deletes itself.
//
// A batch line is expanded before it is split into commands: %NAME% and
// %0 to %9 even inside quotes, and !NAME! as well where delayed expansion
// is on (a machine may switch it on for every command interpreter). Inside
// double quotes & | < > ( ) ^ , ; = and blanks are plain characters. So a
// path can be carried when its % are doubled and, if it holds !, delayed
// expansion is switched off by the first line. The script path cannot be
// carried with % or ! at all, since it is also the command line that starts
// the script, where %% is not an escape.
#pragma once

#include "contract.h"
#include "path_text.h"

// Longest path, terminating zero included (the platform's MAX_PATH).
const unsigned kScriptPathLimit = kPathBufferSize;

// Room for the longest script, with room to spare: the fixed text (200
// bytes), P twice, D once and Q once with every character a doubled % (518
// bytes each), and S (259 bytes) come to less than 2.5 KiB.
const unsigned kScriptTextCapacity = 4096;

// True when the `length` bytes of `path` may stand inside the script's
// double quotes: 1 to 259 bytes, none of them a control character or one
// of " * ? < > | / (no platform path holds them; inside the quotes they
// would end the quotes, or make del and rmdir take wildcards or switches).
bool PathFitsScript(const char *path, unsigned length);

// Writes the script for P, Q and S into `text` (`capacity` bytes) and
// returns its length; returns 0, writing nothing that counts, when no
// script may be written: P, Q or S does not fit the script, P holds no
// backslash, S holds % or !, or the script does not fit `capacity`.
// `isLead` tells the OEM code page's lead bytes.
unsigned MakeScriptText(const char *program, unsigned programLength, const char *ping, unsigned pingLength,
                        const char *script, unsigned scriptLength, char *text, unsigned capacity,
                        LeadByteTest isLead);

// The command line that starts the script at `scriptPath` (a zero-
// terminated path of at most 259 bytes, without % or !): the bare path when
// it holds only ASCII letters, digits and \ : . _ -, otherwise the path in
// double quotes. `commandLine` holds kScriptPathLimit + 2 bytes.
void MakeScriptCommandLine(const char *scriptPath, char *commandLine);

// Room for the command line below: two paths of 259 bytes, 29 bytes of
// quotes and switches, and the terminating zero.
const unsigned kInterpreterCommandLineCapacity = 2 * kScriptPathLimit + 32;

// The command line that starts the script S through the command
// interpreter I named by its full path (which CreateProcess is also given
// as the program to run, so nothing is looked up):
//
//   "I" /d /e:on /v:off /s /c ""S""
//
// /d skips the AutoRun commands of the user's registry, /e:on keeps the
// command extensions that set /a needs even where the user switched them
// off, /v:off leaves delayed expansion off. With /s the interpreter takes
// off the outer pair of quotes only, so "S" stays one quoted word, blanks
// and & included. Writes it into `commandLine`
// (kInterpreterCommandLineCapacity bytes) and returns its length; returns 0
// when I or S does not fit the script's rules, or S holds % or !, which
// the interpreter would expand.
unsigned MakeInterpreterCommandLine(const char *interpreter, const char *scriptPath, char *commandLine);
