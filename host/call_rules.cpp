#include "call_rules.h"

std::uint32_t NoteHostCall(CallLedger *ledger) {
  if (ledger->results == 0) return 0;
  ++ledger->calls_after_result;
  return kFaultCallAfterResult;
}

bool NoteHanded(CallLedger *ledger, char *text) {
  if (ledger->handed_count == kMaxHandedTexts) return false;
  ledger->handed[ledger->handed_count++] = HandedText{text, false};
  return true;
}

std::uint32_t NoteRelease(CallLedger *ledger, const char *text) {
  // Newest first: a host that frees a text at its release may hand out the
  // same address again, and the newer text is the one released.
  for (int i = ledger->handed_count - 1; i >= 0; --i) {
    HandedText &handed = ledger->handed[i];
    if (handed.text != text || text == nullptr) continue;
    if (handed.released) {
      ++ledger->released_twice;
      return kFaultReleasedTwice;
    }
    handed.released = true;
    ++ledger->released;
    return 0;
  }
  ++ledger->released_unknown;
  return kFaultReleasedUnknown;
}

std::uint32_t NoteResult(CallLedger *ledger) { return ++ledger->results > 1 ? kFaultResultTwice : 0; }

std::uint32_t NoteCallEnd(CallLedger *ledger) {
  ledger->unreleased = 0;
  for (int i = 0; i < ledger->handed_count; ++i) ledger->unreleased += ledger->handed[i].released ? 0 : 1;
  return ledger->unreleased > 0 ? kFaultNeverReleased : 0;
}
