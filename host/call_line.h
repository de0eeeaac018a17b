// One line of tessarim-host's input: a function call, a NUMERIC DIGITS
// setting, or nothing (blank or comment). Portable code with no system
// headers, so that it is unit-tested and fuzzed natively.
//
//   SIN(1)              SIN, one argument "1"
//   SIN( 1 )            one argument " 1 ", as written between the commas
//   POW(2,)             two arguments, the second omitted
//   ATAN(1, )           blanks only: omitted as well
//   PI  /  PI()         no arguments
//   F('a,b', "x""y")    quoted: "a,b" and x"y (a doubled quote is one)
//   NUMERIC DIGITS 17   the setting for the calls that follow
//   # note              a comment; also after a call
//
// Malformed: text after a closing quote ('a'b), an unquoted argument that
// holds a quote or a parenthesis, a missing ")", anything after ")", a name
// that does not start with a letter, an unterminated quote, a NUL or other
// control character, more than kMaxCallArguments arguments, a line longer
// than kMaxLineLength.
#pragma once

#include <cstddef>

constexpr std::size_t kMaxLineLength = 4096;
constexpr int kMaxCallArguments = 16;
constexpr std::size_t kMaxNameLength = 31;
constexpr int kMaxDigitsSetting = 99;

enum LineKind { kLineNothing, kLineCall, kLineDigits, kLineMalformed };

struct CallLine {
  LineKind kind;
  int digits;                    // kLineDigits: 1 to kMaxDigitsSetting
  char name[kMaxNameLength + 1]; // kLineCall: upper case
  int argument_count;
  const char *arguments[kMaxCallArguments]; // null: omitted; else into storage
  char storage[kMaxLineLength + kMaxCallArguments];
  const char *error;           // kLineMalformed: why, a static text
  std::size_t statement_begin; // the call or setting as written,
  std::size_t statement_end;   // without blanks around or comment
};

// Parses `length` bytes of `text` (no line end) into `line`. Never reads
// outside the text and never writes outside `line`.
LineKind ParseCallLine(const char *text, std::size_t length, CallLine *line);

// Parses a NUMERIC DIGITS value as given on the command line: 1 to 99.
bool ParseDigitsValue(const char *text, std::size_t length, int *digits);
