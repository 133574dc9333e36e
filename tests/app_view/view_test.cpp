// The visible window: the list modes, completing, recovering and deleting (and what reaches the
// data file), hover buttons, drawn rows; the editor, its refusals, the test sound, and the slide.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app_window_test.h"
#include "fake_sound.h"
#include "fw_dialogs.h"
#include "fw_inifiles.h"

using namespace testsupport;

namespace {

class ViewTest : public AppWindowTest {
protected:
    // Wednesday 5 June 2024, 14:30:00.
    static constexpr double kNowDay = 45448;
    fw::TDateTime now_ = fw::EncodeDateTime(2024, 6, 5, 14, 30, 0, 0);

    void SetUp() override {
        AppWindowTest::SetUp();
        fw::SetClock([this] { return now_; });
        OpenStore();
    }
    void TearDown() override {
        AppWindowTest::TearDown();
        fw::SetFileDialogHandler(nullptr);
        fw::SetClock(nullptr);
    }
    // The data file as a fresh store reads it.
    std::unique_ptr<TRemindFile> Reread() const { return std::make_unique<TRemindFile>(DataFile); }

    TRmRecordStruct* Add(const std::wstring& name, uint8_t period, double wake, double end = 0, double next = 0) {
        auto* r = new TRmRecordStruct;
        r->Name = name;
        r->CreateDateTime = kNowDay - 10 + 0.0001 * (++created_);
        r->LastTime = r->CreateDateTime;
        r->WakeTime = wake;
        r->Period = period;
        r->EndTime = end;
        r->NextDue = next;
        r->SetDate(kNowDay + 1);
        Store->AddRecord(r);
        return r;
    }
    TfrmView* Open() {
        TfrmView* v = fw::TForm::CreateForm<TfrmView>(nullptr);
        v->Show();
        Pump(30);
        return v;
    }
    // Lays the items out (rectangles are computed in painting) and moves the mouse over item i.
    static void Hover(TfrmView* v, int i) {
        v->lbData->Repaint();
        Pump(20);
        const fw::TRect r = v->lbData->GetItem(i)->ItemRect;
        v->lbDataMouseMove(v->lbData, {}, r.Left + 30, r.Top + 20);
    }
    // Opens the editor on the first row, as its hover button does.
    static void EditFirst(TfrmView* v) {
        Hover(v, 0);
        v->LoadEditor(v->lbData->GetItem(0));
    }
    static void Mode(TfrmView* v, bool completed) {
        v->btnUnfinish1Click(completed ? v->btnCompleted : v->btnUnfinish);
    }
    static std::vector<TRmRecordStruct*> Listed(TfrmView* v) {
        std::vector<TRmRecordStruct*> l;
        for (TVeskLvItem* i : v->lbData->GetItems()) l.push_back(static_cast<TRmRecordStruct*>(i->Data));
        return l;
    }
    static std::vector<std::wstring> Names(const TRemindFile& s) {
        std::vector<std::wstring> n;
        for (auto* r : s.Records) n.push_back(r->Name);
        return n;
    }
    // The editor's panels shown, by name.
    static std::string Panels(TfrmView* v) {
        std::string s;
        for (auto [p, name] : {std::pair<fw::TControl*, const char*>{v->pnlDate, "date"}, {v->pnlWeek, "week"},
                               {v->pnlMonth, "month"}, {v->pnlVoice, "voice"}})
            if (p->GetVisible()) s += (s.empty() ? "" : " ") + std::string(name);
        return s;
    }
    // The editor filled for a new reminder with a name and a rule.
    static void NewReminder(TfrmView* v, const std::wstring& name, int period) {
        v->btnNewClick(v->btnNew);
        v->edName->SetText(name);
        v->cbPeriod->SetIndex(period);
        v->ShowRepeatPanel(period);
    }
    // The test button pressed, and its sound's start let through.
    static void PressTest(TfrmView* v) {
        v->btnTestClick(v->btnTest);
        Pump(30);
    }
    static void Notify(TfrmView* v, WPARAM how, LPARAM device) {
        PostMessageW(v->GetHandle(), MM_MCINOTIFY, how, device);
        Pump(30);
    }

    TFakeSound sound_{31};  // device ids from 31
    int created_ = 0;
};

}  // namespace

// --- The list --------------------------------------------------------------------------------

TEST_F(ViewTest, EachModeListsItsRecordsAFinishedOnePostponedStaysFinishedAndDeletingErasesIt) {
    auto* active = Add(L"active", 1, 0.25);
    auto* done = Add(L"done", 0, 0.25, kNowDay - 1);
    // A daily reminder finished yesterday, postponed from the notice window to 15:00 today.
    auto* postponed = Add(L"postponed", 1, 0.25, kNowDay - 1, kNowDay + 0.625);
    auto* active2 = Add(L"active two", 2, 0.5);
    active2->SetWeekDays(3, true);
    auto* gone = Add(L"gone", 0, 0.25, kNowDay - 1);
    // The notice window lists the record about to go.
    ShowReminders({gone});
    ASSERT_NE(frmRemindDlg, nullptr);
    TfrmView* v = Open();
    EXPECT_EQ(SharedNcResource(), v->vkncrsrc1);
    // The list's look from its description: no border, hot text in the desktop colour, split 5/15.
    EXPECT_EQ(v->lbData->GetBorderColor(), fw::clNone);
    EXPECT_EQ(v->lbData->GetFontColorOver(), fw::clBackground);
    const TVeskPadding* split = v->lbData->Getitemsplit();
    EXPECT_EQ((std::vector<int>{split->GetLeft(), split->GetTop(), split->GetRight(), split->GetBottom()}),
              (std::vector<int>{5, 5, 15, 15}));
    const struct {
        bool completed;
        std::vector<TRmRecordStruct*> listed;
        const wchar_t *caption, *deleteHint;
    } modes[] = {{true, {done, gone}, L"Completed", L"Delete"},
                 {false, {active, postponed, active2}, L"Unfinished", L"Mark as finished"}};
    for (const auto& m : modes) {
        Mode(v, m.completed);
        EXPECT_EQ(Listed(v), m.listed);
        EXPECT_EQ(v->txCaption->GetCaption(), m.caption);
        EXPECT_EQ(v->btnNew->GetVisible(), !m.completed);
        EXPECT_EQ(v->btnUnfinish->GetBtnStatus(), m.completed ? bsNormal : bsSelect);
        EXPECT_EQ(v->btnDelete->GetHint(), m.deleteHint);
    }

    // Finishing the postponed one keeps it finished: not listed, not announced at 15:00.
    v->CompleteItem(v->FindListItem(postponed));
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{active, active2}));
    EXPECT_EQ(postponed->EndTime, kNowDay - 1);
    EXPECT_EQ(postponed->NextDue, 0);
    EXPECT_NEAR(Reread()->Records[2]->EndTime, kNowDay - 1, 1.0 / 86400);
    now_ = kNowDay + 0.625 - 2.0 / 86400;
    v->timerTimer(v->Timer1);
    EXPECT_TRUE(v->GetScheduler()->GetDueList().empty());
    v->FillList(true);
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{active, active2}));

    // Deleting in the completed mode asks nothing, and the notice window forgets the record first.
    Mode(v, true);
    Hover(v, 2);
    ASSERT_NE(frmRemindDlg->FindItem(gone), nullptr);
    v->btnDeleteClick(v->btnDelete);
    EXPECT_TRUE(Asked.empty());
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{done, postponed}));
    EXPECT_EQ(Store->Records, (std::vector<TRmRecordStruct*>{active, done, postponed, active2}));
    EXPECT_TRUE(frmRemindDlg == nullptr || frmRemindDlg->FindItem(gone) == nullptr);
    EXPECT_EQ(Names(*Reread()), (std::vector<std::wstring>{L"active", L"done", L"postponed", L"active two"}));
    v->Free();
    EXPECT_NE(SharedNcResource(), nullptr);
}

TEST_F(ViewTest, CompletingWritesTheCompletionTimeUnlessTheSaveFailsAndRecoveringMakesItActiveAgain) {
    auto* a = Add(L"a", 1, 0.25);
    auto* b = Add(L"b", 1, 0.75);
    TfrmView* v = Open();
    Store->RefuseAll = true;
    EXPECT_THROW(v->CompleteItem(v->lbData->GetItem(0)), fw::EIniFileException);
    EXPECT_EQ(a->EndTime, 0);
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{a, b}));
    Store->RefuseAll = false;
    Hover(v, 0);
    v->btnDeleteClick(v->btnDelete);
    EXPECT_TRUE(Asked.empty());
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{b}));
    EXPECT_FALSE(v->btnDelete->GetVisible());
    EXPECT_DOUBLE_EQ(a->EndTime, now_);
    auto again = Reread();
    EXPECT_NEAR(again->Records[0]->EndTime, now_, 1.0 / 86400);
    EXPECT_EQ(again->Records[1]->EndTime, 0);
    Mode(v, true);
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{a}));

    Hover(v, 0);
    v->btnDetailsClick(v->btnDetails);
    ASSERT_TRUE(v->EditorShown());
    EXPECT_EQ(v->GetEditItem(), v->lbData->GetItem(0));
    v->btnDoneClick(v->btnDone);
    EXPECT_EQ(a->EndTime, 0);
    EXPECT_TRUE(Listed(v).empty());
    EXPECT_EQ(Reread()->Records[0]->EndTime, 0);
    Mode(v, false);
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{a, b}));
}

TEST_F(ViewTest, HoverButtonsFollowTheItemUnderTheMouse) {
    for (int i = 0; i < 3; ++i) Add(L"r" + std::to_wstring(i), 1, 0.25 + 0.1 * i);
    TfrmView* v = Open();
    Hover(v, 1);
    TVeskLvItem* second = v->lbData->GetItem(1);
    const fw::TRect r = second->ItemRect, third = v->lbData->GetItem(2)->ItemRect;
    EXPECT_TRUE(v->btnDetails->GetVisible());
    EXPECT_EQ(v->HoverItem(), second);
    EXPECT_EQ(v->btnDelete->GetTop(), r.Top + (50 - 29) / 2);  // centred on the row

    // Below the last item: no item, no buttons.
    v->lbDataMouseMove(v->lbData, {}, 10, third.Bottom + 20);
    EXPECT_FALSE(v->btnDelete->GetVisible());
    EXPECT_EQ(v->HoverItem(), nullptr);

    // Leaving the list onto a hover button keeps both; leaving it elsewhere hides them.
    auto leaveAt = [v](int x, int y) {
        POINT p{x, y};
        ClientToScreen(v->lbData->GetHandle(), &p);
        SetCursorPos(p.x, p.y);
        v->lbDataMouseLeave(v->lbData);
    };
    Hover(v, 1);
    leaveAt(v->btnDelete->GetLeft() + 5, v->btnDelete->GetTop() + 5);
    EXPECT_TRUE(v->btnDelete->GetVisible());
    EXPECT_TRUE(v->btnDetails->GetVisible());
    leaveAt(-50, r.Top + 5);
    EXPECT_FALSE(v->btnDelete->GetVisible());
    EXPECT_FALSE(v->btnDetails->GetVisible());
}

TEST_F(ViewTest, TicksAnnounceAReminderReportAFailedWriteAndCompletingItLeavesNoDanglingItem) {
    // Once, due at 14:30:03 today, three seconds after the first tick.
    auto* once = Add(L"once", 0, fw::EncodeTime(14, 30, 3, 0));
    once->SetDate(kNowDay);
    Store->UpdateRecord(once);
    auto* daily = Add(L"daily", 1, 0.9);
    TfrmView* v = Open();
    EditFirst(v);
    ASSERT_EQ(v->HoverItem(), v->lbData->GetItem(0));
    // The tick announces it, and reports a write that failed.
    Store->RefuseAll = true;
    v->timerTimer(v->Timer1);
    Store->RefuseAll = false;
    ASSERT_NE(frmRemindDlg, nullptr);
    EXPECT_NE(frmRemindDlg->FindItem(once), nullptr);
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_NE(Asked[0].text.find(DataFile), std::wstring::npos);
    EXPECT_EQ(Listed(v).size(), 2u);
    EXPECT_FALSE(daily->TimeLeftText.empty());
    // While the editor is open its time passes and the scheduler completes it.
    now_ += 10.0 / 86400;
    v->timerTimer(v->Timer1);
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{daily}));
    EXPECT_NE(once->EndTime, 0);
    // The hover buttons and the editor forgot the item that left the list.
    EXPECT_EQ(v->HoverItem(), nullptr);
    EXPECT_EQ(v->GetEditItem(), nullptr);
    v->btnDeleteClick(v->btnDelete);
    EXPECT_EQ(daily->EndTime, 0);
    // The edit is saved to its record, which is active again.
    v->edName->SetText(L"later");
    v->cbPeriod->SetIndex(1);
    EXPECT_TRUE(v->SaveEditor());
    EXPECT_EQ(Store->Records.size(), 2u);
    EXPECT_EQ(once->Name, L"later");
    EXPECT_EQ(once->EndTime, 0);
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{daily, once}));
}

TEST_F(ViewTest, ItemTextsAreDrawnInTheirRowsOnOneLine) {
    auto* r = Add(L"Water the plants", 1, 0.25);
    TfrmView* v = Open();
    r->TimeLeftText = L"1 Day  ";
    DibSurface dib(472, 50, 0xFFFFFFFF);
    TVeskLvItem* item = v->lbData->GetItem(0);
    item->ItemRect = {0, 0, 472, 50};
    item->TextRect = {10, 8, 460, 42};
    auto draw = [&] {
        dib.Fill(0xFFFFFFFF);
        fw::TCanvas canvas(dib.Dc());
        canvas.GetFont()->SetName(L"Tahoma");
        canvas.GetFont()->SetSize(9);
        canvas.GetFont()->SetColor(fw::clBlack);
        v->lbDataItemAfterDraw(&canvas, 0, item);
        EXPECT_EQ(canvas.GetFont()->GetSize(), 9);
        canvas.SetHandle(nullptr);
    };
    draw();
    // Name above, grey texts below, the separator at the bottom; the hover buttons' 55 pixels empty.
    EXPECT_GT(dib.CountColor(RECT{10, 0, 405, 20}, 0x000000), 10);
    EXPECT_GT(dib.CountColor(RECT{10, 19, 405, 40}, 0x848484), 10);
    EXPECT_EQ(dib.CountColor(RECT{0, 49, 472, 50}, 0xD5D5D5), 472);
    EXPECT_EQ(dib.CountColor(RECT{406, 0, 472, 48}, 0xFFFFFF), 66 * 48);

    // A text of two lines keeps to the upper line.
    r->Name = L"Water the plants\r\nand feed the cat";
    draw();
    EXPECT_GT(dib.CountColor(RECT{10, 0, 405, 17}, 0x000000), 10);
    EXPECT_EQ(dib.CountColor(RECT{10, 17, 405, 49}, 0x000000), 0);
}

TEST_F(ViewTest, TheEmptyListsShowTheirPictures) {
    TfrmView* v = Open();
    const int w = v->lbData->GetWidth(), h = v->lbData->GetHeight();
    auto draw = [&] { return Render(v->lbData, 0xFFFFFFFF); };
    auto pic = [&](int i) { return v->imgStorage->GetImages()->Items(i)->GetPicture()->GetGraphic(); };
    // Some of the picture's pixels are not white.
    auto drawn = [&](const DibSurface& dib, int i, int x, int y) {
        const int pw = pic(i)->GetWidth(), ph = pic(i)->GetHeight();
        return dib.CountColor(RECT{x, y, x + pw, y + ph}, 0xFFFFFF) < pw * ph;
    };
    const int y = (h - pic(0)->GetHeight()) / 2;
    const RECT text{pic(0)->GetWidth() + 47, y + 20, pic(0)->GetWidth() + 47 + 280, y + 120};
    auto dib = draw();
    EXPECT_TRUE(drawn(*dib, 0, 35, y));
    EXPECT_TRUE(drawn(*dib, 1, w - pic(1)->GetWidth() - 55, 35));
    EXPECT_GT(dib->CountColor(text, 0xF6C892), 20);

    Mode(v, true);
    dib = draw();
    const int x2 = (w - pic(2)->GetWidth()) / 2, y2 = (h - pic(2)->GetHeight()) / 2 - 30;
    EXPECT_TRUE(drawn(*dib, 2, x2, y2));
    const int below = y2 + pic(2)->GetHeight() + 10;
    EXPECT_GT(dib->CountColor(RECT{0, below, w, below + 100}, 0xBDBDBD), 20);
    // With items neither list's picture shows.
    Add(L"one", 1, 0.5);
    v->FillList(true);
    dib = draw();
    EXPECT_FALSE(drawn(*dib, 0, 35, y));
    EXPECT_FALSE(drawn(*dib, 2, x2, y2));
}

TEST_F(ViewTest, EveryDayBoxDrawsFromTheSkinOfTheFirstMonthDay) {
    TfrmView* v = Open();
    const auto want = v->ckbM1->GetFrame(0)->SaveToBytes();
    for (int i = 0; i < 31; ++i) {
        ASSERT_NE(v->MonthBoxes[i]->GetFrame(1), nullptr) << "day " << i + 1;
        EXPECT_EQ(v->MonthBoxes[i]->GetFrame(0)->SaveToBytes(), want) << "day " << i + 1;
    }
    for (int i = 0; i < 7; ++i) {
        ASSERT_NE(v->WeekBoxes[i]->GetFrame(0), nullptr) << i;
        EXPECT_EQ(v->WeekBoxes[i]->GetFrame(0)->SaveToBytes(), want) << i;
    }
}

// --- The editor ------------------------------------------------------------------------------

TEST_F(ViewTest, TheRefusalsKeepTheEditorAndTheStore) {
    TfrmView* v = Open();
    NewReminder(v, L"", 1);
    EXPECT_FALSE(v->SaveEditor());
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Asked[0].text, L"Please fill the description of the reminder!");
    EXPECT_EQ(Asked[0].type, mtWarning);

    // Once, today, a minute ago; weekly and monthly without days.
    v->edName->SetText(L"late");
    v->edDate->SetDate(kNowDay);
    v->edTime->SetTime(fw::EncodeTime(14, 29, 0, 0));
    for (auto* b : v->WeekBoxes) b->SetChecked(false);
    for (auto* b : v->MonthBoxes) b->SetChecked(false);
    const struct {
        int period;
        const wchar_t* text;
    } refused[] = {{0, L"You have set a time earlier than the current time!"},
                   {2, L"Please select at least one item!"},
                   {3, L"Please select at least one item!"}};
    for (const auto& c : refused) {
        v->cbPeriod->SetIndex(c.period);
        EXPECT_FALSE(v->SaveEditor()) << c.period;
        EXPECT_EQ(Asked.back().text, c.text) << c.period;
    }
    EXPECT_EQ(Asked.size(), 4u);
    EXPECT_TRUE(v->EditorShown());
    EXPECT_TRUE(Store->Records.empty());
    EXPECT_EQ(v->edName->GetText(), L"late");

    // The same time weekly with two days: accepted.
    v->cbPeriod->SetIndex(2);
    v->WeekBoxes[1]->SetChecked(true);
    v->WeekBoxes[5]->SetChecked(true);
    EXPECT_TRUE(v->SaveEditor());
    ASSERT_EQ(Store->Records.size(), 1u);
    EXPECT_NEAR(Store->Records[0]->WakeTime, fw::EncodeTime(14, 29, 0, 0), 1e-6);
    auto again = Reread();
    for (int i = 0; i < 7; ++i) EXPECT_EQ(again->Records[0]->GetWeekDays(i), i == 1 || i == 5) << i;
}

TEST_F(ViewTest, AFailedSaveIsNotTakenForASaveAndANewReminderIsSavedWithItsLineBreaks) {
    auto* r = Add(L"old", 1, 0.5);
    TfrmView* v = Open();
    EditFirst(v);
    v->edName->SetText(L"new name");
    Store->RefuseAll = true;
    EXPECT_THROW(v->SaveEditor(), fw::EIniFileException);
    EXPECT_EQ(r->Name, L"old");
    EXPECT_TRUE(v->EditorShown());
    EXPECT_EQ(v->edName->GetText(), L"new name");
    v->btnBackClick(v->btnBack);

    NewReminder(v, L"Call mum\r\nand dad", 1);
    v->cbbVoice->SetIndex(1);
    EXPECT_THROW(v->SaveEditor(), fw::EIniFileException);
    EXPECT_EQ(Store->Records.size(), 1u);
    EXPECT_EQ(Listed(v).size(), 1u);
    EXPECT_TRUE(v->EditorShown());
    // Save, once the store takes it: written, listed at once, the editor gone.
    Store->RefuseAll = false;
    v->btnDoneClick(v->btnDone);
    EXPECT_TRUE(Asked.empty());
    EXPECT_FALSE(v->EditorShown());
    ASSERT_EQ(Store->Records.size(), 2u);
    TRmRecordStruct* added = Store->Records[1];
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{r, added}));
    EXPECT_EQ(added->Voice, L"default.mp3");
    EXPECT_DOUBLE_EQ(added->CreateDateTime, now_);
    EXPECT_EQ(Names(*Reread()), (std::vector<std::wstring>{L"old", L"Call mum\r\nand dad"}));
    // Loading it again keeps the line breaks in the edit.
    v->LoadEditor(v->FindListItem(added));
    EXPECT_EQ(v->edName->GetText(), L"Call mum\r\nand dad");
}

TEST_F(ViewTest, LoadingShowsTheRecordsRuleDaysAndVoiceBackDiscardsTheInputsAndChoicesShowTheirPanels) {
    auto* monthly = Add(L"rent", 3, 0.375);
    monthly->SetMonthDays(0, true);
    monthly->SetMonthDays(30, true);
    monthly->Voice = L"default.mp3";
    auto* custom = Add(L"song", 4, 0.5);
    custom->Voice = L"C:\\Music\\bell.wav";
    auto* mute = Add(L"quiet", 1, 0.5);
    auto* odd = Add(L"odd", 255, 0.25);  // an unknown rule: "Once", not the rule loaded before
    TfrmView* v = Open();
    const struct {
        TRmRecordStruct* r;
        int period, voice;
        const char* panels;
    } cases[] = {{monthly, 3, 1, "month"}, {custom, 4, 2, "date voice"}, {odd, 0, 0, "date"}, {mute, 1, 0, ""}};
    for (const auto& c : cases) {
        v->LoadEditor(v->FindListItem(c.r));
        EXPECT_EQ(v->edName->GetText(), c.r->Name);
        EXPECT_EQ(v->cbPeriod->GetIndex(), c.period) << Narrow(c.r->Name);
        EXPECT_EQ(v->cbbVoice->GetIndex(), c.voice) << Narrow(c.r->Name);
        EXPECT_EQ(Panels(v), c.panels) << Narrow(c.r->Name);
        if (c.r == monthly) {
            EXPECT_NEAR(v->edTime->GetTime(), 0.375, 1e-6);
            for (int i = 0; i < 31; ++i) EXPECT_EQ(v->MonthBoxes[i]->GetChecked(), i == 0 || i == 30) << i;
        } else if (c.r == custom) {
            EXPECT_DOUBLE_EQ(v->edDate->GetDate(), kNowDay + 1);
            EXPECT_EQ(v->edtVoice->GetText(), L"C:\\Music\\bell.wav");
        }
        // Back discards the inputs and leaves the record as the file has it.
        v->edName->SetText(L"other");
        v->btnBackClick(v->btnBack);
    }
    EXPECT_EQ(Names(*Store), (std::vector<std::wstring>{L"rent", L"song", L"quiet", L"odd"}));
    EXPECT_EQ(odd->Period, 255);
    EXPECT_TRUE(Asked.empty());

    // Choosing a rule or a voice shows their panels; the voice file comes from the open dialog.
    v->btnNewClick(v->btnNew);
    const char* panels[] = {"date", "", "week", "month", "date"};
    for (int period = 0; period < 5; ++period) {
        v->cbPeriodItemClick(v->cbPeriod, v->cbPeriod->GetItem(period));
        EXPECT_EQ(Panels(v), panels[period]) << period;
    }
    for (int i = 0; i < 3; ++i) {
        v->cbbVoiceItemClick(v->cbbVoice, v->cbbVoice->GetItem(i));
        EXPECT_EQ(Panels(v), i == 2 ? "date voice" : "date") << i;
    }
    fw::SetFileDialogHandler([&](OPENFILENAMEW& ofn, bool save) {
        EXPECT_FALSE(save);
        wcsncpy(ofn.lpstrFile, L"C:\\Sounds\\ring.mp3", ofn.nMaxFile);
        return true;
    });
    v->btnSelFileClick(v->btnSelFile);
    v->cbbVoice->SetIndex(2);
    v->cbPeriod->SetIndex(1);
    v->edName->SetText(L"ring");
    ASSERT_TRUE(v->SaveEditor());
    EXPECT_EQ(Store->Records.back()->Voice, L"C:\\Sounds\\ring.mp3");
}

// --- The test sound --------------------------------------------------------------------------

TEST_F(ViewTest, TheTestButtonPlaysOneSoundAtATimeAndStopsOnlyItsOwn) {
    TfrmView* v = Open();
    v->btnNewClick(v->btnNew);
    v->edtVoice->SetText(L"C:\\Sounds\\ring.mp3");
    PressTest(v);
    ASSERT_EQ(sound_.opened, (std::vector<std::wstring>{L"C:\\Sounds\\ring.mp3"}));
    EXPECT_EQ(v->GetSoundDevice(), 31u);
    // A late notice may name the notice window's device now: only its own device is closed.
    PostMessageW(v->GetHandle(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 77);
    Notify(v, MCI_NOTIFY_FAILURE, 78);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 77) + sound_.Count(MCI_CLOSE, 78), 0);
    EXPECT_EQ(v->GetSoundDevice(), 31u) << "the test sound plays on";
    v->btnTestClick(v->btnTest);
    EXPECT_EQ(v->GetSoundDevice(), 0u);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 31), 1);

    // Played to its end, or failed: MCI's notice closes the device.
    for (WPARAM how : {MCI_NOTIFY_SUCCESSFUL, MCI_NOTIFY_FAILURE}) {
        PressTest(v);
        const MCIDEVICEID d = v->GetSoundDevice();
        ASSERT_NE(d, 0u);
        Notify(v, how, d);
        EXPECT_EQ(v->GetSoundDevice(), 0u);
        EXPECT_EQ(sound_.Count(MCI_CLOSE, d), 1);
    }
    // A second press before the sound named its device stops it.
    v->btnTestClick(v->btnTest);
    PressTest(v);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 34), 1);
    EXPECT_EQ(v->GetSoundDevice(), 0u);
    EXPECT_FALSE(v->GetSoundStarting());

    // A file that does not play is reported, and the next press tries again.
    Asked.clear();
    v->edtVoice->SetText(L"C:\\bad.txt");
    PressTest(v);
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Asked[0].text, L"Unrecognized sound file!");
    EXPECT_FALSE(v->GetSoundStarting());
    v->edtVoice->SetText(L"C:\\good.wav");
    PressTest(v);
    ASSERT_EQ(v->GetSoundDevice(), 35u);
    // Saving stops it, and so does closing the window.
    v->edName->SetText(L"x");
    v->cbPeriod->SetIndex(1);
    v->btnDoneClick(v->btnDone);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 35), 1);
    EXPECT_EQ(v->GetSoundDevice(), 0u);
    v->btnNewClick(v->btnNew);
    PressTest(v);
    const MCIDEVICEID d = v->GetSoundDevice();
    v->Free();
    EXPECT_EQ(sound_.Count(MCI_CLOSE, d), 1);
}

// --- The slide -------------------------------------------------------------------------------

TEST_F(ViewTest, TheSlideIgnoresCommandsMeanwhileAndWithTheEditorOpenCommandsAskFirstOrDoNothing) {
    auto* r = Add(L"walk", 1, 0.25);
    TfrmView* v = Open();
    Hover(v, 0);
    std::vector<int> lefts;
    fw::TTimer probe(nullptr);
    probe.SetInterval(1);
    probe.SetOnTimer([&](fw::TObject*) {
        if (!v->Sliding()) return;
        lefts.push_back(v->pnlDetails->GetLeft());
        // A second click on "New" or "Save" while the editor slides in does nothing.
        v->btnNewClick(v->btnNew);
        v->btnDoneClick(v->btnDone);
        // A tab clicked meanwhile (the button selects itself) neither switches nor stays selected.
        v->btnCompleted->SetBtnStatus(bsSelect);
        Mode(v, true);
    });
    probe.SetEnabled(true);
    v->btnNewClick(v->btnNew);
    probe.SetEnabled(false);
    EXPECT_EQ(v->pnlDetails->GetLeft(), 0);
    EXPECT_EQ(v->pnlList->GetLeft(), -472);
    ASSERT_FALSE(lefts.empty());
    for (int l : lefts) EXPECT_TRUE(l == 0 || (l > 0 && (472 - l) % 30 == 0)) << l;
    EXPECT_EQ(Store->Records.size(), 1u);
    EXPECT_TRUE(Asked.empty());
    EXPECT_EQ(v->ListMode(), 0);
    EXPECT_EQ(v->btnCompleted->GetBtnStatus(), bsNormal);

    // The hovered item is still remembered; a late click on its button must not slide the editor away.
    v->edName->SetText(L"typed");
    v->btnDetailsClick(v->btnDetails);
    EXPECT_EQ(v->edName->GetText(), L"typed");
    EXPECT_EQ(v->GetEditItem(), nullptr);
    EXPECT_EQ(r->Name, L"walk");
    // Switching the mode asks first.
    Answers = {fw::mrNo, fw::mrYes};
    Mode(v, true);
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Asked[0].text, L"You have unsaved changes. Are you sure to leave this page?");
    EXPECT_EQ(Asked[0].buttons, (TMsgDlgButtons{mbYes, mbNo}));
    EXPECT_TRUE(v->EditorShown());
    EXPECT_EQ(v->ListMode(), 0);
    Mode(v, true);
    EXPECT_FALSE(v->EditorShown());
    EXPECT_EQ(v->pnlList->GetLeft(), 0);
    EXPECT_EQ(v->pnlDetails->GetLeft(), 472);
    EXPECT_FALSE(v->Sliding());
    EXPECT_EQ(v->ListMode(), 1);
}

// --- Keyboard --------------------------------------------------------------------------------

TEST_F(ViewTest, TabWalksTheEditorInItsDesignedOrderOverTheShownDayBoxes) {
    TfrmView* v = Open();
    v->SetFocus();
    const std::vector<fw::TControl*> week(std::begin(v->WeekBoxes), std::end(v->WeekBoxes));
    std::vector<fw::TControl*> all{v->edName, v->cbPeriod, v->edTime, v->edDate, v->cbbVoice};
    all.insert(all.end(), week.begin(), week.end());
    // The controls between edTime and cbbVoice per rule.
    const std::pair<int, std::vector<fw::TControl*>> cases[] = {{0, {v->edDate}}, {1, {}}, {2, week}};
    for (const auto& [period, between] : cases) {
        NewReminder(v, L"x", period);
        v->edName->SetFocus();
        Pump(20);
        std::vector<fw::TControl*> expected{v->cbPeriod, v->edTime}, walked;
        expected.insert(expected.end(), between.begin(), between.end());
        expected.insert(expected.end(), {v->cbbVoice, v->edName});
        while (walked.size() < expected.size()) {
            PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
            Pump(20);
            const auto f = std::find_if(all.begin(), all.end(), [](fw::TControl* k) { return k->Focused(); });
            walked.push_back(f == all.end() ? nullptr : *f);
        }
        EXPECT_EQ(walked, expected) << period;
        EXPECT_EQ(v->edName->GetText(), L"x");
        v->btnBackClick(v->btnBack);
    }
    // Choosing the rule with the keys shows its panel as a choice in the list does.
    NewReminder(v, L"y", 0);
    v->cbPeriod->SetFocus();
    for (int i = 0; i < 2; ++i) SendMessageW(GetFocus(), WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(v->cbPeriod->GetIndex(), 2);
    EXPECT_TRUE(v->pnlWeek->GetVisible() && !v->pnlDate->GetVisible());
    v->btnBackClick(v->btnBack);
    v->Free();
}
