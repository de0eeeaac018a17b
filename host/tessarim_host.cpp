// tessarim-host: tries function libraries without the interpreter. It
// loads the stand-in host, then the libraries the interpreter would load
// (or the one given), registers each and calls functions by name.
//
//   tessarim-host [--digits N] [--library PATH] [--list] [--trace]
//                 [-f FILE | CALL...]
//   tessarim-host --help | -h | /?
//
// With no calls given, calls are read one per line from FILE or standard
// input (see call_line.h for the line syntax). It stops at the first
// error, with one line on standard error. Exit status: 0 all calls
// answered, 1 a call failed (unknown function, argument count outside the
// bounds, a handler's non-zero code), 2 bad usage or a malformed line, 3 a
// library could not be found, loaded or registered.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "call_line.h"
#include "library_list.h"
#include "quorvant_host.h"

namespace {

enum Status { kOk = 0, kCallFailed = 1, kUsage = 2, kNoLibrary = 3 };

// Files saved by Windows editors begin with it; it is no part of line 1.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kMarkLength = sizeof kByteOrderMark - 1;

constexpr int kMaxGivenLibraries = 16;

struct Options {
  int digits = 9;
  bool list = false;
  bool trace = false;
  const char *file = nullptr;
  const char *libraries[kMaxGivenLibraries];
  int library_count = 0;
  int first_call = 0; // index in argv of the first call, 0 when none
  bool help = false;
};

HostList g_host_list; // too big for the stack
CallLine g_line;

const char kUsageText[] =
    "tessarim-host [--digits N] [--library PATH] [--list] [--trace] [-f FILE | CALL...]";

// A printf format: the usage line, the most and the default digits, the
// most libraries, the host list's value prefix (twice) and key.
const char kHelpText[] = "usage: %s\n"
                         "Calls the functions of REXX function libraries as the interpreter would.\n"
                         "\n"
                         "  --digits N      NUMERIC DIGITS for the calls, 1 to %d (default %d)\n"
                         "  --library PATH  load this library (up to %d times) instead of the ones\n"
                         "                  the interpreter would: %s0, %s1, ... under\n"
                         "                  HKCU\\%s\n"
                         "  --list          print the registered functions: name, least and most\n"
                         "                  arguments, library\n"
                         "  --trace         print every callback a handler makes of the host\n"
                         "  -f FILE         read the calls from FILE, one per line\n"
                         "  -h, --help, /?  print this text\n"
                         "\n"
                         "A call is written as in a script: SIN(1), POW(2,10), PI. Without calls\n"
                         "or -f, calls are read one per line from standard input; a line may also\n"
                         "be NUMERIC DIGITS n, and # starts a comment.\n"
                         "\n"
                         "Exit status: 0 every call answered, 1 a call failed, 2 bad usage or a\n"
                         "malformed line, 3 a library could not be found, loaded or registered.\n";

int ParseOptions(int argc, char **argv, Options *options) {
  for (int i = 1; i < argc; ++i) {
    const char *arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "/?") == 0) {
      options->help = true;
      return kOk;
    }
    if (arg[0] != '-') {
      options->first_call = i;
      return kOk;
    }
    bool takes_value = std::strcmp(arg, "--digits") == 0 || std::strcmp(arg, "--library") == 0 ||
                       std::strcmp(arg, "-f") == 0;
    if (takes_value && i + 1 >= argc) {
      std::fprintf(stderr, "tessarim-host: %s needs a value\n", arg);
      return kUsage;
    }
    if (std::strcmp(arg, "--digits") == 0) {
      const char *value = argv[++i];
      if (!ParseDigitsValue(value, std::strlen(value), &options->digits)) {
        std::fprintf(stderr, "tessarim-host: --digits takes a whole number from 1 to %d, not \"%s\"\n",
                     kMaxDigitsSetting, value);
        return kUsage;
      }
    } else if (std::strcmp(arg, "--library") == 0) {
      if (options->library_count == kMaxGivenLibraries) {
        std::fprintf(stderr, "tessarim-host: at most %d --library options\n", kMaxGivenLibraries);
        return kUsage;
      }
      options->libraries[options->library_count++] = argv[++i];
    } else if (std::strcmp(arg, "-f") == 0) {
      options->file = argv[++i];
    } else if (std::strcmp(arg, "--list") == 0) {
      options->list = true;
    } else if (std::strcmp(arg, "--trace") == 0) {
      options->trace = true;
    } else {
      std::fprintf(stderr, "tessarim-host: unknown option %s (usage: %s)\n", arg, kUsageText);
      return kUsage;
    }
  }
  return kOk;
}

const char *SlotName(int slot) {
  switch (slot) {
  case kSlotSetResult:
    return "set result";
  case kSlotReleaseText:
    return "release text";
  case kSlotRegisterLibrary:
    return "register library";
  case kSlotReadSetting:
    return "read setting";
  case kSlotFetchText:
    return "fetch text";
  case kSlotFetchNumber:
    return "fetch number";
  default:
    return "unused slot";
  }
}

// Prints the trace entries from `first` on, one callback call a line.
void PrintTrace(int first) {
  QvTraceEntry e;
  for (int i = first; QvTraceAt(i, &e); ++i) {
    const unsigned *a = e.args;
    switch (e.slot) {
    case kSlotSetResult:
      if (a[3] & 0x80000000u)
        std::printf("  set result(context, null, %u, 0x%08X) -> 0x%08X\n", a[2], a[3], e.result);
      else
        std::printf("  set result(context, \"%s\", %u, 0x%08X) -> 0x%08X\n", e.text, a[2], a[3], e.result);
      break;
    case kSlotReleaseText:
      std::printf("  release text(\"%s\") -> %u\n", e.text, e.result);
      break;
    case kSlotRegisterLibrary:
      std::printf("  register library(%u, \"%s\", name block, handler table, %u) -> %u\n", a[0], e.text, a[4],
                  e.result);
      break;
    case kSlotReadSetting:
      std::printf("  read setting(context, %u) -> %u\n", a[1], e.result);
      break;
    case kSlotFetchText:
      if (e.result == 0)
        std::printf("  fetch text(context, arguments, %u) -> null\n", a[2]);
      else
        std::printf("  fetch text(context, arguments, %u) -> \"%s\"\n", a[2], e.text);
      break;
    case kSlotFetchNumber:
      std::printf("  fetch number(context, arguments, 0x%08X, out) -> %u\n", a[2], e.result);
      break;
    default:
      std::printf("  %s\n", SlotName(e.slot));
      break;
    }
  }
}

// The length of the insert (% and a number from 1 to 99, with or without a
// !format!) at `text`, which starts with %; 0 when none starts there.
std::size_t InsertLength(const char *text) {
  if (text[1] < '1' || text[1] > '9') return 0;
  std::size_t length = text[2] >= '0' && text[2] <= '9' ? 3 : 2;
  const char *close = text[length] == '!' ? std::strchr(text + length + 1, '!') : nullptr;
  return close != nullptr ? static_cast<std::size_t>(close - text) + 1 : length;
}

// The system's text for an error code about `subject`, on one line. It is
// formatted without inserts, for there are no arguments to give: each
// insert is left as it stands ("%1 is not a valid Win32 application"),
// and the subject takes its place.
void SystemMessage(DWORD code, const char *subject, char *out, DWORD size) {
  char text[256];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                           sizeof text, nullptr);
  text[n < sizeof text ? n : 0] = '\0';
  n = 0;
  for (const char *c = text; *c != 0 && n + 1 < size;) {
    std::size_t insert = *c == '%' ? InsertLength(c) : 0;
    if (insert == 0) out[n++] = *c++;
    for (const char *s = subject; insert != 0 && *s != 0 && n + 1 < size; ++s) out[n++] = *s;
    c += insert;
  }
  while (n > 0 && (out[n - 1] == '\r' || out[n - 1] == '\n' || out[n - 1] == ' ' || out[n - 1] == '.')) --n;
  out[n] = '\0';
  for (DWORD i = 0; i < n; ++i) {
    if (out[i] == '\r' || out[i] == '\n') out[i] = ' ';
  }
  if (n == 0) std::snprintf(out, size, "unknown error");
}

// One line for a library that cannot serve, with the system's last error.
int LibraryFailure(const char *path, const char *what) {
  DWORD code = GetLastError();
  char text[512];
  SystemMessage(code, path, text, sizeof text);
  std::fprintf(stderr, "tessarim-host: %s: %s: %s (error %lu)\n", path, what, text, code);
  return kNoLibrary;
}

int LoadAndRegister(const char *path, bool trace) {
  HMODULE module = LoadLibraryA(path);
  if (module == nullptr) return LibraryFailure(path, "does not load");
  using Feedback = unsigned(WINAPI *)(unsigned, unsigned);
  auto feedback =
      reinterpret_cast<Feedback>(reinterpret_cast<void *>(GetProcAddress(module, "RexxFeedback")));
  if (feedback == nullptr) return LibraryFailure(path, "has no RexxFeedback");
  int first = QvTraceCount();
  feedback(1, 0);
  if (trace) PrintTrace(first);
  return kOk;
}

int LoadLibraries(const Options &options) {
  if (options.library_count > 0) {
    for (int i = 0; i < options.library_count; ++i) {
      int status = LoadAndRegister(options.libraries[i], options.trace);
      if (status != kOk) return status;
    }
    return kOk;
  }
  char error[300];
  if (!ReadHostList(&g_host_list, error, sizeof error)) {
    std::fprintf(stderr, "tessarim-host: %s\n", error);
    return kNoLibrary;
  }
  if (g_host_list.count == 0) {
    std::fprintf(stderr, "tessarim-host: no function library: HKCU\\Software\\Quorvant has no Func0 "
                         "(install one, or give --library PATH)\n");
    return kNoLibrary;
  }
  for (int i = 0; i < g_host_list.count; ++i) {
    int status = LoadAndRegister(g_host_list.paths[i], options.trace);
    if (status != kOk) return status;
  }
  return kOk;
}

void PrintDirectory() {
  for (int library = 0; library < QvLibraryCount(); ++library) {
    QvDirectoryEntry e;
    for (int i = 0; QvDirectoryAt(library, i, &e); ++i) {
      std::printf("%-6s %d %d %s%s\n", e.name, e.minimum, e.maximum,
                  e.library_name != nullptr ? e.library_name : "",
                  e.resolves_here ? "" : " (shadowed by an earlier library)");
    }
  }
}

// Where a failing call came from, for its message.
struct Origin {
  const char *what; // "line" or "call" (the calls given as arguments)
  int number;
};

int RunCall(const CallLine &line, const char *written, int length, int digits, Origin origin, bool trace) {
  int minimum = 0, maximum = 0;
  if (!QvLookup(line.name, &minimum, &maximum)) {
    std::fprintf(stderr, "tessarim-host: %s %d: %.*s: unknown function %s\n", origin.what, origin.number,
                 length, written, line.name);
    return kCallFailed;
  }
  if (line.argument_count < minimum || line.argument_count > maximum) {
    char bounds[32];
    if (minimum == maximum)
      std::snprintf(bounds, sizeof bounds, "%d", minimum);
    else
      std::snprintf(bounds, sizeof bounds, "%d to %d", minimum, maximum);
    std::fprintf(stderr, "tessarim-host: %s %d: %.*s: %s takes %s argument%s, not %d\n", origin.what,
                 origin.number, length, written, line.name, bounds, maximum == 1 ? "" : "s",
                 line.argument_count);
    return kCallFailed;
  }
  QvReset();
  QvSetDigits(digits);
  QvCallResult result;
  QvCall(line.name, line.argument_count, line.arguments, &result);
  if (trace) PrintTrace(0);
  if (result.code != 0) {
    std::fprintf(stderr, "tessarim-host: %s %d: %.*s: the handler returned code %u\n", origin.what,
                 origin.number, length, written, result.code);
    return kCallFailed;
  }
  if (result.result_is_number)
    std::printf("%.*s = %u\n", length, written, result.number);
  else
    std::printf("%.*s = %s\n", length, written, result.text);
  // Answers reach a program on the other end of a pipe line by line.
  std::fflush(stdout);
  return kOk;
}

int RunArguments(int argc, char **argv, const Options &options) {
  for (int i = options.first_call; i < argc; ++i) {
    std::size_t length = std::strlen(argv[i]);
    const int number = i - options.first_call + 1;
    if (ParseCallLine(argv[i], length, &g_line) != kLineCall) {
      std::fprintf(stderr, "tessarim-host: call %d: %s: malformed: %s\n", number, argv[i],
                   g_line.error != nullptr ? g_line.error : "not a call");
      return kUsage;
    }
    int status = RunCall(g_line, argv[i] + g_line.statement_begin,
                         static_cast<int>(g_line.statement_end - g_line.statement_begin), options.digits,
                         Origin{"call", number}, options.trace);
    if (status != kOk) return status;
  }
  return kOk;
}

// Reads one line into `buffer` (line end and a carriage return before it
// dropped; for the first line, a byte order mark too). A line longer than
// kMaxLineLength is consumed whole and reported as kMaxLineLength + 1
// bytes. False at the end of the input.
bool ReadLine(std::FILE *in, bool first, char *buffer, std::size_t *length) {
  // Room for the mark as well, so that it cannot hide an overlong line.
  const std::size_t stored_max = kMaxLineLength + 1 + (first ? kMarkLength : 0);
  std::size_t n = 0;
  bool any = false;
  int c;
  while ((c = std::getc(in)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (n < stored_max) buffer[n++] = static_cast<char>(c);
  }
  if (!any) return false;
  if (first && n >= kMarkLength && std::memcmp(buffer, kByteOrderMark, kMarkLength) == 0) {
    n -= kMarkLength;
    std::memmove(buffer, buffer + kMarkLength, n);
  }
  if (n > kMaxLineLength)
    n = kMaxLineLength + 1;
  else if (n > 0 && buffer[n - 1] == '\r')
    --n;
  *length = n;
  return true;
}

int RunLines(std::FILE *in, int digits, bool trace) {
  static char buffer[kMaxLineLength + 1 + kMarkLength];
  std::size_t length = 0;
  for (int number = 1; ReadLine(in, number == 1, buffer, &length); ++number) {
    LineKind kind = ParseCallLine(buffer, length, &g_line);
    int written = static_cast<int>(g_line.statement_end - g_line.statement_begin);
    const char *statement = buffer + g_line.statement_begin;
    if (kind == kLineMalformed) {
      std::fprintf(stderr, "tessarim-host: line %d: malformed: %s\n", number, g_line.error);
      return kUsage;
    }
    if (kind == kLineDigits) {
      digits = g_line.digits;
      std::printf("%.*s\n", written, statement);
    } else if (kind == kLineCall) {
      int status = RunCall(g_line, statement, written, digits, Origin{"line", number}, trace);
      if (status != kOk) return status;
    }
  }
  if (std::ferror(in)) {
    std::fprintf(stderr, "tessarim-host: read error\n");
    return kUsage;
  }
  return kOk;
}

} // namespace

int main(int argc, char **argv) {
  // No system boxes for a library that cannot be found or is damaged: a
  // failed load is reported on standard error.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  Options options;
  int status = ParseOptions(argc, argv, &options);
  if (status != kOk) return status;
  if (options.help) {
    std::printf(kHelpText, kUsageText, kMaxDigitsSetting, Options().digits, kMaxGivenLibraries,
                kHostValuePrefix, kHostValuePrefix, kHostKey);
    return kOk;
  }
  if (options.file != nullptr && options.first_call != 0) {
    std::fprintf(stderr, "tessarim-host: give calls or -f FILE, not both\n");
    return kUsage;
  }
  std::FILE *in = stdin;
  if (options.file != nullptr) {
    in = std::fopen(options.file, "rb");
    if (in == nullptr) {
      std::fprintf(stderr, "tessarim-host: %s: cannot be opened\n", options.file);
      return kUsage;
    }
  } else {
    _setmode(_fileno(stdin), _O_BINARY); // a Ctrl-Z byte is no end of input
  }

  status = LoadLibraries(options);
  if (status == kOk && options.list) PrintDirectory();
  if (status == kOk) {
    if (options.first_call != 0)
      status = RunArguments(argc, argv, options);
    else if (options.file != nullptr || !options.list)
      status = RunLines(in, options.digits, options.trace);
  }
  std::fflush(stdout);
  if (in != stdin) std::fclose(in);
  return status;
}
