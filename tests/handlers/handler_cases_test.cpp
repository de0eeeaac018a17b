// Every case table, through the fake host: result text, code, status slot,
// host-call order and ownership, control word left alone.
#include <gtest/gtest.h>

#include "case_runner.h"

namespace {

template <std::size_t N> void RunTable(const HandlerCase (&table)[N]) {
  for (const HandlerCase &c : table) {
    SCOPED_TRACE(std::string(c.function) + "(" + (c.arg_count > 0 ? c.args[0] : "") +
                 (c.arg_count > 1 ? std::string(", ") + c.args[1] : "") + ") digits " +
                 std::to_string(c.digits));
    const CaseOutcome out = RunCase(c);
    EXPECT_EQ(out.problems, "");
    EXPECT_TRUE(Matches(c, out.text)) << "got " << out.text << ", expected " << c.expected;
  }
}

TEST(HandlerCases, ExamplesAndEdges) { RunTable(kExamplesAndEdges); }
TEST(HandlerCases, NumericDigits) { RunTable(kDigitsCases); }
TEST(HandlerCases, DecidedBehaviour) { RunTable(kDecisionCases); }
TEST(HandlerCases, PowEdges) { RunTable(kPowEdgeCases); }
TEST(HandlerCases, ArgumentTexts) { RunTable(kTextCases); }
TEST(HandlerCases, ExtendedPrecisionFunctions) { RunTable(kExtendedCases); }
TEST(HandlerCases, CRuntimeFunctions) { RunTable(kLibraryCases); }

TEST(HandlerCases, Factorials) {
  for (const FactCase &c : kFactCases) {
    SCOPED_TRACE("FACT(" + std::to_string(c.n) + ") digits " + std::to_string(c.digits));
    const CaseOutcome out = RunFactCase(c);
    EXPECT_EQ(out.problems, "");
    EXPECT_EQ(out.text, c.is_number ? std::to_string(c.number) : std::string(c.text));
  }
}

} // namespace
