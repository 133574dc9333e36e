#include "VeskDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace fw;

namespace {

TPngPtr NewRgba(int W, int H) {
    auto p = std::make_unique<TPngImage>();
    p->CreateBlank(png::COLOR_RGBALPHA, 8, std::max(W, 0), std::max(H, 0));
    return p;
}

bool Usable(const TPngImage* Png) { return Png && !Png->GetEmpty(); }

// "Ensure alpha": pictures without an alpha plane get an opaque one before any pixel is read.
void EnsureAlpha(TPngImage* Png) {
    if (!Png->HasAlpha()) Png->CreateAlpha();
}

inline int Rnd(long double X) { return int(RoundHalfEven(X)); }

inline uint8_t ClampByte(int V) { return uint8_t(V < 0 ? 0 : V > 255 ? 255 : V); }

// A copy of the picture (8-bit RGBA) with opacity applied to alpha and, unless Color is clNone,
// every pixel recoloured: the per-pixel work of the cutting routines, done once per source pixel.
TPngPtr Transformed(TPngImage* Src, int Opacity, TColor Color) {
    const int w = Src->GetWidth(), h = Src->GetHeight();
    TPngPtr out = NewRgba(w, h);
    for (int y = 0; y < h; ++y) {
        const uint8_t* sc = Src->Scanline(y);
        const uint8_t* sa = Src->AlphaScanline(y);
        uint8_t* dc = out->Scanline(y);
        uint8_t* da = out->AlphaScanline(y);
        std::memcpy(dc, sc, size_t(w) * 3);
        if (Color != clNone) {
            for (int x = 0; x < w; ++x) ColorizePixel(dc, x, Color);
        }
        if (Opacity == 255) {
            std::memcpy(da, sa, size_t(w));
        } else {
            for (int x = 0; x < w; ++x) da[x] = uint8_t(sa[x] * Opacity / 255);
        }
    }
    return out;
}

// Fills the rectangle of Dst by repeating Src from its top-left corner (clipped to Dst); a piece of
// zero size fills nothing.
void BlitRepeated(TPngImage* Dst, const TRect& R, TPngImage* Src) {
    if (!Src || Src->GetEmpty()) return;
    const int sw = Src->GetWidth(), sh = Src->GetHeight();
    const int l = std::max<int>(R.Left, 0), t = std::max<int>(R.Top, 0);
    const int r = std::min<int>(R.Right, Dst->GetWidth()), b = std::min<int>(R.Bottom, Dst->GetHeight());
    if (!Src->HasAlpha()) Src->CreateAlpha();
    for (int y = t; y < b; ++y) {
        const int sy = (y - R.Top) % sh;
        const uint8_t* sc = Src->Scanline(sy);
        const uint8_t* sa = Src->AlphaScanline(sy);
        uint8_t* dc = Dst->Scanline(y);
        uint8_t* da = Dst->AlphaScanline(y);
        for (int x = l; x < r; ++x) {
            const int sx = (x - R.Left) % sw;
            dc[3 * x] = sc[3 * sx];
            dc[3 * x + 1] = sc[3 * sx + 1];
            dc[3 * x + 2] = sc[3 * sx + 2];
            da[x] = sa[sx];
        }
    }
}

enum class Axis { Horz, Vert };

TPngPtr Stretch3(TPngImage* Png, int A, int B, int Opacity, TColor Color, int Target, Axis axis) {
    if (!Usable(Png)) return nullptr;
    EnsureAlpha(Png);
    const int len = axis == Axis::Horz ? Png->GetWidth() : Png->GetHeight();
    // A negative split point would place the middle before the target's first position.
    if (Opacity < 0 || Opacity > 255 || A <= 0 || B == 0 || A > B || A > len || B > len) return nullptr;
    if (Target < 1) return nullptr;
    TPngPtr src = Transformed(Png, Opacity, Color);
    const int w = Png->GetWidth(), h = Png->GetHeight();
    const int r = len - B;   // size of the far end
    const int mid = B - A;   // size of the middle; 0 when the split points coincide
    TPngPtr out = axis == Axis::Horz ? NewRgba(Target, h) : NewRgba(w, Target);
    // Source position for each target position. The far end is written last, over anything else;
    // every position is inside the target, whatever its size, and an empty middle is left empty
    // rather than divided by.
    std::vector<int> map(Target, -1);
    for (int t = 0; t < std::min(A, Target); ++t) map[t] = t;
    if (mid > 0) {
        for (int t = A; t < Target - r; ++t) map[t] = A + (t - A) % mid;
    }
    for (int t = std::max(0, Target - r); t < Target; ++t) map[t] = B + (t - (Target - r));
    if (axis == Axis::Horz) {
        for (int y = 0; y < h; ++y) {
            const uint8_t* sc = src->Scanline(y);
            const uint8_t* sa = src->AlphaScanline(y);
            uint8_t* dc = out->Scanline(y);
            uint8_t* da = out->AlphaScanline(y);
            for (int t = 0; t < Target; ++t) {
                const int m = map[t];
                if (m < 0) continue;
                dc[3 * t] = sc[3 * m];
                dc[3 * t + 1] = sc[3 * m + 1];
                dc[3 * t + 2] = sc[3 * m + 2];
                da[t] = sa[m];
            }
        }
    } else {
        for (int t = 0; t < Target; ++t) {
            if (map[t] < 0) continue;
            std::memcpy(out->Scanline(t), src->Scanline(map[t]), size_t(w) * 3);
            std::memcpy(out->AlphaScanline(t), src->AlphaScanline(map[t]), size_t(w));
        }
    }
    return out;
}

}  // namespace

TPngPtr GetStatePng(TPngImage* Png, int FrameCount, int Index) {
    if (!Usable(Png) || FrameCount < 1 || Index < 0 || Index >= FrameCount) return nullptr;
    if (Png->GetWidth() % FrameCount != 0) return nullptr;
    EnsureAlpha(Png);
    const int w = Png->GetWidth() / FrameCount, h = Png->GetHeight();
    TPngPtr out = NewRgba(w, h);
    for (int y = 0; y < h; ++y) {
        std::memcpy(out->Scanline(y), Png->Scanline(y) + size_t(Index) * w * 3, size_t(w) * 3);
        std::memcpy(out->AlphaScanline(y), Png->AlphaScanline(y) + size_t(Index) * w, size_t(w));
    }
    return out;
}

TPngPtr StretchPngHorz(TPngImage* Png, int A, int B, int Opacity, TColor Color, int TargetWidth) {
    return Stretch3(Png, A, B, Opacity, Color, TargetWidth, Axis::Horz);
}

TPngPtr StretchPngVert(TPngImage* Png, int A, int B, int Opacity, TColor Color, int TargetHeight) {
    return Stretch3(Png, A, B, Opacity, Color, TargetHeight, Axis::Vert);
}

bool SplitPng9(TPngImage* Png, int X1, int Y1, int X2, int Y2, int Opacity, TColor Color, TPng9Pieces& Pieces) {
    if (!Usable(Png)) return false;
    EnsureAlpha(Png);
    if (Opacity < 0 || Opacity > 255) return false;
    const int w = Png->GetWidth(), h = Png->GetHeight();
    if (!(X2 > X1 && Y2 > Y1)) return false;
    if (X1 < 0 || X1 >= w || X2 < 0 || X2 >= w || Y1 < 0 || Y1 >= h || Y2 < 0 || Y2 >= h) return false;
    TPngPtr src = Transformed(Png, Opacity, Color);
    const int xs[4] = {0, X1, X2, w}, ys[4] = {0, Y1, Y2, h};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const int pw = xs[col + 1] - xs[col], ph = ys[row + 1] - ys[row];
            TPngPtr piece = NewRgba(pw, ph);
            for (int y = 0; y < ph; ++y) {
                if (pw == 0) break;
                std::memcpy(piece->Scanline(y), src->Scanline(ys[row] + y) + size_t(xs[col]) * 3, size_t(pw) * 3);
                std::memcpy(piece->AlphaScanline(y), src->AlphaScanline(ys[row] + y) + xs[col], size_t(pw));
            }
            Pieces[row * 3 + col] = std::move(piece);
        }
    }
    return true;
}

TPngPtr BuildPng9(int W, int H, const TPng9Pieces& Pieces) {
    for (const auto& p : Pieces)
        if (!p) return nullptr;
    if (!Pieces[0]->HasAlpha()) {
        for (const auto& p : Pieces) p->CreateAlpha();
    }
    TPngImage* tl = Pieces[0].get();
    TPngImage* t = Pieces[1].get();
    TPngImage* tr = Pieces[2].get();
    TPngImage* l = Pieces[3].get();
    TPngImage* c = Pieces[4].get();
    TPngImage* r = Pieces[5].get();
    TPngImage* bl = Pieces[6].get();
    TPngImage* b = Pieces[7].get();
    TPngImage* br = Pieces[8].get();
    const int lw = tl->GetWidth(), rw = tr->GetWidth();
    const int th = tl->GetHeight(), bh = bl->GetHeight();
    if (lw + rw + 1 > W || th + bh + 1 > H) return nullptr;
    TPngPtr out = NewRgba(W, H);
    TPngImage* o = out.get();
    BlitRepeated(o, Bounds(0, 0, tl->GetWidth(), tl->GetHeight()), tl);
    BlitRepeated(o, Bounds(W - tr->GetWidth(), 0, tr->GetWidth(), tr->GetHeight()), tr);
    BlitRepeated(o, Bounds(0, H - bl->GetHeight(), bl->GetWidth(), bl->GetHeight()), bl);
    BlitRepeated(o, Bounds(W - br->GetWidth(), H - br->GetHeight(), br->GetWidth(), br->GetHeight()), br);
    BlitRepeated(o, Rect(lw, 0, W - rw, t->GetHeight()), t);
    BlitRepeated(o, Rect(lw, H - b->GetHeight(), W - rw, H), b);
    BlitRepeated(o, Rect(0, th, l->GetWidth(), H - bh), l);
    BlitRepeated(o, Rect(W - r->GetWidth(), th, W, H - bh), r);
    BlitRepeated(o, Rect(lw, th, W - rw, H - bh), c);
    return out;
}

void TilePngHorz(TBitmap* Bitmap, TGraphic* Graphic, const TRect& R) {
    if (!Bitmap || !Graphic || Graphic->GetWidth() <= 0 || Graphic->GetHeight() <= 0) return;
    const int w = Graphic->GetWidth();
    TCanvas* cv = Bitmap->GetCanvas();
    for (int k = 0; int64_t(k) * w < R.Width(); ++k) {
        const int left = R.Left + k * w;
        Graphic->Draw(cv, Rect(left, R.Top, std::min<int>(left + w, R.Right), R.Bottom));
    }
}

void TilePngVert(TBitmap* Bitmap, TGraphic* Graphic, const TRect& R) {
    if (!Bitmap || !Graphic || Graphic->GetWidth() <= 0 || Graphic->GetHeight() <= 0) return;
    const int h = Graphic->GetHeight();
    TCanvas* cv = Bitmap->GetCanvas();
    for (int k = 0; int64_t(k) * h < R.Height(); ++k) {
        const int top = R.Top + k * h;
        Graphic->Draw(cv, Rect(R.Left, top, R.Right, std::min<int>(top + h, R.Bottom)));
    }
}

void TilePngBoth(TBitmap* Bitmap, TGraphic* Graphic, const TRect& R) {
    if (!Bitmap || !Graphic || Graphic->GetWidth() <= 0 || Graphic->GetHeight() <= 0) return;
    const int w = Graphic->GetWidth(), h = Graphic->GetHeight();
    TCanvas* cv = Bitmap->GetCanvas();
    for (int i = 0; int64_t(i) * w < R.Width(); ++i) {
        const int left = R.Left + i * w;
        for (int j = 0; int64_t(j) * h < R.Height(); ++j) {
            const int top = R.Top + j * h;
            Graphic->Draw(cv, Rect(left, top, std::min<int>(left + w, R.Right), std::min<int>(top + h, R.Bottom)));
        }
    }
}

void DrawPng9Tiled(TBitmap* Bitmap, int W, int H, const TPng9Pieces& Pieces) {
    if (!Bitmap) return;
    for (const auto& p : Pieces)
        if (!p) return;
    Bitmap->SetPixelFormat(pf32bit);
    Bitmap->SetSize(W, H);
    ClearBitmap32(Bitmap);
    TPngImage* tl = Pieces[0].get();
    TPngImage* t = Pieces[1].get();
    TPngImage* tr = Pieces[2].get();
    TPngImage* l = Pieces[3].get();
    TPngImage* c = Pieces[4].get();
    TPngImage* r = Pieces[5].get();
    TPngImage* bl = Pieces[6].get();
    TPngImage* b = Pieces[7].get();
    TPngImage* br = Pieces[8].get();
    TCanvas* cv = Bitmap->GetCanvas();
    cv->Draw(0, 0, tl);
    cv->Draw(0, H - bl->GetHeight(), bl);
    cv->Draw(W - tr->GetWidth(), 0, tr);
    cv->Draw(W - br->GetWidth(), H - br->GetHeight(), br);
    TilePngHorz(Bitmap, t, Rect(tl->GetWidth(), 0, W - tr->GetWidth(), t->GetHeight()));
    TilePngVert(Bitmap, l, Rect(0, tl->GetHeight(), l->GetWidth(), H - bl->GetHeight()));
    TilePngVert(Bitmap, r, Rect(W - r->GetWidth(), tr->GetHeight(), W, H - br->GetHeight()));
    TilePngHorz(Bitmap, b, Rect(bl->GetWidth(), H - b->GetHeight(), W - br->GetWidth(), H));
    TilePngBoth(Bitmap, c, Rect(l->GetWidth(), t->GetHeight(), W - r->GetWidth(), H - b->GetHeight()));
    GdiFlush();
}

// ---------------------------------------------------------------------------------------------

void GreyPixel(uint8_t& R, uint8_t& G, uint8_t& B, int Amount) {
    const long double grey = Rnd(0.3L * R + 0.59L * G + 0.11L * B);
    const int greyPart = Rnd(grey / 256.0L * (Amount + 1));
    // Both terms round up at once for light pixels at middle amounts (white at 127 gives
    // 128 + 128): the sum is capped at white instead of wrapping to black.
    auto move = [&](uint8_t& c) { c = ClampByte(Rnd(c / 256.0L * (255 - Amount)) + greyPart); };
    move(R);
    move(G);
    move(B);
}

void GreyPng(TPngImage* Png, int Amount) {
    if (!Usable(Png)) return;
    const uint8_t type = Png->GetColorType();
    if (type == png::COLOR_GRAYSCALE || type == png::COLOR_GRAYSCALEALPHA) return;
    if (type == png::COLOR_PALETTE) {
        std::vector<png::TPngRGB> pal = Png->GetPalette();
        if (pal.size() > 256) pal.resize(256);
        for (auto& e : pal) GreyPixel(e.R, e.G, e.B, Amount);
        Png->SetPalette(pal);
        // The pixels were expanded from the palette when loaded: they follow it.
    }
    for (int y = 0; y < Png->GetHeight(); ++y) {
        uint8_t* row = Png->Scanline(y);
        for (int x = 0; x < Png->GetWidth(); ++x) GreyPixel(row[3 * x + 2], row[3 * x + 1], row[3 * x], Amount);
    }
}

void RgbToHsl(int R, int G, int B, double& H, double& S, double& L) {
    const long double r = R / 255.0L, g = G / 255.0L, b = B / 255.0L;
    const long double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    long double l = (mx + mn) / 2, s = 0, h = 0;
    if (mx != mn) {
        const long double d = mx - mn;
        s = l >= 0.5L ? d / (2 - mx - mn) : d / (mx + mn);
        if (r == mx) h = (g - b) / d;
        else if (g == mx) h = 2 + (b - r) / d;
        else h = 4 + (r - g) / d;
        h /= 6;
        if (h < 0) h += 1;
    }
    H = double(h * 360);
    S = double(s * 100);
    L = double(l * 100);
}

void HslToRgb(double H, double S, double L, uint8_t& R, uint8_t& G, uint8_t& B) {
    R = G = B = 0;
    if (!(H >= 0 && H < 360 && S >= 0 && S <= 100 && L >= 0 && L <= 100)) return;
    const long double h = H;
    int c[3];
    if (h <= 60) {
        c[0] = 255; c[1] = Rnd(4.25L * h); c[2] = 0;
    } else if (h <= 120) {
        c[0] = Rnd(255 - (h - 60) * 4.25L); c[1] = 255; c[2] = 0;
    } else if (h <= 180) {
        c[0] = 0; c[1] = 255; c[2] = Rnd((h - 120) * 4.25L);
    } else if (h <= 240) {
        c[0] = 0; c[1] = Rnd(255 - (h - 180) * 4.25L); c[2] = 255;
    } else if (h <= 300) {
        c[0] = Rnd((h - 240) * 4.25L); c[1] = 0; c[2] = 255;
    } else {
        c[0] = 255; c[1] = 0; c[2] = Rnd(255 - (h - 300) * 4.25L);
    }
    const long double f = std::fabs((S - 100.0L) / 100.0L);
    for (int& v : c) v = Rnd(v - (v - 128) * f);
    const long double t = (L - 50.0L) / 50.0L;
    for (int& v : c) {
        if (t < 0) v = Rnd(v * t + v);
        else if (t > 0) v = Rnd((255 - v) * t + v);
    }
    R = ClampByte(c[0]);
    G = ClampByte(c[1]);
    B = ClampByte(c[2]);
}

void ColorizePixel(uint8_t* Row, int X, TColor Color) {
    if (!Row) return;
    // System colours are resolved first; their raw value has no channels to read.
    const COLORREF c = IsSysColor(Color) ? ColorToRGB(Color) : COLORREF(Color);
    const int cr = GetRValue(c), cg = GetGValue(c), cb = GetBValue(c);
    double ch, cs, cl, ph, ps, pl;
    RgbToHsl(cr, cg, cb, ch, cs, cl);
    uint8_t* p = Row + X * 3;
    RgbToHsl(p[2], p[1], p[0], ph, ps, pl);
    uint8_t r, g, b;
    HslToRgb(ch, cs, pl, r, g, b);
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

// ---------------------------------------------------------------------------------------------

void SetPngAlpha(TPngImage* Png, uint8_t Alpha) {
    if (!Usable(Png) || !Png->HasAlpha()) return;
    for (int y = 0; y < Png->GetHeight(); ++y) std::memset(Png->AlphaScanline(y), Alpha, size_t(Png->GetWidth()));
}

void ScalePngAlpha(TPngImage* Png, int Factor) {
    if (!Usable(Png)) return;
    EnsureAlpha(Png);
    if (Factor < 0 || Factor > 255) return;
    for (int y = 0; y < Png->GetHeight(); ++y) {
        uint8_t* a = Png->AlphaScanline(y);
        for (int x = 0; x < Png->GetWidth(); ++x) a[x] = uint8_t(a[x] * Factor / 255);
    }
}

TPngPtr CreateColorPng(int Width, int Height, TColor Color, int Alpha) {
    auto p = std::make_unique<TPngImage>();
    p->CreateBlank(png::COLOR_RGB, 8, std::max(Width, 0), std::max(Height, 0));
    const COLORREF c = ColorToRGB(Color);
    for (int y = 0; y < p->GetHeight(); ++y) {
        uint8_t* row = p->Scanline(y);
        for (int x = 0; x < p->GetWidth(); ++x) {
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
    }
    p->CreateAlpha();
    if (Alpha != 255) SetPngAlpha(p.get(), uint8_t(std::clamp(Alpha, 0, 255)));
    return p;
}

TPngPtr CropPng(TPngImage* Png, const TRect& R) {
    if (!Usable(Png)) return nullptr;
    EnsureAlpha(Png);
    if (R.Left < 0 || R.Top < 0 || R.Right > Png->GetWidth() || R.Bottom > Png->GetHeight() || R.Right < R.Left ||
        R.Bottom < R.Top)
        return nullptr;
    const int w = R.Width(), h = R.Height();
    TPngPtr out = NewRgba(w, h);
    for (int y = 0; y < h && w > 0; ++y) {
        std::memcpy(out->Scanline(y), Png->Scanline(R.Top + y) + size_t(R.Left) * 3, size_t(w) * 3);
        std::memcpy(out->AlphaScanline(y), Png->AlphaScanline(R.Top + y) + R.Left, size_t(w));
    }
    return out;
}

void ClearBitmap32(TBitmap* Bitmap) {
    if (!Bitmap || !Bitmap->Bits()) return;
    GdiFlush();
    const size_t n = Bitmap->BytesPerRow();
    uint8_t* row = Bitmap->ScanLine(0);
    const ptrdiff_t stride = Bitmap->RowStride();
    for (int y = 0; y < Bitmap->GetHeight(); ++y, row += stride) std::memset(row, 0, n);
}

void AlphaBlendBitmap(TBitmap* Source, TBitmap* Target, const TRect& R, uint8_t Alpha) {
    if (!Source || !Target || Source->GetEmpty() || Source->GetWidth() != R.Width() || Source->GetHeight() != R.Height())
        return;
    HDC dst = Target->GetCanvas()->GetHandle();
    HDC src = Source->GetCanvas()->GetHandle();
    if (!dst || !src) return;
    BLENDFUNCTION bf{AC_SRC_OVER, 0, Alpha, 0};
    GdiFlush();
    ::AlphaBlend(dst, R.Left, R.Top, R.Width(), R.Height(), src, 0, 0, Source->GetWidth(), Source->GetHeight(), bf);
    GdiFlush();
}

void AlphaMaskFromPair(TPngImage* Drawn, TPngImage* Before) {
    if (!Usable(Drawn) || !Usable(Before) || Drawn->GetWidth() != Before->GetWidth() ||
        Drawn->GetHeight() != Before->GetHeight())
        return;
    EnsureAlpha(Drawn);
    for (int y = 0; y < Drawn->GetHeight(); ++y) {
        const uint8_t* d = Drawn->Scanline(y);
        const uint8_t* b = Before->Scanline(y);
        uint8_t* a = Drawn->AlphaScanline(y);
        for (int x = 0; x < Drawn->GetWidth(); ++x, d += 3, b += 3) {
            const int changed = (d[0] != b[0]) + (d[1] != b[1]) + (d[2] != b[2]);
            if (changed == 0) a[x] = 0;
            else if (changed == 3) a[x] = 255;
        }
    }
}

TPngPtr RenderWithAlphaMask(TBitmap* Bitmap, const std::wstring& Text, TFont* Font, const TRect& R) {
    if (!Bitmap || Bitmap->GetEmpty() || !Bitmap->Bits()) return nullptr;
    if (R.Left < 0 || R.Top < 0 || R.Right > Bitmap->GetWidth() || R.Bottom > Bitmap->GetHeight() || R.Right < R.Left ||
        R.Bottom < R.Top)
        return nullptr;
    GdiFlush();
    const int w = R.Width(), h = R.Height();
    TPngPtr out = NewRgba(w, h);
    const int bpp = Bitmap->GetPixelFormat() == pf32bit ? 4 : 3;
    for (int y = 0; y < h && w > 0; ++y) {
        const uint8_t* s = Bitmap->ScanLine(R.Top + y) + size_t(R.Left) * bpp;
        uint8_t* c = out->Scanline(y);
        uint8_t* a = out->AlphaScanline(y);
        for (int x = 0; x < w; ++x, s += bpp) {
            c[3 * x] = s[0];
            c[3 * x + 1] = s[1];
            c[3 * x + 2] = s[2];
            a[x] = bpp == 4 ? s[3] : 255;
        }
    }
    TPngImage before;
    before.Assign(out.get());
    if (w > 0 && h > 0) {
        TCanvas* cv = out->GetCanvas();
        if (Font) cv->GetFont()->Assign(Font);
        cv->GetBrush()->SetStyle(bsClear);
        TRect tr(0, 0, w, h);
        cv->DrawText(Text, tr, DT_LEFT | DT_END_ELLIPSIS);
        GdiFlush();
    }
    AlphaMaskFromPair(out.get(), &before);
    return out;
}
