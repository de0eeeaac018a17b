#include "minimal_host.h"

#include <cstdio>
#include <cstring>

namespace minimal_host {

namespace {

HostWord TESSARIM_CALL SetResult(void *context, const char *text, HostWord length, HostWord flags) {
  Call &call = *static_cast<Call *>(context);
  call.result_flags = flags;
  call.result_length = length;
  if (text != nullptr) {
    const std::size_t n = length < sizeof call.result ? length : sizeof call.result - 1;
    std::memcpy(call.result, text, n);
  }
  return 0;
}

HostWord TESSARIM_CALL ReleaseText(const char *) { return 0; }

HostWord TESSARIM_CALL ReadSetting(void *context, HostWord) { return static_cast<Call *>(context)->digits; }

const char *TESSARIM_CALL FetchText(void *context, void *, HostWord index) {
  const Call &call = *static_cast<Call *>(context);
  const int i = static_cast<int>(index) - 1;
  return i >= 0 && i < call.arg_count && call.args[i] != nullptr ? call.args[i] : "";
}

HostWord TESSARIM_CALL FetchNumber(void *context, void *, HostWord, HostWord *out) {
  *out = static_cast<Call *>(context)->number;
  return 1;
}

}  // namespace

void Install() {
  g_host.set_result = SetResult;
  g_host.release_text = ReleaseText;
  g_host.read_setting = ReadSetting;
  g_host.fetch_text = FetchText;
  g_host.fetch_number = FetchNumber;
}

void ResultText(const Call &call, char *out, unsigned size) {
  if (size == 0) return;
  if (call.result_flags == kResultNumber) {
    std::snprintf(out, size, "%u", static_cast<unsigned>(call.result_length));
    return;
  }
  std::size_t n = call.result_length < sizeof call.result ? call.result_length : sizeof call.result - 1;
  if (n > size - 1) n = size - 1;
  std::memcpy(out, call.result, n);
  out[n] = '\0';
}

}  // namespace minimal_host
