#include "naive_handlers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
// The Windows C runtime's own formatter, as a plain Windows build would use;
// mingw's C++ headers would otherwise route snprintf to mingw's.
#define NAIVE_SNPRINTF _snprintf
#else
#define NAIVE_SNPRINTF std::snprintf
#endif

namespace {

// "%.<d>g" built character by character, as the plain handler does.
void MakeFormat(HostWord setting, char format[8]) {
  const int d = static_cast<signed char>(setting & 0xFF);
  int at = 0;
  format[at++] = '%';
  format[at++] = '.';
  if (d <= 9) {
    format[at++] = static_cast<char>('0' + d);
  } else {
    format[at++] = static_cast<char>('0' + d / 10);
    format[at++] = static_cast<char>('0' + d % 10);
  }
  format[at++] = 'g';
  format[at] = '\0';
}

HostWord Finish(void *context, HostWord *status, double value, const char *format) {
  char buffer[60];
  int n = NAIVE_SNPRINTF(buffer, sizeof buffer, format, value);
  if (n < 0 || n >= static_cast<int>(sizeof buffer)) n = static_cast<int>(sizeof buffer) - 1;
  *status = g_host.set_result(context, buffer, static_cast<HostWord>(n), kResultText);
  return kCodeOk;
}

template <double (*F)(double)>
HostWord TESSARIM_CALL OneArgument(void *context, void *arguments, HostWord *status) {
  const char *text = g_host.fetch_text(context, arguments, 1);
  if (text == nullptr) return kCodeNoText;
  char format[8];
  MakeFormat(g_host.read_setting(context, kSettingDigits), format);
  const double value = F(std::strtod(text, nullptr));
  g_host.release_text(text);
  return Finish(context, status, value, format);
}

template <bool kAtan> HostWord TESSARIM_CALL TwoArguments(void *context, void *arguments, HostWord *status) {
  const char *first = g_host.fetch_text(context, arguments, 1);
  if (first == nullptr) return kCodeNoText;
  const double x = std::strtod(first, nullptr);
  g_host.release_text(first);
  const char *second = g_host.fetch_text(context, arguments, 2);
  if (second == nullptr) return kCodeNoText;
  char format[8];
  MakeFormat(g_host.read_setting(context, kSettingDigits), format);
  double value;
  if (kAtan) {
    value = std::atan2(x, second[0] == '\0' ? 1.0 : std::strtod(second, nullptr));
  } else {
    value = std::pow(x, std::strtod(second, nullptr));
  }
  g_host.release_text(second);
  return Finish(context, status, value, format);
}

double Sin(double x) { return std::sin(x); }
double Log(double x) { return std::log(x); }
double Exp(double x) { return std::exp(x); }
double Sqrt(double x) { return std::sqrt(x); }

} // namespace

HandlerFn FindNaiveHandler(const char *name) {
  struct Entry {
    const char *name;
    HandlerFn handler;
  };
  static const Entry kNaive[] = {
      {"SIN", OneArgument<Sin>},   {"LOG", OneArgument<Log>},    {"EXP", OneArgument<Exp>},
      {"SQRT", OneArgument<Sqrt>}, {"ATAN", TwoArguments<true>}, {"POW", TwoArguments<false>},
  };
  for (const Entry &e : kNaive)
    if (std::strcmp(e.name, name) == 0) return e.handler;
  return nullptr;
}
