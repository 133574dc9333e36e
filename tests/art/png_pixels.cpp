#include "png_pixels.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace art {

namespace {

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

uint8_t Paeth(int a, int b, int c) {
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return uint8_t(a);
    if (pb <= pc) return uint8_t(b);
    return uint8_t(c);
}

}  // namespace

std::string DecodeRgbaPng(const std::vector<uint8_t>& png, RgbaImage& out) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 + 25 || memcmp(png.data(), kSignature, 8) != 0) return "no PNG signature";

    std::vector<uint8_t> packed;
    bool sawHeader = false, sawEnd = false;
    int channels = 4;
    size_t pos = 8;
    while (pos + 12 <= png.size()) {
        uint32_t len = BigEndian32(&png[pos]);
        if (len > png.size() - pos - 12) return "chunk runs past the end of the file";
        const uint8_t* type = &png[pos + 4];
        const uint8_t* data = &png[pos + 8];
        uint32_t crc = uint32_t(crc32(0, type, len + 4));
        if (crc != BigEndian32(data + len)) return "chunk CRC mismatch";
        if (memcmp(type, "IHDR", 4) == 0) {
            if (pos != 8 || len != 13) return "IHDR is not the first 13-byte chunk";
            out.width = int(BigEndian32(data));
            out.height = int(BigEndian32(data + 4));
            if (data[8] != 8) return "bit depth is not 8";
            // The renderer writes RGBA, or plain RGB when every pixel is opaque; the skin routines
            // give an RGB image an opaque alpha plane before cutting it.
            if (data[9] != 6 && data[9] != 2) return "colour type is neither RGBA (6) nor RGB (2)";
            channels = data[9] == 6 ? 4 : 3;
            if (data[12] != 0) return "interlaced";
            if (out.width < 1 || out.height < 1 || out.width > 4096 || out.height > 4096) return "bad size";
            sawHeader = true;
        } else if (memcmp(type, "IDAT", 4) == 0) {
            packed.insert(packed.end(), data, data + len);
        } else if (memcmp(type, "IEND", 4) == 0) {
            sawEnd = true;
            break;
        }
        pos += 12 + len;
    }
    if (!sawHeader) return "no IHDR";
    if (!sawEnd) return "no IEND";

    const size_t stride = size_t(out.width) * channels;
    const size_t expected = (stride + 1) * out.height;
    std::vector<uint8_t> raw(expected + 1);
    uLongf rawSize = uLongf(raw.size());
    if (uncompress(raw.data(), &rawSize, packed.data(), uLong(packed.size())) != Z_OK) return "IDAT does not inflate";
    if (rawSize != expected) return "IDAT inflates to " + std::to_string(rawSize) + " bytes, expected " + std::to_string(expected);

    std::vector<uint8_t> plain(stride * out.height, 0);
    const size_t bpp = size_t(channels);
    for (int y = 0; y < out.height; ++y) {
        const uint8_t filter = raw[y * (stride + 1)];
        const uint8_t* in = &raw[y * (stride + 1) + 1];
        uint8_t* row = &plain[y * stride];
        const uint8_t* up = y > 0 ? &plain[(y - 1) * stride] : nullptr;
        for (size_t i = 0; i < stride; ++i) {
            int a = i >= bpp ? row[i - bpp] : 0;
            int b = up ? up[i] : 0;
            int c = (up && i >= bpp) ? up[i - bpp] : 0;
            switch (filter) {
                case 0: row[i] = in[i]; break;
                case 1: row[i] = uint8_t(in[i] + a); break;
                case 2: row[i] = uint8_t(in[i] + b); break;
                case 3: row[i] = uint8_t(in[i] + ((a + b) >> 1)); break;
                case 4: row[i] = uint8_t(in[i] + Paeth(a, b, c)); break;
                default: return "unknown row filter " + std::to_string(filter);
            }
        }
    }
    out.pixels.assign(size_t(out.width) * out.height * 4, 255);
    for (size_t p = 0, n = size_t(out.width) * out.height; p < n; ++p)
        memcpy(&out.pixels[p * 4], &plain[p * bpp], bpp);
    return {};
}

}  // namespace art
