// The processor the figures come from, as it names itself, with its family
// and model: the same program gives other ratios on another processor.
#pragma once

#include <cstddef>

// Writes e.g. "AMD EPYC (family 25, model 1)" and a NUL into out.
void DescribeProcessor(char *out, std::size_t size);
