#include "process_support.h"

#include <shlobj.h>

#include "PublicFuns.h"
#include "test_support.h"

namespace testsupport {

double Seconds() {
    static const LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(freq.QuadPart);
}

bool TChildProcess::Start(const std::wstring& exe, const std::wstring& params, HANDLE output) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (output) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = output;
    }
    std::wstring cmd = L"\"" + exe + L"\"" + params;
    const std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/"));
    return CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, output != nullptr, 0, nullptr, dir.c_str(), &si,
                          &Info) != FALSE;
}

DWORD TChildProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(Info.hProcess, &code);
    return code;
}

TChildProcess::~TChildProcess() {
    if (!Info.hProcess) return;
    if (!WaitEnd(0)) {
        TerminateProcess(Info.hProcess, 99);
        WaitEnd(30000);
    }
    CloseHandle(Info.hThread);
    CloseHandle(Info.hProcess);
}

std::string RunForOutput(const std::wstring& exe, const std::wstring& params) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE rd = nullptr, wr = nullptr;
    if (!CreatePipe(&rd, &wr, &sa, 0)) return "failed to start";
    SetHandleInformation(rd, HANDLE_FLAG_INHERIT, 0);
    std::string out;
    {
        TChildProcess child;
        const bool started = child.Start(exe, params, wr);
        CloseHandle(wr);
        if (!started) out = "failed to start";
        char buf[256];
        DWORD got = 0;
        while (started && ReadFile(rd, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
        if (started) child.WaitEnd(INFINITE);
    }
    CloseHandle(rd);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

HWND FindProcessWindow(const wchar_t* cls, DWORD pid, bool visibleOnly) {
    for (HWND w = FindWindowExW(nullptr, nullptr, cls, nullptr); w; w = FindWindowExW(nullptr, w, cls, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && (!visibleOnly || IsWindowVisible(w))) return w;
    }
    return nullptr;
}

namespace {

std::wstring ProgramDataFolder() {
    wchar_t buf[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, buf))) return L"";
    return std::wstring(buf) + L"\\Vesk_Reminder";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TProgramDataGuard::TProgramDataGuard()
    : Folder(ProgramDataFolder()), File(Folder + L"\\vk_rmind_data.dat"), FFolderExisted(Exists(Folder)),
      FFileExisted(Exists(File)) {
    if (FFileExisted) FSaved = ReadFileBytes(File);
}

TProgramDataGuard::~TProgramDataGuard() {
    if (Folder.empty()) return;
    if (!FFolderExisted)
        RemoveTree(Folder);
    else if (FFileExisted)
        WriteFileBytes(File, FSaved);
    else
        DeleteFileW(File.c_str());
}

void TProgramDataGuard::Seed(const std::wstring& exe, const std::string& setupVer) const {
    CreateDirectoryW(Folder.c_str(), nullptr);
    TFileVersionInfo info;
    GetFileVersion(exe, info);
    WriteFileBytes(File, "[CONFIG]\r\nAUTEUPDATE=0\r\nCHECKNEWS=0\r\nSetupVer=" +
                             (setupVer.empty() ? Narrow(VersionText(info)) : setupVer) + "\r\n");
}

}  // namespace testsupport
