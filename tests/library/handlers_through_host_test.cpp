// The handlers through the real tessarim.dll and the stand-in host: the
// same case tables as the native tests, plus the host-call sequences that
// only a real host sees, and calls from several threads at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "handler_cases.h"
#include "hard_region_judge.h"
#include "quorvant_host.h"
#include "trig_hard_cases.h"
#include "trig_ulp_error.h"

namespace {

class ThroughHost : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    HMODULE library = LoadLibraryA("tessarim.dll");
    ASSERT_NE(library, nullptr);
    using Feedback = unsigned(WINAPI *)(unsigned, unsigned);
    auto feedback =
        reinterpret_cast<Feedback>(reinterpret_cast<void *>(GetProcAddress(library, "RexxFeedback")));
    ASSERT_NE(feedback, nullptr);
    feedback(1, 0);
  }
  void SetUp() override { QvReset(); }
};

// Calls a function with the case's argument texts; a function that needs
// more arguments than the case serves gets omitted ones.
int Call(const char *function, int count, const char *const *texts, QvCallResult *result) {
  const char *args[2] = {count > 0 ? texts[0] : nullptr, count > 1 ? texts[1] : nullptr};
  int outcome = QvCall(function, count, args, result);
  for (int n = count + 1; outcome == -2 && n <= 2; ++n) outcome = QvCall(function, n, args, result);
  return outcome;
}

// Within one ulp: the emulator that runs 32-bit Wine on these machines
// computes fsin, fcos and fptan in double precision.
bool WithinUlp(const std::string &actual, const char *expected) {
  double a = std::strtod(actual.c_str(), nullptr), e = std::strtod(expected, nullptr);
  return a == e || a == std::nextafter(e, HUGE_VAL) || a == std::nextafter(e, -HUGE_VAL);
}

bool Matches(const HandlerCase &c, const std::string &actual) {
  if (actual == c.expected) return true;
  if (c.match == kX87Trig) return WithinUlp(actual, c.expected);
  if (c.match != kNear15) return false;
  double a = std::strtod(actual.c_str(), nullptr), e = std::strtod(c.expected, nullptr);
  return std::isfinite(a) && std::isfinite(e) && std::fabs(a - e) <= 1e-15 * std::fabs(e);
}

std::string Describe(const HandlerCase &c) {
  std::string s = std::string(c.function) + "(";
  for (int i = 0; i < c.arg_count; ++i) s += (i ? "," : "") + std::string(c.args[i]);
  return s + ") at " + std::to_string(c.digits);
}

// Everything a host checks of a successful text call.
void ExpectCleanTextCall(const QvCallResult &r, const std::string &what) {
  EXPECT_EQ(r.code, 0u) << what;
  EXPECT_EQ(r.set_result_calls, 1) << what;
  EXPECT_EQ(r.status, r.status_given) << what << ": status slot holds set result's value";
  EXPECT_EQ(r.texts_released, r.texts_fetched) << what;
  EXPECT_EQ(r.texts_unreleased, 0) << what;
  EXPECT_EQ(r.bad_releases, 0) << what;
  EXPECT_EQ(r.calls_after_set_result, 0) << what;
}

template <std::size_t N> void RunTable(const HandlerCase (&table)[N]) {
  for (const HandlerCase &c : table) {
    QvSetDigits(static_cast<std::int32_t>(c.digits));
    QvCallResult r;
    std::string what = Describe(c);
    ASSERT_EQ(Call(c.function, c.arg_count, c.args, &r), 0) << what;
    ExpectCleanTextCall(r, what);
    EXPECT_EQ(r.result_is_number, 0) << what;
    EXPECT_TRUE(Matches(c, r.text)) << what << ": got " << r.text << ", want " << c.expected;
  }
}

TEST_F(ThroughHost, ExamplesAndEdges) { RunTable(kExamplesAndEdges); }
TEST_F(ThroughHost, DigitsCases) { RunTable(kDigitsCases); }
TEST_F(ThroughHost, DecisionCases) { RunTable(kDecisionCases); }
TEST_F(ThroughHost, PowEdgeCases) { RunTable(kPowEdgeCases); }
TEST_F(ThroughHost, TextCases) { RunTable(kTextCases); }
TEST_F(ThroughHost, ExtendedCases) { RunTable(kExtendedCases); }
TEST_F(ThroughHost, LibraryCases) { RunTable(kLibraryCases); }

// The hard arguments through the DLL. The reduction's bits are checked
// exactly by trig_hard_reduction_test; here the results only loosely, since
// an x87 emulator computes fsin, fcos and fptan from double functions. An
// unreduced argument would be off by thousands of ulps or more.
TEST_F(ThroughHost, TrigHardCases) {
  QvSetDigits(17);
  for (const TrigHardCase &c : kTrigHardCases) {
    for (int f = 0; f < kTrigFunctionCount; ++f) {
      const std::string what = std::string(kTrigFunctionNames[f]) + "(" + c.text + ")";
      const char *args[1] = {c.text};
      QvCallResult r;
      ASSERT_EQ(QvCall(kTrigFunctionNames[f], 1, args, &r), 0) << what;
      ExpectCleanTextCall(r, what);
      EXPECT_LE(UlpError(std::strtod(r.text, nullptr), c.truth[f]), 4.0) << what << " = " << r.text;
    }
  }
}

// The same arguments and rule as the native table, through the real DLL.
// The user-mode emulator that runs 32-bit Wine where the kernel cannot
// computes f2xm1, fyl2x and fyl2xp1 in the extended format, unlike fsin,
// fcos and fptan, so the rule is the same there.
TEST_F(ThroughHost, HardRegionCases) {
  QvSetDigits(17);
  CheckHardRegions([](const HardRegionCase &c) {
    const std::string what = std::string(c.function) + "(" + c.text + ")";
    const char *args[1] = {c.text};
    QvCallResult r;
    EXPECT_EQ(Call(c.function, 1, args, &r), 0) << what;
    ExpectCleanTextCall(r, what);
    return std::string(r.text);
  });
}

TEST_F(ThroughHost, FactCases) {
  for (const FactCase &c : kFactCases) {
    QvSetDigits(static_cast<std::int32_t>(c.digits));
    std::string n = std::to_string(c.n);
    const char *args[1] = {n.c_str()};
    QvCallResult r;
    ASSERT_EQ(QvCall("FACT", 1, args, &r), 0);
    ExpectCleanTextCall(r, "FACT(" + n + ")");
    EXPECT_EQ(r.texts_fetched, 0) << "FACT takes its operand as a number";
    if (c.is_number) {
      EXPECT_EQ(r.result_is_number, 1) << n;
      EXPECT_EQ(r.number, c.number) << n;
    } else {
      EXPECT_EQ(r.result_is_number, 0) << n;
      EXPECT_STREQ(r.text, c.text) << n;
    }
  }
}

std::vector<QvTraceEntry> Trace() {
  std::vector<QvTraceEntry> entries(QvTraceCount());
  for (int i = 0; i < static_cast<int>(entries.size()); ++i) QvTraceAt(i, &entries[i]);
  return entries;
}

std::vector<int> Slots(const std::vector<QvTraceEntry> &trace) {
  std::vector<int> slots;
  for (const QvTraceEntry &e : trace) slots.push_back(e.slot);
  return slots;
}

TEST_F(ThroughHost, SinOfOneMakesExactlyTheseHostCalls) {
  const char *args[1] = {"1"};
  QvCallResult r;
  ASSERT_EQ(QvCall("SIN", 1, args, &r), 0);
  std::vector<QvTraceEntry> trace = Trace();
  ASSERT_EQ(Slots(trace),
            (std::vector<int>{kSlotFetchText, kSlotReadSetting, kSlotReleaseText, kSlotSetResult}));
  std::uint32_t context = trace[0].args[0];
  EXPECT_EQ(trace[0].args[2], 1u) << "argument 1";
  EXPECT_EQ(trace[1].args[0], context);
  EXPECT_EQ(trace[1].args[1], 4u) << "selector 4";
  EXPECT_STREQ(trace[2].text, "1") << "the fetched text is released";
  EXPECT_EQ(trace[3].args[0], context);
  EXPECT_EQ(trace[3].args[2], 11u);
  EXPECT_EQ(trace[3].args[3], 0x10000000u);
  EXPECT_STREQ(trace[3].text, "0.841470985");
  ExpectCleanTextCall(r, "SIN(1)");
}

TEST_F(ThroughHost, NullTextReturnsFiveAndLeavesStatusAlone) {
  struct Case {
    const char *function;
    int argc, failing;
    std::vector<int> slots;
    int released;
  } cases[] = {
      {"SIN", 1, 1, {kSlotFetchText}, 0},
      {"SQRT", 1, 1, {kSlotFetchText}, 0},
      {"ATAN", 2, 1, {kSlotFetchText}, 0},
      {"POW", 2, 1, {kSlotFetchText}, 0},
      {"ATAN", 2, 2, {kSlotFetchText, kSlotReleaseText, kSlotFetchText}, 1},
      {"POW", 2, 2, {kSlotFetchText, kSlotReleaseText, kSlotFetchText}, 1},
  };
  for (const Case &c : cases) {
    QvReset();
    QvFailFetchText(c.failing);
    const char *args[2] = {"1", "2"};
    QvCallResult r;
    ASSERT_EQ(QvCall(c.function, c.argc, args, &r), 0);
    std::string what = std::string(c.function) + " null at " + std::to_string(c.failing);
    EXPECT_EQ(r.code, 5u) << what;
    EXPECT_EQ(r.status, kQvStatusUntouched) << what;
    EXPECT_EQ(r.set_result_calls, 0) << what;
    EXPECT_EQ(r.texts_released, c.released) << what;
    EXPECT_EQ(r.bad_releases, 0) << what;
    EXPECT_EQ(Slots(Trace()), c.slots) << what;
  }
}

TEST_F(ThroughHost, FactPassesTheFetchNumberCodeThrough) {
  // A code of 0 would claim a result that was never set: it becomes 5.
  struct Case {
    std::uint32_t code, expected;
  } cases[] = {{40u, 40u}, {41u, 41u}, {0xFFFFFFFFu, 0xFFFFFFFFu}, {0u, 5u}};
  for (const Case &c : cases) {
    QvReset();
    QvFailFetchNumber(1, c.code);
    const char *args[1] = {"5"};
    QvCallResult r;
    ASSERT_EQ(QvCall("FACT", 1, args, &r), 0);
    EXPECT_EQ(r.code, c.expected);
    EXPECT_EQ(r.status, kQvStatusUntouched);
    EXPECT_EQ(r.set_result_calls, 0);
    std::vector<QvTraceEntry> trace = Trace();
    ASSERT_EQ(Slots(trace), std::vector<int>{kSlotFetchNumber});
    EXPECT_EQ(trace[0].args[2], 0x80000001u);
  }
}

TEST_F(ThroughHost, PiHandsOverAPrefixOfTheStoredText) {
  const std::string pi = "3.141592653589793238462643383279502884197169399375";
  struct Case {
    std::int32_t digits;
    std::size_t length;
  } cases[] = {{9, 10}, {1, 2}, {5, 6}, {49, 50}, {50, 50}, {1000, 50}, {0, 1}, {-5, 1}};
  for (const Case &c : cases) {
    QvReset();
    QvSetDigits(c.digits);
    QvCallResult r;
    ASSERT_EQ(QvCall("PI", 0, nullptr, &r), 0);
    ExpectCleanTextCall(r, "PI at " + std::to_string(c.digits));
    EXPECT_EQ(r.text_length, c.length) << c.digits;
    EXPECT_EQ(std::string(r.text), pi.substr(0, c.length)) << c.digits;
    EXPECT_EQ(Slots(Trace()), (std::vector<int>{kSlotReadSetting, kSlotSetResult})) << c.digits;
  }
}

struct ThreadWork {
  std::vector<std::string> texts;
};

DWORD WINAPI CallAll(LPVOID parameter) {
  auto *work = static_cast<ThreadWork *>(parameter);
  for (int round = 0; round < 20; ++round)
    for (const HandlerCase &c : kExamplesAndEdges) {
      if (c.digits != 9) continue;
      QvCallResult r;
      Call(c.function, c.arg_count, c.args, &r);
      work->texts.push_back(std::string(r.text) + "/" + std::to_string(r.code));
    }
  return 0;
}

TEST_F(ThroughHost, ThreadsAtOnceGiveTheSameTextsAsOneThread) {
  QvSetDigits(9);
  ThreadWork alone;
  CallAll(&alone);
  ThreadWork work[4];
  HANDLE threads[4];
  for (int i = 0; i < 4; ++i) threads[i] = CreateThread(nullptr, 0, CallAll, &work[i], 0, nullptr);
  WaitForMultipleObjects(4, threads, TRUE, INFINITE);
  for (int i = 0; i < 4; ++i) {
    CloseHandle(threads[i]);
    EXPECT_EQ(work[i].texts, alone.texts) << "thread " << i;
  }
}

} // namespace
