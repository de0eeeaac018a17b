// The interpreter's list of function libraries: the values Func0, Func1,
// ... under HKCU\Software\Quorvant, read up to the first missing number.
// One rule for the uninstaller, the installer's check DLL and
// tessarim-host, so that all three step over the same values. A value is
// an entry, naming a library, only when
//   - it is a text, REG_SZ or REG_EXPAND_SZ (taken as written, unexpanded,
//     up to its first zero), and
//   - that text converts to the ANSI code page exactly: a best-fit
//     look-alike (Ō read as O) would name another file, and
//   - it fits a path buffer with its zero, as UTF-16 units and as ANSI
//     bytes.
// Any other value (a number, binary data, a list of texts, a text too long
// or not in the code page) still takes its number: the list goes on after
// it, it is never deleted, and it never names the library. Only a missing
// number ends the list, or a value that cannot be read at all, past which
// nobody can tell what the list holds.
//
// Two paths name the same library when the file system would call them one
// name: ordinally, letter case ignored, on their UTF-16 forms (Straße is
// not Strasse, as it is to a linguistic comparison).
//
// Portable: no windows.h and no C or C++ runtime. The platform reads the
// values and converts and compares the texts through HostListAccess, so
// that the rule itself is tested natively.
#pragma once

#include "contract.h"

// The registry's types of a text value.
constexpr unsigned kTextValueType = 1;           // REG_SZ
constexpr unsigned kExpandableTextValueType = 2; // REG_EXPAND_SZ

// Room for the prefix and up to three digits, with room to spare.
constexpr unsigned kHostValueNameSize = 20;

// Room for the ANSI form of a text that fills a path buffer: a UTF-16 unit
// takes two bytes in a double-byte code page, three in UTF-8.
constexpr unsigned kAnsiFormSize = 3 * kPathBufferSize;

enum class HostValueRead {
  kRead,       // its type and data were read
  kTooLong,    // it holds more than a path buffer: no entry
  kMissing,    // no value has that number: the list ends
  kUnreadable, // any other failure: the list cannot be read past it
};

// One entry: its number and its path in both forms, each zero-terminated.
struct HostEntry {
  unsigned index;
  unsigned length; // UTF-16 units, the zero not included
  char16_t path[kPathBufferSize];
  unsigned ansiLength; // bytes, the zero not included
  char ansi[kAnsiFormSize];
};

// What the rule asks of the platform.
struct HostListAccess {
  // The open list, handed back to `read`.
  void *list;
  // Reads the value of number `index` into `data` (kPathBufferSize units):
  // its type and the number of whole UTF-16 units read.
  HostValueRead (*read)(void *list, unsigned index, unsigned *type, char16_t *data, unsigned *units);
  // Writes the ANSI form of the `length` units of `text` into `ansi`
  // (kAnsiFormSize bytes) and returns its length in bytes; -1 when a
  // letter has no exact counterpart in the code page.
  int (*toAnsi)(const char16_t *text, unsigned length, char *ansi);
  // Whether two paths are one name to the file system.
  bool (*samePath)(const char16_t *a, unsigned aLength, const char16_t *b, unsigned bLength);
};

enum class HostListEnd {
  kGap,        // at a missing number, which an installer may take
  kUnreadable, // at a value that could not be read
  kFull,       // every number up to kHostListSize was read
};

// A walk through the list, entry by entry; start it as {0, kFull}.
struct HostListWalk {
  unsigned next; // the number to read next
  HostListEnd end;
};

// Fills `entry` with the next entry from walk->next on and moves the walk
// past it; false when the list ends first, with walk->end saying how and
// walk->next where.
bool NextHostEntry(const HostListAccess &access, HostListWalk *walk, HostEntry *entry);

struct HostListScan {
  // The number of the first entry that names the library, or -1 when the
  // list ends before one.
  int listed;
  // Where the scan ended: the listing entry's number, or where the list
  // ended (kHostListSize when every number was read).
  unsigned end;
  // Whether the list ended at a missing number, which an installer may
  // write.
  bool endsAtGap;
};

// Scans the list for `library` (`length` UTF-16 units).
HostListScan ScanHostList(const HostListAccess &access, const char16_t *library, unsigned length);

// Writes the value name of number `index` into `name` (kHostValueNameSize
// bytes): the prefix and the number in decimal, without leading zeros.
void HostValueName(unsigned index, char *name);
