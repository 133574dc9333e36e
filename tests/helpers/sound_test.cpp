// Sound over MCI: the commands sent and the notices a playing window receives.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "PublicFuns.h"
#include "test_support.h"

using namespace testsupport;

namespace {

using Notice = std::pair<WPARAM, LPARAM>;

// A window that records the MM_MCINOTIFY messages it receives.
class NoticeWindow {
public:
    NoticeWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VrSoundNoticeWindow";
        RegisterClassW(&wc);
        wnd_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                               nullptr);
        SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~NoticeWindow() { DestroyWindow(wnd_); }
    HWND Handle() const { return wnd_; }
    std::vector<Notice> notices;

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == MM_MCINOTIFY) {
            auto* self = reinterpret_cast<NoticeWindow*>(GetWindowLongPtrW(w, GWLP_USERDATA));
            if (self) self->notices.emplace_back(wp, lp);
            return 0;
        }
        return DefWindowProcW(w, m, wp, lp);
    }
    HWND wnd_;
};

struct Command {
    MCIDEVICEID device;
    UINT msg;
    DWORD_PTR flags;
    HWND callback;
    std::wstring element;
    bool deviceTypeGiven;
    bool operator==(const Command&) const = default;
};

// Records the commands and answers with the configured results; opening gives device 7.
class FakeSound : public TSoundBackend {
public:
    MCIERROR SendCommand(MCIDEVICEID Device, UINT Msg, DWORD_PTR Flags, DWORD_PTR Params) override {
        Command c{Device, Msg, Flags, nullptr, L"", false};
        if (Msg == MCI_OPEN) {
            auto* p = reinterpret_cast<MCI_OPEN_PARMSW*>(Params);
            c.callback = reinterpret_cast<HWND>(p->dwCallback);
            c.element = p->lpstrElementName ? p->lpstrElementName : L"";
            c.deviceTypeGiven = p->lpstrDeviceType != nullptr;
            if (openResult == 0) p->wDeviceID = 7;
        } else if (Msg == MCI_PLAY) {
            c.callback = reinterpret_cast<HWND>(reinterpret_cast<MCI_PLAY_PARMS*>(Params)->dwCallback);
        }
        commands.push_back(c);
        return Msg == MCI_OPEN ? openResult : Msg == MCI_PLAY ? playResult : Msg == MCI_CLOSE ? closeResult : 0;
    }
    MCIERROR openResult = 0, playResult = 0, closeResult = 0;
    std::vector<Command> commands;
};

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override { SetSoundBackend(&fake_); }
    void TearDown() override {
        SetSoundBackend(nullptr);
        SetAppDir(L"");
    }
    FakeSound fake_;
    NoticeWindow wnd_;
    TempDir dir_;
};

// A WAV file of silence (8 kHz, 16-bit mono PCM).
void WriteWav(const std::wstring& path, int milliseconds) {
    const uint32_t data = 16 * milliseconds;
    std::string b;
    auto put = [&](uint32_t v, int n) { for (int i = 0; i < n; ++i) b.push_back(static_cast<char>(v >> (8 * i))); };
    b += "RIFF", put(36 + data, 4), b += "WAVEfmt ", put(16, 4), put(1, 2), put(1, 2), put(8000, 4), put(16000, 4);
    put(2, 2), put(16, 2), b += "data", put(data, 4);
    b.append(data, '\0');
    WriteFileBytes(path, b);
}

}  // namespace

TEST_F(SoundTest, PlayOpensByElementNameAndStopClosesWithoutNotice) {
    const std::wstring file = dir_.File(L"ring.wav");
    const HWND w = wnd_.Handle();
    PlaySoundFile(file, w);
    // No device type: MCI picks the device by the extension.
    EXPECT_EQ(fake_.commands, (std::vector<Command>{{0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT, w, file, false},
                                                    {7, MCI_PLAY, MCI_NOTIFY, w, L"", false}}));
    PumpMessagesFor(50);  // everything already posted, and nothing more for a while
    ASSERT_EQ(wnd_.notices, (std::vector<Notice>{{MCI_NOTIFY_SUCCESSFUL, 7}}));
    // A window that follows the protocol: the first success notice names the playing device. The
    // stop sends none, and the next sound gets its own.
    fake_.commands.clear();
    fake_.closeResult = MCIERR_INVALID_DEVICE_ID;
    EXPECT_EQ(StopSound(7, w), static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_ID));
    EXPECT_EQ(fake_.commands, (std::vector<Command>{{7, MCI_STOP, MCI_WAIT, nullptr, L"", false},
                                                    {7, MCI_CLOSE, 0, nullptr, L"", false}}));
    PumpMessagesFor(50);
    EXPECT_EQ(wnd_.notices.size(), 1u);
    PlaySoundFile(dir_.File(L"two.wav"), w);
    PumpMessagesFor(50);
    EXPECT_EQ(wnd_.notices, (std::vector<Notice>{{MCI_NOTIFY_SUCCESSFUL, 7}, {MCI_NOTIFY_SUCCESSFUL, 7}}));
}

TEST_F(SoundTest, FailuresPostOneFailureNoticeAndLeaveNoDeviceOpen) {
    fake_.openResult = MCIERR_FILE_NOT_FOUND;
    PlaySoundFile(dir_.File(L"ring.wav"), wnd_.Handle());
    EXPECT_EQ(fake_.commands.size(), 1u);  // nothing played
    PumpMessagesFor(50);
    EXPECT_EQ(wnd_.notices, (std::vector<Notice>{{MCI_NOTIFY_FAILURE, 0}}));

    fake_.openResult = 0;
    fake_.playResult = MCIERR_HARDWARE;
    fake_.commands.clear();
    wnd_.notices.clear();
    PlaySoundFile(dir_.File(L"ring.wav"), wnd_.Handle());
    // The windows drop the device at a failure notice; it must not stay open behind their back.
    ASSERT_EQ(fake_.commands.size(), 3u);
    EXPECT_EQ(fake_.commands[2], (Command{7, MCI_CLOSE, 0, nullptr, L"", false}));
    PumpMessagesFor(50);
    // The failure names no device: id 7 is free again.
    EXPECT_EQ(wnd_.notices, (std::vector<Notice>{{MCI_NOTIFY_SUCCESSFUL, 7}, {MCI_NOTIFY_FAILURE, 0}}));
}

TEST_F(SoundTest, RelativeNamesMeanTheProgramsFolder) {
    const struct { std::wstring appDir, name, opened; } cases[] = {
        {dir_.Path(), L"default.mp3", dir_.Path() + L"\\default.mp3"},
        {dir_.Path(), L"C:\\media\\bell.wav", L"C:\\media\\bell.wav"},
        {dir_.Path(), L"\\\\server\\share\\bell.wav", L"\\\\server\\share\\bell.wav"},
        {L"", L"default.mp3", ExeDir() + L"\\default.mp3"},  // no override: beside the executable
    };
    for (const auto& c : cases) {
        SetAppDir(c.appDir);
        fake_.commands.clear();
        PlaySoundFile(c.name, wnd_.Handle());
        ASSERT_FALSE(fake_.commands.empty());
        EXPECT_EQ(fake_.commands[0].element, c.opened);
    }
}

TEST_F(SoundTest, StopSoundDropsAWaitingEndNoticeOfTheDevice) {
    // The sound ended just before the stop: its end notice already waits in the queue and would
    // read like the start of the next sound.
    for (Notice n : std::vector<Notice>{{MCI_NOTIFY_SUCCESSFUL, 7}, {MCI_NOTIFY_FAILURE, 3}, {MCI_NOTIFY_SUCCESSFUL, 5},
                                        {MCI_NOTIFY_SUCCESSFUL, 0}})
        PostMessageW(wnd_.Handle(), MM_MCINOTIFY, n.first, n.second);
    StopSound(7, wnd_.Handle());
    PumpMessagesFor(50);
    // Other devices' notices are kept, in order.
    EXPECT_EQ(wnd_.notices, (std::vector<Notice>{{MCI_NOTIFY_FAILURE, 3}, {MCI_NOTIFY_SUCCESSFUL, 5}}));
}

// --- the real MCI ------------------------------------------------------------------------------
// Played only into the private null sink the test script starts (PULSE_SERVER pointing at its
// socket); without it these tests would reach whatever sound device the machine has.

namespace {

std::wstring EnvText(const wchar_t* name) {
    wchar_t buf[1024];
    const DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    return n > 0 && n < 1024 ? std::wstring(buf, n) : std::wstring();
}

bool PrivateSinkOnly() {
    const std::wstring server = EnvText(L"PULSE_SERVER"), dir = EnvText(L"VR_PA_DIR");
    return !dir.empty() && server.rfind(L"unix:", 0) == 0 && server.find(dir) != std::wstring::npos;
}

#define REQUIRE_PRIVATE_SINK() \
    if (!PrivateSinkOnly()) GTEST_SKIP() << "no private PulseAudio null sink (run through scripts/test)"

}  // namespace

class RealSound : public ::testing::Test {
protected:
    void SetUp() override { SetSoundBackend(nullptr); }
    // Plays the file and waits for the notice naming the opened device.
    MCIDEVICEID Start(const std::wstring& file, size_t notices = 1, DWORD timeoutMs = 3000) {
        PlaySoundFile(file, wnd.Handle());
        EXPECT_TRUE(PumpMessagesUntil([&] { return wnd.notices.size() >= notices; }, timeoutMs));
        if (wnd.notices.empty() || wnd.notices[0].first != MCI_NOTIFY_SUCCESSFUL) {
            ADD_FAILURE() << "no start notice";
            return 0;
        }
        return static_cast<MCIDEVICEID>(wnd.notices[0].second);
    }
    // After a stop, no late success notice may arrive, past the sound's natural end.
    void ExpectNoSuccessAfterStop(MCIDEVICEID device, DWORD waitMs) {
        wnd.notices.clear();
        const DWORD start = GetTickCount();
        EXPECT_EQ(StopSound(device, wnd.Handle()), 0u);
        EXPECT_LT(GetTickCount() - start, 2000u);  // the GUI thread is not held up by the stop
        PumpMessagesFor(waitMs);
        for (const Notice& n : wnd.notices) EXPECT_NE(n.first, static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL)) << n.second;
    }
    TempDir dir;
    NoticeWindow wnd;
};

TEST_F(RealSound, MissingFilePostsExactlyOneFailureNotice) {
    PlaySoundFile(dir.File(L"missing.wav"), wnd.Handle());
    PumpMessagesFor(500);
    EXPECT_EQ(wnd.notices, (std::vector<Notice>{{MCI_NOTIFY_FAILURE, 0}}));
}

// A sound reports its device, then its end; the window closes the device as soon as the end
// notice arrives, while the driver's play thread may still be on its way out: unloading the
// driver then would crash the program.
TEST_F(RealSound, PlayedFileReportsOpenThenEndAndClosingThenKeepsTheDriverLoaded) {
    REQUIRE_PRIVATE_SINK();
    WriteWav(dir.File(L"short.wav"), 100);
    const MCIDEVICEID device = Start(dir.File(L"short.wav"), 2, 5000);
    EXPECT_NE(device, 0u);
    ASSERT_GE(wnd.notices.size(), 2u);
    EXPECT_TRUE(wnd.notices[1].first == MCI_NOTIFY_SUCCESSFUL || wnd.notices[1].first == MCI_NOTIFY_FAILURE);
    SoundCommand(device, MCI_CLOSE, 0, 0);
    EXPECT_NE(GetModuleHandleW(L"mciwave.dll"), nullptr);
}

// The default sound, an MP3, goes through another MCI driver than a WAV file, and that one reports
// the end of playback without a device id.
TEST_F(RealSound, StoppedWavOrMp3SendsNoSuccessNotice) {
    REQUIRE_PRIVATE_SINK();
    WriteWav(dir.File(L"long.wav"), 800);
    for (const std::wstring& file : {dir.File(L"long.wav"), BuildDir() + L"\\VeskReminder\\default.mp3"}) {
        SCOPED_TRACE(Narrow(file));
        wnd.notices.clear();
        const MCIDEVICEID device = Start(file, 1, 2000);
        ASSERT_NE(device, 0u);
        PumpMessagesFor(100);
        ExpectNoSuccessAfterStop(device, 1500);
    }
}
