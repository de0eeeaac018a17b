// The stand-in host's driver: loads the host, then the library, registers
// it and calls its functions by name, one per command-line argument.
//   qhost [--digits N] [--library PATH] "SIN(1)" "POW(2,10)" "ATAN(1,)" PI
// An empty place between commas is an omitted argument.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "quorvant_host.h"

namespace {

constexpr int kMaxArguments = 8;

// Splits "NAME(a,b)" in place into the name and its argument texts.
int SplitCall(char *call, const char **arguments) {
  char *open = std::strchr(call, '(');
  if (open == nullptr) return 0;
  *open = '\0';
  char *close = std::strrchr(open + 1, ')');
  if (close != nullptr) *close = '\0';
  int count = 0;
  char *at = open + 1;
  if (*at == '\0' && close != nullptr) return 0;
  while (count < kMaxArguments) {
    char *comma = std::strchr(at, ',');
    if (comma != nullptr) *comma = '\0';
    arguments[count++] = *at == '\0' ? nullptr : at;
    if (comma == nullptr) break;
    at = comma + 1;
  }
  return count;
}

} // namespace

int main(int argc, char **argv) {
  const char *library = "tessarim.dll";
  int digits = 9;
  int first = 1;
  while (first < argc && std::strncmp(argv[first], "--", 2) == 0 && first + 1 < argc) {
    if (std::strcmp(argv[first], "--digits") == 0) digits = std::atoi(argv[first + 1]);
    else if (std::strcmp(argv[first], "--library") == 0) library = argv[first + 1];
    else break;
    first += 2;
  }

  HMODULE module = LoadLibraryA(library);
  if (module == nullptr) {
    std::fprintf(stderr, "qhost: %s did not load (error %lu)\n", library, GetLastError());
    return 2;
  }
  using Feedback = unsigned(WINAPI *)(unsigned, unsigned);
  auto feedback = reinterpret_cast<Feedback>(reinterpret_cast<void *>(GetProcAddress(module, "RexxFeedback")));
  if (feedback == nullptr) {
    std::fprintf(stderr, "qhost: %s exports no RexxFeedback\n", library);
    return 2;
  }
  feedback(1, 0);
  QvSetDigits(digits);

  int failures = 0;
  for (int i = first; i < argc; ++i) {
    char call[512];
    std::snprintf(call, sizeof call, "%s", argv[i]);
    const char *arguments[kMaxArguments];
    int count = SplitCall(call, arguments);
    QvCallResult result;
    int outcome = QvCall(call, count, arguments, &result);
    if (outcome == -1) {
      std::printf("%s: no such function\n", argv[i]);
      ++failures;
    } else if (outcome == -2) {
      std::printf("%s: wrong number of arguments\n", argv[i]);
      ++failures;
    } else if (result.code != 0) {
      std::printf("%s: code %u\n", argv[i], result.code);
      ++failures;
    } else if (result.result_is_number) {
      std::printf("%s = %u\n", argv[i], result.number);
    } else {
      std::printf("%s = %s\n", argv[i], result.text);
    }
  }
  return failures == 0 ? 0 : 1;
}
