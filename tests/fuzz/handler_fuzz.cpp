// Whole handler calls through the recording fake host: any of the 25
// functions, random argument texts, omitted arguments, a fetch that fails,
// NUMERIC DIGITS from -10 to 400. The host's rules must hold (each text
// released once and before the result, set result at most once and last),
// the code and status slot must agree with what happened, and a text
// result must be a well-formed number text that reads back to itself.
//
// Input: [function] [mode] [digits: 2 bytes] [fetch-number operand: 4 bytes]
// then argument 1, a NUL, argument 2. Mode bits: 0-1 arguments served,
// 2 and 3 omit argument 1 or 2, 4-5 the argument whose fetch fails
// (0: none), 6 fetch number fails.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fake_host.h"
#include "function_lookup.h"
#include "fuzz_checks.h"
#include "number_text.h"
#include "shared_data.h"
#include "x87_precision.h"

namespace {

constexpr HostWord kUntouched = 0xA5A5A5A5u;

bool Is(const HandlerRecord &record, const char *name) { return FindFunction(name) == &record; }

// The argument number of the first fetch that gives null, or 0.
int FailedFetch(const HandlerRecord &record, const fake_host::FakeHost &host) {
  if (Is(record, "PI") || Is(record, "FACT") || host.null_argument == 0) return 0;
  const bool two = Is(record, "ATAN") || Is(record, "POW");
  return host.null_argument == 1 || (two && host.null_argument == 2) ? host.null_argument : 0;
}

void CheckText(const HandlerRecord &record, const fake_host::FakeHost &host, int precision) {
  const std::string text(host.result, host.result_length < fake_host::kMaxResultText
                                          ? host.result_length
                                          : fake_host::kMaxResultText);
  if (text.size() != host.result_length || text.find('\0') != std::string::npos)
    FuzzFail("result length %u does not match the text \"%s\"", host.result_length, text.c_str());
  if (Is(record, "PI")) {
    if (std::strncmp(text.c_str(), g_shared.pi_text, text.size()) != 0 || text.size() > kPiTextLength)
      FuzzFail("PI gave \"%s\"", text.c_str());
    return;
  }
  std::string why;
  if (!IsResultText(text, precision, &why))
    FuzzFail("result \"%s\" at %d digits: %s", text.c_str(), precision, why.c_str());
  // The text is a fixed point of the two conversions. At 16 digits a
  // decimal need not survive a trip through a double, so it is left out;
  // so is a value rounded up past the largest double (1.8e308 at 1 digit
  // is "2e+308"), which reads back as an infinity.
  if (text[text.size() - 1] != 'F' && text[text.size() - 1] != 'D' && precision != 16 &&
      !std::isinf(TextToNumber(text.c_str()))) {
    char again[kNumberTextMax];
    NumberToText(TextToNumber(text.c_str()), precision, again, sizeof again);
    if (text != again)
      FuzzFail("result \"%s\" reads back as \"%s\" at %d digits", text.c_str(), again, precision);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const FuzzInput in = SplitInput(data, size, 8);
  const HandlerRecord &record = kHandlerTable[in.head[0] % kFunctionCount];
  const unsigned mode = in.head[1];

  // The texts, each in a block of its own size, so that the fake's copies
  // are all the handler sees.
  const char *rest = reinterpret_cast<const char *>(in.rest);
  const std::size_t first_length = strnlen(rest, in.rest_size);
  const std::string first(rest, first_length);
  const std::string second =
      first_length < in.rest_size
          ? std::string(rest + first_length + 1,
                        strnlen(rest + first_length + 1, in.rest_size - first_length - 1))
          : "";

  fake_host::FakeHost host;
  host.arg_count = static_cast<int>(mode & 3);
  if (host.arg_count > 2) host.arg_count = 2;
  host.args[0] = (mode & 4) ? nullptr : first.c_str();
  host.args[1] = (mode & 8) ? nullptr : second.c_str();
  host.null_argument = static_cast<int>((mode >> 4) & 3) % 3;
  host.number_ok = (mode & 0x40) == 0;
  std::memcpy(&host.number, in.head + 4, sizeof host.number);
  host.number_code = (host.number * 2654435761u) | 1u; // never 0: a code, not success
  const std::int32_t digits = -10 + (in.head[2] | in.head[3] << 8) % 411;
  host.digits = static_cast<HostWord>(digits);
  const int precision = digits < 1 ? 1 : digits;

  HostWord status = kUntouched;
  HostWord code;
  {
    WindowsPrecision x87; // the Windows thread's setting
    code = fake_host::RunHandler(host, record.handler, &status);
  }
  if (host.faults != 0) {
    char faults[256];
    fake_host::DescribeFaults(host.faults, faults, sizeof faults);
    FuzzFail("host rules broken: %s", faults);
  }

  HostWord expected_code = kCodeOk;
  if (FailedFetch(record, host) != 0) expected_code = kCodeNoText;
  if (Is(record, "FACT") && !host.number_ok) expected_code = host.number_code;
  if (code != expected_code) FuzzFail("code %u, expected %u", code, expected_code);
  if (code != kCodeOk) {
    if (host.has_result || status != kUntouched) FuzzFail("code %u with a result or a status", code);
    return 0;
  }
  if (!host.has_result || status != host.set_result_value)
    FuzzFail("code 0 without a result in the status slot");
  if (host.result_flags == kResultText)
    CheckText(record, host, precision);
  else if (!Is(record, "FACT") || host.number > 12)
    FuzzFail("a number result from this call");
  return 0;
}
