// Pictures for control tests: the program's own skins and solid strips with known pixels.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "fw_png.h"

namespace testsupport {

// A skin embedded in the test executable (RCDATA named after the skin's file).
inline std::unique_ptr<fw::TPngImage> Skin(const wchar_t* Name) {
    auto png = std::make_unique<fw::TPngImage>();
    png->LoadFromResource(GetModuleHandleW(nullptr), Name);
    return png;
}

// A horizontal strip of opaque frames, frame i filled with Colors[i] (0x00BBGGRR).
inline std::unique_ptr<fw::TPngImage> Strip(int FrameW, int FrameH, const std::vector<COLORREF>& Colors) {
    auto png = std::make_unique<fw::TPngImage>();
    const int n = static_cast<int>(Colors.size());
    png->CreateBlank(fw::png::COLOR_RGBALPHA, 8, FrameW * n, FrameH);
    for (int y = 0; y < FrameH; ++y) {
        uint8_t* c = png->Scanline(y);
        uint8_t* a = png->AlphaScanline(y);
        for (int x = 0; x < FrameW * n; ++x) {
            const COLORREF col = Colors[x / FrameW];
            c[x * 3] = GetBValue(col);
            c[x * 3 + 1] = GetGValue(col);
            c[x * 3 + 2] = GetRValue(col);
            a[x] = 255;
        }
    }
    return png;
}

}  // namespace testsupport
