// Every preprocessing call that allocates, through each of its allocation failures.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "ci_id/priv/ci_idut/prep.h"
#include "support/failure_sweep.h"
#include "support/held_image.h"

namespace {

// A sweep row for a call into a bound destination (a 3 x 3 image of 9s), which each
// failure must leave as it was.
sweepRow intoNines(const std::string& name, const std::function<int32_t(cimg_image*)>& call,
                   int allocations = anyCount) {
  auto output = std::make_shared<heldImage>();
  auto nines = std::make_shared<heldImage>(3, 3, 9);
  return {name,
          [=] {
            cimg_image_assign(&output->image, &nines->image);
            const int32_t status = call(&output->image);
            if (status >= 0) cimg_image_assign(&output->image, &nines->image);  // lets it go
            return status;
          },
          CSYS_STATUS_NO_MEMORY, false, allocations, 0,
          [=] {
            EXPECT_EQ(output->window().width, 3);
            EXPECT_EQ(output->pixels(), std::vector<uint8_t>(9, 9));
          }};
}

// A binarisation into a new or a bound destination, with or without the contrast mask.
int32_t binarize(const heldImage& source, heldImage* bound, int32_t method, int32_t regionMode,
                 bool withMask) {
  cidut_binarizeParams p;
  int32_t status = cidut_binarizeParams_construct(&p);
  if (status < 0) return status;
  p.method = method;
  p.regionMode = regionMode;
  p.reduction = 2;
  p.windowWidth = p.windowHeight = 7;
  p.region = cmath_shapeAffineRect{{3, 4}, {30, 8}, {1, 20}};
  heldImage out, mask;
  status = cidut_binarizeImage(bound ? &bound->image : &out.image, nullptr, nullptr,
                               withMask ? &mask.image : nullptr, source.constImage(), &p);
  EXPECT_EQ(out.bound(), status >= 0 && !bound);
  EXPECT_EQ(mask.bound(), status >= 0 && withMask);
  cidut_binarizeParams_destruct(&p);
  return status;
}

TEST(PrepFailureSweep, EveryAllocatingCall) {
  std::mt19937 random(8);
  const heldImage source({3, 4, 37, 23}, random), other({5, 2, 30, 30}, random);
  heldImage bound(37, 23, 0), roomy({0, 0, 48, 32}, 0);  // roomy holds the source's window
  std::vector<uint8_t> identity(256);
  for (int32_t i = 0; i < 256; ++i) identity[i] = uint8_t(i);
  const cmath_shapeAffineRect strip{{5, 5}, {25, 5}, {5, 15}};
  int32_t count = 0;
  std::vector<uint8_t> row(40), extrema(40), averaged(64);
  for (uint8_t& v : row) v = uint8_t(random());
  double sharpness = -1;

  std::vector<sweepRow> rows = {
      intoNines("cidut_ip_gauss8", [&](cimg_image* o) { return cidut_ip_gauss8(source.constImage(), o, 2, 0, 1, 0); }),
      intoNines("cidut_ip_plpf8", [&](cimg_image* o) { return cidut_ip_plpf8(source.constImage(), o, 3, 1, 2, 0); }),
      intoNines("cidut_ip_plpf8Mask", [&](cimg_image* o) { return cidut_ip_plpf8Mask(source.constImage(), o, 3, 1, 2, 0); }),
      intoNines("cidut_ip_pelSample", [&](cimg_image* o) { return cidut_ip_pelSample(source.constImage(), o, 2, 2); }),
      intoNines("cidut_ip_pelExpand8", [&](cimg_image* o) { return cidut_ip_pelExpand8(source.constImage(), o, 2, 2); }),
      intoNines("cip_image8_map", [&](cimg_image* o) { return cip_image8_map(o, source.constImage(), identity.data()); }),
      intoNines("cidut_ip_pelTranspose8", [&](cimg_image* o) { return cidut_ip_pelTranspose8(source.constImage(), o); }),
      intoNines("cidut_ip_project8", [&](cimg_image* o) { return cidut_ip_project8(source.constImage(), &strip, &count, o); }),
      intoNines("cidut_ip_pelSub8", [&](cimg_image* o) { return cidut_ip_pelSub8(source.constImage(), other.constImage(), o, 0); }),
      intoNines("cidut_ip_pelAdd8", [&](cimg_image* o) { return cidut_ip_pelAdd8(source.constImage(), other.constImage(), o, 0); }),
      // A new image's two blocks, the intermediate image's two, the scratch block.
      intoNines("cidut_morph2d_run, max", [&](cimg_image* o) { return cidut_morph2d_run(source.constImage(), o, CIDUT_MORPH_MAX, 3, 5); }, 3),
      intoNines("cidut_morph2d_run, min-max", [&](cimg_image* o) { return cidut_morph2d_run(source.constImage(), o, CIDUT_MORPH_MIN_MAX, 3, 5); }, 5),
      {"cidut_morph2d_run in place", [&] {
         return cidut_morph2d_run(source.constImage(), &roomy.image, CIDUT_MORPH_MIN_MAX, 3, 5);
       }, CSYS_STATUS_NO_MEMORY, false, 3},
      {"rowExtremaMax", [&] { return rowExtremaMax(3, row.data(), extrema.data(), 40, nullptr); },
       CSYS_STATUS_NO_MEMORY, false, 1},  // the index ring
      {"rowExtremaMin", [&] { return rowExtremaMin(5, row.data(), extrema.data(), 40, nullptr); },
       CSYS_STATUS_NO_MEMORY, false, 1},
      {"cid_spatialAverage", [&] { return cid_spatialAverage(row.data(), 8, 5, 8, 3, 3, averaged.data(), 8); },
       CSYS_STATUS_NO_MEMORY, false, 1},
      {"cidut_getImageSharpnessFromSymbolRegion_", [&] {
         return cidut_getImageSharpnessFromSymbolRegion_(source.constImage(), 0, &sharpness);
       }},
  };
  for (const int32_t method : {CIDUT_BINARIZE_TILE_MIDRANGE, CIDUT_BINARIZE_TILE_MAX,
                               CIDUT_BINARIZE_LOCAL_MINMAX, CIDUT_BINARIZE_LOCAL_MEAN}) {
    const int32_t regionMode = method == CIDUT_BINARIZE_TILE_MIDRANGE ? 1 : 2;
    const bool withMask = method == CIDUT_BINARIZE_LOCAL_MINMAX;
    const std::string name = "cidut_binarizeImage, method " + std::to_string(method);
    rows.push_back({name + ", into a new image",
                    [&, method, regionMode, withMask] { return binarize(source, nullptr, method, regionMode, withMask); }});
    rows.push_back({name + ", into a bound image",
                    [&, method, regionMode, withMask] { return binarize(source, &bound, method, regionMode, withMask); },
                    CSYS_STATUS_NO_MEMORY, false});
  }
  sweepFailures(rows);
}

}  // namespace
