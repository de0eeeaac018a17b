// EXP, ASINH, ATANH and ACOSH where plain formulas lose digits: every
// result within one ulp, at least 99 % correctly rounded, under the control
// word of a Windows thread; and the caller's control word left as it was.
#include <gtest/gtest.h>

#include "case_runner.h"
#include "function_lookup.h"
#include "hard_region_judge.h"
#include "x87.h"

namespace {

TEST(HardRegions, WithinOneUlpAndNearlyAllCorrectlyRounded) {
  int correctly_rounded = 0;
  for (const HardRegionCase &c : kHardRegionCases) {
    const HandlerCase call = {c.function, 1, {c.text, nullptr}, 17, "", kExactText};
    const CaseOutcome out = RunCase(call);
    EXPECT_EQ(out.problems, "") << c.function << "(" << c.text << ")";
    const HardRegionVerdict verdict = JudgeHardRegion(c, out.text.c_str());
    EXPECT_NE(verdict, kOffByMore) << c.function << "(" << c.text << ") = " << out.text << ", nearest "
                                   << c.nearest;
    correctly_rounded += verdict == kCorrectlyRounded;
  }
  const int cases = static_cast<int>(sizeof kHardRegionCases / sizeof kHardRegionCases[0]);
  EXPECT_TRUE(AtLeast99PercentRounded(correctly_rounded, cases)) << correctly_rounded << " of " << cases;
}

// These handlers raise the precision for themselves: whatever word the
// caller had must be there again afterwards, 53-bit or 64-bit.
TEST(HardRegions, CallersControlWordComesBack) {
  for (const char *function : {"EXP", "ASINH", "ATANH", "ACOSH"}) {
    for (std::uint16_t before : {std::uint16_t{0x27F}, std::uint16_t{0x37F}}) {
      fake_host::FakeHost host;
      host.arg_count = 1;
      host.args[0] = "0.125";
      host.digits = 9;
      const std::uint16_t saved = ReadControlWord();
      WriteControlWord(before);
      HostWord status = 0;
      fake_host::RunHandler(host, FindFunction(function)->handler, &status);
      const std::uint16_t after = ReadControlWord();
      WriteControlWord(saved);
      EXPECT_EQ(after, before) << function;
      EXPECT_NE(host.ResultText(), "") << function;
    }
  }
}

} // namespace
