// PNG pictures: the codec (platform-neutral, safe on any thread) and TPngImage, the picture class
// the skins are drawn with.
#pragma once

#include "fw_graphics.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace fw {

namespace png {

// PNG colour types.
constexpr uint8_t COLOR_GRAYSCALE = 0;
constexpr uint8_t COLOR_RGB = 2;
constexpr uint8_t COLOR_PALETTE = 3;
constexpr uint8_t COLOR_GRAYSCALEALPHA = 4;
constexpr uint8_t COLOR_RGBALPHA = 6;

// Limits that keep a hostile file from making us allocate without end: no picture the program
// shows comes near them.
constexpr uint32_t kMaxDimension = 16384;
constexpr uint64_t kMaxPixels = uint64_t(1) << 24;

struct TPngRGB {
    uint8_t R = 0, G = 0, B = 0;
    bool operator==(const TPngRGB&) const = default;
};

// Row stride of a 24-bit colour plane (rows aligned to 4 bytes, as a DIB section has them).
constexpr size_t ColorStride(int width) { return (static_cast<size_t>(width) * 3 + 3) & ~size_t(3); }

// A decoded picture: 8-bit colour plane (B, G, R per pixel, rows ColorStride(width) apart) and an
// optional alpha plane (one byte per pixel, rows `width` apart). 16-bit samples keep their high byte,
// samples below 8 bits are scaled up to 0..255, palette pictures are expanded (the palette is kept).
struct TPngDecoded {
    int Width = 0;
    int Height = 0;
    uint8_t ColorType = 0;
    uint8_t BitDepth = 0;
    bool Interlaced = false;
    std::vector<TPngRGB> Palette;
    std::unique_ptr<uint8_t[]> Color;
    std::unique_ptr<uint8_t[]> Alpha;  // null when the picture has no transparency at all
};

// Decodes a whole PNG file held in memory. Returns false with a short English reason for anything
// that is not a complete, valid picture (bad signature, CRC, header, filter, truncated or short
// data, sizes beyond the limits above, out of memory). Never reads outside [data, data + size).
bool Decode(const uint8_t* data, size_t size, TPngDecoded& out, std::string* error = nullptr);

// Encodes 8-bit planes as a non-interlaced PNG: colour type 6 when `alpha` is given, else 2.
// `color` holds rows of B, G, R bytes `colorStride` apart, `alpha` rows of `width` bytes.
std::vector<uint8_t> Encode(int width, int height, const uint8_t* color, size_t colorStride, const uint8_t* alpha);

}  // namespace png

// A PNG picture. Pixels are held as two planes: the colour plane (B, G, R bytes per pixel, rows
// aligned to 4 bytes, top row first) and an optional alpha plane (one byte per pixel, 0 transparent,
// 255 opaque). Palette pictures are expanded when loaded but keep their colour type and palette;
// 16-bit pictures keep their bit depth as a label while their planes hold 8-bit samples.
// Loading, Assign and pixel access use no device context, so pictures may be decoded on worker
// threads; the canvas (a memory DC over the colour plane) is made on first use.
class TPngImage : public TGraphic {
public:
    FW_CLASSNAME(TPngImage)
    TPngImage();
    ~TPngImage() override;

    int GetWidth() const override { return FWidth; }
    int GetHeight() const override { return FHeight; }
    uint8_t GetColorType() const { return FColorType; }
    uint8_t GetBitDepth() const { return FBitDepth; }
    bool GetInterlaced() const { return FInterlaced; }

    // Row y of the colour plane (nullptr outside the picture).
    uint8_t* Scanline(int Y);
    const uint8_t* Scanline(int Y) const;
    // Row y of the alpha plane (nullptr without one).
    uint8_t* AlphaScanline(int Y);
    const uint8_t* AlphaScanline(int Y) const;
    bool HasAlpha() const { return FAlpha != nullptr; }
    size_t GetColorStride() const { return png::ColorStride(FWidth); }

    // Adds a fully opaque alpha plane when there is none.
    void CreateAlpha();
    // A new picture of the size: black, and transparent where the colour type carries alpha.
    void CreateBlank(uint8_t ColorType, uint8_t BitDepth, int AWidth, int AHeight);

    // The palette of a palette picture (types 2 and 6 may carry a suggested one).
    int GetPaletteCount() const { return int(FPalette.size()); }
    const std::vector<png::TPngRGB>& GetPalette() const { return FPalette; }
    // Replaces the palette entries. The expanded pixels are not touched: routines that change the
    // palette change the pixels alike.
    void SetPalette(const std::vector<png::TPngRGB>& Value) { FPalette = Value; }

    // A canvas over the colour plane: text and shapes drawn there leave the alpha plane alone.
    TCanvas* GetCanvas();

    // Alpha-blended, stretched nearest-neighbour into the rectangle; honours the device context's
    // origin and clip and updates the destination's alpha on 32-bit targets.
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;
    void DrawToDC(HDC DC, const TRect& Rect);

    // Raises EInvalidGraphic for anything that is not a complete, valid PNG.
    void LoadFromMemory(const uint8_t* Data, size_t Size) override;
    // As LoadFromMemory without raising; the picture is unchanged on failure.
    bool TryLoadFromMemory(const uint8_t* Data, size_t Size, std::string* Error = nullptr);
    // RGBA when the picture has alpha, else RGB, 8 bits per sample.
    std::vector<uint8_t> SaveToBytes() const;
    void SaveToFile(const std::wstring& FileName) const;

    // From another PNG (a copy) or from a bitmap (its colours; colour type 2, no alpha plane).
    void Assign(TPersistent* Source) override;

private:
    class TPngCanvas;
    void Clear();
    void MoveToDib();
    void Flush() const;

    int FWidth = 0, FHeight = 0;
    uint8_t FColorType = png::COLOR_RGB;
    uint8_t FBitDepth = 8;
    bool FInterlaced = false;
    std::vector<png::TPngRGB> FPalette;
    std::unique_ptr<uint8_t[]> FHeapColor;  // the colour plane until a canvas needs a DIB section
    TGdiObject<HBITMAP> FDib;               // the colour plane once a canvas was asked for
    uint8_t* FColor = nullptr;
    std::unique_ptr<uint8_t[]> FAlpha;
    std::unique_ptr<TPngCanvas> FCanvas;
};

}  // namespace fw
