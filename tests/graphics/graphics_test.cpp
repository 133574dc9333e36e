// Canvas, fonts, bitmaps, pictures and the PNG drawing rule on real device contexts.
#include <gtest/gtest.h>

#include <objbase.h>
#include <wincodec.h>

#include "fw_graphics.h"
#include "fw_handles.h"
#include "fw_jpeg.h"
#include "fw_png.h"
#include "test_support.h"
#include "window_test.h"

#include <cstring>
#include <functional>

using namespace fw;
using testsupport::PixelColor;

namespace {

// A 3 x 2 picture whose alpha values hit the edges of the blend rule.
std::unique_ptr<TPngImage> BlendSample() {
    auto p = std::make_unique<TPngImage>();
    p->CreateBlank(png::COLOR_RGBALPHA, 8, 3, 2);
    std::memcpy(p->Scanline(0), "\x0A\xC8\xFA" "\x32\xC8\xDC" "\x5A\xC8\xBE", 9);  // B, G, R
    std::memcpy(p->Scanline(1), "\x0A\x8C\xFA" "\x32\x8C\xDC" "\x5A\x8C\xBE", 9);
    std::memcpy(p->AlphaScanline(0), "\x00\x01\x7F", 3);
    std::memcpy(p->AlphaScanline(1), "\x80\xFE\xFF", 3);
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

TEST(Draw32Bit, OpaquePngCopiesRoundingTermIs127AndBitmapsBlend) {
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
    EXPECT_EQ(b.GetPixel(1, 0), 0x11223344u);

    // 127 at alpha 1 over black stays 0, 128 becomes 1.
    TPngImage h;
    h.CreateBlank(png::COLOR_RGBALPHA, 8, 1, 1);
    std::memcpy(h.Scanline(0), "\x7F\x80\x00", 3);
    h.AlphaScanline(0)[0] = 1;
    b.Clear(0);
    b.GetCanvas()->Draw(0, 0, &h);
    GdiFlush();
    EXPECT_EQ(b.GetPixel(0, 0), 0x01000100u);

    // A half-transparent 32-bit bitmap blended onto another.
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
    EXPECT_EQ(d.GetPixel(1, 0), 0xFF800000u | ((255u * 127 + 127) / 255));
    EXPECT_EQ(d.GetPixel(2, 0), 0xFF0000FFu);
}

// ---------------------------------------------------------------------------------------------

TEST(Fonts, SizeAndHeightAtScreenResolution) {
    TFont f;
    ASSERT_EQ(f.GetPixelsPerInch(), 96);  // Xvfb and a fresh prefix
    f.SetSize(10);
    EXPECT_EQ(f.GetHeight(), -13);
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
}

TEST(Canvas, ColoursAreResolvedNoneNeverPaintsAndTheDCKeepsItsObjects) {
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(8, 8);
    TCanvas* cv = b.GetCanvas();
    cv->GetBrush()->SetColor(clBtnFace);
    cv->FillRect(Rect(0, 0, 8, 8));
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(PixelColor(b, 3, 3), face);

    cv->GetBrush()->SetColor(clNone);
    cv->FillRect(Rect(0, 0, 4, 4));
    cv->SetPixel(2, 1, clNone);
    EXPECT_EQ(PixelColor(b, 1, 1), face);
    EXPECT_EQ(PixelColor(b, 2, 1), face);
    cv->SetPixel(3, 1, clBtnShadow);
    EXPECT_EQ(PixelColor(b, 3, 1), GetSysColor(COLOR_BTNSHADOW));

    // Resizing puts the new pixels into the same DC, so a handle taken earlier stays usable.
    HDC dc = cv->GetHandle();
    b.SetSize(30, 20);
    EXPECT_EQ(b.GetCanvas()->GetHandle(), dc);
    cv->GetBrush()->SetColor(clRed);
    cv->FillRect(Rect(0, 0, 30, 20));
    EXPECT_EQ(PixelColor(b, 29, 19), RGB(255, 0, 0));

    // Someone else's RestoreDC takes the canvas's font out of the DC: the next call puts it back.
    cv->GetFont()->SetHeight(-24);
    const int save = SaveDC(dc);
    const SIZE big = cv->TextExtent(L"M");
    RestoreDC(dc, save);
    EXPECT_EQ(cv->TextExtent(L"M").cy, big.cy);
    EXPECT_GT(big.cy, 20);
}

// ---------------------------------------------------------------------------------------------

namespace {

std::vector<uint8_t> Bmp24(int w, int h) {
    const int row = (w * 3 + 3) & ~3;
    std::vector<uint8_t> f(54 + size_t(row) * h, 0);
    const BITMAPFILEHEADER fh{0x4D42, DWORD(f.size()), 0, 0, 54};
    const BITMAPINFOHEADER ih{40, w, h, 1, 24};  // bottom-up
    std::memcpy(f.data(), &fh, 14);
    std::memcpy(f.data() + 14, &ih, 40);
    f[54 + size_t(row) * (h - 1)] = 255;  // the top row comes last: its first pixel pure blue
    return f;
}

// ICO data with one 32-bit image per (size, colour) pair, each filled with its colour (0xAARRGGBB).
std::vector<uint8_t> IcoOf(const std::vector<std::pair<int, uint32_t>>& Images) {
    std::vector<uint8_t> f;
    auto u16 = [&](int v) { f.push_back(uint8_t(v)); f.push_back(uint8_t(v >> 8)); };
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) f.push_back(uint8_t(v >> (8 * i))); };
    u16(0); u16(1); u16(int(Images.size()));
    uint32_t offset = uint32_t(6 + 16 * Images.size());
    for (auto [n, colour] : Images) {
        const uint32_t bytes = 40 + n * n * 4 + n * ((n + 31) / 32 * 4);
        f.push_back(uint8_t(n)); f.push_back(uint8_t(n)); f.push_back(0); f.push_back(0);
        u16(1); u16(32); u32(bytes); u32(offset);
        offset += bytes;
    }
    for (auto [n, colour] : Images) {
        u32(40); u32(n); u32(2 * n); u16(1); u16(32); u32(0); u32(0); u32(0); u32(0); u32(0); u32(0);
        for (int i = 0; i < n * n; ++i) u32(colour);
        for (int i = 0; i < n * ((n + 31) / 32 * 4); ++i) f.push_back(0);
    }
    return f;
}

std::vector<uint8_t> Ico16() { return IcoOf({{16, 0xFF00FF00}}); }

// An 8 x 8 JPEG of one colour (B 30, G 160, R 220), written by the platform's encoder.
std::vector<uint8_t> Jpeg8x8() {
    std::vector<uint8_t> out;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        TComPtr<IWICImagingFactory> factory;
        TComPtr<IStream> stream;
        TComPtr<IWICBitmapEncoder> enc;
        TComPtr<IWICBitmapFrameEncode> frame;
        WICPixelFormatGUID fmt = GUID_WICPixelFormat24bppBGR;
        std::vector<uint8_t> px;
        for (int i = 0; i < 64; ++i) px.insert(px.end(), {30, 160, 220});
        HGLOBAL g = nullptr;
        const LARGE_INTEGER zero{};
        ULARGE_INTEGER size{};
        if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                       reinterpret_cast<void**>(factory.Put()))) &&
            SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put())) &&
            SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, enc.Put())) &&
            SUCCEEDED(enc->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
            SUCCEEDED(enc->CreateNewFrame(frame.Put(), nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
            SUCCEEDED(frame->SetSize(8, 8)) && SUCCEEDED(frame->SetPixelFormat(&fmt)) &&
            SUCCEEDED(frame->WritePixels(8, 24, UINT(px.size()), px.data())) && SUCCEEDED(frame->Commit()) &&
            SUCCEEDED(enc->Commit()) && SUCCEEDED(stream->Seek(zero, STREAM_SEEK_CUR, &size)) &&
            SUCCEEDED(GetHGlobalFromStream(stream.Get(), &g))) {
            const uint8_t* p = static_cast<const uint8_t*>(GlobalLock(g));
            out.assign(p, p + size.QuadPart);
            GlobalUnlock(g);
        }
    }
    CoUninitialize();
    return out;
}

}  // namespace

TEST(Pictures, ClassComesFromTheSignatureAndDamagedFilesAreRefused) {
    TPicture pic;

    TPngImage src;
    src.CreateBlank(png::COLOR_RGB, 8, 5, 3);
    std::vector<uint8_t> pngBytes = src.SaveToBytes();
    pic.LoadFromMemory(pngBytes.data(), pngBytes.size());
    EXPECT_NE(dynamic_cast<TPngImage*>(pic.GetGraphic()), nullptr);
    EXPECT_EQ(pic.GetWidth(), 5);

    std::vector<uint8_t> bmp = Bmp24(3, 2);
    pic.LoadFromMemory(bmp.data(), bmp.size());
    auto* b = dynamic_cast<TBitmap*>(pic.GetGraphic());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->ScanLine(0)[0], 255);  // top-left is blue
    EXPECT_EQ(b->ScanLine(1)[0], 0);

    std::vector<uint8_t> ico = Ico16();
    TPicture icoPic;
    icoPic.LoadFromMemory(ico.data(), ico.size());
    auto* icon = dynamic_cast<TIcon*>(icoPic.GetGraphic());
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->GetWidth(), 16);
    TIcon iconCopy;
    iconCopy.Assign(icon);
    EXPECT_NE(iconCopy.GetHandle(), icon->GetHandle());

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

    // A JPEG whose frame header claims 16385 rows is refused before its pixels are made.
    std::vector<uint8_t> tall = jpg;
    for (size_t i = 2; i + 8 < tall.size(); ++i) {
        if (tall[i] == 0xFF && tall[i + 1] == 0xC0) {
            tall[i + 5] = 0x40;  // height, big-endian
            tall[i + 6] = 0x01;
            break;
        }
    }
    EXPECT_THROW(pic.LoadFromMemory(tall.data(), tall.size()), EInvalidGraphic);

    // Unknown data, a broken PNG, a truncated bitmap or icon raise and keep the picture.
    const uint8_t junk[] = {'G', 'I', 'F', '8', '9', 'a'};
    EXPECT_THROW(pic.LoadFromMemory(junk, sizeof(junk)), EInvalidGraphic);
    EXPECT_THROW(pic.LoadFromMemory(pngBytes.data(), pngBytes.size() - 5), EInvalidGraphic);
    EXPECT_THROW(pic.LoadFromMemory(bmp.data(), bmp.size() - 3), EInvalidGraphic);
    EXPECT_THROW(pic.LoadFromMemory(ico.data(), 30), EInvalidGraphic);
    EXPECT_EQ(pic.GetGraphic(), j);

    // A run-length bitmap of a few bytes claiming 16000 x 16000 pixels is refused before allocating.
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
    std::memcpy(rle.data() + off, "\0\0\0\1", 4);  // end of bitmap
    TBitmap big;
    EXPECT_THROW(big.LoadFromMemory(rle.data(), rle.size()), EInvalidGraphic);
    EXPECT_TRUE(big.GetEmpty());
}

// JPEGs written by another encoder (ImageMagick), each a row of flat 8 x 8 blocks:
//   convert -size 8x8 xc:'gray(0)' xc:'gray(36)' ... xc:'gray(255)' +append -colorspace Gray -quality 95
//   convert -size 8x8 xc:'rgb(220,160,30)' xc:'rgb(30,60,200)' xc:white xc:black +append -colorspace CMYK -quality 95
// A grey frame and an Adobe CMYK (YCCK) frame decode to the blocks' colours.
TEST(Pictures, GreyAndCmykJpegsDecodeToTheirColours) {
    const std::pair<const wchar_t*, std::vector<COLORREF>> files[] = {
        {L"grey_levels.jpg",
         {RGB(0, 0, 0), RGB(36, 36, 36), RGB(73, 73, 73), RGB(109, 109, 109), RGB(146, 146, 146), RGB(182, 182, 182),
          RGB(219, 219, 219), RGB(255, 255, 255)}},
        {L"cmyk_colours.jpg", {RGB(220, 160, 30), RGB(30, 60, 200), RGB(255, 255, 255), RGB(0, 0, 0)}}};
    for (const auto& [name, blocks] : files) {
        SCOPED_TRACE(testsupport::Narrow(name));
        const std::vector<uint8_t> data =
            testsupport::ReadFileBytes(testsupport::SourceDir() + L"\\tests\\graphics\\data\\" + name);
        ASSERT_FALSE(data.empty());
        TPicture pic;
        ASSERT_NO_THROW(pic.LoadFromMemory(data.data(), data.size()));
        auto* j = dynamic_cast<TJPEGImage*>(pic.GetGraphic());
        ASSERT_NE(j, nullptr);
        ASSERT_EQ(j->GetWidth(), int(blocks.size()) * 8);
        ASSERT_EQ(j->GetHeight(), 8);
        for (size_t b = 0; b < blocks.size(); ++b) {
            const uint8_t* px = j->GetBitmap()->ScanLine(4) + (b * 8 + 4) * 3;  // B, G, R
            EXPECT_NEAR(px[2], GetRValue(blocks[b]), 3) << "block " << b;
            EXPECT_NEAR(px[1], GetGValue(blocks[b]), 3) << "block " << b;
            EXPECT_NEAR(px[0], GetBValue(blocks[b]), 3) << "block " << b;
        }
    }
}

// Damaged icons are refused before the platform reads them, and the picture keeps its graphic.
TEST(Pictures, DamagedIconsAreRefusedBeforeThePlatformReadsThem) {
    const std::vector<uint8_t> good = Ico16();  // entry at 6, image at 22 (its header's width at 26)
    auto put32 = [](std::vector<uint8_t>& d, size_t at, uint32_t v) { std::memcpy(d.data() + at, &v, 4); };
    const uint32_t size = uint32_t(good.size());
    const std::pair<const char*, std::function<void(std::vector<uint8_t>&)>> cases[] = {
        {"image width with one bit flipped (16 to 272)", [](auto& d) { d[27] ^= 0x01; }},
        {"image width with one bit flipped (16 to 80)", [](auto& d) { d[26] ^= 0x40; }},
        {"entry width with one bit flipped", [](auto& d) { d[6] ^= 0x80; }},
        {"image height beyond its bytes", [](auto& d) { d[31] ^= 0x01; }},
        {"offset beyond the end", [&](auto& d) { put32(d, 18, size); }},
        {"offset inside the directory", [&](auto& d) { put32(d, 18, 10); }},
        {"size beyond the end", [&](auto& d) { put32(d, 14, size - 22 + 1); }},
        {"offset plus size wrapping around", [&](auto& d) { put32(d, 14, 0xFFFFFFF0u); }},
        {"count larger than the entries", [](auto& d) { d[4] = 2; }},
        {"count larger than the data", [](auto& d) { d[4] = 200; }},
        {"no entries", [](auto& d) { d[4] = 0; }},
        {"a cursor, not an icon", [](auto& d) { d[2] = 2; }},
        {"image header larger than the image", [&](auto& d) { put32(d, 22, 0x10000); }},
        {"image header of 12 bytes", [&](auto& d) { put32(d, 22, 12); }},
        {"no such bit depth", [](auto& d) { d[36] = 7; }},
        {"compressed image", [&](auto& d) { put32(d, 38, BI_RLE8); }},
        {"truncated to the header", [](auto& d) { d.resize(6); }},
        {"truncated inside the header", [](auto& d) { d.resize(4); }},
        {"truncated inside the entry", [](auto& d) { d.resize(21); }},
        {"truncated inside the image", [](auto& d) { d.resize(d.size() - 1); }},
    };
    TPicture pic;
    pic.LoadFromMemory(good.data(), good.size());
    TGraphic* kept = pic.GetGraphic();
    ASSERT_NE(dynamic_cast<TIcon*>(kept), nullptr);
    for (const auto& [name, damage] : cases) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> bad = good;
        damage(bad);
        TIcon icon;
        EXPECT_THROW(icon.LoadFromMemory(bad.data(), bad.size()), EInvalidGraphic);
        EXPECT_TRUE(icon.GetEmpty());
        EXPECT_THROW(pic.LoadFromMemory(bad.data(), bad.size()), EInvalidGraphic);
        EXPECT_EQ(pic.GetGraphic(), kept);
    }
}

// An icon of several sizes shows the one nearest 32 x 32 and makes its small form from the entry
// of the small size, also in a copy.
TEST(Pictures, IconDataGivesItsSmallSizeFromItsOwnEntry) {
    const int small = GetSystemMetrics(SM_CXSMICON);
    const std::vector<uint8_t> data = IcoOf({{small, 0xFF00FF00}, {32, 0xFFFF0000}});
    TIcon icon;
    icon.LoadFromMemory(data.data(), data.size());
    EXPECT_EQ(icon.GetWidth(), 32);
    TIcon copy;
    copy.Assign(&icon);
    for (TIcon* i : {&icon, &copy}) {
        HICON h = i->GetSmallHandle();
        ASSERT_NE(h, nullptr);
        EXPECT_NE(h, i->GetHandle());
        testsupport::DibSurface dib(small, small, 0xFF000000);
        DrawIconEx(dib.Dc(), 0, 0, h, 0, 0, 0, nullptr, DI_NORMAL);
        GdiFlush();
        EXPECT_EQ(dib.Color(small / 2, small / 2), RGB(0, 255, 0)) << "the small entry, not the big one scaled";
        ICONINFO ii{};
        ASSERT_TRUE(GetIconInfo(h, &ii));
        BITMAP bm{};
        GetObjectW(ii.hbmColor, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, small);
        DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
    }
}

// The picture classes and the canvas give back every GDI handle they make.
TEST(GdiHandles, PicturesAndCanvasesGiveEveryHandleBack) {
    TPngImage tile;
    tile.CreateBlank(png::COLOR_RGBALPHA, 8, 8, 8);
    TPngImage solid;
    solid.CreateBlank(png::COLOR_RGB, 8, 8, 8);
    auto work = [&] {
        // A PNG with a canvas: text with a font and brush change, a reload over the live canvas.
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
        // Alpha-blended and opaque drawing onto a bitmap, a resized bitmap, a copied bitmap.
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
    };
    EXPECT_LE(testsupport::GdiHandlesKept(work), 10);
}
