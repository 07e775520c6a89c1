// The whole ECC 200 decoder on module matrices of real symbol sizes (either orientation,
// rows padded to any stride) and of other sizes: a failure has a known status and a
// zeroed record; a success a symbol size matching the matrix, a correction count the check
// words allow and consistent text fields; the same matrix decodes the same way twice.
#include <cstring>
#include <memory>
#include <vector>

#include "decoded_fields.h"

namespace {

idread_DataMatrixDecoder* sharedDecoder() {
  static idread_DataMatrixDecoder* decoder = [] {
    idread_DataMatrixDecoder* created = nullptr;
    FUZZ_REQUIRE(idread_DataMatrixDecoder_create(&created) == 0);
    return created;
  }();
  return decoder;
}

bool isZeroed(const idread_DataMatrixResult& r) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&r);
  for (size_t i = 0; i < offsetof(idread_DataMatrixResult, text); ++i)
    if (bytes[i] != 0) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input in(data, size);
  int32_t sizes = 0;
  const idread_DataMatrixSize* table = idread_dataMatrixSizes(&sizes);
  int32_t rows, columns;
  if (in.byte() < 240) {
    const idread_DataMatrixSize& symbol = table[in.range(0, sizes - 1)];
    const bool transposed = in.flag();
    rows = transposed ? symbol.columns : symbol.rows;
    columns = transposed ? symbol.rows : symbol.columns;
  } else {
    rows = int32_t(in.range(1, 160));
    columns = int32_t(in.range(1, 160));
  }
  const int32_t stride = columns + int32_t(in.range(0, 3));
  // One byte per module: bit 0 dark, bit 1 unsure; missing modules are light.
  std::vector<uint8_t> modules(size_t(rows) * size_t(stride), 0);
  for (int32_t r = 0; r < rows; ++r)
    for (int32_t c = 0; c < columns; ++c) modules[size_t(r) * stride + c] = in.byte() & 3;

  auto first = std::make_unique<idread_DataMatrixResult>();
  auto second = std::make_unique<idread_DataMatrixResult>();
  std::memset(first.get(), 0x5A, sizeof *first);
  std::memset(second.get(), 0xA5, sizeof *second);
  idread_DataMatrixDecoder* decoder = sharedDecoder();
  const int32_t status =
      idread_DataMatrixDecoder_decode(decoder, modules.data(), rows, columns, stride, first.get());
  FUZZ_REQUIRE(idread_DataMatrixDecoder_decode(decoder, modules.data(), rows, columns, stride,
                                               second.get()) == status);
  const bool realSize = idread_dataMatrixSizeFind(rows, columns) != nullptr ||
                        idread_dataMatrixSizeFind(columns, rows) != nullptr;
  if (status != 0) {
    FUZZ_REQUIRE(status == IDREAD_ERR_UNCORRECTABLE || status == IDREAD_ERR_INVALID_DATA ||
                 status == IDREAD_ERR_NOT_A_SYMBOL_SIZE);
    FUZZ_REQUIRE((status == IDREAD_ERR_NOT_A_SYMBOL_SIZE) == !realSize);
    FUZZ_REQUIRE(isZeroed(*first) && isZeroed(*second));
    return 0;
  }
  const idread_DataMatrixSize* read = idread_dataMatrixSizeFind(first->rows, first->columns);
  FUZZ_REQUIRE(read != nullptr);
  FUZZ_REQUIRE((first->rows == rows && first->columns == columns) ||
               (first->rows == columns && first->columns == rows));
  FUZZ_REQUIRE(first->mirrored == 0 || first->mirrored == 1);
  FUZZ_REQUIRE(first->correctedErrors >= 0 && first->correctedErrors <= read->checkCodewords);
  fuzz_checkDecodedFields(*first);
  FUZZ_REQUIRE(std::memcmp(first.get(), second.get(), offsetof(idread_DataMatrixResult, encodations)) == 0);
  FUZZ_REQUIRE(fuzz_sameText(*first, *second));
  return 0;
}
