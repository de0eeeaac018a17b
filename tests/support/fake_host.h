// A fake host interpreter for calling handlers directly: it serves argument
// texts, NUMERIC DIGITS and a fetch-number answer, records every host call
// in order, and checks the rules of the boundary (each fetched text
// released exactly once and before the result, set result at most once and
// last, the right context and argument list passed through).
//
// Usage, per call:
//   FakeHost host;                 // defaults: no arguments, digits 9
//   host.args = {"1"};             // or SetArgs(...)
//   HostWord status = kUntouched;
//   HostWord code = RunHandler(host, SinHandler, &status);
//   ... host.calls, host.result, host.faults ...
//
// The state lives in the FakeHost object and is bound to the calling
// thread during RunHandler, so threads may each run their own. No gtest
// dependency: fuzzers and benchmarks (through RunTimed) use it too.
#pragma once

#include <cstddef>
#include <cstdint>

#include "call_rules.h"
#include "host_interface.h"

namespace fake_host {

constexpr int kMaxArguments = 4;
constexpr int kMaxCalls = 16;
constexpr std::size_t kMaxResultText = 512;

// Bits of FakeHost::faults: the host rules' own, then the fake's.
enum Fault : std::uint32_t {
  kReleasedTwice = kFaultReleasedTwice,
  kReleasedUnknown = kFaultReleasedUnknown,
  kNeverReleased = kFaultNeverReleased,
  kResultTwice = kFaultResultTwice,
  kCallAfterResult = kFaultCallAfterResult,
  kWrongContext = 1u << 5,      // call context not passed through
  kWrongArguments = 1u << 6,    // argument list not passed through
  kWrongSelector = 1u << 7,     // read setting with a selector other than kSettingDigits
  kWrongFetchNumber = 1u << 8,  // fetch number with other than kFetchFirstArgument
  kBadResult = 1u << 9,         // text result with a null text, or a number with a text
  kTooManyCalls = 1u << 10,     // more than kMaxCalls calls (not all recorded)
  kBadArgumentIndex = 1u << 11, // fetch text for argument 0 or beyond kMaxArguments
};

struct Call {
  int slot;
  HostWord index;   // fetch text: argument number; read setting: selector;
                    // fetch number: which
  const char *text; // fetch text: the text handed out (null on a forced
                    // null); release text: the text released; set result:
                    // the text passed
  HostWord length;  // set result
  HostWord flags;   // set result
};

struct FakeHost {
  // What the host serves. Arguments past arg_count are omitted: empty texts.
  const char *args[kMaxArguments] = {};
  int arg_count = 0;
  int null_argument = 0;             // fetch text of this argument gives null
  HostWord digits = 9;               // read setting kSettingDigits
  bool number_ok = true;             // fetch number succeeds ...
  HostWord number = 0;               // ... with this value, or fails
  HostWord number_code = 40;         // ... leaving this code
  bool number_code_written = true;   // ... or leaving the out value alone
  HostWord set_result_value = 0x5E7; // what set result returns

  // What the handler did.
  Call calls[kMaxCalls] = {};
  int call_count = 0;
  std::uint32_t faults = 0;
  bool has_result = false;
  char result[kMaxResultText + 1] = {}; // copy of the text result, NUL-terminated
  HostWord result_length = 0;
  HostWord result_flags = 0;
  HostWord result_number = 0; // number result (flags kResultNumber)

  // Texts handed out, each a fresh heap copy freed at its release, so a
  // read after release shows under AddressSanitizer.
  CallLedger ledger = {};

  FakeHost() = default;
  FakeHost(const FakeHost &) = delete;
  FakeHost &operator=(const FakeHost &) = delete;
  ~FakeHost();

  void SetArgs(const char *first);
  void SetArgs(const char *first, const char *second);
  // The result as a NUL-terminated text ("" when none or a number).
  const char *ResultText() const { return result; }
  // Calls of one slot, for checks that do not care about the others.
  int CountCalls(int slot) const;
};

// The opaque values that RunHandler passes and the fake checks.
extern char g_context_marker;
extern char g_arguments_marker;

// Fills g_host with the fake's callbacks (idempotent; other slots null).
void Install();

// Installs, binds `host` to this thread, calls the handler with the marker
// context and argument list, checks for unreleased texts, unbinds.
HostWord RunHandler(FakeHost &host, HandlerFn handler, HostWord *status);

// Timing: the same host with recording and checks switched off, for
// benchmarks. The FakeHost is the call context itself; fetched texts are
// the argument texts as they are, released by doing nothing; only the
// result is kept, so that what is timed is the handler's own work.
void InstallTimed();
inline HostWord RunTimed(FakeHost &host, HandlerFn handler, HostWord *status) {
  return handler(&host, &host, status);
}

// The names of the fault bits set in `faults`, for failure messages.
// Writes at most size - 1 characters and a NUL into out.
void DescribeFaults(std::uint32_t faults, char *out, std::size_t size);

} // namespace fake_host
