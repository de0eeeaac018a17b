// Runs the data cases of handler_cases.h through the fake host and judges
// everything a host would see: code, status slot, result, host calls.
#pragma once

#include <string>

#include "fake_host.h"
#include "handler_cases.h"

constexpr HostWord kStatusSentinel = 0xA5A5A5A5u;

struct CaseOutcome {
  HostWord code = 0;
  HostWord status = kStatusSentinel;
  std::string text; // text result, or the rendered number
  std::uint16_t control_word_after = 0;
  std::string problems; // empty when the host saw nothing wrong
};

// Expected host slots in order for a successful call of `function`.
std::string ExpectedSlots(const char *function, bool fact_as_text);
// The slots the fake recorded, e.g. "15 14 6 5".
std::string RecordedSlots(const fake_host::FakeHost &host);

CaseOutcome RunCase(const HandlerCase &c);
CaseOutcome RunFactCase(const FactCase &c);

// True when `actual` satisfies the case (exact text, or near for kNear15).
bool Matches(const HandlerCase &c, const std::string &actual);
