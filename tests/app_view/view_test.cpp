// The visible window: which reminders each list mode shows, completing, recovering and deleting
// them (and what reaches the data file), the hover buttons, the drawn items and empty-list
// pictures; the editor's loading, its three refusals, saving new and changed reminders, the
// repeat panels, the voice choice and the test sound over a fake MCI, and the slide.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

#include "PublicFuns.h"
#include "fw_dialogs.h"
#include "fw_inifiles.h"
#include "fake_sound.h"
#include "test_support.h"
#include "uMainForm.h"
#include "uRemindDlg.h"

using namespace testsupport;

namespace {

struct Asked {
    std::wstring caption, text;
    uint8_t type;
    TMsgDlgButtons buttons;
};

// Opening gives device ids from 31.
class FakeSound : public testsupport::TFakeSound {
public:
    FakeSound() : TFakeSound(31) {}
};

// A store whose saves can be refused, as a full disk or a read-only file would refuse them.
class RefusingStore : public TRemindFile {
public:
    explicit RefusingStore(const std::wstring& FileName) : TRemindFile(FileName) {
        FileWriter = [this](const std::wstring& f, const std::vector<uint8_t>& b) {
            return !refuse && WriteFileAtomically(f, b);
        };
    }
    bool refuse = false;
};

void WriteLangFile(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    WriteFileBytes(path, bytes);
}

std::vector<uint8_t> PngBytes(fw::TGraphic* g) {
    auto* png = dynamic_cast<fw::TPngImage*>(g);
    return png ? png->SaveToBytes() : std::vector<uint8_t>{};
}

class ViewTest : public ::testing::Test {
protected:
    // Wednesday 5 June 2024, 14:30:00.
    static constexpr double kNowDay = 45448;
    fw::TDateTime now_ = fw::EncodeDateTime(2024, 6, 5, 14, 30, 0, 0);

    void SetUp() override {
        fw::Application->Initialize();
        fw::Application->OnException = [this](fw::TObject*, const fw::Exception& e) { errors_.push_back(e.Message); };
        LangFile = dir_.File(L"NoLanguage.ini");
        LangIni.reset();
        fw::SetClock([this] { return now_; });
        savedComposition_ = NcCompositionEnabledProc;
        savedAllow_ = NcAllowNcPaintProc;
        NcCompositionEnabledProc = [] { return false; };
        NcAllowNcPaintProc = [](HWND) {};
        MessageDlgProc = [this](TVeskMsgBox*, const std::wstring& caption, const std::wstring& msg, uint8_t type,
                                TMsgDlgButtons buttons) {
            asked_.push_back({caption, msg, type, buttons});
            if (answers_.empty()) return static_cast<int>(fw::mrOk);
            int a = answers_.front();
            answers_.pop_front();
            return a;
        };
        SetSoundBackend(&sound_);
        SetTaskbarRectSource([](RECT& r) {
            r = RECT{0, 560, 800, 600};
            return true;
        });
        MemLangIni.reset();
        file_ = dir_.File(L"data.dat");
        OpenStore();
    }
    void TearDown() override {
        if (frmView) frmView->Free();
        EXPECT_EQ(frmView, nullptr);
        if (frmRemindDlg) frmRemindDlg->Free();
        RemindFile = nullptr;
        store_.reset();
        fw::SetFileDialogHandler(nullptr);
        SetTaskbarRectSource(nullptr);
        SetSoundBackend(nullptr);
        ResetMessageDlgProc();
        NcCompositionEnabledProc = savedComposition_;
        NcAllowNcPaintProc = savedAllow_;
        fw::SetClock(nullptr);
        LangIni.reset();
        fw::Application->OnException = nullptr;
        EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : Narrow(errors_[0]));
    }
    void OpenStore() {
        store_ = std::make_unique<RefusingStore>(file_);
        RemindFile = store_.get();
    }
    // The data file as a fresh store reads it.
    std::unique_ptr<TRemindFile> Reread() const { return std::make_unique<TRemindFile>(file_); }

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
        store_->AddRecord(r);
        return r;
    }
    TfrmView* Open() {
        TfrmView* v = fw::TForm::CreateForm<TfrmView>(nullptr);
        v->Show();
        PumpMessagesFor(30);
        return v;
    }
    // Lays the items out (the list computes their rectangles when it paints).
    static void Paint(TfrmView* v) {
        v->lbData->Repaint();
        PumpMessagesFor(20);
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
    // The editor filled for a new reminder with a name and a rule.
    void NewReminder(TfrmView* v, const std::wstring& name, int period) {
        v->btnNewClick(v->btnNew);
        v->edName->SetText(name);
        v->cbPeriod->SetIndex(period);
        v->ShowRepeatPanel(period);
    }

    TempDir dir_;
    std::wstring file_;
    std::unique_ptr<RefusingStore> store_;
    FakeSound sound_;
    std::vector<Asked> asked_;
    std::deque<int> answers_;
    std::vector<std::wstring> errors_;
    int created_ = 0;
    TNcCompositionProc savedComposition_ = nullptr;
    TNcAllowNcPaintProc savedAllow_ = nullptr;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The list.

TEST_F(ViewTest, StartsInUnfinishedModeWithTheFinishAndDetailsButtons) {
    TfrmView* v = Open();
    EXPECT_EQ(frmView, v);
    EXPECT_EQ(v->ListMode(), 0);
    EXPECT_EQ(v->txCaption->GetCaption(), L"Unfinished");
    EXPECT_TRUE(v->btnNew->GetVisible());
    EXPECT_EQ(v->btnUnfinish->GetBtnStatus(), bsSelect);
    EXPECT_EQ(v->btnDelete->GetHint(), L"Mark as finished");
    EXPECT_EQ(v->btnDetails->GetHint(), L"Details");
    auto pic = [&](int i) { return PngBytes(v->imgStorage->GetImages()->Items(i)->GetPicture()->GetGraphic()); };
    EXPECT_EQ(v->btnDelete->GetImgButton()->SaveToBytes(), pic(4));
    EXPECT_EQ(v->btnDetails->GetImgButton()->SaveToBytes(), pic(6));
    EXPECT_EQ(SharedNcResource(), v->vkncrsrc1);
    // The list's look from its description: no border, the hot row's text in the desktop colour,
    // the row skin split at 5 and 15 both ways.
    EXPECT_EQ(v->lbData->GetBorderColor(), fw::clNone);
    EXPECT_EQ(v->lbData->GetFontColorOver(), fw::clBackground);
    const TVeskPadding* split = v->lbData->Getitemsplit();
    EXPECT_EQ((std::vector<int>{split->GetLeft(), split->GetTop(), split->GetRight(), split->GetBottom()}),
              (std::vector<int>{5, 5, 15, 15}));

    v->btnUnfinish1Click(v->btnCompleted);
    EXPECT_EQ(v->ListMode(), 1);
    EXPECT_EQ(v->txCaption->GetCaption(), L"Completed");
    EXPECT_FALSE(v->btnNew->GetVisible());
    EXPECT_EQ(v->btnUnfinish->GetBtnStatus(), bsNormal);
    EXPECT_EQ(v->btnDelete->GetHint(), L"Delete");
    EXPECT_EQ(v->btnDetails->GetHint(), L"Modify and Recover");
    EXPECT_EQ(v->btnDelete->GetImgButton()->SaveToBytes(), pic(5));
    EXPECT_EQ(v->btnDetails->GetImgButton()->SaveToBytes(), pic(3));
    v->Free();
    EXPECT_NE(SharedNcResource(), nullptr);
}

TEST_F(ViewTest, EachModeListsItsRecordsInStoreOrder) {
    auto* active = Add(L"active", 1, 0.25);
    auto* done = Add(L"done", 0, 0.25, kNowDay - 1);
    auto* postponed = Add(L"postponed", 0, 0.25, kNowDay - 1, kNowDay + 0.7);
    auto* active2 = Add(L"active two", 2, 0.5);
    active2->SetWeekDays(3, true);
    TfrmView* v = Open();
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{active, postponed, active2}));
    for (TVeskLvItem* i : v->lbData->GetItems()) EXPECT_EQ(i->Caption, L" ");
    EXPECT_EQ(active->DisplayText, FormatListText(*active, fw::DefaultFormatSettings()));
    EXPECT_FALSE(active->DisplayText.empty());

    v->btnUnfinish1Click(v->btnCompleted);
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{done}));
    v->btnUnfinish1Click(v->btnUnfinish);
    EXPECT_EQ(Listed(v).size(), 3u);
}

TEST_F(ViewTest, CompletingRemovesTheItemAndWritesTheCompletionTime) {
    auto* a = Add(L"a", 1, 0.25);
    auto* b = Add(L"b", 1, 0.75);
    TfrmView* v = Open();
    Paint(v);
    const fw::TRect r = v->lbData->GetItem(0)->ItemRect;
    v->lbDataMouseMove(v->lbData, {}, r.Left + 10, r.Top + 10);
    ASSERT_EQ(v->HoverItem(), v->lbData->GetItem(0));
    v->btnDeleteClick(v->btnDelete);
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{b}));
    EXPECT_FALSE(v->btnDelete->GetVisible());
    EXPECT_DOUBLE_EQ(a->EndTime, now_);
    auto again = Reread();
    ASSERT_EQ(again->Records.size(), 2u);
    EXPECT_NEAR(again->Records[0]->EndTime, now_, 1.0 / 86400);
    EXPECT_EQ(again->Records[1]->EndTime, 0);

    v->btnUnfinish1Click(v->btnCompleted);
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{a}));
}

TEST_F(ViewTest, AFailedCompletionKeepsTheReminderActiveAndListed) {
    auto* a = Add(L"a", 1, 0.25);
    TfrmView* v = Open();
    store_->refuse = true;
    EXPECT_THROW(v->CompleteItem(v->lbData->GetItem(0)), fw::EIniFileException);
    EXPECT_EQ(a->EndTime, 0);
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{a}));
}

TEST_F(ViewTest, DeletingInCompletedModeAsksNothingAndErasesTheSection) {
    auto* keep = Add(L"keep", 0, 0.25, kNowDay - 1);
    auto* gone = Add(L"gone", 0, 0.25, kNowDay - 1);
    const std::wstring section = gone->Section;
    // The notice window lists the record about to go.
    ShowReminders({gone});
    ASSERT_NE(frmRemindDlg, nullptr);
    ASSERT_NE(frmRemindDlg->FindItem(gone), nullptr);
    TfrmView* v = Open();
    v->btnUnfinish1Click(v->btnCompleted);
    Paint(v);
    const fw::TRect r = v->lbData->GetItem(1)->ItemRect;
    v->lbDataMouseMove(v->lbData, {}, r.Left + 30, r.Top + 20);
    v->btnDeleteClick(v->btnDelete);
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{keep}));
    EXPECT_EQ(store_->Records, (std::vector<TRmRecordStruct*>{keep}));
    EXPECT_TRUE(frmRemindDlg == nullptr || frmRemindDlg->lbReminds->Count() == 0);
    fw::TIniFile ini(file_);
    EXPECT_FALSE(ini.SectionExists(section));
    EXPECT_EQ(Names(*Reread()), (std::vector<std::wstring>{L"keep"}));
}

TEST_F(ViewTest, HoverButtonsFollowTheItemUnderTheMouse) {
    for (int i = 0; i < 3; ++i) Add(L"r" + std::to_wstring(i), 1, 0.25 + 0.1 * i);
    TfrmView* v = Open();
    Paint(v);
    TVeskLvItem* second = v->lbData->GetItem(1);
    const fw::TRect r = second->ItemRect;
    ASSERT_GT(r.Bottom, r.Top);
    EXPECT_EQ(v->ItemAtPoint({r.Left + 1, r.Top}), second);
    EXPECT_EQ(v->ItemAtPoint({r.Right - 1, r.Bottom - 1}), second);
    const fw::TRect third = v->lbData->GetItem(2)->ItemRect;
    EXPECT_EQ(v->ItemAtPoint({third.Left, third.Top}), v->lbData->GetItem(2));
    EXPECT_EQ(v->ItemAtPoint({third.Left, third.Bottom + 5}), nullptr);
    v->lbDataMouseMove(v->lbData, {}, r.Left + 40, r.Top + 5);
    EXPECT_TRUE(v->btnDelete->GetVisible());
    EXPECT_TRUE(v->btnDetails->GetVisible());
    EXPECT_EQ(v->HoverItem(), second);
    EXPECT_EQ(v->btnDetails->GetTop(), r.Top + (50 - 29) / 2);
    EXPECT_EQ(v->btnDelete->GetTop(), v->btnDetails->GetTop());
    EXPECT_EQ(v->btnDelete->GetLeft(), r.Right - 25 - 5);
    EXPECT_EQ(v->btnDetails->GetLeft(), v->btnDelete->GetLeft() - 25 - 5);

    // Below the last item: no item, no buttons.
    v->lbDataMouseMove(v->lbData, {}, 10, v->lbData->GetItem(2)->ItemRect.Bottom + 20);
    EXPECT_FALSE(v->btnDelete->GetVisible());
    EXPECT_EQ(v->HoverItem(), nullptr);

    // Leaving the list onto a hover button keeps both; leaving it elsewhere hides them.
    v->lbDataMouseMove(v->lbData, {}, r.Left + 40, r.Top + 5);
    POINT onButton{v->btnDelete->GetLeft() + 5, v->btnDelete->GetTop() + 5};
    ClientToScreen(v->lbData->GetHandle(), &onButton);
    SetCursorPos(onButton.x, onButton.y);
    v->lbDataMouseLeave(v->lbData);
    EXPECT_TRUE(v->btnDelete->GetVisible());
    EXPECT_TRUE(v->btnDetails->GetVisible());
    POINT away{-50, r.Top + 5};
    ClientToScreen(v->lbData->GetHandle(), &away);
    SetCursorPos(away.x, away.y);
    v->lbDataMouseLeave(v->lbData);
    EXPECT_FALSE(v->btnDelete->GetVisible());
    EXPECT_FALSE(v->btnDetails->GetVisible());

    v->lbDataMouseMove(v->lbData, {}, r.Left + 40, r.Top + 5);
    bool handled = false;
    v->lbDataMouseWHEEL(v->lbData, {}, -120, {0, 0}, handled);
    EXPECT_FALSE(v->btnDetails->GetVisible());
}

TEST_F(ViewTest, SwitchingModesWithTheEditorOpenAsksFirst) {
    Add(L"active", 1, 0.25);
    Add(L"done", 0, 0.25, kNowDay - 1);
    TfrmView* v = Open();
    v->btnNewClick(v->btnNew);
    ASSERT_TRUE(v->EditorShown());
    answers_ = {fw::mrNo};
    v->btnUnfinish1Click(v->btnCompleted);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].caption, L"Confirm");
    EXPECT_EQ(asked_[0].text, L"You have unsaved changes. Are you sure to leave this page?");
    EXPECT_EQ(asked_[0].type, mtConfirmation);
    EXPECT_EQ(asked_[0].buttons, (TMsgDlgButtons{mbYes, mbNo}));
    EXPECT_TRUE(v->EditorShown());
    EXPECT_EQ(v->ListMode(), 0);
    EXPECT_EQ(v->btnCompleted->GetBtnStatus(), bsNormal);

    answers_ = {fw::mrYes};
    v->btnUnfinish1Click(v->btnCompleted);
    EXPECT_FALSE(v->EditorShown());
    EXPECT_TRUE(v->pnlList->GetVisible());
    EXPECT_EQ(v->pnlList->GetLeft(), 0);
    EXPECT_EQ(v->ListMode(), 1);
    EXPECT_EQ(Names(*store_).size(), 2u);
}

TEST_F(ViewTest, ATickThatCompletesAOneTimeReminderMovesItOutOfTheUnfinishedList) {
    // Due at 14:30:03, three seconds after the first tick.
    auto* once = Add(L"once", 0, fw::EncodeTime(14, 30, 3, 0));
    once->SetDate(kNowDay);
    store_->UpdateRecord(once);
    auto* daily = Add(L"daily", 1, 0.9);
    TfrmView* v = Open();
    Paint(v);
    const fw::TRect r = v->lbData->GetItem(0)->ItemRect;
    v->lbDataMouseMove(v->lbData, {}, r.Left + 30, r.Top + 20);
    ASSERT_EQ(v->HoverItem(), v->lbData->GetItem(0));
    v->timerTimer(v->Timer1);
    EXPECT_EQ(Listed(v).size(), 2u);
    EXPECT_FALSE(daily->TimeLeftText.empty());
    now_ += 10.0 / 86400;
    v->timerTimer(v->Timer1);
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{daily}));
    EXPECT_NE(once->EndTime, 0);
    // The hover buttons forgot the item that left the list: a click does nothing.
    EXPECT_EQ(v->HoverItem(), nullptr);
    v->btnDeleteClick(v->btnDelete);
    EXPECT_EQ(daily->EndTime, 0);
}

TEST_F(ViewTest, ItemTextsAreDrawnInTheirRows) {
    auto* r = Add(L"Water the plants", 1, 0.25);
    TfrmView* v = Open();
    r->TimeLeftText = L"1 Day  ";
    DibSurface dib(472, 50, 0xFFFFFFFF);
    fw::TCanvas canvas(dib.Dc());
    canvas.GetFont()->SetName(L"Tahoma");
    canvas.GetFont()->SetSize(9);
    canvas.GetFont()->SetColor(fw::clBlack);
    TVeskLvItem* item = v->lbData->GetItem(0);
    item->ItemRect = {0, 0, 472, 50};
    item->TextRect = {10, 8, 460, 42};
    v->lbDataItemAfterDraw(&canvas, 0, item);
    canvas.SetHandle(nullptr);
    // The name in black in the upper line, the grey texts in the lower one, the separator along
    // the bottom edge; nothing in the 55 pixels kept for the hover buttons.
    EXPECT_GT(dib.CountColor(RECT{10, 0, 405, 20}, 0x000000), 10);
    EXPECT_GT(dib.CountColor(RECT{10, 19, 405, 40}, 0x848484), 10);
    EXPECT_EQ(dib.CountColor(RECT{0, 49, 472, 50}, 0xD5D5D5), 472);
    EXPECT_EQ(dib.CountColor(RECT{406, 0, 472, 48}, 0xFFFFFF), 66 * 48);
    EXPECT_EQ(canvas.GetFont()->GetSize(), 9);

    // A text of two lines keeps to the upper line.
    r->Name = L"Water the plants\r\nand feed the cat";
    dib.Fill(0xFFFFFFFF);
    canvas.SetHandle(dib.Dc());
    v->lbDataItemAfterDraw(&canvas, 0, item);
    canvas.SetHandle(nullptr);
    const int upper = dib.CountColor(RECT{10, 0, 405, 17}, 0x000000);
    EXPECT_GT(upper, 10);
    EXPECT_EQ(dib.CountColor(RECT{10, 17, 405, 49}, 0x000000), 0);
}

TEST_F(ViewTest, TheEmptyListsShowTheirPictures) {
    TfrmView* v = Open();
    const int w = v->lbData->GetWidth(), h = v->lbData->GetHeight();
    auto draw = [&](DibSurface& dib) {
        auto bmp = std::make_unique<fw::TBitmap>();
        bmp->SetPixelFormat(fw::pf32bit);
        bmp->SetSize(w, h);
        bmp->GetCanvas()->GetBrush()->SetColor(fw::clWhite);
        bmp->GetCanvas()->FillRect({0, 0, w, h});
        v->lbDataDrawBackGround(bmp.get(), {0, 0, w, h});
        BitBlt(dib.Dc(), 0, 0, w, h, bmp->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
    };
    auto pic = [&](int i) { return v->imgStorage->GetImages()->Items(i)->GetPicture()->GetGraphic(); };
    {
        DibSurface dib(w, h, 0xFFFFFFFF);
        draw(dib);
        const int y = (h - pic(0)->GetHeight()) / 2;
        const RECT first{35, y, 35 + pic(0)->GetWidth(), y + pic(0)->GetHeight()};
        const int firstArea = (first.right - first.left) * (first.bottom - first.top);
        EXPECT_LT(dib.CountColor(first, 0xFFFFFF), firstArea);
        const RECT arrow{w - pic(1)->GetWidth() - 55, 35, w - 55, 35 + pic(1)->GetHeight()};
        EXPECT_LT(dib.CountColor(arrow, 0xFFFFFF), pic(1)->GetWidth() * pic(1)->GetHeight());
        const RECT text{pic(0)->GetWidth() + 47, y + 20, pic(0)->GetWidth() + 47 + 280, y + 120};
        EXPECT_GT(dib.CountColor(text, 0xF6C892), 20);
        EXPECT_EQ(dib.CountColor(RECT{0, 0, 30, h}, 0xFFFFFF), 30 * h);
    }
    {
        // Without the text in any language source only the pictures show.
        MemLangIni = std::make_unique<fw::TMemIniFile>(dir_.File(L"nothing.ini"));
        DibSurface dib(w, h, 0xFFFFFFFF);
        draw(dib);
        MemLangIni.reset();
        const int y = (h - pic(0)->GetHeight()) / 2;
        const RECT text{pic(0)->GetWidth() + 47, y + 20, pic(0)->GetWidth() + 47 + 280, y + 120};
        EXPECT_EQ(dib.CountColor(text, 0xF6C892), 0);
        const RECT first{35, y, 35 + pic(0)->GetWidth(), y + pic(0)->GetHeight()};
        EXPECT_LT(dib.CountColor(first, 0xFFFFFF), pic(0)->GetWidth() * pic(0)->GetHeight());
    }
    v->btnUnfinish1Click(v->btnCompleted);
    {
        DibSurface dib(w, h, 0xFFFFFFFF);
        draw(dib);
        const int x = (w - pic(2)->GetWidth()) / 2, y = (h - pic(2)->GetHeight()) / 2 - 30;
        const RECT p{x, y, x + pic(2)->GetWidth(), y + pic(2)->GetHeight()};
        EXPECT_LT(dib.CountColor(p, 0xFFFFFF), pic(2)->GetWidth() * pic(2)->GetHeight());
        EXPECT_GT(dib.CountColor(RECT{0, p.bottom + 10, w, p.bottom + 110}, 0xBDBDBD), 20);
        EXPECT_EQ(dib.CountColor(RECT{0, 0, w, y}, 0xFFFFFF), w * y);
    }
    // With items the background stays the list's own.
    Add(L"one", 1, 0.5);
    v->FillList(true);
    DibSurface dib(w, h, 0xFFFFFFFF);
    draw(dib);
    EXPECT_EQ(dib.CountColor(RECT{0, 0, w, h}, 0xFFFFFF), w * h);
}

// ---------------------------------------------------------------------------------------------
// The editor.

TEST_F(ViewTest, ANewReminderIsSavedWithItsLineBreaksAndListedAtOnce) {
    TfrmView* v = Open();
    v->btnNewClick(v->btnNew);
    EXPECT_TRUE(v->EditorShown());
    EXPECT_EQ(v->pnlDetails->GetLeft(), 0);
    EXPECT_TRUE(v->pnlDate->GetVisible());
    EXPECT_EQ(v->cbPeriod->GetIndex(), 0);
    EXPECT_EQ(v->cbbVoice->GetIndex(), 0);
    EXPECT_FALSE(v->pnlVoice->GetVisible());
    EXPECT_DOUBLE_EQ(v->edDate->GetDate(), kNowDay);
    EXPECT_NEAR(v->edTime->GetTime(), fw::EncodeTime(14, 30, 0, 0), 1.0 / 86400);

    v->edName->SetText(L"Call mum\r\nand dad");
    v->cbPeriod->SetIndex(1);
    v->cbbVoice->SetIndex(1);
    v->btnDoneClick(v->btnDone);
    EXPECT_TRUE(asked_.empty());
    EXPECT_FALSE(v->EditorShown());
    ASSERT_EQ(store_->Records.size(), 1u);
    TRmRecordStruct* r = store_->Records[0];
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{r}));
    EXPECT_EQ(r->Name, L"Call mum\r\nand dad");
    EXPECT_EQ(r->Period, 1);
    EXPECT_EQ(r->Voice, L"default.mp3");
    EXPECT_DOUBLE_EQ(r->CreateDateTime, now_);
    EXPECT_FALSE(r->DisplayText.empty());
    auto again = Reread();
    ASSERT_EQ(again->Records.size(), 1u);
    EXPECT_EQ(again->Records[0]->Name, L"Call mum\r\nand dad");

    // Loading it again keeps the line breaks in the edit.
    Paint(v);
    v->LoadEditor(v->lbData->GetItem(0));
    EXPECT_EQ(v->edName->GetText(), L"Call mum\r\nand dad");
}

TEST_F(ViewTest, TheThreeRefusalsKeepTheEditorAndTheStore) {
    TfrmView* v = Open();
    NewReminder(v, L"", 1);
    EXPECT_FALSE(v->SaveEditor());
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].caption, L"Confirm");
    EXPECT_EQ(asked_[0].text, L"Please fill the description of the reminder!");
    EXPECT_EQ(asked_[0].type, mtWarning);
    EXPECT_EQ(asked_[0].buttons, TMsgDlgButtons(mbOK));

    // Once, today, a minute ago: refused. The same time daily: accepted.
    v->edName->SetText(L"late");
    v->cbPeriod->SetIndex(0);
    v->edDate->SetDate(kNowDay);
    v->edTime->SetTime(fw::EncodeTime(14, 29, 0, 0));
    EXPECT_FALSE(v->SaveEditor());
    ASSERT_EQ(asked_.size(), 2u);
    EXPECT_EQ(asked_[1].text, L"You have set a time earlier than the current time!");
    EXPECT_TRUE(v->EditorShown());
    EXPECT_TRUE(store_->Records.empty());
    EXPECT_EQ(v->edName->GetText(), L"late");

    v->cbPeriod->SetIndex(2);
    for (auto* b : v->WeekBoxes) b->SetChecked(false);
    EXPECT_FALSE(v->SaveEditor());
    EXPECT_EQ(asked_.back().text, L"Please select at least one item!");
    v->cbPeriod->SetIndex(3);
    for (auto* b : v->MonthBoxes) b->SetChecked(false);
    EXPECT_FALSE(v->SaveEditor());
    EXPECT_EQ(asked_.size(), 4u);
    EXPECT_TRUE(store_->Records.empty());

    v->cbPeriod->SetIndex(1);
    EXPECT_TRUE(v->SaveEditor());
    ASSERT_EQ(store_->Records.size(), 1u);
    EXPECT_NEAR(store_->Records[0]->WakeTime, fw::EncodeTime(14, 29, 0, 0), 1e-6);
    EXPECT_EQ(asked_.size(), 4u);
}

TEST_F(ViewTest, ARefusedWeeklyEditLeavesTheRecordAsItWas) {
    auto* r = Add(L"gym", 1, 0.75);
    TfrmView* v = Open();
    Paint(v);
    v->LoadEditor(v->lbData->GetItem(0));
    v->edName->SetText(L"changed");
    v->cbPeriod->SetIndex(2);
    for (auto* b : v->WeekBoxes) b->SetChecked(false);
    EXPECT_FALSE(v->SaveEditor());
    EXPECT_EQ(r->Name, L"gym");
    EXPECT_EQ(r->Period, 1);
    EXPECT_EQ(Reread()->Records[0]->Name, L"gym");

    v->WeekBoxes[1]->SetChecked(true);
    v->WeekBoxes[5]->SetChecked(true);
    EXPECT_TRUE(v->SaveEditor());
    EXPECT_EQ(r->Name, L"changed");
    EXPECT_EQ(r->Period, 2);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(r->GetWeekDays(i), i == 1 || i == 5) << i;
    auto again = Reread();
    EXPECT_EQ(again->Records[0]->Name, L"changed");
    EXPECT_TRUE(again->Records[0]->GetWeekDays(5));
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{r}));
}

TEST_F(ViewTest, LoadingShowsTheRecordsRuleDaysAndVoice) {
    auto* monthly = Add(L"rent", 3, 0.375);
    monthly->SetMonthDays(0, true);
    monthly->SetMonthDays(30, true);
    monthly->Voice = L"default.mp3";
    store_->UpdateRecord(monthly);
    auto* custom = Add(L"song", 4, 0.5);
    custom->Voice = L"C:\\Music\\bell.wav";
    auto* mute = Add(L"quiet", 1, 0.5);
    TfrmView* v = Open();
    Paint(v);

    v->LoadEditor(v->lbData->GetItem(0));
    EXPECT_EQ(v->edName->GetText(), L"rent");
    EXPECT_EQ(v->cbPeriod->GetIndex(), 3);
    EXPECT_TRUE(v->pnlMonth->GetVisible());
    EXPECT_FALSE(v->pnlDate->GetVisible());
    EXPECT_NEAR(v->edTime->GetTime(), 0.375, 1e-6);
    for (int i = 0; i < 31; ++i) EXPECT_EQ(v->MonthBoxes[i]->GetChecked(), i == 0 || i == 30) << i;
    EXPECT_EQ(v->cbbVoice->GetIndex(), 1);
    EXPECT_FALSE(v->pnlVoice->GetVisible());
    v->btnBackClick(v->btnBack);
    EXPECT_FALSE(v->EditorShown());

    v->LoadEditor(v->FindListItem(custom));
    EXPECT_EQ(v->cbPeriod->GetIndex(), 4);
    EXPECT_TRUE(v->pnlDate->GetVisible());
    EXPECT_DOUBLE_EQ(v->edDate->GetDate(), kNowDay + 1);
    EXPECT_EQ(v->cbbVoice->GetIndex(), 2);
    EXPECT_TRUE(v->pnlVoice->GetVisible());
    EXPECT_EQ(v->edtVoice->GetText(), L"C:\\Music\\bell.wav");
    v->btnBackClick(v->btnBack);

    v->LoadEditor(v->FindListItem(mute));
    EXPECT_EQ(v->cbbVoice->GetIndex(), 0);
    EXPECT_FALSE(v->pnlVoice->GetVisible());
    EXPECT_FALSE(v->pnlDate->GetVisible());
    EXPECT_FALSE(v->pnlWeek->GetVisible());
    EXPECT_FALSE(v->pnlMonth->GetVisible());
    // Back discards the inputs.
    v->edName->SetText(L"other");
    v->btnBackClick(v->btnBack);
    EXPECT_EQ(mute->Name, L"quiet");
    EXPECT_TRUE(asked_.empty());
}

TEST_F(ViewTest, RecoveringACompletedReminderMakesItActiveAgain) {
    auto* r = Add(L"done", 1, 0.5, kNowDay - 2);
    TfrmView* v = Open();
    v->btnUnfinish1Click(v->btnCompleted);
    Paint(v);
    const fw::TRect ir = v->lbData->GetItem(0)->ItemRect;
    v->lbDataMouseMove(v->lbData, {}, ir.Left + 20, ir.Top + 20);
    v->btnDetailsClick(v->btnDetails);
    ASSERT_TRUE(v->EditorShown());
    EXPECT_FALSE(v->btnDetails->GetVisible());
    EXPECT_EQ(v->GetEditItem(), v->lbData->GetItem(0));
    v->btnDoneClick(v->btnDone);
    EXPECT_EQ(r->EndTime, 0);
    EXPECT_TRUE(Listed(v).empty());
    EXPECT_EQ(Reread()->Records[0]->EndTime, 0);
    v->btnUnfinish1Click(v->btnUnfinish);
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{r}));
}

TEST_F(ViewTest, AnEditSurvivesTheTickThatMovedItsItemAway) {
    auto* once = Add(L"soon", 0, fw::EncodeTime(14, 30, 2, 0));
    once->SetDate(kNowDay);
    store_->UpdateRecord(once);
    TfrmView* v = Open();
    Paint(v);
    v->LoadEditor(v->lbData->GetItem(0));
    // While the editor is open its time passes and the scheduler completes it.
    now_ += 5.0 / 86400;
    v->timerTimer(v->Timer1);
    EXPECT_NE(once->EndTime, 0);
    EXPECT_TRUE(Listed(v).empty());
    EXPECT_EQ(v->GetEditItem(), nullptr);
    v->edName->SetText(L"later");
    v->cbPeriod->SetIndex(1);
    EXPECT_TRUE(v->SaveEditor());
    EXPECT_EQ(store_->Records.size(), 1u);
    EXPECT_EQ(once->Name, L"later");
    EXPECT_EQ(once->EndTime, 0);
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{once}));
}

TEST_F(ViewTest, AFailedSaveIsNotTakenForASave) {
    auto* r = Add(L"old", 1, 0.5);
    TfrmView* v = Open();
    Paint(v);
    v->LoadEditor(v->lbData->GetItem(0));
    v->edName->SetText(L"new name");
    store_->refuse = true;
    EXPECT_THROW(v->SaveEditor(), fw::EIniFileException);
    EXPECT_EQ(r->Name, L"old");
    EXPECT_TRUE(v->EditorShown());
    EXPECT_EQ(v->edName->GetText(), L"new name");
    v->btnBackClick(v->btnBack);

    NewReminder(v, L"fresh", 1);
    EXPECT_THROW(v->SaveEditor(), fw::EIniFileException);
    EXPECT_EQ(store_->Records.size(), 1u);
    EXPECT_EQ(Listed(v).size(), 1u);
    EXPECT_TRUE(v->EditorShown());
    store_->refuse = false;
    EXPECT_TRUE(v->SaveEditor());
    EXPECT_EQ(Names(*Reread()), (std::vector<std::wstring>{L"old", L"fresh"}));
}

TEST_F(ViewTest, RepeatAndVoiceChoicesShowTheirPanels) {
    TfrmView* v = Open();
    v->btnNewClick(v->btnNew);
    const struct {
        int period;
        bool date, week, month;
    } cases[] = {{0, true, false, false}, {1, false, false, false}, {2, false, true, false},
                 {3, false, false, true}, {4, true, false, false}};
    for (const auto& c : cases) {
        v->cbPeriodItemClick(v->cbPeriod, v->cbPeriod->GetItem(c.period));
        EXPECT_EQ(v->pnlDate->GetVisible(), c.date) << c.period;
        EXPECT_EQ(v->pnlWeek->GetVisible(), c.week) << c.period;
        EXPECT_EQ(v->pnlMonth->GetVisible(), c.month) << c.period;
    }
    for (int i = 0; i < 3; ++i) {
        v->cbbVoiceItemClick(v->cbbVoice, v->cbbVoice->GetItem(i));
        EXPECT_EQ(v->pnlVoice->GetVisible(), i == 2);
    }
    EXPECT_EQ(v->cbPeriod->GetItem(3)->GetCaption(), L"Monthly");
    EXPECT_EQ(v->cbbVoice->GetItem(2)->GetCaption(), L"Custom");
    EXPECT_EQ(v->WeekBoxes[0]->GetCaption(), GetShortDayName(1));

    // The file comes from the open dialog; a cancelled dialog keeps the text.
    std::wstring chosen = L"C:\\Sounds\\ring.mp3";
    fw::SetFileDialogHandler([&](OPENFILENAMEW& ofn, bool save) {
        EXPECT_FALSE(save);
        EXPECT_TRUE(ofn.Flags & OFN_FILEMUSTEXIST);
        if (chosen.empty()) return false;
        wcsncpy(ofn.lpstrFile, chosen.c_str(), ofn.nMaxFile);
        return true;
    });
    v->btnSelFileClick(v->btnSelFile);
    EXPECT_EQ(v->edtVoice->GetText(), L"C:\\Sounds\\ring.mp3");
    chosen.clear();
    v->btnSelFileClick(v->btnSelFile);
    EXPECT_EQ(v->edtVoice->GetText(), L"C:\\Sounds\\ring.mp3");
    v->cbbVoice->SetIndex(2);
    v->cbPeriod->SetIndex(1);
    v->edName->SetText(L"ring");
    ASSERT_TRUE(v->SaveEditor());
    ASSERT_EQ(store_->Records.size(), 1u);
    EXPECT_EQ(store_->Records[0]->Voice, L"C:\\Sounds\\ring.mp3");
}

TEST_F(ViewTest, TheTestButtonPlaysAndStopsTheSound) {
    TfrmView* v = Open();
    v->btnNewClick(v->btnNew);
    auto pic = [&](int i) { return PngBytes(v->imgStorage->GetImages()->Items(i)->GetPicture()->GetGraphic()); };
    v->edtVoice->SetText(L"C:\\Sounds\\ring.mp3");
    v->btnTestClick(v->btnTest);
    PumpMessagesFor(30);
    ASSERT_EQ(sound_.opened.size(), 1u);
    EXPECT_EQ(sound_.opened[0], L"C:\\Sounds\\ring.mp3");
    EXPECT_EQ(v->GetSoundDevice(), 31u);
    EXPECT_EQ(v->btnTest->GetImgButton()->SaveToBytes(), pic(8));
    v->btnTestClick(v->btnTest);
    EXPECT_EQ(v->GetSoundDevice(), 0u);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 31), 1);
    EXPECT_EQ(v->btnTest->GetImgButton()->SaveToBytes(), pic(7));

    // Played to its end: MCI's notice closes the device.
    v->btnTestClick(v->btnTest);
    PumpMessagesFor(30);
    ASSERT_EQ(v->GetSoundDevice(), 32u);
    PostMessageW(v->GetHandle(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 32);
    PumpMessagesFor(30);
    EXPECT_EQ(v->GetSoundDevice(), 0u);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 32), 1);
    EXPECT_EQ(v->btnTest->GetImgButton()->SaveToBytes(), pic(7));
    EXPECT_TRUE(asked_.empty());
}

TEST_F(ViewTest, ASecondPressBeforeTheSoundStartsStopsItInsteadOfStartingAnother) {
    TfrmView* v = Open();
    v->btnNewClick(v->btnNew);
    v->btnTestClick(v->btnTest);
    v->btnTestClick(v->btnTest);  // the device is not named yet
    PumpMessagesFor(30);
    EXPECT_EQ(sound_.opened.size(), 1u);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 31), 1);
    EXPECT_EQ(v->GetSoundDevice(), 0u);
    EXPECT_FALSE(v->GetSoundStarting());

    // Saving stops a sound that plays.
    v->btnTestClick(v->btnTest);
    PumpMessagesFor(30);
    ASSERT_EQ(v->GetSoundDevice(), 32u);
    v->edName->SetText(L"x");
    v->cbPeriod->SetIndex(1);
    v->btnDoneClick(v->btnDone);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 32), 1);
    EXPECT_EQ(v->GetSoundDevice(), 0u);
    EXPECT_FALSE(v->EditorShown());
}

TEST_F(ViewTest, AnUnplayableTestFileIsReported) {
    TfrmView* v = Open();
    v->btnNewClick(v->btnNew);
    v->edtVoice->SetText(L"C:\\bad.txt");
    v->btnTestClick(v->btnTest);
    PumpMessagesFor(30);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].text, L"Unrecognized sound file!");
    EXPECT_EQ(asked_[0].type, mtConfirmation);
    EXPECT_EQ(v->GetSoundDevice(), 0u);
    EXPECT_FALSE(v->GetSoundStarting());
    // The next press tries again.
    v->edtVoice->SetText(L"C:\\good.wav");
    v->btnTestClick(v->btnTest);
    PumpMessagesFor(30);
    EXPECT_EQ(v->GetSoundDevice(), 31u);
}

TEST_F(ViewTest, NoticesOfOtherDevicesCloseNothing) {
    // A late notice of a stopped sound names an id that may already belong to the notice
    // window's sound: the test button closes only its own device.
    TfrmView* v = Open();
    v->btnNewClick(v->btnNew);
    PostMessageW(v->GetHandle(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 77);
    PostMessageW(v->GetHandle(), MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 78);
    PumpMessagesFor(30);
    v->btnTestClick(v->btnTest);
    PumpMessagesFor(30);
    ASSERT_EQ(v->GetSoundDevice(), 31u);
    PostMessageW(v->GetHandle(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 77);
    PostMessageW(v->GetHandle(), MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 78);
    PumpMessagesFor(30);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 77), 0);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 78), 0);
    EXPECT_EQ(v->GetSoundDevice(), 31u) << "the test sound plays on";
    auto pic = [&](int i) { return PngBytes(v->imgStorage->GetImages()->Items(i)->GetPicture()->GetGraphic()); };
    EXPECT_EQ(v->btnTest->GetImgButton()->SaveToBytes(), pic(8)) << "the button still shows the playing sound";
    // Its own failure closes its own device.
    PostMessageW(v->GetHandle(), MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 31);
    PumpMessagesFor(30);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 31), 1);
    EXPECT_EQ(v->GetSoundDevice(), 0u);
}

TEST_F(ViewTest, ClosingTheWindowStopsTheTestSound) {
    TfrmView* v = Open();
    v->btnNewClick(v->btnNew);
    v->btnTestClick(v->btnTest);
    PumpMessagesFor(30);
    ASSERT_EQ(v->GetSoundDevice(), 31u);
    v->Free();
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 31), 1);
}

TEST_F(ViewTest, TheSlideMovesBothPanelsAndIgnoresCommandsMeanwhile) {
    TfrmView* v = Open();
    std::vector<int> lefts;
    int newDuringSlide = 0;
    fw::TTimer probe(nullptr);
    probe.SetInterval(1);
    probe.SetOnTimer([&](fw::TObject*) {
        if (!v->Sliding()) return;
        lefts.push_back(v->pnlDetails->GetLeft());
        // A second click on "New" while the editor slides in does nothing.
        v->btnNewClick(v->btnNew);
        v->btnDoneClick(v->btnDone);
        // A tab clicked meanwhile (the button selects itself) neither switches nor stays selected.
        v->btnCompleted->SetBtnStatus(bsSelect);
        v->btnUnfinish1Click(v->btnCompleted);
        ++newDuringSlide;
    });
    probe.SetEnabled(true);
    v->btnNewClick(v->btnNew);
    probe.SetEnabled(false);
    EXPECT_EQ(v->pnlDetails->GetLeft(), 0);
    EXPECT_FALSE(v->pnlList->GetVisible());
    EXPECT_EQ(v->pnlList->GetLeft(), -472);
    EXPECT_GT(newDuringSlide, 0);
    for (int l : lefts) EXPECT_TRUE(l == 0 || (l > 0 && (472 - l) % 30 == 0)) << l;
    EXPECT_TRUE(store_->Records.empty());
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(v->ListMode(), 0);
    EXPECT_EQ(v->btnCompleted->GetBtnStatus(), bsNormal);
    EXPECT_EQ(v->btnUnfinish->GetBtnStatus(), bsSelect);
    v->btnBackClick(v->btnBack);
    EXPECT_EQ(v->pnlList->GetLeft(), 0);
    EXPECT_TRUE(v->pnlList->GetVisible());
    EXPECT_FALSE(v->pnlDetails->GetVisible());
    EXPECT_EQ(v->pnlDetails->GetLeft(), 472);
}

TEST_F(ViewTest, TextsComeFromTheLanguageUnderTheMainWindowsKeys) {
    LangFile = dir_.File(L"Deutsch.ini");
    WriteLangFile(LangFile,
                  L"[Translation]\r\n"
                  L"TfrmZUBMain.btnUnfinish.Caption=Offen\r\n"
                  L"TfrmZUBMain.btnBack.caption=Zur\u00fcck\r\n"
                  L"TfrmZUBMain.lblName.caption=Beschreibung:\r\n"
                  L"TfrmZUBMain.cbPeriod.Item2=T\u00e4glich\r\n"
                  L"TfrmZUBMain.btnDelete.hint_1=Erledigt\r\n"
                  L"Confirm=Best\u00e4tigen\r\n"
                  L"[Messages]\r\n"
                  L"RemindNameNULL=Bitte einen Text eingeben\r\n");
    LangIni.reset();
    TfrmView* v = Open();
    EXPECT_EQ(v->btnUnfinish->GetCaption(), L"Offen");
    EXPECT_EQ(v->txCaption->GetCaption(), L"Offen");
    EXPECT_EQ(v->btnBack->GetCaption(), L"Zur\u00fcck");
    EXPECT_EQ(v->lblName->GetCaption(), L"Beschreibung:");
    EXPECT_EQ(v->btnDelete->GetHint(), L"Erledigt");
    // Keys the file lacks keep the built-in English.
    EXPECT_EQ(v->btnDone->GetCaption(), L"Save");
    EXPECT_EQ(v->btnCompleted->GetCaption(), L"Completed");
    ASSERT_EQ(v->cbPeriod->GetItemCount(), 5);
    EXPECT_EQ(v->cbPeriod->GetItem(0)->GetCaption(), L"Once");
    EXPECT_EQ(v->cbPeriod->GetItem(1)->GetCaption(), L"T\u00e4glich");
    EXPECT_EQ(v->cbbVoice->GetItemCount(), 3);
    EXPECT_EQ(v->lbl2->GetCaption(), L"Current Version:" + AppVersionText());
    v->btnNewClick(v->btnNew);
    v->cbPeriod->SetIndex(1);
    EXPECT_FALSE(v->SaveEditor());
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].caption, L"Best\u00e4tigen");
    EXPECT_EQ(asked_[0].text, L"Bitte einen Text eingeben");
}

TEST_F(ViewTest, TheTimerAnnouncesDueRemindersAndReportsAWriteThatFailed) {
    // Due at 14:30:03, three seconds after the tick.
    auto* r = Add(L"call", 1, fw::EncodeTime(14, 30, 3, 0));
    TfrmView* v = Open();
    EXPECT_EQ(v->Timer1->GetInterval(), 5000u);
    EXPECT_FALSE(v->Timer1->GetEnabled());
    store_->refuse = true;
    v->timerTimer(v->Timer1);
    ASSERT_NE(frmRemindDlg, nullptr);
    EXPECT_NE(frmRemindDlg->FindItem(r), nullptr);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].caption, L"Confirm");
    EXPECT_NE(asked_[0].text.find(file_), std::wstring::npos);
    EXPECT_EQ(asked_[0].type, mtWarning);
    EXPECT_EQ(v->GetScheduler()->GetDueList(), (TReminderList{r}));
}

TEST_F(ViewTest, EveryDayBoxDrawsFromTheSkinOfTheFirstMonthDay) {
    TfrmView* v = Open();
    const fw::TPngImage* first = v->ckbM1->GetFrame(0);
    ASSERT_NE(first, nullptr);
    const auto want = const_cast<fw::TPngImage*>(first)->SaveToBytes();
    for (int i = 0; i < 31; ++i) {
        fw::TPngImage* f = v->MonthBoxes[i]->GetFrame(1);
        ASSERT_NE(f, nullptr) << "day " << i + 1;
        EXPECT_EQ(v->MonthBoxes[i]->GetFrame(0)->SaveToBytes(), want) << "day " << i + 1;
    }
    for (int i = 0; i < 7; ++i) {
        ASSERT_NE(v->WeekBoxes[i]->GetFrame(0), nullptr) << i;
        EXPECT_EQ(v->WeekBoxes[i]->GetFrame(0)->SaveToBytes(), want) << i;
    }
}

TEST_F(ViewTest, TheLinkButtonsTakeTheirHintsFromTheLanguage) {
    TfrmView* v = Open();
    EXPECT_EQ(v->btn1->GetHint(), L"Follow us on Facebook");
    EXPECT_EQ(v->btn2->GetHint(), L"Follow us on Twitter");
    EXPECT_EQ(v->btn3->GetHint(), L"Share it to your friends");
    EXPECT_EQ(v->btn4->GetHint(), L"Home Page");
}

TEST_F(ViewTest, ARuleWithoutDaysIsRefusedInTheDefaultTextWhenNoLanguageHasIt) {
    // No language source at all: neither a file nor the built-in text.
    MemLangIni = std::make_unique<fw::TMemIniFile>(dir_.File(L"nothing.ini"));
    TfrmView* v = Open();
    NewReminder(v, L"gym", 2);
    for (auto* b : v->WeekBoxes) b->SetChecked(false);
    EXPECT_FALSE(v->SaveEditor());
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].text, L"\u8BF7\u81F3\u5C11\u9009\u62E9\u4E00\u9879");
    EXPECT_TRUE(store_->Records.empty());
    v->Free();
    MemLangIni.reset();
}

TEST_F(ViewTest, FinishingAPostponedFinishedReminderKeepsItFinished) {
    // A daily reminder finished yesterday, postponed from the notice window to 15:00 today.
    auto* r = Add(L"stretch", 1, 0.25, kNowDay - 1, kNowDay + 0.625);
    TfrmView* v = Open();
    ASSERT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{r}));
    v->CompleteItem(v->lbData->GetItem(0));
    EXPECT_TRUE(Listed(v).empty());
    EXPECT_EQ(r->EndTime, kNowDay - 1);
    EXPECT_EQ(r->NextDue, 0);
    EXPECT_NEAR(Reread()->Records[0]->EndTime, kNowDay - 1, 1.0 / 86400);
    // Neither the list nor the scheduler bring it back, and it is not announced at 15:00.
    v->timerTimer(v->Timer1);
    EXPECT_TRUE(Listed(v).empty());
    now_ = kNowDay + 0.625 - 2.0 / 86400;
    v->timerTimer(v->Timer1);
    EXPECT_TRUE(v->GetScheduler()->GetDueList().empty());
    v->FillList(true);
    EXPECT_TRUE(Listed(v).empty());
    v->btnUnfinish1Click(v->btnCompleted);
    EXPECT_EQ(Listed(v), (std::vector<TRmRecordStruct*>{r}));
}

TEST_F(ViewTest, TheDetailsCommandDoesNothingWhileTheEditorIsOpen) {
    auto* r = Add(L"walk", 1, 0.25);
    TfrmView* v = Open();
    Paint(v);
    const fw::TRect ir = v->lbData->GetItem(0)->ItemRect;
    v->lbDataMouseMove(v->lbData, {}, ir.Left + 20, ir.Top + 20);
    ASSERT_NE(v->HoverItem(), nullptr);
    v->btnNewClick(v->btnNew);
    ASSERT_TRUE(v->EditorShown());
    v->edName->SetText(L"typed");
    // The hovered item is still remembered; a late click must not slide the editor away.
    v->btnDetailsClick(v->btnDetails);
    EXPECT_TRUE(v->EditorShown());
    EXPECT_EQ(v->edName->GetText(), L"typed");
    EXPECT_EQ(v->GetEditItem(), nullptr);
    EXPECT_EQ(r->Name, L"walk");
}

TEST_F(ViewTest, ARecordWithAnUnknownRuleDoesNotShowTheRuleEditedBefore) {
    auto* weekly = Add(L"weekly", 2, 0.25);
    weekly->SetWeekDays(2, true);
    auto* odd = Add(L"odd", 255, 0.25);
    TfrmView* v = Open();
    Paint(v);
    v->LoadEditor(v->FindListItem(weekly));
    ASSERT_EQ(v->cbPeriod->GetIndex(), 2);
    v->btnBackClick(v->btnBack);
    v->LoadEditor(v->FindListItem(odd));
    EXPECT_EQ(v->cbPeriod->GetIndex(), 0);
    EXPECT_TRUE(v->pnlDate->GetVisible());
    EXPECT_FALSE(v->pnlWeek->GetVisible());
    // Back leaves the record as the file has it.
    v->btnBackClick(v->btnBack);
    EXPECT_EQ(odd->Period, 255);
}

TEST_F(ViewTest, ASlideGivenTheWrongDirectionStillEndsAtHome) {
    TfrmView* v = Open();
    v->btnNewClick(v->btnNew);
    ASSERT_EQ(v->pnlList->GetLeft(), -472);
    // Back to the list with a step that points away from it.
    v->SlidePanels(v->pnlDetails, v->pnlList, 30);
    EXPECT_EQ(v->pnlList->GetLeft(), 0);
    EXPECT_EQ(v->pnlDetails->GetLeft(), 472);
    EXPECT_FALSE(v->pnlDetails->GetVisible());
    EXPECT_FALSE(v->Sliding());
    v->SlidePanels(v->pnlList, v->pnlDetails, 0);
    EXPECT_EQ(v->pnlDetails->GetLeft(), 0);
    EXPECT_EQ(v->pnlList->GetLeft(), -472);
}
