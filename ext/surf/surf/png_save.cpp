// Writes a bitmap as an 8-bit RGBA PNG. Each row is Sub-filtered and the
// zlib stream is one fixed-Huffman block from a run-length coder: cheap to
// write, and runs of equal bytes (flat areas) shrink well.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "surf/surf.h"

namespace {

uint32_t crc32Update(uint32_t crc, const uint8_t* p, size_t n) {
    static const uint32_t table[16] = {0,          0x1db71064, 0x3b6e20c8, 0x26d930ac, 0x76dc4190, 0x6b6b51f4,
                                       0x4db26158, 0x5005713c, 0xedb88320, 0xf00f9344, 0xd6d6a3e8, 0xcb61b38c,
                                       0x9b64c2b0, 0x86d3d2d4, 0xa00ae278, 0xbdbdf21c};
    for (size_t i = 0; i < n; i++) {
        crc ^= p[i];
        crc = (crc >> 4) ^ table[crc & 15];
        crc = (crc >> 4) ^ table[crc & 15];
    }
    return crc;
}

// Deflate output: bits least significant first.
struct BitWriter {
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    int count = 0;

    void put(uint32_t value, int n) {
        bits |= value << count;
        count += n;
        while (count >= 8) {
            bytes.push_back((uint8_t)bits);
            bits >>= 8;
            count -= 8;
        }
    }
    // Huffman codes go most significant bit first.
    void putCode(uint32_t code, int n) {
        uint32_t reversed = 0;
        for (int i = 0; i < n; i++) reversed |= ((code >> i) & 1) << (n - 1 - i);
        put(reversed, n);
    }
    void flush() {
        if (count) put(0, 8 - count);
    }
};

void literal(BitWriter& out, int sym) {
    if (sym < 144)
        out.putCode(0x30 + sym, 8);
    else if (sym < 256)
        out.putCode(0x190 + sym - 144, 9);
    else if (sym < 280)
        out.putCode(sym - 256, 7);
    else
        out.putCode(0xC0 + sym - 280, 8);
}

// A match of distance 1 repeating the previous byte len (3..114) times.
void repeatPrevious(BitWriter& out, int len) {
    static const int base[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99};
    static const int extra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4};
    int i = 22;
    while (base[i] > len) i--;
    literal(out, 257 + i);
    out.put((uint32_t)(len - base[i]), extra[i]);
    out.putCode(0, 5);
}

std::vector<uint8_t> zlibStream(const std::vector<uint8_t>& raw) {
    BitWriter out;
    out.bytes = {0x08, 0x1D};
    out.put(1, 1);  // final block
    out.put(1, 2);  // fixed codes
    const size_t kMaxRun = 115;
    for (size_t i = 0; i < raw.size();) {
        size_t run = 1;
        while (run < kMaxRun && i + run < raw.size() && raw[i + run] == raw[i]) run++;
        literal(out, raw[i]);
        if (run - 1 >= 3)
            repeatPrevious(out, (int)(run - 1));
        else
            for (size_t k = 1; k < run; k++) literal(out, raw[i]);
        i += run;
    }
    literal(out, 256);
    out.flush();
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    uint32_t adler = b << 16 | a;
    for (int shift = 24; shift >= 0; shift -= 8) out.bytes.push_back((uint8_t)(adler >> shift));
    return out.bytes;
}

bool writeChunk(FILE* f, const char* type, const uint8_t* data, uint32_t length) {
    uint8_t head[8] = {(uint8_t)(length >> 24), (uint8_t)(length >> 16), (uint8_t)(length >> 8), (uint8_t)length,
                       (uint8_t)type[0],        (uint8_t)type[1],        (uint8_t)type[2],       (uint8_t)type[3]};
    uint32_t crc = ~crc32Update(crc32Update(0xFFFFFFFFu, head + 4, 4), data, length);
    uint8_t tail[4] = {(uint8_t)(crc >> 24), (uint8_t)(crc >> 16), (uint8_t)(crc >> 8), (uint8_t)crc};
    return fwrite(head, 1, 8, f) == 8 && (length == 0 || fwrite(data, 1, length, f) == length) &&
           fwrite(tail, 1, 4, f) == 4;
}

}  // namespace

int surfSaveImage(const char* fileName, const Surf* bmp) {
    std::vector<uint8_t> raw;
    raw.reserve(((size_t)bmp->w * 4 + 1) * bmp->h);
    for (int y = 0; y < bmp->h; y++) {
        const uint8_t* row = (const uint8_t*)(bmp->pix + (size_t)y * bmp->w);
        raw.push_back(1);  // Sub
        for (int i = 0; i < bmp->w * 4; i++) raw.push_back((uint8_t)(row[i] - (i >= 4 ? row[i - 4] : 0)));
    }
    std::vector<uint8_t> idat = zlibStream(raw);

    FILE* f = fopen(fileName, "wb");
    if (!f) return 0;
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const uint32_t w = (uint32_t)bmp->w, h = (uint32_t)bmp->h;
    const uint8_t ihdr[13] = {(uint8_t)(w >> 24),
                              (uint8_t)(w >> 16),
                              (uint8_t)(w >> 8),
                              (uint8_t)w,
                              (uint8_t)(h >> 24),
                              (uint8_t)(h >> 16),
                              (uint8_t)(h >> 8),
                              (uint8_t)h,
                              8,
                              6,
                              0,
                              0,
                              0};
    bool ok = fwrite(kSignature, 1, 8, f) == 8 && writeChunk(f, "IHDR", ihdr, 13) &&
              writeChunk(f, "IDAT", idat.data(), (uint32_t)idat.size()) && writeChunk(f, "IEND", nullptr, 0);
    ok = fclose(f) == 0 && ok;
    return ok ? 1 : 0;
}
