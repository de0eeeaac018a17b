// The rules a host holds a handler call to, one row per way a handler can
// break them (or keep them where a careless host would see a fault).
#include <gtest/gtest.h>

#include <cstring>

#include "call_rules.h"

namespace {

// A call as a host sees it, one letter (and a text's number) per callback:
// f0 fetch text 0, r0 release text 0, x release a text never handed out,
// n release null, s set result, c any other callback. Texts with the same
// number share an address, as a freed block handed out again does.
struct RulesCase {
  const char *events;
  std::uint32_t faults;
  int released, released_twice, released_unknown, unreleased, calls_after_result;
};

TEST(CallRules, FaultsAndCountsOfOneCall) {
  const RulesCase cases[] = {
      {"f0 f1 r1 r0 s", 0, 2, 0, 0, 0, 0},
      {"s", 0, 0, 0, 0, 0, 0},
      {"f0 r0 r0 s", kFaultReleasedTwice, 1, 1, 0, 0, 0},
      {"f0 r0 f0 r0 s", 0, 2, 0, 0, 0, 0}, // the address came back: the newer text is released
      {"f0 r0 f0 r0 r0 s", kFaultReleasedTwice, 2, 1, 0, 0, 0},
      {"f0 r0 x s", kFaultReleasedUnknown, 1, 0, 1, 0, 0},
      {"n s", kFaultReleasedUnknown, 0, 0, 1, 0, 0},
      {"f0 f1 r0 s", kFaultNeverReleased, 1, 0, 0, 1, 0},
      {"f0 s r0", kFaultCallAfterResult, 1, 0, 0, 0, 1},
      {"s c c", kFaultCallAfterResult, 0, 0, 0, 0, 2},
      {"s s", kFaultResultTwice | kFaultCallAfterResult, 0, 0, 0, 0, 1},
  };
  static char texts[2][8];
  static char foreign[8];
  for (const RulesCase &c : cases) {
    CallLedger ledger = {};
    std::uint32_t faults = 0;
    for (const char *at = c.events; *at != '\0'; ++at) {
      if (*at == ' ') continue;
      faults |= NoteHostCall(&ledger);
      char *text = at[1] >= '0' && at[1] <= '1' ? texts[at[1] - '0'] : nullptr;
      if (*at == 'f') {
        EXPECT_TRUE(NoteHanded(&ledger, text)) << c.events;
      }
      if (*at == 'r' || *at == 'x' || *at == 'n') faults |= NoteRelease(&ledger, *at == 'x' ? foreign : text);
      if (*at == 's') faults |= NoteResult(&ledger);
      if (text != nullptr) ++at;
    }
    faults |= NoteCallEnd(&ledger);
    EXPECT_EQ(faults, c.faults) << c.events;
    EXPECT_EQ(ledger.released, c.released) << c.events;
    EXPECT_EQ(ledger.released_twice, c.released_twice) << c.events;
    EXPECT_EQ(ledger.released_unknown, c.released_unknown) << c.events;
    EXPECT_EQ(ledger.unreleased, c.unreleased) << c.events;
    EXPECT_EQ(ledger.calls_after_result, c.calls_after_result) << c.events;
  }
}

// A full ledger refuses the next text, so that the host hands out none
// rather than one it cannot hold the handler to.
TEST(CallRules, FullLedgerRefusesTheNextText) {
  static char texts[kMaxHandedTexts + 1][2];
  CallLedger ledger = {};
  for (char *text : texts) EXPECT_EQ(NoteHanded(&ledger, text), text != texts[kMaxHandedTexts]);
  EXPECT_EQ(ledger.handed_count, kMaxHandedTexts);
  EXPECT_EQ(NoteRelease(&ledger, texts[kMaxHandedTexts]), kFaultReleasedUnknown);
  EXPECT_EQ(NoteCallEnd(&ledger), kFaultNeverReleased);
  EXPECT_EQ(ledger.unreleased, kMaxHandedTexts);
}

} // namespace
