// The notice window: where it sits next to the taskbar, what it lists, acknowledging and
// postponing, the missed-reminders look, its sound over a fake MCI, and its painted rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "PublicFuns.h"
#include "fw_png.h"
#include "fake_sound.h"
#include "test_support.h"
#include "uRemindDlg.h"

using namespace testsupport;

namespace {

// Opening gives device ids from 21.
class FakeSound : public testsupport::TFakeSound {
public:
    FakeSound() : TFakeSound(21) {}
};

class FakeListView : public IReminderListView {
public:
    void RefreshListItem(TRmRecordStruct* Record) override { refreshed.push_back(Record); }
    void RepaintList() override {}
    std::vector<TRmRecordStruct*> refreshed;
};

// Same size and the same colour and alpha bytes, row by row.
bool SamePng(const fw::TGraphic* a, const fw::TGraphic* b) {
    const auto* pa = dynamic_cast<const fw::TPngImage*>(a);
    const auto* pb = dynamic_cast<const fw::TPngImage*>(b);
    if (!pa || !pb || pa->GetWidth() != pb->GetWidth() || pa->GetHeight() != pb->GetHeight()) return false;
    if (pa->HasAlpha() != pb->HasAlpha()) return false;
    const size_t w = static_cast<size_t>(pa->GetWidth());
    for (int y = 0; y < pa->GetHeight(); ++y) {
        if (!std::equal(pa->Scanline(y), pa->Scanline(y) + w * 3, pb->Scanline(y))) return false;
        if (pa->HasAlpha() && !std::equal(pa->AlphaScanline(y), pa->AlphaScanline(y) + w, pb->AlphaScanline(y)))
            return false;
    }
    return true;
}

// A language file as the program writes them: UTF-16LE with a byte-order mark.
void WriteLangFile(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    WriteFileBytes(path, bytes);
}

class NoticeTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::Application->Initialize();
        LangFile = dir_.File(L"NoLanguage.ini");
        LangIni.reset();
        SetSoundBackend(&sound_);
        SetRemindDlgListView(&view_);
        screenW_ = GetSystemMetrics(SM_CXSCREEN);
        screenH_ = GetSystemMetrics(SM_CYSCREEN);
        taskbar_ = RECT{0, screenH_ - 40, screenW_, screenH_};
        SetTaskbarRectSource([this](RECT& r) {
            r = taskbar_;
            return hasTaskbar_;
        });
        dataFile_ = dir_.File(L"data.dat");
        store_ = std::make_unique<TRemindFile>(dataFile_);
        RemindFile = store_.get();
    }
    void TearDown() override {
        if (frmRemindDlg) frmRemindDlg->Free();
        EXPECT_EQ(frmRemindDlg, nullptr);
        RemindFile = nullptr;
        store_.reset();
        fw::SetClock(nullptr);
        SetTaskbarRectSource(nullptr);
        SetRemindDlgListView(nullptr);
        SetSoundBackend(nullptr);
        LangFile = L"";
        LangIni.reset();
    }
    // A reminder of the store (written to the data file once).
    TRmRecordStruct* Add(const std::wstring& name, const std::wstring& voice = L"") {
        auto* r = new TRmRecordStruct;
        r->Name = name;
        r->Voice = voice;
        r->CreateDateTime = 46000 + 0.001 * (++created_);
        r->WakeTime = 0.5;
        r->Period = 1;
        r->DisplayText = L"Daily 12:00";
        store_->AddRecord(r);
        return r;
    }
    TReminderList AddMany(int n) {
        TReminderList l;
        for (int i = 0; i < n; ++i) l.push_back(Add(L"Reminder " + std::to_wstring(i)));
        return l;
    }
    static std::vector<std::wstring> Captions() {
        std::vector<std::wstring> c;
        for (int i = 0; i < frmRemindDlg->lbReminds->Count(); ++i)
            c.push_back(frmRemindDlg->lbReminds->GetItem(i)->GetCaption());
        return c;
    }
    static RECT WindowRect() {
        RECT r{};
        GetWindowRect(frmRemindDlg->GetHandle(), &r);
        return r;
    }
    static bool Topmost() {
        return (GetWindowLongW(frmRemindDlg->GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    }
    // Lets the posted sound notices arrive.
    static void Pump() { PumpMessagesFor(50); }

    TempDir dir_;
    FakeSound sound_;
    FakeListView view_;
    int screenW_ = 0, screenH_ = 0;
    RECT taskbar_{};
    bool hasTaskbar_ = true;
    std::wstring dataFile_;
    std::unique_ptr<TRemindFile> store_;
    int created_ = 0;
};

}  // namespace

TEST_F(NoticeTest, GrowsUpwardFromABottomTaskbar) {
    ShowReminders(AddMany(3));
    ASSERT_NE(frmRemindDlg, nullptr);
    EXPECT_EQ(frmRemindDlg->GetTrayTop(), taskbar_.top);
    EXPECT_EQ(frmRemindDlg->lbReminds->GetHeight(), 3 * 44 + 40);
    RECT r = WindowRect();
    EXPECT_EQ(r.bottom - r.top, 3 * 44 + 40 + 100);
    EXPECT_EQ(r.bottom, taskbar_.top);
    EXPECT_EQ(r.right, taskbar_.right);
    EXPECT_TRUE(frmRemindDlg->GetVisible());
    EXPECT_TRUE(Topmost());

    // More than ten rows: the list stops growing and scrolls.
    ShowReminders(AddMany(12));
    EXPECT_EQ(frmRemindDlg->lbReminds->Count(), 15);
    EXPECT_EQ(frmRemindDlg->lbReminds->GetHeight(), 10 * 44 + 40);
    r = WindowRect();
    EXPECT_EQ(r.bottom - r.top, 10 * 44 + 40 + 100);
    if (taskbar_.top >= 580) EXPECT_EQ(r.bottom, taskbar_.top);
    else EXPECT_EQ(r.top, 0);
}

TEST_F(NoticeTest, NeverGrowsAboveTheScreen) {
    taskbar_ = RECT{0, screenH_ / 2 + 10, screenW_, screenH_ / 2 + 40};
    if (taskbar_.top >= 10 * 44 + 140) GTEST_SKIP() << "the screen is too tall for this case";
    ShowReminders(AddMany(10));
    const RECT r = WindowRect();
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.bottom - r.top, 10 * 44 + 140);
    EXPECT_EQ(r.right, screenW_);
}

TEST_F(NoticeTest, StaysOnScreenWithTaskbarsAtOtherEdges) {
    struct Case {
        const char* name;
        RECT bar;
        LONG right, bottom;
    };
    const Case cases[] = {
        {"top", {0, 0, screenW_, 40}, screenW_, screenH_},
        {"left", {0, 0, 60, screenH_}, screenW_, screenH_},
        {"right", {screenW_ - 60, 0, screenW_, screenH_}, screenW_ - 60, screenH_},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        taskbar_ = c.bar;
        ShowReminders(AddMany(2));
        RECT r = WindowRect();
        EXPECT_EQ(r.right, c.right);
        EXPECT_EQ(r.bottom, c.bottom);
        EXPECT_GE(r.top, 0);
        EXPECT_GE(r.left, 0);
        EXPECT_EQ(r.bottom - r.top, 2 * 44 + 40 + 100);
        frmRemindDlg->Free();
    }
}

TEST_F(NoticeTest, WithoutTaskbarKeepsItsOwnSizeInTheWorkAreaCornerAndStaysOnTop) {
    hasTaskbar_ = false;
    ShowReminders(AddMany(1));
    ASSERT_NE(frmRemindDlg, nullptr);
    const RECT first = WindowRect();
    ShowReminders(AddMany(3));
    EXPECT_EQ(frmRemindDlg->GetTrayTop(), 0);
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const RECT r = WindowRect();
    EXPECT_EQ(r.right, work.right);
    EXPECT_EQ(r.bottom, work.bottom);
    EXPECT_EQ(r.bottom - r.top, first.bottom - first.top);
    EXPECT_EQ(frmRemindDlg->lbReminds->GetHeight(), 106);
    EXPECT_EQ(frmRemindDlg->lbReminds->Count(), 4);
    EXPECT_TRUE(frmRemindDlg->GetVisible());
    EXPECT_TRUE(Topmost());
    // Every reordering keeps it on top.
    SetWindowPos(frmRemindDlg->GetHandle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(Topmost());

    // The taskbar gets its place later: the next announcement sits on it.
    hasTaskbar_ = true;
    ShowReminders(AddMany(1));
    EXPECT_EQ(frmRemindDlg->GetTrayTop(), taskbar_.top);
    EXPECT_EQ(WindowRect().bottom, taskbar_.top);
    EXPECT_EQ(WindowRect().right, taskbar_.right);
}

TEST_F(NoticeTest, TextsOfTheBuiltInLanguage) {
    ShowReminders(AddMany(1));
    ASSERT_NE(frmRemindDlg, nullptr);
    EXPECT_EQ(frmRemindDlg->GetCaption(), L"Notice");
    EXPECT_EQ(frmRemindDlg->btnComplete->GetCaption(), L"OK I got it");
    EXPECT_EQ(frmRemindDlg->lbl1->GetCaption(), L"Postpone");
    fw::TStrings* items = frmRemindDlg->cbDelay->GetItems();
    ASSERT_EQ(items->Count(), 5);
    EXPECT_EQ(items->Get(0), L"5 Minutes");
    EXPECT_EQ(items->Get(1), L"10 Minutes");
    EXPECT_EQ(items->Get(2), L"30 Minutes");
    EXPECT_EQ(items->Get(3), L"1 Hour");
    EXPECT_EQ(items->Get(4), L"4 Hours");
    EXPECT_EQ(frmRemindDlg->cbDelay->GetItemIndex(), 0);
}

TEST_F(NoticeTest, ListsEachRecordOnceAndIsReused) {
    ShowReminders({});
    EXPECT_EQ(frmRemindDlg, nullptr);

    TRmRecordStruct* a = Add(L"Call home");
    TRmRecordStruct* b = Add(L"Water the plants");
    ShowReminders({a});
    ASSERT_NE(frmRemindDlg, nullptr);
    TfrmRemindDlg* first = frmRemindDlg;
    ShowReminders({a, b, a});
    EXPECT_EQ(frmRemindDlg, first);
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Call home", L"Water the plants"}));
    EXPECT_EQ(frmRemindDlg->FindItem(b), frmRemindDlg->lbReminds->GetItem(1));

    // Closed, then the next announcement shows the same window with only the new records.
    frmRemindDlg->btnCompleteClick(nullptr);
    EXPECT_FALSE(frmRemindDlg->GetVisible());
    EXPECT_EQ(frmRemindDlg->lbReminds->Count(), 0);
    ShowReminders({b});
    EXPECT_EQ(frmRemindDlg, first);
    EXPECT_TRUE(frmRemindDlg->GetVisible());
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Water the plants"}));
}

TEST_F(NoticeTest, AcknowledgingOneByItsSquareAndAll) {
    TReminderList l = AddMany(2);
    l[1]->Voice = L"b.mp3";
    const fw::TDateTime lastTime = l[0]->LastTime;
    ShowReminders(l);
    Pump();
    ASSERT_EQ(frmRemindDlg->GetSoundDevice(), 21u);
    frmRemindDlg->lbReminds->Repaint();
    PumpMessagesFor(100);
    TQimLBoxItem* item = frmRemindDlg->FindItem(l[0]);
    ASSERT_NE(item, nullptr);
    const fw::TRect ir = item->GetItemRect();
    POINT inside{ir.Left + item->GetTextRect().Width() + 10, ir.Top + 10};
    POINT outside{ir.Left + 2, ir.Top + 10};
    HWND list = frmRemindDlg->lbReminds->GetHandle();

    ClientToScreen(list, &outside);
    SetCursorPos(outside.x, outside.y);
    frmRemindDlg->lbRemindsItemClick(nullptr, item);
    EXPECT_EQ(frmRemindDlg->lbReminds->Count(), 2);

    ClientToScreen(list, &inside);
    SetCursorPos(inside.x, inside.y);
    POINT at{};
    GetCursorPos(&at);
    if (at.x != inside.x || at.y != inside.y) GTEST_SKIP() << "the cursor cannot be moved here";
    frmRemindDlg->lbRemindsItemClick(nullptr, item);
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Reminder 1"}));
    EXPECT_TRUE(frmRemindDlg->GetVisible());
    EXPECT_EQ(l[0]->LastTime, lastTime);

    // The last one closes the window.
    TQimLBoxItem* last = frmRemindDlg->lbReminds->GetItem(0);
    frmRemindDlg->lbReminds->Repaint();
    const fw::TRect lr = last->GetItemRect();
    POINT p{lr.Left + last->GetTextRect().Width() + 5, lr.Top + 5};
    ClientToScreen(list, &p);
    SetCursorPos(p.x, p.y);
    frmRemindDlg->lbRemindsItemClick(nullptr, last);
    EXPECT_EQ(frmRemindDlg->lbReminds->Count(), 0);
    EXPECT_FALSE(frmRemindDlg->GetVisible());
    // ... and stops the sound.
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 21), 1);
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 0u);
}

TEST_F(NoticeTest, PostponingChangesListedRecordsInMemoryOnly) {
    const fw::TDateTime now = fw::EncodeDate(2026, 3, 29) + fw::EncodeTime(1, 40, 0, 0);
    fw::SetClock([now] { return now; });
    TRmRecordStruct* a = Add(L"A");
    TRmRecordStruct* b = Add(L"B");
    TRmRecordStruct* gone = Add(L"Gone");
    TRmRecordStruct* other = Add(L"Not listed");
    ShowReminders({a, b, gone});
    a->NextDue = 1;
    b->NextDue = 2;
    gone->NextDue = 3;
    frmRemindDlg->FindItem(b)->SetChecked(true);  // the check box plays no part
    // The store lets go of one record while it is listed.
    auto& recs = store_->Records;
    recs.erase(std::find(recs.begin(), recs.end(), gone));
    std::unique_ptr<TRmRecordStruct> keepGone(gone);

    const std::vector<uint8_t> before = ReadFileBytes(dataFile_);
    frmRemindDlg->cbDelay->SetItemIndex(3);
    frmRemindDlg->cbDelayChange(nullptr);
    EXPECT_EQ(a->NextDue, fw::IncHour(now, 1));
    EXPECT_EQ(b->NextDue, fw::IncHour(now, 1));
    EXPECT_EQ(gone->NextDue, 3);
    EXPECT_EQ(other->NextDue, 0);
    EXPECT_EQ(view_.refreshed, (std::vector<TRmRecordStruct*>{a, b}));
    EXPECT_EQ(ReadFileBytes(dataFile_), before);
    EXPECT_TRUE(PumpMessagesUntil([] { return !frmRemindDlg->GetVisible(); }, 2000));

    // Each choice, calendar-correct across the month's end.
    const fw::TDateTime late = fw::EncodeDate(2026, 3, 31) + fw::EncodeTime(23, 58, 0, 0);
    fw::SetClock([late] { return late; });
    const fw::TDateTime expected[] = {fw::IncMinute(late, 5), fw::IncMinute(late, 10), fw::IncMinute(late, 30),
                                      fw::IncHour(late, 1), fw::IncHour(late, 4)};
    for (int i = 0; i < 5; ++i) {
        ShowReminders({a});
        frmRemindDlg->cbDelay->SetItemIndex(i);
        frmRemindDlg->cbDelayChange(nullptr);
        EXPECT_EQ(a->NextDue, expected[i]) << i;
        PumpMessagesUntil([] { return !frmRemindDlg->GetVisible(); }, 2000);
    }
    EXPECT_GT(expected[4], fw::EncodeDate(2026, 4, 1));
}

TEST_F(NoticeTest, MissedRemindersLookAndBackToOrdinary) {
    TRmRecordStruct* a = Add(L"Missed one");
    ShowMissedReminders({});
    EXPECT_EQ(frmRemindDlg, nullptr);
    ShowMissedReminders({a});
    ASSERT_NE(frmRemindDlg, nullptr);
    EXPECT_EQ(frmRemindDlg->GetCaption(), L"You have missed some reminders");
    EXPECT_FALSE(frmRemindDlg->cbDelay->GetVisible());
    EXPECT_FALSE(frmRemindDlg->lbl1->GetVisible());
    EXPECT_TRUE(frmRemindDlg->btnComplete->GetVisible());
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Missed one"}));

    // A due reminder arriving while the missed ones are still shown joins them.
    TRmRecordStruct* b = Add(L"Due now");
    ShowReminders({b});
    EXPECT_EQ(frmRemindDlg->GetCaption(), L"You have missed some reminders");
    EXPECT_EQ(frmRemindDlg->lbReminds->Count(), 2);

    // Once they are dealt with, the next announcement is an ordinary one that can be postponed.
    frmRemindDlg->btnCompleteClick(nullptr);
    ShowReminders({b});
    EXPECT_EQ(frmRemindDlg->GetCaption(), L"Notice");
    EXPECT_TRUE(frmRemindDlg->cbDelay->GetVisible());
    EXPECT_TRUE(frmRemindDlg->lbl1->GetVisible());
}

TEST_F(NoticeTest, OneSoundAtATimeFromOpenToEnd) {
    TRmRecordStruct* mute = Add(L"Mute");
    TRmRecordStruct* a = Add(L"A", L"default.mp3");
    TRmRecordStruct* b = Add(L"B", L"C:\\sounds\\b.wav");
    TRmRecordStruct* c = Add(L"C", L"C:\\sounds\\c.wav");

    ShowReminders({mute});
    EXPECT_EQ(sound_.Opens(), 0);

    // Two voiced reminders at once: only the first starts a device.
    ShowReminders({a, b});
    EXPECT_EQ(sound_.Opens(), 1);
    Pump();
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 21u);
    EXPECT_EQ(sound_.Count(MCI_PLAY, 21), 1);

    // A playing sound is not interrupted by a new reminder's.
    ShowReminders({c});
    Pump();
    EXPECT_EQ(sound_.Opens(), 1);
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 21u);

    // The end of playback closes the device; the next reminder's sound plays.
    PostMessageW(frmRemindDlg->GetHandle(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 21);
    Pump();
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 0u);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 21), 1);
    TRmRecordStruct* d = Add(L"D", L"C:\\sounds\\d.wav");
    ShowReminders({d});
    Pump();
    EXPECT_EQ(sound_.Opens(), 2);
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 22u);
    EXPECT_EQ(sound_.opened.back(), L"C:\\sounds\\d.wav");
}

TEST_F(NoticeTest, FailingSoundLeavesNoDeviceAndNoMessage) {
    TRmRecordStruct* bad = Add(L"Bad", L"C:\\sounds\\bad.mp3");
    TRmRecordStruct* good = Add(L"Good", L"C:\\sounds\\good.mp3");
    ShowReminders({bad});
    Pump();
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 0u);
    EXPECT_TRUE(frmRemindDlg->GetVisible());
    // The failure is over: the next reminder can play.
    ShowReminders({good});
    Pump();
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 21u);
    // MCI gives up on the playing device: it is closed and forgotten.
    PostMessageW(frmRemindDlg->GetHandle(), MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 21);
    Pump();
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 0u);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 21), 1);
}

TEST_F(NoticeTest, ClosingStopsTheSound) {
    TRmRecordStruct* a = Add(L"A", L"a.mp3");
    ShowReminders({a});
    Pump();
    ASSERT_EQ(frmRemindDlg->GetSoundDevice(), 21u);
    frmRemindDlg->btnCompleteClick(nullptr);
    EXPECT_EQ(sound_.Count(MCI_STOP, 21), 1);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 21), 1);
    // No notice follows a stop: the window forgets the device at once and plays again later.
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 0u);
    Pump();
    TRmRecordStruct* b = Add(L"B", L"b.mp3");
    ShowReminders({b});
    Pump();
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 22u);

    // Closed before the sound's first notice came: the sound is stopped when it names its device.
    frmRemindDlg->btnCompleteClick(nullptr);
    TRmRecordStruct* c = Add(L"C", L"c.mp3");
    ShowReminders({c});
    frmRemindDlg->btnCompleteClick(nullptr);
    Pump();
    EXPECT_EQ(sound_.Count(MCI_STOP, 23), 1);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 23), 1);
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 0u);

    // Acknowledging the last item one by one closes and stops as well.
    TRmRecordStruct* d = Add(L"D", L"d.mp3");
    ShowReminders({d});
    Pump();
    ASSERT_EQ(frmRemindDlg->GetSoundDevice(), 24u);
    RemindDlgForgetRecord(d);
    EXPECT_FALSE(frmRemindDlg->GetVisible());
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 24), 1);
}

TEST_F(NoticeTest, ForgettingARecordBeforeItIsFreed) {
    TReminderList l = AddMany(2);
    ShowReminders(l);
    RemindDlgForgetRecord(l[0]);
    store_->DeleteRecord(l[0]);
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Reminder 1"}));
    EXPECT_TRUE(frmRemindDlg->GetVisible());
    frmRemindDlg->lbReminds->Repaint();  // paints only what is still there
    RemindDlgForgetRecord(l[0]);         // not listed: nothing happens
    EXPECT_EQ(frmRemindDlg->lbReminds->Count(), 1);
}

TEST_F(NoticeTest, ClockCyclesThroughItsThreeFrames) {
    ShowReminders(AddMany(1));
    // It runs every 100 ms, also while the window is hidden.
    EXPECT_EQ(frmRemindDlg->Timer1->GetInterval(), 100u);
    frmRemindDlg->btnCompleteClick(nullptr);
    ASSERT_FALSE(frmRemindDlg->GetVisible());
    EXPECT_TRUE(frmRemindDlg->Timer1->GetEnabled());
    frmRemindDlg->Timer1->SetEnabled(false);
    TQimImageCollection* images = frmRemindDlg->QimImageStorage1->GetImages();
    ASSERT_EQ(images->Count(), 3);
    // The three frames differ, so the picture shown tells which one it is.
    const fw::TGraphic* frames[3];
    for (int i = 0; i < 3; ++i) frames[i] = images->Items(i)->GetPicture()->GetGraphic();
    ASSERT_FALSE(SamePng(frames[0], frames[1]));
    ASSERT_FALSE(SamePng(frames[1], frames[2]));
    ASSERT_FALSE(SamePng(frames[0], frames[2]));
    const int start = frmRemindDlg->GetClockFrame();
    for (int i = 1; i <= 4; ++i) {
        frmRemindDlg->Timer1Timer(nullptr);
        const int frame = start + i;
        EXPECT_EQ(frmRemindDlg->GetClockFrame(), frame);
        const fw::TGraphic* shown = frmRemindDlg->imgClock->GetPicture()->GetGraphic();
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->GetWidth(), 96);
        EXPECT_EQ(shown->GetHeight(), 83);
        EXPECT_TRUE(SamePng(shown, frames[frame % 3])) << "tick " << i;
    }
}

TEST_F(NoticeTest, RowsShowSecondLineCheckAtRightAndSeparator) {
    TReminderList l = AddMany(2);
    ShowReminders(l);
    TQimListBox* lb = frmRemindDlg->lbReminds;
    lb->Repaint();
    PumpMessagesFor(100);
    DibSurface s(lb->GetWidth(), lb->GetHeight(), 0xFF00FF00);
    lb->PaintTo(s.Dc(), 0, 0);
    TQimLBoxItem* item = lb->GetItem(0);
    const fw::TRect ir = item->GetItemRect();
    const fw::TRect tr = item->GetTextRect();
    ASSERT_GT(ir.Height(), 0);
    // The separator along the row's bottom edge.
    const RECT line{ir.Left, ir.Bottom - 1, ir.Right, ir.Bottom};
    EXPECT_GE(s.CountColor(line, 0xD5D5D5), ir.Width() * 9 / 10);
    // The second line's grey text below the name.
    const RECT second{ir.Left, tr.Top + tr.Height(), ir.Right, ir.Bottom - 1};
    EXPECT_GT(s.CountColor(second, 0x848484), 0);
    // The check image sits at the row's right end, not at its left.
    const int w = item->GetCheckRect().Width();
    ASSERT_GT(w, 0);
    const RECT rightEnd{ir.Right - w, ir.Top, ir.Right, ir.Top + std::min<LONG>(32, ir.Height()) - 1};
    const COLORREF back = s.Color(ir.Left + ir.Width() / 2, ir.Bottom - 3);
    const int area = (rightEnd.right - rightEnd.left) * (rightEnd.bottom - rightEnd.top);
    EXPECT_LT(s.CountColor(rightEnd, back), area * 3 / 4);

    // A hovered row keeps its own background all along: no strip of the list's colour before the
    // check circle, nor under it.
    SendMessageW(lb->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(ir.Left + 60, (ir.Top + ir.Bottom) / 2));
    DibSurface hot(lb->GetWidth(), lb->GetHeight(), 0xFF00FF00);
    lb->PaintTo(hot.Dc(), 0, 0);
    const COLORREF hotBack = hot.Color(ir.Left + ir.Width() / 2, ir.Bottom - 3);
    ASSERT_NE(hotBack, fw::ColorToRGB(lb->GetColor()));
    const RECT before{ir.Right - w - 4, ir.Top, ir.Right - w, ir.Bottom - 1};
    const RECT under{ir.Right - w, ir.Top + 32, ir.Right, ir.Bottom - 1};
    EXPECT_EQ(hot.CountColor(before, hotBack), 4 * (ir.Height() - 1));
    EXPECT_EQ(hot.CountColor(under, hotBack), w * (ir.Height() - 33));
}

TEST_F(NoticeTest, FrameComesFromTheSharedNonClientResource) {
    ShowReminders(AddMany(1));
    TVeskNcPaintor* p = frmRemindDlg->VeskNcPaintor1;
    EXPECT_TRUE(p->IsHooked());
    EXPECT_EQ(p->GetResource(), SharedNcResource());
    EXPECT_EQ(p->GetShowBtns(), (TVeskShowNcBtns{vnbLogo, vnbClose}));
    EXPECT_FALSE(p->GetResizeable());
    // Another window's resource, handed in, is what windows made later use.
    TVeskNcResource* builtIn = SharedNcResource();
    auto* own = new TVeskNcResource(nullptr);
    SetSharedNcResource(own);
    EXPECT_EQ(SharedNcResource(), own);
    SetSharedNcResource(nullptr);
    EXPECT_EQ(SharedNcResource(), builtIn);
    own->Free();

    // The caption strip on the screen is the caption skin's slate.
    RedrawWindow(frmRemindDlg->GetHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessagesFor(200);
    const RECT r = WindowRect();
    DibSurface s(r.right - r.left, r.bottom - r.top);
    HDC screen = GetDC(nullptr);
    BitBlt(s.Dc(), 0, 0, s.Width(), s.Height(), screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    const RECT caption{60, 2, s.Width() - 40, 24};
    const int area = (caption.right - caption.left) * (caption.bottom - caption.top);
    EXPECT_GT(s.CountColor(caption, 0x4E4640), area / 2);
}

TEST_F(NoticeTest, DestroyingTheWindowStopsItsSound) {
    TRmRecordStruct* a = Add(L"A", L"a.mp3");
    ShowReminders({a});
    Pump();
    ASSERT_EQ(frmRemindDlg->GetSoundDevice(), 21u);
    frmRemindDlg->Free();
    EXPECT_EQ(frmRemindDlg, nullptr);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 21), 1);

    // Destroyed before the sound named its device.
    TRmRecordStruct* b = Add(L"B", L"b.mp3");
    ShowReminders({b});
    ASSERT_NE(frmRemindDlg, nullptr);
    frmRemindDlg->Free();
    EXPECT_EQ(sound_.Count(MCI_STOP, 22), 1);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 22), 1);
}

TEST_F(NoticeTest, NoticesOfOtherDevicesCloseNothing) {
    // Idle: a success notice the window did not ask for is neither taken for its device nor
    // closed (the id may be the editor's test sound).
    ShowReminders(AddMany(1));
    const HWND wnd = frmRemindDlg->GetHandle();
    PostMessageW(wnd, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 55);
    Pump();
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 0u);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 55), 0);

    TRmRecordStruct* a = Add(L"A", L"a.mp3");
    ShowReminders({a});
    Pump();
    ASSERT_EQ(frmRemindDlg->GetSoundDevice(), 21u);
    PostMessageW(wnd, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 56);
    PostMessageW(wnd, MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 57);
    Pump();
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 56), 0);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 57), 0);
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 21u);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 21), 0);
    // Its own end still closes it.
    PostMessageW(wnd, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 21);
    Pump();
    EXPECT_EQ(frmRemindDlg->GetSoundDevice(), 0u);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 21), 1);
}

TEST_F(NoticeTest, TextsOfALanguageFile) {
    const std::wstring file = dir_.File(L"Lang.ini");
    WriteLangFile(file,
                  L"[Translation]\r\n"
                  L"TfrmRemindDlg.Caption=Hinweis\r\n"
                  L"TfrmRemindDlg.Caption_1=Verpasst\r\n"
                  L"TfrmRemindDlg.btnComplete.Caption=Erledigt\r\n"
                  L"TfrmRemindDlg.btnDelay.Caption=Verschieben\r\n"
                  L"constMMs=Minuten\r\n"
                  L"constHH=Stunde\r\n"
                  L"constHHs=Stunden\r\n");
    LangFile = file;
    LangIni.reset();
    ShowReminders(AddMany(1));
    ASSERT_NE(frmRemindDlg, nullptr);
    EXPECT_EQ(frmRemindDlg->GetCaption(), L"Hinweis");
    EXPECT_EQ(frmRemindDlg->btnComplete->GetCaption(), L"Erledigt");
    EXPECT_EQ(frmRemindDlg->lbl1->GetCaption(), L"Verschieben");
    fw::TStrings* items = frmRemindDlg->cbDelay->GetItems();
    ASSERT_EQ(items->Count(), 5);
    EXPECT_EQ(items->Get(0), L"5 Minuten");
    EXPECT_EQ(items->Get(2), L"30 Minuten");
    EXPECT_EQ(items->Get(3), L"1 Stunde");
    EXPECT_EQ(items->Get(4), L"4 Stunden");
    ShowMissedReminders(AddMany(1));
    EXPECT_EQ(frmRemindDlg->GetCaption(), L"Verpasst");
    // Back to the ordinary caption of the language, not of the description.
    frmRemindDlg->btnCompleteClick(nullptr);
    ShowReminders(AddMany(1));
    EXPECT_EQ(frmRemindDlg->GetCaption(), L"Hinweis");
}

TEST_F(NoticeTest, FindsTheTaskbarWindowByItsClass) {
    SetTaskbarRectSource(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Shell_TrayWnd";
    RegisterClassExW(&wc);
    const int top = screenH_ - 30;
    // Topmost and the newest, so it comes before a taskbar the desktop may have of its own.
    HWND bar = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"Shell_TrayWnd", L"", WS_POPUP, 0, top, screenW_,
                               30, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(bar, nullptr);
    const bool ours = FindWindowW(L"Shell_TrayWnd", nullptr) == bar;
    if (ours) ShowReminders(AddMany(2));
    DestroyWindow(bar);
    UnregisterClassW(L"Shell_TrayWnd", GetModuleHandleW(nullptr));
    if (!ours) GTEST_SKIP() << "the desktop's own taskbar is found first";
    ASSERT_NE(frmRemindDlg, nullptr);
    EXPECT_EQ(frmRemindDlg->GetTrayTop(), top);
    const RECT r = WindowRect();
    EXPECT_EQ(r.bottom, top);
    EXPECT_EQ(r.right, screenW_);
    EXPECT_EQ(r.bottom - r.top, 2 * 44 + 40 + 100);
}

// At the end of the run the store goes (and frees its records) before the notice window does.
TEST_F(NoticeTest, AfterTheStoreIsGoneItsRecordsAreNotTouched) {
    TReminderList l = AddMany(2);
    ShowReminders(l);
    l[0]->NextDue = 7;
    RemindFile = nullptr;
    frmRemindDlg->cbDelayChange(nullptr);
    EXPECT_EQ(l[0]->NextDue, 7);
    EXPECT_TRUE(view_.refreshed.empty());
    ShowReminders(AddMany(1));  // still lists, by name
    TQimListBox* lb = frmRemindDlg->lbReminds;
    ASSERT_EQ(lb->Count(), 3);
    lb->Repaint();
    DibSurface s(lb->GetWidth(), lb->GetHeight(), 0xFF00FF00);
    lb->PaintTo(s.Dc(), 0, 0);
    const RECT all{0, 0, lb->GetWidth(), lb->GetHeight()};
    EXPECT_EQ(s.CountColor(all, 0x848484), 0);
}

// Last: it destroys every component of the application, as the end of the run does.
TEST_F(NoticeTest, TheEndOfTheApplicationDestroysTheWindowAndStopsItsSound) {
    TRmRecordStruct* a = Add(L"A", L"a.mp3");
    ShowReminders({a});
    Pump();
    ASSERT_EQ(frmRemindDlg->GetSoundDevice(), 21u);
    fw::Application->DestroyForms();
    EXPECT_EQ(frmRemindDlg, nullptr);
    EXPECT_EQ(sound_.Count(MCI_STOP, 21), 1);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 21), 1);
    // A later announcement makes a new window (and it goes the same way).
    ShowReminders(AddMany(1));
    ASSERT_NE(frmRemindDlg, nullptr);
    EXPECT_TRUE(frmRemindDlg->GetVisible());
    fw::Application->DestroyForms();
    EXPECT_EQ(frmRemindDlg, nullptr);
}
