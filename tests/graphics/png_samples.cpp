#include "png_samples.h"

#include "fw_jpeg.h"

#include <wincodec.h>

#include <cstring>

namespace pngsamples {

namespace {

void Be32(std::vector<uint8_t>& v, uint32_t x) {
    for (int shift = 24; shift >= 0; shift -= 8) v.push_back(uint8_t(x >> shift));
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& raw) {
    uLongf zl = compressBound(uLong(raw.size()));
    std::vector<uint8_t> z(zl);
    compress2(z.data(), &zl, raw.data(), uLong(raw.size()), 9);
    z.resize(zl);
    return z;
}

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

int PaethRef(int a, int b, int c) {
    int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

struct PassDef {
    int x0, y0, dx, dy;
};
const PassDef kPasses[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

}  // namespace

int Channels(uint8_t ct) { return ct == 0 || ct == 3 ? 1 : ct == 2 ? 3 : ct == 4 ? 2 : 4; }

std::vector<uint8_t> MakeChunk(const char* type, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> c;
    Be32(c, uint32_t(body.size()));
    c.insert(c.end(), type, type + 4);
    c.insert(c.end(), body.begin(), body.end());
    uLong crc = crc32(0, c.data() + 4, uInt(body.size() + 4));
    Be32(c, uint32_t(crc));
    return c;
}

static std::vector<uint8_t> Ihdr(uint32_t w, uint32_t h, uint8_t depth, uint8_t ct, uint8_t interlace) {
    std::vector<uint8_t> b;
    Be32(b, w);
    Be32(b, h);
    b.insert(b.end(), {depth, ct, 0, 0, interlace});
    return b;
}

std::vector<uint8_t> WriteRaw(uint32_t w, uint32_t h, uint8_t depth, uint8_t ct, uint8_t interlace,
                              const std::vector<uint8_t>& filtered, const std::vector<uint8_t>& extra) {
    std::vector<uint8_t> f(kSignature, kSignature + 8);
    for (const auto& c : {MakeChunk("IHDR", Ihdr(w, h, depth, ct, interlace)), extra,
                          MakeChunk("IDAT", Deflate(filtered)), MakeChunk("IEND", {})})
        f.insert(f.end(), c.begin(), c.end());
    return f;
}

std::vector<uint8_t> Write(const Spec& s, std::vector<Chunk>* chunks) {
    const int ch = Channels(s.ColorType);
    const int bitsPerPixel = ch * s.BitDepth;
    const size_t bpp = std::max(1, bitsPerPixel / 8);
    std::vector<uint8_t> raw;
    int rowCounter = 0;
    auto emitPass = [&](int x0, int y0, int dx, int dy) {
        int pw = s.Width > x0 ? (s.Width - x0 + dx - 1) / dx : 0;
        int ph = s.Height > y0 ? (s.Height - y0 + dy - 1) / dy : 0;
        if (pw == 0 || ph == 0) return;
        size_t rb = (size_t(pw) * bitsPerPixel + 7) / 8;
        std::vector<uint8_t> prev(rb, 0), cur(rb);
        for (int r = 0; r < ph; ++r) {
            std::fill(cur.begin(), cur.end(), 0);
            int y = y0 + r * dy;
            for (int i = 0; i < pw; ++i) {
                int x = x0 + i * dx;
                for (int c = 0; c < ch; ++c) {
                    uint16_t v = s.Samples[(size_t(y) * s.Width + x) * ch + c];
                    if (s.BitDepth == 16) {
                        cur[(size_t(i) * ch + c) * 2] = uint8_t(v >> 8);
                        cur[(size_t(i) * ch + c) * 2 + 1] = uint8_t(v);
                    } else if (s.BitDepth == 8) {
                        cur[size_t(i) * ch + c] = uint8_t(v);
                    } else {
                        size_t bit = (size_t(i) * ch + c) * s.BitDepth;
                        cur[bit / 8] |= uint8_t(v << (8 - s.BitDepth - bit % 8));
                    }
                }
            }
            const int f = rowCounter++ % 5;
            raw.push_back(uint8_t(f));
            for (size_t k = 0; k < rb; ++k) {
                int a = k >= bpp ? cur[k - bpp] : 0, b = prev[k], c = k >= bpp ? prev[k - bpp] : 0;
                int pred = f == 0 ? 0 : f == 1 ? a : f == 2 ? b : f == 3 ? (a + b) / 2 : PaethRef(a, b, c);
                raw.push_back(uint8_t(cur[k] - pred));
            }
            prev = cur;
        }
    };
    if (s.Interlaced) {
        for (const auto& p : kPasses) emitPass(p.x0, p.y0, p.dx, p.dy);
    } else {
        emitPass(0, 0, 1, 1);
    }
    const std::vector<uint8_t> z = Deflate(raw);
    std::vector<uint8_t> f(kSignature, kSignature + 8);
    auto add = [&](const char* type, const std::vector<uint8_t>& body) {
        auto c = MakeChunk(type, body);
        if (chunks) chunks->push_back(Chunk{f.size(), c.size(), type});
        f.insert(f.end(), c.begin(), c.end());
    };
    add("IHDR", Ihdr(s.Width, s.Height, s.BitDepth, s.ColorType, s.Interlaced ? 1 : 0));
    const char text[] = "Comment\0made by the tests";
    add("tEXt", std::vector<uint8_t>(text, text + sizeof(text) - 1));
    if (!s.Palette.empty()) add("PLTE", s.Palette);
    if (!s.Trns.empty()) add("tRNS", s.Trns);
    const size_t per = (z.size() + 2) / 3;
    for (size_t off = 0; off < z.size(); off += per)
        add("IDAT", std::vector<uint8_t>(z.begin() + off, z.begin() + std::min(z.size(), off + per)));
    add("IEND", {});
    return f;
}

std::vector<uint16_t> RandomSamples(const Spec& s, uint32_t seed) {
    const int ch = Channels(s.ColorType);
    std::vector<uint16_t> v(size_t(s.Width) * s.Height * ch);
    uint32_t st = seed * 2654435761u + 12345;
    const uint32_t limit = s.ColorType == 3 ? uint32_t(s.Palette.size() / 3) : (1u << s.BitDepth);
    for (auto& x : v) {
        st = st * 1664525u + 1013904223u;
        x = uint16_t((st >> 8) % limit);
    }
    return v;
}

bool ReferenceDecode(const std::vector<uint8_t>& file, int& w, int& h, std::vector<uint32_t>& bgra) {
    std::vector<uint8_t> px;
    size_t stride = 0;
    if (!fw::WicDecode(file.data(), file.size(), GUID_WICPixelFormat32bppBGRA, 4, w, h, px, stride)) return false;
    bgra.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y) std::memcpy(&bgra[size_t(y) * w], px.data() + stride * y, size_t(w) * 4);
    return true;
}

}  // namespace pngsamples
