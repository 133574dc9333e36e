// The tray icon: what it hands to the shell, how the shell's callbacks become events, and its
// hidden window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VeskDrawing.h"
#include "QimImageList.h"
#include "VeskTrayIcon.h"
#include "fw_forms.h"
#include "test_support.h"

namespace {

struct ShellCall {
    DWORD Action;
    NOTIFYICONDATAW Data;
};

std::vector<ShellCall>& Calls() {
    static std::vector<ShellCall> calls;
    return calls;
}

BOOL WINAPI RecordShellCall(DWORD Message, PNOTIFYICONDATAW Data) {
    ShellCall c{Message, *Data};
    Calls().push_back(c);
    return TRUE;
}

int CountCalls(DWORD Action) {
    int n = 0;
    for (const auto& c : Calls())
        if (c.Action == Action) ++n;
    return n;
}

// Exposes the animation step, which the timer runs once a second.
class TTestTrayIcon : public TVeskTrayIcon {
public:
    using TVeskTrayIcon::TVeskTrayIcon;
    void Animate() { DoOnAnimate(GetAnimateTimer()); }
    using TVeskTrayIcon::Notify;
};

// One of the program's own PNG lists with three 16 x 16 images, red, green and blue, whose top-left
// pixel is transparent.
template <class List>
List* ColourList(fw::TComponent* Owner) {
    auto* list = new List(Owner);
    for (fw::TColor c : {fw::clRed, fw::clLime, fw::clBlue}) {
        TPngPtr png = CreateColorPng(16, 16, c, 255);
        png->AlphaScanline(0)[0] = 0;
        list->GetItems()->Add()->SetPng(png.get());
    }
    return list;
}

// Pixel (X, Y) of an icon's colour image as 0xAARRGGBB.
uint32_t IconPixel(HICON Icon, int X, int Y) {
    ICONINFO ii{};
    if (!Icon || !GetIconInfo(Icon, &ii)) return 0;
    BITMAP bm{};
    GetObjectW(ii.hbmColor, sizeof(bm), &bm);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> bits(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight));
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, ii.hbmColor, 0, static_cast<UINT>(bm.bmHeight), bits.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    return bits.at(static_cast<size_t>(Y * bm.bmWidth + X));
}

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

class TMenuForm : public fw::TForm {
public:
    FW_CLASSNAME(TMenuForm)
    TMenuForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : fw::TForm(Key, AOwner) {}
};

// The program's own popup menu, on a form of its own (its level windows need one), with one item.
TVeskPopupMenu* NewMenu(fw::TComponent* Owner) {
    auto* form = fw::TForm::CreateNew<TMenuForm>(Owner);
    auto* menu = new TVeskPopupMenu(form);
    auto* item = new TVeskMenuItem();
    item->SetCaption(L"Open");
    menu->InsertItem(item);
    return menu;
}

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        Calls().clear();
        FOldProc = ShellNotifyIconProc;
        ShellNotifyIconProc = RecordShellCall;
        FOldTitle = fw::Application->GetTitle();
        fw::Application->SetTitle(L"Tray Test");
        FOwner = new fw::TComponent(nullptr);
        Tray = new TTestTrayIcon(FOwner);
    }
    void TearDown() override {
        FOwner->Free();
        ShellNotifyIconProc = FOldProc;
        fw::Application->SetTitle(FOldTitle);
    }
    HWND Window() const { return Tray->GetData().hWnd; }
    // The shell's callback as it arrives at the hidden window.
    void Callback(UINT MouseMessage) { SendMessageW(Window(), WM_USER + 1, Tray->GetData().uID, MouseMessage); }

    TTestTrayIcon* Tray = nullptr;
    fw::TComponent* FOwner = nullptr;

private:
    TShellNotifyIconProc FOldProc = nullptr;
    std::wstring FOldTitle;
};

TEST_F(TrayIconTest, CreationFillsTheBlockWithoutTouchingTheShell) {
    const NOTIFYICONDATAW& d = Tray->GetData();
    EXPECT_EQ(d.cbSize, 936u);
    ASSERT_NE(d.hWnd, nullptr);
    EXPECT_TRUE(IsWindow(d.hWnd));
    EXPECT_EQ(d.uID, static_cast<UINT>(reinterpret_cast<UINT_PTR>(d.hWnd)));
    EXPECT_EQ(d.uCallbackMessage, 0x401u);
    EXPECT_EQ(d.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(std::wstring(d.szTip), L"Tray Test");
    EXPECT_EQ(d.uTimeout, 3000u);
    EXPECT_FALSE(Tray->GetVisible());
    EXPECT_TRUE(Calls().empty());
}

TEST_F(TrayIconTest, AnEmptyTitleLeavesTheTipFlagOff) {
    fw::Application->SetTitle(L"");
    auto* other = new TVeskTrayIcon(FOwner);
    EXPECT_EQ(other->GetData().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(other->GetData().szTip[0], L'\0');
}

struct FindTopLevel {
    HWND Target;
    bool Found;
};

BOOL CALLBACK FindTopLevelProc(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<FindTopLevel*>(lp);
    if (h == f->Target) f->Found = true;
    return TRUE;
}

TEST_F(TrayIconTest, HiddenWindowIsAnInvisibleTopLevelWindow) {
    HWND w = Window();
    // A message-only window would have HWND_MESSAGE's window as parent and would never see the
    // shell's "TaskbarCreated" broadcast.
    EXPECT_EQ(GetAncestor(w, GA_PARENT), GetDesktopWindow());
    EXPECT_FALSE(IsWindowVisible(w));
    // Top-level enumeration, which leaves message-only windows out.
    FindTopLevel find{w, false};
    EnumWindows(FindTopLevelProc, reinterpret_cast<LPARAM>(&find));
    EXPECT_TRUE(find.Found);
}

TEST_F(TrayIconTest, ShowingAddsTheIconOnceWithTheExecutablesIcon) {
    Tray->SetVisible(true);
    ASSERT_EQ(CountCalls(NIM_ADD), 1);
    const ShellCall* add = nullptr;
    for (const auto& c : Calls())
        if (c.Action == NIM_ADD) add = &c;
    EXPECT_EQ(add->Data.hWnd, Window());
    EXPECT_EQ(add->Data.uCallbackMessage, 0x401u);
    EXPECT_EQ(add->Data.cbSize, 936u);
    // Without an Icon of its own the executable's small icon is shown, not the application's
    // icon of the default size.
    EXPECT_NE(add->Data.hIcon, nullptr);
    EXPECT_EQ(add->Data.hIcon, Tray->GetCurrentIcon()->GetHandle());
    EXPECT_EQ(Tray->GetCurrentIcon()->GetWidth(), GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(Tray->GetCurrentIcon()->GetHeight(), GetSystemMetrics(SM_CYSMICON));
    EXPECT_NE(Tray->GetCurrentIcon()->GetWidth(), fw::Application->GetIcon()->GetWidth());

    Tray->SetVisible(true);
    EXPECT_EQ(CountCalls(NIM_ADD), 1);

    Tray->SetVisible(false);
    EXPECT_EQ(CountCalls(NIM_DELETE), 1);
    EXPECT_EQ(Calls().back().Action, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(Calls().back().Data.uID, Tray->GetData().uID);
}

TEST_F(TrayIconTest, AnIconOfItsOwnIsShownInsteadOfTheExecutables) {
    fw::TIcon own;
    own.SetHandle(CopyIcon(LoadIconW(nullptr, IDI_WARNING)));
    Tray->SetIcon(&own);
    Tray->SetVisible(true);
    ASSERT_EQ(CountCalls(NIM_ADD), 1);
    ICONINFO a{}, b{};
    ASSERT_TRUE(GetIconInfo(Calls().back().Data.hIcon, &a));
    ASSERT_TRUE(GetIconInfo(own.GetHandle(), &b));
    BITMAP ba{}, bb{};
    GetObjectW(a.hbmColor ? a.hbmColor : a.hbmMask, sizeof(ba), &ba);
    GetObjectW(b.hbmColor ? b.hbmColor : b.hbmMask, sizeof(bb), &bb);
    EXPECT_EQ(ba.bmWidth, bb.bmWidth);
    EXPECT_EQ(ba.bmHeight, bb.bmHeight);
    for (HBITMAP h : {a.hbmColor, a.hbmMask, b.hbmColor, b.hbmMask})
        if (h) DeleteObject(h);
    // A copy: the component's icon is not the caller's handle.
    EXPECT_NE(Tray->GetCurrentIcon()->GetHandle(), own.GetHandle());
}

TEST_F(TrayIconTest, HintIsCutTo127CharactersAndSentWhenVisible) {
    Tray->SetVisible(true);
    Calls().clear();
    std::wstring longHint;
    for (int i = 0; i < 200; ++i) longHint += static_cast<wchar_t>(L'a' + i % 26);
    Tray->SetHint(longHint);
    EXPECT_EQ(Tray->GetHint(), longHint);
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].Action, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(std::wstring(Calls()[0].Data.szTip), longHint.substr(0, 127));
    EXPECT_NE(Calls()[0].Data.uFlags & NIF_TIP, 0u);

    // The same text again changes nothing.
    Tray->SetHint(longHint);
    EXPECT_EQ(Calls().size(), 1u);

    Tray->SetHint(L"");
    ASSERT_EQ(Calls().size(), 2u);
    EXPECT_EQ(Calls()[1].Data.uFlags & NIF_TIP, 0u);
    EXPECT_EQ(Calls()[1].Data.szTip[0], L'\0');

    Tray->SetHint(L"Vesk Reminder");
    EXPECT_EQ(std::wstring(Calls().back().Data.szTip), L"Vesk Reminder");
    EXPECT_NE(Calls().back().Data.uFlags & NIF_TIP, 0u);
}

TEST_F(TrayIconTest, HintOfAHiddenIconWaitsForTheAdd) {
    Tray->SetHint(L"Later");
    EXPECT_TRUE(Calls().empty());
    Tray->SetVisible(true);
    ASSERT_EQ(CountCalls(NIM_ADD), 1);
    EXPECT_EQ(std::wstring(Calls().back().Data.szTip), L"Later");
}

struct EventLog {
    std::vector<std::wstring> Events;
    fw::TMouseButton LastButton = fw::mbLeft;
    fw::TShiftState LastShift;
    int X = -1, Y = -1;
    fw::TObject* LastSender = nullptr;
};

void Attach(TVeskTrayIcon* t, EventLog& log) {
    t->OnClick = [&log](fw::TObject* s) {
        log.Events.push_back(L"click");
        log.LastSender = s;
    };
    t->OnDblClick = [&log](fw::TObject* s) {
        log.Events.push_back(L"dblclick");
        log.LastSender = s;
    };
    t->OnMouseDown = [&log](fw::TObject* s, fw::TMouseButton b, fw::TShiftState sh, int x, int y) {
        log.Events.push_back(L"down");
        log.LastButton = b;
        log.LastShift = sh;
        log.X = x;
        log.Y = y;
        log.LastSender = s;
    };
    t->OnMouseUp = [&log](fw::TObject* s, fw::TMouseButton b, fw::TShiftState sh, int x, int y) {
        log.Events.push_back(L"up");
        log.LastButton = b;
        log.LastShift = sh;
        log.X = x;
        log.Y = y;
        log.LastSender = s;
    };
    t->OnMouseMove = [&log](fw::TObject* s, fw::TShiftState sh, int x, int y) {
        log.Events.push_back(L"move");
        log.LastShift = sh;
        log.X = x;
        log.Y = y;
    };
    t->OnBalloonClick = [&log](fw::TObject*) { log.Events.push_back(L"balloon"); };
}

using Ev = std::vector<std::wstring>;

TEST_F(TrayIconTest, LeftClickFiresDownClickUp) {
    EventLog log;
    Attach(Tray, log);
    Callback(WM_LBUTTONDOWN);
    EXPECT_TRUE(Tray->GetClickPending());
    Callback(WM_LBUTTONUP);
    EXPECT_EQ(log.Events, (Ev{L"down", L"click", L"up"}));
    EXPECT_FALSE(Tray->GetClickPending());
    EXPECT_EQ(log.LastButton, fw::mbLeft);
    EXPECT_TRUE(log.LastShift.Contains(fw::ssLeft));
    EXPECT_EQ(log.LastSender, static_cast<fw::TObject*>(Tray));
    POINT pt{};
    GetCursorPos(&pt);
    EXPECT_EQ(log.X, pt.x);
    EXPECT_EQ(log.Y, pt.y);
}

TEST_F(TrayIconTest, DoubleClickGivesOneClickAndOneDoubleClick) {
    EventLog log;
    Attach(Tray, log);
    // The shell's order for a double click.
    Callback(WM_LBUTTONDOWN);
    Callback(WM_LBUTTONUP);
    Callback(WM_LBUTTONDBLCLK);
    Callback(WM_LBUTTONUP);
    EXPECT_EQ(log.Events, (Ev{L"down", L"click", L"up", L"dblclick", L"up"}));
}

TEST_F(TrayIconTest, ReleaseArrivingWhileTheClickIsHandledDoesNotClickAgain) {
    EventLog log;
    Attach(Tray, log);
    int clicks = 0;
    // The handler runs a message loop (a window shown, a box asked) in which the next release
    // arrives.
    Tray->OnClick = [&](fw::TObject*) {
        if (++clicks == 1) Callback(WM_LBUTTONUP);
    };
    Callback(WM_LBUTTONDOWN);
    Callback(WM_LBUTTONUP);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(Tray->GetClickPending());
}

TEST_F(TrayIconTest, DoubleClicksOfEveryButtonFireOnDblClick) {
    EventLog log;
    Attach(Tray, log);
    Callback(WM_RBUTTONDBLCLK);
    Callback(WM_MBUTTONDBLCLK);
    EXPECT_EQ(log.Events, (Ev{L"dblclick", L"dblclick"}));
}

TEST_F(TrayIconTest, ReleaseWithoutAPressGivesNoClick) {
    EventLog log;
    Attach(Tray, log);
    Callback(WM_LBUTTONUP);
    EXPECT_EQ(log.Events, (Ev{L"up"}));
}

TEST_F(TrayIconTest, PressWithoutAClickHandlerStaysPending) {
    EventLog log;
    Attach(Tray, log);
    Tray->OnClick = nullptr;
    Callback(WM_LBUTTONDOWN);
    Callback(WM_LBUTTONUP);
    EXPECT_TRUE(Tray->GetClickPending());
    // Assigned later, the next release clicks.
    Tray->OnClick = [&log](fw::TObject*) { log.Events.push_back(L"click"); };
    Callback(WM_LBUTTONUP);
    EXPECT_EQ(log.Events, (Ev{L"down", L"up", L"click", L"up"}));
}

TEST_F(TrayIconTest, ShiftStateComesFromTheKeyboard) {
    EventLog log;
    Attach(Tray, log);
    BYTE saved[256] = {};
    ASSERT_TRUE(GetKeyboardState(saved));
    BYTE keys[256];
    std::copy(std::begin(saved), std::end(saved), keys);
    keys[VK_SHIFT] = 0x80;
    keys[VK_CONTROL] = 0x80;
    keys[VK_MENU] = 0;
    SetKeyboardState(keys);
    Callback(WM_MBUTTONDOWN);
    SetKeyboardState(saved);
    EXPECT_EQ(log.LastShift, fw::ssShift | fw::ssCtrl | fw::ssMiddle);
    Callback(WM_MBUTTONDOWN);
    EXPECT_FALSE(log.LastShift.Contains(fw::ssShift));
}

TEST_F(TrayIconTest, RightAndMiddleButtonsReachMouseEvents) {
    EventLog log;
    Attach(Tray, log);
    Callback(WM_RBUTTONDOWN);
    EXPECT_EQ(log.LastButton, fw::mbRight);
    EXPECT_TRUE(log.LastShift.Contains(fw::ssRight));
    Callback(WM_RBUTTONUP);
    EXPECT_EQ(log.LastButton, fw::mbRight);
    EXPECT_TRUE(log.LastShift.Contains(fw::ssRight));
    Callback(WM_MBUTTONDOWN);
    EXPECT_EQ(log.LastButton, fw::mbMiddle);
    EXPECT_TRUE(log.LastShift.Contains(fw::ssMiddle));
    Callback(WM_MBUTTONUP);
    EXPECT_EQ(log.LastButton, fw::mbMiddle);
    Callback(WM_MOUSEMOVE);
    EXPECT_FALSE(log.LastShift.Contains(fw::ssLeft));
    EXPECT_EQ(log.Events, (Ev{L"down", L"up", L"down", L"up", L"move"}));
}

TEST_F(TrayIconTest, RightReleasePopsTheMenuUpAtTheCursor) {
    EventLog log;
    Attach(Tray, log);
    fw::Screen->SetWorkAreaRect(fw::TRect(-10000, -10000, 10000, 10000));  // no shifting
    TVeskPopupMenu* menu = NewMenu(FOwner);
    int popups = 0;
    menu->OnPopup = [&popups](fw::TObject*) { ++popups; };
    Tray->SetPopupMenu(menu);
    Callback(WM_RBUTTONUP);
    EXPECT_EQ(log.Events, (Ev{L"up"}));
    EXPECT_EQ(popups, 1);
    ASSERT_TRUE(menu->GetShown());
    EXPECT_EQ(menu->GetLevelForm(1)->GetLeft(), log.X);
    EXPECT_EQ(menu->GetLevelForm(1)->GetTop(), log.Y);
    // Other buttons leave the menu alone.
    Callback(WM_LBUTTONUP);
    Callback(WM_RBUTTONDOWN);
    EXPECT_EQ(popups, 1);
    menu->CloseMenu();
    fw::Screen->SetWorkAreaRect(fw::TRect());
}

TEST_F(TrayIconTest, FreedReferencesAreForgotten) {
    TVeskPopupMenu* menu = NewMenu(FOwner);
    auto* images = ColourList<TVeskStdImageList>(FOwner);
    Tray->SetPopupMenu(menu);
    Tray->SetIcons(images);
    menu->Free();
    images->Free();
    EXPECT_EQ(Tray->GetPopupMenu(), nullptr);
    EXPECT_EQ(Tray->GetIcons(), nullptr);
    // A right release after the menu went must not reach it.
    Callback(WM_RBUTTONUP);
}

TEST_F(TrayIconTest, TaskbarCreatedAddsAVisibleIconAgain) {
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    SendMessageW(Window(), taskbarCreated, 0, 0);
    EXPECT_EQ(CountCalls(NIM_ADD), 0);
    Tray->SetVisible(true);
    SendMessageW(Window(), taskbarCreated, 0, 0);
    EXPECT_EQ(CountCalls(NIM_ADD), 2);
    EXPECT_EQ(Calls().back().Action, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(Calls().back().Data.hIcon, Tray->GetCurrentIcon()->GetHandle());
}

TEST_F(TrayIconTest, EndingTheSessionRemovesTheIcon) {
    Tray->SetVisible(true);
    EXPECT_EQ(SendMessageW(Window(), WM_QUERYENDSESSION, 0, 0), 1);
    SendMessageW(Window(), WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(CountCalls(NIM_DELETE), 0);
    SendMessageW(Window(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(CountCalls(NIM_DELETE), 1);
}

TEST_F(TrayIconTest, OtherMessagesAnswerZero) {
    EXPECT_EQ(SendMessageW(Window(), WM_USER + 77, 1, 2), 0);
}

TEST_F(TrayIconTest, IconIndexTakesTheImageAndKeepsTheIconOutsideTheList) {
    Tray->SetVisible(true);
    HICON shown = Tray->GetCurrentIcon()->GetHandle();
    // Without a list the icon stays.
    Tray->SetIconIndex(1);
    EXPECT_EQ(Tray->GetIconIndex(), 1);
    EXPECT_EQ(Tray->GetCurrentIcon()->GetHandle(), shown);

    Tray->SetIcons(ColourList<TQimImageList>(FOwner));
    Calls().clear();
    Tray->SetIconIndex(2);
    shown = Tray->GetCurrentIcon()->GetHandle();
    EXPECT_EQ(IconPixel(shown, 8, 8), kBlue);
    EXPECT_EQ(IconPixel(shown, 0, 0) >> 24, 0u);  // the image's transparency comes along
    EXPECT_EQ(Tray->GetCurrentIcon()->GetWidth(), 16);
    ASSERT_FALSE(Calls().empty());
    EXPECT_EQ(Calls().back().Action, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(Calls().back().Data.hIcon, shown);

    Tray->SetIconIndex(3);
    Tray->SetIconIndex(-1);
    EXPECT_EQ(Tray->GetCurrentIcon()->GetHandle(), shown);
    EXPECT_EQ(IconPixel(shown, 8, 8), kBlue);
}

TEST_F(TrayIconTest, AnimationStepsThroughTheListAndWraps) {
    Tray->SetIcons(ColourList<TVeskStdImageList>(FOwner));
    Tray->SetAnimate(true);
    int animated = 0;
    Tray->OnAnimate = [&animated](fw::TObject*) { ++animated; };
    Tray->SetVisible(true);
    EXPECT_TRUE(Tray->GetAnimateTimer()->GetEnabled());
    EXPECT_EQ(Tray->GetAnimateTimer()->GetInterval(), 1000u);
    std::vector<uint32_t> frames;
    for (int i = 0; i < 4; ++i) {
        Tray->Animate();
        frames.push_back(IconPixel(Tray->GetCurrentIcon()->GetHandle(), 8, 8));
    }
    EXPECT_EQ(frames, (std::vector<uint32_t>{kGreen, kBlue, kRed, kGreen}));
    EXPECT_EQ(animated, 4);
    EXPECT_EQ(Tray->GetIconIndex(), 1);
    EXPECT_EQ(Calls().back().Data.hIcon, Tray->GetCurrentIcon()->GetHandle());
    Tray->SetVisible(false);
    EXPECT_FALSE(Tray->GetAnimateTimer()->GetEnabled());
}

TEST_F(TrayIconTest, AnimationTimerIsOffWithoutAnimate) {
    Tray->SetVisible(true);
    EXPECT_FALSE(Tray->GetAnimateTimer()->GetEnabled());
}

TEST_F(TrayIconTest, BalloonIsShownThroughModifyAndClearedWhenItGoes) {
    EventLog log;
    Attach(Tray, log);
    Tray->SetVisible(true);
    Tray->SetBalloonTimeout(7000);
    Tray->SetBalloonText(L"Title", L"Some text");
    Tray->SetBalloonFlags(bfWarning);
    Tray->ShowBalloonHint();
    const NOTIFYICONDATAW& d = Calls().back().Data;
    EXPECT_EQ(Calls().back().Action, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_NE(d.uFlags & NIF_INFO, 0u);
    EXPECT_EQ(d.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
    EXPECT_EQ(d.uTimeout, 7000u);
    EXPECT_EQ(std::wstring(d.szInfoTitle), L"Title");
    EXPECT_EQ(std::wstring(d.szInfo), L"Some text");

    Callback(NIN_BALLOONUSERCLICK);
    EXPECT_EQ(log.Events, (Ev{L"balloon"}));
    Callback(NIN_BALLOONTIMEOUT);
    EXPECT_EQ(Tray->GetData().uFlags & NIF_INFO, 0u);
    Tray->ShowBalloonHint();
    Callback(NIN_BALLOONHIDE);
    EXPECT_EQ(Tray->GetData().uFlags & NIF_INFO, 0u);
}

TEST_F(TrayIconTest, FreeingRemovesTheIconAndTheWindow) {
    Tray->SetVisible(true);
    HWND w = Window();
    const UINT id = Tray->GetData().uID;
    Tray->Free();
    EXPECT_EQ(CountCalls(NIM_DELETE), 1);
    EXPECT_EQ(Calls().back().Data.uID, id);
    EXPECT_FALSE(IsWindow(w));
}

// The real shell accepts the block: the icon is added, changed and removed.
TEST(TrayIconShell, RealShellTakesTheIcon) {
    ASSERT_NE(ShellNotifyIconProc, &RecordShellCall);
    auto* owner = new fw::TComponent(nullptr);
    auto* tray = new TTestTrayIcon(owner);
    tray->SetHint(L"Vesk Reminder");
    tray->SetVisible(true);
    EXPECT_TRUE(tray->Notify(NIM_MODIFY));
    // (Wine's shell takes about two seconds for each removal, so there is only one.)
    tray->SetVisible(false);
    // Already removed by hiding.
    EXPECT_FALSE(tray->Notify(NIM_DELETE));
    owner->Free();
}

}  // namespace
