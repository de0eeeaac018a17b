// The host list's rule against a list in memory: which values are entries,
// where the list ends, and which entry names the library. The platform's
// conversion and comparison are modelled: code page 1252 with two-byte
// letters for CJK (as a double-byte page would take them), and the
// ordinal, case-ignoring comparison of UTF-16 units.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "host_list.h"

namespace {

constexpr unsigned kExpandText = kExpandableTextValueType;
constexpr unsigned kMultiText = 7, kBinary = 3, kNumber = 4; // REG_MULTI_SZ, REG_BINARY, REG_DWORD

struct Value {
  HostValueRead read;
  unsigned type;
  std::u16string data;
};
Value Text(const std::u16string &data, unsigned type = kTextValueType) {
  return {HostValueRead::kRead, type, data};
}
const Value kMissing{HostValueRead::kMissing, 0, {}}, kUnreadable{HostValueRead::kUnreadable, 0, {}},
    kTooLong{HostValueRead::kTooLong, 0, {}};

HostValueRead Read(void *list, unsigned index, unsigned *type, char16_t *data, unsigned *units) {
  const auto &values = *static_cast<const std::vector<Value> *>(list);
  if (index >= values.size()) return HostValueRead::kMissing;
  *type = values[index].type;
  *units = static_cast<unsigned>(values[index].data.copy(data, kPathBufferSize));
  return values[index].read;
}

int ToAnsi(const char16_t *text, unsigned length, char *ansi) {
  int n = 0;
  for (const char16_t *c = text; c < text + length; ++c) {
    if (*c >= 0x4E00 && *c <= 0x9FFF)
      ansi[n++] = '\x90', ansi[n++] = '\x94'; // a double-byte letter
    else if (*c < 0x80 || (*c >= 0xA0 && *c <= 0xFF))
      ansi[n++] = static_cast<char>(*c);
    else
      return -1; // no exact letter: the platform would put a look-alike
  }
  return n;
}

char16_t Upper(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  return c >= 0x100 && c <= 0x17F && c % 2 == 1 ? c - 1 : c; // Ō ō and their like; ß has no capital
}

bool SamePath(const char16_t *a, unsigned aLength, const char16_t *b, unsigned bLength) {
  for (unsigned i = 0; i < aLength && aLength == bLength; ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return aLength == bLength;
}

TEST(HostList, EntriesAndTheLibrarysPlace) {
  const std::u16string lib = u"C:\\Stra\u00DFe.dll", fits(kPathBufferSize - 1, u'x');
  const std::u16string cjk129(129, u'\u6570'), cjk130(130, u'\u6570');
  const std::vector<Value> full(kHostListSize, Text(u"C:\\a.dll"));
  struct Case {
    const char *what;
    int listed;
    unsigned end;
    bool endsAtGap;
    std::vector<unsigned> entries;
    std::vector<Value> values;
    std::u16string library;
  } cases[] = {
      {"no list", -1, 0, true, {}, {}, lib},
      {"other letter case", 1, 1, false, {0, 1}, {Text(u"C:\\a.dll"), Text(u"c:\\STRA\u00DFE.DLL")}, lib},
      {"accented capitals", 0, 0, false, {0}, {Text(u"C:\\\u00C9T\u00C9.DLL")}, u"C:\\\u00E9t\u00E9.dll"},
      {"\u00DF is not ss", -1, 1, true, {0}, {Text(u"C:\\Strasse.dll")}, lib},
      {"REG_EXPAND_SZ", 1, 1, false, {0, 1}, {Text(u"%R%", kExpandText), Text(lib, kExpandText)}, lib},
      {"REG_MULTI_SZ holding the path", -1, 1, true, {}, {Text(lib + u'\0', kMultiText)}, lib},
      {"REG_BINARY holding the path", 1, 1, false, {1}, {Text(lib, kBinary), Text(lib)}, lib},
      {"a number takes its place", -1, 2, true, {1}, {Text(u"\x07", kNumber), Text(u"C:\\b.dll")}, lib},
      {"best-fit letter", 1, 1, false, {1}, {Text(u"C:\\\u014C.dll"), Text(u"C:\\O.dll")}, u"C:\\O.dll"},
      {"more than a path buffer", 1, 1, false, {1}, {kTooLong, Text(lib)}, lib},
      {"a full buffer leaves no room for the zero", -1, 2, true, {1}, {Text(fits + u'x'), Text(fits)}, lib},
      {"the ANSI form must fit too", -1, 2, true, {1}, {Text(cjk130), Text(cjk129)}, lib},
      {"a text ends at its first zero", 0, 0, false, {0}, {Text(lib + u'\0' + u"tail")}, lib},
      {"only the first of two", 0, 0, false, {0, 1}, {Text(lib), Text(lib)}, lib},
      {"a missing number ends the list", -1, 1, true, {0}, {Text(u"C:\\a.dll"), kMissing, Text(lib)}, lib},
      {"an unreadable value ends it, no gap", -1, 0, false, {}, {kUnreadable, Text(lib)}, lib},
      {"every number read", -1, kHostListSize, false, {}, full, lib},
  };
  // Func256, never read, would name the library.
  cases[std::size(cases) - 1].values.push_back(Text(lib));
  for (unsigned i = 0; i < kHostListSize; ++i) cases[std::size(cases) - 1].entries.push_back(i);

  for (Case &c : cases) {
    SCOPED_TRACE(c.what);
    HostListAccess access = {&c.values, Read, ToAnsi, SamePath};
    HostListScan scan = ScanHostList(access, c.library.data(), static_cast<unsigned>(c.library.size()));
    EXPECT_EQ(std::make_tuple(scan.listed, scan.end, scan.endsAtGap),
              std::make_tuple(c.listed, c.end, c.endsAtGap));
    std::vector<unsigned> entries;
    HostListWalk walk = {0, HostListEnd::kFull};
    for (HostEntry entry; NextHostEntry(access, &walk, &entry);) {
      entries.push_back(entry.index);
      // Both forms end at their zero, as the platform's callers read them.
      EXPECT_EQ(std::u16string(entry.path).size() + std::string(entry.ansi).size(),
                entry.length + entry.ansiLength);
    }
    EXPECT_EQ(entries, c.entries);
  }
}

} // namespace
