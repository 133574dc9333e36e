// A sound backend that plays nothing, for windows that play reminder sounds: opening gives the
// next device id from a chosen first one; a file whose name holds "bad" does not open. Every
// command is recorded. The object is the program's sound backend while it lives.
#pragma once
#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PublicFuns.h"

namespace testsupport {

class TFakeSound : public TSoundBackend {
public:
    explicit TFakeSound(MCIDEVICEID FirstId) : nextId(FirstId) { SetSoundBackend(this); }
    ~TFakeSound() override { SetSoundBackend(nullptr); }

    MCIERROR SendCommand(MCIDEVICEID Device, UINT Msg, DWORD_PTR Flags, DWORD_PTR Params) override {
        (void)Flags;
        sent.push_back({Device, Msg});
        if (Msg == MCI_OPEN) {
            auto* open = reinterpret_cast<MCI_OPEN_PARMSW*>(Params);
            std::wstring name = open->lpstrElementName ? open->lpstrElementName : L"";
            opened.push_back(name);
            if (name.find(L"bad") != std::wstring::npos) return MCIERR_FILE_NOT_FOUND;
            open->wDeviceID = nextId++;
        }
        return 0;
    }
    // How often Msg was sent to Device.
    int Count(UINT Msg, MCIDEVICEID Device) const {
        return static_cast<int>(std::count_if(sent.begin(), sent.end(), [&](const TSent& s) {
            return s.msg == Msg && s.device == Device;
        }));
    }
    int Opens() const { return static_cast<int>(opened.size()); }

    struct TSent {
        MCIDEVICEID device;
        UINT msg;
    };
    std::vector<TSent> sent;
    std::vector<std::wstring> opened;
    MCIDEVICEID nextId;
};

}  // namespace testsupport
