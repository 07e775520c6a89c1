// Every reader call that allocates or polls, through each of its failures.
#include <gtest/gtest.h>

#include <vector>

#include "datamatrix_symbols.h"
#include "idread/datamatrix.h"
#include "idread/locate.h"
#include "idread/read.h"
#include "support/failure_sweep.h"
#include "support/symbols.h"

namespace {

TEST(ReaderFailureSweep, EveryAllocatingOrPollingCall) {
  moduleGrid grid = builtDataMatrix(*idread_dataMatrixSizeFind(10, 10), {'a' + 1, 'b' + 1, 'c' + 1});
  const cmath_vect corners[4] = {{60, 58}, {111, 60}, {110, 111}, {59, 110}};
  greyScene scene(170, 170, 215);
  paintModules(scene, grid, corners, 30);
  scene.gaussianBlur(0.7);
  testImage image(scene);
  moduleGrid damaged = grid;
  damageCodeword(damaged, 0);
  idread_DataMatrixResult result;

  const std::vector<sweepRow> rows = {
      // The record and each code's tables, then the placement table that a size's first
      // decode builds and the codec's.
      {"idread_DataMatrixDecoder_create and _decode", [&] {
         idread_DataMatrixDecoder* decoder = nullptr;
         int32_t status = idread_DataMatrixDecoder_create(&decoder);
         EXPECT_EQ(decoder == nullptr, status < 0);
         if (status >= 0)
           status = idread_DataMatrixDecoder_decode(decoder, damaged.dark.data(), 10, 10, 10, &result);
         idread_DataMatrixDecoder_release(&decoder);
         return status;
       }},
      {"idread_reader_create", [] {
         idread_reader* reader = nullptr;
         const int32_t status = idread_reader_create(&reader);
         EXPECT_EQ(reader == nullptr, status < 0);
         idread_reader_release(&reader);
         return status;
       }},
      // Its own reader: the decoder keeps the placement tables a read builds.
      {"idread_readAll", [&] {
         idread_reader* reader = nullptr;
         int32_t status = idread_reader_create(&reader);
         std::vector<idread_reading> readings;
         if (status >= 0) status = idread_readAll(reader, image.image(), idread_readOptions{}, &readings);
         EXPECT_TRUE(status < 0 || (readings.size() == 1 && readings[0].text == "abc"));
         idread_reader_release(&reader);
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, anyCount, anyCount},
      {"idread_locateAll", [&] {
         std::vector<idread_symbol> symbols;
         return idread_locateAll(image.image(), idread_locateOptions{}, &symbols);
       }, CSYS_STATUS_NO_MEMORY, false, anyCount, anyCount},
      {"idread_locateRings", [&] {
         std::vector<idread_symbol> rings;
         idread_ringOptions options;
         options.tryThreeSides = true;
         return idread_locateRings(image.image(), options, &rings);
       }, CSYS_STATUS_NO_MEMORY, false, anyCount, anyCount},
      {"idread_findBarcode", [&] {
         idread_barcode barcode;
         return idread_findBarcode(image.image(), &barcode);
       }},
  };
  sweepFailures(rows);
}

}  // namespace
