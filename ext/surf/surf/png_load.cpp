// PNG decoding into a bitmap: the chunk walk, unfiltering and conversion to
// RGBA. The filtered rows are inflated into the tail of the pixel allocation,
// which is one column wider than the image, and expanded forward in place.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "surf/surf.h"

namespace {

struct Bytes {
    const uint8_t* data;
    int size;
};

struct Chunk {
    const uint8_t* data;  // null when absent
    uint32_t length;
};

uint32_t be32(const uint8_t* p) { return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]; }

// Calls visit(type, chunk) for each complete chunk in file order until it
// returns false; a chunk running past the end of the buffer ends the walk.
template <typename Visit>
void walkChunks(Bytes png, Visit visit) {
    int64_t pos = 8;
    while (pos + 12 <= png.size) {
        uint32_t length = be32(png.data + pos);
        if ((int64_t)length > png.size - pos - 12) return;
        if (!visit(png.data + pos + 4, Chunk{png.data + pos + 8, length})) return;
        pos += 12 + (int64_t)length;
    }
}

Chunk findChunk(Bytes png, const char* type, uint32_t minLength = 0) {
    Chunk found{nullptr, 0};
    walkChunks(png, [&](const uint8_t* t, Chunk c) {
        if (memcmp(t, type, 4) != 0 || c.length < minLength) return true;
        found = c;
        return false;
    });
    return found;
}

// All IDAT data in file order, in one malloc'd buffer; null if there is none.
uint8_t* joinImageData(Bytes png, uint32_t* total) {
    uint64_t sum = 0;
    walkChunks(png, [&](const uint8_t* t, Chunk c) {
        if (memcmp(t, "IDAT", 4) == 0) sum += c.length;
        return true;
    });
    *total = (uint32_t)sum;
    if (sum == 0) return nullptr;
    uint8_t* joined = (uint8_t*)malloc(sum);
    if (!joined) return nullptr;
    uint8_t* at = joined;
    walkChunks(png, [&](const uint8_t* t, Chunk c) {
        if (memcmp(t, "IDAT", 4) == 0) {
            memcpy(at, c.data, c.length);
            at += c.length;
        }
        return true;
    });
    return joined;
}

struct Header {
    int w, h, depth, colorType, channels, bitsPerPixel;
};

int paeth(int a, int b, int c) {
    int p = a + b - c, pa = abs(p - a), pb = abs(p - b), pc = abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Undoes the row filters in place; rows are rowBytes data bytes behind their
// filter byte, and the row above the first is all zeros.
bool unfilter(uint8_t* rows, int h, int rowBytes, int bpp) {
    uint8_t* zeros = (uint8_t*)calloc((size_t)rowBytes + 1, 1);
    const uint8_t* prev = zeros + 1;
    bool ok = true;
    for (int y = 0; y < h && ok; y++) {
        uint8_t* row = rows + (size_t)y * (rowBytes + 1);
        uint8_t* cur = row + 1;
        switch (row[0]) {
            case 0:
                break;
            case 1:
                for (int i = bpp; i < rowBytes; i++) cur[i] = (uint8_t)(cur[i] + cur[i - bpp]);
                break;
            case 2:
                for (int i = 0; i < rowBytes; i++) cur[i] = (uint8_t)(cur[i] + prev[i]);
                break;
            case 3:
                for (int i = 0; i < rowBytes; i++)
                    cur[i] = (uint8_t)(cur[i] + (((i >= bpp ? cur[i - bpp] : 0) + prev[i]) >> 1));
                break;
            case 4:
                for (int i = 0; i < rowBytes; i++)
                    cur[i] =
                        (uint8_t)(cur[i] + paeth(i >= bpp ? cur[i - bpp] : 0, prev[i], i >= bpp ? prev[i - bpp] : 0));
                break;
            default:
                ok = false;
        }
        prev = cur;
    }
    free(zeros);
    return ok;
}

// Expands the unfiltered rows to RGBA from the start of the pixel array.
bool toRGBA(const Header& hd, Bytes png, const uint8_t* rows, int rowBytes, SPixel* out) {
    Chunk plte = findChunk(png, "PLTE");
    Chunk trns = findChunk(png, "tRNS");
    const int paletteSize = (int)(plte.length / 3);
    if (hd.colorType == 3 && !plte.data) return false;
    // A transparency chunk too short for its colour type is ignored rather than
    // read beyond its end.
    const bool greyKey = hd.colorType == 0 && trns.data && trns.length >= 2;
    const bool rgbKey = hd.colorType == 2 && trns.data && trns.length >= 6;
    for (int y = 0; y < hd.h; y++) {
        const uint8_t* p = rows + (size_t)y * (rowBytes + 1) + 1;
        SPixel* o = out + (size_t)y * hd.w;
        for (int x = 0; x < hd.w; x++) {
            SPixel c;
            switch (hd.colorType) {
                case 0:
                    c = SPixel{p[x], p[x], p[x], (unsigned char)(greyKey && p[x] == trns.data[1] ? 0 : 255)};
                    break;
                case 2: {
                    const uint8_t* s = p + 3 * x;
                    bool key = rgbKey && s[0] == trns.data[1] && s[1] == trns.data[3] && s[2] == trns.data[5];
                    c = SPixel{s[0], s[1], s[2], (unsigned char)(key ? 0 : 255)};
                    break;
                }
                case 4:
                    c = SPixel{p[2 * x], p[2 * x], p[2 * x], p[2 * x + 1]};
                    break;
                case 6:
                    c = SPixel{p[4 * x], p[4 * x + 1], p[4 * x + 2], p[4 * x + 3]};
                    break;
                default: {  // palette, most significant bits first
                    int bit = x * hd.depth;
                    int index = (p[bit >> 3] >> (8 - hd.depth - (bit & 7))) & ((1 << hd.depth) - 1);
                    if (index >= paletteSize) return false;
                    const uint8_t* e = plte.data + 3 * index;
                    c = SPixel{e[0], e[1], e[2],
                               (unsigned char)(trns.data && (uint32_t)index < trns.length ? trns.data[index] : 255)};
                }
            }
            o[x] = c;
        }
    }
    return true;
}

bool readHeader(Bytes png, Header* hd) {
    Chunk ihdr = findChunk(png, "IHDR", 13);
    if (!ihdr.data) return false;
    uint32_t w = be32(ihdr.data), h = be32(ihdr.data + 4);
    hd->depth = ihdr.data[8];
    hd->colorType = ihdr.data[9];
    static const int channels[7] = {1, 0, 3, 1, 2, 0, 4};
    if (hd->colorType > 6 || channels[hd->colorType] == 0) return false;
    hd->channels = channels[hd->colorType];
    // The pixel allocation is (w + 1) * h * 4 bytes counted in int.
    if (w == 0 || h == 0 || w >= (uint32_t)INT_MAX || (uint64_t)(w + 1) * h * 4 > (uint64_t)INT_MAX) return false;
    hd->w = (int)w;
    hd->h = (int)h;
    hd->bitsPerPixel = hd->depth * hd->channels;
    return true;
}

bool supported(Bytes png, const Header& hd) {
    Chunk ihdr = findChunk(png, "IHDR", 13);
    if (ihdr.data[10] || ihdr.data[11] || ihdr.data[12]) return false;  // compression, filter, interlace
    if (hd.colorType == 3) return hd.depth == 1 || hd.depth == 2 || hd.depth == 4 || hd.depth == 8;
    return hd.depth == 8;
}

Surf* decode(Bytes png) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Header hd;
    if (!png.data || png.size < 8 || memcmp(png.data, kSignature, 8) != 0 || !readHeader(png, &hd)) return nullptr;

    Surf* bmp = surfBitmap(hd.w + 1, hd.h);
    if (!bmp) return nullptr;
    bmp->w = hd.w;
    uint32_t total = 0;
    uint8_t* idat = supported(png, hd) ? joinImageData(png, &total) : nullptr;
    bool ok = idat && total >= 6 && (idat[0] & 0x0F) == 8 && (idat[0] >> 4) <= 7 && !(idat[1] & 0x20);
    if (ok) {
        const int rowBytes = (int)(((int64_t)hd.w * hd.bitsPerPixel + 7) / 8);
        const size_t filtered = (size_t)hd.h * (rowBytes + 1);
        uint8_t* rows = (uint8_t*)bmp->pix + (size_t)(hd.w + 1) * hd.h * 4 - filtered;
        ok = surfInflate(rows, (unsigned)filtered, idat + 2, total - 6) &&
             unfilter(rows, hd.h, rowBytes, (hd.bitsPerPixel + 7) / 8) && toRGBA(hd, png, rows, rowBytes, bmp->pix);
    }
    free(idat);
    if (!ok) {
        surfFree(bmp);
        return nullptr;
    }
    return bmp;
}

}  // namespace

Surf* surfLoadImageMem(const void* data, int size) {
    Surf* bmp = decode(Bytes{(const uint8_t*)data, size});
    if (!bmp) errno = EINVAL;
    return bmp;
}
