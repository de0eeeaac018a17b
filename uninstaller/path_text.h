// Places in a path held as bytes of the ANSI or the OEM code page. In a
// double-byte code page the second byte of a letter may be 92 (\) or 124
// (|): every search for a backslash steps over it. Portable: no windows.h
// and no C or C++ runtime, so that the script writer, built natively for
// the fuzzer, and the uninstaller share it.
#pragma once

// Whether a byte starts a double-byte character in the code page the path
// is written in (never, in a single-byte one). Portable code has no
// windows.h, so the caller says which bytes lead.
using LeadByteTest = bool (*)(unsigned char lead);

// Where the character that ends the first `length` bytes of `text` starts:
// a double-byte character is read from its lead byte on, so that its second
// byte is never taken for a character of its own. -1 for no text.
int LastCharacter(const char *text, int length, LeadByteTest isLead);

// Position of the last backslash of its own among the first `length` bytes
// of `text` (not the second byte of a double-byte character), or -1 when
// there is none.
int LastBackslash(const char *text, int length, LeadByteTest isLead);

// Whether the first `length` bytes of `text` end in a backslash of its own,
// so that a name may be appended after it.
bool EndsInBackslash(const char *text, int length, LeadByteTest isLead);
