#include "fake_host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fake_host {

char g_context_marker;
char g_arguments_marker;

namespace {

thread_local FakeHost *g_bound_host = nullptr; // the host RunHandler bound to this thread

// Records one call; faults for a call after the result and for context or
// argument list not passed through.
Call *Record(FakeHost &host, int slot, void *context, void *arguments, bool takes_arguments) {
  host.faults |= NoteHostCall(&host.ledger);
  if (context != &g_context_marker && slot != kSlotReleaseText) host.faults |= kWrongContext;
  if (takes_arguments && arguments != &g_arguments_marker) host.faults |= kWrongArguments;
  if (host.call_count >= kMaxCalls) {
    host.faults |= kTooManyCalls;
    return nullptr;
  }
  Call *call = &host.calls[host.call_count++];
  *call = Call{slot, 0, nullptr, 0, 0};
  return call;
}

HostWord TESSARIM_CALL SetResult(void *context, const char *text, HostWord length, HostWord flags) {
  FakeHost &host = *g_bound_host;
  Call *call = Record(host, kSlotSetResult, context, nullptr, false);
  host.faults |= NoteResult(&host.ledger);
  if (call != nullptr) {
    call->text = text;
    call->length = length;
    call->flags = flags;
  }
  host.has_result = true;
  host.result_flags = flags;
  host.result_length = length;
  if (flags == kResultText) {
    if (text == nullptr) {
      host.faults |= kBadResult;
    } else {
      const std::size_t n = length < kMaxResultText ? length : kMaxResultText;
      std::memcpy(host.result, text, n);
      host.result[n] = '\0';
    }
  } else if (flags == kResultNumber) {
    if (text != nullptr) host.faults |= kBadResult;
    host.result_number = length;
  } else {
    host.faults |= kBadResult;
  }
  return host.set_result_value;
}

HostWord TESSARIM_CALL ReleaseText(const char *text) {
  FakeHost &host = *g_bound_host;
  Call *call = Record(host, kSlotReleaseText, nullptr, nullptr, false);
  if (call != nullptr) call->text = text;
  const std::uint32_t faults = NoteRelease(&host.ledger, text);
  // Freed at once, so that a read after release shows under AddressSanitizer.
  if (faults == 0) std::free(const_cast<char *>(text));
  host.faults |= faults;
  return 0;
}

HostWord TESSARIM_CALL ReadSetting(void *context, HostWord selector) {
  FakeHost &host = *g_bound_host;
  Call *call = Record(host, kSlotReadSetting, context, nullptr, false);
  if (call != nullptr) call->index = selector;
  if (selector != kSettingDigits) host.faults |= kWrongSelector;
  return host.digits;
}

const char *TESSARIM_CALL FetchText(void *context, void *arguments, HostWord index) {
  FakeHost &host = *g_bound_host;
  Call *call = Record(host, kSlotFetchText, context, arguments, true);
  if (call != nullptr) call->index = index;
  if (index < 1 || index > static_cast<HostWord>(kMaxArguments)) {
    host.faults |= kBadArgumentIndex;
    return nullptr;
  }
  if (static_cast<int>(index) == host.null_argument) return nullptr;
  const int i = static_cast<int>(index) - 1;
  const char *source = i < host.arg_count && host.args[i] != nullptr ? host.args[i] : "";
  const std::size_t size = std::strlen(source) + 1;
  char *copy = static_cast<char *>(std::malloc(size));
  if (copy == nullptr) std::abort();
  std::memcpy(copy, source, size);
  if (!NoteHanded(&host.ledger, copy)) {
    std::free(copy);
    return nullptr;
  }
  if (call != nullptr) call->text = copy;
  return copy;
}

HostWord TESSARIM_CALL FetchNumber(void *context, void *arguments, HostWord which, HostWord *out) {
  FakeHost &host = *g_bound_host;
  Call *call = Record(host, kSlotFetchNumber, context, arguments, true);
  if (call != nullptr) call->index = which;
  if (which != kFetchFirstArgument) host.faults |= kWrongFetchNumber;
  if (host.number_ok || host.number_code_written) *out = host.number_ok ? host.number : host.number_code;
  return host.number_ok ? 1 : 0;
}

} // namespace

FakeHost::~FakeHost() {
  for (int i = 0; i < ledger.handed_count; ++i) {
    if (!ledger.handed[i].released) std::free(ledger.handed[i].text);
  }
}

void FakeHost::SetArgs(const char *first) {
  args[0] = first;
  arg_count = 1;
}

void FakeHost::SetArgs(const char *first, const char *second) {
  args[0] = first;
  args[1] = second;
  arg_count = 2;
}

int FakeHost::CountCalls(int slot) const {
  int n = 0;
  for (int i = 0; i < call_count; ++i) n += calls[i].slot == slot;
  return n;
}

namespace {

HostWord TESSARIM_CALL TimedSetResult(void *context, const char *text, HostWord length, HostWord flags) {
  FakeHost &host = *static_cast<FakeHost *>(context);
  host.has_result = true;
  host.result_flags = flags;
  host.result_length = length;
  if (flags == kResultNumber) {
    host.result_number = length;
  } else if (text != nullptr) {
    const std::size_t n = length < kMaxResultText ? length : kMaxResultText;
    std::memcpy(host.result, text, n);
    host.result[n] = '\0';
  }
  return host.set_result_value;
}

HostWord TESSARIM_CALL TimedReleaseText(const char *) { return 0; }

HostWord TESSARIM_CALL TimedReadSetting(void *context, HostWord) {
  return static_cast<FakeHost *>(context)->digits;
}

const char *TESSARIM_CALL TimedFetchText(void *context, void *, HostWord index) {
  const FakeHost &host = *static_cast<FakeHost *>(context);
  const int i = static_cast<int>(index) - 1;
  return i >= 0 && i < host.arg_count && host.args[i] != nullptr ? host.args[i] : "";
}

HostWord TESSARIM_CALL TimedFetchNumber(void *context, void *, HostWord, HostWord *out) {
  *out = static_cast<FakeHost *>(context)->number;
  return 1;
}

} // namespace

namespace {

void InstallCallbacks(SetResultFn set_result, ReleaseTextFn release_text, ReadSettingFn read_setting,
                      FetchTextFn fetch_text, FetchNumberFn fetch_number) {
  g_host.set_result = set_result;
  g_host.release_text = release_text;
  g_host.read_setting = read_setting;
  g_host.fetch_text = fetch_text;
  g_host.fetch_number = fetch_number;
}

} // namespace

void InstallTimed() {
  InstallCallbacks(TimedSetResult, TimedReleaseText, TimedReadSetting, TimedFetchText, TimedFetchNumber);
}

void Install() { InstallCallbacks(SetResult, ReleaseText, ReadSetting, FetchText, FetchNumber); }

HostWord RunHandler(FakeHost &host, HandlerFn handler, HostWord *status) {
  Install();
  FakeHost *const outer = g_bound_host;
  g_bound_host = &host;
  const HostWord code = handler(&g_context_marker, &g_arguments_marker, status);
  g_bound_host = outer;
  host.faults |= NoteCallEnd(&host.ledger);
  return code;
}

void DescribeFaults(std::uint32_t faults, char *out, std::size_t size) {
  static const char *const kNames[] = {
      "released twice",       "released unknown text", "never released",
      "result set twice",     "call after result",     "wrong context",
      "wrong argument list",  "wrong selector",        "wrong fetch-number argument",
      "bad result arguments", "too many calls",        "bad argument index",
  };
  std::size_t used = 0;
  if (size == 0) return;
  out[0] = '\0';
  for (std::size_t bit = 0; bit < sizeof kNames / sizeof kNames[0]; ++bit) {
    if ((faults & (1u << bit)) == 0) continue;
    const int n = std::snprintf(out + used, size - used, "%s%s", used == 0 ? "" : ", ", kNames[bit]);
    if (n < 0 || static_cast<std::size_t>(n) >= size - used) return;
    used += static_cast<std::size_t>(n);
  }
}

} // namespace fake_host
