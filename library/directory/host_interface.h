// The host interpreter's side of the boundary: its callback table, the
// handler signature and the codes a handler returns.
//
// Every entry point that crosses the boundary, either way, uses the Windows
// API calling convention (callee pops); values are 32-bit. The portable core
// also builds natively on x86-64 Linux for unit tests, where the calling
// convention attribute does not exist and pointers are 64-bit: the layout
// checks below that name 84 bytes hold for the 32-bit build only.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__i386__)
#define TESSARIM_CALL __attribute__((stdcall))
#else
#define TESSARIM_CALL
#endif

// Values that cross the boundary as 32-bit words.
using HostWord = std::uint32_t;

// Slot 5. Flags kResultText: the result is the first `length` bytes of
// `text` (copied during the call). Flags kResultNumber with a null text: the
// result is `length` itself, an unsigned whole number. Returns the value
// the handler stores in its status slot.
using SetResultFn = HostWord(TESSARIM_CALL *)(void *context, const char *text, HostWord length,
                                              HostWord flags);
// Slot 6. Frees a text that fetch text handed out; the result means nothing.
using ReleaseTextFn = HostWord(TESSARIM_CALL *)(const char *text);
// Slot 7. Registers the function directory; the result goes back to the host.
using RegisterLibraryFn = HostWord(TESSARIM_CALL *)(HostWord zero, const char *library_name,
                                                    const unsigned char *name_block,
                                                    const void *handler_table, HostWord host_value);
// Slot 14. Selector kSettingDigits gives the script's NUMERIC DIGITS.
using ReadSettingFn = HostWord(TESSARIM_CALL *)(void *context, HostWord selector);
// Slot 15. Argument `index` (first = 1) as a NUL-terminated text owned by the
// host, or null on failure. An omitted argument is an empty text.
using FetchTextFn = const char *(TESSARIM_CALL *)(void *context, void *arguments, HostWord index);
// Slot 17. Non-zero: *out holds the argument as an unsigned whole number.
// Zero: *out holds the code the handler must return.
using FetchNumberFn = HostWord(TESSARIM_CALL *)(void *context, void *arguments, HostWord which,
                                                HostWord *out);

using HostEntry = void(TESSARIM_CALL *)();

// The numbers of the slots the library calls (byte offset = 4 x number).
enum HostSlot : int {
  kSlotSetResult = 5,
  kSlotReleaseText = 6,
  kSlotRegisterLibrary = 7,
  kSlotReadSetting = 14,
  kSlotFetchText = 15,
  kSlotFetchNumber = 17,
};

// The 21-slot table that the binding entry point fills. Slots the library
// never calls stay as opaque entries.
struct HostCallbackTable {
  HostEntry unused0_4[5];
  SetResultFn set_result;             // slot 5
  ReleaseTextFn release_text;         // slot 6
  RegisterLibraryFn register_library; // slot 7
  HostEntry unused8_13[6];
  ReadSettingFn read_setting; // slot 14
  FetchTextFn fetch_text;     // slot 15
  HostEntry unused16;
  FetchNumberFn fetch_number; // slot 17
  HostEntry unused18_20[3];
};

constexpr std::size_t kHostSlotCount = 21;
static_assert(sizeof(HostCallbackTable) == kHostSlotCount * sizeof(void *), "21 slots, no padding");
static_assert(offsetof(HostCallbackTable, set_result) == kSlotSetResult * sizeof(void *), "set result");
static_assert(offsetof(HostCallbackTable, release_text) == kSlotReleaseText * sizeof(void *), "release text");
static_assert(offsetof(HostCallbackTable, register_library) == kSlotRegisterLibrary * sizeof(void *),
              "register library");
static_assert(offsetof(HostCallbackTable, read_setting) == kSlotReadSetting * sizeof(void *), "read setting");
static_assert(offsetof(HostCallbackTable, fetch_text) == kSlotFetchText * sizeof(void *), "fetch text");
static_assert(offsetof(HostCallbackTable, fetch_number) == kSlotFetchNumber * sizeof(void *), "fetch number");
#if defined(__i386__)
static_assert(sizeof(HostCallbackTable) == 84, "the host fills exactly 84 bytes");
#endif

constexpr HostWord kHostTableSize = 84;
constexpr HostWord kHostInterfaceVersion = 271;

constexpr HostWord kResultText = 0x10000000u;
constexpr HostWord kResultNumber = 0x80000000u;
constexpr HostWord kSettingDigits = 4;
constexpr HostWord kFetchFirstArgument = 0x80000001u;

// Handler codes.
constexpr HostWord kCodeOk = 0;
constexpr HostWord kCodeNoText = 5;

// A REXX function's entry point: (call context, argument list, status slot).
using HandlerFn = HostWord(TESSARIM_CALL *)(void *context, void *arguments, HostWord *status);

// The table the library calls through. Filled once at process attach (or by
// a test's fake host), read-only afterwards.
extern HostCallbackTable g_host;
