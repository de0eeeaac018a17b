// tessarim-host's line parser on any bytes: it must not read or write out
// of bounds or hang, its results must be well formed, and a parsed call
// must survive a round trip: written back with every present argument
// quoted, it parses to the same name and the same argument texts, with
// omitted arguments still omitted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "call_line.h"

namespace {

CallLine g_first;
CallLine g_second;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool InStorage(const CallLine &line, const char *text) {
  return text >= line.storage && text < line.storage + sizeof line.storage &&
         std::memchr(text, '\0', static_cast<std::size_t>(line.storage + sizeof line.storage - text)) !=
             nullptr;
}

std::string Quoted(const char *text) {
  std::string out = "'";
  for (const char *p = text; *p != '\0'; ++p) {
    out += *p;
    if (*p == '\'') out += '\'';
  }
  return out + "'";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const char *text = reinterpret_cast<const char *>(data);
  const LineKind kind = ParseCallLine(text, size, &g_first);
  Check(kind == g_first.kind || kind == kLineNothing);
  switch (kind) {
  case kLineMalformed:
    Check(g_first.error != nullptr && g_first.error[0] != '\0');
    return 0;
  case kLineNothing:
    return 0;
  case kLineDigits:
    Check(g_first.digits >= 1 && g_first.digits <= kMaxDigitsSetting);
    Check(g_first.statement_begin < g_first.statement_end && g_first.statement_end <= size);
    return 0;
  case kLineCall:
    break;
  }
  Check(g_first.statement_begin < g_first.statement_end && g_first.statement_end <= size);
  const std::size_t name_length = std::strlen(g_first.name);
  Check(name_length >= 1 && name_length <= kMaxNameLength);
  Check(g_first.argument_count >= 0 && g_first.argument_count <= kMaxCallArguments);
  for (std::size_t i = 0; i < name_length; ++i) Check(!(g_first.name[i] >= 'a' && g_first.name[i] <= 'z'));

  // "NAME()" rather than "NAME": a bare NUMERIC is the setting's keyword.
  std::string again = g_first.name;
  again += '(';
  {
    for (int i = 0; i < g_first.argument_count; ++i) {
      if (i > 0) again += ',';
      if (g_first.arguments[i] != nullptr) {
        Check(InStorage(g_first, g_first.arguments[i]));
        again += Quoted(g_first.arguments[i]);
      }
    }
    again += ')';
  }
  // Quoting can make a line longer than the limit; such lines are refused.
  const LineKind second = ParseCallLine(again.data(), again.size(), &g_second);
  if (again.size() > kMaxLineLength) {
    Check(second == kLineMalformed);
    return 0;
  }
  Check(second == kLineCall);
  Check(std::strcmp(g_first.name, g_second.name) == 0);
  Check(g_first.argument_count == g_second.argument_count);
  for (int i = 0; i < g_first.argument_count; ++i) {
    const char *a = g_first.arguments[i];
    const char *b = g_second.arguments[i];
    Check((a == nullptr) == (b == nullptr));
    if (a != nullptr) Check(std::strcmp(a, b) == 0);
  }
  return 0;
}
