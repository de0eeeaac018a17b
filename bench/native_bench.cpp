// Native benchmarks: each handler per call through the fake host with
// recording off, the two number-text conversions alone, and the plain
// baselines (strtod, snprintf, a naive strtod + libm + snprintf handler,
// and the handlers that exact forms replaced) in the same run. The
// timing host's own cost is timed too, through a handler that makes the
// same host calls and computes nothing. After the run, a table of the
// ratios against the targets, with the ratios of the handlers' own work
// (each time less the host's) beside them.
//
//   build/native/bench/tessarim_bench [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench_cases.h"
#include "function_lookup.h"
#include "host_only_handlers.h"
#include "naive_handlers.h"
#include "number_text.h"
#include "previous_formulas.h"
#include "processor_name.h"
#include "trig_reduction.h"
#include "x87_precision.h"

namespace {

// Texts as scripts pass them: whole numbers, short decimals, results of
// earlier calls at 9 and 17 digits, exponents, extremes, long texts.
const char *const kTexts[] = {
    "1",
    "0",
    "-2.5",
    "100",
    "0.5",
    "3.14159",
    "42",
    "1e10",
    "1.5e-7",
    "0.841470985",
    "2.71828183",
    "123456789",
    "0.1",
    "-0.001",
    "6.02214076e23",
    "1024",
    "0.84147098480789650",
    "1.2345678901234567",
    "-7.3890560989306495",
    "9007199254740993",
    "1.7976931348623157e308",
    "2.2250738585072014e-308",
    "4.9406564584124654e-324",
    "1.2345678901234567890123456789012",
    "12345.678901234567890123456789012",
    "-3.3333333333333333333333333333333",
    "0.000012345678901234567890123",
    "  17",
    "65536",
    "2.0000000000000004",
    "1.0e-100",
    "-987654.321",
};
constexpr std::size_t kTextCount = sizeof kTexts / sizeof kTexts[0];
static_assert((kTextCount & (kTextCount - 1)) == 0, "a power of two, for the index mask");

// Doubles spread over the whole range: random bit patterns of finite
// values of both signs (so every binary exponent is as likely), and a
// quarter of ordinary results.
constexpr std::size_t kDoubleCount = 64;
double g_doubles[kDoubleCount];

void MakeDoubles() {
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  std::size_t i = 0;
  while (i < kDoubleCount * 3 / 4) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    const std::uint64_t bits = state ^ (state >> 29);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value) && value != 0) g_doubles[i++] = value;
  }
  const double ordinary[] = {0.8414709848078965,
                             1024,
                             1.0 / 3,
                             -2.5,
                             0.1,
                             2.718281828459045,
                             1e-5,
                             123456789,
                             0.5403023058681398,
                             1.4142135623730951,
                             -0.75,
                             3.0e8,
                             6.02214076e23,
                             1.0 / 7,
                             100,
                             7.25741561530799896e306};
  for (double v : ordinary) g_doubles[i++] = v;
}

HandlerFn Handler(const char *name) {
  const HandlerRecord *record = FindFunction(name);
  return record != nullptr ? record->handler : nullptr;
}

// Reads a result text back as a number; FACT's whole number as itself.
double ResultValue(const fake_host::FakeHost &host) {
  if (host.result_flags == kResultNumber) return host.result_number;
  if (std::strcmp(host.result, "1.#INF") == 0) return HUGE_VAL;
  return std::strtod(host.result, nullptr);
}

// The C runtime function that checks a handler with no naive counterpart.
double (*CheckingFunction(const char *name))(double) {
  if (std::strcmp(name, "ASINH") == 0) return std::asinh;
  if (std::strcmp(name, "ATANH") == 0) return std::atanh;
  if (std::strcmp(name, "ACOSH") == 0) return std::acosh;
  return nullptr;
}

// Before timing: the handler must answer, and agree with the naive handler
// (or a known value) to the digits asked for; otherwise the figure would
// measure a broken path.
bool CheckHandler(const BenchCase &c, HostWord digits, HandlerFn handler, std::string *why) {
  fake_host::FakeHost call;
  Prepare(call, c, digits);
  HostWord status = 0;
  if (fake_host::RunTimed(call, handler, &status) != kCodeOk) {
    *why = "handler failed";
    return false;
  }
  double expected;
  if (HandlerFn naive = FindNaiveHandler(c.function)) {
    fake_host::FakeHost plain;
    Prepare(plain, c, 17);
    fake_host::RunTimed(plain, naive, &status);
    expected = ResultValue(plain);
  } else if (double (*function)(double) = CheckingFunction(c.function)) {
    expected = function(std::strtod(c.args[0], nullptr));
  } else if (std::strcmp(c.function, "FACT") == 0) {
    expected = std::round(std::exp(std::lgamma(static_cast<double>(c.number) + 1)));
  } else {
    expected = 3.14159265358979323846;
  }
  const double actual = ResultValue(call);
  const double tolerance = digits >= 17 ? 1e-12 : 1e-7;
  if (!(std::fabs(actual - expected) <= tolerance * std::fabs(expected))) {
    *why = std::string("unexpected result ") + call.ResultText();
    return false;
  }
  return true;
}

// A handler call through the timing host; its result checked first unless
// the handler only makes the host calls.
void HandlerCall(benchmark::State &state, const BenchCase *c, HostWord digits, HandlerFn handler,
                 bool check_result) {
  fake_host::InstallTimed();
  const WindowsPrecision precision; // the x87 setting of a Windows thread
  std::string why;
  if (check_result && !CheckHandler(*c, digits, handler, &why)) {
    state.SkipWithError(why.c_str());
    return;
  }
  fake_host::FakeHost call;
  Prepare(call, *c, digits);
  HostWord status = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(fake_host::RunTimed(call, handler, &status));
    benchmark::ClobberMemory();
  }
}

void TextToNumberAlone(benchmark::State &state) {
  for (const char *text : kTexts) {
    if (TextToNumber(text) != std::strtod(text, nullptr)) {
      state.SkipWithError((std::string("TextToNumber disagrees with strtod on ") + text).c_str());
      return;
    }
  }
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(TextToNumber(kTexts[i]));
    i = (i + 1) & (kTextCount - 1);
  }
}

void Strtod(benchmark::State &state) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::strtod(kTexts[i], nullptr));
    i = (i + 1) & (kTextCount - 1);
  }
}

void NumberToTextAlone(benchmark::State &state, int precision) {
  char text[kNumberTextMax];
  for (double value : g_doubles) {
    NumberToText(value, 17, text, sizeof text);
    if (std::strtod(text, nullptr) != value) {
      state.SkipWithError((std::string("NumberToText does not round-trip: ") + text).c_str());
      return;
    }
  }
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(NumberToText(g_doubles[i], precision, text, sizeof text));
    benchmark::ClobberMemory();
    i = (i + 1) & (kDoubleCount - 1);
  }
}

// The reduction alone, for one argument of each path.
void ReduceAlone(benchmark::State &state, double x) {
  for (auto _ : state) {
    const ReducedAngle a = ReduceAngle(x);
    benchmark::DoNotOptimize(a.quadrant);
    benchmark::DoNotOptimize(a.angle);
  }
}

void Snprintf(benchmark::State &state, const char *format) {
  char text[64];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::snprintf(text, sizeof text, format, g_doubles[i]));
    benchmark::ClobberMemory();
    i = (i + 1) & (kDoubleCount - 1);
  }
}

std::string CaseName(const char *kind, const BenchCase &c, HostWord digits) {
  return std::string(kind) + "/" + c.function + "/d" + std::to_string(digits) + "/" + c.length;
}

void RegisterAll() {
  for (const BenchCase &c : kBenchCases) {
    for (HostWord digits : kBenchDigits) {
      benchmark::RegisterBenchmark(CaseName("handler", c, digits).c_str(), HandlerCall, &c, digits,
                                   Handler(c.function), true);
      benchmark::RegisterBenchmark(CaseName("host", c, digits).c_str(), HandlerCall, &c, digits,
                                   HostOnlyHandler(c.function), false);
      if (HandlerFn naive = FindNaiveHandler(c.function))
        benchmark::RegisterBenchmark(CaseName("naive", c, digits).c_str(), HandlerCall, &c, digits, naive,
                                     true);
      if (const PreviousHandler *previous = FindPreviousHandler(c.function))
        benchmark::RegisterBenchmark(CaseName("previous", c, digits).c_str(), HandlerCall, &c, digits,
                                     previous->handler, true);
    }
  }
  benchmark::RegisterBenchmark("reduce/moderate/1", ReduceAlone, 1.0);
  benchmark::RegisterBenchmark("reduce/moderate/1e15", ReduceAlone, 1e15);
  benchmark::RegisterBenchmark("reduce/window/1e22", ReduceAlone, 1e22);
  benchmark::RegisterBenchmark("convert/TextToNumber", TextToNumberAlone);
  benchmark::RegisterBenchmark("baseline/strtod", Strtod);
  benchmark::RegisterBenchmark("convert/NumberToText/p9", NumberToTextAlone, 9);
  benchmark::RegisterBenchmark("convert/NumberToText/p17", NumberToTextAlone, 17);
  benchmark::RegisterBenchmark("baseline/snprintf/%.9g", Snprintf, "%.9g");
  benchmark::RegisterBenchmark("baseline/snprintf/%.17g", Snprintf, "%.17g");
}

// Keeps each benchmark's CPU time per iteration in nanoseconds: the median of
// the repetitions when there are several.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const Run &run : runs) {
      if (run.error_occurred) continue;
      const std::string name = run.run_name.str();
      // CPU time: on a shared machine the wall clock also counts the time
      // other processes held the core.
      const double ns = run.GetAdjustedCPUTime() * ToNanoseconds(run.time_unit);
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median") median_[name] = ns;
      } else {
        single_[name] = ns;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Median when repeated, else the one run; negative when missing.
  double Nanoseconds(const std::string &name) const {
    auto m = median_.find(name);
    if (m != median_.end()) return m->second;
    auto s = single_.find(name);
    return s != single_.end() ? s->second : -1;
  }

 private:
  static double ToNanoseconds(benchmark::TimeUnit unit) {
    switch (unit) {
    case benchmark::kSecond:
      return 1e9;
    case benchmark::kMillisecond:
      return 1e6;
    case benchmark::kMicrosecond:
      return 1e3;
    default:
      return 1;
    }
  }
  std::map<std::string, double> median_;
  std::map<std::string, double> single_;
};

// One line of the ratio table; returns false when the target is missed.
// With `host` (the timing host's own cost for the same calls) the line also
// gives that cost and the ratio of the two sides' own work, each time less
// the host's: the target is set on whole calls, but the host's share pulls
// every ratio toward 1.
bool PrintRatio(const RatioReporter &r, const std::string &name, const std::string &against, double target,
                const char *target_text, const std::string &host = std::string()) {
  const double ns = r.Nanoseconds(name), base = r.Nanoseconds(against);
  if (ns < 0 || base <= 0) {
    std::printf("%-34s %-30s      (not measured)\n", name.c_str(), against.c_str());
    return false;
  }
  const double ratio = ns / base;
  const bool met = ratio <= target;
  std::printf("%-34s %8.1f ns  %-26s %8.1f ns  %5.3f  %-5s %-6s", name.c_str(), ns, against.c_str(), base,
              ratio, target_text, met ? "met" : "MISSED");
  const double host_ns = host.empty() ? -1 : r.Nanoseconds(host);
  if (host_ns >= 0 && base > host_ns)
    std::printf("  %6.1f ns  %5.3f", host_ns, (ns - host_ns) / (base - host_ns));
  std::printf("\n");
  return met;
}

void PrintRatios(const RatioReporter &r) {
  std::printf("\nRatios against the targets (CPU time / baseline CPU time; medians when repeated)\n");
  std::printf(
      "host: the timing host's own cost for the same host calls; own: (time - host) / (baseline - host)\n");
  std::printf("%-34s %11s  %-26s %11s  %5s  %-5s %-6s  %9s  %5s\n", "measured", "time", "baseline", "time",
              "ratio", "tgt", "", "host", "own");
  int missed = 0, total = 0;
  for (const BenchCase &c : kBenchCases) {
    if (FindNaiveHandler(c.function) == nullptr) continue;
    for (HostWord digits : kBenchDigits) {
      ++total;
      missed += !PrintRatio(r, CaseName("handler", c, digits), CaseName("naive", c, digits), 0.5, "<=1/2",
                            CaseName("host", c, digits));
    }
  }
  // Exact forms against the handlers they replaced.
  for (const BenchCase &c : kBenchCases) {
    const PreviousHandler *previous = FindPreviousHandler(c.function);
    if (previous == nullptr) continue;
    for (HostWord digits : kBenchDigits) {
      ++total;
      missed += !PrintRatio(r, CaseName("handler", c, digits), CaseName("previous", c, digits),
                            previous->cost_target, previous->target_text, CaseName("host", c, digits));
    }
  }
  const char *conversions[][2] = {
      {"convert/TextToNumber", "baseline/strtod"},
      {"convert/NumberToText/p9", "baseline/snprintf/%.17g"},
      {"convert/NumberToText/p17", "baseline/snprintf/%.17g"},
  };
  for (auto &pair : conversions) {
    ++total;
    const bool to_text = std::strncmp(pair[0], "convert/NumberToText", 20) == 0;
    missed += !PrintRatio(r, pair[0], pair[1], to_text ? 1.0 / 3 : 0.5, to_text ? "<=1/3" : "<=1/2");
  }
  // For information: each precision against snprintf at the same precision.
  PrintRatio(r, "convert/NumberToText/p9", "baseline/snprintf/%.9g", 1.0 / 3, "info");
  std::printf("%d of %d targets met\n", total - missed, total);
}

} // namespace

int main(int argc, char **argv) {
  char processor[96];
  DescribeProcessor(processor, sizeof processor);
  std::printf("Processor: %s\n", processor);
  MakeDoubles();
  RegisterAll();
  // Defaults that make medians meaningful on a busy machine; any flag given
  // on the command line overrides them.
  std::vector<char *> args(argv, argv + argc);
  static char repetitions[] = "--benchmark_repetitions=9";
  static char aggregates[] = "--benchmark_report_aggregates_only=true";
  static char min_time[] = "--benchmark_min_time=0.1";
  bool has_repetitions = false, has_min_time = false;
  for (int i = 1; i < argc; ++i) {
    has_repetitions |= std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
    has_min_time |= std::strncmp(argv[i], "--benchmark_min_time", 20) == 0;
  }
  if (!has_repetitions) {
    args.insert(args.begin() + 1, repetitions);
    args.insert(args.begin() + 2, aggregates);
  }
  if (!has_min_time) args.insert(args.begin() + 1, min_time);
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter);
  benchmark::Shutdown();
  return 0;
}
