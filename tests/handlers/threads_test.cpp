// Handlers keep nothing between calls: several threads running every case
// at once get the texts that one thread gets.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "case_runner.h"

namespace {

std::vector<std::string> RunAllCases() {
  std::vector<std::string> texts;
  const auto add = [&texts](const auto &table) {
    for (const HandlerCase &c : table) {
      const CaseOutcome out = RunCase(c);
      texts.push_back(out.text + (out.problems.empty() ? "" : " / " + out.problems));
    }
  };
  add(kExamplesAndEdges);
  add(kDigitsCases);
  add(kDecisionCases);
  add(kPowEdgeCases);
  add(kTextCases);
  add(kExtendedCases);
  add(kLibraryCases);
  for (const FactCase &c : kFactCases) texts.push_back(RunFactCase(c).text);
  return texts;
}

TEST(HandlerThreads, SameTextsAsOneThread) {
  const std::vector<std::string> alone = RunAllCases();
  constexpr int kThreads = 4;
  constexpr int kRounds = 20;
  std::vector<std::vector<std::string>> seen(kThreads * kRounds);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &seen] {
      for (int r = 0; r < kRounds; ++r) seen[t * kRounds + r] = RunAllCases();
    });
  }
  for (std::thread &thread : threads) thread.join();
  for (const std::vector<std::string> &texts : seen) {
    ASSERT_EQ(texts.size(), alone.size());
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i], alone[i]) << "case " << i;
  }
}

} // namespace
