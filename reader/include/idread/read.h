// Reading DataMatrix symbols: every symbol the find-all loop locates is sampled module by
// module over its measured grid, thresholded locally and decoded (ECC 200). A symbol that
// does not decode is reported as found but not read, never with a guessed text.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "idread/datamatrix.h"
#include "idread/export.h"
#include "idread/locate.h"

struct idread_readOptions {
  idread_locateOptions locate;  // how symbols are found (passes, sizes, polarity, ...)
  // When the measured size does not decode, the symbol sizes within this many modules of
  // it are tried, then any size whose modules come out near square on the symbol.
  int32_t sizeSlack = 2;
};

// One located symbol and what decoding made of it.
struct idread_reading {
  idread_symbol symbol;         // where it is, its measured grid
  int32_t read = 0;             // 1: text holds the decoded bytes
  int32_t status = 0;           // when not read: the decoder's status (IDREAD_ERR_*)
  std::string text;             // the data bytes, macros expanded, GS1 separators as 0x1D
  int32_t rows = 0;             // the symbol size as decoded
  int32_t columns = 0;
  int32_t correctedErrors = 0;  // codewords changed by the Reed-Solomon correction
  int32_t mirrored = 0;         // 1: the symbol was printed mirrored
  int32_t gs1 = 0;              // 1: GS1 data (leading FNC1)
  int32_t macro = 0;            // 5 or 6 for the 05/06 macros
  int32_t appendPosition = 0;   // structured append: 1..16, 0 for a stand-alone symbol
  int32_t appendCount = 0;
  int32_t appendFileId = 0;
  std::vector<idread_DataMatrixEci> ecis;  // ECI switches with the text offsets they start at
};

// A reader holds what reading reuses from image to image (the decoder's tables). One
// reader serves one thread at a time; make one per thread.
typedef struct idread_reader idread_reader;

// *reader receives a new reader (null after a failure). Returns the allocation status.
IDREAD_API int32_t idread_reader_create(idread_reader** reader);
// Frees the reader and sets *reader to null; a null *reader is allowed. Returns 0.
IDREAD_API int32_t idread_reader_release(idread_reader** reader);

// Locates the DataMatrix symbols of the image's window and reads each; appends one
// reading per located symbol in the order the search met them. Returns 0 or the first
// failing library status (a symbol that does not decode is no failure).
IDREAD_API int32_t idread_readAll(idread_reader* reader, const cimg_image* image,
                                  const idread_readOptions& options,
                                  std::vector<idread_reading>* readings);

// Samples the module matrix of one located symbol whose grid is rows x columns: row 0 at
// the end of its y side, column 0 at its L's corner, 1 for ink (of the symbol's polarity:
// the L's side), with IDREAD_MODULE_UNSURE added where a module's grey lies close to its
// local threshold. Returns 0 or the first failing library status.
IDREAD_API int32_t idread_sampleModules(const cimg_image* image, const idread_symbol& symbol,
                                        int32_t rows, int32_t columns,
                                        std::vector<uint8_t>* modules);
