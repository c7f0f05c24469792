// Inflate against zlib, PNG decoding against ImageMagick's decode of the same files (committed as raw RGBA beside each
// PNG by make_png_corpus.py), and the writer's output read back by zlib and our decoder.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "surf/surf.h"

namespace {

using Bytes = std::vector<unsigned char>;
const std::string kDir = TEST_DATA_DIR "/png/";

Bytes readAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

Bytes rawDeflate(const Bytes& data, int level, int strategy) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy), Z_OK);
    Bytes out(deflateBound(&z, data.size()) + 16);
    z.next_in = const_cast<unsigned char*>(data.data()), z.avail_in = (uInt)data.size();
    z.next_out = out.data(), z.avail_out = (uInt)out.size();
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out), deflateEnd(&z);
    return out;
}

// Decodes the first `stated` bytes; the decoder may look two bytes beyond, so the buffer keeps the real bytes there or
// zeros.
int inflateInto(Bytes& out, Bytes stream, unsigned stated) {
    stream.resize(std::max<size_t>(stream.size(), stated + 2), 0);
    return surfInflate(out.data(), (unsigned)out.size(), stream.data(), stated);
}

// Random bytes, text, runs and a mix: each exercises other block kinds.
Bytes sample(char kind, size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes d(n);
    for (size_t i = 0; i < n; i++)
        d[i] = (unsigned char)(kind == 'r'     ? rng()
                               : kind == 't'   ? "the quick brown fox jumps over the lazy dog "[rng() % 44]
                               : kind == 'u'   ? (i / (1 + rng() % 300)) % 7
                               : i % 251 < 128 ? i % 13
                                               : rng() % 4);
    return d;
}

TEST(Inflate, DecodesZlibOutputAndHandBuiltStreamsAndRefusesCutShortOrBadOnes) {
    for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED})
        for (int level = 0; level <= 9; level++)
            for (char kind : {'r', 't', 'u', 'm'})
                for (size_t n : {(size_t)0, (size_t)1, (size_t)300, (size_t)40000}) {
                    if (strategy != Z_DEFAULT_STRATEGY && level % 4 != 1) continue;
                    SCOPED_TRACE(testing::Message() << kind << n << " strategy " << strategy << " level " << level);
                    Bytes data = sample(kind, n, (unsigned)n), stream = rawDeflate(data, level, strategy);
                    Bytes out(n);
                    ASSERT_TRUE(inflateInto(out, stream, (unsigned)stream.size()) == 1 && out == data);
                    if (n != 40000 || kind != 'm' || (level != 0 && level != 1 && level != 9)) continue;
                    Bytes shorter(n - 1);
                    EXPECT_EQ(inflateInto(shorter, stream, (unsigned)stream.size()), 0);
                    for (unsigned cut = 0; cut < stream.size(); cut += 1 + cut / 16)
                        ASSERT_EQ(inflateInto(out, stream, cut), 0) << "cut at " << cut;
                }
    // A flipped byte may still decode to other bytes; no input may read or write outside the buffers (checked under the
    // sanitizers).
    std::mt19937 rng(42);
    Bytes data = sample('t', 3000, 3), stream = rawDeflate(data, 9, Z_DEFAULT_STRATEGY), out(data.size());
    for (int trial = 0; trial < 600; trial++) {
        Bytes bad = stream;
        bad[rng() % bad.size()] ^= (unsigned char)(1 + rng() % 255);
        inflateInto(out, bad, (unsigned)bad.size());
    }
    // What each stream holds, the stream, and what it decodes to (empty: refused).
    const std::tuple<const char*, Bytes, Bytes> cases[] = {
        {"stored, NLEN complements LEN", {0x01, 0x04, 0x00, 0xFB, 0xFF, 'a', 'b', 'c', 'd'}, {'a', 'b', 'c', 'd'}},
        {"stored, NLEN wrong", {0x01, 0x04, 0x00, 0xFA, 0xFF, 'a', 'b', 'c', 'd'}, {}},
        {"stored, longer than the input", {0x01, 0x3C, 0x00, 0xC3, 0xFF, 'a', 'b', 'c', 'd'}, {}},
        {"block type 3", {0x07}, {}},
        {"fixed, length symbol 286", {0x4B, 0x1C, 0x03, 0x00}, {}},
        {"fixed, length symbol 287", {0x4B, 0x1C, 0x07, 0x00}, {}},
        {"fixed, distance symbol 30", {0x4B, 0x04, 0x3E, 0x00}, {}},
        {"fixed, distance symbol 31", {0x4B, 0x04, 0x7E, 0x00}, {}},
        {"fixed, distance 2 after one byte", {0x4B, 0x04, 0x42, 0x00}, {}},
        {"fixed, distance 1 repeats the byte", {0x4B, 0x04, 0x02, 0x00}, {'a', 'a', 'a', 'a'}},
        {"dynamic, repeat without a previous length", {0x05, 0xE0, 0xB7, 0x09, 0, 0, 0, 0xC3, 0x30, 0x14}, {}},
        {"dynamic, repeats past the lengths", {0x05, 0xE0, 0xB7, 0x09, 0, 0, 0, 0xC3, 0x30, 0xFC, 0xFF, 0x3F}, {}},
        {"dynamic, no code-length codes", {0x05, 0xE0, 0x01, 0, 0, 0, 0, 0, 0, 0}, {}},
        {"dynamic, no literal codes", {0x05, 0xE0, 0xB7, 0x09, 0, 0, 0, 0xC3, 0x30, 0xFC, 0x7F, 0xB6, 0x00}, {}},
        {"dynamic, oversubscribed", {0x05, 0xE0, 0x93, 0x24, 0x49, 0x92, 0x24, 0x49, 0x92, 0x00}, {}},
        {"dynamic, a match",
         {0x0D, 0xE0, 0xB7, 0x09, 0, 0, 0, 0xC3, 0x30, 0xDC, 0x6A, 0xFF, 0x7F, 0x84, 0x2D, 0x5C},
         {'a', 'b', 'b', 'b', 'b'}},
    };
    for (const auto& [what, stream, want] : cases) {
        // Zero padding behind the stream, so that only the construct itself can fail.
        Bytes padded = stream, out(want.empty() ? 100 : want.size());
        padded.resize(padded.size() + 8, 0);
        EXPECT_EQ(inflateInto(out, padded, (unsigned)padded.size() - 2), want.empty() ? 0 : 1) << what;
        EXPECT_TRUE(want.empty() || out == want) << what;
    }
}

Surf* load(const Bytes& bytes) { return surfLoadImageMem(bytes.data(), (int)bytes.size()); }

uint32_t be32(const unsigned char* p) { return (uint32_t)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

TEST(Png, DecodesLikeImageMagickRejectsWithEinvalAndWritesWhatZlibAccepts) {
    std::ifstream manifest(kDir + "manifest.txt");
    int decoded = 0, rejected = 0;
    for (std::string line; std::getline(manifest, line);) {
        std::istringstream fields(line);
        std::string verdict, name;
        int w = 0, h = 0;
        fields >> verdict >> name >> w >> h;
        SCOPED_TRACE(name);
        errno = 0;
        Surf* bmp = load(readAll(kDir + name + ".png"));
        if (verdict == "reject") {
            EXPECT_TRUE(!bmp && errno == EINVAL);
            rejected++;
            continue;
        }
        ASSERT_NE(bmp, nullptr);
        EXPECT_EQ(std::vector({bmp->w, bmp->h, bmp->cx, bmp->cy, bmp->cw, bmp->ch, bmp->blitMode, (int)!!bmp->handle}),
                  std::vector({w, h, 0, 0, -1, -1, (int)SURF_BLEND_ALPHA, 0}));
        Bytes expected = readAll(kDir + name + ".rgba");
        ASSERT_EQ(expected.size(), (size_t)w * h * 4);
        EXPECT_EQ(Bytes((unsigned char*)bmp->pix, (unsigned char*)(bmp->pix + w * h)), expected);
        surfFree(bmp), decoded++;
    }
    EXPECT_GT(decoded, 50);
    EXPECT_GE(rejected, 15);
    // Cutting a file anywhere gives EINVAL or a bitmap, never an overread.
    Bytes bytes = readAll(kDir + "rgb8_split7.png");
    for (size_t n = 0; n < bytes.size(); n += 1 + n / 64) surfFree(load(Bytes(bytes.begin(), bytes.begin() + (long)n)));
    for (const Bytes& bytes : {Bytes{}, Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}}) {
        errno = 0;
        EXPECT_TRUE(!surfLoadImageMem(bytes.empty() ? nullptr : bytes.data(), (int)bytes.size()) && errno == EINVAL);
    }
    // Every chunk's CRC and the zlib stream (header check and Adler-32) are what zlib computes, and the decoder reads
    // back the same pixels.
    Surf* bmp = surfBitmap(37, 9);
    for (int i = 0; i < 37 * 9; i++)
        bmp->pix[i] = i % 37 < 20 ? SPixel{10, 20, 30, 255} : surfRGBA(i % 37 * 7, i / 37, 99, i % 37 * (i / 37));
    auto path = std::filesystem::temp_directory_path() / ("surf_save_" + std::to_string(getpid()) + ".png");
    ASSERT_EQ(surfSaveImage(path.string().c_str(), bmp), 1);
    Bytes file = readAll(path.string()), idat;
    Surf* back = surfLoadImage(path.string().c_str());
    std::filesystem::remove(path);
    size_t pos = 8;
    for (uint32_t len; pos + 12 <= file.size(); pos += 12 + len) {
        len = be32(&file[pos]);
        EXPECT_EQ(crc32(0, &file[pos + 4], len + 4), be32(&file[pos + 8 + len]));
        if (!memcmp(&file[pos + 4], "IDAT", 4)) idat.insert(idat.end(), &file[pos + 8], &file[pos + 8 + len]);
    }
    EXPECT_EQ(pos, file.size());
    Bytes raw(9 * (37 * 4 + 1));
    uLongf rawLen = raw.size();
    ASSERT_TRUE(uncompress(raw.data(), &rawLen, idat.data(), idat.size()) == Z_OK && rawLen == raw.size());
    ASSERT_TRUE(back && back->w * 100 + back->h == 37 * 100 + 9);
    EXPECT_EQ(memcmp(back->pix, bmp->pix, 37 * 9 * 4), 0);
    surfFree(back);
    EXPECT_EQ(surfSaveImage("/nonexistent-folder/x.png", bmp), 0);
    surfFree(bmp);
    EXPECT_EQ(surfLoadImage((kDir + "missing.png").c_str()), nullptr);
    int length = -1;
    std::unique_ptr<char, void (*)(void*)> data((char*)surfReadFile((kDir + "manifest.txt").c_str(), &length), free);
    const Bytes text = readAll(kDir + "manifest.txt");  // and a terminating zero beyond the length
    EXPECT_TRUE(data && std::string(data.get(), length + 1) == std::string(text.begin(), text.end()) + '\0');
    EXPECT_TRUE(!surfReadFile((kDir + "missing").c_str(), &length) && length == 0);
}

}  // namespace
