#include "fw_graphics.h"

#include "fw_handles.h"
#include "fw_jpeg.h"
#include "fw_png.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace fw {

int ScreenPixelsPerInch() {
    static const int ppi = [] {
        TWindowDC dc(nullptr);
        int v = dc ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
        return v > 0 ? v : 96;
    }();
    return ppi;
}

// ---------------------------------------------------------------------------------------------

void TGraphicsObject::Changed() {
    if (FCanvasHook) FCanvasHook();
    NotifyChange();
}

void TGraphicsObject::NotifyChange() {
    if (OnChange) {
        TNotifyEvent h = OnChange;  // a handler may replace OnChange
        h(this);
    }
}

TFont::TFont() : FPixelsPerInch(ScreenPixelsPerInch()) {}

TFont::~TFont() = default;

void TFont::Changed() { ReleaseHandleAndNotify(FHandle); }

void TFont::SetName(const std::wstring& Value) {
    if (Value.empty() || Value == FName) return;
    FName = Value;
    Changed();
}

void TFont::SetHeight(int Value) {
    if (Value == FHeight) return;
    FHeight = Value;
    Changed();
}

int TFont::GetSize() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    // The colour is not part of the HFONT: keep the handle.
    if (FCanvasHook) FCanvasHook();
    if (OnChange) {
        TNotifyEvent h = OnChange;
        h(this);
    }
}

void TFont::SetStyle(TFontStyles Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Changed();
}

void TFont::SetCharset(BYTE Value) {
    if (Value == FCharset) return;
    FCharset = Value;
    Changed();
}

HFONT TFont::GetHandle() {
    if (!FHandle) {
        LOGFONTW lf{};
        lf.lfHeight = FHeight;
        lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (FStyle & fsItalic) ? 1 : 0;
        lf.lfUnderline = (FStyle & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (FStyle & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = FCharset;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = DEFAULT_PITCH;
        wcsncpy(lf.lfFaceName, FName.c_str(), LF_FACESIZE - 1);
        FHandle.Reset(CreateFontIndirectW(&lf));
    }
    return FHandle.Get();
}

void TFont::Assign(TPersistent* Source) {
    if (auto* f = dynamic_cast<TFont*>(Source)) {
        if (f == this) return;
        bool handleChange = f->FName != FName || f->FHeight != FHeight || f->FStyle != FStyle ||
                            f->FCharset != FCharset || f->FPixelsPerInch != FPixelsPerInch;
        bool colorChange = f->FColor != FColor;
        FName = f->FName;
        FHeight = f->FHeight;
        FStyle = f->FStyle;
        FCharset = f->FCharset;
        FPixelsPerInch = f->FPixelsPerInch;
        FColor = f->FColor;
        if (handleChange) {
            Changed();
        } else if (colorChange) {
            FColor = f->FColor;
            TGraphicsObject::Changed();
        }
        return;
    }
    TGraphicsObject::Assign(Source);
}

TPen::~TPen() = default;

void TPen::Changed() { ReleaseHandleAndNotify(FHandle); }

void TPen::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    Changed();
}

void TPen::SetWidth(int Value) {
    if (Value < 1) Value = 1;
    if (Value == FWidth) return;
    FWidth = Value;
    Changed();
}

void TPen::SetStyle(TPenStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Changed();
}

HPEN TPen::GetHandle() {
    if (!FHandle) {
        if (FStyle == psClear || FColor == clNone) {
            FHandle.Reset(CreatePen(PS_NULL, 0, 0));
        } else {
            int style = FStyle == psDash ? PS_DASH : FStyle == psDot ? PS_DOT : PS_SOLID;
            FHandle.Reset(CreatePen(style, FWidth, ColorToRGB(FColor)));
        }
    }
    return FHandle.Get();
}

void TPen::Assign(TPersistent* Source) {
    if (auto* p = dynamic_cast<TPen*>(Source)) {
        if (p == this) return;
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

TBrush::~TBrush() = default;

void TBrush::Changed() { ReleaseHandleAndNotify(FHandle); }

void TBrush::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    // Giving a clear brush a colour makes it solid again.
    if (FStyle == bsClear && Value != clNone) FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Changed();
}

HBRUSH TBrush::GetHandle() {
    if (!FHandle) {
        if (FStyle == bsClear || FColor == clNone) {
            LOGBRUSH lb{BS_NULL, 0, 0};
            FHandle.Reset(CreateBrushIndirect(&lb));
        } else {
            FHandle.Reset(CreateSolidBrush(ColorToRGB(FColor)));
        }
    }
    return FHandle.Get();
}

void TBrush::Assign(TPersistent* Source) {
    if (auto* b = dynamic_cast<TBrush*>(Source)) {
        if (b == this) return;
        FColor = b->FColor;
        FStyle = b->FStyle;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

// ---------------------------------------------------------------------------------------------

TCanvas::TCanvas() { Init(); }

TCanvas::TCanvas(HDC dc) {
    Init();
    FHandle = dc;
}

void TCanvas::Init() {
    InitializeCriticalSection(&FLock);
    FFont.FCanvasHook = [this] {
        if (FFontSelected && FHandle) SelectObject(FHandle, FOldFont);
        FFontSelected = false;
    };
    FPen.FCanvasHook = [this] {
        if (FPenSelected && FHandle) SelectObject(FHandle, FOldPen);
        FPenSelected = false;
    };
    FBrush.FCanvasHook = [this] {
        if (FBrushSelected && FHandle) SelectObject(FHandle, FOldBrush);
        FBrushSelected = false;
    };
}

TCanvas::~TCanvas() {
    DeselectObjects();
    FFont.FCanvasHook = nullptr;
    FPen.FCanvasHook = nullptr;
    FBrush.FCanvasHook = nullptr;
    DeleteCriticalSection(&FLock);
}

void TCanvas::DeselectObjects() {
    if (FHandle) {
        if (FFontSelected) SelectObject(FHandle, FOldFont);
        if (FPenSelected) SelectObject(FHandle, FOldPen);
        if (FBrushSelected) SelectObject(FHandle, FOldBrush);
    }
    FFontSelected = FPenSelected = FBrushSelected = false;
}

HDC TCanvas::GetHandle() {
    if (!FHandle) CreateHandle();
    return FHandle;
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == FHandle) return;
    DeselectObjects();
    FHandle = dc;
}

// The objects are re-selected when something else (RestoreDC, a caller's SelectObject) replaced
// them in the device context since the last operation.
void TCanvas::RequireFont() {
    HDC dc = GetHandle();
    if (!dc) return;
    HFONT font = FFont.GetHandle();
    if (!FFontSelected) {
        FOldFont = SelectObject(dc, font);
        FFontSelected = true;
    } else if (GetCurrentObject(dc, OBJ_FONT) != font) {
        SelectObject(dc, font);
    }
    SetTextColor(dc, FFont.GetColor() == clNone ? ColorToRGB(clWindowText) : ColorToRGB(FFont.GetColor()));
    if (FBrush.GetStyle() == bsClear || FBrush.GetColor() == clNone) {
        SetBkMode(dc, TRANSPARENT);
    } else {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, ColorToRGB(FBrush.GetColor()));
    }
}

void TCanvas::RequirePen() {
    HDC dc = GetHandle();
    if (!dc) return;
    HPEN pen = FPen.GetHandle();
    if (!FPenSelected) {
        FOldPen = SelectObject(dc, pen);
        FPenSelected = true;
    } else if (GetCurrentObject(dc, OBJ_PEN) != pen) {
        SelectObject(dc, pen);
    }
}

void TCanvas::RequireBrush() {
    HDC dc = GetHandle();
    if (!dc) return;
    HBRUSH brush = FBrush.GetHandle();
    if (!FBrushSelected) {
        FOldBrush = SelectObject(dc, brush);
        FBrushSelected = true;
    } else if (GetCurrentObject(dc, OBJ_BRUSH) != brush) {
        SelectObject(dc, brush);
    }
}

void TCanvas::TextOut(int X, int Y, const std::wstring& Text) {
    RequireFont();
    if (HDC dc = GetHandle()) ExtTextOutW(dc, X, Y, 0, nullptr, Text.c_str(), UINT(Text.size()), nullptr);
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const std::wstring& Text) {
    RequireFont();
    HDC dc = GetHandle();
    if (!dc) return;
    UINT opts = ETO_CLIPPED;
    if (FBrush.GetStyle() != bsClear && FBrush.GetColor() != clNone) opts |= ETO_OPAQUE;
    RECT r = Rect;
    ExtTextOutW(dc, X, Y, opts, &r, Text.c_str(), UINT(Text.size()), nullptr);
}

int TCanvas::DrawText(const std::wstring& Text, TRect& Rect, UINT Flags) {
    RequireFont();
    HDC dc = GetHandle();
    if (!dc) return 0;
    // DT_MODIFYSTRING may write into the buffer: give it a private, padded copy.
    std::wstring buf = Text;
    buf.resize(Text.size() + 8, L'\0');
    return ::DrawTextW(dc, buf.data(), int(Text.size()), Rect.Ptr(), Flags);
}

SIZE TCanvas::TextExtent(const std::wstring& Text) {
    SIZE s{0, 0};
    RequireFont();
    if (HDC dc = GetHandle()) GetTextExtentPoint32W(dc, Text.c_str(), int(Text.size()), &s);
    return s;
}

void TCanvas::FillRect(const TRect& Rect) {
    HDC dc = GetHandle();
    if (!dc || FBrush.GetStyle() == bsClear || FBrush.GetColor() == clNone) return;
    RECT r = Rect;
    ::FillRect(dc, &r, FBrush.GetHandle());
}

void TCanvas::FrameRect(const TRect& Rect) {
    HDC dc = GetHandle();
    if (!dc || FBrush.GetStyle() == bsClear || FBrush.GetColor() == clNone) return;
    RECT r = Rect;
    ::FrameRect(dc, &r, FBrush.GetHandle());
}

void TCanvas::Rectangle(const TRect& Rect) {
    RequirePen();
    RequireBrush();
    if (HDC dc = GetHandle()) ::Rectangle(dc, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
}

void TCanvas::MoveTo(int X, int Y) {
    if (HDC dc = GetHandle()) MoveToEx(dc, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
    RequirePen();
    if (HDC dc = GetHandle()) ::LineTo(dc, X, Y);
}

TColor TCanvas::GetPixel(int X, int Y) {
    HDC dc = GetHandle();
    return dc ? TColor(::GetPixel(dc, X, Y)) : clBlack;
}

void TCanvas::SetPixel(int X, int Y, TColor Color) {
    // clNone is "no colour": it must not reach GDI as the white its low bytes would spell.
    if (Color == clNone) return;
    if (HDC dc = GetHandle()) ::SetPixelV(dc, X, Y, ColorToRGB(Color));
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
    if (!Graphic || Graphic->GetEmpty()) return;
    Graphic->Draw(this, Bounds(X, Y, Graphic->GetWidth(), Graphic->GetHeight()));
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
    if (!Graphic || Graphic->GetEmpty()) return;
    Graphic->Draw(this, Rect);
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect) {
    HDC dc = GetHandle();
    HDC src = Source ? Source->GetHandle() : nullptr;
    if (!dc || !src) return;
    int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), src, SourceRect.Left, SourceRect.Top,
               SourceRect.Width(), SourceRect.Height(), SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

TRect TCanvas::ClipRect() {
    RECT r{0, 0, 0, 0};
    if (HDC dc = GetHandle()) GetClipBox(dc, &r);
    return TRect(r);
}

void TCanvas::Lock() { EnterCriticalSection(&FLock); }
void TCanvas::Unlock() { LeaveCriticalSection(&FLock); }

// ---------------------------------------------------------------------------------------------

std::vector<uint8_t> ReadWholeFile(const std::wstring& FileName) {
    TKernelHandle f(CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) throw EFOpenError(L"Cannot open file \"" + FileName + L"\". " + SysErrorMessage(GetLastError()));
    std::vector<uint8_t> bytes;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(f.Get(), &size) || size.QuadPart > 0x40000000)
        throw EFOpenError(L"Cannot read file \"" + FileName + L"\".");
    bytes.resize(size_t(size.QuadPart));
    DWORD got = 0;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD want = DWORD(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!ReadFile(f.Get(), bytes.data() + done, want, &got, nullptr) || got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

void TGraphic::LoadFromFile(const std::wstring& FileName) {
    std::vector<uint8_t> b = ReadWholeFile(FileName);
    LoadFromMemory(b.data(), b.size());
}

void TGraphic::LoadFromResource(HINSTANCE Instance, const wchar_t* Name, const wchar_t* Type) {
    HRSRC r = FindResourceW(Instance, Name, Type);
    HGLOBAL g = r ? LoadResource(Instance, r) : nullptr;
    const void* p = g ? LockResource(g) : nullptr;
    if (!p) throw EInvalidGraphic(L"Resource not found");
    LoadFromMemory(static_cast<const uint8_t*>(p), SizeofResource(Instance, r));
}

void TGraphic::Changed() {
    if (OnChange) {
        TNotifyEvent h = OnChange;
        h(this);
    }
}

// ---------------------------------------------------------------------------------------------

TMemoryCanvas::~TMemoryCanvas() { Release(); }

void TMemoryCanvas::Release() {
    if (!FHandle) return;
    DeselectObjects();
    SelectObject(FHandle, FOldBitmap);
    FOwnedDC.Reset();
    FHandle = nullptr;
    FOldBitmap = nullptr;
}

void TMemoryCanvas::Reselect(HBITMAP Bitmap) {
    if (FHandle) SelectObject(FHandle, Bitmap ? static_cast<HGDIOBJ>(Bitmap) : FOldBitmap);
}

void TMemoryCanvas::CreateWith(HBITMAP Bitmap) {
    TOwnedDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return;
    FOldBitmap = GetCurrentObject(dc.Get(), OBJ_BITMAP);
    if (Bitmap) SelectObject(dc.Get(), Bitmap);
    FHandle = dc.Get();
    FOwnedDC = std::move(dc);
}

// The bitmap's canvas: a resized bitmap is selected into the same DC.
class TBitmap::TBitmapCanvas : public TMemoryCanvas {
public:
    explicit TBitmapCanvas(TBitmap* owner) : FOwner(owner) {}

protected:
    void CreateHandle() override { CreateWith(FOwner->FHandle.Get()); }

private:
    TBitmap* FOwner;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
    FCanvas.reset();  // out of its DC before the bitmap goes
}

size_t TBitmap::BytesPerRow() const { return (size_t(FWidth) * BytesPerPixel() + 3) & ~size_t(3); }

ptrdiff_t TBitmap::RowStride() const {
    return FTopDown ? ptrdiff_t(BytesPerRow()) : -ptrdiff_t(BytesPerRow());
}

uint8_t* TBitmap::ScanLine(int Y) {
    if (!FBits || Y < 0 || Y >= FHeight) return nullptr;
    size_t row = FTopDown ? size_t(Y) : size_t(FHeight - 1 - Y);
    return FBits + row * BytesPerRow();
}

const uint8_t* TBitmap::ScanLine(int Y) const { return const_cast<TBitmap*>(this)->ScanLine(Y); }

void TBitmap::Recreate(int AWidth, int AHeight, TPixelFormat Format, bool TopDown, bool Keep) {
    if (AWidth < 0) AWidth = 0;
    if (AHeight < 0) AHeight = 0;
    HBITMAP nh = nullptr;
    uint8_t* nbits = nullptr;
    if (AWidth > 0 && AHeight > 0) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = AWidth;
        bi.bmiHeader.biHeight = TopDown ? -AHeight : AHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = Format == pf32bit ? 32 : 24;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        nh = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!nh || !bits) throw EOSError(L"Out of system resources", GetLastError());
        nbits = static_cast<uint8_t*>(bits);
        const size_t nrow = (size_t(AWidth) * (Format == pf32bit ? 4 : 3) + 3) & ~size_t(3);
        std::memset(nbits, 0, nrow * AHeight);
        if (Keep && FBits) {
            GdiFlush();
            const int w = std::min(AWidth, FWidth), h = std::min(AHeight, FHeight);
            const int sbpp = BytesPerPixel(), dbpp = Format == pf32bit ? 4 : 3;
            for (int y = 0; y < h; ++y) {
                const uint8_t* s = ScanLine(y);
                uint8_t* d = nbits + (TopDown ? size_t(y) : size_t(AHeight - 1 - y)) * nrow;
                if (sbpp == dbpp) {
                    std::memcpy(d, s, size_t(w) * sbpp);
                } else {
                    for (int x = 0; x < w; ++x) {
                        d[x * dbpp] = s[x * sbpp];
                        d[x * dbpp + 1] = s[x * sbpp + 1];
                        d[x * dbpp + 2] = s[x * sbpp + 2];
                        if (dbpp == 4) d[x * 4 + 3] = 255;
                    }
                }
            }
        }
    }
    if (FCanvas) FCanvas->Reselect(nh);
    FHandle.Reset(nh);
    FBits = nbits;
    // A zero-sized bitmap keeps its nominal size so that Width/Height read back what was set.
    FWidth = AWidth;
    FHeight = AHeight;
    FPixelFormat = Format;
    FTopDown = TopDown;
    Changed();
}

void TBitmap::SetSize(int AWidth, int AHeight) {
    if (AWidth == FWidth && AHeight == FHeight && (FHandle || AWidth <= 0 || AHeight <= 0)) return;
    Recreate(AWidth, AHeight, FPixelFormat, FTopDown, true);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
    if (Value == FPixelFormat) return;
    Recreate(FWidth, FHeight, Value, FTopDown, true);
}

void TBitmap::SetTopDown(bool Value) {
    if (Value == FTopDown) return;
    Recreate(FWidth, FHeight, FPixelFormat, Value, true);
}

HBITMAP TBitmap::GetHandle() { return FHandle.Get(); }

TCanvas* TBitmap::GetCanvas() {
    if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(this);
    return FCanvas.get();
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (!ACanvas || GetEmpty() || !FHandle) return;
    HDC dst = ACanvas->GetHandle();
    HDC src = GetCanvas()->GetHandle();
    if (!dst || !src) return;
    GdiFlush();
    if (Rect.Width() == FWidth && Rect.Height() == FHeight) {
        BitBlt(dst, Rect.Left, Rect.Top, FWidth, FHeight, src, 0, 0, SRCCOPY);
    } else {
        int old = SetStretchBltMode(dst, COLORONCOLOR);
        StretchBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, FWidth, FHeight, SRCCOPY);
        SetStretchBltMode(dst, old);
    }
}

void TBitmap::LoadFromMemory(const uint8_t* Data, size_t Size) {
    if (!Data || Size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || Data[0] != 'B' || Data[1] != 'M')
        throw EInvalidGraphic(L"Bitmap image is not valid");
    BITMAPFILEHEADER fh;
    std::memcpy(&fh, Data, sizeof(fh));
    BITMAPINFOHEADER ih;
    std::memcpy(&ih, Data + sizeof(fh), sizeof(ih));
    const size_t infoOff = sizeof(fh);
    if (ih.biSize < sizeof(BITMAPINFOHEADER) || ih.biSize > Size - infoOff || ih.biWidth <= 0 || ih.biHeight == 0 ||
        ih.biWidth > 32768 || ih.biHeight > 32768 || ih.biHeight < -32768 || fh.bfOffBits >= Size)
        throw EInvalidGraphic(L"Bitmap image is not valid");
    const int w = ih.biWidth, h = ih.biHeight < 0 ? -ih.biHeight : ih.biHeight;
    // Compressed data may promise any size in a few bytes: keep to what a picture of the program
    // can be before a bitmap of that size is made.
    if (uint64_t(w) * uint64_t(h) > png::kMaxPixels) throw EInvalidGraphic(L"Bitmap image is not valid");
    // The pixel data must be all there (for uncompressed bitmaps GDI would read past the end).
    if (ih.biCompression == BI_RGB || ih.biCompression == BI_BITFIELDS) {
        uint64_t row = ((uint64_t(w) * ih.biBitCount + 31) / 32) * 4;
        if (ih.biBitCount == 0 || row * h > Size - fh.bfOffBits) throw EInvalidGraphic(L"Bitmap image is not valid");
    } else if (ih.biSizeImage == 0 || ih.biSizeImage > Size - fh.bfOffBits) {
        // Compressed data must say how long it is, and be that long.
        throw EInvalidGraphic(L"Bitmap image is not valid");
    }
    // The colour table and masks lie between the header and the pixel data.
    const size_t infoSize = fh.bfOffBits - infoOff;
    if (fh.bfOffBits < infoOff + ih.biSize) throw EInvalidGraphic(L"Bitmap image is not valid");
    std::vector<uint8_t> info(Data + infoOff, Data + infoOff + infoSize);
    info.resize(std::max(info.size(), sizeof(BITMAPINFO) + 256 * sizeof(RGBQUAD)), 0);
    Recreate(w, h, ih.biBitCount == 32 ? pf32bit : pf24bit, true, false);
    HDC dc = GetCanvas()->GetHandle();
    if (!dc) throw EInvalidGraphic(L"Bitmap image is not valid");
    int lines = SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, Data + fh.bfOffBits,
                                  reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    GdiFlush();
    if (lines == 0) throw EInvalidGraphic(L"Bitmap image is not valid");
    if (ih.biBitCount == 32 && (ih.biCompression == BI_RGB)) {
        // GDI drops alpha on the way in: copy it straight from the file.
        for (int y = 0; y < h; ++y) {
            int srcRow = ih.biHeight > 0 ? h - 1 - y : y;
            const uint8_t* s = Data + fh.bfOffBits + size_t(srcRow) * w * 4;
            uint8_t* d = ScanLine(y);
            for (int x = 0; x < w; ++x) d[x * 4 + 3] = s[x * 4 + 3];
        }
    }
    Changed();
}

void TBitmap::Assign(TPersistent* Source) {
    if (auto* b = dynamic_cast<TBitmap*>(Source)) {
        if (b == this) return;
        Recreate(b->FWidth, b->FHeight, b->FPixelFormat, FTopDown, false);
        if (FBits && b->FBits) {
            GdiFlush();
            const size_t n = size_t(FWidth) * BytesPerPixel();
            for (int y = 0; y < FHeight; ++y) std::memcpy(ScanLine(y), b->ScanLine(y), n);
        }
        Changed();
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        Recreate(g->GetWidth(), g->GetHeight(), FPixelFormat, FTopDown, false);
        if (!g->GetEmpty()) GetCanvas()->StretchDraw(Rect(0, 0, FWidth, FHeight), g);
        GdiFlush();
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

// ---------------------------------------------------------------------------------------------

TBitmap32::TBitmap32() { SetPixelFormat(pf32bit); }

void TBitmap32::Clear(uint32_t ARGB) { FillRect(0, 0, GetWidth(), GetHeight(), ARGB); }

void TBitmap32::FillRect(int X1, int Y1, int X2, int Y2, uint32_t ARGB) {
    X1 = std::max(X1, 0);
    Y1 = std::max(Y1, 0);
    X2 = std::min(X2, GetWidth());
    Y2 = std::min(Y2, GetHeight());
    if (X1 >= X2 || Y1 >= Y2 || !Bits()) return;
    GdiFlush();
    for (int y = Y1; y < Y2; ++y) std::fill_n(PixelPtr(X1, y), X2 - X1, ARGB);
}

void TBitmap32::DrawTo(HDC Dest, int X, int Y) {
    if (!Dest || GetEmpty()) return;
    HDC src = GetCanvas()->GetHandle();
    GdiFlush();
    BitBlt(Dest, X, Y, GetWidth(), GetHeight(), src, 0, 0, SRCCOPY);
}

void TBitmap32::DrawTo(TBitmap32* Dest, int X, int Y) {
    if (!Dest || Dest == this || GetEmpty() || Dest->GetEmpty()) return;
    GdiFlush();
    const int x0 = std::max(0, -X), y0 = std::max(0, -Y);
    const int x1 = std::min(GetWidth(), Dest->GetWidth() - X), y1 = std::min(GetHeight(), Dest->GetHeight() - Y);
    for (int y = y0; y < y1; ++y) {
        const uint8_t* s = ScanLine(y) + size_t(x0) * 4;
        uint8_t* d = Dest->ScanLine(y + Y) + size_t(x0 + X) * 4;
        if (FDrawMode == dmOpaque) {
            std::memcpy(d, s, size_t(x1 - x0) * 4);
            continue;
        }
        for (int x = x0; x < x1; ++x, s += 4, d += 4) {
            const unsigned a = s[3];
            if (a == 0) continue;
            if (a == 255) {
                std::memcpy(d, s, 4);
                continue;
            }
            for (int c = 0; c < 3; ++c) d[c] = uint8_t((s[c] * a + d[c] * (255 - a) + 127) / 255);
            d[3] = uint8_t(a + d[3] * (255 - a) / 255);
        }
    }
}

void TBitmap32::CopyFromCanvas(TCanvas* Source, const TRect& SourceRect) {
    if (!Source || GetEmpty()) return;
    GetCanvas()->CopyRect(Rect(0, 0, GetWidth(), GetHeight()), Source, SourceRect);
    GdiFlush();
}

void TBitmap32::ScaleAlpha(const TRect& R, int Factor) {
    if (Factor < 0 || Factor > 255 || !Bits()) return;
    const int l = std::max<int>(R.Left, 0), t = std::max<int>(R.Top, 0);
    const int r = std::min<int>(R.Right, GetWidth()), b = std::min<int>(R.Bottom, GetHeight());
    if (l >= r || t >= b) return;
    GdiFlush();
    // round(c * f / 255) with halves to even, exactly: q = floor(n / 255), remainder decides.
    auto roundDiv = [](unsigned n) -> uint8_t {
        unsigned q = n / 255, rem = n % 255;
        // 255 is odd, so an exact half never occurs: rem > 127 rounds up.
        return uint8_t(rem > 127 ? q + 1 : q);
    };
    for (int y = t; y < b; ++y) {
        uint8_t* p = ScanLine(y) + size_t(l) * 4;
        for (int x = l; x < r; ++x, p += 4) {
            p[0] = roundDiv(p[0] * unsigned(Factor));
            p[1] = roundDiv(p[1] * unsigned(Factor));
            p[2] = roundDiv(p[2] * unsigned(Factor));
            p[3] = uint8_t(p[3] * unsigned(Factor) / 255);
        }
    }
}

void TBitmap32::ResetAlpha(uint8_t Alpha) {
    if (!Bits()) return;
    GdiFlush();
    for (int y = 0; y < GetHeight(); ++y) {
        uint8_t* p = ScanLine(y);
        for (int x = 0; x < GetWidth(); ++x) p[x * 4 + 3] = Alpha;
    }
}

// ---------------------------------------------------------------------------------------------

TIcon::~TIcon() = default;

void TIcon::ClearSource() {
    FResInstance = nullptr;
    FResName.clear();
    FResId = 0;
    FData.clear();
    FSmall.Reset();
}

void TIcon::SetHandle(HICON Value) {
    if (Value == FHandle.Get()) return;
    ClearSource();
    FHandle.Reset(Value);
    FWidth = FHeight = 0;
    if (FHandle) {
        ICONINFO ii{};
        if (GetIconInfo(FHandle.Get(), &ii)) {
            // GetIconInfo hands out copies of the icon's bitmaps.
            TGdiObject<HBITMAP> color(ii.hbmColor), mask(ii.hbmMask);
            BITMAP bm{};
            if (ii.hbmColor && GetObjectW(ii.hbmColor, sizeof(bm), &bm)) {
                FWidth = bm.bmWidth;
                FHeight = bm.bmHeight;
            } else if (ii.hbmMask && GetObjectW(ii.hbmMask, sizeof(bm), &bm)) {
                FWidth = bm.bmWidth;
                FHeight = bm.bmHeight / 2;
            }
        }
    }
    Changed();
}

HICON TIcon::ReleaseHandle() {
    HICON h = FHandle.Release();
    ClearSource();
    FWidth = FHeight = 0;
    return h;
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (!ACanvas || !FHandle) return;
    if (HDC dc = ACanvas->GetHandle()) DrawIconEx(dc, Rect.Left, Rect.Top, FHandle.Get(), Rect.Width(), Rect.Height(), 0, nullptr, DI_NORMAL);
}

namespace {

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

struct TIcoEntry {
    int Width, Height, Bits;
    uint32_t Offset, Length;
};

[[noreturn]] void BadIcon() { throw EInvalidGraphic(L"Icon image is not valid"); }

// The directory of ICO data, every entry inside the data; raises EInvalidGraphic otherwise.
std::vector<TIcoEntry> ReadIcoDirectory(const uint8_t* Data, size_t Size) {
    // ICONDIR: reserved 0, type 1, count; then 16-byte entries.
    if (!Data || Size < 6 || Le16(Data) != 0 || Le16(Data + 2) != 1) BadIcon();
    const size_t count = Le16(Data + 4);
    if (count == 0 || (Size - 6) / 16 < count) BadIcon();
    std::vector<TIcoEntry> entries;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = Data + 6 + i * 16;
        TIcoEntry en{e[0] ? e[0] : 256, e[1] ? e[1] : 256, Le16(e + 6), Le32(e + 12), Le32(e + 8)};
        // The image lies after the directory and wholly inside the data (no wrap-around).
        if (en.Offset < 6 + count * 16 || en.Offset >= Size || en.Length > Size - en.Offset) BadIcon();
        entries.push_back(en);
    }
    return entries;
}

// The entry nearest to W x H; the deepest colour among equally near sizes.
const TIcoEntry& NearestIcoEntry(const std::vector<TIcoEntry>& Entries, int W, int H) {
    const TIcoEntry* best = &Entries.front();
    long long bestScore = LLONG_MAX;
    for (const TIcoEntry& e : Entries) {
        const long long score = (std::abs(e.Width - W) + std::abs(e.Height - H)) * 64LL - e.Bits;
        if (score < bestScore) {
            bestScore = score;
            best = &e;
        }
    }
    return *best;
}

// Whether one image of ICO data is what its entry says: a PNG whose header gives the entry's size,
// or a device-independent bitmap (colour rows, then the mask rows) whose header, palette and
// pixels fit in the image's bytes.
bool IcoImageSane(const uint8_t* Image, const TIcoEntry& E) {
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const uint32_t len = E.Length;
    if (len >= 8 && std::memcmp(Image, kPng, 8) == 0) {
        // Signature, then the IHDR chunk: length 13, type, width, height (big-endian).
        if (len < 8 + 8 + 13 + 4 || std::memcmp(Image + 12, "IHDR", 4) != 0) return false;
        auto be32 = [](const uint8_t* p) { return (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; };
        const uint32_t w = be32(Image + 16), h = be32(Image + 20);
        // An entry of 256 (stored as 0) stands for any size from 256 up.
        auto fits = [](uint32_t actual, int entry) { return entry == 256 ? actual >= 256 && actual <= 4096 : actual == uint32_t(entry); };
        return fits(w, E.Width) && fits(h, E.Height);
    }
    if (len < sizeof(BITMAPINFOHEADER)) return false;
    BITMAPINFOHEADER bi;
    std::memcpy(&bi, Image, sizeof(bi));
    if (bi.biSize < sizeof(BITMAPINFOHEADER) || bi.biSize > len || bi.biPlanes != 1) return false;
    // The height counts the colour rows and the mask rows.
    if (bi.biWidth != E.Width || bi.biHeight != 2 * E.Height) return false;
    const int bits = bi.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    uint64_t header = bi.biSize;
    if (bi.biCompression == BI_BITFIELDS) {
        if (bits != 16 && bits != 32) return false;
        if (bi.biSize == sizeof(BITMAPINFOHEADER)) header += 12;  // the three masks
    } else if (bi.biCompression != BI_RGB) {
        return false;
    }
    uint64_t colours = 0;
    if (bits <= 8) {
        colours = bi.biClrUsed ? bi.biClrUsed : (1u << bits);
        if (colours > (1u << bits)) return false;
    }
    const uint64_t w = uint64_t(bi.biWidth), h = uint64_t(E.Height);
    const uint64_t colourRow = (w * bits + 31) / 32 * 4, maskRow = (w + 31) / 32 * 4;
    return header + colours * 4 + (colourRow + maskRow) * h <= len;
}

}  // namespace

void TIcon::LoadFromMemory(const uint8_t* Data, size_t Size) {
    // Damaged data is refused before the platform reads it: CreateIconFromResourceEx trusts the
    // sizes it is given.
    const std::vector<TIcoEntry> entries = ReadIcoDirectory(Data, Size);
    const TIcoEntry& e = NearestIcoEntry(entries, 32, 32);
    if (!IcoImageSane(Data + e.Offset, e)) BadIcon();
    HICON icon = CreateIconFromResourceEx(const_cast<PBYTE>(Data + e.Offset), e.Length, TRUE, 0x00030000, e.Width,
                                          e.Height, LR_DEFAULTCOLOR);
    if (!icon) BadIcon();
    SetHandle(icon);
    FData.assign(Data, Data + Size);
}

void TIcon::LoadFromResourceName(HINSTANCE Instance, const wchar_t* Name, int Size) {
    HICON icon = static_cast<HICON>(LoadImageW(Instance, Name, IMAGE_ICON, Size, Size, Size ? 0 : LR_DEFAULTSIZE));
    if (!icon) throw EInvalidGraphic(L"Icon resource not found");
    SetHandle(icon);
    FResInstance = Instance;
    if (IS_INTRESOURCE(Name))
        FResId = static_cast<WORD>(reinterpret_cast<uintptr_t>(Name));
    else
        FResName = Name;
}

HICON TIcon::GetSmallHandle() const {
    if (!FHandle) return nullptr;
    if (FSmall) return FSmall.Get();
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    if (FWidth == cx && FHeight == cy) return FHandle.Get();
    HICON small = nullptr;
    if (FResInstance) {
        const wchar_t* name = FResName.empty() ? MAKEINTRESOURCEW(FResId) : FResName.c_str();
        small = static_cast<HICON>(LoadImageW(FResInstance, name, IMAGE_ICON, cx, cy, 0));
    } else if (!FData.empty()) {
        // Checked when it was loaded; another entry is checked now.
        const std::vector<TIcoEntry> entries = ReadIcoDirectory(FData.data(), FData.size());
        const TIcoEntry& e = NearestIcoEntry(entries, cx, cy);
        if (IcoImageSane(FData.data() + e.Offset, e))
            small = CreateIconFromResourceEx(const_cast<PBYTE>(FData.data() + e.Offset), e.Length, TRUE, 0x00030000,
                                             cx, cy, LR_DEFAULTCOLOR);
    }
    if (!small) small = static_cast<HICON>(CopyImage(FHandle.Get(), IMAGE_ICON, cx, cy, 0));
    FSmall.Reset(small);
    return FSmall ? FSmall.Get() : FHandle.Get();
}

void TIcon::Assign(TPersistent* Source) {
    if (auto* i = dynamic_cast<TIcon*>(Source)) {
        if (i == this) return;
        SetHandle(i->FHandle ? CopyIcon(i->FHandle.Get()) : nullptr);
        if (FHandle) {
            FResInstance = i->FResInstance;
            FResName = i->FResName;
            FResId = i->FResId;
            FData = i->FData;
        }
        return;
    }
    TGraphic::Assign(Source);
}

// ---------------------------------------------------------------------------------------------

std::unique_ptr<TGraphic> NewGraphicLike(const TGraphic* Source) {
    if (!Source) return nullptr;
    if (dynamic_cast<const TPngImage*>(Source)) return std::make_unique<TPngImage>();
    if (dynamic_cast<const TJPEGImage*>(Source)) return std::make_unique<TJPEGImage>();
    if (dynamic_cast<const TBitmap32*>(Source)) return std::make_unique<TBitmap32>();
    if (dynamic_cast<const TBitmap*>(Source)) return std::make_unique<TBitmap>();
    if (dynamic_cast<const TIcon*>(Source)) return std::make_unique<TIcon>();
    return nullptr;
}

TPicture::~TPicture() = default;

void TPicture::Adopt(std::unique_ptr<TGraphic> g) {
    FGraphic = std::move(g);
    if (FGraphic) {
        FGraphic->OnChange = [this](TObject*) {
            if (OnChange) {
                TNotifyEvent h = OnChange;
                h(this);
            }
        };
    }
    if (OnChange) {
        TNotifyEvent h = OnChange;
        h(this);
    }
}

void TPicture::SetGraphic(TGraphic* Value) {
    if (Value == FGraphic.get()) return;
    if (!Value) {
        Adopt(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> g = NewGraphicLike(Value);
    if (!g) throw EConvertError(L"Cannot assign a " + Value->ClassName() + L" to a TPicture");
    g->Assign(Value);
    Adopt(std::move(g));
}

void TPicture::LoadFromMemory(const uint8_t* Data, size_t Size) {
    std::unique_ptr<TGraphic> g;
    static const uint8_t pngSig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (Data && Size >= 8 && std::memcmp(Data, pngSig, 8) == 0) {
        g = std::make_unique<TPngImage>();
    } else if (Data && Size >= 3 && Data[0] == 0xFF && Data[1] == 0xD8 && Data[2] == 0xFF) {
        g = std::make_unique<TJPEGImage>();
    } else if (Data && Size >= 2 && Data[0] == 'B' && Data[1] == 'M') {
        g = std::make_unique<TBitmap>();
    } else if (Data && Size >= 4 && Data[0] == 0 && Data[1] == 0 && Data[2] == 1 && Data[3] == 0) {
        g = std::make_unique<TIcon>();
    } else {
        throw EInvalidGraphic(L"Unknown picture file format");
    }
    TGraphic* loading = g.get();
    Progress(loading, psStarting, 0, false, TRect());
    try {
        g->LoadFromMemory(Data, Size);
    } catch (...) {
        Progress(loading, psEnding, 0, false, TRect());
        throw;
    }
    Adopt(std::move(g));
    Progress(loading, psEnding, 100, true, TRect(0, 0, GetWidth(), GetHeight()));
}

void TPicture::Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow, const TRect& R) {
    TProgressEvent h = OnProgress;  // the handler may replace the event
    if (h) h(Sender, Stage, PercentDone, RedrawNow, R, std::wstring());
}

void TPicture::LoadFromFile(const std::wstring& FileName) {
    std::vector<uint8_t> b = ReadWholeFile(FileName);
    LoadFromMemory(b.data(), b.size());
}

void TPicture::LoadFromResource(HINSTANCE Instance, const wchar_t* Name, const wchar_t* Type) {
    HRSRC r = FindResourceW(Instance, Name, Type);
    HGLOBAL g = r ? LoadResource(Instance, r) : nullptr;
    const void* p = g ? LockResource(g) : nullptr;
    if (!p) throw EInvalidGraphic(L"Resource not found");
    LoadFromMemory(static_cast<const uint8_t*>(p), SizeofResource(Instance, r));
}

void TPicture::Assign(TPersistent* Source) {
    if (!Source) {
        SetGraphic(nullptr);
        return;
    }
    if (auto* p = dynamic_cast<TPicture*>(Source)) {
        if (p == this) return;
        SetGraphic(p->FGraphic.get());
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(g);
        return;
    }
    TPersistent::Assign(Source);
}

}  // namespace fw
