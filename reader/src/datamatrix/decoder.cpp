// The DataMatrix decoder: its lifetime, the choice of orientation, and one reading of
// a module matrix (placement, correction, data stream).
#include "datamatrix/block_correction.h"
#include "datamatrix/clean_block_check.h"
#include "datamatrix/data_stream.h"
#include "datamatrix/decoder_record.h"
#include "datamatrix/matrix_view.h"
#include "datamatrix/placement.h"
#include "kit/system.h"

namespace {

constexpr int32_t fieldBits = 8;
constexpr int32_t fieldPolynomial = 0x12D;
constexpr int32_t fieldGenerator = 2;

// A code and its product table for every block check-word count of the size table.
int32_t constructCodes(idread_DataMatrixDecoder& decoder) {
  int32_t count = 0;
  const idread_DataMatrixSize* sizes = idread_dataMatrixSizes(&count);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t nEcc = sizes[i].checkCodewords / sizes[i].blocks;
    if (idread_codeIndex(decoder, nEcc) >= 0) continue;
    const int32_t index = decoder.codeCount;
    int32_t status = cid2d_ReedSolomonCode_construct(&decoder.codes[index], fieldBits, nEcc,
                                                     fieldPolynomial, fieldGenerator);
    if (status < 0) return status;
    ++decoder.codeCount;
    status = idread_buildGeneratorProducts(decoder.codes[index], &decoder.generatorProducts[index]);
    if (status < 0) return status;
  }
  return 0;
}

// The placement table of a size, built on its first use.
int32_t placementFor(idread_DataMatrixDecoder& decoder, const idread_DataMatrixSize& size,
                     const uint16_t** table) {
  int32_t count = 0;
  const int32_t index = int32_t(&size - idread_dataMatrixSizes(&count));
  uint16_t*& placement = decoder.placements[index];
  if (!placement) {
    const size_t bytes = sizeof(uint16_t) * 8 * idread_placementCodewords(size);
    const int32_t status = csys_memory_alloc_internal(bytes, (void**)&placement);
    if (status < 0) return status;
    idread_buildPlacement(size, placement, decoder.occupied);
  }
  *table = placement;
  return 0;
}

// Reads, corrects and decodes the matrix as an upright symbol.
int32_t readUpright(idread_DataMatrixDecoder& decoder, const idread_matrixView& view,
                    idread_DataMatrixResult* result) {
  const idread_DataMatrixSize* size = idread_dataMatrixSizeFind(view.rows, view.columns);
  if (!size) return IDREAD_ERR_NOT_A_SYMBOL_SIZE;
  const uint16_t* table = nullptr;
  const int32_t status = placementFor(decoder, *size, &table);
  if (status < 0) return status;

  // Table entries index a compact row-by-row matrix; anything else is copied into one.
  const uint8_t* modules = view.origin;
  if (view.columnStep != 1 || view.rowStep != view.columns) {
    view.copyTo(decoder.oriented);
    modules = decoder.oriented;
  }
  const int32_t total = size->dataCodewords + size->checkCodewords;
  for (int32_t k = 0; k < total; ++k, table += 8) {
    int32_t value = 0;
    int32_t unsure = 0;
    for (int32_t bit = 0; bit < 8; ++bit) {
      const int32_t module = modules[table[bit]];
      value = value << 1 | (module & IDREAD_MODULE_DARK);
      unsure |= module & IDREAD_MODULE_UNSURE;
    }
    decoder.codewords[k] = uint8_t(value);
    decoder.unsure[k] = unsure != 0;
  }

  int32_t corrected = 0;
  const int32_t correction = idread_correctBlocks(decoder, *size, &corrected);
  if (correction < 0) return correction;
  result->rows = size->rows;
  result->columns = size->columns;
  result->correctedErrors = corrected;
  return idread_decodeDataStream(decoder.codewords, size->dataCodewords, result);
}

// A reading that may succeed another way: the matrix is no symbol as it stands.
bool mayTryOtherWay(int32_t status) {
  return status == IDREAD_ERR_NOT_A_SYMBOL_SIZE || status == IDREAD_ERR_UNCORRECTABLE ||
         status == IDREAD_ERR_INVALID_DATA;
}

}  // namespace

extern "C" int32_t idread_DataMatrixDecoder_create(idread_DataMatrixDecoder** decoder) {
  if (!decoder) cstd_assert_(__LINE__);
  *decoder = nullptr;
  idread_DataMatrixDecoder* made = nullptr;
  int32_t status = csys_memory_allocClear_internal(sizeof *made, (void**)&made);
  if (status < 0) return status;
  status = constructCodes(*made);
  if (status < 0) {
    idread_DataMatrixDecoder_release(&made);
    return status;
  }
  *decoder = made;
  return 0;
}

extern "C" int32_t idread_DataMatrixDecoder_release(idread_DataMatrixDecoder** decoder) {
  if (!decoder) cstd_assert_(__LINE__);
  idread_DataMatrixDecoder* record = *decoder;
  if (!record) return 0;
  for (int32_t i = 0; i < record->codeCount; ++i) {
    cid2d_ReedSolomonCode_destruct(&record->codes[i]);
    csys_memory_free_internal((void**)&record->generatorProducts[i]);
  }
  for (uint16_t*& placement : record->placements) csys_memory_free_internal((void**)&placement);
  return csys_memory_free_internal((void**)decoder);
}

extern "C" int32_t idread_DataMatrixDecoder_decode(idread_DataMatrixDecoder* decoder,
                                                   const uint8_t* modules, int32_t rows,
                                                   int32_t columns, ptrdiff_t rowStride,
                                                   idread_DataMatrixResult* result) {
  if (!decoder || !modules || !result || rows < 1 || columns < 1 || rowStride < columns)
    cstd_assert_(__LINE__);
  csys_memory_fill(0, offsetof(idread_DataMatrixResult, text), result);

  // The finder tells an upright matrix from a transposed one; a reflection about the L's
  // corner keeps the finder as it is and is only tried when the first reading fails.
  idread_matrixView view{modules, rowStride, 1, rows, columns};
  int32_t mirrored = 0;
  if (view.transposed().finderMismatches() < view.finderMismatches()) {
    view = view.transposed();
    mirrored = 1;
  }
  int32_t status = readUpright(*decoder, view, result);
  if (mayTryOtherWay(status)) {
    const int32_t reflected = readUpright(*decoder, view.reflectedAboutCorner(), result);
    // A failure of a matrix that has the size of a symbol says more than "no size".
    if (reflected >= 0 || !mayTryOtherWay(reflected) || status == IDREAD_ERR_NOT_A_SYMBOL_SIZE) {
      status = reflected;
      mirrored ^= 1;
    }
  }
  if (status < 0) {
    csys_memory_fill(0, offsetof(idread_DataMatrixResult, text), result);
    return status;
  }
  result->mirrored = mirrored;
  return 0;
}
