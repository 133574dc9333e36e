// GDI handles: the picture classes and the canvas give back every handle they make. The number of
// handles a process holds cannot be read under every platform, so it is measured as headroom: how
// many more objects can be made before creation fails (all of them freed again at once).
#include <gtest/gtest.h>

#include "test_support.h"

#include "fw_graphics.h"
#include "fw_png.h"

#include <vector>

using namespace fw;
using namespace testsupport;

TEST(GdiHandles, PicturesAndCanvasesGiveEveryHandleBack) {
    // A PNG with a canvas: text with a font and brush change, a reload over the live canvas.
    EXPECT_LE(GdiHandlesKept([] {
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
    EXPECT_LE(GdiHandlesKept([&] {
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
