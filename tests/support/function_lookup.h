// Handlers by name, for tests, fuzzers, benchmarks and tools that call them
// directly. The host does its own lookup, so the shipped library has none.
#pragma once

#include "function_table.h"

// The record of the function with this uppercase name; null when unknown.
const HandlerRecord *FindFunction(const char *name);
