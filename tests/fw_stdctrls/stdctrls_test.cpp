// Standard controls over the Win32 ones: values round-trip, events come only from the user's actions, the
// label, image and panel paint what they hold, the file dialogs hand the right request to the system call.
#include <cmath>
#include <tuple>

#include "fw_dialogs.h"
#include "fw_stdctrls.h"
#include "window_test.h"

#include <commctrl.h>

using namespace fw;
using namespace testsupport;

namespace {

class StdCtrlsTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        form = NewForm(400, 300);
        form->HandleNeeded();
    }

    // What the parent receives when the user acts on a child: a notification it reflects.
    void Command(TWinControl* c, WORD code) {
        SendMessageW(form->GetHandle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c->GetHandle()), code),
                     reinterpret_cast<LPARAM>(c->GetHandle()));
    }
    LONG_PTR Style(TWinControl* c) { return GetWindowLongPtrW(c->GetHandle(), GWL_STYLE); }

    TForm* form = nullptr;
};

// --- Edit and memo ---------------------------------------------------------------------------

TEST_F(StdCtrlsTest, EditTextRoundTripsAndTypingFiresOnChange) {
    auto* ed = new TEdit(form);
    ed->SetText(L"\u00e9t\u00e9 \u263A");
    ed->SetParent(form);
    wchar_t buf[64] = {};
    GetWindowTextW(ed->GetHandle(), buf, 64);
    EXPECT_STREQ(buf, L"\u00e9t\u00e9 \u263A");
    int changes = 0;
    std::wstring seen;
    ed->OnChange = [&](TObject* s) {
        ++changes;
        seen = static_cast<TEdit*>(s)->GetText();
    };
    SendMessageW(ed->GetHandle(), EM_SETSEL, 0, -1);
    SendMessageW(ed->GetHandle(), WM_CHAR, L'x', 0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seen, L"x");
    // A key-press handler may replace or swallow the character (the skinned combo box's edit).
    ed->OnKeyPress = [](TObject*, wchar_t& key) {
        if (key == L'a') key = L'Z';
        if (key == L'q') key = 0;
    };
    for (wchar_t c : std::wstring(L"aqb")) SendMessageW(ed->GetHandle(), WM_CHAR, c, 0);
    EXPECT_EQ(ed->GetText(), L"xZb");
    int exits = 0;  // leaving the edit (the combo box's edit hides then)
    ed->OnExit = [&](TObject*) { ++exits; };
    SendMessageW(ed->GetHandle(), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(exits, 1);
    // Read-only reaches the window both ways.
    ed->SetReadOnly(true);
    SendMessageW(ed->GetHandle(), WM_CHAR, L'y', 0);
    EXPECT_EQ(ed->GetText(), L"xZb");
    ed->SetReadOnly(false);
    EXPECT_FALSE(Style(ed) & ES_READONLY);
}

TEST_F(StdCtrlsTest, EditColoursAnswerTheParentsColourRequests) {
    auto* ed = new TEdit(form);
    ed->SetColor(0x00336699);
    ed->GetFont()->SetColor(0x00112233);
    ed->SetParent(form);
    DibSurface s(4, 4);
    for (UINT msg : {WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC}) {
        LRESULT brush = SendMessageW(form->GetHandle(), msg, reinterpret_cast<WPARAM>(s.Dc()),
                                     reinterpret_cast<LPARAM>(ed->GetHandle()));
        ASSERT_NE(brush, 0);
        LOGBRUSH lb{};
        GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof(lb), &lb);
        EXPECT_EQ(lb.lbColor, 0x00336699u);
        EXPECT_EQ(GetBkColor(s.Dc()), 0x00336699u);
        EXPECT_EQ(GetTextColor(s.Dc()), 0x00112233u);
    }
}

TEST_F(StdCtrlsTest, MemoLinesAreAViewOfTheText) {
    auto* m = new TMemo(form);
    m->GetLines()->Add(L"first");
    m->GetLines()->Add(L"second");
    m->SetScrollBars(ssVertical);
    m->SetParent(form);
    EXPECT_TRUE(Style(m) & WS_VSCROLL);
    EXPECT_EQ(SendMessageW(m->GetHandle(), EM_GETLINECOUNT, 0, 0), 2);
    m->GetLines()->Insert(1, L"middle");
    m->GetLines()->Delete(0);
    EXPECT_EQ(m->GetText(), L"middle\r\nsecond");
    // A final line break adds no line.
    m->SetText(L"x\r\ny\r\n");
    EXPECT_EQ(m->GetLines()->Count(), 2);
}

// --- Combo box -------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, ComboItemsAndIndexRoundTripThroughTheWindow) {
    auto* cb = new TComboBox(form);
    cb->SetStyle(csDropDownList);
    for (const wchar_t* s : {L"5 minutes", L"10 minutes", L"1 hour"}) cb->GetItems()->Add(s);
    cb->SetItemIndex(1);
    // The index follows item changes made before the window exists.
    cb->GetItems()->Insert(0, L"30 seconds");
    EXPECT_EQ(cb->GetItemIndex(), 2);
    cb->SetParent(form);
    HWND h = cb->GetHandle();
    EXPECT_EQ(SendMessageW(h, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), 2);
    cb->GetItems()->Delete(3);
    wchar_t text[64] = {};
    SendMessageW(h, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"10 minutes");
    cb->SetItemIndex(7);
    EXPECT_EQ(cb->GetItemIndex(), -1);
}

TEST_F(StdCtrlsTest, ComboOnChangeOnlyFromTheUsersSelectionAndMayFreeTheBox) {
    auto* cb = new TComboBox(form);
    cb->SetStyle(csDropDownList);
    for (const wchar_t* s : {L"a", L"b", L"c"}) cb->GetItems()->Add(s);
    cb->SetParent(form);
    int changes = 0;
    int indexSeen = -2;
    cb->OnChange = [&](TObject*) {
        ++changes;
        indexSeen = cb->GetItemIndex();
    };
    // Selecting in code (as a window's creation does) must not look like the user's choice.
    cb->SetItemIndex(0);
    cb->SetItemIndex(2);
    Pump(50);
    EXPECT_EQ(changes, 0);
    // The user's choice: the box selects, then tells its parent.
    SendMessageW(cb->GetHandle(), CB_SETCURSEL, 1, 0);
    Command(cb, CBN_SELCHANGE);
    Command(cb, CBN_DROPDOWN);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(indexSeen, 1);
    const int before = form->GetComponentCount();
    cb->OnChange = [](TObject* s) { static_cast<TComboBox*>(s)->Free(); };
    Command(cb, CBN_SELCHANGE);
    EXPECT_EQ(form->GetComponentCount(), before - 1);
}

// Moving a control onto another parent makes a new window: what the user entered into the old
// one (typed text, chosen item, picked date) must not be lost with it.
TEST_F(StdCtrlsTest, UserValuesSurviveANewWindowOnAnotherParent) {
    auto* pnl = new TPanel(form);
    pnl->SetParent(form);
    auto* ed = new TEdit(form);
    ed->SetText(L"from code");
    auto* cb = new TComboBox(form);
    cb->SetStyle(csDropDownList);
    for (const wchar_t* s : {L"a", L"b", L"c"}) cb->GetItems()->Add(s);
    cb->SetItemIndex(0);
    auto* dt = new TDateTimePicker(form);
    dt->SetDateTime(EncodeDate(2024, 3, 5));
    for (TWinControl* c : std::initializer_list<TWinControl*>{ed, cb, dt}) c->SetParent(form);
    // The user's changes reach only the system windows.
    HWND oldEdit = ed->GetHandle();
    SendMessageW(oldEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed by the user"));
    SendMessageW(cb->GetHandle(), CB_SETCURSEL, 2, 0);
    SYSTEMTIME st = DateTimeToSystemTime(EncodeDate(2027, 8, 9));
    SendMessageW(dt->GetHandle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    for (TWinControl* c : std::initializer_list<TWinControl*>{ed, cb, dt}) c->SetParent(pnl);
    EXPECT_FALSE(IsWindow(oldEdit));
    EXPECT_EQ(ed->GetText(), L"typed by the user");
    EXPECT_EQ(cb->GetItemIndex(), 2);
    EXPECT_EQ(dt->GetDate(), EncodeDate(2027, 8, 9));
    // And the new windows show them.
    EXPECT_EQ(SendMessageW(cb->GetHandle(), CB_GETCURSEL, 0, 0), 2);
}

// --- Date-time picker ------------------------------------------------------------------------

class PickerTest : public StdCtrlsTest {
protected:
    void SetUp() override {
        StdCtrlsTest::SetUp();
        today = EncodeDate(2024, 3, 5);
        oldClock = SetClock([this] { return today + EncodeTime(9, 30, 0, 0); });
    }
    void TearDown() override {
        SetClock(oldClock);
        StdCtrlsTest::TearDown();
    }
    TDateTime today = 0;
    TClockFunc oldClock;
};

TEST_F(PickerTest, TimePickerGetsTodaysDateAndYieldsTheTimeOfDay) {
    auto* p = new TDateTimePicker(form);
    p->SetKind(dtkTime);
    p->SetParent(form);
    EXPECT_TRUE(Style(p) & DTS_UPDOWN) << "a time picker has the up-down arrows";
    const TDateTime t = EncodeTime(14, 7, 9, 0);
    p->SetTime(t);
    EXPECT_NEAR(p->GetTime(), t, 1.0 / MSecsPerDay);
    // Never day 0: the control is given today's date with the time of day.
    EXPECT_EQ(std::floor(p->GetDateTime()), today);
    SYSTEMTIME st{};
    SendMessageW(p->GetHandle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
    EXPECT_EQ(std::make_tuple(st.wYear, st.wHour, st.wMinute), std::make_tuple(2024, 14, 7));
    // A bare time given as the whole value goes with today too.
    p->SetDateTime(EncodeTime(6, 0, 0, 0));
    EXPECT_NEAR(p->GetDateTime(), today + 0.25, 1.0 / MSecsPerDay);
}

// Days before 30 Dec 1899 are negative values whose time of day counts away from zero: the day
// and the time must be taken apart the way the date routines do, not by rounding down.
TEST_F(PickerTest, DaysBeforeTheEpochSplitIntoTheRightDayAndTime) {
    auto* p = new TDateTimePicker(form);
    const TDateTime day = EncodeDate(1899, 12, 29);
    const TDateTime value = EncodeDateTime(1899, 12, 29, 18, 0, 0, 0);
    ASSERT_LT(value, 0);
    p->SetDateTime(value);
    EXPECT_EQ(p->GetDate(), day);
    EXPECT_NEAR(p->GetTime(), 0.75, 1.0 / MSecsPerDay);
    p->SetParent(form);
    SYSTEMTIME st{};
    ASSERT_EQ(SendMessageW(p->GetHandle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)), GDT_VALID);
    EXPECT_EQ(st.wDay, 29);
    EXPECT_EQ(st.wHour, 18);
    EXPECT_EQ(p->GetDate(), day);
    // Changing one part keeps the other.
    p->SetTime(EncodeTime(6, 30, 0, 0));
    EXPECT_EQ(p->GetDate(), day);
    EXPECT_NEAR(p->GetTime(), EncodeTime(6, 30, 0, 0), 1.0 / MSecsPerDay);
    p->SetDate(EncodeDate(1899, 12, 28));
    EXPECT_EQ(p->GetDate(), EncodeDate(1899, 12, 28));
    EXPECT_NEAR(p->GetTime(), EncodeTime(6, 30, 0, 0), 1.0 / MSecsPerDay);
}

// --- Label, image, panel ---------------------------------------------------------------------

TEST_F(StdCtrlsTest, LabelSizesItselfToTextAndFontKeepingARightEdge) {
    auto* l = new TLabel(form);
    l->SetParent(form);
    l->SetCaption(L"Hi");
    int shortW = l->GetWidth(), oneLineH = l->GetHeight();
    l->SetCaption(L"Hi there, a much longer text");
    EXPECT_GT(l->GetWidth(), shortW);
    EXPECT_EQ(l->GetHeight(), oneLineH);
    l->GetFont()->SetHeight(-30);
    EXPECT_GT(l->GetHeight(), oneLineH);

    auto* r = new TLabel(form);
    r->SetParent(form);
    r->SetAlignment(taRightJustify);
    r->SetCaption(L"Remind me in:");
    r->SetLeft(200 - r->GetWidth());
    r->SetCaption(L"Please remind me again in:");
    EXPECT_EQ(r->GetLeft() + r->GetWidth(), 200);
}

TEST_F(StdCtrlsTest, LabelPaintsItsColourUnlessTransparentAndItsText) {
    auto* l = new TLabel(form);
    l->SetAutoSize(false);
    l->SetBounds(10, 10, 40, 20);
    l->SetColor(clRed);
    l->SetParent(form);
    EXPECT_EQ(Render(form)->Color(30, 20), static_cast<COLORREF>(RGB(255, 0, 0)));
    EXPECT_TRUE(l->GetControlStyle() & csOpaque);
    l->SetTransparent(true);
    EXPECT_EQ(Render(form)->Color(30, 20), static_cast<COLORREF>(RGB(255, 255, 255)));
    EXPECT_FALSE(l->GetControlStyle() & csOpaque);
    // No colour: nothing is filled, so the label cannot claim to cover its rectangle.
    l->SetTransparent(false);
    l->SetColor(clNone);
    EXPECT_FALSE(l->GetControlStyle() & csOpaque);
    EXPECT_EQ(Render(form)->Color(30, 20), static_cast<COLORREF>(RGB(255, 255, 255)));
    l->GetFont()->SetColor(clBlue);
    l->GetFont()->SetHeight(-20);
    l->SetCaption(L"WWW");
    EXPECT_GT(Render(form)->CountColor(RECT{10, 10, 50, 30}, RGB(0, 0, 255)), 20);
}

TEST_F(StdCtrlsTest, ImageDrawsItsPictureAtItsOwnSizeOrStretched) {
    auto* img = AddControl<TImage>(form, 20, 20, 40, 40);
    TBitmap bmp;
    bmp.SetSize(4, 4);
    bmp.GetCanvas()->GetBrush()->SetColor(clLime);
    bmp.GetCanvas()->FillRect(Rect(0, 0, 4, 4));
    TPicture pic;
    pic.SetGraphic(&bmp);
    img->SetPicture(&pic);
    auto s = Render(form);
    EXPECT_EQ(s->Color(23, 23), static_cast<COLORREF>(RGB(0, 255, 0)));
    EXPECT_EQ(s->Color(24, 24), static_cast<COLORREF>(RGB(255, 255, 255))) << "drawn at its own size";
    img->SetStretch(true);
    s = Render(form);
    EXPECT_EQ(s->Color(59, 59), static_cast<COLORREF>(RGB(0, 255, 0)));
    EXPECT_EQ(s->Color(60, 60), static_cast<COLORREF>(RGB(255, 255, 255)));
}

TEST_F(StdCtrlsTest, PanelErasesWithItsColourAndClipsItsChildren) {
    auto* p = AddControl<TPanel>(form, 10, 10, 100, 50);
    p->SetColor(0x00804020);
    p->SetBevelOuter(bvNone);
    EXPECT_TRUE(Style(p) & WS_CLIPCHILDREN);
    DibSurface s(100, 50);
    p->PaintTo(s.Dc(), 0, 0);
    EXPECT_EQ(s.Color(0, 0), 0x00804020u);
    EXPECT_EQ(s.Color(99, 49), 0x00804020u);
}

// --- File dialogs ----------------------------------------------------------------------------

struct DialogSeam {
    explicit DialogSeam(TFileDialogFunc f) { old = SetFileDialogHandler(std::move(f)); }
    ~DialogSeam() { SetFileDialogHandler(old); }
    TFileDialogFunc old;
};

std::vector<std::wstring> FilterParts(const wchar_t* f) {
    std::vector<std::wstring> parts;
    while (f && *f) {
        parts.emplace_back(f);
        f += parts.back().size() + 1;
    }
    return parts;
}

// What the dialog hands to the system call, and what it keeps of the answer (the save dialog's
// request is checked by the program's backup test). The restore dialog is given its default
// extension with the dot; the system call must get it without, or a typed name comes back with a
// doubled dot.
TEST_F(StdCtrlsTest, FileDialogHandsItsRequestToTheSystemCallAndTakesTheAnswer) {
    auto* dlg = new TOpenDialog(form);
    dlg->SetFilter(L"Sound|*.mp3;*.wav|All|*.*");
    dlg->SetDefaultExt(L".dat");
    dlg->SetFileName(L"veskreminddata.dat");
    dlg->SetOptions(ofFileMustExist | ofReadOnly);
    OPENFILENAMEW seen{};
    std::vector<std::wstring> filter;
    std::wstring initial, defExt;
    bool answer = false;
    DialogSeam seam([&](OPENFILENAMEW& ofn, bool save) {
        EXPECT_FALSE(save);
        seen = ofn;
        filter = FilterParts(ofn.lpstrFilter);
        initial = ofn.lpstrFile;
        defExt = ofn.lpstrDefExt ? ofn.lpstrDefExt : L"(none)";
        wcscpy_s(ofn.lpstrFile, ofn.nMaxFile, L"C:\\backup\\mine.dat");
        return answer;
    });
    // Cancelled: the file name stays.
    EXPECT_FALSE(dlg->Execute());
    EXPECT_EQ(filter, (std::vector<std::wstring>{L"Sound", L"*.mp3;*.wav", L"All", L"*.*"}));
    EXPECT_EQ(initial, L"veskreminddata.dat");
    EXPECT_EQ(defExt, L"dat");
    EXPECT_EQ(dlg->GetDefaultExt(), L".dat");
    EXPECT_EQ(seen.Flags & (OFN_FILEMUSTEXIST | OFN_READONLY | OFN_OVERWRITEPROMPT),
              DWORD(OFN_FILEMUSTEXIST | OFN_READONLY));
    EXPECT_TRUE(IsWindow(seen.hwndOwner));
    EXPECT_EQ(dlg->GetFileName(), L"veskreminddata.dat");
    answer = true;
    dlg->SetDefaultExt(L"");
    EXPECT_TRUE(dlg->Execute());
    EXPECT_EQ(defExt, L"(none)");
    EXPECT_EQ(dlg->GetFileName(), L"C:\\backup\\mine.dat");
}

}  // namespace
