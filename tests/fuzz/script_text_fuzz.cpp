// The self-removal script for random program and script paths, read back
// by a small model of the command interpreter: every line, as cmd expands
// and splits it, must be one command that names exactly the program path
// P, its folder D, the script path S or the pause's ping path Q, with
// delayed expansion off and on; and both command lines that start the
// script must run exactly S.
//
// The model follows cmd's own rules for a batch line, not the writer's:
//   1. percent expansion, quotes or not: %% gives %, %0 to %9, %* and
//      %~... give the script's arguments, %NAME% (also %NAME:...%) gives
//      the variable's value, or nothing if it is unset; a % with no closing
//      % is dropped;
//   2. splitting, outside double quotes only: ^ escapes the next character,
//      & | < > ( ) are operators, blank , ; = and tab separate words;
//   3. where delayed expansion is on and the line holds !, !NAME! gives the
//      variable's value or nothing, a lone ! is dropped and ^ escapes the
//      next character, quotes or not. setlocal DisableDelayedExpansion
//      switches it off for the lines after it.
// Any variable but the script's own counter stands for whatever the
// inherited environment holds, so its expansion, like any argument's,
// poisons the line. On the command line (cmd /c) an unset %NAME% stays as
// it is, but a set one expands: a % there poisons too.
//
// Input: P, a zero byte, S, a zero byte, Q (S defaults to an ordinary
// temporary folder's, Q to ping.exe in D).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_checks.h"
#include "script_text.h"

namespace {

const char kPoison = '\x01';      // stands for text from the environment
const std::string kCounter = "7"; // the value of tessarim_tries
const std::string kCounterName = "tessarim_tries";

std::string Lower(std::string text) {
  for (char &c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Rule 1, in a batch file.
std::string ExpandPercent(const std::string &line) {
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '%') {
      out += line[i];
      continue;
    }
    if (i + 1 >= line.size()) break; // a lone % at the end is dropped
    const char next = line[i + 1];
    if (next == '%') {
      out += '%';
      ++i;
    } else if ((next >= '0' && next <= '9') || next == '*' || next == '~') {
      out += kPoison; // the script's arguments, or an error
      ++i;
    } else {
      const std::size_t close = line.find('%', i + 1);
      if (close == std::string::npos) continue; // dropped
      const std::string name = line.substr(i + 1, close - i - 1);
      out += Lower(name) == kCounterName ? kCounter : std::string(1, kPoison);
      i = close;
    }
  }
  return out;
}

// Rule 3, on a line that holds !.
std::string ExpandDelayed(const std::string &line) {
  if (line.find('!') == std::string::npos) return line;
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '^') {
      if (i + 1 < line.size()) out += line[++i];
    } else if (line[i] == '!') {
      const std::size_t close = line.find('!', i + 1);
      if (close == std::string::npos) continue; // dropped
      const std::string name = line.substr(i + 1, close - i - 1);
      out += Lower(name) == kCounterName ? kCounter : std::string(1, kPoison);
      i = close;
    } else {
      out += line[i];
    }
  }
  return out;
}

// Rule 2: the words of a line, each word as written (quotes kept), with
// every operator outside quotes a word of its own. *escaped is set when a
// ^ outside quotes escaped something.
std::vector<std::string> Split(const std::string &line, bool *escaped) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  *escaped = false;
  auto end_word = [&] {
    if (!word.empty()) words.push_back(word);
    word.clear();
  };
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      word += c;
      if (c == '"') quoted = false;
    } else if (c == '"') {
      word += c;
      quoted = true;
    } else if (c == '^') {
      *escaped = true;
      if (i + 1 < line.size()) word += line[++i];
    } else if (c == '&' || c == '|' || c == '<' || c == '>' || c == '(' || c == ')') {
      end_word();
      words.push_back(std::string(1, c));
    } else if (c == ' ' || c == ',' || c == ';' || c == '=' || c == '\t') {
      end_word();
    } else {
      word += c;
    }
  }
  if (quoted) words.push_back("<unclosed quote>");
  end_word();
  return words;
}

// A word that is one quoted path: no quote inside, no wildcard, switch or
// control character, which would make del or rmdir name other files.
bool QuotedPath(const std::string &word, std::string *path) {
  if (word.size() < 2 || word.front() != '"' || word.back() != '"') return false;
  *path = word.substr(1, word.size() - 2);
  for (const char c : *path) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127 || c == '"' || c == '*' || c == '?' || c == '<' || c == '>' || c == '|' ||
        c == '/')
      return false;
  }
  return true;
}

// What one expanded line does; kind is "" for a line the model refuses.
struct Command {
  std::string kind;
  std::string path;
};

Command Read(const std::string &line) {
  if (line.find(kPoison) != std::string::npos) return {};
  // set takes the rest of its line as it stands; a label is no command.
  if (line == "set tessarim_tries=0") return {"set", ""};
  if (line == "set /a tessarim_tries+=1") return {"count", ""};
  if (line == ":Repeat") return {"label", ""};
  bool escaped = false;
  const std::vector<std::string> w = Split(line, &escaped);
  if (escaped) return {};
  std::string path;
  if (w == std::vector<std::string>{"setlocal", "DisableDelayedExpansion"}) return {"setlocal", ""};
  const std::string ping = w.size() > 4 ? w[4] : "";
  if (w == std::vector<std::string>{"if", kCounter, "gtr", "100", ping, "-n", "2", "127.0.0.1", ">", "nul"} &&
      QuotedPath(ping, &path))
    return {"pause", path};
  if (w.size() == 2 && w[0] == "del" && QuotedPath(w[1], &path)) return {"del", path};
  if (w.size() == 2 && w[0] == "rmdir" && QuotedPath(w[1], &path)) return {"rmdir", path};
  if (w.size() == 9 && w[0] == "if" && w[1] == "exist" && QuotedPath(w[2], &path) &&
      std::vector<std::string>(w.begin() + 3, w.end()) ==
          std::vector<std::string>{"if", kCounter, "lss", "160", "goto", "Repeat"})
    return {"retry", path};
  return {};
}

std::string Printable(const std::string &text) {
  std::string out;
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 32 && u < 127) {
      out += c;
    } else {
      static const char hex[] = "0123456789abcdef";
      out += "\\x";
      out += hex[u >> 4];
      out += hex[u & 15];
    }
  }
  return out;
}

// The script, run through the model with delayed expansion on or off at
// its start: the commands, in the order the script must hold them. The
// first line may switch delayed expansion off; whether it must is left to
// the run with delayed expansion on.
void CheckScript(const std::string &text, const std::string &p, const std::string &s, const std::string &q,
                 bool delayed) {
  const std::size_t cut = p.rfind('\\');
  const std::string d = p.substr(0, cut);
  // rmdir only for a folder that may go: not a drive (C: names drive C's
  // current folder), not a root.
  const bool removable = !d.empty() && d.back() != ':' && d.back() != '\\';
  std::vector<Command> want;
  if (text.compare(0, 34, "setlocal DisableDelayedExpansion\r\n") == 0) want.push_back({"setlocal", ""});
  want.push_back({"set", ""});
  want.push_back({"label", ""});
  want.push_back({"count", ""});
  want.push_back({"pause", q});
  want.push_back({"del", p});
  want.push_back({"retry", p});
  if (removable) want.push_back({"rmdir", d});
  want.push_back({"del", s});

  std::size_t at = 0;
  std::size_t n = 0;
  while (at < text.size()) {
    const std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) FuzzFail("script does not end in CR LF: %s", Printable(text).c_str());
    const std::string raw = text.substr(at, end - at);
    at = end + 2;
    if (raw.find('\r') != std::string::npos || raw.find('\n') != std::string::npos ||
        raw.find('\0') != std::string::npos)
      FuzzFail("line %zu holds a line break or zero: %s", n + 1, Printable(raw).c_str());
    std::string line = ExpandPercent(raw);
    if (delayed) line = ExpandDelayed(line);
    const Command got = Read(line);
    if (got.kind.empty())
      FuzzFail("line %zu (delayed expansion %s) reads as no allowed command: %s -> %s", n + 1,
               delayed ? "on" : "off", Printable(raw).c_str(), Printable(line).c_str());
    if (n >= want.size() || got.kind != want[n].kind || got.path != want[n].path)
      FuzzFail("line %zu (delayed expansion %s) is %s \"%s\"; P = \"%s\", S = \"%s\"", n + 1,
               delayed ? "on" : "off", got.kind.c_str(), Printable(got.path).c_str(), Printable(p).c_str(),
               Printable(s).c_str());
    if (got.kind == "setlocal") delayed = false;
    ++n;
  }
  if (n != want.size()) FuzzFail("script has %zu lines, not %zu", n, want.size());
}

// The command line, as cmd /c takes it (the platform wraps it in quotes
// and cmd takes them off again): the program that runs must be S, with
// nothing after it.
void CheckCommandLine(std::string line, const std::string &s, bool delayed) {
  if (line.find('%') != std::string::npos) FuzzFail("command line holds %%: %s", Printable(line).c_str());
  if (delayed) line = ExpandDelayed(line);
  std::string program;
  std::size_t i = 0;
  if (!line.empty() && line[0] == '"') {
    const std::size_t close = line.find('"', 1);
    if (close == std::string::npos) FuzzFail("command line quote unclosed: %s", Printable(line).c_str());
    program = line.substr(1, close - 1);
    i = close + 1;
  } else {
    bool escaped = false;
    const std::vector<std::string> words = Split(line, &escaped);
    if (escaped || words.size() != 1) FuzzFail("bare command line splits: %s", Printable(line).c_str());
    program = words[0];
    i = line.size();
  }
  if (i != line.size() || program != s)
    FuzzFail("command line runs \"%s\", not S = \"%s\"", Printable(program).c_str(), Printable(s).c_str());
}

// Whether refusing P and S is right: a path that is empty, too long, or
// holds what no platform path holds; P without a folder; or S with a % or
// ! that its command line would expand.
bool Refusable(const std::string &p, const std::string &s, const std::string &q) {
  for (const std::string *path : {&p, &s, &q}) {
    if (path->empty() || path->size() >= kScriptPathLimit) return true;
    std::string ignored;
    if (!QuotedPath("\"" + *path + "\"", &ignored)) return true;
  }
  return p.find('\\') == std::string::npos || s.find('%') != std::string::npos ||
         s.find('!') != std::string::npos;
}

// The model reads a single-byte code page: no byte leads a pair.
bool NoLeadByte(unsigned char) { return false; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string input(reinterpret_cast<const char *>(data), size);
  const std::size_t zero = input.find('\0');
  const std::size_t second = zero == std::string::npos ? zero : input.find('\0', zero + 1);
  const std::string p = input.substr(0, zero);
  const std::string s = zero == std::string::npos ? "C:\\Users\\me\\AppData\\Local\\Temp\\tessarim.bat"
                                                  : input.substr(zero + 1, second - zero - 1);
  const std::string q =
      second == std::string::npos ? p.substr(0, p.rfind('\\') + 1) + "ping.exe" : input.substr(second + 1);

  static char text[kScriptTextCapacity];
  const unsigned length =
      MakeScriptText(p.data(), static_cast<unsigned>(p.size()), q.data(), static_cast<unsigned>(q.size()),
                     s.data(), static_cast<unsigned>(s.size()), text, sizeof text, NoLeadByte);
  if (length == 0) {
    if (!Refusable(p, s, q))
      FuzzFail("no script for P = \"%s\", S = \"%s\"", Printable(p).c_str(), Printable(s).c_str());
    return 0;
  }
  if (Refusable(p, s, q))
    FuzzFail("a script for P = \"%s\", S = \"%s\"", Printable(p).c_str(), Printable(s).c_str());
  const std::string script(text, length);
  CheckScript(script, p, s, q, false);
  CheckScript(script, p, s, q, true);
  char line[kInterpreterCommandLineCapacity];
  MakeScriptCommandLine(s.c_str(), line);
  CheckCommandLine(line, s, false);
  CheckCommandLine(line, s, true);
  // The elevated run's: after the interpreter's switches, cmd /s /c takes
  // off the first and the last quote.
  const std::string head = "\"" + q + "\" /d /e:on /v:off /s /c \"";
  const unsigned n = MakeInterpreterCommandLine(q.c_str(), s.c_str(), line);
  if (n < head.size() + 1 || std::string(line, head.size()) != head || line[n - 1] != '"')
    FuzzFail("interpreter command line: %s", Printable(line).c_str());
  CheckCommandLine(std::string(line + head.size(), n - head.size() - 1), s, false);
  return 0;
}
