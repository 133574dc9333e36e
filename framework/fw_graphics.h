// Graphics: fonts, pens, brushes, the canvas over a device context, the picture classes (bitmap,
// the 32-bit ARGB bitmap, icon) and TPicture. PNG and JPEG pictures live in fw_png.h and fw_jpeg.h.
#pragma once

#include "fw_base.h"
#include "fw_classes.h"
#include "fw_handles.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fw {

// LOGPIXELSY of the screen (read once).
int ScreenPixelsPerInch();

// ---------------------------------------------------------------------------------------------

class TGraphicsObject : public TPersistent {
public:
    FW_CLASSNAME(TGraphicsObject)
    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    // Fires the owning canvas's hook (it deselects the old handle) and then OnChange.
    virtual void Changed();
    // Changed() for objects that own a GDI handle: the canvas hook deselects the old handle
    // first, so that it can be deleted, and the next use makes a new one.
    template <class Handle>
    void ReleaseHandleAndNotify(TGdiObject<Handle>& h) {
        if (FCanvasHook) FCanvasHook();
        h.Reset();
        NotifyChange();
    }
    void NotifyChange();
    std::function<void()> FCanvasHook;
};

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

class TFont : public TGraphicsObject {
public:
    FW_CLASSNAME(TFont)
    TFont();
    ~TFont() override;

    const std::wstring& GetName() const { return FName; }
    void SetName(const std::wstring& Value);
    // Pixels; negative means character height (the usual form), positive cell height.
    int GetHeight() const { return FHeight; }
    void SetHeight(int Value);
    // Points at the screen's resolution: Size = -MulDiv(Height, 72, PixelsPerInch).
    int GetSize() const;
    void SetSize(int Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles GetStyle() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    BYTE GetCharset() const { return FCharset; }
    void SetCharset(BYTE Value);
    int GetPixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value) { FPixelsPerInch = Value > 0 ? Value : 96; }

    // Made on demand and remade after a change; owned by the font.
    HFONT GetHandle();
    void Assign(TPersistent* Source) override;

private:
    void Changed() override;
    std::wstring FName = L"Tahoma";
    int FHeight = -11;
    TColor FColor = clWindowText;
    TFontStyles FStyle = 0;
    BYTE FCharset = DEFAULT_CHARSET;
    int FPixelsPerInch;
    TGdiObject<HFONT> FHandle;
};

enum TPenStyle { psSolid, psDash, psDot, psClear };

class TPen : public TGraphicsObject {
public:
    FW_CLASSNAME(TPen)
    ~TPen() override;
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    int GetWidth() const { return FWidth; }
    void SetWidth(int Value);
    TPenStyle GetStyle() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    HPEN GetHandle();
    void Assign(TPersistent* Source) override;

private:
    void Changed() override;
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TGdiObject<HPEN> FHandle;
};

enum TBrushStyle { bsSolid, bsClear };

class TBrush : public TGraphicsObject {
public:
    FW_CLASSNAME(TBrush)
    ~TBrush() override;
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TBrushStyle GetStyle() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    // A solid brush of the colour (the null brush for bsClear or clNone).
    HBRUSH GetHandle();
    void Assign(TPersistent* Source) override;

private:
    void Changed() override;
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TGdiObject<HBRUSH> FHandle;
};

// ---------------------------------------------------------------------------------------------

class TGraphic;

// Drawing on a device context. The font, pen and brush are selected into the context before each
// operation that uses them; the context's original objects are put back when the canvas lets go
// of it. Colours go through ColorToRGB; clNone is never given to GDI.
class TCanvas : public TPersistent {
public:
    FW_CLASSNAME(TCanvas)
    TCanvas();
    // A canvas over a device context it does not own.
    explicit TCanvas(HDC dc);
    ~TCanvas() override;

    // The device context (made on demand by canvases that own one).
    HDC GetHandle();
    // Attaches another device context (nullptr detaches); the old one gets its objects back.
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return FHandle != nullptr; }

    TFont* GetFont() { return &FFont; }
    TPen* GetPen() { return &FPen; }
    TBrush* GetBrush() { return &FBrush; }
    void SetFont(TFont* Value) { FFont.Assign(Value); }
    void SetBrush(TBrush* Value) { FBrush.Assign(Value); }
    void SetPen(TPen* Value) { FPen.Assign(Value); }

    void TextOut(int X, int Y, const std::wstring& Text);
    void TextRect(const TRect& Rect, int X, int Y, const std::wstring& Text);
    // DrawTextW; with DT_CALCRECT the rectangle is updated. Returns the text height.
    int DrawText(const std::wstring& Text, TRect& Rect, UINT Flags);
    SIZE TextExtent(const std::wstring& Text);
    int TextWidth(const std::wstring& Text) { return TextExtent(Text).cx; }
    int TextHeight(const std::wstring& Text) { return TextExtent(Text).cy; }
    void FillRect(const TRect& Rect);
    void FrameRect(const TRect& Rect);
    void Rectangle(const TRect& Rect);
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    TColor GetPixel(int X, int Y);
    void SetPixel(int X, int Y, TColor Color);
    void Draw(int X, int Y, TGraphic* Graphic);
    void StretchDraw(const TRect& Rect, TGraphic* Graphic);
    // Copies (StretchBlt, SRCCOPY) a rectangle of another canvas.
    void CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect);
    // The clip box in logical coordinates (GetClipBox).
    TRect ClipRect();
    void Lock();
    void Unlock();

protected:
    // Canvases that own their device context make it here.
    virtual void CreateHandle() {}
    void RequireFont();
    void RequirePen();
    void RequireBrush();
    void DeselectObjects();
    HDC FHandle = nullptr;

private:
    void Init();
    TFont FFont;
    TPen FPen;
    TBrush FBrush;
    HGDIOBJ FOldFont = nullptr, FOldPen = nullptr, FOldBrush = nullptr;
    bool FFontSelected = false, FPenSelected = false, FBrushSelected = false;
    CRITICAL_SECTION FLock;
};

// A canvas over a memory DC of its own with a picture's bitmap selected in it. The DC lives as long
// as the canvas (callers may keep its handle) or until Release; the bitmap is put out of it first.
class TMemoryCanvas : public TCanvas {
public:
    ~TMemoryCanvas() override;
    void Release();
    // Puts another bitmap (or none) into the DC, before the old one is deleted.
    void Reselect(HBITMAP Bitmap);

protected:
    // Makes the DC, with Bitmap selected when there is one.
    void CreateWith(HBITMAP Bitmap);

private:
    TOwnedDC FOwnedDC;  // what FHandle points at
    HGDIOBJ FOldBitmap = nullptr;
};

// ---------------------------------------------------------------------------------------------

class TGraphic : public TPersistent {
public:
    FW_CLASSNAME(TGraphic)
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    // True when there is nothing to draw (no data, or a zero size).
    virtual bool GetEmpty() const { return GetWidth() <= 0 || GetHeight() <= 0; }
    // Draws the graphic into the rectangle of the canvas (stretching it to the rectangle).
    virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;

    // Loads from a whole file image in memory; invalid data raises EInvalidGraphic.
    virtual void LoadFromMemory(const uint8_t* Data, size_t Size) = 0;
    void LoadFromBytes(const std::vector<uint8_t>& Bytes) { LoadFromMemory(Bytes.data(), Bytes.size()); }
    // Raises EFOpenError when the file cannot be read.
    void LoadFromFile(const std::wstring& FileName);
    // An RCDATA (or other type) resource of the module; EInvalidGraphic when it is missing.
    void LoadFromResource(HINSTANCE Instance, const wchar_t* Name, const wchar_t* Type = MAKEINTRESOURCEW(10));

    TNotifyEvent OnChange;

protected:
    virtual void Changed();
};

// Reads a whole file; raises EFOpenError when it cannot.
std::vector<uint8_t> ReadWholeFile(const std::wstring& FileName);

enum TPixelFormat { pf24bit, pf32bit };

// A device-independent bitmap (DIB section), 24 or 32 bits per pixel, top-down unless asked
// otherwise. Drawn opaque.
class TBitmap : public TGraphic {
public:
    FW_CLASSNAME(TBitmap)
    TBitmap();
    ~TBitmap() override;

    int GetWidth() const override { return FWidth; }
    int GetHeight() const override { return FHeight; }
    void SetWidth(int Value) { SetSize(Value, FHeight); }
    void SetHeight(int Value) { SetSize(FWidth, Value); }
    // Resizes, keeping the pixels of the common area; new pixels are 0.
    void SetSize(int AWidth, int AHeight);
    TPixelFormat GetPixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat Value);
    // Bottom-up rows (the classic DIB layout) instead of top-down; keeps the picture.
    bool GetTopDown() const { return FTopDown; }
    void SetTopDown(bool Value);

    // Start of row y (0 = top row in both layouts).
    uint8_t* ScanLine(int Y);
    const uint8_t* ScanLine(int Y) const;
    // Byte distance from row y to row y + 1: negative for bottom-up bitmaps.
    ptrdiff_t RowStride() const;
    // Bytes per row (always positive).
    size_t BytesPerRow() const;
    // Start of the pixel memory as GDI sees it (the bottom row first for bottom-up bitmaps).
    uint8_t* Bits() const { return FBits; }

    HBITMAP GetHandle();
    // A memory DC holding the bitmap (made on first use).
    TCanvas* GetCanvas();

    void Draw(TCanvas* ACanvas, const TRect& Rect) override;
    // BMP file data (any depth GDI reads; kept at 32 bits when the file has 32, else 24).
    void LoadFromMemory(const uint8_t* Data, size_t Size) override;
    void Assign(TPersistent* Source) override;

protected:
    void Recreate(int AWidth, int AHeight, TPixelFormat Format, bool TopDown, bool Keep);
    int BytesPerPixel() const { return FPixelFormat == pf32bit ? 4 : 3; }

private:
    class TBitmapCanvas;
    int FWidth = 0, FHeight = 0;
    TPixelFormat FPixelFormat = pf24bit;
    bool FTopDown = true;
    TGdiObject<HBITMAP> FHandle;
    uint8_t* FBits = nullptr;
    std::unique_ptr<TBitmapCanvas> FCanvas;
};

enum TDrawMode { dmOpaque, dmBlend };
enum TCombineMode { cmBlend, cmMerge };

// The 32-bit ARGB bitmap used as a back buffer: pixels are 0xAARRGGBB words (B, G, R, A bytes).
class TBitmap32 : public TBitmap {
public:
    FW_CLASSNAME(TBitmap32)
    TBitmap32();
    void Clear(uint32_t ARGB = 0);
    // Fills [X1, X2) x [Y1, Y2), clipped to the bitmap.
    void FillRect(int X1, int Y1, int X2, int Y2, uint32_t ARGB);
    uint32_t* PixelPtr(int X, int Y) { return reinterpret_cast<uint32_t*>(ScanLine(Y)) + X; }
    uint32_t GetPixel(int X, int Y) const { return reinterpret_cast<const uint32_t*>(ScanLine(Y))[X]; }
    void SetPixel(int X, int Y, uint32_t ARGB) { *PixelPtr(X, Y) = ARGB; }

    TDrawMode GetDrawMode() const { return FDrawMode; }
    void SetDrawMode(TDrawMode Value) { FDrawMode = Value; }
    TCombineMode GetCombineMode() const { return FCombineMode; }
    void SetCombineMode(TCombineMode Value) { FCombineMode = Value; }

    // Copies the whole bitmap onto a device context (opaque, BitBlt).
    void DrawTo(HDC Dest, int X, int Y);
    // Draws onto another 32-bit bitmap: a plain copy in dmOpaque, else blended with each pixel's
    // alpha (colour = (s·a + d·(255 − a) + 127) div 255, alpha = a + d_a·(255 − a) div 255).
    void DrawTo(TBitmap32* Dest, int X, int Y);
    // Copies a rectangle of a canvas onto the whole bitmap (StretchBlt).
    void CopyFromCanvas(TCanvas* Source, const TRect& SourceRect);
    // Every pixel of the rectangle (clipped) faded by factor/255: colour rounded, alpha truncated.
    void ScaleAlpha(const TRect& Rect, int Factor);
    // Alpha of every pixel becomes 255.
    void ResetAlpha(uint8_t Alpha = 255);

private:
    TDrawMode FDrawMode = dmOpaque;
    TCombineMode FCombineMode = cmBlend;
};

// An icon (owned HICON).
class TIcon : public TGraphic {
public:
    FW_CLASSNAME(TIcon)
    ~TIcon() override;
    int GetWidth() const override { return FWidth; }
    int GetHeight() const override { return FHeight; }
    bool GetEmpty() const override { return !FHandle; }
    HICON GetHandle() const { return FHandle.Get(); }
    // Takes ownership of the handle (from ExtractIconExW, for example).
    void SetHandle(HICON Value);
    HICON ReleaseHandle();
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;
    // ICO file data: the entry closest to 32 x 32. Data whose directory or chosen image does not
    // fit in it raises EInvalidGraphic and leaves the icon as it was.
    void LoadFromMemory(const uint8_t* Data, size_t Size) override;
    void LoadFromResourceName(HINSTANCE Instance, const wchar_t* Name, int Size = 0);
    void Assign(TPersistent* Source) override;
    // The icon at the system's small-icon size (title bar, taskbar button), made from the same
    // resource or ICO data as the icon, else scaled from it; owned by the icon; nullptr when empty.
    HICON GetSmallHandle() const;

private:
    // Forgets where the icon came from (a handle given from outside has no source).
    void ClearSource();
    TIconHandle FHandle;
    int FWidth = 0, FHeight = 0;
    // The source, kept for other sizes: a resource (instance and name or number) or ICO data.
    HINSTANCE FResInstance = nullptr;
    std::wstring FResName;
    WORD FResId = 0;
    std::vector<uint8_t> FData;
    mutable TIconHandle FSmall;
};

// Stages of a picture's load as its progress notification reports them.
enum TProgressStage { psStarting, psRunning, psEnding };

// Progress of a picture's load: the stage, the share done (0..100), whether the part R of the
// picture may be drawn now, and a message (empty for the framework's own loads).
using TProgressEvent = std::function<void(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                                          const TRect& R, const std::wstring& Msg)>;

// Holds one graphic of any of the picture classes.
class TPicture : public TPersistent {
public:
    FW_CLASSNAME(TPicture)
    ~TPicture() override;
    TGraphic* GetGraphic() const { return FGraphic.get(); }
    // Copies the graphic (nullptr empties the picture).
    void SetGraphic(TGraphic* Value);
    int GetWidth() const { return FGraphic ? FGraphic->GetWidth() : 0; }
    int GetHeight() const { return FGraphic ? FGraphic->GetHeight() : 0; }
    // Chooses the class from the data's signature (PNG, JPEG, BMP, ICO); unknown data raises
    // EInvalidGraphic and leaves the picture as it was.
    void LoadFromMemory(const uint8_t* Data, size_t Size);
    void LoadFromFile(const std::wstring& FileName);
    void LoadFromResource(HINSTANCE Instance, const wchar_t* Name, const wchar_t* Type = MAKEINTRESOURCEW(10));
    // From a picture (copies its graphic; an empty picture copies as empty) or a graphic.
    void Assign(TPersistent* Source) override;

    TNotifyEvent OnChange;
    // Raised by every load (LoadFromMemory, LoadFromFile, LoadFromResource) with the graphic
    // being loaded as Sender: psStarting at 0 before the data is decoded, psEnding at 100 with
    // the whole picture once it holds the new graphic. A load that fails ends at 0 and redraws
    // nothing, so a handler that started something may always finish it.
    TProgressEvent OnProgress;

private:
    void Adopt(std::unique_ptr<TGraphic> g);
    void Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow, const TRect& R);
    std::unique_ptr<TGraphic> FGraphic;
};

// A new, empty graphic of the same class as `Source` (nullptr for an unknown class).
std::unique_ptr<TGraphic> NewGraphicLike(const TGraphic* Source);

}  // namespace fw
