// The host-call sequences the numeric handlers share (numeric_sequence.h).
#include "numeric_sequence.h"

#include <cstdint>

#include "number_text.h"
#include "x87.h"

int PrecisionFromSetting(HostWord setting) {
  const std::int32_t digits = static_cast<std::int32_t>(setting);
  return digits >= 1 ? digits : 1;
}

HostWord SetNumberResult(void *context, HostWord *status, double value, int precision) {
  // kNumberTextMax holds the longest text of any precision: nothing is cut.
  char text[kNumberTextMax];
  const std::size_t length = NumberToText(value, precision, text, sizeof text);
  *status = g_host.set_result(context, text, static_cast<HostWord>(length), kResultText);
  return kCodeOk;
}

HostWord RunNumericSequence(void *context, void *arguments, HostWord *status, Formula formula) {
  const char *argument = g_host.fetch_text(context, arguments, 1);
  if (argument == nullptr) {
    return kCodeNoText;
  }
  const int precision = PrecisionFromSetting(g_host.read_setting(context, kSettingDigits));
  const double result = RoundToDouble(formula(TextToNumber(argument)));

  g_host.release_text(argument);
  return SetNumberResult(context, status, result, precision);
}

HostWord RunTwoArgumentSequence(void *context, void *arguments, HostWord *status,
                                TwoArgumentFormula formula) {
  const char *first = g_host.fetch_text(context, arguments, 1);
  if (first == nullptr) {
    return kCodeNoText;
  }
  const double x = TextToNumber(first);
  g_host.release_text(first);

  const char *second = g_host.fetch_text(context, arguments, 2);
  if (second == nullptr) {
    return kCodeNoText;
  }
  const int precision = PrecisionFromSetting(g_host.read_setting(context, kSettingDigits));
  const double result = RoundToDouble(formula(x, second));
  g_host.release_text(second);
  return SetNumberResult(context, status, result, precision);
}
