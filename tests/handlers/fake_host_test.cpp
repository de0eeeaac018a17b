// The fake host must catch the faults it exists to catch, or the handler
// tests prove nothing. Each faulty handler breaks one rule. The rules about
// texts and the result are tested in call_rules_test; here, that the fake
// reports what they find, and frees a text only at its first release (a
// double or foreign free shows under AddressSanitizer).
#include <gtest/gtest.h>

#include "fake_host.h"

namespace {

using fake_host::FakeHost;

HostWord TESSARIM_CALL ReleasesTwice(void *context, void *arguments, HostWord *status) {
  const char *text = g_host.fetch_text(context, arguments, 1);
  g_host.release_text(text);
  g_host.release_text(text);
  *status = g_host.set_result(context, "0", 1, kResultText);
  return 0;
}

HostWord TESSARIM_CALL ReleasesForeignText(void *context, void *arguments, HostWord *status) {
  g_host.release_text(g_host.fetch_text(context, arguments, 1));
  g_host.release_text("not handed out");
  *status = g_host.set_result(context, "0", 1, kResultText);
  return 0;
}

HostWord TESSARIM_CALL NeverReleases(void *context, void *arguments, HostWord *status) {
  g_host.fetch_text(context, arguments, 1);
  *status = g_host.set_result(context, "0", 1, kResultText);
  return 0;
}

HostWord TESSARIM_CALL SetsTwice(void *context, void *, HostWord *status) {
  g_host.set_result(context, "0", 1, kResultText);
  *status = g_host.set_result(context, "0", 1, kResultText);
  return 0;
}

HostWord TESSARIM_CALL LosesContext(void *, void *arguments, HostWord *status) {
  g_host.release_text(g_host.fetch_text(nullptr, arguments, 1));
  *status = g_host.set_result(nullptr, "0", 1, kResultText);
  return 0;
}

HostWord TESSARIM_CALL WrongSelector(void *context, void *, HostWord *status) {
  g_host.read_setting(context, 3);
  *status = g_host.set_result(context, "0", 1, kResultText);
  return 0;
}

HostWord TESSARIM_CALL Behaves(void *context, void *arguments, HostWord *status) {
  const char *text = g_host.fetch_text(context, arguments, 2);
  const HostWord digits = g_host.read_setting(context, kSettingDigits);
  g_host.release_text(text);
  *status = g_host.set_result(context, text == nullptr ? "null" : "ok", digits, kResultText);
  return 0;
}

TEST(FakeHost, DetectsEachFault) {
  const struct {
    HandlerFn handler;
    std::uint32_t fault;
  } cases[] = {
      {ReleasesTwice, fake_host::kReleasedTwice},
      {ReleasesForeignText, fake_host::kReleasedUnknown},
      {NeverReleases, fake_host::kNeverReleased},
      {SetsTwice, fake_host::kResultTwice | fake_host::kCallAfterResult},
      {LosesContext, fake_host::kWrongContext},
      {WrongSelector, fake_host::kWrongSelector},
  };
  for (const auto &c : cases) {
    FakeHost host;
    host.SetArgs("1");
    HostWord status = 0;
    fake_host::RunHandler(host, c.handler, &status);
    EXPECT_EQ(host.faults, c.fault);
  }
}

TEST(FakeHost, ServesArgumentsAndRecordsTheResult) {
  FakeHost host;
  host.SetArgs("1"); // argument 2 omitted: an empty text
  host.digits = 2;
  HostWord status = 0;
  fake_host::RunHandler(host, Behaves, &status);
  EXPECT_EQ(host.faults, 0u);
  EXPECT_STREQ(host.ResultText(), "ok");
  EXPECT_EQ(status, host.set_result_value);

  FakeHost nulls;
  nulls.null_argument = 2;
  nulls.digits = 4;
  fake_host::RunHandler(nulls, Behaves, &status);
  EXPECT_STREQ(nulls.ResultText(), "null");
  EXPECT_EQ(nulls.faults, fake_host::kReleasedUnknown); // released the null
}

} // namespace
