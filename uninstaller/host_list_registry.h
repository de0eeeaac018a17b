// The host list's rule (host_list.h) applied to the registry: values read
// with RegQueryValueExW, so that a text reaches the rule as UTF-16 and is
// never put through the ANSI code page unseen; texts converted and compared
// by path_checks.h.
#pragma once

#include <windows.h>

#include "host_list.h"

static_assert(sizeof(WCHAR) == sizeof(char16_t), "the platform's UTF-16 units are the rule's");
static_assert(kTextValueType == REG_SZ && kExpandableTextValueType == REG_EXPAND_SZ, "the registry's types");

// The rule's access to the list in the open `key`.
HostListAccess RegistryHostList(HKEY key);

// The same UTF-16 text under the platform's type and the rule's.
inline const char16_t *AsUtf16(const WCHAR *text) { return reinterpret_cast<const char16_t *>(text); }
inline const WCHAR *AsWide(const char16_t *text) { return reinterpret_cast<const WCHAR *>(text); }
