// The bases of the skinned controls: the Vesk windowless base (repaint protocol, cached parent
// background, minimum size, focus on press) and the Qim windowed base (erase, opacity, hover).
#include <gtest/gtest.h>

#include "QimUICore.h"
#include "VeskGraphicControl.h"
#include "fw_forms.h"
#include "fw_stdctrls.h"
#include "test_support.h"
#include "window_test.h"

using namespace fw;
using testsupport::DibSurface;

namespace {

// Follows the paint contract: prepare, draw a mark in the middle, put the buffer on the screen.
class TMarkControl : public TVeskGraphicControl {
public:
    FW_CLASSNAME(TMarkControl)
    explicit TMarkControl(TComponent* AOwner) : TVeskGraphicControl(AOwner) {}
    int Paints = 0;
    TColor Mark = clBlue;

protected:
    void Paint() override {
        ++Paints;
        PrepareBuffer();
        GetBufferCanvas()->GetBrush()->SetColor(Mark);
        GetBufferCanvas()->FillRect(TRect(4, 4, GetWidth() - 4, GetHeight() - 4));
        TVeskGraphicControl::Paint();
    }
};

// Counts its repaint requests.
class TQimProbe : public TQimUIParentControl {
public:
    FW_CLASSNAME(TQimProbe)
    explicit TQimProbe(TComponent* AOwner) : TQimUIParentControl(AOwner) {}
    int Requests = 0;
    void RequestPaint() override {
        ++Requests;
        TQimUIParentControl::RequestPaint();
    }
};

class BasesTest : public testsupport::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Form = NewForm(120, 100, RGB(0x20, 0x40, 0x60));
        TWndMethodProc saved = Form->WindowProc;
        Form->WindowProc = [this, saved](TMessage& m) {
            if (m.Msg == WM_ERASEBKGND && (Form->GetControlState() & csPaintCopy)) ++BackgroundCopies;
            if (m.Msg == WM_PAINT && m.WParam == 0) ++ParentPaints;
            saved(m);
        };
    }
    template <class T = TMarkControl>
    T* Add(int l, int t, int w, int h, TWinControl* parent = nullptr) {
        return testsupport::AddControl<T>(parent ? parent : Form, l, t, w, h, Form);
    }
    testsupport::TPlainForm* Form = nullptr;
    int BackgroundCopies = 0;
    int ParentPaints = 0;
};

}  // namespace

TEST_F(BasesTest, TransparentVeskControlShowsTheParentAndNoneBelowTwoPixelsPaints) {
    TMarkControl* thin = Add(60, 0, 1, 30);
    TMarkControl* flat = Add(70, 0, 30, 1);
    TMarkControl* ok = Add(70, 50, 2, 2);
    TMarkControl* c = Add(10, 10, 40, 30);
    c->SetTransparent(true);
    DibSurface dib(120, 100);
    Form->PaintTo(dib.Dc(), 0, 0);
    EXPECT_EQ(thin->Paints, 0);
    EXPECT_EQ(flat->Paints, 0);
    EXPECT_EQ(ok->Paints, 1);
    EXPECT_EQ(dib.Color(10, 10), RGB(0x20, 0x40, 0x60));
    EXPECT_EQ(dib.Color(20, 20), RGB(0, 0, 255));
    EXPECT_EQ(BackgroundCopies, 1);
    c->SetTransparent(false);
    c->SetColor(clYellow);
    BackgroundCopies = 0;
    Form->PaintTo(dib.Dc(), 0, 0);
    EXPECT_EQ(dib.Color(10, 10), RGB(255, 255, 0));
    EXPECT_EQ(dib.Color(20, 20), RGB(0, 0, 255));
    EXPECT_EQ(BackgroundCopies, 0);
}

TEST_F(BasesTest, RedrawsReuseOneCachedBackgroundAParentPaintCopiesAgainAndLoadingPaintsNothing) {
    TMarkControl* c = Add(10, 10, 40, 30);
    c->SetTransparent(true);
    Form->Show();
    Form->Update();
    testsupport::Pump(50);
    ASSERT_GE(c->Paints, 1);
    const int paints = c->Paints, parentPaintsBefore = BackgroundCopies, windowPaints = ParentPaints;
    ASSERT_GE(parentPaintsBefore, 1);
    c->Mark = clRed;
    c->Redraw();
    c->Mark = clLime;
    c->Redraw();
    EXPECT_EQ(c->Paints, paints + 2);
    EXPECT_EQ(BackgroundCopies, parentPaintsBefore);
    // Painted straight onto the parent's context: the parent itself did not paint.
    EXPECT_EQ(ParentPaints, windowPaints);
    // Each paint leaves the control non-opaque with a dirty background.
    EXPECT_FALSE(c->GetControlStyle() & csOpaque);
    Form->Repaint();
    EXPECT_EQ(BackgroundCopies, parentPaintsBefore + 1);

    // Nothing repaints while loading; the first redraw after it does.
    const int loaded = c->Paints;
    c->BeginLoading();
    c->Redraw();
    c->AdjustRedraw();
    Form->Update();
    EXPECT_EQ(c->Paints, loaded);
    c->Loaded();
    c->Redraw();
    EXPECT_EQ(c->Paints, loaded + 1);
}

TEST_F(BasesTest, NotificationsFireAfterTheFrameworksHandling) {
    TMarkControl* c = Add(10, 10, 40, 30);
    std::vector<std::wstring> log;
    c->OnMouseEnter = [&](TObject*) { log.push_back(L"enter"); };
    c->OnMouseLeave = [&](TObject*) { log.push_back(L"leave"); };
    c->OnTextChanged = [&](TObject*) { log.push_back(L"text " + c->GetText()); };
    c->OnVisibleChanged = [&](TObject*) { log.push_back(L"visible"); };
    c->OnFontChanged = [&](TObject*) { log.push_back(L"font"); };
    SendMessageW(Form->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    SendMessageW(Form->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(100, 90));
    c->SetText(L"abc");
    c->SetVisible(false);
    c->GetFont()->SetSize(12);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"enter", L"leave", L"text abc", L"visible", L"font"}));
}

TEST_F(BasesTest, PressGivesTheParentWindowTheFocusUnlessSwitchedOff) {
    auto* panel = Add<TPanel>(0, 0, 100, 80);
    auto* c = Add(10, 10, 30, 30, panel);
    Form->Show();
    Form->SetFocus();
    testsupport::Pump(50);
    ASSERT_EQ(GetFocus(), Form->GetHandle());
    for (bool support : {false, true}) {
        c->SetNeedSupportFocuse(support);
        testsupport::Click(panel, 15, 15);
        EXPECT_EQ(GetFocus(), support ? panel->GetHandle() : Form->GetHandle());
    }
}

TEST_F(BasesTest, QimPaintBufferAppliesAlphaOverTheParentsPictureAndNothingIsErased) {
    TQimProbe* q = Add<TQimProbe>(10, 5, 8, 6);
    q->SetColor(RGB(1, 2, 3));
    TBitmap32 parentImage;
    parentImage.SetSize(120, 100);
    parentImage.Clear(0xFFC86432);  // 200, 100, 50
    auto pixel = [&] { return q->GetBackBuffer()->GetPixel(3, 3); };

    q->SetAlpha(-5);  // clamped to 0
    q->PaintBuffer(parentImage.GetCanvas());
    EXPECT_EQ(pixel(), 0xFF000000u);
    q->SetAlpha(128);
    q->PaintBuffer(parentImage.GetCanvas());
    // 200·128/255 = 100.4, 100·128/255 = 50.2, 50·128/255 = 25.1
    EXPECT_EQ(pixel(), 0xFF000000u | (100u << 16) | (50u << 8) | 25u);
    q->SetAlpha(300);  // clamped to 255
    q->SetTransparent(true);
    q->PaintBuffer(parentImage.GetCanvas());
    EXPECT_EQ(pixel(), 0xFF000000u | (200u << 16) | (100u << 8) | 50u);
    q->SetTransparent(false);
    q->PaintBuffer(parentImage.GetCanvas());
    EXPECT_EQ(pixel(), 0xFF000000u | (1u << 16) | (2u << 8) | 3u);
    q->CopyParentBackground(parentImage.GetCanvas());
    ASSERT_NE(q->GetParentBuffer(), nullptr);
    EXPECT_EQ(q->GetParentBuffer()->GetWidth(), 8);
    EXPECT_EQ(q->GetParentBuffer()->GetPixel(7, 5) & 0xFFFFFFu, (200u << 16) | (100u << 8) | 50u);
    q->SetBounds(10, 5, 0, 6);
    EXPECT_NO_THROW(q->PaintBuffer(parentImage.GetCanvas()));
    // The buffer covers every pixel: nothing is erased, no frame is painted.
    DibSurface dib(30, 30, 0xFFFF00FFu);
    EXPECT_EQ(q->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dib.Dc()), 0), 1);
    EXPECT_EQ(dib.Color(5, 5), RGB(255, 0, 255));
    EXPECT_EQ(q->Perform(WM_NCPAINT, 1, 0), 0);
}

TEST_F(BasesTest, QimHoverFlagAndRepaintRequests) {
    TQimProbe* q = Add<TQimProbe>(0, 0, 50, 50);
    HWND h = q->GetHandle();
    // The enter the framework sends with the first move already flips the flag and asks once.
    SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(q->GetMouseInside());
    EXPECT_EQ(q->Requests, 1);
    q->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(q->Requests, 1);
    q->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(q->GetMouseInside());
    EXPECT_EQ(q->Requests, 2);
    // A move that finds the flag clear (its enter went elsewhere) asks for the hover picture at once.
    q->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
    EXPECT_TRUE(q->GetMouseInside());
    EXPECT_EQ(q->Requests, 3);
    q->SetHoverRepaint(false);
    q->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(q->Requests, 3);
    // A request made while loading invalidates nothing; the same request after loading does.
    Form->Show();
    UpdateWindow(Form->GetHandle());
    ASSERT_FALSE(GetUpdateRect(h, nullptr, FALSE));
    int before = q->Requests;
    q->BeginLoading();
    EXPECT_FALSE(q->CanUpdate());
    q->SetAlpha(10);
    EXPECT_EQ(q->Requests, before + 1);
    EXPECT_FALSE(GetUpdateRect(h, nullptr, FALSE));
    q->Loaded();
    EXPECT_TRUE(q->CanUpdate());
    q->SetAlpha(20);
    EXPECT_TRUE(GetUpdateRect(h, nullptr, FALSE));
}
