// The line syntax of tessarim-host, one table per class of fault: texts
// that must reach the handler exactly as written, omitted arguments that
// must not turn into empty ones (or the reverse), quoting, lines that must
// be refused, and the NUMERIC DIGITS setting.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "call_line.h"

namespace {

constexpr const char *kOmitted = "<omitted>";

struct Parsed {
  LineKind kind;
  std::string name;
  std::vector<std::string> arguments; // kOmitted for an omitted one
  std::string statement;
};

Parsed Parse(const std::string &text) {
  static CallLine line;
  Parsed p;
  p.kind = ParseCallLine(text.data(), text.size(), &line);
  p.name = line.name;
  for (int i = 0; i < line.argument_count; ++i)
    p.arguments.push_back(line.arguments[i] != nullptr ? line.arguments[i] : kOmitted);
  if (p.kind == kLineCall || p.kind == kLineDigits)
    p.statement = text.substr(line.statement_begin, line.statement_end - line.statement_begin);
  return p;
}

struct CallCase {
  const char *line;
  const char *name;
  std::vector<std::string> arguments;
};

template <std::size_t N> void ExpectCalls(const CallCase (&cases)[N]) {
  for (const CallCase &c : cases) {
    Parsed p = Parse(c.line);
    EXPECT_EQ(p.kind, kLineCall) << c.line;
    EXPECT_EQ(p.name, c.name) << c.line;
    EXPECT_EQ(p.arguments, c.arguments) << c.line;
  }
}

TEST(CallLine, ArgumentsPassAsWritten) {
  const CallCase cases[] = {
      {"SIN(1)", "SIN", {"1"}},
      {"SIN( 1 )", "SIN", {" 1 "}}, // an interpreter hands over the text between the commas
      {"sin(1)", "SIN", {"1"}},
      {"POW(2,10)", "POW", {"2", "10"}},
      {"POW( 2 , 10 )", "POW", {" 2 ", " 10 "}},
      {"SIN(1d0)", "SIN", {"1d0"}},
      {"SIN(-1.5e-3)", "SIN", {"-1.5e-3"}},
      {"SIN(abc)", "SIN", {"abc"}},
      {"SIN(- 1)", "SIN", {"- 1"}},
      {"SIN(1\t)", "SIN", {"1\t"}},
      {"  SIN(1)  ", "SIN", {"1"}},
      {"SIN(1) # a note", "SIN", {"1"}},
      {"SIN(1)#note", "SIN", {"1"}},
      {"LOG10(100)", "LOG10", {"100"}},
  };
  ExpectCalls(cases);
}

TEST(CallLine, OmittedAndEmptyArgumentsDiffer) {
  const CallCase cases[] = {
      {"PI", "PI", {}},
      {"PI()", "PI", {}},
      {"PI( )", "PI", {}},
      {"POW(2,)", "POW", {"2", kOmitted}},
      {"POW(2, )", "POW", {"2", kOmitted}},
      {"POW(,2)", "POW", {kOmitted, "2"}},
      {"ATAN(1,)", "ATAN", {"1", kOmitted}},
      {"F(,)", "F", {kOmitted, kOmitted}},
      {"POW(2,'')", "POW", {"2", ""}}, // quoted: present, and empty
      {"SIN(' ')", "SIN", {" "}},
  };
  ExpectCalls(cases);
}

TEST(CallLine, Quotes) {
  const CallCase cases[] = {
      {"F('a,b')", "F", {"a,b"}},
      {"F(\"(1)\")", "F", {"(1)"}},
      {"F('it''s')", "F", {"it's"}},
      {"F(\"say \"\"hi\"\"\")", "F", {"say \"hi\""}},
      {"F('\"')", "F", {"\""}},
      {"F(\"'\")", "F", {"'"}},
      {"F( '1' , \"2\" )", "F", {"1", "2"}},
      {"F('#')", "F", {"#"}},
      {"F('''')", "F", {"'"}},
  };
  ExpectCalls(cases);
}

TEST(CallLine, MalformedLinesAreRefused) {
  const std::string too_long = "SIN(" + std::string(kMaxLineLength, '1') + ")";
  std::string many = "F(";
  for (int i = 0; i <= kMaxCallArguments; ++i) many += i ? ",1" : "1";
  many += ")";
  const std::string cases[] = {
      "'a'b",
      "F('a'b)",
      "F('a' b)",
      "F('abc)",
      "F(\"abc",
      "F(a'b)",
      "F(1",
      "F(1,",
      "F((1))",
      "F(1))",
      "F(1) x",
      "SIN (1)",
      "1SIN(1)",
      "(1)",
      ",",
      "F(1)\r",
      std::string("F(1\0)", 5),
      "NUMERIC",
      "NUMERIC DIGITS",
      "NUMERIC DIGITS 0",
      "NUMERIC DIGITS 100",
      "NUMERIC DIGITS 9x",
      "NUMERIC DIGITS -1",
      "NUMERIC FORM SCIENTIFIC",
      "NUMERIC# DIGITS 17", // the keyword, then a comment
      "ABCDEFGHIJABCDEFGHIJABCDEFGHIJAB(1)",
      too_long,
      many,
  };
  for (const std::string &c : cases) {
    static CallLine line;
    EXPECT_EQ(ParseCallLine(c.data(), c.size(), &line), kLineMalformed) << c;
    EXPECT_NE(line.error, nullptr) << c;
  }
}

TEST(CallLine, SettingsAndNothing) {
  struct Case {
    const char *line;
    LineKind kind;
    int digits;
  } cases[] = {
      {"NUMERIC DIGITS 17", kLineDigits, 17},
      {"numeric digits 1", kLineDigits, 1},
      {"  NUMERIC   DIGITS\t99  # most", kLineDigits, 99},
      {"", kLineNothing, 0},
      {"   \t", kLineNothing, 0},
      {"# SIN(1)", kLineNothing, 0},
      {"  # comment", kLineNothing, 0},
      {"NUMERICAL(1)", kLineCall, 0}, // a name that starts like the keyword
  };
  for (const Case &c : cases) {
    static CallLine line;
    EXPECT_EQ(ParseCallLine(c.line, std::strlen(c.line), &line), c.kind) << c.line;
    if (c.kind == kLineDigits) {
      EXPECT_EQ(line.digits, c.digits) << c.line;
    }
  }
  int digits = 0;
  EXPECT_TRUE(ParseDigitsValue("17", 2, &digits));
  EXPECT_EQ(digits, 17);
  for (const char *bad : {"", "0", "100", "9 ", "x", "-3", "99999999999"})
    EXPECT_FALSE(ParseDigitsValue(bad, std::strlen(bad), &digits)) << bad;
}

// The echo printed before each result is the call as written, without
// blanks around it or its comment.
TEST(CallLine, StatementSpan) {
  EXPECT_EQ(Parse("  SIN( 1 )  # x").statement, "SIN( 1 )");
  EXPECT_EQ(Parse("PI # pi").statement, "PI");
  EXPECT_EQ(Parse(" NUMERIC DIGITS 12 #").statement, "NUMERIC DIGITS 12");
}

} // namespace
