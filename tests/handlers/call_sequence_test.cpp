// The host calls themselves: exact traces, failures that stop a handler
// early, and what the status slot holds afterwards.
#include <gtest/gtest.h>

#include <cstring>

#include "case_runner.h"
#include "function_lookup.h"
#include "handlers.h"
#include "shared_data.h"
#include "x87_precision.h"

namespace {

using fake_host::FakeHost;

// The 23 handlers that fetch texts: all but FACT, which fetches a number,
// and PI, which takes no argument.
#define TESSARIM_NAME(name, handler, minimum, maximum) #name,
const char *const kAllFunctions[] = {TESSARIM_FUNCTIONS(TESSARIM_NAME)};
#undef TESSARIM_NAME

HostWord CallHandler(FakeHost &host, const char *function, HostWord *status) {
  WindowsPrecision precision;
  return fake_host::RunHandler(host, FindFunction(function)->handler, status);
}

TEST(HandlerCalls, SinOfOneExactTrace) {
  FakeHost host;
  host.SetArgs("1");
  host.set_result_value = 0xC0FFEEu;
  HostWord status = kStatusSentinel;
  EXPECT_EQ(CallHandler(host, "SIN", &status), kCodeOk);
  EXPECT_EQ(status, 0xC0FFEEu);
  EXPECT_EQ(host.faults, 0u);
  ASSERT_EQ(host.call_count, 4);
  EXPECT_EQ(host.calls[0].slot, kSlotFetchText);
  EXPECT_EQ(host.calls[0].index, 1u);
  EXPECT_EQ(host.calls[1].slot, kSlotReadSetting);
  EXPECT_EQ(host.calls[1].index, kSettingDigits);
  EXPECT_EQ(host.calls[2].slot, kSlotReleaseText);
  EXPECT_EQ(host.calls[2].text, host.calls[0].text);
  EXPECT_EQ(host.calls[3].slot, kSlotSetResult);
  EXPECT_EQ(host.calls[3].length, 11u);
  EXPECT_EQ(host.calls[3].flags, kResultText);
  EXPECT_STREQ(host.ResultText(), "0.841470985");
}

TEST(HandlerCalls, NullFirstArgumentStopsAtOnce) {
  int checked = 0;
  for (const char *function : kAllFunctions) {
    if (std::strcmp(function, "FACT") == 0 || std::strcmp(function, "PI") == 0) continue;
    ++checked;
    SCOPED_TRACE(function);
    FakeHost host;
    host.SetArgs("1", "1");
    host.null_argument = 1;
    HostWord status = kStatusSentinel;
    EXPECT_EQ(CallHandler(host, function, &status), kCodeNoText);
    EXPECT_EQ(RecordedSlots(host), "15");
    EXPECT_EQ(status, kStatusSentinel);
    EXPECT_FALSE(host.has_result);
    EXPECT_EQ(host.faults, 0u);
  }
  EXPECT_EQ(checked, 23);
}

TEST(HandlerCalls, NullSecondArgumentAfterReleasingTheFirst) {
  for (const char *function : {"ATAN", "POW"}) {
    SCOPED_TRACE(function);
    FakeHost host;
    host.SetArgs("1", "1");
    host.null_argument = 2;
    HostWord status = kStatusSentinel;
    EXPECT_EQ(CallHandler(host, function, &status), kCodeNoText);
    EXPECT_EQ(RecordedSlots(host), "15 6 15");
    EXPECT_EQ(host.CountCalls(kSlotReleaseText), 1);
    EXPECT_EQ(status, kStatusSentinel);
    EXPECT_FALSE(host.has_result);
    EXPECT_EQ(host.faults, 0u);
  }
}

// A failing fetch ends in failure: the host's code, or 5 where the host
// left none (0 would claim a result that was never set).
TEST(HandlerCalls, FactPassesFetchNumberFailureThrough) {
  struct Case {
    HostWord code;
    bool written;
    HostWord expected;
  } cases[] = {{40u, true, 40u},
               {1u, true, 1u},
               {0xFFFFFFFFu, true, 0xFFFFFFFFu},
               {0u, true, kCodeNoText},
               {0xDEADu, false, kCodeNoText}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.code);
    FakeHost host;
    host.number_ok = false;
    host.number_code = c.code;
    host.number_code_written = c.written;
    HostWord status = kStatusSentinel;
    EXPECT_EQ(CallHandler(host, "FACT", &status), c.expected);
    EXPECT_EQ(RecordedSlots(host), "17");
    EXPECT_EQ(host.calls[0].index, kFetchFirstArgument);
    EXPECT_EQ(status, kStatusSentinel);
    EXPECT_EQ(host.faults, 0u);
  }
}

TEST(HandlerCalls, PiHandsOverTheStoredText) {
  FakeHost host;
  host.digits = 9;
  HostWord status = kStatusSentinel;
  EXPECT_EQ(CallHandler(host, "PI", &status), kCodeOk);
  EXPECT_EQ(RecordedSlots(host), "14 5");
  EXPECT_EQ(host.calls[1].text, g_shared.pi_text);
  EXPECT_EQ(host.calls[1].length, 10u);
  EXPECT_EQ(status, host.set_result_value);
}

} // namespace
