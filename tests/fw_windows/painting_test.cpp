// Painting: windowless children at their offsets and clipped, immediate repaint of opaque
// controls, the erase rule of buffered windows, the parent-background routines, and a paint that
// throws.
#include "window_fixture.h"

#include "VeskParentBackground.h"

using namespace fw;
using namespace fwtest;
using testsupport::DibSurface;

namespace {

class PaintingTest : public WindowTest {};

COLORREF Px(TBitmap& b, int x, int y) {
    return static_cast<COLORREF>(b.GetCanvas()->GetPixel(x, y));
}

// A windowed custom control that fills itself with a colour.
class TFilledPanel : public TCustomControl {
public:
    FW_CLASSNAME(TFilledPanel)
    explicit TFilledPanel(TComponent* AOwner) : TCustomControl(AOwner) {}
    TColor Fill = clBlue;
    bool Throw = false;
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        if (Throw) throw Exception(L"paint failed");
        GetCanvas()->GetBrush()->SetColor(Fill);
        GetCanvas()->FillRect(GetClientRect());
    }
};

}  // namespace

TEST_F(PaintingTest, WindowlessChildrenArePaintedAtTheirOffsetsAndClipped) {
    TTestForm* form = NewForm(100, 80, clWhite);
    auto* box = new TColorBox(form);
    box->SetParent(form);
    box->SetBounds(10, 20, 30, 15);
    auto* hidden = AddControl<TColorBox>(form, 50, 50, 10, 10);
    hidden->Fill = clBlue;
    hidden->SetVisible(false);
    DibSurface dib(120, 100, 0xFF000000);
    form->PaintTo(dib.Dc(), 5, 5);
    EXPECT_EQ(dib.Color(15, 25), RGB(255, 0, 0));
    EXPECT_EQ(dib.Color(44, 39), RGB(255, 0, 0));
    EXPECT_EQ(dib.CountColor(RECT{0, 0, 120, 100}, RGB(255, 0, 0)), 30 * 15);
    // The form's client area itself is clipped at its size; outside it stays as it was.
    EXPECT_EQ(dib.Color(4, 4), RGB(0, 0, 0));
    EXPECT_EQ(dib.Color(105, 85), RGB(0, 0, 0));
    EXPECT_EQ(dib.CountColor(RECT{0, 0, 120, 100}, RGB(0, 0, 255)), 0);
    EXPECT_EQ(hidden->Paints, 0);
}

TEST_F(PaintingTest, ZOrderDecidesWhichChildIsOnTopForWindowlessAndWindowedOnes) {
    TTestForm* form = NewForm(60, 60, clWhite);
    form->HandleNeeded();
    AddControl<TColorBox>(form, 0, 0, 30, 30);
    auto* top = AddControl<TColorBox>(form, 10, 10, 30, 30);
    top->Fill = clBlue;
    auto dib = Render(form);
    EXPECT_EQ(dib->Color(15, 15), RGB(0, 0, 255));
    top->SendToBack();
    form->PaintTo(dib->Dc(), 0, 0);
    EXPECT_EQ(dib->Color(15, 15), RGB(255, 0, 0));
    // Overlapping windows follow the windows' order.
    auto* a = AddControl<TFilledPanel>(form, 20, 20, 40, 40);
    a->Fill = clRed;
    auto* b = AddControl<TFilledPanel>(form, 30, 30, 30, 30);
    a->BringToFront();
    form->PaintTo(dib->Dc(), 0, 0);
    EXPECT_EQ(dib->Color(35, 35), RGB(255, 0, 0));
    b->BringToFront();
    form->PaintTo(dib->Dc(), 0, 0);
    EXPECT_EQ(dib->Color(35, 35), RGB(0, 0, 255));
}

TEST_F(PaintingTest, WindowedChildrenArePaintedRecursivelyAtTheirOffsets) {
    TTestForm* form = NewForm(100, 100, clWhite);
    auto* panel = AddControl<TFilledPanel>(form, 20, 30, 40, 40);
    AddControl<TColorBox>(panel, 5, 5, 10, 10, form);
    auto dib = Render(form);
    EXPECT_EQ(dib->Color(20, 30), RGB(0, 0, 255));
    EXPECT_EQ(dib->Color(25, 35), RGB(255, 0, 0));
    EXPECT_EQ(dib->Color(34, 44), RGB(255, 0, 0));
    EXPECT_EQ(dib->Color(35, 45), RGB(0, 0, 255));
    EXPECT_EQ(dib->Color(19, 30), RGB(255, 255, 255));
}

TEST_F(PaintingTest, OpaqueRepaintPaintsOnlyTheControlNonOpaqueRepaintsTheParent) {
    TTestForm* form = NewForm(100, 80, clWhite);
    auto* box = AddControl<TColorBox>(form, 10, 10, 20, 20);
    form->Show();
    form->Update();
    Pump(50);
    int parentPaints = form->PaintWindowCount;
    int boxPaints = box->Paints;
    ASSERT_GT(boxPaints, 0);

    box->SetControlStyle(box->GetControlStyle() | csOpaque);
    box->Repaint();
    EXPECT_EQ(form->PaintWindowCount, parentPaints);
    EXPECT_EQ(box->Paints, boxPaints + 1);

    box->SetControlStyle(box->GetControlStyle() & ~static_cast<TControlStyle>(csOpaque));
    box->Repaint();
    EXPECT_EQ(form->PaintWindowCount, parentPaints + 1);
    EXPECT_EQ(box->Paints, boxPaints + 2);
}

TEST_F(PaintingTest, RepaintWithoutAParentHandleDoesNothing) {
    TTestForm* form = NewForm();
    auto* box = new TColorBox(form);
    box->SetBounds(0, 0, 10, 10);
    EXPECT_NO_THROW(box->Repaint());
    box->SetParent(form);
    box->SetControlStyle(box->GetControlStyle() | csOpaque);
    EXPECT_FALSE(form->HandleAllocated());
    EXPECT_NO_THROW(box->Repaint());
    EXPECT_EQ(box->Paints, 0);
}

TEST_F(PaintingTest, BufferedWindowIgnoresOnlyItsOwnEraseAndFillsAnyOtherContext) {
    TTestForm* form = NewForm(50, 40, RGB(10, 20, 30));
    form->SetDoubleBuffered(true);
    HWND h = form->GetHandle();
    // Any other context: filled with the colour (the parent-background copy relies on it).
    DibSurface dib(50, 40);
    EXPECT_EQ(form->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dib.Dc()), 0), 1);
    EXPECT_EQ(dib.Color(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(dib.Color(49, 39), RGB(10, 20, 30));
    // The window's own context: answered without touching it.
    HDC wdc = GetDC(h);
    SetPixel(wdc, 1, 1, RGB(1, 2, 3));
    EXPECT_EQ(form->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(wdc), 0), 1);
    ReleaseDC(h, wdc);
}

TEST_F(PaintingTest, BufferedPaintSendsItsEraseThroughWindowProc) {
    TTestForm* form = NewForm(50, 40, clWhite);
    form->SetDoubleBuffered(true);
    int memoryErases = 0;
    TWndMethodProc saved = form->WindowProc;
    HWND h = form->GetHandle();
    form->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_ERASEBKGND && WindowFromDC(reinterpret_cast<HDC>(m.WParam)) != h) {
            ++memoryErases;
            m.Result = 1;
            return;
        }
        saved(m);
    };
    form->Show();
    InvalidateRect(h, nullptr, TRUE);
    UpdateWindow(h);
    EXPECT_GE(memoryErases, 1);
    // Restored: the framework's own handling again.
    form->WindowProc = saved;
    memoryErases = 0;
    InvalidateRect(h, nullptr, TRUE);
    UpdateWindow(h);
    EXPECT_EQ(memoryErases, 0);
}

TEST_F(PaintingTest, ParentBackgroundSeesTheParentsColourEvenWhenBuffered) {
    TTestForm* form = NewForm(100, 80, RGB(0x12, 0x34, 0x56));
    form->SetDoubleBuffered(true);
    form->GetHandle();
    AddControl<TColorBox>(form, 0, 0, 25, 25)->SetName(L"below");
    auto* target = AddControl<TColorBox>(form, 20, 20, 30, 30);
    target->SetName(L"target");
    auto* above = AddControl<TColorBox>(form, 40, 40, 20, 20);
    above->SetName(L"above");
    above->Fill = clLime;

    TBitmap bmp;
    bmp.SetSize(30, 30);
    PaintParentBackground(target, bmp.GetCanvas());
    EXPECT_EQ(Px(bmp, 0, 0), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(Px(bmp, 29, 29), RGB(0x12, 0x34, 0x56));
    int parentPaints = form->PaintWindowCount;
    EXPECT_GT(parentPaints, 0);

    // The Qim form adds the named siblings beneath, not those above.
    // No erase is sent there: where the parent's own drawing paints nothing (a plain form), the
    // canvas keeps what it had.
    TBitmap bmp2;
    bmp2.SetSize(30, 30);
    bmp2.GetCanvas()->GetBrush()->SetColor(clFuchsia);
    bmp2.GetCanvas()->FillRect(TRect(0, 0, 30, 30));
    DrawParentBackground(target, bmp2.GetCanvas());
    EXPECT_EQ(Px(bmp2, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(Px(bmp2, 4, 4), RGB(255, 0, 0));
    EXPECT_EQ(Px(bmp2, 5, 5), RGB(255, 0, 255));
    EXPECT_EQ(Px(bmp2, 25, 25), RGB(255, 0, 255));
    EXPECT_EQ(form->PaintWindowCount, parentPaints + 1);

    // Without a name there is no sibling walk.
    target->SetName(L"");
    TBitmap bmp3;
    bmp3.SetSize(30, 30);
    DrawParentBackground(target, bmp3.GetCanvas());
    EXPECT_NE(Px(bmp3, 0, 0), RGB(255, 0, 0));
    // The explicit-rectangle form walks anyway.
    DrawParentBackground(target, bmp3.GetCanvas(), target->GetBoundsRect());
    EXPECT_EQ(Px(bmp3, 0, 0), RGB(255, 0, 0));
}

TEST_F(PaintingTest, PaintCopyFlagIsSetOnTheParentForTheDuration) {
    TTestForm* form = NewForm(40, 40, clWhite);
    auto* target = AddControl<TColorBox>(form, 0, 0, 10, 10);
    bool sawFlag = false;
    TWndMethodProc saved = form->WindowProc;
    form->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_ERASEBKGND) sawFlag = (form->GetControlState() & csPaintCopy) != 0;
        saved(m);
    };
    TBitmap bmp;
    bmp.SetSize(10, 10);
    PaintParentBackground(target, bmp.GetCanvas());
    form->WindowProc = saved;
    EXPECT_TRUE(sawFlag);
    EXPECT_FALSE(form->GetControlState() & csPaintCopy);
}

TEST_F(PaintingTest, AThrowingPaintStillEndsThePaintAndReportsOnce) {
    TTestForm* form = NewForm(100, 80, clWhite);
    auto* panel = new TFilledPanel(form);
    panel->Throw = true;
    panel->SetBounds(10, 10, 40, 40);
    panel->SetParent(form);
    form->Show();
    Pump(300);
    EXPECT_EQ(panel->Paints, 1);
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0], L"paint failed");
    Errors.clear();
    RECT r;
    EXPECT_FALSE(GetUpdateRect(panel->GetHandle(), &r, FALSE));
    // The context came back in order: a later paint works normally.
    panel->Throw = false;
    panel->Repaint();
    auto dib = Render(form);
    EXPECT_EQ(dib->Color(10, 10), RGB(0, 0, 255));
}

TEST_F(PaintingTest, PrintClientRendersThroughTheFramework) {
    TTestForm* form = NewForm(60, 40, clYellow);
    AddControl<TColorBox>(form, 10, 10, 10, 10);
    DibSurface dib(60, 40);
    SendMessageW(form->GetHandle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.Dc()), PRF_CLIENT);
    EXPECT_EQ(dib.Color(0, 0), RGB(255, 255, 0));
    EXPECT_EQ(dib.Color(15, 15), RGB(255, 0, 0));
}

TEST_F(PaintingTest, SystemColoursAreResolvedBeforeGdiSeesThem) {
    TTestForm* form = NewForm(20, 20, clBtnFace);
    auto* none = AddControl<TColorBox>(form, 0, 0, 5, 5);
    none->Fill = clNone;
    auto dib = Render(form);
    EXPECT_EQ(dib->Color(10, 10), GetSysColor(COLOR_BTNFACE));
}
