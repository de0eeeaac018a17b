#include "case_runner.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "function_lookup.h"
#include "x87_precision.h"

namespace {

bool Is(const char *a, const char *b) { return std::strcmp(a, b) == 0; }

// Common checks after a call that should have succeeded.
void CheckSuccess(const fake_host::FakeHost &host, const CaseOutcome &out, const std::string &slots,
                  std::string *problems) {
  char faults[256];
  fake_host::DescribeFaults(host.faults, faults, sizeof faults);
  if (host.faults != 0) *problems += std::string("host faults: ") + faults + "; ";
  if (out.code != kCodeOk) *problems += "code " + std::to_string(out.code) + "; ";
  if (out.status != host.set_result_value) *problems += "status slot not set result's value; ";
  const std::string recorded = RecordedSlots(host);
  if (recorded != slots) *problems += "host calls " + recorded + ", expected " + slots + "; ";
  if (out.control_word_after != kWindowsControlWord) *problems += "control word changed; ";
}

} // namespace

std::string ExpectedSlots(const char *function, bool fact_as_text) {
  if (Is(function, "PI")) return "14 5";
  if (Is(function, "FACT")) return fact_as_text ? "17 14 5" : "17 5";
  if (Is(function, "ATAN") || Is(function, "POW")) return "15 6 15 14 6 5";
  return "15 14 6 5";
}

std::string RecordedSlots(const fake_host::FakeHost &host) {
  std::string s;
  for (int i = 0; i < host.call_count; ++i) {
    if (i > 0) s += ' ';
    s += std::to_string(host.calls[i].slot);
  }
  return s;
}

CaseOutcome RunCase(const HandlerCase &c) {
  CaseOutcome out;
  const HandlerRecord *record = FindFunction(c.function);
  if (record == nullptr) {
    out.problems = std::string("no function ") + c.function;
    return out;
  }
  fake_host::FakeHost host;
  host.arg_count = c.arg_count;
  for (int i = 0; i < c.arg_count; ++i) host.args[i] = c.args[i];
  host.digits = c.digits;
  {
    WindowsPrecision precision;
    out.code = fake_host::RunHandler(host, record->handler, &out.status);
    out.control_word_after = ReadControlWord();
  }
  out.text = host.ResultText();
  CheckSuccess(host, out, ExpectedSlots(c.function, false), &out.problems);
  if (host.result_flags != kResultText) out.problems += "not a text result; ";
  if (host.result_length != out.text.size()) out.problems += "length is not the text's; ";
  return out;
}

CaseOutcome RunFactCase(const FactCase &c) {
  CaseOutcome out;
  fake_host::FakeHost host;
  host.number = c.n;
  host.digits = c.digits;
  {
    WindowsPrecision precision;
    out.code = fake_host::RunHandler(host, FindFunction("FACT")->handler, &out.status);
    out.control_word_after = ReadControlWord();
  }
  CheckSuccess(host, out, ExpectedSlots("FACT", !c.is_number), &out.problems);
  if (c.is_number) {
    if (host.result_flags != kResultNumber) out.problems += "not a number result; ";
    out.text = std::to_string(host.result_number);
  } else {
    if (host.result_flags != kResultText) out.problems += "not a text result; ";
    out.text = host.ResultText();
  }
  return out;
}

bool Matches(const HandlerCase &c, const std::string &actual) {
  if (actual == c.expected) return true;
  // kX87Trig is exact here: the native build runs the processor's own fsin.
  if (c.match != kNear15) return false;
  const double a = std::strtod(actual.c_str(), nullptr);
  const double e = std::strtod(c.expected, nullptr);
  return std::isfinite(a) && std::isfinite(e) && std::fabs(a - e) <= 1e-15 * std::fabs(e);
}
