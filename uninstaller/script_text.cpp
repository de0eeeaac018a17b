#include "script_text.h"

namespace {

bool Holds(const char *text, unsigned length, char wanted) {
  for (unsigned i = 0; i < length; ++i) {
    if (text[i] == wanted) return true;
  }
  return false;
}

// Appends to a fixed buffer; once it is full, every later append is
// dropped and the writer is spoilt.
struct Writer {
  char *text;
  unsigned capacity;
  unsigned length;
  bool spoilt;

  void Byte(char c) {
    if (length >= capacity) {
      spoilt = true;
      return;
    }
    text[length++] = c;
  }
  // A fixed piece of the script, written as it stands.
  void Literal(const char *piece) {
    for (; *piece != 0; ++piece) Byte(*piece);
  }
  // A path, with each % doubled so that the line's expansion gives it
  // back as it is.
  void Path(const char *path, unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
      if (path[i] == '%') Byte('%');
      Byte(path[i]);
    }
  }
};

// Whether `rmdir "D"` may be written: not for an empty D (a program in the
// current drive's root), nor for one ending in : or \ (C: names the
// current folder of drive C, whatever that is; a root cannot be removed).
bool FolderRemovable(const char *folder, int length, LeadByteTest isLead) {
  int last = LastCharacter(folder, length, isLead);
  if (last < 0) return false;
  if (last < length - 1) return true; // a double-byte letter
  return folder[last] != ':' && folder[last] != '\\';
}

// Whether S may stand in the script and on a command line, where %% is
// no escape.
bool ScriptPathFits(const char *script, unsigned length) {
  return PathFitsScript(script, length) && !Holds(script, length, '%') && !Holds(script, length, '!');
}

// Characters that a bare command line may hold: none of them splits it,
// escapes, expands or ends the program's name.
bool PlainInCommandLine(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '\\' ||
         c == ':' || c == '.' || c == '_' || c == '-';
}

} // namespace

bool PathFitsScript(const char *path, unsigned length) {
  if (length == 0 || length >= kScriptPathLimit) return false;
  for (unsigned i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (c < 32 || c == 127) return false;
    switch (c) {
    case '"':
    case '*':
    case '?':
    case '<':
    case '>':
    case '|':
    case '/':
      return false;
    default:
      break;
    }
  }
  return true;
}

unsigned MakeScriptText(const char *program, unsigned programLength, const char *ping, unsigned pingLength,
                        const char *script, unsigned scriptLength, char *text, unsigned capacity,
                        LeadByteTest isLead) {
  if (!PathFitsScript(program, programLength) || !PathFitsScript(ping, pingLength) ||
      !ScriptPathFits(script, scriptLength))
    return 0;
  int folderLength = LastBackslash(program, static_cast<int>(programLength), isLead);
  if (folderLength < 0) return 0;

  Writer out = {text, capacity, 0, false};
  if (Holds(program, programLength, '!') || Holds(ping, pingLength, '!'))
    out.Literal("setlocal DisableDelayedExpansion\r\n");
  out.Literal("set tessarim_tries=0\r\n"
              ":Repeat\r\n"
              "set /a tessarim_tries+=1\r\n"
              "if %tessarim_tries% gtr 100 \"");
  out.Path(ping, pingLength);
  out.Literal("\" -n 2 127.0.0.1 >nul\r\n"
              "del \"");
  out.Path(program, programLength);
  out.Literal("\"\r\nif exist \"");
  out.Path(program, programLength);
  out.Literal("\" if %tessarim_tries% lss 160 goto Repeat\r\n");
  if (FolderRemovable(program, folderLength, isLead)) {
    out.Literal("rmdir \"");
    out.Path(program, static_cast<unsigned>(folderLength));
    out.Literal("\"\r\n");
  }
  out.Literal("del \"");
  out.Path(script, scriptLength);
  out.Literal("\"\r\n");
  return out.spoilt ? 0 : out.length;
}

void MakeScriptCommandLine(const char *scriptPath, char *commandLine) {
  bool plain = true;
  unsigned length = 0;
  for (; scriptPath[length] != 0; ++length) {
    if (!PlainInCommandLine(scriptPath[length])) plain = false;
  }
  unsigned at = 0;
  if (!plain) commandLine[at++] = '"';
  for (unsigned i = 0; i < length; ++i) commandLine[at++] = scriptPath[i];
  if (!plain) commandLine[at++] = '"';
  commandLine[at] = 0;
}

unsigned MakeInterpreterCommandLine(const char *interpreter, const char *scriptPath, char *commandLine) {
  unsigned interpreterLength = 0;
  while (interpreter[interpreterLength] != 0 && interpreterLength < kScriptPathLimit) ++interpreterLength;
  unsigned scriptLength = 0;
  while (scriptPath[scriptLength] != 0 && scriptLength < kScriptPathLimit) ++scriptLength;
  if (!PathFitsScript(interpreter, interpreterLength) || !ScriptPathFits(scriptPath, scriptLength)) return 0;

  Writer out = {commandLine, kInterpreterCommandLineCapacity - 1, 0, false};
  out.Byte('"');
  for (unsigned i = 0; i < interpreterLength; ++i) out.Byte(interpreter[i]);
  out.Literal("\" /d /e:on /v:off /s /c \"\"");
  for (unsigned i = 0; i < scriptLength; ++i) out.Byte(scriptPath[i]);
  out.Literal("\"\"");
  if (out.spoilt) return 0;
  commandLine[out.length] = 0;
  return out.length;
}
