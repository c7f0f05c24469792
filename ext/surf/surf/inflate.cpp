// A small raw-deflate decoder: canonical Huffman codes kept as sorted arrays
// and searched with a binary search, so there are no lookup tables to build
// and no state outlives a call.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "surf/surf.h"

namespace {

struct State {
    uint32_t bits;  // bit buffer, next bit in the least significant place
    int count;      // valid bits in `bits`
    const uint8_t *in, *inend;
    uint8_t *out, *outend;
    uint8_t* outbegin;  // distances may not reach before it
    jmp_buf jmp;
    // Entries: left-aligned code in the top bits, symbol in bits 4..15, code
    // length in bits 0..3; ascending, so a binary search finds a prefix.
    uint32_t litcodes[288], distcodes[32], lencodes[19];
    int tlit, tdist, tlen;
};

const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t kDistBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

struct ReverseTable {
    uint8_t v[256];
    constexpr ReverseTable() : v() {
        for (int i = 0; i < 256; i++) {
            int r = 0;
            for (int b = 0; b < 8; b++) r |= ((i >> b) & 1) << (7 - b);
            v[i] = (uint8_t)r;
        }
    }
};
constexpr ReverseTable kReverse;

[[noreturn]] void fail(State* s) { longjmp(s->jmp, 1); }

void refill(State* s) {
    while (s->count < 16) {
        if (s->in == s->inend) fail(s);
        s->bits |= (uint32_t)*s->in++ << s->count;
        s->count += 8;
    }
}

void consume(State* s, int n) {
    s->bits >>= n;
    s->count -= n;
    refill(s);
}

// Up to 16 bits, least significant first.
int getBits(State* s, int n) {
    int v = (int)(s->bits & ((1u << n) - 1));
    consume(s, n);
    return v;
}

// Builds a table from code lengths; over-subscribed lengths are invalid data.
int build(State* s, uint32_t* table, const uint8_t* lengths, int n) {
    int counts[16] = {0};
    for (int i = 0; i < n; i++) counts[lengths[i]]++;
    counts[0] = 0;
    uint32_t next[16] = {0};
    uint32_t code = 0;
    for (int len = 1; len < 16; len++) {
        code = (code + counts[len - 1]) << 1;
        if (code + counts[len] > (1u << len)) fail(s);
        next[len] = code;
    }
    int entries = 0;
    for (int len = 1; len < 16; len++) {
        for (int sym = 0; sym < n; sym++) {
            if (lengths[sym] != len) continue;
            table[entries++] = (next[len]++ << (32 - len)) | (uint32_t)sym << 4 | (uint32_t)len;
        }
    }
    return entries;
}

int decode(State* s, const uint32_t* table, int entries) {
    uint32_t key =
        (uint32_t)kReverse.v[s->bits & 0xFF] << 24 | (uint32_t)kReverse.v[(s->bits >> 8) & 0xFF] << 16 | 0xFFFF;
    int lo = 0, hi = entries - 1, found = -1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        if (table[mid] <= key) {
            found = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    if (found < 0) fail(s);
    uint32_t entry = table[found];
    int len = (int)(entry & 15);
    if ((entry ^ key) >> (32 - len)) fail(s);
    consume(s, len);
    return (int)(entry >> 4) & 0xFFF;
}

void storedBlock(State* s) {
    consume(s, s->count & 7);
    unsigned len = (unsigned)getBits(s, 16);
    unsigned nlen = (unsigned)getBits(s, 16);
    if (len != (~nlen & 0xFFFF)) fail(s);
    // The bit buffer now holds whole bytes read ahead of the block's data.
    const uint8_t* data = s->in - s->count / 8;
    if ((ptrdiff_t)len > s->inend - 2 - data || (ptrdiff_t)len > s->outend - s->out) fail(s);
    if (len) memcpy(s->out, data, len);
    s->out += len;
    s->in = data + len;
    s->bits = 0;
    s->count = 0;
    refill(s);
}

void fixedTables(State* s) {
    uint8_t lengths[288 + 32];
    memset(lengths, 8, 144);
    memset(lengths + 144, 9, 112);
    memset(lengths + 256, 7, 24);
    memset(lengths + 280, 8, 8);
    memset(lengths + 288, 5, 32);
    s->tlit = build(s, s->litcodes, lengths, 288);
    s->tdist = build(s, s->distcodes, lengths + 288, 32);
}

void dynamicTables(State* s) {
    int hlit = getBits(s, 5) + 257, hdist = getBits(s, 5) + 1, hclen = getBits(s, 4) + 4;
    uint8_t lengths[288 + 32] = {0};
    for (int i = 0; i < hclen; i++) lengths[kCodeLengthOrder[i]] = (uint8_t)getBits(s, 3);
    s->tlen = build(s, s->lencodes, lengths, 19);
    memset(lengths, 0, 19);
    const int total = hlit + hdist;
    for (int i = 0; i < total;) {
        int sym = decode(s, s->lencodes, s->tlen);
        if (sym < 16) {
            lengths[i++] = (uint8_t)sym;
            continue;
        }
        int repeat;
        uint8_t value = 0;
        if (sym == 16) {
            if (i == 0) fail(s);
            value = lengths[i - 1];
            repeat = 3 + getBits(s, 2);
        } else if (sym == 17) {
            repeat = 3 + getBits(s, 3);
        } else {
            repeat = 11 + getBits(s, 7);
        }
        if (i + repeat > total) fail(s);
        memset(lengths + i, value, (size_t)repeat);
        i += repeat;
    }
    s->tlit = build(s, s->litcodes, lengths, hlit);
    s->tdist = build(s, s->distcodes, lengths + hlit, hdist);
}

void compressedBlock(State* s) {
    for (;;) {
        int sym = decode(s, s->litcodes, s->tlit);
        if (sym < 256) {
            if (s->out == s->outend) fail(s);
            *s->out++ = (uint8_t)sym;
            continue;
        }
        if (sym == 256) return;
        sym -= 257;
        if (sym >= 29) fail(s);  // symbols 286 and 287 carry no length
        int len = kLengthBase[sym] + getBits(s, kLengthExtra[sym]);
        int dsym = decode(s, s->distcodes, s->tdist);
        if (dsym >= 30) fail(s);
        int dist = kDistBase[dsym] + getBits(s, kDistExtra[dsym]);
        if (dist > s->out - s->outbegin || len > s->outend - s->out) fail(s);
        // Byte by byte, so an overlapping match repeats what it has just written.
        const uint8_t* from = s->out - dist;
        for (int i = 0; i < len; i++) s->out[i] = from[i];
        s->out += len;
    }
}

}  // namespace

int surfInflate(void* out, unsigned outLength, const void* in, unsigned inLength) {
    State* const s = (State*)malloc(sizeof(State));
    if (!s) return 0;
    if (setjmp(s->jmp)) {
        free(s);
        return 0;
    }
    const uint8_t* src = (const uint8_t*)in;
    s->bits = (uint32_t)src[0] | (uint32_t)src[1] << 8;
    s->count = 16;
    s->in = src + 2;
    s->inend = src + (size_t)inLength + 2;
    s->outbegin = s->out = (uint8_t*)out;
    s->outend = s->out + outLength;
    s->tlit = s->tdist = s->tlen = 0;
    int final;
    do {
        final = getBits(s, 1);
        int type = getBits(s, 2);
        if (type == 0) {
            storedBlock(s);
        } else if (type == 3) {
            fail(s);
        } else {
            if (type == 1)
                fixedTables(s);
            else
                dynamicTables(s);
            compressedBlock(s);
        }
    } while (!final);
    free(s);
    return 1;
}
