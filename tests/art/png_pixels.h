// A small reader for the rendered skins: checks the PNG container and returns the RGBA pixels of
// an 8-bit, non-interlaced RGBA or RGB image (what the skin renderer writes). Anything else is reported
// as an error text, so a test can say what is wrong with a resource.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace art {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width * height * 4 bytes: red, green, blue, alpha

    const uint8_t* At(int x, int y) const { return pixels.data() + (size_t(y) * width + x) * 4; }
    uint8_t Alpha(int x, int y) const { return At(x, y)[3]; }
};

// Decodes `png` into `out`. Returns an empty string on success, else what is wrong.
std::string DecodeRgbaPng(const std::vector<uint8_t>& png, RgbaImage& out);

}  // namespace art
