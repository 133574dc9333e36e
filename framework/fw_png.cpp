// PNG codec over zlib, and the TPngImage picture class.
//
// The decoder is plain C++ with no window, DC or shared buffer: advertisement pictures are decoded
// on worker threads. It inflates the image data in slices straight into a small row buffer and
// writes the expanded pixels into the final planes, so the only large allocations are the two
// planes themselves, and those are made only after the header passed the size limits and the
// compressed data is plausibly large enough to fill them.
#include "fw_png.h"

#include "fw_handles.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace fw {

namespace png {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Deflate cannot expand data by more than about 1032:1; a header promising more image data than its
// compressed chunks could ever produce is a lie, and we refuse it before allocating anything.
constexpr uint64_t kMaxInflateRatio = 1040;

uint32_t Be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void PutBe32(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x >> 24));
    v.push_back(uint8_t(x >> 16));
    v.push_back(uint8_t(x >> 8));
    v.push_back(uint8_t(x));
}

bool Fail(std::string* error, const char* why) {
    if (error) *error = why;
    return false;
}

template <class T>
std::unique_ptr<T[]> TryAlloc(size_t n) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[n ? n : 1]);
}

struct Span {
    const uint8_t* Data;
    uint32_t Size;
};

// Feeds the image data chunks to zlib on demand.
class ImageDataReader {
public:
    explicit ImageDataReader(const std::vector<Span>& spans) : spans_(spans) {
        std::memset(&zs_, 0, sizeof(zs_));
        ok_ = inflateInit(&zs_) == Z_OK;
    }
    ~ImageDataReader() {
        if (ok_) inflateEnd(&zs_);
    }
    bool Valid() const { return ok_; }

    // Fills exactly n bytes, or fails on corrupt or short data.
    bool Read(uint8_t* dst, size_t n) {
        zs_.next_out = dst;
        zs_.avail_out = static_cast<uInt>(n);
        while (zs_.avail_out > 0) {
            if (ended_) return false;
            if (zs_.avail_in == 0) {
                if (next_ >= spans_.size()) return false;
                zs_.next_in = const_cast<Bytef*>(spans_[next_].Data);
                zs_.avail_in = spans_[next_].Size;
                ++next_;
                continue;
            }
            int r = inflate(&zs_, Z_NO_FLUSH);
            if (r == Z_STREAM_END) {
                ended_ = true;
            } else if (r != Z_OK && !(r == Z_BUF_ERROR && zs_.avail_in == 0)) {
                return false;
            }
        }
        return true;
    }

private:
    const std::vector<Span>& spans_;
    size_t next_ = 0;
    z_stream zs_;
    bool ok_ = false;
    bool ended_ = false;
};

inline uint8_t Paeth(int a, int b, int c) {
    int p = a + b - c;
    int pa = p > a ? p - a : a - p;
    int pb = p > b ? p - b : b - p;
    int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc) return uint8_t(a);
    if (pb <= pc) return uint8_t(b);
    return uint8_t(c);
}

// Reverses one row's filter in place. `prev` is the previous unfiltered row of the same pass (all
// zero for the first row). bpp = bytes per complete pixel, at least 1.
bool Unfilter(uint8_t filter, uint8_t* cur, const uint8_t* prev, size_t len, size_t bpp) {
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (size_t i = bpp; i < len; ++i) cur[i] = uint8_t(cur[i] + cur[i - bpp]);
        return true;
    case 2:
        for (size_t i = 0; i < len; ++i) cur[i] = uint8_t(cur[i] + prev[i]);
        return true;
    case 3: {
        size_t i = 0;
        for (; i < bpp && i < len; ++i) cur[i] = uint8_t(cur[i] + (prev[i] >> 1));
        for (; i < len; ++i) cur[i] = uint8_t(cur[i] + ((unsigned(cur[i - bpp]) + prev[i]) >> 1));
        return true;
    }
    case 4: {
        size_t i = 0;
        for (; i < bpp && i < len; ++i) cur[i] = uint8_t(cur[i] + prev[i]);
        for (; i < len; ++i) cur[i] = uint8_t(cur[i] + Paeth(cur[i - bpp], prev[i], prev[i - bpp]));
        return true;
    }
    default:
        return false;
    }
}

struct Header {
    uint32_t Width = 0, Height = 0;
    uint8_t BitDepth = 0, ColorType = 0, Interlace = 0;
    int Channels = 0;
};

bool ValidDepth(uint8_t colorType, uint8_t depth, int& channels) {
    switch (colorType) {
    case COLOR_GRAYSCALE:
        channels = 1;
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case COLOR_RGB:
        channels = 3;
        return depth == 8 || depth == 16;
    case COLOR_PALETTE:
        channels = 1;
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case COLOR_GRAYSCALEALPHA:
        channels = 2;
        return depth == 8 || depth == 16;
    case COLOR_RGBALPHA:
        channels = 4;
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

// Bytes of one filtered row of `w` pixels (without the filter byte).
uint64_t RowBytes(uint64_t w, const Header& h) { return (w * h.Channels * h.BitDepth + 7) / 8; }

struct Pass {
    int X0, Y0, Dx, Dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWhole = {0, 0, 1, 1};

inline uint32_t PassSize(uint32_t full, int start, int step) {
    return full > uint32_t(start) ? (full - start + step - 1) / step : 0;
}

// Writes one unfiltered row of samples into the planes.
class RowConverter {
public:
    RowConverter(const Header& h, const TPngDecoded& out, const uint8_t* trns, uint32_t trnsLen)
        : h_(h), depth_(h.BitDepth) {
        if (h.ColorType == COLOR_PALETTE) {
            for (int i = 0; i < 256; ++i) {
                TPngRGB c = i < int(out.Palette.size()) ? out.Palette[i] : TPngRGB{};
                lut_[i][0] = c.B;
                lut_[i][1] = c.G;
                lut_[i][2] = c.R;
                lut_[i][3] = i < int(trnsLen) ? trns[i] : 255;
            }
        } else if (trns && h.ColorType == COLOR_GRAYSCALE && trnsLen == 2) {
            hasKey_ = true;
            keyGrey_ = (uint32_t(trns[0]) << 8) | trns[1];
        } else if (trns && h.ColorType == COLOR_RGB && trnsLen == 6) {
            hasKey_ = true;
            keyR_ = (uint32_t(trns[0]) << 8) | trns[1];
            keyG_ = (uint32_t(trns[2]) << 8) | trns[3];
            keyB_ = (uint32_t(trns[4]) << 8) | trns[5];
        }
    }

    // `n` pixels of the row go to columns x0, x0 + dx, ... of the plane rows.
    void Convert(const uint8_t* s, uint32_t n, uint8_t* color, uint8_t* alpha, int x0, int dx) const {
        uint8_t* c = color + size_t(x0) * 3;
        uint8_t* a = alpha ? alpha + x0 : nullptr;
        const size_t cstep = size_t(dx) * 3;
        switch (h_.ColorType) {
        case COLOR_GRAYSCALE:
            ConvertGrey(s, n, c, a, cstep, dx);
            break;
        case COLOR_RGB:
            if (depth_ == 8) {
                if (!a && dx == 1) {
                    for (uint32_t i = 0; i < n; ++i, s += 3, c += 3) {
                        c[0] = s[2];
                        c[1] = s[1];
                        c[2] = s[0];
                    }
                } else {
                    for (uint32_t i = 0; i < n; ++i, s += 3, c += cstep) {
                        c[0] = s[2];
                        c[1] = s[1];
                        c[2] = s[0];
                        if (a) {
                            *a = (hasKey_ && s[0] == keyR_ && s[1] == keyG_ && s[2] == keyB_) ? 0 : 255;
                            a += dx;
                        }
                    }
                }
            } else {
                for (uint32_t i = 0; i < n; ++i, s += 6, c += cstep) {
                    c[0] = s[4];
                    c[1] = s[2];
                    c[2] = s[0];
                    if (a) {
                        bool key = hasKey_ && ((uint32_t(s[0]) << 8) | s[1]) == keyR_ &&
                                   ((uint32_t(s[2]) << 8) | s[3]) == keyG_ && ((uint32_t(s[4]) << 8) | s[5]) == keyB_;
                        *a = key ? 0 : 255;
                        a += dx;
                    }
                }
            }
            break;
        case COLOR_PALETTE:
            for (uint32_t i = 0; i < n; ++i, c += cstep) {
                unsigned idx = depth_ == 8 ? s[i] : Packed(s, i);
                const uint8_t* e = lut_[idx];
                c[0] = e[0];
                c[1] = e[1];
                c[2] = e[2];
                if (a) {
                    *a = e[3];
                    a += dx;
                }
            }
            break;
        case COLOR_GRAYSCALEALPHA: {
            const int step = depth_ == 8 ? 2 : 4;
            const int ao = depth_ == 8 ? 1 : 2;
            for (uint32_t i = 0; i < n; ++i, s += step, c += cstep, a += dx) {
                c[0] = c[1] = c[2] = s[0];
                *a = s[ao];
            }
            break;
        }
        case COLOR_RGBALPHA:
            if (depth_ == 8) {
                for (uint32_t i = 0; i < n; ++i, s += 4, c += cstep, a += dx) {
                    c[0] = s[2];
                    c[1] = s[1];
                    c[2] = s[0];
                    *a = s[3];
                }
            } else {
                for (uint32_t i = 0; i < n; ++i, s += 8, c += cstep, a += dx) {
                    c[0] = s[4];
                    c[1] = s[2];
                    c[2] = s[0];
                    *a = s[6];
                }
            }
            break;
        }
    }

private:
    unsigned Packed(const uint8_t* s, uint32_t i) const {
        size_t bit = size_t(i) * depth_;
        return (s[bit >> 3] >> (8 - depth_ - (bit & 7))) & ((1u << depth_) - 1);
    }

    void ConvertGrey(const uint8_t* s, uint32_t n, uint8_t* c, uint8_t* a, size_t cstep, int dx) const {
        // Scale factors that spread 1, 2 and 4-bit levels over 0..255 (1 -> 255, 3 -> 255, 15 -> 255).
        const unsigned scale = depth_ == 1 ? 255 : depth_ == 2 ? 85 : depth_ == 4 ? 17 : 1;
        for (uint32_t i = 0; i < n; ++i, c += cstep) {
            uint32_t raw;
            uint8_t g;
            if (depth_ == 16) {
                raw = (uint32_t(s[2 * i]) << 8) | s[2 * i + 1];
                g = s[2 * i];
            } else if (depth_ == 8) {
                raw = s[i];
                g = s[i];
            } else {
                raw = Packed(s, i);
                g = uint8_t(raw * scale);
            }
            c[0] = c[1] = c[2] = g;
            if (a) {
                *a = (hasKey_ && raw == keyGrey_) ? 0 : 255;
                a += dx;
            }
        }
    }

    const Header& h_;
    const unsigned depth_;
    uint8_t lut_[256][4] = {};
    bool hasKey_ = false;
    uint32_t keyGrey_ = 0, keyR_ = 0, keyG_ = 0, keyB_ = 0;
};

// What the chunks of a file say, before any pixel is decoded.
struct Chunks {
    Header H;
    const uint8_t* Trns = nullptr;  // a usable transparency chunk's body, or null
    uint32_t TrnsLen = 0;
    std::vector<Span> Idat;
    uint64_t IdatTotal = 0;
};

// Checks the framing of the chunk at `pos` (length, type letters, CRC) and moves past it.
bool NextChunk(const uint8_t* data, size_t size, size_t& pos, const uint8_t*& type, uint32_t& len,
               std::string* error) {
    if (size - pos < 12) return Fail(error, "truncated chunk");
    len = Be32(data + pos);
    if (len > 0x7FFFFFFFu || len > size - pos - 12) return Fail(error, "truncated chunk");
    type = data + pos + 4;
    for (int i = 0; i < 4; ++i) {
        uint8_t ch = type[i] & 0xDF;
        if (ch < 'A' || ch > 'Z') return Fail(error, "bad chunk type");
    }
    const uint32_t crc = Be32(type + 4 + len);
    if (uint32_t(crc32(crc32(0, nullptr, 0), type, len + 4)) != crc) return Fail(error, "CRC error");
    pos += size_t(len) + 12;
    return true;
}

bool ReadHeader(const uint8_t* body, uint32_t len, Header& h, std::string* error) {
    if (len != 13) return Fail(error, "bad header");
    h.Width = Be32(body);
    h.Height = Be32(body + 4);
    h.BitDepth = body[8];
    h.ColorType = body[9];
    h.Interlace = body[12];
    if (h.Width == 0 || h.Height == 0 || h.Width > 0x7FFFFFFFu || h.Height > 0x7FFFFFFFu)
        return Fail(error, "bad picture size");
    if (!ValidDepth(h.ColorType, h.BitDepth, h.Channels)) return Fail(error, "bad colour type or bit depth");
    if (body[10] != 0 || body[11] != 0 || h.Interlace > 1) return Fail(error, "unknown compression or filter");
    if (h.Width > kMaxDimension || h.Height > kMaxDimension || uint64_t(h.Width) * h.Height > kMaxPixels)
        return Fail(error, "picture too large");
    return true;
}

// Walks the chunks up to IEND; the palette goes straight into `palette`.
bool ReadChunks(const uint8_t* data, size_t size, Chunks& c, std::vector<TPngRGB>& palette, std::string* error) {
    Header& h = c.H;
    bool haveHeader = false, havePalette = false, haveEnd = false;
    size_t pos = 8;
    while (!haveEnd) {
        const uint8_t* type = nullptr;
        uint32_t len = 0;
        if (!NextChunk(data, size, pos, type, len, error)) return false;
        const uint8_t* body = type + 4;

        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (haveHeader) return Fail(error, "bad header");
            if (!ReadHeader(body, len, h, error)) return false;
            haveHeader = true;
            continue;
        }
        if (!haveHeader) return Fail(error, "missing header");
        if (std::memcmp(type, "PLTE", 4) == 0) {
            if (havePalette || !c.Idat.empty() || len % 3 != 0 || len == 0 || len > 768) return Fail(error, "bad palette");
            havePalette = true;
            palette.resize(len / 3);
            for (uint32_t i = 0; i < len / 3; ++i) palette[i] = TPngRGB{body[3 * i], body[3 * i + 1], body[3 * i + 2]};
        } else if (std::memcmp(type, "tRNS", 4) == 0) {
            // A malformed transparency chunk is dropped, as other decoders do; the picture stays usable.
            bool ok = (h.ColorType == COLOR_GRAYSCALE && len == 2) || (h.ColorType == COLOR_RGB && len == 6) ||
                      (h.ColorType == COLOR_PALETTE && havePalette && len <= palette.size());
            if (ok && c.Idat.empty() && !c.Trns) {
                c.Trns = body;
                c.TrnsLen = len;
            }
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            if (len > 0) c.Idat.push_back(Span{body, len});
            c.IdatTotal += len;
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            haveEnd = true;
        } else if ((type[0] & 0x20) == 0) {
            return Fail(error, "unknown critical chunk");
        }
        // Other ancillary chunks carry nothing we draw.
    }
    if (!haveHeader) return Fail(error, "missing header");
    if (h.ColorType == COLOR_PALETTE && !havePalette) return Fail(error, "missing palette");
    if (c.Idat.empty()) return Fail(error, "missing image data");
    return true;
}

// The passes of a picture (seven when interlaced), the filtered data they need in all and their
// longest row.
struct PassPlan {
    const Pass* Passes = &kWhole;
    int Count = 1;
    uint64_t RawTotal = 0;
    uint64_t MaxRow = 0;
};

PassPlan PlanPasses(const Header& h) {
    PassPlan plan;
    if (h.Interlace == 1) {
        plan.Passes = kAdam7;
        plan.Count = 7;
    }
    for (int p = 0; p < plan.Count; ++p) {
        uint32_t pw = PassSize(h.Width, plan.Passes[p].X0, plan.Passes[p].Dx);
        uint32_t ph = PassSize(h.Height, plan.Passes[p].Y0, plan.Passes[p].Dy);
        if (pw == 0 || ph == 0) continue;
        uint64_t rb = RowBytes(pw, h);
        plan.MaxRow = std::max(plan.MaxRow, rb);
        plan.RawTotal += (rb + 1) * ph;
    }
    return plan;
}

// Makes the planes, with the padding bytes of the colour rows defined.
bool AllocatePlanes(const Header& h, bool hasAlpha, TPngDecoded& out, std::string* error) {
    const size_t stride = ColorStride(int(h.Width));
    out.Color = TryAlloc<uint8_t>(stride * h.Height);
    if (hasAlpha) out.Alpha = TryAlloc<uint8_t>(size_t(h.Width) * h.Height);
    if (!out.Color || (hasAlpha && !out.Alpha)) {
        out = TPngDecoded();
        return Fail(error, "out of memory");
    }
    if (h.Interlace == 1) {
        // Padding bytes of the colour rows are never written by the passes; keep them defined.
        std::memset(out.Color.get(), 0, stride * h.Height);
    } else if (stride != size_t(h.Width) * 3) {
        for (uint32_t y = 0; y < h.Height; ++y) std::memset(out.Color.get() + stride * y + h.Width * 3, 0, stride - h.Width * 3);
    }
    return true;
}

// Inflates the image data in slices of whole rows (zlib's fast path wants room), then unfilters and
// converts them row by row into the planes while they are still in the cache.
class PixelDecoder {
public:
    PixelDecoder(const Chunks& c, const PassPlan& plan, TPngDecoded& out)
        : h_(c.H),
          out_(out),
          stride_(ColorStride(int(c.H.Width))),
          bpp_(std::max<size_t>(1, size_t(c.H.Channels) * c.H.BitDepth / 8)),
          sliceCap_(std::max<size_t>(plan.MaxRow + 1, 65536)),
          slice_(TryAlloc<uint8_t>(sliceCap_)),
          prevRow_(TryAlloc<uint8_t>(size_t(plan.MaxRow) + 1)),
          reader_(c.Idat) {}

    bool Valid() const { return slice_ && prevRow_ && reader_.Valid(); }

    bool DecodePass(const RowConverter& conv, const Pass& ps, std::string* error) {
        const uint32_t pw = PassSize(h_.Width, ps.X0, ps.Dx);
        const uint32_t ph = PassSize(h_.Height, ps.Y0, ps.Dy);
        if (pw == 0 || ph == 0) return true;
        const size_t rb = size_t(RowBytes(pw, h_));
        const size_t rowLen = rb + 1;
        const uint32_t rowsPerSlice = uint32_t(std::max<size_t>(1, sliceCap_ / rowLen));
        std::memset(prevRow_.get(), 0, rb);
        const uint8_t* prev = prevRow_.get();
        for (uint32_t r = 0; r < ph;) {
            const uint32_t n = std::min(rowsPerSlice, ph - r);
            if (!reader_.Read(slice_.get(), rowLen * n)) return Fail(error, "corrupt or short image data");
            for (uint32_t k = 0; k < n; ++k, ++r) {
                uint8_t* row = slice_.get() + rowLen * k;
                if (!Unfilter(row[0], row + 1, prev, rb, bpp_)) return Fail(error, "bad filter type");
                const size_t y = size_t(ps.Y0) + size_t(r) * ps.Dy;
                conv.Convert(row + 1, pw, out_.Color.get() + stride_ * y,
                             out_.Alpha ? out_.Alpha.get() + size_t(h_.Width) * y : nullptr, ps.X0, ps.Dx);
                prev = row + 1;
            }
            // The next slice overwrites this one: keep its last row as the next row's predecessor.
            std::memcpy(prevRow_.get(), prev, rb);
            prev = prevRow_.get();
        }
        return true;
    }

private:
    const Header& h_;
    TPngDecoded& out_;
    const size_t stride_;
    const size_t bpp_;
    const size_t sliceCap_;
    std::unique_ptr<uint8_t[]> slice_;
    std::unique_ptr<uint8_t[]> prevRow_;
    ImageDataReader reader_;
};

bool DecodePixels(const Chunks& c, const PassPlan& plan, TPngDecoded& out, std::string* error) {
    PixelDecoder decoder(c, plan, out);
    if (!decoder.Valid()) {
        out = TPngDecoded();
        return Fail(error, "out of memory");
    }
    RowConverter conv(c.H, out, c.Trns, c.TrnsLen);
    for (int p = 0; p < plan.Count; ++p) {
        if (!decoder.DecodePass(conv, plan.Passes[p], error)) {
            out = TPngDecoded();
            return false;
        }
    }
    return true;
}

}  // namespace

bool Decode(const uint8_t* data, size_t size, TPngDecoded& out, std::string* error) {
    out = TPngDecoded();
    if (!data || size < 8 || std::memcmp(data, kSignature, 8) != 0) return Fail(error, "not a PNG file");
    Chunks c;
    if (!ReadChunks(data, size, c, out.Palette, error)) return false;
    const PassPlan plan = PlanPasses(c.H);
    if (plan.RawTotal > c.IdatTotal * kMaxInflateRatio + 1024) return Fail(error, "image data too short");
    const bool hasAlpha =
        c.H.ColorType == COLOR_GRAYSCALEALPHA || c.H.ColorType == COLOR_RGBALPHA || c.Trns != nullptr;
    if (!AllocatePlanes(c.H, hasAlpha, out, error)) return false;
    if (!DecodePixels(c, plan, out, error)) return false;
    out.Width = int(c.H.Width);
    out.Height = int(c.H.Height);
    out.ColorType = c.H.ColorType;
    out.BitDepth = c.H.BitDepth;
    out.Interlaced = c.H.Interlace == 1;
    return true;
}

namespace {

void PutChunk(std::vector<uint8_t>& file, const char* type, const uint8_t* body, size_t len) {
    PutBe32(file, uint32_t(len));
    const size_t start = file.size();
    file.insert(file.end(), type, type + 4);
    if (len) file.insert(file.end(), body, body + len);
    PutBe32(file, uint32_t(crc32(crc32(0, nullptr, 0), file.data() + start, uInt(len + 4))));
}

}  // namespace

std::vector<uint8_t> Encode(int width, int height, const uint8_t* color, size_t colorStride, const uint8_t* alpha) {
    if (width <= 0 || height <= 0 || !color) return {};
    const size_t channels = alpha ? 4 : 3;
    const size_t rb = size_t(width) * channels;
    // Rows interleaved to R, G, B(, A), each filtered with the filter that gives the smallest sum of
    // absolute byte values (the usual heuristic; it compresses skins well).
    std::vector<uint8_t> raw(size_t(height) * (rb + 1));
    std::vector<uint8_t> cur(rb), prev(rb, 0), trial(rb), best(rb);
    for (int y = 0; y < height; ++y) {
        const uint8_t* c = color + colorStride * y;
        const uint8_t* a = alpha ? alpha + size_t(width) * y : nullptr;
        for (int x = 0; x < width; ++x) {
            uint8_t* d = cur.data() + x * channels;
            d[0] = c[3 * x + 2];
            d[1] = c[3 * x + 1];
            d[2] = c[3 * x];
            if (a) d[3] = a[x];
        }
        uint64_t bestSum = UINT64_MAX;
        uint8_t bestFilter = 0;
        for (uint8_t f = 0; f < 5; ++f) {
            uint64_t sum = 0;
            for (size_t i = 0; i < rb; ++i) {
                int left = i >= channels ? cur[i - channels] : 0;
                int up = prev[i];
                int ul = i >= channels ? prev[i - channels] : 0;
                int pred = f == 0 ? 0 : f == 1 ? left : f == 2 ? up : f == 3 ? (left + up) >> 1 : Paeth(left, up, ul);
                trial[i] = uint8_t(cur[i] - pred);
                sum += trial[i] < 128 ? trial[i] : 256 - trial[i];
            }
            if (sum < bestSum) {
                bestSum = sum;
                bestFilter = f;
                best.swap(trial);
            }
        }
        uint8_t* out = raw.data() + size_t(y) * (rb + 1);
        out[0] = bestFilter;
        std::memcpy(out + 1, best.data(), rb);
        prev.swap(cur);
    }

    uLongf zlen = compressBound(uLong(raw.size()));
    std::vector<uint8_t> z(zlen);
    if (compress2(z.data(), &zlen, raw.data(), uLong(raw.size()), 6) != Z_OK) return {};
    z.resize(zlen);

    std::vector<uint8_t> file(kSignature, kSignature + 8);
    uint8_t ihdr[13];
    ihdr[0] = uint8_t(uint32_t(width) >> 24);
    ihdr[1] = uint8_t(uint32_t(width) >> 16);
    ihdr[2] = uint8_t(uint32_t(width) >> 8);
    ihdr[3] = uint8_t(width);
    ihdr[4] = uint8_t(uint32_t(height) >> 24);
    ihdr[5] = uint8_t(uint32_t(height) >> 16);
    ihdr[6] = uint8_t(uint32_t(height) >> 8);
    ihdr[7] = uint8_t(height);
    ihdr[8] = 8;
    ihdr[9] = alpha ? COLOR_RGBALPHA : COLOR_RGB;
    ihdr[10] = ihdr[11] = ihdr[12] = 0;
    PutChunk(file, "IHDR", ihdr, 13);
    // Large data goes out in chunks of 1 MB, as encoders usually do.
    for (size_t off = 0; off < z.size(); off += 1 << 20) {
        size_t n = std::min<size_t>(z.size() - off, 1 << 20);
        PutChunk(file, "IDAT", z.data() + off, n);
    }
    PutChunk(file, "IEND", nullptr, 0);
    return file;
}

}  // namespace png

// ---------------------------------------------------------------------------------------------
// TPngImage

// A memory DC over the picture's colour plane.
class TPngImage::TPngCanvas : public TMemoryCanvas {
public:
    explicit TPngCanvas(TPngImage* owner) : FOwner(owner) {}

protected:
    void CreateHandle() override {
        FOwner->MoveToDib();
        CreateWith(FOwner->FDib.Get());
    }

private:
    TPngImage* FOwner;
};

TPngImage::TPngImage() = default;

TPngImage::~TPngImage() {
    FCanvas.reset();
    Clear();
}

// The canvas object survives (callers may hold it); its DC is made again for the new pixels.
void TPngImage::Clear() {
    if (FCanvas) FCanvas->Release();
    FDib.Reset();
    FHeapColor.reset();
    FAlpha.reset();
    FColor = nullptr;
    FWidth = FHeight = 0;
    FPalette.clear();
    FInterlaced = false;
}

void TPngImage::MoveToDib() {
    if (FDib || FWidth <= 0 || FHeight <= 0) return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = FWidth;
    bi.bmiHeader.biHeight = -FHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    TGdiObject<HBITMAP> dib(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) return;
    std::memcpy(bits, FColor, GetColorStride() * FHeight);
    FDib = std::move(dib);
    FColor = static_cast<uint8_t*>(bits);
    FHeapColor.reset();
}

void TPngImage::Flush() const {
    // Drawing through the canvas may still sit in GDI's batch.
    if (FCanvas && FCanvas->HandleAllocated()) GdiFlush();
}

uint8_t* TPngImage::Scanline(int Y) {
    if (!FColor || Y < 0 || Y >= FHeight) return nullptr;
    Flush();
    return FColor + GetColorStride() * Y;
}

const uint8_t* TPngImage::Scanline(int Y) const { return const_cast<TPngImage*>(this)->Scanline(Y); }

uint8_t* TPngImage::AlphaScanline(int Y) {
    if (!FAlpha || Y < 0 || Y >= FHeight) return nullptr;
    return FAlpha.get() + size_t(FWidth) * Y;
}

const uint8_t* TPngImage::AlphaScanline(int Y) const { return const_cast<TPngImage*>(this)->AlphaScanline(Y); }

void TPngImage::CreateAlpha() {
    if (FAlpha || FWidth <= 0 || FHeight <= 0) return;
    const size_t n = size_t(FWidth) * FHeight;
    FAlpha.reset(new uint8_t[n]);
    std::memset(FAlpha.get(), 255, n);
    // Grey and RGB pictures become their alpha-carrying types, as writing them would.
    if (FColorType == png::COLOR_GRAYSCALE) FColorType = png::COLOR_GRAYSCALEALPHA;
    else if (FColorType == png::COLOR_RGB) FColorType = png::COLOR_RGBALPHA;
}

void TPngImage::CreateBlank(uint8_t ColorType, uint8_t BitDepth, int AWidth, int AHeight) {
    if (ColorType != png::COLOR_GRAYSCALE && ColorType != png::COLOR_RGB && ColorType != png::COLOR_PALETTE &&
        ColorType != png::COLOR_GRAYSCALEALPHA && ColorType != png::COLOR_RGBALPHA)
        throw EInvalidGraphic(L"Invalid PNG colour type");
    if (AWidth < 0 || AHeight < 0 || uint64_t(AWidth) * uint64_t(AHeight) > png::kMaxPixels)
        throw EInvalidGraphic(L"Invalid PNG size");
    Clear();
    FColorType = ColorType;
    FBitDepth = BitDepth;
    FWidth = AWidth;
    FHeight = AHeight;
    if (AWidth > 0 && AHeight > 0) {
        const size_t n = png::ColorStride(AWidth) * AHeight;
        FHeapColor.reset(new uint8_t[n]);
        std::memset(FHeapColor.get(), 0, n);
        FColor = FHeapColor.get();
        if (ColorType == png::COLOR_GRAYSCALEALPHA || ColorType == png::COLOR_RGBALPHA) {
            const size_t an = size_t(AWidth) * AHeight;
            FAlpha.reset(new uint8_t[an]);
            std::memset(FAlpha.get(), 0, an);
        }
    }
    if (ColorType == png::COLOR_PALETTE) FPalette.assign(size_t(1) << std::min<int>(BitDepth, 8), png::TPngRGB{});
    Changed();
}

TCanvas* TPngImage::GetCanvas() {
    if (!FCanvas) FCanvas = std::make_unique<TPngCanvas>(this);
    return FCanvas.get();
}

bool TPngImage::TryLoadFromMemory(const uint8_t* Data, size_t Size, std::string* Error) {
    png::TPngDecoded d;
    if (!png::Decode(Data, Size, d, Error)) return false;
    Clear();
    FWidth = d.Width;
    FHeight = d.Height;
    FColorType = d.ColorType;
    FBitDepth = d.BitDepth;
    FInterlaced = d.Interlaced;
    FPalette = std::move(d.Palette);
    FHeapColor = std::move(d.Color);
    FColor = FHeapColor.get();
    FAlpha = std::move(d.Alpha);
    Changed();
    return true;
}

void TPngImage::LoadFromMemory(const uint8_t* Data, size_t Size) {
    std::string why;
    if (!TryLoadFromMemory(Data, Size, &why)) throw EInvalidGraphic(L"Invalid PNG image: " + Utf8ToWide(why));
}

std::vector<uint8_t> TPngImage::SaveToBytes() const {
    if (GetEmpty()) return {};
    Flush();
    return png::Encode(FWidth, FHeight, FColor, GetColorStride(), FAlpha.get());
}

void TPngImage::SaveToFile(const std::wstring& FileName) const {
    std::vector<uint8_t> bytes = SaveToBytes();
    TKernelHandle f(CreateFileW(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!f) throw EFCreateError(L"Cannot create file \"" + FileName + L"\". " + SysErrorMessage(GetLastError()));
    DWORD written = 0;
    BOOL ok = WriteFile(f.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
    f.Reset();
    if (!ok || written != bytes.size()) throw EStreamError(L"Cannot write file \"" + FileName + L"\".");
}

void TPngImage::Assign(TPersistent* Source) {
    if (auto* p = dynamic_cast<TPngImage*>(Source)) {
        if (p == this) return;
        p->Flush();
        Clear();
        FColorType = p->FColorType;
        FBitDepth = p->FBitDepth;
        FInterlaced = p->FInterlaced;
        FPalette = p->FPalette;
        FWidth = p->FWidth;
        FHeight = p->FHeight;
        if (p->FColor) {
            const size_t n = GetColorStride() * FHeight;
            FHeapColor.reset(new uint8_t[n]);
            std::memcpy(FHeapColor.get(), p->FColor, n);
            FColor = FHeapColor.get();
        }
        if (p->FAlpha) {
            const size_t n = size_t(FWidth) * FHeight;
            FAlpha.reset(new uint8_t[n]);
            std::memcpy(FAlpha.get(), p->FAlpha.get(), n);
        }
        Changed();
        return;
    }
    if (auto* b = dynamic_cast<TBitmap*>(Source)) {
        GdiFlush();
        Clear();
        FColorType = png::COLOR_RGB;
        FBitDepth = 8;
        FWidth = std::max(0, b->GetWidth());
        FHeight = std::max(0, b->GetHeight());
        if (FWidth > 0 && FHeight > 0 && b->Bits()) {
            const size_t stride = GetColorStride();
            FHeapColor.reset(new uint8_t[stride * FHeight]);
            std::memset(FHeapColor.get(), 0, stride * FHeight);
            FColor = FHeapColor.get();
            const int bpp = b->GetPixelFormat() == pf32bit ? 4 : 3;
            for (int y = 0; y < FHeight; ++y) {
                const uint8_t* s = b->ScanLine(y);
                uint8_t* d = FColor + stride * y;
                for (int x = 0; x < FWidth; ++x, s += bpp, d += 3) {
                    d[0] = s[0];
                    d[1] = s[1];
                    d[2] = s[2];
                }
            }
        }
        Changed();
        return;
    }
    if (!Source) {
        Clear();
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TPngImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (!ACanvas) return;
    DrawToDC(ACanvas->GetHandle(), Rect);
}

void TPngImage::DrawToDC(HDC DC, const TRect& R) {
    if (!DC || GetEmpty() || !FColor || R.Width() <= 0 || R.Height() <= 0) return;
    Flush();
    // Only the part of the rectangle inside the clip box is read, blended and written back; the
    // write-back goes through the DC, so its origin and (possibly complex) clip region apply.
    RECT clip;
    int kind = GetClipBox(DC, &clip);
    TRect vis = R;
    if (kind == NULLREGION) return;
    if (kind != ERROR) {
        vis.Left = std::max<LONG>(vis.Left, clip.left);
        vis.Top = std::max<LONG>(vis.Top, clip.top);
        vis.Right = std::min<LONG>(vis.Right, clip.right);
        vis.Bottom = std::min<LONG>(vis.Bottom, clip.bottom);
    }
    const int vw = vis.Width(), vh = vis.Height();
    if (vw <= 0 || vh <= 0) return;

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = vw;
    bi.bmiHeader.biHeight = -vh;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    TGdiObject<HBITMAP> scratch(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!scratch || !bits) return;
    TMemoryDC mem(nullptr);
    if (!mem) return;
    mem.Select(scratch.Get());
    const bool opaque = !FAlpha;
    if (!opaque) BitBlt(mem.Get(), 0, 0, vw, vh, DC, vis.Left, vis.Top, SRCCOPY);
    GdiFlush();

    const int64_t dw = R.Width(), dh = R.Height();
    const size_t stride = GetColorStride();
    // Source column for each destination column of the visible part.
    std::vector<int> srcX(vw);
    for (int x = 0; x < vw; ++x) srcX[x] = int((int64_t(vis.Left - R.Left + x) * FWidth) / dw);
    uint8_t* dst = static_cast<uint8_t*>(bits);
    for (int y = 0; y < vh; ++y) {
        const int sy = int((int64_t(vis.Top - R.Top + y) * FHeight) / dh);
        const uint8_t* srow = FColor + stride * sy;
        const uint8_t* arow = opaque ? nullptr : FAlpha.get() + size_t(FWidth) * sy;
        uint8_t* d = dst + size_t(y) * vw * 4;
        for (int x = 0; x < vw; ++x, d += 4) {
            const int sx = srcX[x];
            const uint8_t* s = srow + sx * 3;
            const unsigned a = opaque ? 255 : arow[sx];
            if (a == 255) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                d[3] = 255;
            } else if (a != 0) {
                const unsigned na = 255 - a;
                d[0] = uint8_t((s[0] * a + d[0] * na + 127) / 255);
                d[1] = uint8_t((s[1] * a + d[1] * na + 127) / 255);
                d[2] = uint8_t((s[2] * a + d[2] * na + 127) / 255);
                d[3] = uint8_t(a + d[3] * na / 255);
            }
        }
    }
    BitBlt(DC, vis.Left, vis.Top, vw, vh, mem.Get(), 0, 0, SRCCOPY);
}

}  // namespace fw
