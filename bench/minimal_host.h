// The least host a handler can be called through: it serves fixed argument
// texts and digits, copies the result (as a real host must, since the
// result may lie on the handler's stack) and checks nothing. What a
// benchmark measures through it is the handler's own work.
#pragma once

#include "host_interface.h"
#include "number_text.h"

namespace minimal_host {

struct Call {
  int arg_count = 0;
  const char *const *args = nullptr;  // arg_count texts; later ones are empty
  HostWord digits = 9;
  HostWord number = 0;                // what fetch number gives
  // What the handler handed back.
  char result[kNumberTextMax] = {};
  HostWord result_length = 0;
  HostWord result_flags = 0;
  int released = 0;
};

// Points g_host at the minimal callbacks.
void Install();

// Calls the handler with `call` as its context; the result lands in `call`.
inline HostWord Run(HandlerFn handler, Call &call, HostWord *status) { return handler(&call, &call, status); }

// The result as text: the text itself, or the whole number rendered.
// Writes at most size - 1 characters and a NUL.
void ResultText(const Call &call, char *out, unsigned size);

}  // namespace minimal_host
