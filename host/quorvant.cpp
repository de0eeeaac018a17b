// The stand-in host interpreter. It lends the library its callback table,
// takes the registration, calls handlers by name, keeps every callback
// call in a trace and holds each call to the rules about texts and the
// result (call_rules.h).
#include <windows.h>

#include <cstdint>
#include <cstring>

#define QUORVANT_BUILD
#include "call_rules.h"
#include "function_directory.h"
#include "quorvant_host.h"

namespace {

constexpr int kTraceCapacity = 20000;
constexpr HostWord kIncorrectCall = 40; // the code a host gives for a bad argument
// Fetch number's high bit: the rest of `which` is the argument's number.
constexpr HostWord kFetchByNumber = kFetchFirstArgument - 1;
constexpr int kMaxLibraries = 256; // as many as the host's numbered list holds
// Set result answers this mark and a serial number, so that a test sees
// that the handler stored the answer of its own call.
constexpr HostWord kStatusMark = 0x51000000u;

struct ArgumentList {
  int count;
  const char *const *texts; // a null entry is an omitted argument
};

// One handler call; its address is the call context the handler sees.
struct CallState {
  const ArgumentList *arguments;
  CallLedger ledger;
  QvCallResult *result;
};

struct Settings {
  std::int32_t digits = 9;
  int fail_fetch_text = 0;
  int fail_fetch_number = 0;
  HostWord fetch_number_code = 0;
  HostWord register_result = 0;
  HostWord binding_result = 0;
  int empty_slot = -1;
};

CRITICAL_SECTION g_lock;
Settings g_settings;
QvBinding g_binding;
QvRegistration g_registration;
// Every distinct directory registered, in order: a name resolves to the
// first library that registered it, as the interpreter resolves it.
QvRegistration g_libraries[kMaxLibraries];
int g_library_count = 0;
QvTraceEntry *g_trace = nullptr;
int g_trace_count = 0;
std::uint32_t g_status_serial = 0;
thread_local CallState *g_call = nullptr; // the handler call this thread is in

// Returns the entry's index (-1 when the trace is full), so that the
// callback can add its result.
int Trace(int slot, HostWord a0, HostWord a1 = 0, HostWord a2 = 0, HostWord a3 = 0, HostWord a4 = 0,
          const char *text = nullptr, std::size_t length = 0) {
  int index = -1;
  EnterCriticalSection(&g_lock);
  if (g_trace == nullptr)
    g_trace = static_cast<QvTraceEntry *>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(QvTraceEntry) * kTraceCapacity));
  if (g_trace != nullptr && g_trace_count < kTraceCapacity) {
    index = g_trace_count;
    QvTraceEntry &e = g_trace[g_trace_count++];
    e.slot = slot;
    e.result = 0;
    e.args[0] = a0;
    e.args[1] = a1;
    e.args[2] = a2;
    e.args[3] = a3;
    e.args[4] = a4;
    e.text[0] = '\0';
    if (text != nullptr) {
      if (length >= sizeof e.text) length = sizeof e.text - 1;
      std::memcpy(e.text, text, length);
      e.text[length] = '\0';
    }
  }
  LeaveCriticalSection(&g_lock);
  return index;
}

HostWord Traced(int index, HostWord result) {
  if (index >= 0) g_trace[index].result = result;
  return result;
}

HostWord AsWord(const void *p) { return static_cast<HostWord>(reinterpret_cast<std::uintptr_t>(p)); }

// Every host call after set result is a fault of the handler.
void NoteCall(CallState *call) {
  if (call != nullptr) NoteHostCall(&call->ledger);
}

HostWord WINAPI SetResult(void *context, const char *text, HostWord length, HostWord flags) {
  auto *call = static_cast<CallState *>(context);
  NoteCall(call);
  bool number = (flags & kResultNumber) != 0 && text == nullptr;
  int entry = Trace(kSlotSetResult, AsWord(context), AsWord(text), length, flags, 0, number ? nullptr : text,
                    number ? 0 : length);
  HostWord status =
      kStatusMark | (InterlockedIncrement(reinterpret_cast<volatile LONG *>(&g_status_serial)) & 0xFFFFu);
  NoteResult(&call->ledger);
  QvCallResult *r = call->result;
  r->status_given = status;
  r->result_is_number = number ? 1 : 0;
  if (number) {
    r->number = length;
    r->text[0] = '\0';
    r->text_length = 0;
  } else {
    std::size_t n = length < sizeof r->text - 1 ? length : sizeof r->text - 1;
    std::memcpy(r->text, text, n);
    r->text[n] = '\0';
    r->text_length = length;
  }
  return Traced(entry, status);
}

HostWord WINAPI ReleaseText(const char *text) {
  CallState *call = g_call;
  NoteCall(call);
  Trace(kSlotReleaseText, AsWord(text), 0, 0, 0, 0, text != nullptr ? text : "",
        text != nullptr ? std::strlen(text) : 0);
  // Texts are freed when the call ends, so that a second release is seen
  // as one, not as a release of some other block.
  if (call != nullptr) NoteRelease(&call->ledger, text);
  return 0;
}

HostWord WINAPI RegisterLibrary(HostWord zero, const char *name, const unsigned char *block,
                                const void *table, HostWord host_value) {
  int entry = Trace(kSlotRegisterLibrary, zero, AsWord(name), AsWord(block), AsWord(table), host_value, name,
                    name != nullptr ? std::strlen(name) : 0);
  EnterCriticalSection(&g_lock);
  ++g_registration.calls;
  g_registration.zero = zero;
  g_registration.library_name = name;
  g_registration.name_block = block;
  g_registration.handler_table = table;
  g_registration.host_value = host_value;
  bool known = false;
  for (int i = 0; i < g_library_count; ++i) known = known || g_libraries[i].name_block == block;
  if (!known && g_library_count < kMaxLibraries) g_libraries[g_library_count++] = g_registration;
  HostWord answer = g_settings.register_result;
  LeaveCriticalSection(&g_lock);
  return Traced(entry, answer);
}

HostWord WINAPI ReadSetting(void *context, HostWord selector) {
  NoteCall(static_cast<CallState *>(context));
  int entry = Trace(kSlotReadSetting, AsWord(context), selector);
  return Traced(entry, selector == kSettingDigits ? static_cast<HostWord>(g_settings.digits) : 0);
}

const char *WINAPI FetchText(void *context, void *arguments, HostWord index) {
  auto *call = static_cast<CallState *>(context);
  NoteCall(call);
  int entry = Trace(kSlotFetchText, AsWord(context), AsWord(arguments), index);
  if (static_cast<int>(index) == g_settings.fail_fetch_text || index == 0) return nullptr;
  auto *list = static_cast<const ArgumentList *>(arguments);
  const char *source = static_cast<int>(index) <= list->count ? list->texts[index - 1] : nullptr;
  if (source == nullptr) source = "";
  std::size_t n = std::strlen(source);
  auto *copy = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, n + 1));
  std::memcpy(copy, source, n + 1);
  if (!NoteHanded(&call->ledger, copy)) {
    HeapFree(GetProcessHeap(), 0, copy);
    return nullptr;
  }
  if (entry >= 0) {
    std::size_t shown = n < sizeof g_trace[entry].text ? n : sizeof g_trace[entry].text - 1;
    std::memcpy(g_trace[entry].text, copy, shown);
    g_trace[entry].text[shown] = '\0';
  }
  Traced(entry, AsWord(copy));
  return copy;
}

// Decimal digits only, optionally surrounded by blanks, at most 2^32 - 1.
bool ParseWhole(const char *text, HostWord *out) {
  while (*text == ' ') ++text;
  if (*text < '0' || *text > '9') return false;
  std::uint64_t value = 0;
  while (*text >= '0' && *text <= '9') {
    value = value * 10 + static_cast<unsigned>(*text++ - '0');
    if (value > 0xFFFFFFFFu) return false;
  }
  while (*text == ' ') ++text;
  if (*text != '\0') return false;
  *out = static_cast<HostWord>(value);
  return true;
}

HostWord WINAPI FetchNumber(void *context, void *arguments, HostWord which, HostWord *out) {
  NoteCall(static_cast<CallState *>(context));
  int entry = Trace(kSlotFetchNumber, AsWord(context), AsWord(arguments), which, AsWord(out));
  if (g_settings.fail_fetch_number) {
    *out = g_settings.fetch_number_code;
    return 0;
  }
  auto *list = static_cast<const ArgumentList *>(arguments);
  int index = static_cast<int>(which & ~kFetchByNumber);
  const char *text = index >= 1 && index <= list->count ? list->texts[index - 1] : nullptr;
  if (text == nullptr || !ParseWhole(text, out)) {
    *out = kIncorrectCall;
    return 0;
  }
  return Traced(entry, 1);
}

// The slots the library never calls: they only count, so that a stray call
// shows up in the trace.
HostWord WINAPI Unused() {
  Trace(-1, 0);
  return 0;
}

void FreeTexts(const CallLedger &ledger) {
  for (int i = 0; i < ledger.handed_count; ++i) HeapFree(GetProcessHeap(), 0, ledger.handed[i].text);
}

} // namespace

extern "C" HostWord WINAPI RexxGetQuorvantFuncs(void *table, HostWord size, HostWord version) {
  EnterCriticalSection(&g_lock);
  ++g_binding.calls;
  g_binding.table = table;
  g_binding.size = size;
  g_binding.version = version;
  int empty = g_settings.empty_slot;
  HostWord answer = g_settings.binding_result;
  LeaveCriticalSection(&g_lock);

  void *slots[kHostSlotCount];
  for (void *&slot : slots) slot = reinterpret_cast<void *>(&Unused);
  slots[kSlotSetResult] = reinterpret_cast<void *>(&SetResult);
  slots[kSlotReleaseText] = reinterpret_cast<void *>(&ReleaseText);
  slots[kSlotRegisterLibrary] = reinterpret_cast<void *>(&RegisterLibrary);
  slots[kSlotReadSetting] = reinterpret_cast<void *>(&ReadSetting);
  slots[kSlotFetchText] = reinterpret_cast<void *>(&FetchText);
  slots[kSlotFetchNumber] = reinterpret_cast<void *>(&FetchNumber);
  if (empty >= 0 && empty < static_cast<int>(kHostSlotCount)) slots[empty] = nullptr;
  HostWord n = size < sizeof slots ? size : static_cast<HostWord>(sizeof slots);
  std::memcpy(table, slots, n);
  return answer;
}

namespace {

// The record of `name` in one registered directory, or null: entry i of
// the name block belongs to record i of the handler table.
const HandlerRecord *FindRecord(const QvRegistration &library, const char *name) {
  const unsigned char *block = library.name_block;
  const auto *table = static_cast<const HandlerRecord *>(library.handler_table);
  if (block == nullptr || table == nullptr) return nullptr;
  const unsigned char *entry = block + 1;
  for (int i = 0; *entry != 0; ++i) {
    std::size_t n = *entry++;
    if (std::strlen(name) == n && std::memcmp(entry, name, n) == 0) return table + i;
    entry += n;
  }
  return nullptr;
}

const HandlerRecord *Resolve(const char *name) {
  for (int i = 0; i < g_library_count; ++i) {
    if (const HandlerRecord *record = FindRecord(g_libraries[i], name)) return record;
  }
  return nullptr;
}

} // namespace

QV_API int QvCall(const char *name, int argc, const char *const *argv, QvCallResult *result) {
  std::memset(result, 0, sizeof *result);
  const HandlerRecord *record = Resolve(name);
  if (record == nullptr) return -1;
  if (argc < record->min_args || argc > record->max_args) return -2;

  ArgumentList list = {argc, argv};
  CallState call = {};
  call.arguments = &list;
  call.result = result;
  result->status = kQvStatusUntouched;
  CallState *outer = g_call;
  g_call = &call;
  result->code = record->handler(&call, &list, &result->status);
  g_call = outer;
  const CallLedger &ledger = call.ledger;
  NoteCallEnd(&call.ledger);
  result->set_result_calls = ledger.results;
  result->texts_fetched = ledger.handed_count;
  result->texts_released = ledger.released;
  result->texts_unreleased = ledger.unreleased;
  result->bad_releases = ledger.released_twice + ledger.released_unknown;
  result->calls_after_set_result = ledger.calls_after_result;
  FreeTexts(ledger);
  return 0;
}

QV_API int QvLookup(const char *name, int *minimum, int *maximum) {
  const HandlerRecord *record = Resolve(name);
  if (record == nullptr) return 0;
  *minimum = record->min_args;
  *maximum = record->max_args;
  return 1;
}

QV_API int QvLibraryCount() { return g_library_count; }

QV_API int QvDirectoryAt(int library, int index, QvDirectoryEntry *entry) {
  if (library < 0 || library >= g_library_count) return 0;
  const QvRegistration &r = g_libraries[library];
  const unsigned char *at = r.name_block + 1;
  for (int i = 0; *at != 0; ++i) {
    std::size_t n = *at++;
    if (i == index) {
      std::size_t shown = n < sizeof entry->name ? n : sizeof entry->name - 1;
      std::memcpy(entry->name, at, shown);
      entry->name[shown] = '\0';
      const HandlerRecord *record = static_cast<const HandlerRecord *>(r.handler_table) + i;
      entry->minimum = record->min_args;
      entry->maximum = record->max_args;
      entry->library_name = r.library_name;
      entry->resolves_here = Resolve(entry->name) == record;
      return 1;
    }
    at += n;
  }
  return 0;
}

QV_API void QvReset() {
  EnterCriticalSection(&g_lock);
  g_settings = Settings{};
  g_trace_count = 0;
  LeaveCriticalSection(&g_lock);
}

QV_API void QvSetDigits(std::int32_t digits) { g_settings.digits = digits; }
QV_API void QvFailFetchText(int argument) { g_settings.fail_fetch_text = argument; }
QV_API void QvFailFetchNumber(int fail, std::uint32_t code) {
  g_settings.fail_fetch_number = fail;
  g_settings.fetch_number_code = code;
}
QV_API void QvSetRegisterResult(std::uint32_t value) { g_settings.register_result = value; }
QV_API void QvSetBindingResult(std::uint32_t value) { g_settings.binding_result = value; }
QV_API void QvLeaveSlotEmpty(int slot) { g_settings.empty_slot = slot; }

QV_API void QvGetBinding(QvBinding *binding) { *binding = g_binding; }
QV_API void QvGetRegistration(QvRegistration *registration) { *registration = g_registration; }
QV_API int QvTraceCount() { return g_trace_count; }
QV_API int QvTraceAt(int index, QvTraceEntry *entry) {
  if (index < 0 || index >= g_trace_count) return 0;
  *entry = g_trace[index];
  return 1;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&g_lock);
  return TRUE;
}
