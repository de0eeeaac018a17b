// A second function library for the host list, so that the lifecycle test
// has a real library before Tessarim's entry. It registers HELLO, which
// answers "hello", and PI, which answers "3": Tessarim's PI registered
// later must not replace it.
#include <windows.h>

namespace {

using Word = DWORD;
using SetResult = Word(WINAPI *)(void *, const char *, Word, Word);
using Register = Word(WINAPI *)(Word, const char *, const unsigned char *, const void *, Word);
using Bind = Word(WINAPI *)(void *, Word, Word);

void *g_host[21];

Word Answer(void *context, const char *text, Word length, Word *status) {
  *status = reinterpret_cast<SetResult>(g_host[5])(context, text, length, 0x10000000u);
  return 0;
}

Word WINAPI Hello(void *context, void *, Word *status) { return Answer(context, "hello", 5, status); }
Word WINAPI Three(void *context, void *, Word *status) { return Answer(context, "3", 1, status); }

const unsigned char kNames[] = {0, 5, 'H', 'E', 'L', 'L', 'O', 2, 'P', 'I', 0};

#pragma pack(push, 1)
struct Record {
  Word reserved;
  void *handler;
  unsigned char minimum;
  unsigned char maximum;
};
#pragma pack(pop)

const Record kRecords[] = {
    {0, reinterpret_cast<void *>(&Hello), 0, 0},
    {0, reinterpret_cast<void *>(&Three), 0, 0},
};

} // namespace

extern "C" __declspec(dllexport) Word WINAPI RexxFeedback(Word reason, Word host_value) {
  if (reason != 1) return 0;
  return reinterpret_cast<Register>(g_host[7])(0, "other", kNames, kRecords, host_value);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  HMODULE host = GetModuleHandleA("quorvant.dll");
  if (host == nullptr) return FALSE;
  auto bind = reinterpret_cast<Bind>(reinterpret_cast<void *>(GetProcAddress(host, "RexxGetQuorvantFuncs")));
  if (bind == nullptr) return FALSE;
  bind(g_host, sizeof g_host, 271);
  return TRUE;
}
