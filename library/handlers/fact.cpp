// FACT(n), n an unsigned 32-bit whole number fetched by the host.
//
//   n <= 12:  2 * 3 * ... * n in 32 bits (12! = 479001600 is the largest
//             that fits); the host renders the number: set result with a
//             null text, the product and kResultNumber.
//   13..170:  n! rounded to a double (factorial_table.h), written as a
//             number text at the script's NUMERIC DIGITS. A wrapped 32-bit
//             product would be plainly wrong (13 would give 1932053504).
//   >= 171:   n! exceeds the double range: "1.#INF".
//
// Host calls: fetch number (failure: its code is returned, nothing else;
// a host that leaves no code, or 0, still gets a failure, kCodeNoText, since
// 0 would claim a result that was never set);
// [read setting, from 13 on]; set result. No loop runs past 12 steps, so
// FACT(4294967295) answers at once.
#include <limits>

#include "factorial_table.h"
#include "handlers.h"
#include "numeric_sequence.h"

namespace {

constexpr HostWord kLastWholeFactorial = 12;

} // namespace

TESSARIM_HANDLER(FactHandler) {
  HostWord n = kCodeOk;
  if (g_host.fetch_number(context, arguments, kFetchFirstArgument, &n) == 0) {
    return n != kCodeOk ? n : kCodeNoText;
  }
  if (n <= kLastWholeFactorial) {
    HostWord product = 1;
    for (HostWord factor = 2; factor <= n; ++factor) {
      product *= factor;
    }
    *status = g_host.set_result(context, nullptr, product, kResultNumber);
    return kCodeOk;
  }
  const int precision = PrecisionFromSetting(g_host.read_setting(context, kSettingDigits));
  const double value = n <= static_cast<HostWord>(kLastFiniteFactorial)
                           ? kFactorials[n - kFirstTableFactorial]
                           : std::numeric_limits<double>::infinity();
  return SetNumberResult(context, status, value, precision);
}
