// The library's constant data that every process loading it shares: one
// object, so that its five items stand in the section in this order.
#pragma once

#include "function_directory.h"

struct SharedData {
  NameBlock name_block;
  char host_module[13];   // "quorvant.dll"
  char binding_entry[21]; // "RexxGetQuorvantFuncs"
  char library_name[9];   // "tessarim": registration name and box caption
  char pi_text[51];       // 3. and 48 decimals of pi
};

constexpr int kPiTextLength = 50;

extern SharedData g_shared;
