// Windows built from form descriptions: every kind of value reaches its property, references
// (forward, and into another form) resolve, pictures come from resources, handlers bind in the
// class being created (also from the inherited description), and the load order holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "fg_forms.h"
#include "skin_support.h"
#include "window_test.h"

using namespace fw;
using testsupport::Narrow;

namespace {

int IndexIn(const std::vector<std::wstring>& v, const std::wstring& s, size_t from = 0) {
    for (size_t i = from; i < v.size(); ++i)
        if (v[i] == s) return static_cast<int>(i);
    return -1;
}

bool SamePixels(TPngImage* a, TPngImage* b) {
    if (!a || !b || a->GetWidth() != b->GetWidth() || a->GetHeight() != b->GetHeight()) return false;
    TBitmap32 sa, sb;
    auto render = [](TPngImage* png, TBitmap32& into) {
        into.SetSize(png->GetWidth(), png->GetHeight());
        into.Clear(0xFF102030);
        png->Draw(into.GetCanvas(), Rect(0, 0, png->GetWidth(), png->GetHeight()));
    };
    render(a, sa);
    render(b, sb);
    for (int y = 0; y < a->GetHeight(); ++y)
        for (int x = 0; x < a->GetWidth(); ++x)
            if (sa.GetPixel(x, y) != sb.GetPixel(x, y)) return false;
    return true;
}

// The line of a test description holding `text` (1-based), so that expectations follow the file.
int DescriptionLine(const wchar_t* file, const std::string& text) {
    std::ifstream in(Narrow(testsupport::SourceDir() + L"\\tests\\formgen\\forms\\" + file));
    std::string line;
    for (int n = 1; std::getline(in, line); ++n)
        if (line.find(text) != std::string::npos) return n;
    return -1;
}

class FormDescriptionTest : public testsupport::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        FgLog().clear();
    }
    void TearDown() override {
        for (TForm* f : made) f->Free();
        WindowTest::TearDown();
    }
    template <class T>
    T* Make() {
        T* f = TForm::CreateForm<T>(Application);
        made.push_back(f);
        return f;
    }
    void Forget(TForm* f) { made.erase(std::remove(made.begin(), made.end(), f), made.end()); }
    std::vector<TForm*> made;
};

TEST_F(FormDescriptionTest, FormLevelValuesIncludingTheInheritedOnes) {
    Make<TFgOtherForm>();
    auto* f = Make<TFgAllForm>();
    EXPECT_EQ(f->GetName(), L"fgAll");
    EXPECT_EQ(f->GetClientWidth(), 411);
    EXPECT_EQ(f->GetCaption(), L"All kinds \u263A of values");
    EXPECT_EQ(f->GetFormStyle(), fsStayOnTop);
    EXPECT_FALSE(f->GetIcon()->GetEmpty());
    // From the base description.
    EXPECT_EQ(f->GetBorderIcons(), 0u);
    EXPECT_EQ(f->GetColor(), clWindow);
    EXPECT_EQ(f->GetFont()->GetColor(), clNavy);
    // The inherited component exists in the derived window, with the derived value applied last.
    ASSERT_NE(f->lblTitle, nullptr);
    EXPECT_EQ(f->lblTitle->GetTitle(), L"Derived title");
    EXPECT_EQ(f->lblTitle->GetCount(), 1);
    EXPECT_EQ(f->lblTitle->GetParent(), f);
    EXPECT_EQ(f->lblTitle->GetOwner(), f);
    EXPECT_EQ(f->FindComponent(L"lblTitle"), f->lblTitle);
}

TEST_F(FormDescriptionTest, ComponentValuesOfEveryKind) {
    auto* other = Make<TFgOtherForm>();
    auto* f = Make<TFgAllForm>();
    TFgWidget* w = f->wTop;
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->GetBoundsRect(), Bounds(10, 30, 279, 106));
    EXPECT_EQ(w->GetAnchors(), static_cast<TAnchors>(akTop | akRight));
    EXPECT_EQ(w->GetCount(), -42);
    EXPECT_EQ(w->GetShade(), 0x004E4640);
    EXPECT_EQ(static_cast<uint32_t>(w->GetColor()), 0x80000005u);
    EXPECT_EQ(w->GetOptions(), static_cast<TFgOptions>(foFirst | foThird));
    EXPECT_EQ(w->GetMode(), fmBusy);
    EXPECT_TRUE(w->GetFlag());
    EXPECT_EQ(w->GetTitle(), L"It's a \"test\" \\ ok");
    // Paths into owned objects and into a record.
    EXPECT_EQ(w->GetFont()->GetStyle(), static_cast<TFontStyles>(fsBold | fsItalic));
    EXPECT_EQ(w->GetFont()->GetHeight(), -12);
    EXPECT_FALSE(w->GetParentFont());
    EXPECT_EQ(w->GetStyle()->GetWeight(), 7);
    EXPECT_EQ(w->GetStyle()->GetFont()->GetName(), L"Courier New");
    EXPECT_EQ(w->GetMargins().Top, 20);
    // String list.
    ASSERT_EQ(w->GetLines()->Count(), 3);
    EXPECT_EQ(w->GetLines()->Get(0), L"first line");
    EXPECT_EQ(w->GetLines()->Get(1), L"second \u00E4 line");
    EXPECT_EQ(w->GetLines()->Get(2), L"");
    // Pictures from resources.
    auto clock1 = testsupport::Skin(L"clock1");
    ASSERT_GT(clock1->GetWidth(), 0);
    EXPECT_TRUE(SamePixels(w->GetGlyph(), clock1.get()));
    auto* bmp = dynamic_cast<TBitmap*>(w->GetPicture()->GetGraphic());
    ASSERT_NE(bmp, nullptr) << "a BMP resource is a bitmap by its signature";
    EXPECT_EQ(bmp->GetWidth(), 3);
    EXPECT_EQ(bmp->GetHeight(), 2);
    // References: forward, backward, and into the other form.
    EXPECT_EQ(w->GetPartner(), f->wLater);
    EXPECT_EQ(f->wLater->GetPartner(), w);
    EXPECT_EQ(w->GetPeer(), f->store1);
    EXPECT_EQ(f->wLater->GetPeer(), other->store1);
    EXPECT_EQ(f->wLater->GetOptions(), 0u);
    // Character codes of a surrogate pair make the one character they encode.
    EXPECT_EQ(f->wLater->GetTitle(), L"smile \U0001F600 and \U0001F600");
    // A windowless control standing on a windowed custom control.
    ASSERT_NE(f->mark1, nullptr);
    EXPECT_EQ(f->mark1->GetParent(), w);
    EXPECT_EQ(f->mark1->GetBoundsRect(), Bounds(2, 3, 10, 12));
    // A non-visual component has no parent but is owned.
    EXPECT_EQ(f->store1->GetOwner(), f);
}

TEST_F(FormDescriptionTest, CollectionItemsWithPicturesInOrder) {
    Make<TFgOtherForm>();
    auto* f = Make<TFgAllForm>();
    auto* items = f->store1->GetItems();
    ASSERT_EQ(items->Count(), 3);
    auto clock0 = testsupport::Skin(L"clock0"), clock2 = testsupport::Skin(L"clock2");
    EXPECT_TRUE(SamePixels(dynamic_cast<TPngImage*>(items->GetItem(0)->GetPicture()->GetGraphic()), clock0.get()));
    EXPECT_NE(dynamic_cast<TBitmap*>(items->GetItem(1)->GetPicture()->GetGraphic()), nullptr);
    EXPECT_TRUE(SamePixels(dynamic_cast<TPngImage*>(items->GetItem(2)->GetPicture()->GetGraphic()), clock2.get()));
    EXPECT_EQ(items->GetItem(1)->GetTag(), -3);
    EXPECT_EQ(items->GetItem(0)->GetComment(), L"first");
}

TEST_F(FormDescriptionTest, HandlersBindInTheClassBeingCreated) {
    Make<TFgOtherForm>();
    auto* f = Make<TFgAllForm>();
    // The base description's OnCreate = FormCreate reaches the derived class's member.
    EXPECT_EQ(f->CreatedBy, L"TFgAllForm::FormCreate");
    // A plain event field.
    TNotifyEvent ping = f->wTop->OnPing;
    ASSERT_TRUE(ping);
    ping(f->wTop);
    EXPECT_EQ(f->PingSender, f->wTop);
    // An event behind a setter, with a reference parameter.
    EXPECT_EQ(f->wTop->FireValue(5), 15);
    // A handler given to an inherited component by the derived description.
    ASSERT_TRUE(f->lblTitle->OnPing);
    f->lblTitle->OnPing(f->lblTitle);
    EXPECT_EQ(f->TitleClicks, 1);
    // Form events with a reference parameter.
    TCloseAction action = caHide;
    ASSERT_TRUE(f->OnClose);
    f->OnClose(f, action);
    EXPECT_EQ(action, caFree);
}

TEST_F(FormDescriptionTest, LoadingOrderAndFlags) {
    Make<TFgOtherForm>();
    FgLog().clear();
    auto* f = Make<TFgAllForm>();
    const auto log = FgLog();
    // Every property was set while its component was loading.
    for (TFgWidget* w : {f->lblTitle, f->wTop, f->wLater}) EXPECT_EQ(w->SetsOutsideLoading, 0) << Narrow(w->GetName());
    // Description order: the base's value first, then the derived one.
    int baseTitle = IndexIn(log, L"lblTitle.Title");
    ASSERT_GE(baseTitle, 0);
    EXPECT_GT(IndexIn(log, L"lblTitle.Title", baseTitle + 1), baseTitle);
    EXPECT_LT(IndexIn(log, L"wTop.Count"), IndexIn(log, L"wTop.Shade"));
    EXPECT_LT(IndexIn(log, L"wTop.Margins"), IndexIn(log, L"wTop.Glyph"));
    // References are set after the whole tree exists: after the last component was created and
    // its plain values were set.
    EXPECT_GT(IndexIn(log, L"wTop.Partner"), IndexIn(log, L"wLater.Options"));
    // Loaded in creation order, after every property, then OnCreate.
    std::vector<std::wstring> loaded;
    int firstLoaded = -1;
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].size() > 7 && log[i].ends_with(L".Loaded")) {
            loaded.push_back(log[i]);
            if (firstLoaded < 0) firstLoaded = static_cast<int>(i);
        }
    EXPECT_EQ(loaded, (std::vector<std::wstring>{L"lblTitle.Loaded", L"wTop.Loaded", L"mark1.Loaded", L"wLater.Loaded",
                                                 L"store1.Loaded"}));
    EXPECT_GT(firstLoaded, IndexIn(log, L"wLater.Peer"));
    EXPECT_EQ(IndexIn(log, L"OnCreate"), static_cast<int>(log.size()) - 1);
    EXPECT_TRUE(f->wTop->PartnerKnownAtLoaded);
    EXPECT_TRUE(f->MarkLoadedAtCreate);
    EXPECT_EQ(f->StateAtCreate & (csLoading | csReading), 0u);
    EXPECT_FALSE(f->wTop->IsLoading());
}

TEST_F(FormDescriptionTest, ReferenceIntoAFormCreatedLater) {
    ASSERT_EQ(desc::FindLiveForm(L"fgOther"), nullptr);
    auto* f = Make<TFgAllForm>();
    EXPECT_EQ(f->wLater->GetPeer(), nullptr);
    EXPECT_EQ(desc::PendingFormReferences(), 1);
    auto* other = Make<TFgOtherForm>();
    EXPECT_EQ(f->wLater->GetPeer(), other->store1);
    EXPECT_EQ(desc::PendingFormReferences(), 0);
    // The target form dies first: the reference is cleared through free notification.
    Forget(other);
    other->Free();
    EXPECT_EQ(f->wLater->GetPeer(), nullptr);
}

TEST_F(FormDescriptionTest, PendingReferenceOfADeadFormIsDropped) {
    auto* f = Make<TFgAllForm>();
    EXPECT_EQ(desc::PendingFormReferences(), 1);
    Forget(f);
    f->Free();
    EXPECT_EQ(desc::PendingFormReferences(), 0);
    auto* other = Make<TFgOtherForm>();
    EXPECT_EQ(other->store1->GetName(), L"store1");
}

TEST_F(FormDescriptionTest, SecondInstanceGetsAUniqueName) {
    Make<TFgOtherForm>();
    auto* a = Make<TFgAllForm>();
    auto* b = Make<TFgAllForm>();
    EXPECT_EQ(a->GetName(), L"fgAll");
    EXPECT_EQ(b->GetName(), L"fgAll_1");
    EXPECT_EQ(desc::FindLiveForm(L"fgAll"), a);
    EXPECT_NE(a->wTop, b->wTop);
    EXPECT_EQ(b->wTop->GetPartner(), b->wLater);
}

TEST_F(FormDescriptionTest, ALoadFailureNamesTheDescriptionLineAndLeavesNoForm) {
    int formsBefore = Screen->GetFormCount();
    std::wstring message;
    try {
        Make<TFgBrokenForm>();
        ADD_FAILURE() << "a PNG property accepted a bitmap";
    } catch (const EInvalidGraphic& e) {
        message = e.Message;
    }
    int line = DescriptionLine(L"fgBroken.form", "png:fgtest_bmp");
    ASSERT_GT(line, 0);
    EXPECT_NE(message.find(L"fgtest_bmp"), std::wstring::npos) << Narrow(message);
    EXPECT_NE(message.find(L"(fgBroken.form, line " + std::to_wstring(line) + L")"), std::wstring::npos)
        << Narrow(message);
    EXPECT_EQ(Screen->GetFormCount(), formsBefore);
}

TEST_F(FormDescriptionTest, FrameworkControlsFromADescription) {
    auto* f = Make<TFgStdForm>();
    // One value of each control class reaches it (every value kind is checked above).
    ASSERT_NE(f->pnlBottom, nullptr);
    EXPECT_EQ(f->lbl1->GetParent(), f->pnlBottom);
    EXPECT_EQ(f->cbDelay->GetItems()->Get(2), L"30 minutes");
    // The description gives the index before the items.
    EXPECT_EQ(f->cbDelay->GetItemIndex(), 1);
    EXPECT_EQ(f->edName->GetMaxLength(), 40);
    EXPECT_EQ(f->mmo1->GetText(), L"Anna\r\nBert");
    EXPECT_EQ(f->edTime->GetKind(), dtkTime);
    EXPECT_GT(f->imgClock->GetPicture()->GetWidth(), 0);
    EXPECT_EQ(f->tmr1->GetInterval(), 100u);
    EXPECT_EQ(f->dlgOpen1->GetOptions(), static_cast<TOpenOptions>(ofFileMustExist | ofPathMustExist));
    // Nothing fired while the window was read (the combo's index was set in the description).
    f->HandleNeeded();
    testsupport::Pump(30);
    EXPECT_EQ(f->DelayChanges, 0);
    EXPECT_EQ(f->cbDelay->GetItemIndex(), 1);
    // Handlers bound to the controls' events.
    SendMessageW(f->pnlBottom->GetHandle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(f->cbDelay->GetHandle()));
    EXPECT_EQ(f->DelayChanges, 1);
    f->edName->SetText(L"Other");
    EXPECT_EQ(f->NameChanges, 1);
    f->tmr1->SetEnabled(true);
    EXPECT_TRUE(testsupport::PumpMessagesUntil([&] { return f->Ticks > 0; }, 3000));
}

}  // namespace
