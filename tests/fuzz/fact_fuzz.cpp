// FACT with every 32-bit operand and any NUMERIC DIGITS: the exact
// factorial up to 12, n! to the digits asked for up to 170, then "1.#INF";
// and an answer for any n, 2^32 - 1 included (libFuzzer's -timeout reports
// a hang). A failing fetch number passes its code through.
//
// Input: [operand: 4 bytes] [digits: 2 bytes] [mode: bit 0 fetch fails]
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fake_host.h"
#include "function_lookup.h"
#include "fuzz_checks.h"
#include "x87_precision.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const FuzzInput in = SplitInput(data, size, 7);
  fake_host::FakeHost host;
  std::memcpy(&host.number, in.head, sizeof host.number);
  const std::int32_t digits = -10 + (in.head[4] | in.head[5] << 8) % 411;
  host.digits = static_cast<HostWord>(digits);
  host.number_ok = (in.head[6] & 1) == 0;
  host.number_code = (host.number * 2654435761u) | 1u; // never 0: a code, not success
  const HostWord n = host.number;
  const int precision = digits < 1 ? 1 : digits;

  constexpr HostWord kUntouched = 0xA5A5A5A5u;
  HostWord status = kUntouched;
  HostWord code;
  {
    WindowsPrecision x87;
    code = fake_host::RunHandler(host, FindFunction("FACT")->handler, &status);
  }
  if (host.faults != 0) FuzzFail("FACT(%u): host rules broken (0x%x)", n, host.faults);
  if (!host.number_ok) {
    if (code != host.number_code || host.has_result || status != kUntouched)
      FuzzFail("FACT with a failing fetch: code %u, result %d", code, host.has_result);
    return 0;
  }
  if (code != kCodeOk || !host.has_result || status != host.set_result_value)
    FuzzFail("FACT(%u): code %u", n, code);

  if (n <= 12) {
    std::uint64_t exact = 1;
    for (HostWord k = 2; k <= n; ++k) exact *= k;
    if (host.result_flags != kResultNumber || host.result_number != exact)
      FuzzFail("FACT(%u) = %u (flags 0x%x), exact %llu", n, host.result_number, host.result_flags,
               static_cast<unsigned long long>(exact));
    return 0;
  }
  const std::string text = host.ResultText();
  std::string why;
  if (host.result_flags != kResultText || !IsResultText(text, precision, &why))
    FuzzFail("FACT(%u) at %d digits = \"%s\": %s", n, precision, text.c_str(), why.c_str());
  if (n > 170) {
    if (text != "1.#INF") FuzzFail("FACT(%u) = \"%s\", beyond the double range", n, text.c_str());
    return 0;
  }
  // ln n! in extended precision is good to about 1e-19 absolutely, so its
  // exponential to 1e-16 relatively: far below what P digits round away.
  const long double exact = std::exp(std::lgamma(static_cast<long double>(n) + 1));
  const long double written = std::strtold(text.c_str(), nullptr);
  const long double allowed = 0.5L * std::pow(10.0L, 1 - (precision < 17 ? precision : 17)) + 1e-15L;
  if (std::fabs(written / exact - 1) > allowed)
    FuzzFail("FACT(%u) at %d digits = \"%s\", exact %.20Lg", n, precision, text.c_str(), exact);
  return 0;
}
