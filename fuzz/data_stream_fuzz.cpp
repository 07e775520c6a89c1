// The reader's codeword-to-text decoder on any codewords: a text within the result buffer
// with consistent fields, or an invalid-data status with no text; every field is set, so
// two decodings into differently spoiled records agree.
#include <cstring>
#include <memory>

#include "data_stream.h"
#include "decoded_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int32_t count = int32_t(size < 1558 ? size : 1558);  // data words of the largest symbol
  auto first = std::make_unique<idread_DataMatrixResult>();
  auto second = std::make_unique<idread_DataMatrixResult>();
  std::memset(first.get(), 0x5A, sizeof *first);
  std::memset(second.get(), 0xA5, sizeof *second);
  const int32_t status = idread_decodeDataStream(data, count, first.get());
  FUZZ_REQUIRE(idread_decodeDataStream(data, count, second.get()) == status);
  if (status != 0) {
    FUZZ_REQUIRE(status == IDREAD_ERR_INVALID_DATA);
    FUZZ_REQUIRE(first->length == 0 && second->length == 0);
    return 0;
  }
  fuzz_checkDecodedFields(*first);
  FUZZ_REQUIRE(fuzz_sameText(*first, *second));
  return 0;
}
