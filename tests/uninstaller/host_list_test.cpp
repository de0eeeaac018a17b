// The host list's rule against a list in memory: which values are entries,
// where the list ends, and which entry names the library. The platform's
// conversion and comparison are modelled: code page 1252 with two-byte
// letters for CJK (as a double-byte page would take them), and the
// ordinal, case-ignoring comparison of UTF-16 units.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "host_list.h"

namespace {

constexpr unsigned kMultiText = 7; // REG_MULTI_SZ
constexpr unsigned kBinary = 3;    // REG_BINARY
constexpr unsigned kNumber = 4;    // REG_DWORD

struct Value {
  HostValueRead read;
  unsigned type;
  std::u16string data;
};

Value Text(const std::u16string &data, unsigned type = kTextValueType) {
  return {HostValueRead::kRead, type, data};
}
const Value kMissing = {HostValueRead::kMissing, 0, u""};
const Value kUnreadable = {HostValueRead::kUnreadable, 0, u""};
const Value kTooLong = {HostValueRead::kTooLong, 0, u""};

HostValueRead Read(void *list, unsigned index, unsigned *type, char16_t *data, unsigned *units) {
  const auto &values = *static_cast<const std::vector<Value> *>(list);
  if (index >= values.size()) return HostValueRead::kMissing;
  const Value &v = values[index];
  *type = v.type;
  *units = static_cast<unsigned>(v.data.size());
  v.data.copy(data, v.data.size());
  return v.read;
}

int ToAnsi(const char16_t *text, unsigned length, char *ansi) {
  int n = 0;
  for (unsigned i = 0; i < length; ++i) {
    char16_t c = text[i];
    if (c >= 0x4E00 && c <= 0x9FFF) {
      ansi[n++] = '\x8A';
      ansi[n++] = '\x40';
    } else if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      ansi[n++] = static_cast<char>(c);
    } else {
      return -1; // no exact letter: the platform would put a look-alike
    }
  }
  return n;
}

char16_t Upper(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  if (c >= 0x100 && c <= 0x17F && c % 2 == 1) return c - 1; // Ō ō and their like
  return c;                                                 // ß has no one-letter capital
}

bool SamePath(const char16_t *a, unsigned aLength, const char16_t *b, unsigned bLength) {
  if (aLength != bLength) return false;
  for (unsigned i = 0; i < aLength; ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

TEST(HostList, EntriesAndTheLibrarysPlace) {
  const std::u16string library = u"C:\\Stra\u00DFe\\tessarim.dll";
  const std::u16string fits(kPathBufferSize - 1, u'x');
  const std::u16string cjk129(129, u'\u6570'), cjk130(130, u'\u6570');
  struct Case {
    const char *what;
    std::vector<Value> values;
    std::u16string library;
    int listed;
    unsigned end;
    bool endsAtGap;
    std::vector<unsigned> entries;
  } cases[] = {
      {"no list", {}, library, -1, 0, true, {}},
      {"other letter case", {Text(u"C:\\a.dll"), Text(u"c:\\STRASSE\\TESSARIM.DLL")}, u"C:\\Strasse\\tessarim.dll",
       1, 1, false, {0, 1}},
      {"accented capitals", {Text(u"C:\\\u00C9T\u00C9\\TESSARIM.DLL")}, u"C:\\\u00E9t\u00E9\\tessarim.dll", 0, 0,
       false, {0}},
      {"\u00DF is not ss", {Text(u"C:\\Strasse\\tessarim.dll")}, library, -1, 1, true, {0}},
      {"REG_EXPAND_SZ is a text, unexpanded", {Text(u"%ROOT%\\tessarim.dll", kExpandableTextValueType),
                                              Text(library, kExpandableTextValueType)},
       library, 1, 1, false, {0, 1}},
      {"REG_MULTI_SZ holding the path", {Text(library + u'\0', kMultiText)}, library, -1, 1, true, {}},
      {"REG_BINARY holding the path", {Text(library, kBinary), Text(library)}, library, 1, 1, false, {1}},
      {"a number takes its place", {Text(u"\x07", kNumber), Text(u"C:\\b.dll")}, library, -1, 2, true, {1}},
      {"best-fit letter", {Text(u"C:\\\u014Csaka\\tessarim.dll"), Text(u"C:\\Osaka\\tessarim.dll")},
       u"C:\\Osaka\\tessarim.dll", 1, 1, false, {1}},
      {"more than a path buffer", {kTooLong, Text(library)}, library, 1, 1, false, {1}},
      {"a full buffer leaves no room for the zero", {Text(fits + u'x'), Text(fits)}, library, -1, 2, true, {1}},
      {"the ANSI form must fit too", {Text(cjk130), Text(cjk129)}, library, -1, 2, true, {1}},
      {"a text ends at its first zero", {Text(library + u'\0' + u"tail")}, library, 0, 0, false, {0}},
      {"only the first of two", {Text(library), Text(library)}, library, 0, 0, false, {0, 1}},
      {"a missing number ends the list", {Text(u"C:\\a.dll"), kMissing, Text(library)}, library, -1, 1, true, {0}},
      {"an unreadable value ends it, no gap", {kUnreadable, Text(library)}, library, -1, 0, false, {}},
      {"every number read", std::vector<Value>(kHostListSize + 1, Text(u"C:\\a.dll")), library, -1, kHostListSize,
       false, {}},
  };
  cases[std::size(cases) - 1].values.back() = Text(library); // Func256: never read
  for (unsigned i = 0; i < kHostListSize; ++i) cases[std::size(cases) - 1].entries.push_back(i);

  for (Case &c : cases) {
    SCOPED_TRACE(c.what);
    HostListAccess access = {&c.values, Read, ToAnsi, SamePath};
    HostListScan scan = ScanHostList(access, c.library.data(), static_cast<unsigned>(c.library.size()));
    EXPECT_EQ(scan.listed, c.listed);
    EXPECT_EQ(scan.end, c.end);
    EXPECT_EQ(scan.endsAtGap, c.endsAtGap);

    std::vector<unsigned> entries;
    HostListWalk walk = {0, HostListEnd::kFull};
    HostEntry entry;
    while (NextHostEntry(access, &walk, &entry)) {
      entries.push_back(entry.index);
      // Both forms end at their zero, as the platform's callers read them.
      EXPECT_EQ(std::u16string(entry.path).size(), entry.length);
      EXPECT_EQ(std::string(entry.ansi).size(), entry.ansiLength);
    }
    EXPECT_EQ(entries, c.entries);
  }
}

} // namespace
