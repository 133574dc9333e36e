// JPEG pictures, decoded through the platform's imaging component (windowscodecs).
#pragma once

#include "fw_graphics.h"

#include <cstdint>
#include <vector>

namespace fw {

// Decodes any picture format the imaging component knows into top-down rows of the given pixel
// format (e.g. GUID_WICPixelFormat24bppBGR or 32bppBGRA), rows `Stride` bytes apart (0: packed,
// rounded up to 4 bytes). Initialises COM on the calling thread for the call when needed.
// Returns false when the data cannot be decoded.
bool WicDecode(const uint8_t* Data, size_t Size, const GUID& PixelFormat, int BytesPerPixel, int& Width, int& Height,
               std::vector<uint8_t>& Pixels, size_t& Stride);

class TJPEGImage : public TGraphic {
public:
    FW_CLASSNAME(TJPEGImage)
    TJPEGImage();
    ~TJPEGImage() override;
    int GetWidth() const override { return FBitmap.GetWidth(); }
    int GetHeight() const override { return FBitmap.GetHeight(); }
    // Stretched into the rectangle (opaque).
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;
    void LoadFromMemory(const uint8_t* Data, size_t Size) override;
    void Assign(TPersistent* Source) override;
    // The decoded pixels (24-bit).
    TBitmap* GetBitmap() { return &FBitmap; }

private:
    TBitmap FBitmap;
};

}  // namespace fw
