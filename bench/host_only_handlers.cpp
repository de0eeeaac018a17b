#include "host_only_handlers.h"

#include <cstring>

namespace {

// SIN(1) at 9 and at 17 digits: the result the host copies is as long as
// the real handler's.
HostWord SetFixedResult(void *context, HostWord digits, HostWord *status) {
  const char *text = digits < 17 ? "0.841470985" : "0.8414709848078965";
  *status = g_host.set_result(context, text, static_cast<HostWord>(std::strlen(text)), kResultText);
  return kCodeOk;
}

} // namespace

HostWord TESSARIM_CALL HostOnlyNoArgument(void *context, void *, HostWord *status) {
  return SetFixedResult(context, g_host.read_setting(context, kSettingDigits), status);
}

// Factorials up to 12 are whole 32-bit results; larger ones are texts.
HostWord TESSARIM_CALL HostOnlyFact(void *context, void *arguments, HostWord *status) {
  HostWord n = 0;
  if (g_host.fetch_number(context, arguments, kFetchFirstArgument, &n) == 0) return n;
  if (n > 12) return SetFixedResult(context, g_host.read_setting(context, kSettingDigits), status);
  *status = g_host.set_result(context, nullptr, n, kResultNumber);
  return kCodeOk;
}

HostWord TESSARIM_CALL HostOnlyOneArgument(void *context, void *arguments, HostWord *status) {
  const char *text = g_host.fetch_text(context, arguments, 1);
  if (text == nullptr) return kCodeNoText;
  const HostWord digits = g_host.read_setting(context, kSettingDigits);
  g_host.release_text(text);
  return SetFixedResult(context, digits, status);
}

HostWord TESSARIM_CALL HostOnlyTwoArguments(void *context, void *arguments, HostWord *status) {
  const char *first = g_host.fetch_text(context, arguments, 1);
  if (first == nullptr) return kCodeNoText;
  g_host.release_text(first);
  const char *second = g_host.fetch_text(context, arguments, 2);
  if (second == nullptr) return kCodeNoText;
  const HostWord digits = g_host.read_setting(context, kSettingDigits);
  g_host.release_text(second);
  return SetFixedResult(context, digits, status);
}

HandlerFn HostOnlyHandler(const char *function) {
  if (std::strcmp(function, "PI") == 0) return HostOnlyNoArgument;
  if (std::strcmp(function, "FACT") == 0) return HostOnlyFact;
  if (std::strcmp(function, "ATAN") == 0 || std::strcmp(function, "POW") == 0) return HostOnlyTwoArguments;
  return HostOnlyOneArgument;
}
