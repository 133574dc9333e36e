#include "VeskStdImageList.h"

#include "VeskDrawing.h"

#include <vector>

using namespace fw;

HICON CreateIconFromPng(const TPngImage* Png) {
    if (!Png || Png->GetEmpty()) return nullptr;
    const int w = Png->GetWidth(), h = Png->GetHeight();
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top row first, as the picture's planes
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    TGdiObject<HBITMAP> color(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!color) return nullptr;
    // The colour image carries straight (not premultiplied) alpha; the mask marks the fully
    // transparent pixels for shells that ignore the alpha channel.
    const int maskStride = ((w + 15) / 16) * 2;
    std::vector<uint8_t> mask(static_cast<size_t>(maskStride) * static_cast<size_t>(h), 0);
    auto* out = static_cast<uint8_t*>(bits);
    for (int y = 0; y < h; ++y) {
        const uint8_t* c = Png->Scanline(y);
        const uint8_t* a = Png->AlphaScanline(y);
        uint8_t* row = out + static_cast<size_t>(y) * static_cast<size_t>(w) * 4;
        for (int x = 0; x < w; ++x) {
            const uint8_t alpha = a ? a[x] : 255;
            row[x * 4] = c[x * 3];
            row[x * 4 + 1] = c[x * 3 + 1];
            row[x * 4 + 2] = c[x * 3 + 2];
            row[x * 4 + 3] = alpha;
            if (alpha == 0) mask[static_cast<size_t>(y * maskStride + x / 8)] |= uint8_t(0x80 >> (x % 8));
        }
    }
    // The icon gets copies of both bitmaps.
    TGdiObject<HBITMAP> maskBmp(CreateBitmap(w, h, 1, 1, mask.data()));
    ICONINFO ii{};
    ii.fIcon = TRUE;
    ii.hbmMask = maskBmp.Get();
    ii.hbmColor = color.Get();
    return maskBmp ? CreateIconIndirect(&ii) : nullptr;
}

void DrawListPng(TCanvas* Canvas, int X, int Y, TPngImage* Png, bool Enabled) {
    TRect r(X, Y, X + Png->GetWidth(), Y + Png->GetHeight());
    if (Enabled) {
        Png->Draw(Canvas, r);
        return;
    }
    TPngImage grey;
    grey.Assign(Png);
    GreyPng(&grey, 255);
    grey.Draw(Canvas, r);
}
