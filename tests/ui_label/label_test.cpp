// The skinned label: sizing, layout, the caption shown as a tooltip or balloon over a cut-off
// label, and references that go away.
#include <gtest/gtest.h>

#include "VeskLabel.h"
#include "fw_forms.h"
#include "fw_stdctrls.h"
#include "test_support.h"
#include "window_test.h"

#include <vector>

using namespace fw;
using testsupport::DibSurface;
using testsupport::MeasureText;

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
    // The calls of one paint of the form that drew (not measured).
    std::vector<TDrawCall> Drawn(TProbeLabel* L) {
        L->Calls.clear();
        Render();
        std::vector<TDrawCall> d;
        for (const auto& c : L->Calls)
            if (!(c.Flags & DT_CALCRECT)) d.push_back(c);
        return d;
    }
    DibSurface Dib{300, 120};
    testsupport::TPlainForm* Form = nullptr;
};

}  // namespace

TEST_F(LabelTest, AutoSizeFollowsCaptionFontAndAlignmentAndExcludesTheEllipsis) {
    TProbeLabel* l = AddLabel(L"Start with Windows", 100);
    SIZE s = MeasureText(l->GetFont(), L"Start with Windows", DT_EXPANDTABS);
    EXPECT_EQ(l->GetWidth(), s.cx);
    EXPECT_EQ(l->GetHeight(), s.cy);
    // A lone accelerator mark measures as "& ", never as nothing.
    l->SetCaption(L"&");
    EXPECT_EQ(l->GetWidth(), MeasureText(l->GetFont(), L"& ", DT_EXPANDTABS).cx);

    l->SetCaption(L"Version");
    l->GetFont()->SetHeight(-22);
    l->Perform(CM_FONTCHANGED, 0, 0);
    EXPECT_EQ(l->GetHeight(), MeasureText(l->GetFont(), L"Version", DT_EXPANDTABS).cy);

    // Right aligned, it grows to the left.
    l->SetAlignment(taRightJustify);
    const int right = l->GetLeft() + l->GetWidth();
    l->SetCaption(L"A much longer caption");
    EXPECT_EQ(l->GetLeft() + l->GetWidth(), right);

    l->SetEllipsisPosition(epEndEllipsis);
    EXPECT_FALSE(l->GetAutoSize());
    l->SetAutoSize(true);
    EXPECT_EQ(l->GetEllipsisPosition(), epNone);
}

TEST_F(LabelTest, DrawFlagsAndLayoutFollowThePropertiesAndAFixedLabelKeepsOneLine) {
    TProbeLabel* l = FixedLabel(L"A\tB", 100, 41);
    l->SetAlignment(taCenter);
    l->SetShowAccelChar(false);
    const int line = MeasureText(l->GetFont(), L"A\tB", DT_EXPANDTABS).cy;
    for (auto [layout, top] : {std::pair{tlTop, 0}, {tlBottom, 41 - line}, {tlCenter, (41 - line) / 2}}) {
        l->SetLayout(layout);
        const std::vector<TDrawCall> d = Drawn(l);
        ASSERT_EQ(d.size(), 1u);
        EXPECT_EQ(d[0].Flags & (DT_CENTER | DT_EXPANDTABS | DT_NOPREFIX | DT_WORDBREAK),
                  UINT(DT_CENTER | DT_EXPANDTABS | DT_NOPREFIX));
        EXPECT_EQ(d[0].Rect.Top, top);
    }
    l->GetFont()->SetHeight(-60);
    Render();
    EXPECT_EQ(l->GetHeight(), MeasureText(l->GetFont(), L"A\tB", DT_SINGLELINE).cy);
    EXPECT_EQ(l->GetWidth(), 100);
}

TEST_F(LabelTest, ACutOffCaptionIsTheTooltipWhileTheMouseIsOverAndLeavingAlwaysRestoresTheOwnHint) {
    const std::wstring wide = L"Check for updates automatically at every start";
    TProbeLabel* l = FixedLabel(L"OK", 60, 17);
    l->SetHint(L"own hint");
    Render();
    ASSERT_FALSE(l->GetTruncated());
    l->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(l->GetHint(), L"own hint");
    EXPECT_FALSE(l->GetShowHint());
    l->Perform(CM_MOUSELEAVE, 0, 0);

    l->SetCaption(wide);
    Render();
    ASSERT_TRUE(l->GetTruncated());
    l->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(l->GetHint(), wide);
    EXPECT_TRUE(l->GetShowHint());
    // The caption shrank while the mouse was over: leaving still undoes the swap.
    l->SetCaption(L"OK");
    Render();
    ASSERT_FALSE(l->GetTruncated());
    l->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(l->GetHint(), L"own hint");
    EXPECT_FALSE(l->GetShowHint());
    EXPECT_TRUE(l->GetParentShowHint());
}

TEST_F(LabelTest, WrappedLabelIsCutOffUnlessItsCaptionFitsOnOneLine) {
    TProbeLabel* l = FixedLabel(L"Two words", 10, 10);
    l->SetWordWrap(true);
    const SIZE one = MeasureText(l->GetFont(), L"Two words", 0);
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
}

TEST_F(LabelTest, LinkedBalloonShowsTheFullCaptionAndFreedReferencesAreForgotten) {
    // The balloon and the focus control live on another form.
    auto* other = TForm::CreateNew<testsupport::TPlainForm>(nullptr);
    auto* hint = new TProbeHint(other);
    TProbeLabel* l = FixedLabel(L"A caption far too wide for this label", 50, 17);
    l->SetHint(L"own hint");
    l->SetVeskHint(hint);
    l->SetFocusControl(testsupport::AddControl<TEdit>(other, 0, 0, 80, 20));
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

    l->SetEnabled(true);
    other->Free();
    EXPECT_EQ(l->GetVeskHint(), nullptr);
    EXPECT_EQ(l->GetFocusControl(), nullptr);
    // Hovering afterwards is harmless.
    l->Perform(CM_MOUSEENTER, 0, 0);
    l->Perform(CM_MOUSELEAVE, 0, 0);
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

TEST_F(LabelTest, RightToLeftDrawsAtTheRightWithRtlReadingAndAnAutoSizeLabelKeepsItsRightEdge) {
    struct Restore { ~Restore() { Application->SetBiDiMode(bdLeftToRight); } } restore;
    Form->SetColor(clWhite);
    TProbeLabel* l = FixedLabel(L"Hi", 200, 20);
    l->SetColor(clWhite);
    auto inked = [&](int left) { return Dib.CountColor(RECT{left, 10, left + 100, 30}, RGB(255, 255, 255)) < 2000; };
    const std::pair<TBiDiMode, bool> atRight[] = {
        {bdLeftToRight, false}, {bdRightToLeft, true}, {bdRightToLeftNoAlign, false}, {bdRightToLeftReadingOnly, false}};
    for (const auto& [mode, right] : atRight) {
        l->SetBiDiMode(mode);
        const std::vector<TDrawCall> d = Drawn(l);
        ASSERT_EQ(d.size(), 1u);
        EXPECT_EQ((d[0].Flags & DT_RTLREADING) != 0, mode != bdLeftToRight) << mode;
        EXPECT_EQ(std::make_pair(inked(10), inked(110)), std::make_pair(!right, right)) << mode;
    }
    // Taken from the application through the form: a left-aligned auto-size label grows to the left.
    Application->SetBiDiMode(bdRightToLeft);
    TProbeLabel* a = AddLabel(L"Short", 100, 60);
    EXPECT_EQ(a->GetBiDiMode(), bdRightToLeft);
    const int right = a->GetLeft() + a->GetWidth();
    a->SetCaption(L"A much longer caption");
    EXPECT_EQ(a->GetLeft() + a->GetWidth(), right);
    EXPECT_LT(a->GetLeft(), 100);
}

TEST_F(LabelTest, AltAndTheAcceleratorFocusTheLabelsControlOnlyWhenItIsTheLabelsOwn) {
    Form->Show();
    Form->SetFocus();
    auto* target = testsupport::AddControl<TEdit>(Form, 10, 60, 80, 20);
    auto* other = testsupport::AddControl<TEdit>(Form, 100, 60, 80, 20);
    TProbeLabel* l = AddLabel(L"&Name");
    l->SetFocusControl(target);
    testsupport::Pump(30);
    // fromForm: the form itself holds the focus, so no edit takes a WM_CHAR.
    struct { const wchar_t* caption; bool enabled, showAccel, sys; wchar_t ch; bool fromForm, focuses; } const cases[] = {
        {L"&Name", true, true, true, L'n', false, true},     {L"&Name", true, true, true, L'N', false, true},
        {L"N&&a&me", true, true, true, L'm', false, true},   {L"&Name", true, true, false, L'n', true, true},
        {L"&Name", true, true, false, L'n', false, false},   {L"&Name", false, true, true, L'n', false, false},
        {L"&Name", true, false, true, L'n', false, false},   {L"&&Name", true, true, true, L'n', false, false},
        {L"&Name", true, true, true, L'x', false, false},
    };
    for (const auto& c : cases) {
        l->SetCaption(c.caption);
        l->SetEnabled(c.enabled);
        l->SetShowAccelChar(c.showAccel);
        c.fromForm ? (void)::SetFocus(Form->GetHandle()) : other->SetFocus();
        SendMessageW(GetFocus(), c.sys ? WM_SYSCHAR : WM_CHAR, c.ch, c.sys ? 0x20000001 : 1);
        EXPECT_EQ(target->Focused(), c.focuses) << testsupport::Narrow(c.caption) << " " << char(c.ch);
    }
}

TEST_F(LabelTest, AutoSizeStaysWithinTheSizeLimitsAndARightAlignedLabelKeepsItsRightEdge) {
    const std::wstring text = L"A caption wider than fifty pixels";
    TProbeLabel* l = AddLabel(text, 100);
    l->SetAlignment(taRightJustify);
    const int right = l->GetLeft() + l->GetWidth();
    const SIZE s = MeasureText(l->GetFont(), text + L" and longer", DT_EXPANDTABS);
    l->GetConstraints()->SetMaxWidth(50);
    l->GetConstraints()->SetMinHeight(s.cy + 10);
    EXPECT_EQ(l->GetBoundsRect(), TRect(right - 50, 10, right, 20 + s.cy));
    l->SetCaption(text + L" and longer");
    EXPECT_EQ(l->GetBoundsRect(), TRect(right - 50, 10, right, 20 + s.cy));
    l->GetConstraints()->SetMaxWidth(0);
    l->GetConstraints()->SetMinHeight(0);
    EXPECT_EQ(l->GetBoundsRect(), TRect(right - s.cx, 10, right, 10 + s.cy));
}
