// PNG decoding against the platform's own decoder, hostile input, and encode/decode round trips.
#include <gtest/gtest.h>

#include "fw_png.h"
#include "png_samples.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

using namespace fw;
using pngsamples::Spec;

namespace {

uint32_t OurBGRA(const TPngImage& p, int x, int y) {
    const uint8_t* c = p.Scanline(y) + x * 3;
    uint32_t a = p.HasAlpha() ? p.AlphaScanline(y)[x] : 255;
    return (a << 24) | (uint32_t(c[2]) << 16) | (uint32_t(c[1]) << 8) | c[0];
}

Spec MakeSpec(uint8_t ct, uint8_t depth, bool interlaced, int w, int h, uint32_t seed) {
    Spec s{.Width = w, .Height = h, .ColorType = ct, .BitDepth = depth, .Interlaced = interlaced};
    for (int i = 0; ct == 3 && i < std::min(256, 1 << depth); ++i)
        s.Palette.insert(s.Palette.end(), {uint8_t(i * 37 + 11), uint8_t(255 - i * 13), uint8_t(i * 91 + 3)});
    s.Samples = pngsamples::RandomSamples(s, seed);
    return s;
}

struct Combo {
    uint8_t ct, depth;
};
const Combo kCombos[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1}, {3, 2},
                         {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

// Decodes with us and with the platform and compares pixel by pixel.
void CheckAgainstReference(const Spec& s, const std::string& what) {
    std::vector<uint8_t> file = pngsamples::Write(s);
    TPngImage png;
    std::string err;
    ASSERT_TRUE(png.TryLoadFromMemory(file.data(), file.size(), &err)) << what << ": " << err;
    EXPECT_EQ(png.GetColorType(), s.ColorType) << what;
    EXPECT_EQ(png.HasAlpha(), s.ColorType == 4 || s.ColorType == 6 || !s.Trns.empty()) << what;
    int rw = 0, rh = 0;
    std::vector<uint32_t> ref;
    ASSERT_TRUE(pngsamples::ReferenceDecode(file, rw, rh, ref)) << what << ": the platform refused the file";
    ASSERT_EQ(png.GetWidth(), rw) << what;
    ASSERT_EQ(png.GetHeight(), rh) << what;
    int mismatch = 0;
    for (int y = 0; y < rh; ++y) {
        for (int x = 0; x < rw; ++x) {
            uint32_t ours = OurBGRA(png, x, y), r = ref[size_t(y) * rw + x];
            // Fully transparent pixels may carry any colour in the platform's output.
            if (ours != r && ((ours | r) >> 24) != 0 && mismatch++ < 3)
                ADD_FAILURE() << what << " mismatch at " << x << "," << y << std::hex << ": ours " << ours
                              << " platform " << r;
        }
    }
}

}  // namespace

TEST(PngDecode, EveryColourTypeAndBitDepthPlainAndInterlaced) {
    uint32_t seed = 1;
    for (const Combo& c : kCombos) {
        for (bool interlaced : {false, true}) {
            // Odd sizes make partial bytes at row ends and empty Adam7 passes.
            for (auto [w, h] : {std::pair{13, 7}, std::pair{1, 1}, std::pair{33, 17}, std::pair{3, 10}}) {
                Spec s = MakeSpec(c.ct, c.depth, interlaced, w, h, seed++);
                std::string what = "type " + std::to_string(c.ct) + " depth " + std::to_string(c.depth) +
                                   (interlaced ? " interlaced " : " ") + std::to_string(w) + "x" + std::to_string(h);
                CheckAgainstReference(s, what);
            }
        }
    }
}

TEST(PngDecode, TransparencyChunks) {
    // Palette with partial alpha for the first entries only.
    for (uint8_t depth : {uint8_t(2), uint8_t(8)}) {
        for (bool il : {false, true}) {
            Spec s = MakeSpec(3, depth, il, 21, 9, 77 + depth);
            s.Trns = {0, 128, 255};
            CheckAgainstReference(s, "palette tRNS depth " + std::to_string(depth));
        }
    }
    // Grey and RGB keys, each made to hit two pixels.
    for (uint8_t ct : {uint8_t(0), uint8_t(2)}) {
        for (uint8_t depth : {uint8_t(1), uint8_t(4), uint8_t(8), uint8_t(16)}) {
            if (ct == 2 && depth < 8) continue;
            Spec s = MakeSpec(ct, depth, depth == 16, 9, 9, 300 + depth + ct);
            const int ch = pngsamples::Channels(ct);
            for (int c = 0; c < ch; ++c) {
                const uint16_t key = s.Samples[ch * 40 + c] = s.Samples[ch * 7 + c];
                s.Trns.insert(s.Trns.end(), {uint8_t(key >> 8), uint8_t(key)});
            }
            CheckAgainstReference(s, "key tRNS type " + std::to_string(ct) + " depth " + std::to_string(depth));
        }
    }
}

TEST(PngDecode, RowsLongerThanOneInflateSlice) {
    // Rows of more than 64 KB and pictures spanning several slices.
    CheckAgainstReference(MakeSpec(6, 16, false, 9000, 3, 4242), "wide 16-bit RGBA");
    CheckAgainstReference(MakeSpec(2, 8, false, 700, 120, 4343), "tall RGB");
}

// ---------------------------------------------------------------------------------------------

namespace {

bool Loads(const std::vector<uint8_t>& f) {
    TPngImage p;
    return p.TryLoadFromMemory(f.data(), f.size());
}

// `f` with `size` bytes at `at` replaced by `chunk`.
std::vector<uint8_t> Splice(const std::vector<uint8_t>& f, size_t at, size_t size, const std::vector<uint8_t>& chunk) {
    std::vector<uint8_t> out(f.begin(), f.begin() + at);
    out.insert(out.end(), chunk.begin(), chunk.end());
    out.insert(out.end(), f.begin() + at + size, f.end());
    return out;
}

std::vector<uint8_t> GoodFile(std::vector<pngsamples::Chunk>* chunks, bool interlaced = false) {
    Spec s = MakeSpec(3, 4, interlaced, 40, 30, 17);
    s.Trns = {10, 20};
    return pngsamples::Write(s, chunks);
}

}  // namespace

TEST(PngMalformed, TruncatedAnywhereFailsCleanly) {
    for (bool il : {false, true}) {
        std::vector<pngsamples::Chunk> chunks;
        std::vector<uint8_t> f = GoodFile(&chunks, il);
        ASSERT_TRUE(Loads(f));
        // At every chunk boundary and at a few places inside each chunk.
        for (const auto& c : chunks) {
            for (size_t cut : {c.Offset, c.Offset + 4, c.Offset + 8, c.Offset + c.Size / 2, c.Offset + c.Size - 1}) {
                std::vector<uint8_t> t(f.begin(), f.begin() + cut);
                EXPECT_FALSE(Loads(t)) << "cut at " << cut << " in " << c.Type;
            }
        }
        for (size_t cut = 0; cut < 8; ++cut) EXPECT_FALSE(Loads(std::vector<uint8_t>(f.begin(), f.begin() + cut)));
        EXPECT_FALSE(TPngImage().TryLoadFromMemory(nullptr, 100));
    }
}

TEST(PngMalformed, CorruptedBytesAreCaughtByCrcOrFailCleanly) {
    std::vector<uint8_t> f = GoodFile(nullptr);
    // Any single byte flipped breaks the signature, the chunk walk or a checksum: nothing loads.
    for (size_t i = 0; i < f.size(); ++i) {
        std::vector<uint8_t> bad = f;
        bad[i] ^= 0xFF;
        EXPECT_FALSE(Loads(bad)) << "byte " << i;
    }
}

TEST(PngMalformed, BadHeadersAndImageData) {
    using pngsamples::WriteRaw;
    // Absurd and impossible sizes, valid CRCs: refused at once, without allocating for them.
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(Loads(WriteRaw(100000, 100000, 8, 6, 0, {0, 0, 0, 0, 0})));
    EXPECT_FALSE(Loads(WriteRaw(0x7FFFFFFF, 1, 8, 2, 0, {0, 0, 0, 0})));
    EXPECT_FALSE(Loads(WriteRaw(0x80000000u, 1, 8, 2, 0, {0, 0, 0, 0})));
    EXPECT_FALSE(Loads(WriteRaw(0, 5, 8, 2, 0, {0})));
    // Within the size limits but with far too little data for the picture.
    EXPECT_FALSE(Loads(WriteRaw(4000, 4000, 16, 6, 0, {0, 0, 0})));
    EXPECT_FALSE(Loads(WriteRaw(4000, 4000, 16, 6, 1, {0, 0, 0})));
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(ms, 200);

    // Impossible colour type / depth pairs, an unknown interlace method, a palette type without one.
    EXPECT_FALSE(Loads(WriteRaw(1, 1, 4, 2, 0, {0, 0, 0})));
    EXPECT_FALSE(Loads(WriteRaw(1, 1, 16, 3, 0, {0, 0, 0})));
    EXPECT_FALSE(Loads(WriteRaw(1, 1, 8, 5, 0, {0, 0, 0})));
    EXPECT_FALSE(Loads(WriteRaw(1, 1, 8, 2, 2, {0, 0, 0, 0})));
    EXPECT_FALSE(Loads(WriteRaw(1, 1, 8, 3, 0, {0, 0})));

    // Filter byte 5 on the second row; one row short; extra data after the picture is harmless.
    EXPECT_TRUE(Loads(WriteRaw(1, 2, 8, 2, 0, {0, 1, 2, 3, 1, 4, 5, 6})));
    EXPECT_FALSE(Loads(WriteRaw(1, 2, 8, 2, 0, {0, 1, 2, 3, 5, 4, 5, 6})));
    EXPECT_FALSE(Loads(WriteRaw(1, 3, 8, 2, 0, {0, 1, 2, 3, 0, 4, 5, 6})));
    EXPECT_TRUE(Loads(WriteRaw(1, 1, 8, 2, 0, {0, 1, 2, 3, 0, 9, 9, 9})));

    // Image data that is not a zlib stream; an unknown critical chunk stops decoding, an unknown
    // ancillary one is skipped.
    std::vector<pngsamples::Chunk> chunks;
    std::vector<uint8_t> f = GoodFile(&chunks);
    const auto& idat = *std::find_if(chunks.begin(), chunks.end(), [](auto& c) { return c.Type == "IDAT"; });
    std::vector<uint8_t> body(f.begin() + idat.Offset + 8, f.begin() + idat.Offset + idat.Size - 4);
    for (auto& b : body) b = uint8_t(b * 7 + 1);
    EXPECT_FALSE(Loads(Splice(f, idat.Offset, idat.Size, pngsamples::MakeChunk("IDAT", body))));
    EXPECT_FALSE(Loads(Splice(f, chunks[1].Offset, 0, pngsamples::MakeChunk("XYZW", {1, 2, 3}))));
    EXPECT_TRUE(Loads(Splice(f, chunks[1].Offset, 0, pngsamples::MakeChunk("xyZw", {1, 2, 3}))));

    // Out-of-range palette indices draw black instead of reading past the palette.
    const std::vector<uint8_t> plte = pngsamples::MakeChunk("PLTE", {10, 20, 30});
    TPngImage p;
    auto file = WriteRaw(2, 1, 8, 3, 0, {0, 0, 200}, plte);
    ASSERT_TRUE(p.TryLoadFromMemory(file.data(), file.size()));
    EXPECT_EQ(0, memcmp(p.Scanline(0), "\x1E\x14\x0A\0\0\0", 6));  // B, G, R of entry 0, then black
    // A malformed transparency chunk (longer than the palette, a key of the wrong length) is ignored.
    std::vector<uint8_t> extra = plte;
    for (auto c : pngsamples::MakeChunk("tRNS", {7, 7})) extra.push_back(c);
    file = WriteRaw(2, 1, 8, 3, 0, {0, 0, 0}, extra);
    ASSERT_TRUE(p.TryLoadFromMemory(file.data(), file.size()));
    EXPECT_FALSE(p.HasAlpha());
    file = WriteRaw(1, 1, 8, 2, 0, {0, 1, 2, 3}, pngsamples::MakeChunk("tRNS", {0, 1}));
    ASSERT_TRUE(p.TryLoadFromMemory(file.data(), file.size()));
    EXPECT_FALSE(p.HasAlpha());
}

TEST(PngMalformed, DamageBehindValidChecksums) {
    // Random damage to any chunk behind a correct CRC: anything but a crash; a picture that loads
    // has the size its header says.
    uint32_t st = 2024;
    auto next = [&] { return st = st * 1664525u + 1013904223u; };
    for (bool il : {false, true}) {
        std::vector<pngsamples::Chunk> chunks;
        const std::vector<uint8_t> f = pngsamples::Write(MakeSpec(6, 16, il, 23, 19, 808), &chunks);
        for (int round = 0; round < 300; ++round) {
            const auto& c = chunks[next() % chunks.size()];
            if (c.Size == 12) continue;  // nothing inside to damage
            std::vector<uint8_t> body(f.data() + c.Offset + 8, f.data() + c.Offset + c.Size - 4);
            for (int hits = 1 + next() % 4; hits > 0; --hits) body[next() % body.size()] = uint8_t(next() >> 24);
            const auto bad = Splice(f, c.Offset, c.Size, pngsamples::MakeChunk(c.Type.c_str(), body));
            TPngImage p;
            if (p.TryLoadFromMemory(bad.data(), bad.size())) {
                const uint8_t* ih = bad.data() + chunks[0].Offset + 8;
                EXPECT_EQ(uint32_t(p.GetWidth()), (uint32_t(ih[0]) << 24) | (ih[1] << 16) | (ih[2] << 8) | ih[3]);
                EXPECT_NE(p.Scanline(p.GetHeight() - 1), nullptr);
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------

TEST(PngEncode, RoundTripsAndThePlatformReadsIt) {
    for (bool alpha : {true, false}) {
        TPngImage src;
        src.CreateBlank(alpha ? png::COLOR_RGBALPHA : png::COLOR_RGB, 8, 37, 23);
        uint32_t st = alpha ? 99 : 7;
        for (int y = 0; y < 23; ++y) {
            for (int x = 0; x < 37 * 3; ++x) {
                st = st * 1103515245u + 12345;
                // Smooth areas and noise, so that every filter has a chance to win.
                src.Scanline(y)[x] = y < 10 ? uint8_t(x + y) : uint8_t(st >> 16);
                if (alpha && x < 37) src.AlphaScanline(y)[x] = uint8_t(x * 7 + y);
            }
        }
        std::vector<uint8_t> bytes = src.SaveToBytes();
        TPngImage back;
        ASSERT_TRUE(back.TryLoadFromMemory(bytes.data(), bytes.size()));
        EXPECT_EQ(back.GetColorType(), alpha ? png::COLOR_RGBALPHA : png::COLOR_RGB);
        int rw, rh;
        std::vector<uint32_t> ref;
        ASSERT_TRUE(pngsamples::ReferenceDecode(bytes, rw, rh, ref));
        ASSERT_EQ(rw, 37);
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 37; ++x) ASSERT_EQ(OurBGRA(src, x, y), ref[size_t(y) * rw + x]) << x << "," << y;
    }
}

TEST(PngImageClass, DecodesOnWorkerThreads) {
    Spec s = MakeSpec(6, 8, true, 64, 48, 5150);
    std::vector<uint8_t> file = pngsamples::Write(s);
    TPngImage first;
    ASSERT_TRUE(first.TryLoadFromMemory(file.data(), file.size()));
    const uint32_t expected = OurBGRA(first, 63, 47);
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) {
                TPngImage p;
                good += p.TryLoadFromMemory(file.data(), file.size()) && OurBGRA(p, 63, 47) == expected;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(good, 80);
}
