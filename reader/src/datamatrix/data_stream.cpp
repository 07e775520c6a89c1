// ECC 200 data stream decoding. ASCII is the mode a stream starts in and returns to; the
// other modes are entered by latch codewords and left by an unlatch, at the end of a
// Base256 field, or implicitly when too few codewords remain for their next unit.
#include "datamatrix/data_stream.h"

#include "kit/system.h"

namespace {

enum class streamMode { ascii, c40, text, x12, edifact, base256, end, invalid };

// ASCII-mode codewords.
constexpr int32_t padCodeword = 129;
constexpr int32_t firstDigitPair = 130;
constexpr int32_t lastDigitPair = 229;
constexpr int32_t latchC40 = 230;
constexpr int32_t latchBase256 = 231;
constexpr int32_t fnc1 = 232;
constexpr int32_t structuredAppend = 233;
constexpr int32_t readerProgramming = 234;
constexpr int32_t upperShift = 235;
constexpr int32_t macro05 = 236;
constexpr int32_t macro06 = 237;
constexpr int32_t latchX12 = 238;
constexpr int32_t latchText = 239;
constexpr int32_t latchEdifact = 240;
constexpr int32_t eciCodeword = 241;
// Leaves C40, Text and X12.
constexpr int32_t unlatchTriplets = 254;
// Leaves EDIFACT (a 6-bit value).
constexpr int32_t unlatchEdifact = 31;

constexpr uint8_t groupSeparator = 0x1D;

class dataStream {
 public:
  dataStream(const uint8_t* codewords, int32_t count, idread_DataMatrixResult& result)
      : codewords_(codewords), count_(count), result_(result) {}

  bool decode() {
    streamMode mode = streamMode::ascii;
    while (mode != streamMode::end && mode != streamMode::invalid) {
      if (position_ == count_) break;
      switch (mode) {
        case streamMode::ascii: mode = asciiUnit(); break;
        case streamMode::c40:
        case streamMode::text:
        case streamMode::x12: mode = tripletUnit(mode); break;
        case streamMode::edifact: mode = edifactUnit(); break;
        case streamMode::base256: mode = base256Field(); break;
        default: break;
      }
    }
    if (mode == streamMode::invalid || upperShifted_) return false;
    if (result_.macro) return put(0x1E) && put(0x04);
    return true;
  }

 private:
  int32_t remaining() const { return count_ - position_; }
  // The next codeword, or -1 past the end.
  int32_t next() { return position_ < count_ ? codewords_[position_++] : -1; }

  bool put(int32_t byte) {
    if (upperShifted_) {
      byte += 128;
      upperShifted_ = false;
    }
    if (result_.length == IDREAD_DATAMATRIX_MAX_BYTES) return false;
    result_.text[result_.length++] = uint8_t(byte);
    return true;
  }
  bool putText(const char* text) {
    for (; *text; ++text) {
      if (!put(uint8_t(*text))) return false;
    }
    return true;
  }

  // Before any data: at the very start, or right after a structured append header.
  bool atDataStart(int32_t codewordPosition) const { return codewordPosition == dataStart_; }

  streamMode asciiUnit() {
    result_.encodations |= IDREAD_ENCODATION_ASCII;
    const int32_t at = position_;
    const int32_t c = next();
    if (c >= 1 && c <= 128) return put(c - 1) ? streamMode::ascii : streamMode::invalid;
    if (upperShifted_) return streamMode::invalid;  // only a plain character may follow
    if (c >= firstDigitPair && c <= lastDigitPair) {
      const int32_t pair = c - firstDigitPair;
      return put('0' + pair / 10) && put('0' + pair % 10) ? streamMode::ascii : streamMode::invalid;
    }
    switch (c) {
      case padCodeword: return streamMode::end;
      case latchC40: return streamMode::c40;
      case latchText: return streamMode::text;
      case latchX12: return streamMode::x12;
      case latchEdifact: return streamMode::edifact;
      case latchBase256: return streamMode::base256;
      case upperShift: upperShifted_ = true; return streamMode::ascii;
      case fnc1:
        if (atDataStart(at)) {
          result_.gs1 = 1;
          return streamMode::ascii;
        }
        return put(groupSeparator) ? streamMode::ascii : streamMode::invalid;
      case structuredAppend: return at == 0 && appendHeader() ? streamMode::ascii : streamMode::invalid;
      case readerProgramming:
        if (at != 0) return streamMode::invalid;
        result_.readerProgramming = 1;
        return streamMode::ascii;
      case macro05:
      case macro06:
        if (!atDataStart(at)) return streamMode::invalid;
        result_.macro = c == macro05 ? 5 : 6;
        return putText(c == macro05 ? "[)>\x1E" "05\x1D" : "[)>\x1E" "06\x1D") ? streamMode::ascii
                                                                              : streamMode::invalid;
      case eciCodeword: return eciDesignator() ? streamMode::ascii : streamMode::invalid;
      default: return streamMode::invalid;  // 0, 242..255, or the end of the stream
    }
  }

  // Symbol sequence indicator (position - 1 in the high nibble, 17 - count in the low
  // one) and the two file id codewords 1..254.
  bool appendHeader() {
    const int32_t sequence = next();
    const int32_t idHigh = next();
    const int32_t idLow = next();
    if (idLow < 1 || idHigh < 1 || idHigh > 254 || idLow > 254) return false;
    const int32_t symbolPosition = (sequence >> 4) + 1;
    const int32_t symbolCount = 17 - (sequence & 15);
    if (symbolCount < 2 || symbolCount > 16 || symbolPosition > symbolCount) return false;
    result_.appendPosition = symbolPosition;
    result_.appendCount = symbolCount;
    result_.appendFileId = idHigh * 256 + idLow;
    dataStart_ = position_;
    return true;
  }

  // One to three codewords: 1..127 for ECI 0..126, 128..191 and one more for up to 16382,
  // 192..254 and two more for up to 999999.
  bool eciDesignator() {
    const int32_t c1 = next();
    int32_t number = 0;
    if (c1 >= 1 && c1 <= 127) {
      number = c1 - 1;
    } else if (c1 >= 128 && c1 <= 191) {
      const int32_t c2 = next();
      if (c2 < 1 || c2 > 254) return false;
      number = (c1 - 128) * 254 + c2 - 1 + 127;
    } else if (c1 >= 192 && c1 <= 254) {
      const int32_t c2 = next();
      const int32_t c3 = next();
      if (c2 < 1 || c2 > 254 || c3 < 1 || c3 > 254) return false;
      number = (c1 - 192) * 64516 + (c2 - 1) * 254 + c3 - 1 + 16383;
      if (number > 999999) return false;
    } else {
      return false;
    }
    if (result_.eciCount < IDREAD_DATAMATRIX_MAX_ECIS)
      result_.ecis[result_.eciCount] = idread_DataMatrixEci{number, result_.length};
    ++result_.eciCount;
    return true;
  }

  // Two codewords carry three values 0..39: c1 * 256 + c2 - 1 = 1600 v1 + 40 v2 + v3.
  streamMode tripletUnit(streamMode mode) {
    const int32_t bit = mode == streamMode::c40   ? IDREAD_ENCODATION_C40
                        : mode == streamMode::text ? IDREAD_ENCODATION_TEXT
                                                   : IDREAD_ENCODATION_X12;
    result_.encodations |= bit;
    // A last single codeword is ASCII; a shift left open at the end is padding.
    if (remaining() < 2 || codewords_[position_] == unlatchTriplets) {
      position_ += remaining() < 2 ? 0 : 1;
      shift_ = 0;
      return streamMode::ascii;
    }
    const int32_t c1 = next();
    const int32_t packed = c1 * 256 + next() - 1;
    if (packed < 0 || packed >= 64000) return streamMode::invalid;  // pairs pack 1..64000
    const int32_t values[3] = {packed / 1600, packed / 40 % 40, packed % 40};
    for (int32_t value : values) {
      const bool ok = mode == streamMode::x12 ? x12Value(value) : c40Value(value, mode == streamMode::text);
      if (!ok) return streamMode::invalid;
    }
    return mode;
  }

  // C40 and Text: a basic set, and shift sets 1 (controls), 2 (punctuation, FNC1, upper
  // shift) and 3 (the rest of ASCII). Text swaps the cases of the basic and shift-3 sets.
  // A shift may close a pair and act on the next one.
  bool c40Value(int32_t value, bool text) {
    const int32_t shift = shift_;
    shift_ = 0;
    switch (shift) {
      case 0:
        if (value < 3) {
          shift_ = value + 1;
          return true;
        }
        if (value == 3) return put(' ');
        if (value < 14) return put('0' + value - 4);
        return put((text ? 'a' : 'A') + value - 14);
      case 1:
        return value < 32 && put(value);
      case 2:
        if (value < 15) return put('!' + value);
        if (value < 22) return put(':' + value - 15);
        if (value < 27) return put('[' + value - 22);
        if (value == 27) return put(groupSeparator);
        if (value == 30) {
          if (upperShifted_) return false;
          upperShifted_ = true;
          return true;
        }
        return false;
      default:
        if (value >= 32) return false;
        if (!text) return put('`' + value);
        if (value == 0) return put('`');
        if (value < 27) return put('A' + value - 1);
        return put('{' + value - 27);
    }
  }

  bool x12Value(int32_t value) {
    static constexpr char specials[4] = {'\r', '*', '>', ' '};
    if (value < 4) return put(specials[value]);
    if (value < 14) return put('0' + value - 4);
    return put('A' + value - 14);
  }

  // Three codewords carry four 6-bit values; a value v stands for v | 0x40 when its bit 5
  // is clear. The unlatch value ends the mode at the next codeword boundary. With fewer
  // than three codewords left the stream continues in ASCII.
  streamMode edifactUnit() {
    result_.encodations |= IDREAD_ENCODATION_EDIFACT;
    if (remaining() < 3) return streamMode::ascii;
    const int32_t bits = codewords_[position_] << 16 | codewords_[position_ + 1] << 8 |
                         codewords_[position_ + 2];
    for (int32_t k = 0; k < 4; ++k) {
      const int32_t value = (bits >> (18 - 6 * k)) & 0x3F;
      if (value == unlatchEdifact) {
        position_ += (6 * (k + 1) + 7) / 8;
        return streamMode::ascii;
      }
      if (!put(value & 0x20 ? value : value | 0x40)) return streamMode::invalid;
    }
    position_ += 3;
    return streamMode::edifact;
  }

  // A length (one codeword up to 249, two beyond; 0 for the rest of the symbol) and that
  // many bytes, all randomised by their codeword position.
  streamMode base256Field() {
    result_.encodations |= IDREAD_ENCODATION_BASE256;
    int32_t length = nextUnrandomised();
    if (length >= 250) {
      const int32_t low = nextUnrandomised();
      if (low < 0) return streamMode::invalid;
      length = (length - 249) * 250 + low;
    } else if (length == 0) {
      length = remaining();
    }
    if (length < 0 || length > remaining()) return streamMode::invalid;
    for (int32_t i = 0; i < length; ++i) {
      if (!put(nextUnrandomised())) return streamMode::invalid;
    }
    return streamMode::ascii;
  }

  // Undoes the 255-state randomising: the codeword at 1-based position p carries
  // value + (149 p mod 255) + 1, modulo 256. -1 past the end.
  int32_t nextUnrandomised() {
    const int32_t p = position_ + 1;
    const int32_t c = next();
    if (c < 0) return -1;
    const int32_t value = c - (149 * p % 255 + 1);
    return value < 0 ? value + 256 : value;
  }

  const uint8_t* codewords_;
  const int32_t count_;
  idread_DataMatrixResult& result_;
  int32_t position_ = 0;
  int32_t dataStart_ = 0;      // position of the first data codeword
  int32_t shift_ = 0;          // C40/Text shift set awaiting its value, 0 for none
  bool upperShifted_ = false;  // the next character gets 128 added
};

}  // namespace

int32_t idread_decodeDataStream(const uint8_t* codewords, int32_t count,
                                idread_DataMatrixResult* result) {
  const size_t dataFields = offsetof(idread_DataMatrixResult, text) -
                            offsetof(idread_DataMatrixResult, encodations);
  csys_memory_fill(0, dataFields, &result->encodations);
  if (dataStream(codewords, count, *result).decode()) return 0;
  result->length = 0;
  return IDREAD_ERR_INVALID_DATA;
}
