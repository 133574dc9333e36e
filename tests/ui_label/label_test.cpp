// The skinned label: sizing to its text, ellipses in a fixed label, layout, embossed disabled
// text, the cut-off flag and the caption shown as a tooltip or balloon while the mouse is over
// a cut-off label, references that go away, and accelerators.
#include <gtest/gtest.h>

#include "VeskLabel.h"
#include "fw_forms.h"
#include "fw_stdctrls.h"
#include "test_support.h"
#include "window_test.h"

#include <memory>
#include <vector>

using namespace fw;
using testsupport::DibSurface;

namespace {

struct TDrawCall {
    std::wstring Text;
    TRect Rect;
    UINT Flags;
};

// Records every call of the draw-text routine and opens the cut-off flag for reading.
class TProbeLabel : public TVeskLabel {
public:
    FW_CLASSNAME(TProbeLabel)
    explicit TProbeLabel(TComponent* AOwner) : TVeskLabel(AOwner) {
        TDrawTextRoutine plain = FDrawTextRoutine;
        FDrawTextRoutine = [this, plain](HDC dc, const std::wstring& t, TRect& r, UINT f) {
            TRect before = r;
            int res = plain(dc, t, r, f);
            Calls.push_back({t, before, f});
            return res;
        };
    }
    std::vector<TDrawCall> Calls;
    using TVeskCustomLabel::GetTruncated;
    // The calls that drew (not measured).
    std::vector<TDrawCall> Drawn() const {
        std::vector<TDrawCall> d;
        for (const auto& c : Calls)
            if (!(c.Flags & DT_CALCRECT)) d.push_back(c);
        return d;
    }
};

class TProbeHint : public TveskHint {
public:
    FW_CLASSNAME(TProbeHint)
    explicit TProbeHint(TComponent* AOwner) : TveskHint(AOwner) {}
    using TveskHint::GetHintForm;
    bool Shown() const { return GetHintForm() && IsWindowVisible(GetHintForm()->GetHandle()); }

protected:
    TPoint GetCursorPoint() const override { return TPoint(300, 300); }
};

SIZE Measure(TFont* Font, const std::wstring& Text, UINT Flags, int Width = 0) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font->GetHandle());
    RECT r{0, 0, Width, 0};
    std::wstring buf = Text;
    DrawTextW(dc, buf.data(), int(buf.size()), &r, Flags | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{r.right, r.bottom};
}

class LabelTest : public testsupport::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Form = NewForm(300, 120);
        Form->GetHandle();
    }
    TProbeLabel* AddLabel(const std::wstring& Caption, int L = 10, int T = 10) {
        auto* l = new TProbeLabel(Form);
        l->SetLeft(L);
        l->SetTop(T);
        l->SetParent(Form);
        l->SetCaption(Caption);
        return l;
    }
    // A label of fixed size.
    TProbeLabel* FixedLabel(const std::wstring& Caption, int W, int H) {
        TProbeLabel* l = AddLabel(Caption);
        l->SetAutoSize(false);
        l->SetBounds(10, 10, W, H);
        return l;
    }
    void Render() { Form->PaintTo(Dib.Dc(), 0, 0); }
    // The draw calls of one paint of the form.
    std::vector<TDrawCall> Drawn(TProbeLabel* L) {
        L->Calls.clear();
        Render();
        return L->Drawn();
    }

    DibSurface Dib{300, 120};

    testsupport::TPlainForm* Form = nullptr;
};

}  // namespace

TEST_F(LabelTest, AutoSizeFollowsTheCaptionAndAnEmptyCaptionKeepsOneSpace) {
    TProbeLabel* l = AddLabel(L"Start with Windows");
    SIZE s = Measure(l->GetFont(), L"Start with Windows", DT_EXPANDTABS);
    EXPECT_EQ(l->GetWidth(), s.cx);
    EXPECT_EQ(l->GetHeight(), s.cy);

    l->SetCaption(L"");
    SIZE sp = Measure(l->GetFont(), L" ", DT_EXPANDTABS);
    EXPECT_EQ(l->GetWidth(), sp.cx);
    EXPECT_EQ(l->GetHeight(), sp.cy);

    // A lone accelerator mark measures as "& ", never as nothing.
    l->SetCaption(L"&");
    SIZE amp = Measure(l->GetFont(), L"& ", DT_EXPANDTABS);
    EXPECT_EQ(l->GetWidth(), amp.cx);
}

TEST_F(LabelTest, FontChangeResizesAnAutoSizeLabel) {
    TProbeLabel* l = AddLabel(L"Version");
    const int w = l->GetWidth();
    l->GetFont()->SetHeight(-22);
    l->Perform(CM_FONTCHANGED, 0, 0);
    EXPECT_GT(l->GetWidth(), w);
    EXPECT_EQ(l->GetHeight(), Measure(l->GetFont(), L"Version", DT_EXPANDTABS).cy);
}

TEST_F(LabelTest, RightAlignedAutoSizeLabelGrowsToTheLeft) {
    TProbeLabel* l = AddLabel(L"Short", 100);
    l->SetAlignment(taRightJustify);
    l->SetCaption(L"Short");
    const int right = l->GetLeft() + l->GetWidth();
    l->SetCaption(L"A much longer caption");
    EXPECT_EQ(l->GetLeft() + l->GetWidth(), right);

    TProbeLabel* left = AddLabel(L"Short", 50, 40);
    left->SetCaption(L"A much longer caption");
    EXPECT_EQ(left->GetLeft(), 50);
}

TEST_F(LabelTest, AutoSizeAndEllipsisClearEachOther) {
    TProbeLabel* l = AddLabel(L"Text");
    l->SetEllipsisPosition(epEndEllipsis);
    EXPECT_FALSE(l->GetAutoSize());
    l->SetAutoSize(true);
    EXPECT_EQ(l->GetEllipsisPosition(), epNone);
    EXPECT_TRUE(l->GetAutoSize());
}

TEST_F(LabelTest, WrappedEllipsisDropsWordsUntilTheTextFits) {
    TProbeLabel* l = FixedLabel(L"", 90, 0);
    l->SetWordWrap(true);
    const int line = Measure(l->GetFont(), L"Ag", 0).cy;
    l->SetHeight(line * 2);
    l->SetEllipsisPosition(epEndEllipsis);
    const std::wstring caption = L"Remember to water the plants and feed the cat before leaving home";
    l->SetCaption(caption);
    std::vector<TDrawCall> drawn = Drawn(l);
    ASSERT_EQ(drawn.size(), 1u);
    const std::wstring& shown = drawn[0].Text;
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(shown.substr(shown.size() - 3), L"...");
    const std::wstring kept = shown.substr(0, shown.size() - 3);
    // Whole words were dropped from the end.
    EXPECT_EQ(caption.compare(0, kept.size(), kept), 0);
    EXPECT_EQ(caption[kept.size()], L' ');
    EXPECT_TRUE(drawn[0].Flags & DT_END_ELLIPSIS);
    EXPECT_FALSE(drawn[0].Flags & DT_EXPANDTABS);
    // It fits two lines at the width left beside "...", and one more word would not.
    const int dots = Measure(l->GetFont(), L"...", 0).cx;
    const UINT f = DT_LEFT | DT_WORDBREAK | DT_END_ELLIPSIS;
    EXPECT_LE(Measure(l->GetFont(), shown, f, 90 - dots).cy, line * 2);
    const size_t next = caption.find(L' ', kept.size() + 1);
    const std::wstring longer = caption.substr(0, next) + L"...";
    EXPECT_GT(Measure(l->GetFont(), longer, f, 90 - dots).cy, line * 2);
}

TEST_F(LabelTest, EllipsisCutsSurrogatePairsWhole) {
    TProbeLabel* l = FixedLabel(L"", 40, 0);
    l->SetWordWrap(true);
    const int line = Measure(l->GetFont(), L"Ag", 0).cy;
    // Lower than one line: nothing ever fits, so the text is cut one character at a time.
    l->SetHeight(line - 3);
    l->SetEllipsisPosition(epWordEllipsis);
    std::wstring caption;
    for (int i = 0; i < 12; ++i) caption += (i % 2) ? std::wstring(L"\xD83D\xDE00") : std::wstring(L"W");
    l->SetCaption(caption);
    const std::vector<TDrawCall> drawn = Drawn(l);
    int trials = 0;
    for (const auto& c : l->Calls) {
        if (c.Text.size() < 3 || c.Text.substr(c.Text.size() - 3) != L"...") continue;
        ++trials;
        const std::wstring body = c.Text.substr(0, c.Text.size() - 3);
        ASSERT_FALSE(body.empty());
        EXPECT_FALSE(IS_HIGH_SURROGATE(body.back())) << trials;
        EXPECT_EQ(caption.compare(0, body.size(), body), 0);
    }
    // Twelve characters: eleven shorter trials before the text is gone.
    EXPECT_EQ(trials, 11);
    // Nothing fits, so nothing is drawn; the next paint finds the label one line high.
    for (const auto& c : drawn) EXPECT_TRUE(c.Text.empty());
    EXPECT_GT(l->GetHeight(), line - 3);
}

TEST_F(LabelTest, LayoutMovesTheTextDown) {
    TProbeLabel* l = AddLabel(L"Middle");
    const int line = l->GetHeight();
    l->SetAutoSize(false);
    l->SetBounds(10, 10, 80, 41);
    for (auto [layout, top] : {std::pair{tlBottom, 41 - line}, {tlCenter, (41 - line) / 2}}) {
        l->SetLayout(layout);
        const std::vector<TDrawCall> d = Drawn(l);
        ASSERT_EQ(d.size(), 1u);
        EXPECT_EQ(d[0].Rect.Top, top);
    }
}

TEST_F(LabelTest, DrawFlagsFollowTheProperties) {
    TProbeLabel* l = FixedLabel(L"A\tB", 100, 20);
    l->SetAlignment(taCenter);
    l->SetShowAccelChar(false);
    const std::vector<TDrawCall> d = Drawn(l);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].Flags & (DT_CENTER | DT_EXPANDTABS | DT_NOPREFIX | DT_WORDBREAK),
              UINT(DT_CENTER | DT_EXPANDTABS | DT_NOPREFIX));
    EXPECT_EQ(d[0].Rect, TRect(0, 0, 100, 20));
}

TEST_F(LabelTest, DisabledLabelIsEmbossed) {
    TProbeLabel* l = AddLabel(L"WWWW");
    l->GetFont()->SetHeight(-24);
    l->GetFont()->SetStyle(fsBold);
    l->Perform(CM_FONTCHANGED, 0, 0);
    l->SetColor(RGB(0x20, 0x40, 0x60));
    l->SetEnabled(false);
    std::vector<TDrawCall> d = Drawn(l);
    ASSERT_EQ(d.size(), 2u);
    TRect r0 = d[1].Rect;
    r0.Offset(1, 1);
    EXPECT_EQ(d[0].Rect, r0);
    RECT area = l->GetBoundsRect();
    EXPECT_GT(Dib.CountColor(area, GetSysColor(COLOR_BTNHIGHLIGHT)), 10);
    EXPECT_GT(Dib.CountColor(area, GetSysColor(COLOR_BTNSHADOW)), 10);
    l->SetEnabled(true);
    EXPECT_EQ(Drawn(l).size(), 1u);
}

TEST_F(LabelTest, FixedLabelGrowsToOneLineOfATallerFont) {
    TProbeLabel* l = FixedLabel(L"Tall", 80, 10);
    l->GetFont()->SetHeight(-30);
    Render();
    EXPECT_EQ(l->GetHeight(), Measure(l->GetFont(), L"Tall", DT_SINGLELINE).cy);
    EXPECT_EQ(l->GetWidth(), 80);
}

TEST_F(LabelTest, CaptionWiderThanTheLabelBecomesTheTooltipWhileTheMouseIsOver) {
    const std::wstring wide = L"Check for updates automatically at every start";
    for (const std::wstring& caption : {wide, std::wstring(L"OK")}) {
        TProbeLabel* l = FixedLabel(caption, 60, 17);
        l->SetHint(L"own hint");
        Render();
        const bool cut = caption == wide;
        ASSERT_EQ(l->GetTruncated(), cut);
        l->Perform(CM_MOUSEENTER, 0, 0);
        EXPECT_EQ(l->GetHint(), cut ? wide : L"own hint");
        EXPECT_EQ(l->GetShowHint(), cut);
        l->Perform(CM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(l->GetHint(), L"own hint");
        EXPECT_FALSE(l->GetShowHint());
        EXPECT_TRUE(l->GetParentShowHint());
        l->Free();
    }
}

TEST_F(LabelTest, OwnHintComesBackEvenIfTheCaptionShrankMeanwhile) {
    TProbeLabel* l = FixedLabel(L"A caption far too wide for this label", 50, 17);
    l->SetHint(L"own hint");
    Render();
    l->Perform(CM_MOUSEENTER, 0, 0);
    ASSERT_EQ(l->GetHint(), L"A caption far too wide for this label");
    l->SetCaption(L"Ok");
    Render();
    ASSERT_FALSE(l->GetTruncated());
    l->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(l->GetHint(), L"own hint");
    EXPECT_FALSE(l->GetShowHint());
}

TEST_F(LabelTest, WrappedLabelIsCutOffUnlessItsCaptionFitsOnOneLine) {
    TProbeLabel* l = FixedLabel(L"Two words", 10, 10);
    l->SetWordWrap(true);
    const SIZE one = Measure(l->GetFont(), L"Two words", 0);
    l->SetBounds(10, 10, one.cx, one.cy);
    Render();
    EXPECT_FALSE(l->GetTruncated());
    l->SetBounds(10, 10, one.cx - 5, one.cy * 3);
    Render();
    EXPECT_TRUE(l->GetTruncated());
    // Without a balloon a wrapped label never swaps its hint.
    l->SetHint(L"own");
    l->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(l->GetHint(), L"own");
    l->Perform(CM_MOUSELEAVE, 0, 0);
}

TEST_F(LabelTest, LinkedBalloonShowsTheFullCaption) {
    auto* hint = new TProbeHint(Form);
    TProbeLabel* l = FixedLabel(L"A caption far too wide for this label", 50, 17);
    l->SetHint(L"own hint");
    l->SetVeskHint(hint);
    Render();
    l->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(hint->Shown());
    EXPECT_EQ(hint->GetHintText(), L"A caption far too wide for this label");
    EXPECT_EQ(l->GetHint(), L"own hint");
    EXPECT_FALSE(l->GetShowHint());
    l->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(hint->Shown());

    // Disabled: no balloon.
    l->SetEnabled(false);
    l->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_FALSE(hint->Shown());
    l->Perform(CM_MOUSELEAVE, 0, 0);
}

TEST_F(LabelTest, ReferencesToFreedComponentsAreForgotten) {
    // The balloon and the focus control live on another form.
    auto* other = TForm::CreateNew<testsupport::TPlainForm>(nullptr);
    auto* hint = new TProbeHint(other);
    auto* edit = testsupport::AddControl<TEdit>(other, 0, 0, 80, 20);
    TProbeLabel* l = AddLabel(L"A caption far too wide for this label");
    l->SetVeskHint(hint);
    l->SetFocusControl(edit);
    other->Free();
    EXPECT_EQ(l->GetVeskHint(), nullptr);
    EXPECT_EQ(l->GetFocusControl(), nullptr);
    // Hovering afterwards is harmless.
    l->SetAutoSize(false);
    l->SetBounds(10, 10, 40, 17);
    Render();
    l->Perform(CM_MOUSEENTER, 0, 0);
    l->Perform(CM_MOUSELEAVE, 0, 0);
}

TEST_F(LabelTest, AcceleratorGivesTheFocusControlTheFocus) {
    Form->Show();
    auto* edit = testsupport::AddControl<TEdit>(Form, 100, 60, 80, 20);
    auto* other = testsupport::AddControl<TEdit>(Form, 100, 90, 80, 20);
    TProbeLabel* l = AddLabel(L"&Name");
    l->SetFocusControl(edit);
    other->SetFocus();
    testsupport::PumpMessagesFor(50);

    EXPECT_EQ(l->Perform(CM_DIALOGCHAR, 'x', 0), 0);
    EXPECT_EQ(l->Perform(CM_DIALOGCHAR, 'n', 0), 1);
    testsupport::PumpMessagesFor(50);
    EXPECT_TRUE(edit->Focused());

    other->SetFocus();
    l->SetShowAccelChar(false);
    EXPECT_EQ(l->Perform(CM_DIALOGCHAR, 'n', 0), 0);
    l->SetShowAccelChar(true);
    l->SetEnabled(false);
    EXPECT_EQ(l->Perform(CM_DIALOGCHAR, 'N', 0), 0);
}

TEST_F(LabelTest, TransparentLabelShowsTheParentAroundTheText) {
    Form->SetColor(RGB(0x10, 0x80, 0x30));
    TProbeLabel* l = AddLabel(L"Hi");
    l->SetColor(clWhite);
    Render();
    EXPECT_EQ(Dib.Color(l->GetLeft() + l->GetWidth() - 1, l->GetTop()), RGB(0xFF, 0xFF, 0xFF));
    l->SetTransparent(true);
    Render();
    EXPECT_EQ(Dib.Color(l->GetLeft() + l->GetWidth() - 1, l->GetTop()), RGB(0x10, 0x80, 0x30));
}
