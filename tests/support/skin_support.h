// Pictures for control tests: the program's own skins and solid strips with known pixels.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "fw_png.h"

namespace testsupport {

// A skin embedded in the test executable (RCDATA named after the skin's file).
inline std::unique_ptr<fw::TPngImage> Skin(const wchar_t* Name) {
    auto png = std::make_unique<fw::TPngImage>();
    png->LoadFromResource(GetModuleHandleW(nullptr), Name);
    return png;
}

// A strip of frames side by side (or stacked when Vertical), frame i filled with Colors[i]
// (0x00BBGGRR) at alpha Alphas[i] (opaque when no alphas are given).
inline std::unique_ptr<fw::TPngImage> Strip(int FrameW, int FrameH, const std::vector<COLORREF>& Colors,
                                            const std::vector<uint8_t>& Alphas = {}, bool Vertical = false) {
    auto png = std::make_unique<fw::TPngImage>();
    const int n = static_cast<int>(Colors.size());
    const int w = Vertical ? FrameW : FrameW * n, h = Vertical ? FrameH * n : FrameH;
    png->CreateBlank(fw::png::COLOR_RGBALPHA, 8, w, h);
    for (int y = 0; y < h; ++y) {
        uint8_t* c = png->Scanline(y);
        uint8_t* a = png->AlphaScanline(y);
        for (int x = 0; x < w; ++x) {
            const size_t f = static_cast<size_t>(Vertical ? y / FrameH : x / FrameW);
            c[x * 3] = GetBValue(Colors[f]);
            c[x * 3 + 1] = GetGValue(Colors[f]);
            c[x * 3 + 2] = GetRValue(Colors[f]);
            a[x] = Alphas.empty() ? 255 : Alphas[f];
        }
    }
    return png;
}

// The PNG file of a picture of one colour, as a web server sends it.
inline std::string PngBytes(int W, int H, COLORREF Color = RGB(255, 0, 0)) {
    const std::vector<uint8_t> bytes = Strip(W, H, {Color})->SaveToBytes();
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace testsupport
