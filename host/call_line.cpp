#include "call_line.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsQuote(char c) { return c == '\'' || c == '"'; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
// REXX symbol characters after the first letter.
bool IsNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_' || c == '.' || c == '!' || c == '?'; }

struct Cursor {
  const char *text;
  std::size_t length;
  std::size_t at;
  bool End() const { return at >= length; }
  char Peek() const { return at < length ? text[at] : '\0'; }
  void SkipBlanks() {
    while (at < length && IsBlank(text[at])) ++at;
  }
  // True at the end of the line or at a comment.
  bool AtLineEnd() const { return at >= length || text[at] == '#'; }
};

LineKind Fail(CallLine *line, const char *why) {
  line->kind = kLineMalformed;
  line->error = why;
  line->argument_count = 0;
  line->name[0] = '\0';
  return kLineMalformed;
}

// Matches a keyword, letter case ignored, followed by a blank, a comment
// or the end.
bool MatchWord(Cursor &c, const char *word) {
  std::size_t i = 0;
  for (; word[i] != '\0'; ++i) {
    if (c.at + i >= c.length || Upper(c.text[c.at + i]) != word[i]) return false;
  }
  if (c.at + i < c.length && !IsBlank(c.text[c.at + i]) && c.text[c.at + i] != '#') return false;
  c.at += i;
  return true;
}

bool ParseDigitsAt(Cursor &c, int *digits) {
  if (c.End() || !IsDigit(c.Peek())) return false;
  int value = 0;
  while (!c.End() && IsDigit(c.Peek())) {
    value = value * 10 + (c.Peek() - '0');
    if (value > kMaxDigitsSetting) return false;
    ++c.at;
  }
  if (value < 1) return false;
  *digits = value;
  return true;
}

// One quoted argument starting at the quote; the text goes to `out`.
bool ParseQuoted(Cursor &c, char *out, std::size_t *used, const char **why) {
  const char quote = c.Peek();
  ++c.at;
  for (;;) {
    if (c.End()) {
      *why = "unterminated quote";
      return false;
    }
    const char ch = c.text[c.at++];
    if (ch == quote) {
      if (c.Peek() != quote) return true;
      ++c.at; // a doubled quote stands for one
    }
    out[(*used)++] = ch;
  }
}

LineKind ParseArguments(Cursor &c, CallLine *line) {
  std::size_t used = 0;
  // "F()" and "F( )": no arguments at all.
  std::size_t probe = c.at;
  while (probe < c.length && IsBlank(c.text[probe])) ++probe;
  if (probe < c.length && c.text[probe] == ')') {
    c.at = probe + 1;
    return kLineCall;
  }
  for (;;) {
    if (line->argument_count == kMaxCallArguments) return Fail(line, "too many arguments");
    const std::size_t start = c.at;
    c.SkipBlanks();
    char *out = line->storage + used;
    const std::size_t first = used;
    bool present = false;
    if (IsQuote(c.Peek())) {
      const char *why = nullptr;
      if (!ParseQuoted(c, line->storage, &used, &why)) return Fail(line, why);
      c.SkipBlanks();
      present = true;
      if (c.Peek() != ',' && c.Peek() != ')') {
        return Fail(line, c.End() ? "missing )" : "text after a closing quote");
      }
    } else {
      c.at = start;
      while (!c.End() && c.Peek() != ',' && c.Peek() != ')') {
        const char ch = c.Peek();
        if (IsQuote(ch)) return Fail(line, "quote inside an unquoted argument");
        if (ch == '(') return Fail(line, "parenthesis inside an unquoted argument: quote it");
        line->storage[used++] = ch;
        present = present || !IsBlank(ch);
        ++c.at;
      }
      if (c.End()) return Fail(line, "missing )");
      if (!present) used = first; // blanks only: omitted
    }
    line->storage[used++] = '\0';
    line->arguments[line->argument_count++] = present ? out : nullptr;
    if (c.Peek() == ')') {
      ++c.at;
      return kLineCall;
    }
    ++c.at; // the comma
  }
}

bool HasControlCharacter(const char *text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    if ((ch < 32 && ch != '\t') || ch == 127) return true;
  }
  return false;
}

} // namespace

LineKind ParseCallLine(const char *text, std::size_t length, CallLine *line) {
  line->kind = kLineNothing;
  line->digits = 0;
  line->name[0] = '\0';
  line->argument_count = 0;
  line->error = nullptr;
  line->statement_begin = 0;
  line->statement_end = 0;
  if (length > kMaxLineLength) return Fail(line, "line too long");
  if (HasControlCharacter(text, length)) return Fail(line, "control character in the line");

  Cursor c = {text, length, 0};
  c.SkipBlanks();
  if (c.AtLineEnd()) return kLineNothing;
  line->statement_begin = c.at;

  if (MatchWord(c, "NUMERIC")) {
    c.SkipBlanks();
    if (!MatchWord(c, "DIGITS")) return Fail(line, "expected NUMERIC DIGITS n");
    c.SkipBlanks();
    if (!ParseDigitsAt(c, &line->digits))
      return Fail(line, "NUMERIC DIGITS takes a whole number from 1 to 99");
    line->statement_end = c.at;
    c.SkipBlanks();
    if (!c.AtLineEnd()) return Fail(line, "text after NUMERIC DIGITS n");
    line->kind = kLineDigits;
    return kLineDigits;
  }

  if (!IsLetter(c.Peek())) return Fail(line, "a call starts with a function name");
  std::size_t n = 0;
  while (!c.End() && IsNameChar(c.Peek())) {
    if (n == kMaxNameLength) return Fail(line, "function name too long");
    line->name[n++] = Upper(c.text[c.at++]);
  }
  line->name[n] = '\0';
  if (c.Peek() == '(') {
    ++c.at;
    if (ParseArguments(c, line) == kLineMalformed) return kLineMalformed;
  }
  line->statement_end = c.at;
  c.SkipBlanks();
  if (!c.AtLineEnd()) return Fail(line, "text after the call");
  line->kind = kLineCall;
  return kLineCall;
}

bool ParseDigitsValue(const char *text, std::size_t length, int *digits) {
  Cursor c = {text, length, 0};
  return ParseDigitsAt(c, digits) && c.End();
}
