#include "PublicFuns.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "fw_handles.h"

// ---------------------------------------------------------------------------------------------
// Globals

namespace {

std::wstring& AppDirOverride() {
    static std::wstring dir;
    return dir;
}

std::wstring InitialAppDataDir() {
    std::wstring path;
    GetSpecialFolder(DesktopWnd, CSIDL_APPDATA, path);
    return AddBackslash(path);
}

}  // namespace

HWND DesktopWnd = GetDesktopWindow();
std::wstring AppDataDir = InitialAppDataDir();
std::wstring LangFile;
std::unique_ptr<fw::TMemIniFile> LangIni;
std::unique_ptr<fw::TMemIniFile> MemLangIni;

std::wstring AppDir() {
    if (!AppDirOverride().empty()) return AppDirOverride();
    return fw::ExtractFilePath(fw::GetModuleName());
}

void SetAppDir(const std::wstring& Dir) {
    AppDirOverride() = Dir.empty() ? std::wstring() : AddBackslash(Dir);
}

// ---------------------------------------------------------------------------------------------
// Language texts

std::wstring GetLangString(const std::wstring& Section, const std::wstring& Key, const std::wstring& Default) {
    std::wstring result;
    if (Section.empty() || Key.empty()) return result;

    // A missing language file is looked for again at every lookup, so a file that appears later
    // (the language menu sets LangFile first) is picked up.
    if (!LangIni) LoadLangFile();
    if (LangIni) result = LangIni->ReadString(Section, Key, L"");

    if (result.empty()) {
        if (!MemLangIni) LoadMemLang();
        result = MemLangIni ? MemLangIni->ReadString(Section, Key, Default) : Default;
    }
    return result;
}

void LoadLangFile() {
    LangIni.reset();
    if (!fw::FileExists(LangFile)) return;
    try {
        LangIni = std::make_unique<fw::TMemIniFile>(LangFile);
    } catch (const std::exception&) {
        // A file that cannot be read (locked, vanished meanwhile) counts as missing: the texts
        // come from the built-in English text instead of an error at every lookup.
        LangIni.reset();
    }
}

void LoadMemLang() {
    MemLangIni.reset();
    try {
        fw::TStringList list;
        list.LoadFromResource(GetModuleHandleW(nullptr), L"MemLang");
        auto ini = std::make_unique<fw::TMemIniFile>(L"");
        ini->SetStrings(list);
        MemLangIni = std::move(ini);
    } catch (const std::exception&) {
        MemLangIni.reset();
    }
}

std::wstring GetLangFontName() {
    std::wstring name = L"Tahoma";
    if (fw::FileExists(LangFile)) name = fw::TIniFile(LangFile).ReadString(L"Translation", L"DefaultFont", L"Tahoma");
    return name;
}

int GetLangFontSize() {
    if (!fw::FileExists(LangFile)) return 8;
    return fw::TIniFile(LangFile).ReadInteger(L"Translation", L"DefaultFontSize", 8);
}

BYTE CharsetFromName(const std::wstring& Name, bool* Found) {
    static const struct {
        const wchar_t* name;
        BYTE value;
    } table[] = {
        {L"ANSI_CHARSET", ANSI_CHARSET},
        {L"DEFAULT_CHARSET", DEFAULT_CHARSET},
        {L"SYMBOL_CHARSET", SYMBOL_CHARSET},
        {L"MAC_CHARSET", MAC_CHARSET},
        {L"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET},
        {L"HANGEUL_CHARSET", HANGEUL_CHARSET},
        {L"JOHAB_CHARSET", JOHAB_CHARSET},
        {L"GB2312_CHARSET", GB2312_CHARSET},
        {L"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET},
        {L"GREEK_CHARSET", GREEK_CHARSET},
        {L"TURKISH_CHARSET", TURKISH_CHARSET},
        {L"HEBREW_CHARSET", HEBREW_CHARSET},
        {L"ARABIC_CHARSET", ARABIC_CHARSET},
        {L"BALTIC_CHARSET", BALTIC_CHARSET},
        {L"RUSSIAN_CHARSET", RUSSIAN_CHARSET},
        {L"THAI_CHARSET", THAI_CHARSET},
        {L"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET},
        {L"OEM_CHARSET", OEM_CHARSET},
    };
    for (const auto& e : table) {
        if (fw::SameText(Name, e.name)) {
            if (Found) *Found = true;
            return e.value;
        }
    }
    if (Found) *Found = false;
    return DEFAULT_CHARSET;
}

BYTE GetLangCharset() {
    if (!fw::FileExists(LangFile)) return DEFAULT_CHARSET;
    return CharsetFromName(fw::TIniFile(LangFile).ReadString(L"Translation", L"DefaultCharSet", L"ANSI_CHARSET"));
}

bool MatchLangCode(const std::wstring& Code) {
    if (fw::Trim(Code).empty()) return false;
    const std::wstring codes = fw::UpperCase(GetLangString(L"Translation", L"LangCode", L""));
    const std::wstring code = fw::UpperCase(Code);
    // Entries are compared as they stand (not trimmed); the text after the last "|" is the last
    // entry.
    size_t start = 0;
    for (;;) {
        const size_t bar = codes.find(L'|', start);
        if (bar == std::wstring::npos) return codes.compare(start, std::wstring::npos, code) == 0;
        if (codes.compare(start, bar - start, code) == 0) return true;
        start = bar + 1;
    }
}

void ListLanguageFiles(fw::TStrings& List) {
    List.Clear();
    const std::wstring dir = AppDir() + L"Languages\\";
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    fw::TFindHandle h(FindFirstFileW((dir + L"*.ini").c_str(), &fd));
    if (h) {
        do {
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            const std::wstring name = fd.cFileName;
            // The pattern also matches through 8.3 short names ("x.inix" as "X~1.INI"); only
            // real ".ini" files are language files.
            if (!fw::SameText(fw::ExtractFileExt(name), L".ini")) continue;
            names.push_back(fw::ChangeFileExt(name, L""));
        } while (FindNextFileW(h.Get(), &fd));
    }
    // File systems differ in the order they list a folder in (Wine's is arbitrary); the menu and
    // the start-up match want one fixed order.
    std::stable_sort(names.begin(), names.end(),
                     [](const std::wstring& a, const std::wstring& b) { return fw::AnsiCompareText(a, b) < 0; });
    for (const auto& n : names) List.Add(n);
}

std::wstring LanguageDisplayName(const std::wstring& Name) {
    const std::wstring path = AppDir() + L"Languages\\" + Name + L".ini";
    if (!fw::FileExists(path)) return Name;
    return fw::TIniFile(path).ReadString(L"Lang", L"NativeLanguage", Name);
}

// ---------------------------------------------------------------------------------------------
// Sound

namespace {

// MCI loads a device's driver at the open and unloads it at the close of its last device. The
// play thread of a driver may still be running its last instructions after it sent the end
// notice; a close in answer to that notice would then pull the code from under it (Wine's wave
// driver crashes the program this way). The drivers stay loaded once they were used.
void KeepSoundDriversLoaded() {
    static const wchar_t* const drivers[] = {L"mciwave.dll", L"mciqtz32.dll", L"mciseq.dll", L"mciavi32.dll"};
    for (const wchar_t* name : drivers) {
        HMODULE module = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, name, &module);
    }
}

class TMciBackend : public TSoundBackend {
public:
    MCIERROR SendCommand(MCIDEVICEID Device, UINT Msg, DWORD_PTR Flags, DWORD_PTR Params) override {
        const MCIERROR result = mciSendCommandW(Device, Msg, Flags, Params);
        if (Msg == MCI_OPEN && result == 0) KeepSoundDriversLoaded();
        return result;
    }
};

TMciBackend RealSound;
TSoundBackend* CurrentSound = &RealSound;

// A name without drive or root is taken relative to the program's folder: the program may run
// with another current folder (a start with Windows runs in the system folder).
std::wstring ResolveSoundFile(const std::wstring& FileName) {
    if (FileName.empty() || !PathIsRelativeW(FileName.c_str())) return FileName;
    if (FileName[0] == L'\\' || FileName[0] == L'/') return FileName;
    return AppDir() + FileName;
}

}  // namespace

void SetSoundBackend(TSoundBackend* Backend) { CurrentSound = Backend ? Backend : &RealSound; }

MCIERROR SoundCommand(MCIDEVICEID Device, UINT Msg, DWORD_PTR Flags, DWORD_PTR Params) {
    return CurrentSound->SendCommand(Device, Msg, Flags, Params);
}

void PlaySoundFile(const std::wstring& FileName, HWND Wnd) {
    const std::wstring element = ResolveSoundFile(FileName);
    MCI_OPEN_PARMSW open{};
    open.dwCallback = reinterpret_cast<DWORD_PTR>(Wnd);
    open.lpstrElementName = element.c_str();
    // No device type: MCI picks the device by the file's extension.
    if (SoundCommand(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&open)) != 0) {
        // No device is open, so the notice names none: a failed open may leave a device id in
        // the block (Wine does), which a window must not take for a device to close later.
        PostMessageW(Wnd, MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 0);
        return;
    }
    const MCIDEVICEID device = open.wDeviceID;
    // The first success notice tells the window which device is playing; MCI sends the second
    // when playback ends.
    PostMessageW(Wnd, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, static_cast<LPARAM>(device));
    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(Wnd);
    if (SoundCommand(device, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play)) != 0) {
        // The windows forget the device at a failure notice without closing it, so close it here
        // or every sound that will not play keeps a device open until the program ends. The
        // notice then names no device, as after a failed open: the id is free again and may
        // already belong to the next sound when the notice arrives.
        SoundCommand(device, MCI_CLOSE, 0, 0);
        PostMessageW(Wnd, MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 0);
    }
}

MCIERROR StopSound(MCIDEVICEID Device, HWND Wnd) {
    // Stopped without a notice: a success notice after a stop would read, in the windows'
    // handlers, like the start of the next sound. The pending play notice is aborted by MCI
    // (MCI_NOTIFY_ABORTED), which the handlers ignore.
    MCI_GENERIC_PARMS stop{};
    stop.dwCallback = reinterpret_cast<DWORD_PTR>(Wnd);
    SoundCommand(Device, MCI_STOP, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&stop));
    const MCIERROR result = SoundCommand(Device, MCI_CLOSE, 0, 0);

    // The end-of-playback notice may already wait in the queue (the sound ended just before the
    // stop). Drop success notices of this device (and those naming no device, which some MCI
    // drivers send at the end of playback); keep every other notice, in order.
    if (Wnd && GetWindowThreadProcessId(Wnd, nullptr) == GetCurrentThreadId()) {
        std::vector<MSG> keep;
        MSG msg;
        while (PeekMessageW(&msg, Wnd, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE)) {
            const bool stale = msg.wParam == MCI_NOTIFY_SUCCESSFUL &&
                               (static_cast<MCIDEVICEID>(msg.lParam) == Device || msg.lParam == 0);
            if (!stale) keep.push_back(msg);
        }
        for (const MSG& m : keep) PostMessageW(m.hwnd, m.message, m.wParam, m.lParam);
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Web pages

namespace {

void ShellExecuteLauncher(HWND Owner, const std::wstring& Verb, const std::wstring& File,
                          const std::wstring& Parameters, int ShowCmd) {
    ShellExecuteW(Owner, Verb.c_str(), File.c_str(), Parameters.empty() ? nullptr : Parameters.c_str(), nullptr,
                  ShowCmd);
}

TShellLauncher& Launcher() {
    static TShellLauncher l = ShellExecuteLauncher;
    return l;
}

void RealWindowsVersion(DWORD& Major, DWORD& Minor) {
    OSVERSIONINFOW vi{};
    vi.dwOSVersionInfoSize = sizeof(vi);
    if (GetVersionExW(&vi)) {
        Major = vi.dwMajorVersion;
        Minor = vi.dwMinorVersion;
    } else {
        Major = Minor = 0;
    }
}

TWindowsVersionSource& VersionSource() {
    static TWindowsVersionSource s = RealWindowsVersion;
    return s;
}

}  // namespace

void SetShellLauncher(TShellLauncher L) { Launcher() = L ? std::move(L) : TShellLauncher(ShellExecuteLauncher); }

void SetWindowsVersionSource(TWindowsVersionSource Source) {
    VersionSource() = Source ? std::move(Source) : TWindowsVersionSource(RealWindowsVersion);
}

bool IsWin8() {
    DWORD major = 0, minor = 0;
    VersionSource()(major, minor);
    return major == 6 && minor > 1;
}

void OpenUrl(HWND Wnd, const std::wstring& Url) {
    if (fw::Trim(Url).empty()) return;
    if (IsWin8() && fw::LowerCase(Url).find(L"http") != std::wstring::npos)
        Launcher()(Wnd, L"open", L"IExplore.EXE", Url, SW_SHOWNORMAL);
    else
        Launcher()(Wnd, L"open", Url, L"", SW_SHOWNORMAL);
}

// ---------------------------------------------------------------------------------------------
// Folders and files

void GetSpecialFolder(HWND Owner, int Csidl, std::wstring& Path) {
    Path.clear();
    if (static_cast<uint32_t>(reinterpret_cast<uintptr_t>(Owner)) == 0xFFFFFFFFu) return;
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(Owner, Csidl, &pidl)) || !pidl) return;
    wchar_t buf[MAX_PATH] = {};
    if (SHGetPathFromIDListW(pidl, buf)) Path = buf;
    CoTaskMemFree(pidl);
}

std::wstring AddBackslash(const std::wstring& S) {
    if (S.empty() || S.back() == L'\\') return S;
    return S + L"\\";
}

void DisableFsRedirection(PVOID& OldValue) {
    if (!Wow64) return;
    using Fn = BOOL(WINAPI*)(PVOID*);
    HMODULE k = GetModuleHandleW(L"kernel32");
    if (!k) return;
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(k, "Wow64DisableWow64FsRedirection")));
    if (fn) fn(&OldValue);
}

void RevertFsRedirection(PVOID OldValue) {
    if (!Wow64) return;
    using Fn = BOOL(WINAPI*)(PVOID);
    HMODULE k = GetModuleHandleW(L"kernel32");
    if (!k) return;
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(k, "Wow64RevertWow64FsRedirection")));
    if (fn) fn(OldValue);
}

namespace {

// PathFileExistsW, then (on Wow64) again with the redirection turned off, so that a 32-bit
// process sees the real system folder.
bool ExistsThroughRedirection(const std::wstring& name) {
    if (PathFileExistsW(name.c_str())) return true;
    if (!Wow64) return false;
    PVOID old = nullptr;
    DisableFsRedirection(old);
    const bool found = PathFileExistsW(name.c_str()) != FALSE;
    RevertFsRedirection(old);
    return found;
}

// True when the last path element has no text after its last ".".
bool HasNoExtension(const std::wstring& name) {
    const size_t sep = name.find_last_of(L"\\/:");
    const size_t start = sep == std::wstring::npos ? 0 : sep + 1;
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot < start) return true;
    return dot + 1 == name.size();
}

}  // namespace

bool FileExistsEx(const std::wstring& FileName) {
    if (ExistsThroughRedirection(FileName)) return true;
    if (!HasNoExtension(FileName)) return false;
    for (const wchar_t* ext : {L".exe", L".com", L".bat", L".cmd", L".dll"})
        if (ExistsThroughRedirection(FileName + ext)) return true;
    return false;
}

// ---------------------------------------------------------------------------------------------
// Fonts and versions

void AssignFontFace(fw::TFont* Dest, const fw::TFont* Source) {
    if (!Dest || !Source) return;
    Dest->SetName(Source->GetName());
    Dest->SetCharset(Source->GetCharset());
    Dest->SetSize(Source->GetSize());
}

void GetFileVersion(const std::wstring& FileName, TFileVersionInfo& Info) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(FileName.c_str(), &handle);
    if (size == 0) return;
    std::vector<uint8_t> block(size);
    if (!GetFileVersionInfoW(FileName.c_str(), 0, size, block.data())) return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) || !fixed ||
        len < sizeof(TFileVersionInfo))
        return;
    Info.dwSignature = fixed->dwSignature;
    Info.dwStrucVersion = fixed->dwStrucVersion;
    Info.dwFileVersionMS = fixed->dwFileVersionMS;
    Info.dwFileVersionLS = fixed->dwFileVersionLS;
    Info.dwProductVersionMS = fixed->dwProductVersionMS;
    Info.dwProductVersionLS = fixed->dwProductVersionLS;
    Info.dwFileFlagsMask = fixed->dwFileFlagsMask;
    Info.dwFileFlags = fixed->dwFileFlags;
    Info.dwFileOS = fixed->dwFileOS;
    Info.dwFileType = fixed->dwFileType;
    Info.dwFileSubtype = fixed->dwFileSubtype;
}

std::wstring VersionText(const TFileVersionInfo& Info) {
    return std::to_wstring(HIWORD(Info.dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(Info.dwFileVersionMS)) +
           std::to_wstring(HIWORD(Info.dwFileVersionLS)) + L"." + std::to_wstring(LOWORD(Info.dwFileVersionLS));
}

DWORD VersionBuild(const TFileVersionInfo& Info) { return LOWORD(Info.dwFileVersionLS); }

std::wstring AppVersionText() {
    TFileVersionInfo info;  // zeroed: no version resource gives "0.00.0"
    GetFileVersion(fw::GetModuleName(), info);
    return VersionText(info);
}
