// Painting: windowless children offset and clipped, z-order, immediate repaint of opaque controls, the
// erase rule of buffered windows, the parent-background routines, and a paint that throws.
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
    TTestForm* form = NewForm(100, 80, clYellow);
    AddControl<TColorBox>(form, 10, 20, 30, 15);
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
    EXPECT_EQ(hidden->Paints, 0);
    // WM_PRINTCLIENT renders through the same code.
    DibSurface printed(100, 80);
    SendMessageW(form->GetHandle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(printed.Dc()), PRF_CLIENT);
    EXPECT_EQ(printed.Color(0, 0), RGB(255, 255, 0));
    EXPECT_EQ(printed.Color(10, 20), RGB(255, 0, 0));
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

TEST_F(PaintingTest, OpaqueRepaintPaintsOnlyTheControlNonOpaqueRepaintsTheParent) {
    TTestForm* form = NewForm(100, 80, clWhite);
    auto* box = AddControl<TColorBox>(form, 10, 10, 20, 20);
    box->SetControlStyle(box->GetControlStyle() | csOpaque);
    EXPECT_NO_THROW(box->Repaint());  // no parent window yet: nothing to do
    EXPECT_EQ(box->Paints, 0);
    form->Show();
    form->Update();
    Pump(50);
    int parentPaints = form->PaintWindowCount;
    int boxPaints = box->Paints;
    ASSERT_GT(boxPaints, 0);

    box->Repaint();
    EXPECT_EQ(form->PaintWindowCount, parentPaints);
    EXPECT_EQ(box->Paints, boxPaints + 1);

    box->SetControlStyle(box->GetControlStyle() & ~static_cast<TControlStyle>(csOpaque));
    box->Repaint();
    EXPECT_EQ(form->PaintWindowCount, parentPaints + 1);
    EXPECT_EQ(box->Paints, boxPaints + 2);
}

// A buffered window ignores the erase of its own context but fills any other one (the
// parent-background copy relies on it), and sends its buffer's erase through WindowProc.
TEST_F(PaintingTest, BufferedWindowsEraseRule) {
    TTestForm* form = NewForm(50, 40, clBtnFace);
    form->SetDoubleBuffered(true);
    HWND h = form->GetHandle();
    DibSurface dib(50, 40);
    EXPECT_EQ(form->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dib.Dc()), 0), 1);
    EXPECT_EQ(dib.Color(0, 0), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(dib.Color(49, 39), GetSysColor(COLOR_BTNFACE));
    HDC wdc = GetDC(h);
    SetPixel(wdc, 1, 1, RGB(1, 2, 3));
    EXPECT_EQ(form->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(wdc), 0), 1);
    ReleaseDC(h, wdc);

    int memoryErases = 0;
    TWndMethodProc saved = form->WindowProc;
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
    form->WindowProc = saved;
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
    EXPECT_EQ(Px(bmp, 29, 29), RGB(0x12, 0x34, 0x56));
    int parentPaints = form->PaintWindowCount;

    // The Qim form adds the named siblings beneath, not those above. No erase is sent there:
    // where the parent's own drawing paints nothing (a plain form), the canvas keeps what it had.
    bmp.GetCanvas()->GetBrush()->SetColor(clFuchsia);
    bmp.GetCanvas()->FillRect(TRect(0, 0, 30, 30));
    DrawParentBackground(target, bmp.GetCanvas());
    EXPECT_EQ(Px(bmp, 4, 4), RGB(255, 0, 0));
    EXPECT_EQ(Px(bmp, 5, 5), RGB(255, 0, 255));
    EXPECT_EQ(Px(bmp, 25, 25), RGB(255, 0, 255));
    EXPECT_EQ(form->PaintWindowCount, parentPaints + 1);
}

TEST_F(PaintingTest, AThrowingPaintStillEndsThePaintAndReportsOnce) {
    TTestForm* form = NewForm(100, 80, clWhite);
    auto* panel = AddControl<TFilledPanel>(form, 10, 10, 40, 40);
    panel->Throw = true;
    form->Show();
    Pump(300);
    EXPECT_EQ(panel->Paints, 1);
    EXPECT_EQ(Errors, std::vector<std::wstring>{L"paint failed"});
    Errors.clear();
    RECT r;
    EXPECT_FALSE(GetUpdateRect(panel->GetHandle(), &r, FALSE));
    // The context came back in order: a later paint works normally.
    panel->Throw = false;
    panel->Repaint();
    EXPECT_EQ(Render(form)->Color(10, 10), RGB(0, 0, 255));
}
