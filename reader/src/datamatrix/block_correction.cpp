// Block interleaving: codeword t of the whole sequence, data then check words, belongs to
// block t mod blocks. In the largest symbol the first blocks hold one data codeword more,
// and its check words start with those of the shorter blocks.
// A block is sent highest degree first, data before check words; the codec wants the
// lowest degree first, so each block is reversed on the way in and out.
#include "datamatrix/block_correction.h"

#include "datamatrix/clean_block_check.h"

namespace {

class interleavedBlock {
 public:
  interleavedBlock(idread_DataMatrixDecoder& decoder, const idread_DataMatrixSize& size, int32_t b)
      : decoder_(decoder),
        blocks_(size.blocks),
        nEcc_(size.checkCodewords / size.blocks),
        nData_((size.dataCodewords - b + size.blocks - 1) / size.blocks),
        firstData_(b),
        firstCheck_(size.dataCodewords + (b - size.dataCodewords % blocks_ + blocks_) % blocks_) {}

  int32_t length() const { return nData_ + nEcc_; }

  // Fills decoder.block with the codewords as read; with erasures, those holding an
  // unsure module are marked erased (-1). Returns the number marked.
  int32_t gather(bool erasures) {
    int32_t marked = 0;
    const int32_t n = length();
    for (int32_t i = 0; i < n; ++i) {
      const int32_t k = codewordAt(i);
      const bool erase = erasures && decoder_.unsure[k];
      decoder_.block[n - 1 - i] = erase ? -1 : decoder_.codewords[k];
      marked += erase;
    }
    return marked;
  }
  int32_t unsureCount() const {
    int32_t count = 0;
    for (int32_t i = 0; i < length(); ++i) count += decoder_.unsure[codewordAt(i)];
    return count;
  }
  void scatterData() {
    for (int32_t i = 0; i < nData_; ++i)
      decoder_.codewords[codewordAt(i)] = uint8_t(decoder_.block[length() - 1 - i]);
  }

 private:
  // Index in decoder.codewords of the block's i-th codeword in sending order.
  int32_t codewordAt(int32_t i) const {
    return i < nData_ ? firstData_ + i * blocks_ : firstCheck_ + (i - nData_) * blocks_;
  }

  idread_DataMatrixDecoder& decoder_;
  const int32_t blocks_;
  const int32_t nEcc_;
  const int32_t nData_;
  const int32_t firstData_;
  const int32_t firstCheck_;
};

// Check words kept back for detection when erasures are marked: with as many erasures as
// check words any received word solves to some codeword.
constexpr int32_t erasureReserve = 2;

// Runs the codec on decoder.block with `erasures` of its words marked; *count receives
// the corrected words, or -1 when the result is not to be trusted: past 2 errors +
// erasures <= nEcc (less the reserve with erasures) the codec may still return a word,
// with an odd number of check words, and that word is as likely a wrong one.
int32_t correctBlock(cid2d_ReedSolomonCode& code, int32_t* block, int32_t n, int32_t erasures,
                     int32_t* count) {
  const int32_t status = cid2d_ReedSolomonCode_CorrectErrs(&code, block, n, count);
  const int32_t budget = code.nEcc - (erasures > 0 ? erasureReserve : 0);
  if (status >= 0 && *count >= 0 && 2 * (*count - erasures) + erasures > budget) *count = -1;
  return status;
}

}  // namespace

int32_t idread_codeIndex(const idread_DataMatrixDecoder& decoder, int32_t nEcc) {
  for (int32_t i = 0; i < decoder.codeCount; ++i) {
    if (decoder.codes[i].nEcc == nEcc) return i;
  }
  return -1;
}

int32_t idread_correctBlocks(idread_DataMatrixDecoder& decoder, const idread_DataMatrixSize& size,
                             int32_t* corrected) {
  *corrected = 0;
  const int32_t nEcc = size.checkCodewords / size.blocks;
  const int32_t codeIndex = idread_codeIndex(decoder, nEcc);
  cid2d_ReedSolomonCode& code = decoder.codes[codeIndex];
  for (int32_t b = 0; b < size.blocks; ++b) {
    interleavedBlock block(decoder, size, b);
    const int32_t n = block.length();
    block.gather(false);
    if (idread_isCodeword(decoder.generatorProducts[codeIndex], nEcc, decoder.block, n)) continue;
    // Unsure codewords as erasures first, while there are few enough; then as read.
    int32_t count = -1;
    const int32_t unsure = block.unsureCount();
    if (unsure > 0 && unsure <= nEcc - erasureReserve) {
      const int32_t status = correctBlock(code, decoder.block, n, block.gather(true), &count);
      if (status < 0) return status;
      if (count < 0) block.gather(false);
    }
    if (count < 0) {
      const int32_t status = correctBlock(code, decoder.block, n, 0, &count);
      if (status < 0) return status;
    }
    if (count < 0) return IDREAD_ERR_UNCORRECTABLE;
    *corrected += count;
    block.scatterData();
  }
  return 0;
}
