// Geometry: lines and segments, symbol regions and their queries, region masks, ranges,
// histogram statistics and fixed-point shapes. One header per concept below.
#pragma once

#include "ci_id/priv/ci_idut/geometry/line.h"
#include "ci_id/priv/ci_idut/geometry/region.h"
#include "ci_id/priv/ci_idut/geometry/mask.h"
#include "ci_id/priv/ci_idut/geometry/range.h"
#include "ci_id/priv/ci_idut/geometry/fixed_shapes.h"
