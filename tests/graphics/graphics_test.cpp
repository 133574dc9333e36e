// Canvas, fonts, bitmaps, pictures and the PNG drawing rule on real device contexts.
#include <gtest/gtest.h>

#include <objbase.h>
#include <wincodec.h>

#include "fw_graphics.h"
#include "fw_jpeg.h"
#include "fw_png.h"
#include "test_support.h"

#include <cstring>

using namespace fw;

namespace {

// A 3 x 2 picture whose alpha values hit the edges of the blend rule.
std::unique_ptr<TPngImage> BlendSample() {
    auto p = std::make_unique<TPngImage>();
    p->CreateBlank(png::COLOR_RGBALPHA, 8, 3, 2);
    const uint8_t alpha[6] = {0, 1, 127, 128, 254, 255};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            uint8_t* c = p->Scanline(y) + 3 * x;
            c[0] = uint8_t(40 * x + 10);   // B
            c[1] = uint8_t(200 - 60 * y);  // G
            c[2] = uint8_t(250 - 30 * x);  // R
            p->AlphaScanline(y)[x] = alpha[y * 3 + x];
        }
    }
    return p;
}

// The destination's own pattern, so that untouched pixels are recognisable.
uint8_t DestByte(int x, int y, int c) { return uint8_t(x * 13 + y * 29 + c * 71); }

void FillPattern(TBitmap& b) {
    const int bpp = b.GetPixelFormat() == pf32bit ? 4 : 3;
    for (int y = 0; y < b.GetHeight(); ++y)
        for (int x = 0; x < b.GetWidth(); ++x)
            for (int c = 0; c < bpp; ++c) b.ScanLine(y)[x * bpp + c] = DestByte(x, y, c);
}

void CheckBlend(TPixelFormat format, bool bottomUp) {
    auto png = BlendSample();
    TBitmap target;
    target.SetPixelFormat(format);
    target.SetTopDown(!bottomUp);
    target.SetSize(20, 16);
    FillPattern(target);

    HDC dc = target.GetCanvas()->GetHandle();
    const int save = SaveDC(dc);
    // Logical (0, 0) lies at device (4, 1); the clip cuts the drawing on the right and at the top.
    SetViewportOrgEx(dc, 4, 1, nullptr);
    IntersectClipRect(dc, -10, 4, 7, 40);
    const TRect r(2, 3, 9, 8);  // 7 x 5, stretched from 3 x 2
    target.GetCanvas()->StretchDraw(r, png.get());
    RestoreDC(dc, save);
    GdiFlush();

    const int bpp = format == pf32bit ? 4 : 3;
    int drawn = 0;
    for (int Y = 0; Y < target.GetHeight(); ++Y) {
        for (int X = 0; X < target.GetWidth(); ++X) {
            const int x = X - 4, y = Y - 1;  // logical
            const bool inside = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom && x < 7 && y >= 4;
            const uint8_t* d = target.ScanLine(Y) + X * bpp;
            if (!inside) {
                for (int c = 0; c < bpp; ++c) ASSERT_EQ(d[c], DestByte(X, Y, c)) << "outside pixel " << X << "," << Y;
                continue;
            }
            ++drawn;
            const int sx = (x - r.Left) * 3 / 7, sy = (y - r.Top) * 2 / 5;
            const unsigned a = png->AlphaScanline(sy)[sx];
            for (int c = 0; c < 3; ++c) {
                const unsigned s = png->Scanline(sy)[sx * 3 + c], dst = DestByte(X, Y, c);
                const unsigned expect = (s * a + dst * (255 - a) + 127) / 255;
                ASSERT_EQ(d[c], expect) << "pixel " << X << "," << Y << " channel " << c << " alpha " << a;
            }
            if (bpp == 4) {
                const unsigned expectA = a + DestByte(X, Y, 3) * (255 - a) / 255;
                ASSERT_EQ(d[3], expectA) << "alpha of " << X << "," << Y;
            }
        }
    }
    EXPECT_EQ(drawn, 5 * 4);  // x 2..6, y 4..7
}

}  // namespace

TEST(PngDraw, BlendsExactlyOntoTargetsWithOriginAndClip) {
    CheckBlend(pf24bit, false);
    CheckBlend(pf32bit, false);
    CheckBlend(pf32bit, true);
}

TEST(PngDraw, OpaquePictureCopiesAndPremultipliesOntoClearedFrames) {
    TPngImage p;
    p.CreateBlank(png::COLOR_RGB, 8, 2, 1);
    std::memcpy(p.Scanline(0), "\x01\x02\x03\xC8", 4);
    TBitmap32 b;
    b.SetSize(4, 2);
    b.Clear(0x11223344);
    b.GetCanvas()->Draw(1, 1, &p);
    GdiFlush();
    EXPECT_EQ(b.GetPixel(1, 1), 0xFF030201u);
    EXPECT_EQ(b.GetPixel(2, 1), 0xFF0000C8u);
    EXPECT_EQ(b.GetPixel(0, 1), 0x11223344u);
    EXPECT_EQ(b.GetPixel(1, 0), 0x11223344u);

    // A half-transparent pixel over a frame cleared to 0 gives a premultiplied pixel.
    TPngImage h;
    h.CreateBlank(png::COLOR_RGBALPHA, 8, 1, 1);
    std::memcpy(h.Scanline(0), "\xFF\x64\x07", 3);  // B 255, G 100, R 7
    h.AlphaScanline(0)[0] = 128;
    b.Clear(0);
    b.GetCanvas()->Draw(0, 0, &h);
    GdiFlush();
    auto pm = [](unsigned c) { return (c * 128 + 127) / 255; };
    EXPECT_EQ(b.GetPixel(0, 0), (128u << 24) | (pm(7) << 16) | (pm(100) << 8) | pm(255));

    // The rounding term is exactly 127: 127 at alpha 1 over black stays 0, 128 becomes 1.
    std::memcpy(h.Scanline(0), "\x7F\x80\x00", 3);
    h.AlphaScanline(0)[0] = 1;
    b.Clear(0);
    b.GetCanvas()->Draw(0, 0, &h);
    GdiFlush();
    EXPECT_EQ(b.GetPixel(0, 0), 0x01000100u);
}

TEST(PngCanvas, TextChangesColoursAndKeepsAlpha) {
    TPngImage p;
    p.CreateBlank(png::COLOR_RGBALPHA, 8, 60, 20);
    for (int y = 0; y < 20; ++y) {
        std::memset(p.Scanline(y), 0xEE, 60 * 3);
        for (int x = 0; x < 60; ++x) p.AlphaScanline(y)[x] = uint8_t(x * 4 + y);
    }
    TPngImage before;
    before.Assign(&p);
    TCanvas* cv = p.GetCanvas();
    cv->GetFont()->SetColor(clBlack);
    cv->GetBrush()->SetStyle(bsClear);
    cv->TextOut(2, 2, L"Wg");
    int changed = 0;
    for (int y = 0; y < 20; ++y) {
        changed += memcmp(p.Scanline(y), before.Scanline(y), 60 * 3) != 0;
        ASSERT_EQ(0, memcmp(p.AlphaScanline(y), before.AlphaScanline(y), 60)) << "alpha row " << y;
    }
    EXPECT_GT(changed, 3);
    // The picture still round-trips after canvas drawing (the plane moved into a DIB section).
    std::vector<uint8_t> bytes = p.SaveToBytes();
    TPngImage back;
    back.LoadFromMemory(bytes.data(), bytes.size());
    EXPECT_EQ(0, memcmp(back.Scanline(5), p.Scanline(5), 60 * 3));
}

// ---------------------------------------------------------------------------------------------

TEST(Fonts, SizeAndHeightAtScreenResolution) {
    TFont f;
    ASSERT_EQ(f.GetPixelsPerInch(), 96);  // Xvfb and a fresh prefix
    f.SetSize(10);
    EXPECT_EQ(f.GetHeight(), -13);
    f.SetSize(9);
    EXPECT_EQ(f.GetHeight(), -12);
    f.SetHeight(-16);
    EXPECT_EQ(f.GetSize(), 12);

    int changes = 0;
    f.OnChange = [&](TObject*) { ++changes; };
    f.SetStyle(fsBold);
    f.SetStyle(fsBold);
    EXPECT_EQ(changes, 1);
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(f.GetHandle(), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfHeight, -16);

    TFont g;
    g.Assign(&f);
    EXPECT_EQ(g.GetHeight(), -16);
    EXPECT_EQ(g.GetStyle(), TFontStyles(fsBold));
}

TEST(Canvas, ColoursAreResolvedAndNoneNeverPaints) {
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(8, 8);
    TCanvas* cv = b.GetCanvas();
    cv->GetBrush()->SetColor(clBtnFace);
    cv->FillRect(Rect(0, 0, 8, 8));
    GdiFlush();
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const uint8_t* px = b.ScanLine(3) + 3 * 4;
    EXPECT_EQ(RGB(px[2], px[1], px[0]), face);

    cv->GetBrush()->SetColor(clNone);
    cv->FillRect(Rect(0, 0, 4, 4));
    cv->SetPixel(2, 1, clNone);
    GdiFlush();
    px = b.ScanLine(1) + 4;
    EXPECT_EQ(RGB(px[2], px[1], px[0]), face);
    px = b.ScanLine(1) + 2 * 4;
    EXPECT_EQ(RGB(px[2], px[1], px[0]), face);
    cv->SetPixel(3, 1, clBtnShadow);
    GdiFlush();
    px = b.ScanLine(1) + 3 * 4;
    EXPECT_EQ(RGB(px[2], px[1], px[0]), GetSysColor(COLOR_BTNSHADOW));

    // A font change between two calls applies.
    cv->GetFont()->SetHeight(-20);
    SIZE big = cv->TextExtent(L"M");
    cv->GetFont()->SetHeight(-8);
    SIZE small = cv->TextExtent(L"M");
    EXPECT_GT(big.cy, small.cy);
}

TEST(Canvas, KeepsItsDeviceContextAndObjectsAcrossChanges) {
    TBitmap b;
    b.SetSize(4, 4);
    HDC dc = b.GetCanvas()->GetHandle();
    ASSERT_NE(dc, nullptr);
    // Resizing puts the new pixels into the same DC, so a handle taken earlier stays usable.
    b.SetSize(30, 20);
    EXPECT_EQ(b.GetCanvas()->GetHandle(), dc);
    b.GetCanvas()->GetBrush()->SetColor(TColor(0x0000FF));
    b.GetCanvas()->FillRect(Rect(0, 0, 30, 20));
    GdiFlush();
    EXPECT_EQ(b.ScanLine(19)[29 * 3 + 2], 255);

    // Someone else's RestoreDC takes the canvas's font out of the DC: the next call puts it back.
    TCanvas* cv = b.GetCanvas();
    cv->GetFont()->SetHeight(-24);
    const int save = SaveDC(dc);
    const SIZE big = cv->TextExtent(L"M");
    RestoreDC(dc, save);
    EXPECT_EQ(cv->TextExtent(L"M").cy, big.cy);
    EXPECT_GT(big.cy, 20);

    // A PNG's canvas object outlives a reload of its pixels.
    TPngImage p;
    p.CreateBlank(png::COLOR_RGB, 8, 4, 4);
    TCanvas* pc = p.GetCanvas();
    pc->GetBrush()->SetColor(clWhite);
    pc->FillRect(Rect(0, 0, 4, 4));
    p.CreateBlank(png::COLOR_RGBALPHA, 8, 8, 2);
    EXPECT_EQ(p.GetCanvas(), pc);
    pc->FillRect(Rect(0, 0, 8, 2));
    EXPECT_EQ(p.Scanline(1)[7 * 3], 255);
    EXPECT_EQ(p.AlphaScanline(1)[7], 0);
}

TEST(Bitmaps, LayoutsResizeAndThe32BitBitmap) {
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(3, 4);
    EXPECT_EQ(b.RowStride(), 12);
    b.ScanLine(0)[0] = 9;
    b.SetTopDown(false);
    EXPECT_EQ(b.RowStride(), -12);
    EXPECT_EQ(b.ScanLine(0)[0], 9);                 // the picture is kept
    EXPECT_EQ(b.ScanLine(0), b.Bits() + 3 * 12);    // the top row is last in memory
    b.SetSize(5, 5);
    EXPECT_EQ(b.ScanLine(0)[0], 9);

    TBitmap32 s;
    s.SetSize(2, 1);
    s.SetPixel(0, 0, 0x80FF0000);  // half-transparent red
    s.SetPixel(1, 0, 0x00FFFFFF);  // transparent
    TBitmap32 d;
    d.SetSize(3, 1);
    d.Clear(0xFF0000FF);
    s.SetDrawMode(dmBlend);
    s.DrawTo(&d, 1, 0);
    EXPECT_EQ(d.GetPixel(0, 0), 0xFF0000FFu);
    const uint32_t m = d.GetPixel(1, 0);
    EXPECT_EQ((m >> 16) & 0xFF, (255u * 128 + 127) / 255);
    EXPECT_EQ(m & 0xFF, (255u * 127 + 127) / 255);
    EXPECT_EQ(m >> 24, 255u);
    EXPECT_EQ(d.GetPixel(2, 0), 0xFF0000FFu);

    // Fading: colour rounded, alpha truncated.
    TBitmap32 f;
    f.SetSize(1, 1);
    f.SetPixel(0, 0, 0x01010101);
    f.ScaleAlpha(Rect(0, 0, 1, 1), 128);
    EXPECT_EQ(f.GetPixel(0, 0), 0x00010101u);
    f.SetPixel(0, 0, 0xFFFFFFFF);
    f.ScaleAlpha(Rect(0, 0, 5, 5), 256);  // out of range: unchanged
    EXPECT_EQ(f.GetPixel(0, 0), 0xFFFFFFFFu);
}

// ---------------------------------------------------------------------------------------------

namespace {

std::vector<uint8_t> Bmp24(int w, int h) {
    const int row = (w * 3 + 3) & ~3;
    std::vector<uint8_t> f(54 + size_t(row) * h, 0);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfSize = DWORD(f.size());
    fh.bfOffBits = 54;
    BITMAPINFOHEADER ih{};
    ih.biSize = 40;
    ih.biWidth = w;
    ih.biHeight = h;  // bottom-up
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    std::memcpy(f.data(), &fh, 14);
    std::memcpy(f.data() + 14, &ih, 40);
    // Bottom row (last in the picture) first: make the top-left pixel pure blue.
    uint8_t* top = f.data() + 54 + size_t(row) * (h - 1);
    top[0] = 255;
    return f;
}

std::vector<uint8_t> Ico16() {
    std::vector<uint8_t> f;
    auto u16 = [&](int v) { f.push_back(uint8_t(v)); f.push_back(uint8_t(v >> 8)); };
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) f.push_back(uint8_t(v >> (8 * i))); };
    const uint32_t bytes = 40 + 16 * 16 * 4 + 16 * 4;
    u16(0); u16(1); u16(1);
    f.push_back(16); f.push_back(16); f.push_back(0); f.push_back(0);
    u16(1); u16(32); u32(bytes); u32(22);
    u32(40); u32(16); u32(32); u16(1); u16(32); u32(0); u32(0); u32(0); u32(0); u32(0); u32(0);
    for (int i = 0; i < 256; ++i) u32(0xFF00FF00);
    for (int i = 0; i < 16; ++i) u32(0);
    return f;
}

std::vector<uint8_t> Jpeg8x8() {
    std::vector<uint8_t> out;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IStream* stream = nullptr;
    IWICBitmapEncoder* enc = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &enc)) &&
        SUCCEEDED(enc->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(enc->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(8, 8))) {
        WICPixelFormatGUID fmt = GUID_WICPixelFormat24bppBGR;
        frame->SetPixelFormat(&fmt);
        std::vector<uint8_t> px(8 * 24);
        for (int i = 0; i < 64; ++i) {
            px[i * 3] = 30;
            px[i * 3 + 1] = 160;
            px[i * 3 + 2] = 220;
        }
        if (SUCCEEDED(frame->WritePixels(8, 24, UINT(px.size()), px.data())) && SUCCEEDED(frame->Commit()) &&
            SUCCEEDED(enc->Commit())) {
            HGLOBAL g = nullptr;
            GetHGlobalFromStream(stream, &g);
            const size_t n = GlobalSize(g);
            const uint8_t* p = static_cast<const uint8_t*>(GlobalLock(g));
            // GlobalSize may round up: cut at the end-of-image marker.
            for (size_t i = 0; i + 1 < n; ++i) {
                if (p[i] == 0xFF && p[i + 1] == 0xD9) {
                    out.assign(p, p + i + 2);
                }
            }
            GlobalUnlock(g);
        }
    }
    if (frame) frame->Release();
    if (enc) enc->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    CoUninitialize();
    return out;
}

}  // namespace

TEST(Pictures, ClassComesFromTheSignature) {
    TPicture pic;
    int changes = 0;
    pic.OnChange = [&](TObject*) { ++changes; };

    TPngImage src;
    src.CreateBlank(png::COLOR_RGB, 8, 5, 3);
    std::vector<uint8_t> pngBytes = src.SaveToBytes();
    pic.LoadFromMemory(pngBytes.data(), pngBytes.size());
    EXPECT_NE(dynamic_cast<TPngImage*>(pic.GetGraphic()), nullptr);
    EXPECT_EQ(pic.GetWidth(), 5);
    EXPECT_EQ(changes, 1);

    std::vector<uint8_t> bmp = Bmp24(3, 2);
    pic.LoadFromMemory(bmp.data(), bmp.size());
    auto* b = dynamic_cast<TBitmap*>(pic.GetGraphic());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetHeight(), 2);
    EXPECT_EQ(b->ScanLine(0)[0], 255);  // top-left is blue
    EXPECT_EQ(b->ScanLine(1)[0], 0);

    std::vector<uint8_t> ico = Ico16();
    TPicture icoPic;
    icoPic.LoadFromMemory(ico.data(), ico.size());
    auto* icon = dynamic_cast<TIcon*>(icoPic.GetGraphic());
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->GetWidth(), 16);

    std::vector<uint8_t> jpg = Jpeg8x8();
    ASSERT_FALSE(jpg.empty()) << "the platform could not write a JPEG";
    pic.LoadFromMemory(jpg.data(), jpg.size());
    auto* j = dynamic_cast<TJPEGImage*>(pic.GetGraphic());
    ASSERT_NE(j, nullptr);
    ASSERT_EQ(j->GetWidth(), 8);
    const uint8_t* px = j->GetBitmap()->ScanLine(4) + 4 * 3;
    EXPECT_NEAR(px[0], 30, 4);
    EXPECT_NEAR(px[1], 160, 4);
    EXPECT_NEAR(px[2], 220, 4);

    // Unknown data raises and keeps the picture.
    const uint8_t junk[] = {'G', 'I', 'F', '8', '9', 'a'};
    EXPECT_THROW(pic.LoadFromMemory(junk, sizeof(junk)), EInvalidGraphic);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(pic.GetGraphic()), nullptr);
    // A broken PNG inside a picture raises the picture error too.
    EXPECT_THROW(pic.LoadFromMemory(pngBytes.data(), pngBytes.size() - 5), EInvalidGraphic);

    // A run-length bitmap of a few bytes that claims 16000 x 16000 pixels is refused before a
    // bitmap of that size is made.
    {
        std::vector<uint8_t> rle = Bmp24(1, 1);
        rle.resize(54 + 1024 + 4);
        BITMAPINFOHEADER ih{};
        std::memcpy(&ih, rle.data() + 14, 40);
        ih.biWidth = ih.biHeight = 16000;
        ih.biBitCount = 8;
        ih.biCompression = BI_RLE8;
        ih.biSizeImage = 4;
        std::memcpy(rle.data() + 14, &ih, 40);
        const uint32_t off = 54 + 1024;
        std::memcpy(rle.data() + 10, &off, 4);
        const uint8_t endOfBitmap[4] = {0, 0, 0, 1};
        std::memcpy(rle.data() + off, endOfBitmap, 4);
        TBitmap big;
        EXPECT_THROW(big.LoadFromMemory(rle.data(), rle.size()), EInvalidGraphic);
        EXPECT_TRUE(big.GetEmpty());
    }

    // Truncated bitmaps and icons are refused instead of read past their end.
    EXPECT_THROW(pic.LoadFromMemory(bmp.data(), bmp.size() - 3), EInvalidGraphic);
    EXPECT_THROW(pic.LoadFromMemory(ico.data(), 30), EInvalidGraphic);
    TIcon iconCopy;
    iconCopy.Assign(icon);
    ASSERT_NE(iconCopy.GetHandle(), nullptr);
    EXPECT_NE(iconCopy.GetHandle(), icon->GetHandle());
    EXPECT_EQ(iconCopy.GetHeight(), 16);

    // Assignment copies; an empty picture copies as empty.
    TPicture copy;
    copy.Assign(&pic);
    ASSERT_NE(dynamic_cast<TJPEGImage*>(copy.GetGraphic()), nullptr);
    EXPECT_NE(copy.GetGraphic(), pic.GetGraphic());
    TPicture empty;
    copy.Assign(&empty);
    EXPECT_EQ(copy.GetGraphic(), nullptr);
    EXPECT_EQ(copy.GetWidth(), 0);
}

// The picture classes and the canvas give back every GDI handle they make.
TEST(GdiHandles, PicturesAndCanvasesGiveEveryHandleBack) {
    // A PNG with a canvas: text with a font and brush change, a reload over the live canvas.
    EXPECT_LE(testsupport::GdiHandlesKept([] {
                  TPngImage p;
                  p.CreateBlank(png::COLOR_RGBALPHA, 8, 40, 16);
                  TCanvas* cv = p.GetCanvas();
                  cv->GetFont()->SetHeight(-12);
                  cv->GetBrush()->SetColor(clBtnFace);
                  cv->FillRect(Rect(0, 0, 40, 16));
                  cv->GetBrush()->SetStyle(bsClear);
                  cv->TextOut(1, 1, L"Ab");
                  cv->GetFont()->SetStyle(fsBold);
                  cv->TextOut(1, 1, L"Ab");
                  p.CreateBlank(png::COLOR_RGB, 8, 20, 20);
                  cv->GetPen()->SetColor(clRed);
                  cv->MoveTo(0, 0);
                  cv->LineTo(10, 10);
              }),
              10);

    // Alpha-blended and opaque drawing onto a bitmap, a resized bitmap, a copied bitmap.
    TPngImage tile;
    tile.CreateBlank(png::COLOR_RGBALPHA, 8, 8, 8);
    TPngImage solid;
    solid.CreateBlank(png::COLOR_RGB, 8, 8, 8);
    EXPECT_LE(testsupport::GdiHandlesKept([&] {
                  TBitmap b;
                  b.SetPixelFormat(pf32bit);
                  b.SetSize(30, 30);
                  b.GetCanvas()->StretchDraw(Rect(0, 0, 25, 17), &tile);
                  b.GetCanvas()->Draw(3, 3, &solid);
                  b.SetSize(40, 12);
                  b.SetTopDown(false);
                  TBitmap c;
                  c.Assign(&b);
                  c.GetCanvas()->CopyRect(Rect(0, 0, 5, 5), b.GetCanvas(), Rect(0, 0, 10, 10));
                  TBitmap32 d;
                  d.SetSize(6, 6);
                  d.GetCanvas()->Draw(0, 0, &tile);
                  d.DrawTo(b.GetCanvas()->GetHandle(), 0, 0);
                  // An icon: its size is read through the icon's bitmaps, which must be freed.
                  TIcon icon;
                  icon.LoadFromResourceName(nullptr, IDI_APPLICATION);
                  TIcon copy;
                  copy.Assign(&icon);
                  copy.Draw(b.GetCanvas(), Rect(0, 0, 16, 16));
              }),
              10);
}
