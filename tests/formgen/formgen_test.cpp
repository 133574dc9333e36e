// Windows built from form descriptions: values reach their properties, references and pictures resolve,
// handlers bind in the class being created (also from an inherited description), the load order holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>

#include "fg_forms.h"
#include "skin_support.h"
#include "window_test.h"

using namespace fw;
using testsupport::Narrow;

namespace {

int IndexIn(const std::vector<std::wstring>& v, const std::wstring& s, size_t from = 0) {
    const auto it = std::find(v.begin() + std::min(from, v.size()), v.end(), s);
    return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

// Whether the picture is the program's skin of that name.
bool SameAsSkin(TGraphic* a, const wchar_t* Skin) {
    auto* png = dynamic_cast<TPngImage*>(a);
    return png && png->SaveToBytes() == testsupport::Skin(Skin)->SaveToBytes();
}

class FormDescriptionTest : public testsupport::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        FgLog().clear();
    }
    template <class T>
    T* Make() {
        return Own(TForm::CreateForm<T>(Application));
    }
};

TEST_F(FormDescriptionTest, ValuesOfEveryKindAndHandlersReachTheClassBeingCreated) {
    auto* other = Make<TFgOtherForm>();
    auto* f = Make<TFgAllForm>();
    EXPECT_EQ(f->GetCaption(), L"All kinds \u263A of values");
    EXPECT_FALSE(f->GetIcon()->GetEmpty());
    EXPECT_EQ(f->GetFont()->GetColor(), clNavy);  // from the base description
    // The inherited component exists in the derived window, with the derived value applied last.
    ASSERT_NE(f->lblTitle, nullptr);
    EXPECT_EQ(f->lblTitle->GetTitle(), L"Derived title");
    EXPECT_EQ(f->lblTitle->GetCount(), 1);
    EXPECT_EQ(f->FindComponent(L"lblTitle"), f->lblTitle);
    TFgWidget* w = f->wTop;
    EXPECT_EQ(w->GetBoundsRect(), Bounds(10, 30, 279, 106));
    EXPECT_EQ(w->GetCount(), -42);
    EXPECT_EQ(static_cast<uint32_t>(w->GetColor()), 0x80000005u);
    EXPECT_EQ(w->GetOptions(), static_cast<TFgOptions>(foFirst | foThird));
    EXPECT_EQ(f->wLater->GetOptions(), 0u);
    EXPECT_EQ(w->GetMode(), fmBusy);
    EXPECT_TRUE(w->GetFlag());
    EXPECT_EQ(w->GetTitle(), L"It's a \"test\" \\ ok");
    // Character codes of a surrogate pair make the one character they encode.
    EXPECT_EQ(f->wLater->GetTitle(), L"smile \U0001F600 and \U0001F600");
    // Paths into owned objects and into a record.
    EXPECT_EQ(w->GetFont()->GetStyle(), static_cast<TFontStyles>(fsBold | fsItalic));
    EXPECT_EQ(w->GetMargins().Left, 1);
    EXPECT_EQ(w->GetMargins().Top, 20);
    // String list.
    ASSERT_EQ(w->GetLines()->Count(), 3);
    EXPECT_EQ(w->GetLines()->Get(1), L"second \u00E4 line");
    EXPECT_EQ(w->GetLines()->Get(2), L"");
    // Pictures from resources; a BMP resource is a bitmap by its signature.
    EXPECT_TRUE(SameAsSkin(w->GetGlyph(), L"clock1"));
    auto* bmp = dynamic_cast<TBitmap*>(w->GetPicture()->GetGraphic());
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->GetWidth(), 3);
    // References: forward, backward, and into the other form.
    EXPECT_EQ(w->GetPartner(), f->wLater);
    EXPECT_EQ(f->wLater->GetPartner(), w);
    EXPECT_EQ(w->GetPeer(), f->store1);
    EXPECT_EQ(f->wLater->GetPeer(), other->store1);
    // A windowless control standing on a windowed custom control.
    EXPECT_EQ(f->mark1->GetParent(), w);
    EXPECT_EQ(f->mark1->GetBoundsRect(), Bounds(2, 3, 10, 12));
    // Collection items with pictures, in order.
    auto* items = f->store1->GetItems();
    ASSERT_EQ(items->Count(), 3);
    EXPECT_TRUE(SameAsSkin(items->GetItem(0)->GetPicture()->GetGraphic(), L"clock0"));
    EXPECT_EQ(items->GetItem(0)->GetComment(), L"first");
    EXPECT_NE(dynamic_cast<TBitmap*>(items->GetItem(1)->GetPicture()->GetGraphic()), nullptr);
    EXPECT_EQ(items->GetItem(1)->GetTag(), -3);
    EXPECT_TRUE(SameAsSkin(items->GetItem(2)->GetPicture()->GetGraphic(), L"clock2"));

    // The base description's OnCreate = FormCreate reaches the derived class's member.
    EXPECT_EQ(f->CreatedBy, L"TFgAllForm::FormCreate");
    // A plain event field, an event behind a setter with a reference parameter, and a handler
    // given to an inherited component by the derived description.
    ASSERT_TRUE(f->wTop->OnPing);
    f->wTop->OnPing(f->wTop);
    EXPECT_EQ(f->PingSender, f->wTop);
    EXPECT_EQ(f->wTop->FireValue(5), 15);
    ASSERT_TRUE(f->lblTitle->OnPing);
    f->lblTitle->OnPing(f->lblTitle);
    EXPECT_EQ(f->TitleClicks, 1);
}

TEST_F(FormDescriptionTest, LoadingOrderAndFlags) {
    Make<TFgOtherForm>();
    FgLog().clear();
    auto* f = Make<TFgAllForm>();
    const auto log = FgLog();
    // Every property was set while its component was loading.
    for (TFgWidget* w : {f->lblTitle, f->wTop, f->wLater}) EXPECT_EQ(w->SetsOutsideLoading, 0) << Narrow(w->GetName());
    // Description order: the base's value first, then the derived one.
    const int baseTitle = IndexIn(log, L"lblTitle.Title");
    ASSERT_GE(baseTitle, 0);
    EXPECT_GT(IndexIn(log, L"lblTitle.Title", baseTitle + 1), baseTitle);
    EXPECT_LT(IndexIn(log, L"wTop.Count"), IndexIn(log, L"wTop.Options"));
    // References are set after the whole tree exists: after the last component was created and
    // its plain values were set.
    EXPECT_GT(IndexIn(log, L"wTop.Partner"), IndexIn(log, L"wLater.Options"));
    // Loaded in creation order, after every property, then OnCreate.
    std::vector<std::wstring> loaded;
    std::copy_if(log.begin(), log.end(), std::back_inserter(loaded), [](const std::wstring& s) { return s.ends_with(L".Loaded"); });
    EXPECT_EQ(loaded, (std::vector<std::wstring>{L"lblTitle.Loaded", L"wTop.Loaded", L"mark1.Loaded", L"wLater.Loaded",
                                                 L"store1.Loaded"}));
    EXPECT_GT(IndexIn(log, L"lblTitle.Loaded"), IndexIn(log, L"wLater.Peer"));
    EXPECT_EQ(IndexIn(log, L"OnCreate"), static_cast<int>(log.size()) - 1);
    EXPECT_TRUE(f->wTop->PartnerKnownAtLoaded);
    EXPECT_TRUE(f->MarkLoadedAtCreate);
    EXPECT_EQ(f->StateAtCreate & (csLoading | csReading), 0u);
}

TEST_F(FormDescriptionTest, ReferencesIntoAnotherFormWaitForItAndFollowItsLife) {
    ASSERT_EQ(desc::FindLiveForm(L"fgOther"), nullptr);
    auto* f = Make<TFgAllForm>();
    EXPECT_EQ(f->wLater->GetPeer(), nullptr);
    EXPECT_EQ(desc::PendingFormReferences(), 1);
    auto* other = Make<TFgOtherForm>();
    EXPECT_EQ(f->wLater->GetPeer(), other->store1);
    EXPECT_EQ(desc::PendingFormReferences(), 0);
    // The target form dies first: the reference is cleared through free notification.
    other->Free();
    EXPECT_EQ(f->wLater->GetPeer(), nullptr);
    // A form that dies while waiting drops its pending reference.
    auto* waiting = Make<TFgAllForm>();
    EXPECT_EQ(desc::PendingFormReferences(), 1);
    waiting->Free();
    EXPECT_EQ(desc::PendingFormReferences(), 0);
    EXPECT_EQ(Make<TFgOtherForm>()->store1->GetName(), L"store1");
    // A second window of a class gets a name of its own and its own references.
    auto* b = Make<TFgAllForm>();
    EXPECT_EQ(b->GetName(), L"fgAll_1");
    EXPECT_EQ(desc::FindLiveForm(L"fgAll"), f);
    EXPECT_EQ(b->wTop->GetPartner(), b->wLater);
}

TEST_F(FormDescriptionTest, ALoadFailureNamesTheDescriptionLineAndLeavesNoForm) {
    const int formsBefore = Screen->GetFormCount();
    std::wstring message;
    try {
        Make<TFgBrokenForm>();
        ADD_FAILURE() << "a PNG property accepted a bitmap";
    } catch (const EInvalidGraphic& e) {
        message = e.Message;
    }
    // The line of the description holding the bad picture.
    std::ifstream in(Narrow(testsupport::SourceDir() + L"\\tests\\formgen\\forms\\fgBroken.form"));
    std::string text;
    int line = 1;
    while (std::getline(in, text) && text.find("png:fgtest_bmp") == std::string::npos) ++line;
    EXPECT_NE(message.find(L"fgtest_bmp"), std::wstring::npos) << Narrow(message);
    EXPECT_NE(message.find(L"(fgBroken.form, line " + std::to_wstring(line) + L")"), std::wstring::npos)
        << Narrow(message);
    EXPECT_EQ(Screen->GetFormCount(), formsBefore);
}

// Framework controls from a description: the combo box's index, given before its items, is
// applied in Loaded, and nothing fires while the window is read.
TEST_F(FormDescriptionTest, FrameworkControlsFromADescription) {
    Make<TFgOtherForm>();
    auto* f = Make<TFgAllForm>();
    f->HandleNeeded();
    testsupport::Pump(30);
    EXPECT_EQ(f->cbDelay->GetItemIndex(), 1);
    EXPECT_EQ(f->DelayChanges, 0);
    SendMessageW(f->pnlBottom->GetHandle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(f->cbDelay->GetHandle()));
    EXPECT_EQ(f->DelayChanges, 1);
}

TEST_F(FormDescriptionTest, BiDiModeFromADescriptionAndInheritedFromTheApplicationDown) {
    struct Restore {
        ~Restore() { Application->SetBiDiMode(bdLeftToRight); }
    } restore;
    Make<TFgOtherForm>();
    auto* f = Make<TFgAllForm>();
    // The panel's own mode reaches the label; the combo box keeps the mode it had when it stopped
    // following; the form follows the application.
    EXPECT_EQ(f->lblNote->GetBiDiMode(), bdRightToLeftReadingOnly);
    EXPECT_EQ(f->cbDelay->GetBiDiMode(), bdRightToLeftReadingOnly);
    Application->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(f->wTop->GetBiDiMode(), bdRightToLeft);
    EXPECT_EQ(f->lblNote->GetBiDiMode(), bdRightToLeftReadingOnly);
    f->pnlBottom->SetParentBiDiMode(true);
    EXPECT_EQ(f->lblNote->GetBiDiMode(), bdRightToLeft);
    EXPECT_EQ(f->cbDelay->GetBiDiMode(), bdRightToLeftReadingOnly);
}

}  // namespace

TEST_F(FormDescriptionTest, DragDockPopupActivationAndSizeLimitsOfTheSkinnedLabelAndImageBind) {
    auto* f = Make<TFgDragForm>();
    TVeskLabel* l = f->lblDrag;
    TVeskImage* img = f->imgDrop;
    const TSizeConstraints* lc = l->GetConstraints();
    EXPECT_EQ((std::vector<int>{lc->GetMinWidth(), lc->GetMaxWidth(), lc->GetMinHeight(), lc->GetMaxHeight()}),
              (std::vector<int>{30, 60, 25, 40}));
    // The label sized itself to its text within the limits once loaded.
    EXPECT_TRUE(l->GetWidth() >= 30 && l->GetWidth() <= 60 && l->GetHeight() == 25) << l->GetWidth();
    EXPECT_EQ(img->GetBoundsRect(), TRect(100, 10, 220, 110));
    // Listed last but put first in the tab order, and out of the tab stops.
    EXPECT_EQ(f->GetTabList().front(), f->lbFirst);
    EXPECT_FALSE(f->lbFirst->GetTabStop());
    EXPECT_TRUE(l->GetDragMode() == dmAutomatic && l->GetDragCursor() == crHandPoint && l->GetDragKind() == dkDock);
    EXPECT_TRUE(img->GetDragMode() == dmAutomatic && img->GetDragCursor() == crMultiDrag && img->GetDragKind() == dkDrag);
    std::vector<std::wstring> expected;
    for (TControl* c : {static_cast<TControl*>(l), static_cast<TControl*>(img)}) {
        EXPECT_EQ(c->GetPopupMenu(), f->pmShared);
        TDragObject* drag = nullptr;
        TDragDockObject* dock = nullptr;
        bool flag = false;
        TMouseActivate ma = maDefault;
        c->OnStartDrag(c, drag), c->OnDragOver(c, c, 0, 0, dsDragMove, flag), c->OnDragDrop(c, c, 0, 0);
        c->OnEndDrag(c, nullptr, 0, 0), c->OnStartDock(c, dock), c->OnEndDock(c, nullptr, 0, 0);
        c->OnContextPopup(c, TPoint(), flag), c->OnMouseActivate(c, mbLeft, TShiftState(), 0, 0, HTCLIENT, ma);
        for (const wchar_t* e : {L"StartDrag", L"DragOver", L"DragDrop", L"EndDrag", L"StartDock", L"EndDock",
                                 L"ContextPopup", L"MouseActivate"})
            expected.push_back(c->GetName() + e);
    }
    EXPECT_EQ(f->Calls, expected);
    f->pmShared->Free();
    EXPECT_TRUE(l->GetPopupMenu() == nullptr && img->GetPopupMenu() == nullptr);
}

// A combo box's index from the description waits for its item and selects it without OnChange;
// once applied it is spent, and a selection by the program before the item arrives overrules it.
TEST_F(FormDescriptionTest, ComboIndexSetBeforeTheItemsExistSelectsItsItemOnceAdded) {
    auto* f = Make<TFgDragForm>();
    TVeskCombobox *later = f->cbLater, *b = f->cbOverruled;
    EXPECT_EQ(f->IndexAtCreate, 2);
    EXPECT_EQ(later->GetText(), L"item 2") << "the caption set after AddItem shows";
    EXPECT_TRUE(f->Changes.empty());
    later->ClearItems();
    for (const wchar_t* s : {L"a", L"b", L"c"}) later->AddItem()->SetCaption(s);
    EXPECT_EQ(later->GetIndex(), -1);
    later->Setindex(1);
    EXPECT_EQ(f->Changes, std::vector<TObject*>{later->GetItem(1)});
    later->GetItem(1)->SetCaption(L"renamed");  // no longer changes the shown text
    EXPECT_EQ(later->GetText(), L"b");
    b->AddItem()->SetCaption(L"x");
    EXPECT_EQ(b->GetIndex(), -1);
    b->SetIndex(0);
    b->AddItem()->SetCaption(L"y");
    EXPECT_EQ(b->GetIndex(), 0);
    EXPECT_EQ(f->Changes.size(), 2u);
}

// The program's own text, index or refill ends the wait: items added later select nothing and the
// program's text stays.
TEST_F(FormDescriptionTest, ComboIndexStopsWaitingOnceTheProgramSetsTheTextOrIndexOrClearsTheItems) {
    const std::pair<const char*, std::function<void(TVeskCombobox*)>> actions[] = {
        {"SetText", [](TVeskCombobox* b) { b->SetText(L"own"); }},
        {"ClearItems", [](TVeskCombobox* b) { b->AddItem()->SetCaption(L"x"), b->ClearItems(); }},
        {"SetIndex(-1)", [](TVeskCombobox* b) { b->SetIndex(-1); }},
        {"SetIndex(5)", [](TVeskCombobox* b) { b->SetIndex(5); }},
    };
    for (const auto& [name, act] : actions) {
        auto* f = Make<TFgDragForm>();
        TVeskCombobox* b = f->cbOverruled;  // index 1 from the description, no items yet
        act(b);
        const std::wstring text = b->GetText();
        for (const wchar_t* s : {L"a", L"b"}) b->AddItem()->SetCaption(s);
        EXPECT_EQ(b->GetIndex(), -1) << name;
        EXPECT_EQ(b->GetText(), text) << name;
        EXPECT_TRUE(f->Changes.empty()) << name;
    }
}
