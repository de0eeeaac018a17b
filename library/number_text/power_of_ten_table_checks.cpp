// Checks of the generated power-of-ten table, written by hand so that they
// do not come from the generator they check.
#include "power_of_ten_table.h"

static_assert(sizeof(kPowersOfTen) / sizeof(kPowersOfTen[0]) == kPowerOfTenMax - kPowerOfTenMin + 1,
              "one entry per power");
static_assert(kPowersOfTen[0 - kPowerOfTenMin].high == 0x8000000000000000u &&
                  kPowersOfTen[0 - kPowerOfTenMin].low == 0,
              "10^0 is 2^127 * 2^-127");
static_assert(kPowersOfTen[1 - kPowerOfTenMin].high == 0xa000000000000000u, "10 = 0xa << 124");
static_assert(kPowersOfTen[55 - kPowerOfTenMin].high == 0xd0cf4b50cfe20765u &&
                  kPowersOfTen[55 - kPowerOfTenMin].low == 0xfff4b4e3f741cf6du,
              "5^55 is the last exact entry and fills all 128 bits");
static_assert(PowerOfTenBinaryExponent(0) == -127 && PowerOfTenBinaryExponent(1) == -124 &&
                  PowerOfTenBinaryExponent(-1) == -131 && PowerOfTenBinaryExponent(308) == 896 &&
                  PowerOfTenBinaryExponent(-342) == -1264,
              "binary exponents");
