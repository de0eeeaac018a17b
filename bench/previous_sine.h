// SIN as the library computed it before every argument above pi/4 was
// reduced exactly: the x87's fsin straight on x below 2^63, with the
// processor's own reduction. Kept only as the benchmark's baseline for
// what the exact reduction costs; its digits are the old, wrong ones.
#pragma once

#include "host_interface.h"

HostWord TESSARIM_CALL PreviousSinHandler(void *context, void *arguments, HostWord *status);
