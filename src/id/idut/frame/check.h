// Argument checks. A violated precondition is a programming error, not a status: it is
// reported to the kit's assertion routine with the source line, and the code after the
// check assumes the precondition held.
#pragma once

#include "kit/system.h"

#define CIDUT_CHECK(condition) ((condition) ? (void)0 : cstd_assert_(__LINE__))
