// Calls per second under Wine, through the real tessarim.dll and the
// stand-in host, beside the same handler code linked into this program, so
// that the cost of the DLL itself shows. Per case:
//   dll      QvCall through the stand-in host into tessarim.dll
//   exe      QvCall through the same host into this program's own copy of
//            the handlers (same sources, statically linked)
//   host     QvCall into a handler that makes the same host calls and
//            computes nothing: the stand-in host's own cost
//   direct   the handler alone through the timing host (no trace, no lock)
//   naive    strtod + libm + the C runtime's _snprintf through the timing host
//   t-host   the handler that computes nothing, through the timing host:
//            the timing host's own cost, which direct and naive both pay
//   own      (direct - t-host) / (naive - t-host): the handlers' own work
// dll - exe is what being a DLL costs; dll - host is the library's work.
//
// Each figure is the median of --rounds rounds (default 3), the rounds
// interleaved so that a burst of load elsewhere hits one round, not one
// column.
//
//   tessarim_wine_bench [--seconds S] [--rounds N] [--library PATH]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_cases.h"
#include "function_lookup.h"
#include "host_only_handlers.h"
#include "naive_handlers.h"
#include "previous_formulas.h"
#include "processor_name.h"
#include "quorvant_host.h"
#include "shared_data.h"

namespace {

double g_seconds = 0.1;
int g_rounds = 3;
constexpr int kMaxRounds = 15;
LARGE_INTEGER g_frequency;

double Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(g_frequency.QuadPart);
}

// Runs `call` in batches until g_seconds have passed; nanoseconds per call.
template <typename F> double TimePerCall(F call) {
  for (int i = 0; i < 200; ++i) call(); // warm caches and the emulator's translations
  long long calls = 0;
  const double start = Now();
  double elapsed = 0;
  do {
    for (int i = 0; i < 500; ++i) call();
    calls += 500;
    elapsed = Now() - start;
  } while (elapsed < g_seconds);
  return elapsed * 1e9 / static_cast<double>(calls);
}

// The stand-in host's argument list: null entries are omitted arguments.
int HostArguments(const BenchCase &c, const char **argv) {
  for (int i = 0; i < c.arg_count; ++i) argv[i] = c.args[i];
  return c.arg_count;
}

double ThroughHost(const char *name, const BenchCase &c, HostWord digits, bool *ok) {
  const char *argv[2] = {};
  const int argc = HostArguments(c, argv);
  QvSetDigits(static_cast<std::int32_t>(digits));
  QvCallResult result;
  *ok = QvCall(name, argc, argv, &result) == 0 && result.code == 0 && result.set_result_calls == 1 &&
        result.texts_unreleased == 0 && result.bad_releases == 0;
  return TimePerCall([&] { QvCall(name, argc, argv, &result); });
}

double Direct(HandlerFn handler, const BenchCase &c, HostWord digits) {
  fake_host::FakeHost call;
  Prepare(call, c, digits);
  HostWord status = 0;
  return TimePerCall([&] { fake_host::RunTimed(call, handler, &status); });
}

// The handlers that compute nothing, registered with the stand-in host.
// Names in ascending order, as the host expects.
const unsigned char kNullNames[] = "\0\2NA\2NF\2NO\2NT";
const HandlerRecord kNullTable[] = {
    {0, HostOnlyNoArgument, 0, 0},
    {0, HostOnlyFact, 1, 1},
    {0, HostOnlyOneArgument, 1, 1},
    {0, HostOnlyTwoArguments, 1, 2},
};

const char *NullName(const BenchCase &c) {
  if (std::strcmp(c.function, "PI") == 0) return "NA";
  if (std::strcmp(c.function, "FACT") == 0) return "NF";
  if (std::strcmp(c.function, "ATAN") == 0 || std::strcmp(c.function, "POW") == 0) return "NT";
  return "NO";
}

struct Row {
  double dll[kMaxRounds], exe[kMaxRounds], host[kMaxRounds], direct[kMaxRounds], naive[kMaxRounds],
      timing_host[kMaxRounds];
  bool ok;
};

double Median(const double *values, int count) {
  double sorted[kMaxRounds];
  for (int i = 0; i < count; ++i) { // insertion sort: a handful of values
    int j = i;
    for (; j > 0 && sorted[j - 1] > values[i]; --j) sorted[j] = sorted[j - 1];
    sorted[j] = values[i];
  }
  return count % 2 ? sorted[count / 2] : (sorted[count / 2 - 1] + sorted[count / 2]) / 2;
}

} // namespace

int main(int argc, char **argv) {
  const char *library = "tessarim.dll";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--seconds") == 0)
      g_seconds = std::atof(argv[i + 1]);
    else if (std::strcmp(argv[i], "--rounds") == 0)
      g_rounds = std::atoi(argv[i + 1]);
    else if (std::strcmp(argv[i], "--library") == 0)
      library = argv[i + 1];
  }
  g_rounds = std::max(1, std::min(g_rounds, kMaxRounds));
  QueryPerformanceFrequency(&g_frequency);

  // This program's own copy of the handlers binds to the host as the DLL
  // does; the DLL binds itself when it loads.
  using Binding = HostWord(WINAPI *)(HostCallbackTable *, HostWord, HostWord);
  auto bind = reinterpret_cast<Binding>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("quorvant.dll"), "RexxGetQuorvantFuncs")));
  HMODULE module = LoadLibraryA(library);
  if (bind == nullptr || module == nullptr) {
    std::fprintf(stderr, "cannot load %s or find the host's binding entry\n", library);
    return 2;
  }
  using Feedback = HostWord(WINAPI *)(HostWord, HostWord);
  auto feedback =
      reinterpret_cast<Feedback>(reinterpret_cast<void *>(GetProcAddress(module, "RexxFeedback")));
  if (feedback == nullptr) return 2;
  HostCallbackTable host_table = {};
  bind(&host_table, kHostTableSize, kHostInterfaceVersion);

  // The host keeps a trace of its first 20000 callback calls; fill it first,
  // so that every figure sees the same host (a lock, no trace copy).
  feedback(1, 0);
  {
    QvCallResult result;
    for (int i = 0; i < 12000; ++i) QvCall("PI", 0, nullptr, &result);
  }

  static Row rows[kBenchCaseCount][2] = {};
  for (auto &pair : rows)
    for (Row &row : pair) row.ok = true;
  for (int round = 0; round < g_rounds; ++round) {
    for (int i = 0; i < kBenchCaseCount; ++i) {
      const BenchCase &c = kBenchCases[i];
      for (int d = 0; d < 2; ++d) {
        Row &row = rows[i][d];
        const HostWord digits = kBenchDigits[d];
        bool ok_dll = false, ok_exe = false, ok_null = false;

        feedback(1, 0); // the DLL's directory
        row.dll[round] = ThroughHost(c.function, c, digits, &ok_dll);

        g_host = host_table; // this program's handlers, through the same host
        host_table.register_library(0, g_shared.library_name, g_shared.name_block.bytes, kHandlerTable, 0);
        row.exe[round] = ThroughHost(c.function, c, digits, &ok_exe);

        host_table.register_library(0, "null", kNullNames, kNullTable, 0);
        row.host[round] = ThroughHost(NullName(c), c, digits, &ok_null);

        fake_host::InstallTimed();
        row.direct[round] = Direct(FindFunction(c.function)->handler, c, digits);
        HandlerFn naive = FindNaiveHandler(c.function);
        row.naive[round] = naive != nullptr ? Direct(naive, c, digits) : 0;
        row.timing_host[round] = Direct(HostOnlyHandler(c.function), c, digits);
        row.ok = row.ok && ok_dll && ok_exe && ok_null;
      }
    }
  }

  char processor[96];
  DescribeProcessor(processor, sizeof processor);
  std::printf("Processor: %s\n", processor);
  std::printf("Calls through the stand-in host under Wine (median of %d rounds of %.2f s per figure)\n",
              g_rounds, g_seconds);
  std::printf("%-5s %-5s %3s %12s %9s %9s %9s %9s %9s %9s %9s %6s\n", "call", "text", "d", "dll calls/s",
              "dll ns", "exe ns", "host ns", "direct ns", "naive ns", "dll-exe", "t-host ns", "own");
  bool all_ok = true;
  for (int i = 0; i < kBenchCaseCount; ++i) {
    for (int d = 0; d < 2; ++d) {
      const Row &row = rows[i][d];
      const double dll = Median(row.dll, g_rounds), exe = Median(row.exe, g_rounds);
      const double naive = Median(row.naive, g_rounds), direct = Median(row.direct, g_rounds);
      const double timing_host = Median(row.timing_host, g_rounds);
      char naive_text[16] = "-", own_text[16] = "-";
      if (naive > 0) {
        std::snprintf(naive_text, sizeof naive_text, "%.0f", naive);
        std::snprintf(own_text, sizeof own_text, "%.3f", (direct - timing_host) / (naive - timing_host));
      }
      std::printf("%-5s %-5s %3u %12.0f %9.0f %9.0f %9.0f %9.0f %9s %+8.1f%% %9.0f %6s%s\n",
                  kBenchCases[i].function, kBenchCases[i].length, static_cast<unsigned>(kBenchDigits[d]),
                  1e9 / dll, dll, exe, Median(row.host, g_rounds), direct, naive_text,
                  100 * (dll - exe) / exe, timing_host, own_text, row.ok ? "" : "  (call failed)");
      all_ok = all_ok && row.ok;
    }
  }

  // What the exact forms cost in this build (32-bit products only): each
  // handler against the one it replaced, interleaved rounds.
  std::printf("\nThrough the timing host: handlers against their previous versions\n");
  std::printf("%-5s %-5s %3s %9s %11s %7s %9s %6s\n", "call", "text", "d", "ns", "previous ns", "ratio",
              "t-host ns", "own");
  fake_host::InstallTimed();
  for (int i = 0; i < kBenchCaseCount; ++i) {
    const BenchCase &c = kBenchCases[i];
    const PreviousHandler *previous = FindPreviousHandler(c.function);
    if (previous == nullptr) continue;
    for (int d = 0; d < 2; ++d) {
      double now[kMaxRounds], before[kMaxRounds], host_only[kMaxRounds];
      for (int round = 0; round < g_rounds; ++round) {
        now[round] = Direct(FindFunction(c.function)->handler, c, kBenchDigits[d]);
        before[round] = Direct(previous->handler, c, kBenchDigits[d]);
        host_only[round] = Direct(HostOnlyHandler(c.function), c, kBenchDigits[d]);
      }
      const double a = Median(now, g_rounds), b = Median(before, g_rounds), h = Median(host_only, g_rounds);
      std::printf("%-5s %-5s %3u %9.0f %11.0f %7.3f %9.0f %6.3f\n", c.function, c.length,
                  static_cast<unsigned>(kBenchDigits[d]), a, b, a / b, h, (a - h) / (b - h));
    }
  }
  return all_ok ? 0 : 1;
}
