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
  CheckHardRegions([](const HardRegionCase &c) {
    const CaseOutcome out = RunCase({c.function, 1, {c.text, nullptr}, 17, "", kExactText});
    EXPECT_EQ(out.problems, "") << c.function << "(" << c.text << ")";
    return out.text;
  });
}

// These handlers raise the precision for themselves and must put back the
// caller's own word, not a fixed one. RunCase checks that from a Windows
// thread's 0x27F on every row above; here from the processor's own 0x37F.
TEST(HardRegions, CallersExtendedControlWordComesBack) {
  for (const char *function : {"EXP", "ASINH", "ATANH", "ACOSH"}) {
    fake_host::FakeHost host;
    host.arg_count = 1;
    host.args[0] = "0.125";
    const std::uint16_t saved = ReadControlWord();
    WriteControlWord(0x37F);
    HostWord status = 0;
    fake_host::RunHandler(host, FindFunction(function)->handler, &status);
    const std::uint16_t after = ReadControlWord();
    WriteControlWord(saved);
    EXPECT_EQ(after, 0x37F) << function << " " << host.ResultText();
  }
}

} // namespace
