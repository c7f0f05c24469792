// surfInflate against zlib's deflate, and the invalid constructs it must
// refuse rather than follow out of its buffers.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "surf/surf.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes rawDeflate(const Bytes& data, int level, int strategy) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy), Z_OK);
  Bytes out(deflateBound(&z, data.size()) + 16);
  z.next_in = const_cast<unsigned char*>(data.data());
  z.avail_in = (uInt)data.size();
  z.next_out = out.data();
  z.avail_out = (uInt)out.size();
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Decodes with the two look-ahead bytes the decoder may read behind the data.
int inflateInto(Bytes& out, Bytes stream, unsigned statedLength) {
  stream.resize(std::max<size_t>(stream.size(), statedLength + 2), 0);
  return surfInflate(out.data(), (unsigned)out.size(), stream.data(), statedLength);
}

Bytes sample(const std::string& kind, size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes d(n);
  for (size_t i = 0; i < n; i++) {
    if (kind == "random") d[i] = (unsigned char)rng();
    else if (kind == "text") d[i] = "the quick brown fox jumps over the lazy dog "[rng() % 44];
    else if (kind == "runs") d[i] = (unsigned char)((i / (1 + rng() % 300)) % 7);
    else d[i] = (unsigned char)(i % 251 < 128 ? i % 13 : rng() % 4);  // mixed
  }
  return d;
}

TEST(Inflate, DecodesZlibOutputAtEveryLevelAndStrategy) {
  const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
  for (const char* kind : {"random", "text", "runs", "mixed"}) {
    for (size_t n : {(size_t)0, (size_t)1, (size_t)300, (size_t)40000}) {
      Bytes data = sample(kind, n, (unsigned)n);
      for (int strategy : strategies) {
        for (int level = 0; level <= 9; level++) {
          if (strategy != Z_DEFAULT_STRATEGY && level != 1 && level != 6 && level != 9) continue;
          SCOPED_TRACE(std::string(kind) + " n=" + std::to_string(n) + " strategy=" + std::to_string(strategy) +
                       " level=" + std::to_string(level));
          Bytes stream = rawDeflate(data, level, strategy);
          Bytes out(n);
          ASSERT_EQ(inflateInto(out, stream, (unsigned)stream.size()), 1);
          ASSERT_EQ(out, data);
        }
      }
    }
  }
}

TEST(Inflate, ShortOutputBufferIsAnError) {
  Bytes data = sample("text", 5000, 1);
  for (int level : {0, 6}) {
    Bytes stream = rawDeflate(data, level, Z_DEFAULT_STRATEGY);
    Bytes out(data.size() - 1);
    EXPECT_EQ(inflateInto(out, stream, (unsigned)stream.size()), 0);
  }
}

TEST(Inflate, TruncatedStreamsReturnZero) {
  for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED, Z_HUFFMAN_ONLY}) {
    for (int level : {0, 1, 9}) {
      Bytes data = sample("mixed", 4000, 7);
      Bytes stream = rawDeflate(data, level, strategy);
      Bytes out(data.size());
      // The bytes behind the stated length stay the real ones: the decoder
      // may look two bytes ahead but must still notice the stream is cut.
      for (unsigned cut = 0; cut < stream.size(); cut += 1 + cut / 16) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        ASSERT_EQ(inflateInto(out, stream, cut), 0);
      }
    }
  }
}

TEST(Inflate, CorruptedStreamsNeverOverrun) {
  // A flipped byte may still decode to other bytes; what matters is that no
  // input reads or writes outside the buffers (checked under the sanitizers).
  std::mt19937 rng(42);
  Bytes data = sample("text", 3000, 3);
  for (int level : {1, 9}) {
    Bytes stream = rawDeflate(data, level, Z_DEFAULT_STRATEGY);
    for (int trial = 0; trial < 300; trial++) {
      Bytes bad = stream;
      bad[rng() % bad.size()] ^= (unsigned char)(1 + rng() % 255);
      Bytes exact(bad.begin(), bad.end());
      exact.resize(bad.size() + 2);
      Bytes out(data.size());
      surfInflate(out.data(), (unsigned)out.size(), exact.data(), (unsigned)bad.size());
    }
  }
}

// Deflate bits, least significant first; Huffman codes most significant first.
struct BitWriter {
  Bytes bytes;
  int bit = 0;
  void put(uint32_t v, int n) {
    for (int i = 0; i < n; i++) {
      if (bit == 0) bytes.push_back(0);
      bytes.back() |= (unsigned char)(((v >> i) & 1) << bit);
      bit = (bit + 1) & 7;
    }
  }
  void code(uint32_t c, int n) {
    for (int i = n - 1; i >= 0; i--) put((c >> i) & 1, 1);
  }
  // A symbol of the fixed literal/length code.
  void fixed(int sym) {
    if (sym < 144) code(0x30 + sym, 8);
    else if (sym < 256) code(0x190 + sym - 144, 9);
    else if (sym < 280) code(sym - 256, 7);
    else code(0xC0 + sym - 280, 8);
  }
  // Pads generously so that only the construct under test can fail.
  Bytes done() {
    Bytes b = bytes;
    b.resize(b.size() + 8, 0);
    return b;
  }
};

int run(const Bytes& stream, size_t outSize = 64) {
  Bytes out(outSize);
  return surfInflate(out.data(), (unsigned)out.size(), stream.data(), (unsigned)stream.size() - 2);
}

TEST(InflateRejects, StoredBlockWhoseNlenDoesNotComplementLen) {
  BitWriter w;
  w.put(1, 1), w.put(0, 2), w.put(0, 5);
  w.put(4, 16), w.put(0xFFFA, 16), w.put(0x64636261, 32);
  EXPECT_EQ(run(w.done()), 0);
  BitWriter ok;
  ok.put(1, 1), ok.put(0, 2), ok.put(0, 5);
  ok.put(4, 16), ok.put(0xFFFB, 16), ok.put(0x64636261, 32);
  EXPECT_EQ(run(ok.done()), 1);
}

TEST(InflateRejects, StoredBlockLongerThanItsInput) {
  BitWriter w;
  w.put(1, 1), w.put(0, 2), w.put(0, 5);
  w.put(60, 16), w.put(~60u & 0xFFFF, 16), w.put(0x64636261, 32);
  EXPECT_EQ(run(w.done(), 100), 0);
}

TEST(InflateRejects, BlockTypeThree) {
  BitWriter w;
  w.put(1, 1), w.put(3, 2);
  EXPECT_EQ(run(w.done()), 0);
}

TEST(InflateRejects, LengthSymbols286And287) {
  for (int sym : {286, 287}) {
    BitWriter w;
    w.put(1, 1), w.put(1, 2);
    w.fixed('a'), w.fixed(sym), w.code(0, 5), w.fixed(256);
    EXPECT_EQ(run(w.done()), 0) << sym;
  }
}

TEST(InflateRejects, DistanceSymbols30And31) {
  for (int dsym : {30, 31}) {
    BitWriter w;
    w.put(1, 1), w.put(1, 2);
    w.fixed('a'), w.fixed(257), w.code(dsym, 5), w.fixed(256);
    EXPECT_EQ(run(w.done()), 0) << dsym;
  }
}

TEST(InflateRejects, DistanceBeforeTheStartOfTheOutput) {
  BitWriter w;
  w.put(1, 1), w.put(1, 2);
  w.fixed('a'), w.fixed(257), w.code(1, 5), w.fixed(256);  // distance 2 after one byte
  EXPECT_EQ(run(w.done()), 0);
  BitWriter ok;
  ok.put(1, 1), ok.put(1, 2);
  ok.fixed('a'), ok.fixed(257), ok.code(0, 5), ok.fixed(256);  // distance 1 repeats the byte
  Bytes out(4);
  Bytes stream = ok.done();
  ASSERT_EQ(surfInflate(out.data(), 4, stream.data(), (unsigned)stream.size() - 2), 1);
  EXPECT_EQ(out, (Bytes{'a', 'a', 'a', 'a'}));
}

// The header of a dynamic block whose code-length code gives symbols 0..3,
// 16, 17 and 18 two or three bits each (a complete code).
void dynamicHeader(BitWriter& w, int hlit, int hdist) {
  w.put(1, 1), w.put(2, 2);
  w.put(hlit - 257, 5), w.put(hdist - 1, 5), w.put(19 - 4, 4);
  // Order 16 17 18 0 8 7 9 6 10 5 11 4 12 3 13 2 14 1 15.
  const int lengths[19] = {3, 3, 3, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 3, 0, 3, 0};
  for (int len : lengths) w.put(len, 3);
}
// Canonical codes of that code-length code: 0 -> 00, then 3-bit 1,2,3,16,17,18.
void clSymbol(BitWriter& w, int sym) {
  switch (sym) {
    case 0: w.code(0, 2); break;
    case 1: w.code(2, 3); break;
    case 2: w.code(3, 3); break;
    case 3: w.code(4, 3); break;
    case 16: w.code(5, 3); break;
    case 17: w.code(6, 3); break;
    default: w.code(7, 3); break;
  }
}

TEST(InflateRejects, RepeatWithoutAPreviousLength) {
  BitWriter w;
  dynamicHeader(w, 257, 1);
  clSymbol(w, 16), w.put(0, 2);
  EXPECT_EQ(run(w.done()), 0);
}

TEST(InflateRejects, RepeatsPastTheDeclaredLengths) {
  BitWriter w;
  dynamicHeader(w, 257, 1);
  clSymbol(w, 18), w.put(127, 7);  // 138 zeros
  clSymbol(w, 18), w.put(127, 7);  // 276 > 258
  EXPECT_EQ(run(w.done()), 0);
}

TEST(InflateRejects, SymbolFromATableWithoutCodes) {
  // Every code-length code length is zero: the first length cannot decode.
  BitWriter w;
  w.put(1, 1), w.put(2, 2), w.put(0, 5), w.put(0, 5), w.put(15, 4);
  for (int i = 0; i < 19; i++) w.put(0, 3);
  EXPECT_EQ(run(w.done()), 0);
  // Literal/length lengths all zero but a valid distance code: decoding a
  // literal must fail rather than read past an empty table.
  BitWriter v;
  dynamicHeader(v, 257, 1);
  clSymbol(v, 18), v.put(127, 7);
  clSymbol(v, 18), v.put(108, 7);  // 138 + 119 = 257 zeros
  clSymbol(v, 1);                  // the one distance code
  EXPECT_EQ(run(v.done()), 0);
}

TEST(InflateRejects, OversubscribedCodeLengths) {
  BitWriter w;
  w.put(1, 1), w.put(2, 2), w.put(0, 5), w.put(0, 5), w.put(15, 4);
  for (int i = 0; i < 19; i++) w.put(1, 3);  // nineteen 1-bit codes
  EXPECT_EQ(run(w.done()), 0);
}

TEST(Inflate, DynamicBlockWithHandBuiltTables) {
  // Literal/length: 'a' and 'b' and 256 get 2-bit codes, 257 gets 2 bits too;
  // one distance code. Checks the whole dynamic path decodes a match.
  BitWriter w;
  dynamicHeader(w, 258, 1);
  clSymbol(w, 18), w.put(97 - 11, 7);  // 0..96 zero
  clSymbol(w, 2), clSymbol(w, 2);      // 'a', 'b'
  clSymbol(w, 18), w.put(127, 7);      // 99..236
  clSymbol(w, 18), w.put(19 - 11, 7);  // 237..255
  clSymbol(w, 2), clSymbol(w, 2);      // 256, 257
  clSymbol(w, 1);                      // distance symbol 0
  // Canonical 2-bit codes: a=00 b=01 256=10 257=11; distance 0 = 0 (1 bit).
  w.code(0, 2), w.code(1, 2), w.code(3, 2), w.code(0, 1), w.code(2, 2);
  Bytes stream = w.done();
  Bytes out(5);
  ASSERT_EQ(surfInflate(out.data(), 5, stream.data(), (unsigned)stream.size() - 2), 1);
  EXPECT_EQ(out, (Bytes{'a', 'b', 'b', 'b', 'b'}));
}

}  // namespace
