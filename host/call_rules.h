// The rules a host holds one handler call to, kept by every host that calls
// handlers (the stand-in interpreter and the unit tests' fake): each text
// the host hands out is released exactly once, by the handler, and nothing
// is asked of the host after the result is set, which is set at most once.
// Portable code with no system headers, so that it is unit-tested natively.
//
// The host notes each event of the call in its ledger; each Note function
// answers with the faults the event shows (0: none) and keeps the counts:
//
//   fetch text -> NoteHanded(text)      release text -> NoteRelease(text)
//   set result -> NoteResult()          every callback first: NoteHostCall()
//   the handler returned -> NoteCallEnd()
#pragma once

#include <cstdint>

constexpr int kMaxHandedTexts = 16;

// The faults, as bits.
constexpr std::uint32_t kFaultReleasedTwice = 1u << 0;   // a text released again
constexpr std::uint32_t kFaultReleasedUnknown = 1u << 1; // release of a pointer this call never handed out
constexpr std::uint32_t kFaultNeverReleased = 1u << 2;   // a text still held when the handler returned
constexpr std::uint32_t kFaultResultTwice = 1u << 3;     // set result called more than once
constexpr std::uint32_t kFaultCallAfterResult = 1u << 4; // any host call after set result

struct HandedText {
  char *text;
  bool released;
};

// One call's record; zero-initialise it before the call.
struct CallLedger {
  HandedText handed[kMaxHandedTexts];
  int handed_count;
  int released;         // first releases of texts handed out
  int released_twice;   // releases of a text already released
  int released_unknown; // releases of a pointer never handed out
  int results;          // set result calls
  int calls_after_result;
  int unreleased; // at the end: texts the handler kept
};

// Any callback of the handler, before what is its own.
std::uint32_t NoteHostCall(CallLedger *ledger);
// A text handed out. False when the ledger is full: the host then hands
// out none.
bool NoteHanded(CallLedger *ledger, char *text);
// A release. 0 exactly when it is the first release of a text this call
// handed out: the host may free the text then, and only then.
std::uint32_t NoteRelease(CallLedger *ledger, const char *text);
std::uint32_t NoteResult(CallLedger *ledger);
// The handler has returned: counts the texts it never released.
std::uint32_t NoteCallEnd(CallLedger *ledger);
