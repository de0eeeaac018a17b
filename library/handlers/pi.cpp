// PI: a prefix of the stored pi text (shared_data.h), cut, not rounded:
// NUMERIC DIGITS d gives the first d + 1 characters (the point counts), so
// 9 gives 3.14159265 and 5 gives 3.1415. From 50 on the whole 50-character
// text, below 1 the text "3"; never a byte past the stored text.
//
// Host calls: read setting (the whole 32-bit value); set result with the
// stored text itself.
#include <cstdint>

#include "handlers.h"
#include "shared_data.h"

TESSARIM_HANDLER(PiHandler) {
  static_cast<void>(arguments);
  const std::int32_t digits = static_cast<std::int32_t>(g_host.read_setting(context, kSettingDigits));
  HostWord length = 1;
  if (digits >= kPiTextLength) {
    length = kPiTextLength;
  } else if (digits >= 1) {
    length = static_cast<HostWord>(digits) + 1;
  }
  *status = g_host.set_result(context, g_shared.pi_text, length, kResultText);
  return kCodeOk;
}
