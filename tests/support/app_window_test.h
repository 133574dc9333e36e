// Shared set-up of the tests of the program's own windows (the visible, hidden main and notice
// windows): the window fixture plus the seams these windows reach. Frames are painted as without
// desktop composition, message boxes are recorded and answered from a queue, the taskbar is a
// chosen rectangle, shell launches are recorded, Windows is 7, the language file is the test's
// own, and the reminders live in a store of the test's own that can refuse its saves.
#pragma once
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "PublicFuns.h"
#include "VeskMsgBox.h"
#include "VeskNcPaintor.h"
#include "fw_strings.h"
#include "uMain.h"
#include "uMainForm.h"
#include "uRemindDlg.h"
#include "uRemindFile.h"
#include "window_test.h"

namespace testsupport {

struct TLaunch {
    HWND owner;
    std::wstring verb, file, params;
};
struct TAsked {
    std::wstring caption, text;
    uint8_t type;
    TMsgDlgButtons buttons;
    TVeskMsgBox* box;
};

// A store that refuses its saves, as a full disk or a read-only file would: all of them while
// RefuseAll is set, or those whose text holds RefuseText.
class TRefusingStore : public TRemindFile {
public:
    explicit TRefusingStore(const std::wstring& FileName) : TRemindFile(FileName) {
        FileWriter = [this](const std::wstring& f, const std::vector<uint8_t>& b) {
            if (RefuseAll) return false;
            if (!RefuseText.empty()) {
                fw::TEncoding e;
                if (fw::DecodeText(b.data(), b.size(), e).find(RefuseText) != std::wstring::npos) return false;
            }
            return WriteFileAtomically(f, b);
        };
    }
    bool RefuseAll = false;
    std::wstring RefuseText;
};

class AppWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        MessageDlgProc = [this](TVeskMsgBox* box, const std::wstring& caption, const std::wstring& msg, uint8_t type,
                                TMsgDlgButtons buttons) {
            Asked.push_back({caption, msg, type, buttons, box});
            if (Answers.empty()) return static_cast<int>(fw::mrOk);
            const int a = Answers.front();
            Answers.pop_front();
            return a;
        };
        SetTaskbarRectSource([this](RECT& r) {
            r = Taskbar;
            return HasTaskbar;
        });
        SetShellLauncher([this](HWND owner, const std::wstring& verb, const std::wstring& file,
                                const std::wstring& params, int) { Launched.push_back({owner, verb, file, params}); });
        SetWindowsVersionSource([](DWORD& major, DWORD& minor) { major = 6, minor = 1; });
        UseLanguage(Dir.File(L"NoLanguage.ini"));
        MemLangIni.reset();
        DataFile = Dir.File(L"data.dat");
    }
    void TearDown() override {
        FreeMain();
        if (frmView) frmView->Free();
        if (frmRemindDlg) frmRemindDlg->Free();
        if (Store && RemindFile == Store.get()) RemindFile = nullptr;
        Store.reset();
        WindowTest::TearDown();
        SetTaskbarRectSource(nullptr);
        SetShellLauncher(nullptr);
        SetWindowsVersionSource(nullptr);
        ResetMessageDlgProc();
        LangIni.reset();
        MemLangIni.reset();
    }
    // The language file, written as UTF-16 first when a text is given.
    void UseLanguage(const std::wstring& File, const wchar_t* Text = nullptr) {
        if (Text) WriteUtf16File(File, Text);
        LangFile = File;
        LangIni.reset();
    }
    // The hidden main window, which opens its own store in the data folder Dir and makes the
    // visible window.
    TfrmZUBMain* OpenMain() {
        AppDataDir = Dir.Path() + L"\\";
        fw::Application->CreateForm(Main);
        MainAlive = Main->AliveToken();
        Pump(30);
        return Main;
    }
    // Frees the hidden main window unless it ended on its own.
    void FreeMain() {
        if (Main && MainAlive && *MainAlive) Main->Free();
        Main = nullptr;
    }
    // The test's own store on DataFile, made the program's store.
    TRefusingStore* OpenStore() {
        Store = std::make_unique<TRefusingStore>(DataFile);
        RemindFile = Store.get();
        return Store.get();
    }

    TempDir Dir;
    std::wstring DataFile;
    std::unique_ptr<TRefusingStore> Store;
    TfrmZUBMain* Main = nullptr;
    std::shared_ptr<bool> MainAlive;
    std::vector<TAsked> Asked;
    std::deque<int> Answers;
    std::vector<TLaunch> Launched;
    RECT Taskbar{0, 560, 800, 600};
    bool HasTaskbar = true;

private:
    TSwap<TNcCompositionProc> composition{NcCompositionEnabledProc, [] { return false; }};
    TSwap<TNcAllowNcPaintProc> allowNcPaint{NcAllowNcPaintProc, [](HWND) {}};
};

}  // namespace testsupport
