// The C runtime's pow as the shipped DLL must call it. On Windows that is
// the system runtime's (msvcrt.dll), within an ulp; mingw-w64 would
// otherwise link its own x87 routine, which loses hundreds of ulps for
// large results under a Windows thread's 53-bit precision. Declared by its
// symbol and imported, it joins the DLL's one msvcrt.dll import entry.
#pragma once

#include <cmath>

#ifdef _WIN32
extern "C" __declspec(dllimport) double RuntimePow(double x, double y) __asm__("pow");
#else
inline double RuntimePow(double x, double y) { return std::pow(x, y); }
#endif
