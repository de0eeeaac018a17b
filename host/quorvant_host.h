// The stand-in host interpreter: the least host the library's interface
// promises, plus controls and a trace for tests and the driver. It is its
// own DLL, "quorvant.dll", and is never linked into the library.
#pragma once

#include <cstdint>

#include "host_interface.h"

#if defined(QUORVANT_BUILD)
#define QV_API extern "C" __declspec(dllexport)
#else
#define QV_API extern "C" __declspec(dllimport)
#endif

// One callback call as the host saw it.
struct QvTraceEntry {
  int slot;
  std::uint32_t args[5]; // the call's arguments as 32-bit words
  char text[352];        // set result: copy of the result text; fetch: the text handed out
  std::uint32_t result;  // what the callback returned
};

// What the binding entry point was called with, and how often.
struct QvBinding {
  int calls;
  void *table;
  std::uint32_t size;
  std::uint32_t version;
};

// What the library gave at its last registration.
struct QvRegistration {
  int calls;
  std::uint32_t zero;
  const char *library_name;
  const unsigned char *name_block;
  const void *handler_table;
  std::uint32_t host_value;
};

// QvCallResult::status when the handler stored nothing in its status slot.
constexpr std::uint32_t kQvStatusUntouched = 0xDEADBEEFu;

// The outcome of one handler call made through QvCall.
struct QvCallResult {
  std::uint32_t code;         // what the handler returned
  std::uint32_t status;       // the status slot after the call
  std::uint32_t status_given; // what set result returned (0 if never called)
  int set_result_calls;
  int result_is_number; // flags kResultNumber
  std::uint32_t number; // the whole number of a number result
  char text[352];       // the result text (empty for a number)
  std::uint32_t text_length;
  int texts_fetched;
  int texts_released;
  int texts_unreleased;       // fetched but never released by the handler
  int bad_releases;           // released twice or never handed out
  int calls_after_set_result; // host calls made after set result
};

// One function of a registered directory.
struct QvDirectoryEntry {
  char name[32];
  int minimum; // argument count bounds
  int maximum;
  const char *library_name; // the name the library registered under
  int resolves_here;        // 0 when an earlier library registered the name
};

// Calls of the library's handlers go through the registered directories;
// a name resolves to the first library that registered it.
// Returns 0 on success, -1 when the name is not registered, -2 when the
// argument count is outside the function's bounds (the handler is not
// called then, as a real host would refuse the call).
QV_API int QvCall(const char *name, int argc, const char *const *argv, QvCallResult *result);

// The bounds of a registered name; 0 when no library registered it.
QV_API int QvLookup(const char *name, int *minimum, int *maximum);
// Registered directories, in the order of registration, and their entries.
QV_API int QvLibraryCount();
QV_API int QvDirectoryAt(int library, int index, QvDirectoryEntry *entry);

QV_API void QvReset();                                       // clears trace, faults and settings
QV_API void QvSetDigits(std::int32_t digits);                // NUMERIC DIGITS (default 9)
QV_API void QvFailFetchText(int argument);                   // fetch text gives null for it (0: none)
QV_API void QvFailFetchNumber(int fail, std::uint32_t code); // fetch number fails with code
QV_API void QvSetRegisterResult(std::uint32_t value);
QV_API void QvSetBindingResult(std::uint32_t value);
QV_API void QvLeaveSlotEmpty(int slot); // the next bindings leave it null (-1: none)

QV_API void QvGetBinding(QvBinding *binding);
QV_API void QvGetRegistration(QvRegistration *registration);
QV_API int QvTraceCount();
QV_API int QvTraceAt(int index, QvTraceEntry *entry);
