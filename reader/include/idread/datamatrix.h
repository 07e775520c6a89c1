// ECC 200 DataMatrix: the table of symbol sizes and the decoding of a sampled module
// matrix into its data bytes (placement, Reed-Solomon correction, encodations).
//
// A module matrix is rows x columns bytes, row by row, 0 for a light and 1 for a dark
// module, row 0 at the top as printed: the solid L along the left column and the bottom
// row, the alternating clock tracks along the top row and the right column, and each data
// region inside its own finder and clock border. A sampler that is unsure of a module
// adds IDREAD_MODULE_UNSURE to its best guess (2 or 3); the codewords holding such modules
// are then tried as erasures, which nearly doubles what their block can correct.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "idread/export.h"

// ---------------------------------------------------------------------------------------
// Status codes (0 success, negative failure); kit statuses such as CSYS_STATUS_NO_MEMORY
// are passed on unchanged.

// The matrix is not the size of any ECC 200 symbol, in either orientation.
#define IDREAD_ERR_NOT_A_SYMBOL_SIZE ((int32_t)0x80000A01u)
// A Reed-Solomon block has more errors than its check words can correct.
#define IDREAD_ERR_UNCORRECTABLE ((int32_t)0x80000A02u)
// The corrected codewords do not form a valid data stream.
#define IDREAD_ERR_INVALID_DATA ((int32_t)0x80000A03u)

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------------------------------
// Symbol sizes.

#define IDREAD_DATAMATRIX_SQUARE 0
#define IDREAD_DATAMATRIX_RECTANGLE 1
#define IDREAD_DATAMATRIX_EXTENDED_RECTANGLE 2

typedef struct idread_DataMatrixSize {
  int32_t rows;             // modules, borders included
  int32_t columns;
  int32_t regionRows;       // data regions down the symbol
  int32_t regionColumns;    // data regions across the symbol
  int32_t regionHeight;     // data modules of one region, its border excluded
  int32_t regionWidth;
  int32_t dataCodewords;    // all blocks together
  int32_t checkCodewords;   // all blocks together
  int32_t blocks;           // interleaved Reed-Solomon blocks
  int32_t shape;            // IDREAD_DATAMATRIX_SQUARE, _RECTANGLE or _EXTENDED_RECTANGLE
} idread_DataMatrixSize;

// The 48 sizes: 24 squares, 6 rectangles, 18 extended rectangles, each group ordered by
// rows, then columns. *count receives the number of entries.
IDREAD_API const idread_DataMatrixSize* idread_dataMatrixSizes(int32_t* count);
// The size of exactly rows x columns modules, or null.
IDREAD_API const idread_DataMatrixSize* idread_dataMatrixSizeFind(int32_t rows, int32_t columns);
// The size closest to a measured grid: least |rows difference| + |columns difference|,
// among the shapes whose bit is set in shapeMask (bit IDREAD_DATAMATRIX_SQUARE and so on);
// ties go to the smaller symbol. Null when the mask selects no shape.
IDREAD_API const idread_DataMatrixSize* idread_dataMatrixSizeNearest(int32_t rows, int32_t columns,
                                                                     int32_t shapeMask);

// ---------------------------------------------------------------------------------------
// Decoding.

#define IDREAD_MODULE_DARK 1
#define IDREAD_MODULE_UNSURE 2

// Longest decoded text: digit pairs in every data codeword of the largest symbol but the
// one that opens a 05/06 macro, whose header and trailer add 9 bytes.
#define IDREAD_DATAMATRIX_MAX_BYTES (2 * (1558 - 1) + 9)
// ECI switches recorded in a result; further ones are counted only.
#define IDREAD_DATAMATRIX_MAX_ECIS 8

// Bits of idread_DataMatrixResult.encodations.
#define IDREAD_ENCODATION_ASCII 0x01
#define IDREAD_ENCODATION_C40 0x02
#define IDREAD_ENCODATION_TEXT 0x04
#define IDREAD_ENCODATION_X12 0x08
#define IDREAD_ENCODATION_EDIFACT 0x10
#define IDREAD_ENCODATION_BASE256 0x20

typedef struct idread_DataMatrixEci {
  int32_t number;  // the ECI designator, 0..999999
  int32_t offset;  // bytes of the text before the switch
} idread_DataMatrixEci;

typedef struct idread_DataMatrixResult {
  int32_t rows;               // symbol size as read (after un-mirroring)
  int32_t columns;
  int32_t mirrored;           // 1 when the matrix held the symbol's mirror image
  int32_t correctedErrors;    // codewords changed by the correction, all blocks together
  int32_t encodations;        // IDREAD_ENCODATION_* bits of the modes met in the data
  int32_t gs1;                // 1 when the data opens with FNC1 (GS1 data)
  int32_t macro;              // 5 or 6 for the 05/06 macros, else 0
  int32_t readerProgramming;  // 1 for a reader programming symbol
  int32_t appendPosition;     // structured append: 1..16, 0 for a stand-alone symbol
  int32_t appendCount;        // structured append: symbols in the sequence, 2..16
  int32_t appendFileId;       // structured append: the two file id codewords, hi * 256 + lo
  int32_t eciCount;           // ECI switches in the data (all, even past the table)
  idread_DataMatrixEci ecis[IDREAD_DATAMATRIX_MAX_ECIS];
  int32_t length;             // bytes in text
  uint8_t text[IDREAD_DATAMATRIX_MAX_BYTES];
} idread_DataMatrixResult;

// A decoder holds the Reed-Solomon codes of every block length and, built on first use,
// the codeword placement of each symbol size, so that a decode allocates no tables. One
// decoder serves one thread at a time.
typedef struct idread_DataMatrixDecoder idread_DataMatrixDecoder;

// *decoder receives a new decoder (null after a failure). Returns the allocation status.
IDREAD_API int32_t idread_DataMatrixDecoder_create(idread_DataMatrixDecoder** decoder);
// Frees the decoder and sets *decoder to null; a null *decoder is allowed. Returns 0.
IDREAD_API int32_t idread_DataMatrixDecoder_release(idread_DataMatrixDecoder** decoder);

// Decodes the rows x columns module matrix (rowStride bytes from one row to the next).
// The matrix may also hold the symbol mirrored, that is transposed (its L then along the
// top row and right column) or reflected about the L's corner (the L where it belongs):
// the finder picks the orientation, and a reflection is tried when the straight reading
// fails. Status 0 with *result filled; or IDREAD_ERR_NOT_A_SYMBOL_SIZE,
// IDREAD_ERR_UNCORRECTABLE, IDREAD_ERR_INVALID_DATA, or an allocation status of the first
// decode of a size or of the codec, all with *result zeroed up to its text.
IDREAD_API int32_t idread_DataMatrixDecoder_decode(idread_DataMatrixDecoder* decoder,
                                                   const uint8_t* modules, int32_t rows,
                                                   int32_t columns, ptrdiff_t rowStride,
                                                   idread_DataMatrixResult* result);

#ifdef __cplusplus
}

static_assert(sizeof(idread_DataMatrixSize) == 10 * sizeof(int32_t), "idread_DataMatrixSize");
static_assert(offsetof(idread_DataMatrixResult, text) ==
                  offsetof(idread_DataMatrixResult, length) + sizeof(int32_t),
              "idread_DataMatrixResult layout");
#endif
