// The tray icon: what it hands to the shell, the shell's callbacks as events, its hidden window.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "VeskDrawing.h"
#include "QimImageList.h"
#include "VeskPopupMenu.h"
#include "VeskTrayIcon.h"
#include "fw_forms.h"
#include "window_test.h"

namespace {

struct ShellCall {
    DWORD Action;
    NOTIFYICONDATAW Data;
};

std::vector<ShellCall> gCalls;

BOOL WINAPI RecordShellCall(DWORD Message, PNOTIFYICONDATAW Data) {
    gCalls.push_back(ShellCall{Message, *Data});
    return TRUE;
}

int CountCalls(DWORD Action) {
    int n = 0;
    for (const auto& c : gCalls) n += c.Action == Action;
    return n;
}

// Exposes the animation step, which the timer runs once a second.
class TTestTrayIcon : public TVeskTrayIcon {
public:
    using TVeskTrayIcon::TVeskTrayIcon;
    void Animate() { DoOnAnimate(GetAnimateTimer()); }
    using TVeskTrayIcon::Notify;
};

// A PNG list of the given family: red, green and blue 16 x 16 images, top-left pixel clear.
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

// Pixel (X, Y) of the icon drawn on white.
COLORREF IconPixel(HICON Icon, int X, int Y) {
    testsupport::DibSurface s(16, 16, 0xFFFFFFFF);
    DrawIconEx(s.Dc(), 0, 0, Icon, 16, 16, 0, nullptr, DI_NORMAL);
    return s.Color(X, Y);
}

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);

// The program's own popup menu, on a form of its own (its level windows need one), with one item.
TVeskPopupMenu* NewMenu(fw::TComponent* Owner) {
    auto* menu = new TVeskPopupMenu(fw::TForm::CreateNew<testsupport::TPlainForm>(Owner));
    auto* item = new TVeskMenuItem();
    item->SetCaption(L"Open");
    menu->InsertItem(item);
    return menu;
}

using Ev = std::vector<std::wstring>;

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        gCalls.clear();
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
    const NOTIFYICONDATAW& Last() const { return gCalls.back().Data; }

    // Each event as a word: press/release, its button (L, R, M), shift-state buttons (l, r, m).
    void Log() {
        auto mouse = [this](const wchar_t* Name, fw::TObject* s, fw::TMouseButton b, fw::TShiftState sh, int x, int y) {
            Events.push_back(Name + std::wstring(b == fw::mbLeft ? L"L" : b == fw::mbRight ? L"R" : L"M") + Buttons(sh));
            Sender = s, At = POINT{x, y};
        };
        using namespace std::placeholders;
        Tray->OnMouseDown = std::bind(mouse, L"down", _1, _2, _3, _4, _5);
        Tray->OnMouseUp = std::bind(mouse, L"up", _1, _2, _3, _4, _5);
        Tray->OnMouseMove = [this](fw::TObject*, fw::TShiftState sh, int, int) { Events.push_back(L"move" + Buttons(sh)); };
        Tray->OnClick = [this](fw::TObject* s) { Events.push_back(L"click"), Sender = s; };
        Tray->OnDblClick = [this](fw::TObject*) { Events.push_back(L"dblclick"); };
        Tray->OnBalloonClick = [this](fw::TObject*) { Events.push_back(L"balloon"); };
    }
    static std::wstring Buttons(fw::TShiftState s) {
        return std::wstring(s.Contains(fw::ssLeft) ? L"l" : L"") + (s.Contains(fw::ssRight) ? L"r" : L"") +
               (s.Contains(fw::ssMiddle) ? L"m" : L"");
    }

    TTestTrayIcon* Tray = nullptr;
    fw::TComponent* FOwner = nullptr;
    Ev Events;
    fw::TObject* Sender = nullptr;
    POINT At{-1, -1};

private:
    TShellNotifyIconProc FOldProc = nullptr;
    std::wstring FOldTitle;
};

TEST_F(TrayIconTest, CreationTouchesNoShellShowingAddsTheIconOnceHidingAndFreeingRemoveIt) {
    const NOTIFYICONDATAW& d = Tray->GetData();
    EXPECT_EQ(d.cbSize, 936u);
    EXPECT_EQ(d.uCallbackMessage, 0x401u);
    EXPECT_EQ(std::wstring(d.szTip), L"Tray Test");
    // Not message-only: such a window never sees the shell's "TaskbarCreated" broadcast.
    EXPECT_EQ(GetAncestor(d.hWnd, GA_PARENT), GetDesktopWindow());
    EXPECT_FALSE(IsWindowVisible(d.hWnd));
    EXPECT_TRUE(gCalls.empty());
    Tray->SetVisible(true);
    Tray->SetVisible(true);
    ASSERT_EQ(CountCalls(NIM_ADD), 1);
    EXPECT_EQ(gCalls[0].Data.hWnd, Window());
    // Without an Icon, the executable's small icon, not the application's default-size one.
    EXPECT_NE(gCalls[0].Data.hIcon, nullptr);
    EXPECT_EQ(gCalls[0].Data.hIcon, Tray->GetCurrentIcon()->GetHandle());
    EXPECT_EQ(Tray->GetCurrentIcon()->GetWidth(), GetSystemMetrics(SM_CXSMICON));
    EXPECT_NE(Tray->GetCurrentIcon()->GetWidth(), fw::Application->GetIcon()->GetWidth());
    Tray->SetVisible(false);
    EXPECT_EQ(gCalls.back().Action, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(Last().uID, Tray->GetData().uID);

    Tray->SetVisible(true);
    HWND w = Window();
    Tray->Free();
    EXPECT_EQ(CountCalls(NIM_DELETE), 2);
    EXPECT_EQ(gCalls.back().Action, static_cast<DWORD>(NIM_DELETE));
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(TrayIconTest, HintIsCutTo127CharactersAndSentWhenVisible) {
    Tray->SetHint(L"Later");
    EXPECT_TRUE(gCalls.empty());
    Tray->SetVisible(true);
    EXPECT_EQ(std::wstring(Last().szTip), L"Later");
    gCalls.clear();
    const std::wstring longHint(200, L'h');
    Tray->SetHint(longHint);
    Tray->SetHint(longHint);  // the same text again changes nothing
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].Action, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(std::wstring(Last().szTip), longHint.substr(0, 127));
    Tray->SetHint(L"");
    EXPECT_EQ(Last().uFlags & NIF_TIP, 0u);
    Tray->SetHint(L"Vesk Reminder");
    EXPECT_NE(Last().uFlags & NIF_TIP, 0u);
}

TEST_F(TrayIconTest, ShellCallbacksBecomeMouseEvents) {
    const struct {
        std::vector<UINT> Messages;
        Ev Events;
    } cases[] = {
        {{WM_LBUTTONDOWN, WM_LBUTTONUP}, {L"downLl", L"click", L"upLl"}},
        // The shell's order for a double click.
        {{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP},
         {L"downLl", L"click", L"upLl", L"dblclick", L"upLl"}},
        {{WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK}, {L"dblclick", L"dblclick"}},
        {{WM_LBUTTONUP}, {L"upLl"}},  // a release without a press clicks nothing
        {{WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MOUSEMOVE},
         {L"downRr", L"upRr", L"downMm", L"upMm", L"move"}},
    };
    Log();
    for (const auto& c : cases) {
        Events.clear();
        for (UINT m : c.Messages) Callback(m);
        EXPECT_EQ(Events, c.Events) << "case " << (&c - cases);
        EXPECT_FALSE(Tray->GetClickPending());
    }
    Events.clear();
    Callback(WM_LBUTTONDOWN);
    EXPECT_TRUE(Tray->GetClickPending());
    Callback(WM_LBUTTONUP);
    EXPECT_EQ(Sender, static_cast<fw::TObject*>(Tray));
    POINT pt{};
    GetCursorPos(&pt);
    EXPECT_EQ(At.x, pt.x);
    EXPECT_EQ(At.y, pt.y);
}

TEST_F(TrayIconTest, ReleaseArrivingWhileTheClickIsHandledDoesNotClickAgain) {
    int clicks = 0;
    // The handler runs a message loop (a window shown, a box asked) that brings the next release.
    Tray->OnClick = [&](fw::TObject*) {
        if (++clicks == 1) Callback(WM_LBUTTONUP);
    };
    Callback(WM_LBUTTONDOWN);
    Callback(WM_LBUTTONUP);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(Tray->GetClickPending());
}

TEST_F(TrayIconTest, RightReleasePopsTheMenuUpAtTheCursorAndFreedReferencesAreForgotten) {
    Log();
    fw::Screen->SetWorkAreaRect(fw::TRect(-10000, -10000, 10000, 10000));  // no shifting
    TVeskPopupMenu* menu = NewMenu(FOwner);
    int popups = 0;
    menu->OnPopup = [&popups](fw::TObject*) { ++popups; };
    Tray->SetPopupMenu(menu);
    Tray->SetIcons(ColourList<TVeskStdImageList>(FOwner));
    Callback(WM_RBUTTONUP);
    EXPECT_EQ(Events, (Ev{L"upRr"}));
    EXPECT_EQ(popups, 1);
    ASSERT_TRUE(menu->GetShown());
    EXPECT_EQ(menu->GetLevelForm(1)->GetLeft(), At.x);
    EXPECT_EQ(menu->GetLevelForm(1)->GetTop(), At.y);
    // Other buttons leave the menu alone.
    Callback(WM_LBUTTONUP);
    Callback(WM_RBUTTONDOWN);
    EXPECT_EQ(popups, 1);
    menu->CloseMenu();
    fw::Screen->SetWorkAreaRect(fw::TRect());
    menu->Free();
    Tray->GetIcons()->Free();
    EXPECT_EQ(Tray->GetPopupMenu(), nullptr);
    EXPECT_EQ(Tray->GetIcons(), nullptr);
    // A right release after the menu went must not reach it.
    Callback(WM_RBUTTONUP);
}

// Any menu of the framework will do, not only the skinned one.
TEST_F(TrayIconTest, ARightReleasePopsUpAnyFrameworkMenuAtTheCursor) {
    struct TCountingMenu : fw::TPopupMenuBase {
        using fw::TPopupMenuBase::TPopupMenuBase;
        std::vector<POINT> Shown;
        void Popup(int X, int Y) override { Shown.push_back({X, Y}); }
    };
    Log();
    auto* menu = new TCountingMenu(FOwner);
    Tray->SetPopupMenu(menu);
    Callback(WM_RBUTTONUP);
    ASSERT_EQ(menu->Shown.size(), 1u);
    EXPECT_EQ(menu->Shown[0].x, At.x);
    EXPECT_EQ(menu->Shown[0].y, At.y);
    menu->Free();
    EXPECT_EQ(Tray->GetPopupMenu(), nullptr);
}

TEST_F(TrayIconTest, BalloonTaskbarCreatedAndSessionEnd) {
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    SendMessageW(Window(), taskbarCreated, 0, 0);
    EXPECT_EQ(CountCalls(NIM_ADD), 0);
    Tray->SetVisible(true);
    // The balloon is shown through a change of the icon and cleared when it goes.
    Log();
    Tray->SetBalloonText(L"Title", L"Some text");
    Tray->SetBalloonFlags(bfWarning);
    Tray->ShowBalloonHint();
    EXPECT_EQ(gCalls.back().Action, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_NE(Last().uFlags & NIF_INFO, 0u);
    EXPECT_EQ(Last().dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
    EXPECT_EQ(std::wstring(Last().szInfo), L"Some text");
    Callback(NIN_BALLOONUSERCLICK);
    EXPECT_EQ(Events, (Ev{L"balloon"}));
    for (UINT gone : {NIN_BALLOONTIMEOUT, NIN_BALLOONHIDE}) {
        Tray->ShowBalloonHint();
        Callback(gone);
        EXPECT_EQ(Tray->GetData().uFlags & NIF_INFO, 0u);
    }
    // A new taskbar gets the visible icon again.
    SendMessageW(Window(), taskbarCreated, 0, 0);
    EXPECT_EQ(CountCalls(NIM_ADD), 2);
    EXPECT_EQ(Last().hIcon, Tray->GetCurrentIcon()->GetHandle());
    EXPECT_EQ(SendMessageW(Window(), WM_QUERYENDSESSION, 0, 0), 1);
    SendMessageW(Window(), WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(CountCalls(NIM_DELETE), 0);
    SendMessageW(Window(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(CountCalls(NIM_DELETE), 1);
}

TEST_F(TrayIconTest, IconIndexAndAnimationTakeTheListsImagesAndKeepTheIconOutsideTheList) {
    Tray->SetVisible(true);
    HICON shown = Tray->GetCurrentIcon()->GetHandle();
    // Without a list the icon stays.
    Tray->SetIconIndex(1);
    EXPECT_EQ(Tray->GetCurrentIcon()->GetHandle(), shown);

    Tray->SetIcons(ColourList<TQimImageList>(FOwner));
    Tray->SetIconIndex(2);
    shown = Tray->GetCurrentIcon()->GetHandle();
    EXPECT_EQ(IconPixel(shown, 8, 8), kBlue);
    EXPECT_EQ(IconPixel(shown, 0, 0), RGB(255, 255, 255));  // the image's transparency comes along
    EXPECT_EQ(gCalls.back().Action, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(Last().hIcon, shown);
    Tray->SetIconIndex(3);
    Tray->SetIconIndex(-1);
    EXPECT_EQ(Tray->GetCurrentIcon()->GetHandle(), shown);

    // The animation steps through the other family's list from the index and wraps.
    Tray->SetIcons(ColourList<TVeskStdImageList>(FOwner));
    EXPECT_FALSE(Tray->GetAnimateTimer()->GetEnabled());
    Tray->SetVisible(false);
    Tray->SetAnimate(true);
    int animated = 0;
    Tray->OnAnimate = [&animated](fw::TObject*) { ++animated; };
    Tray->SetVisible(true);
    EXPECT_TRUE(Tray->GetAnimateTimer()->GetEnabled());
    std::vector<COLORREF> frames;
    for (int i = 0; i < 4; ++i) {
        Tray->Animate();
        frames.push_back(IconPixel(Tray->GetCurrentIcon()->GetHandle(), 8, 8));
    }
    EXPECT_EQ(frames, (std::vector<COLORREF>{kRed, kGreen, kBlue, kRed}));
    EXPECT_EQ(animated, 4);
    EXPECT_EQ(Last().hIcon, Tray->GetCurrentIcon()->GetHandle());
    Tray->SetVisible(false);
    EXPECT_FALSE(Tray->GetAnimateTimer()->GetEnabled());
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
    EXPECT_FALSE(tray->Notify(NIM_DELETE));  // already removed by hiding
    owner->Free();
}

}  // namespace
