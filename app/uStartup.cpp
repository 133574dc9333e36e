#include "uStartup.h"

#include <shlobj.h>

#include <utility>

#include "PublicFuns.h"
#include "fw_forms.h"
#include "fw_handles.h"
#include "fw_inifiles.h"
#include "fw_strings.h"
#include "uMain.h"
#include "uRemindFile.h"

namespace {

LANGID SystemUILanguage() { return GetUserDefaultUILanguage(); }

void SystemAppDataFolder(std::wstring& Path) { GetSpecialFolder(DesktopWnd, CSIDL_APPDATA, Path); }

void SystemPause(DWORD Ms) { Sleep(Ms); }

// The first instance's mutex, open until the process ends.
fw::TKernelHandle gInstanceMutex;

std::wstring LanguagesDir() { return AppDir() + L"Languages\\"; }

// The program's data folder ('' when the application-data folder is unknown: a name without it
// would be relative to whatever the current folder is).
std::wstring DataFolder() {
    std::wstring appData;
    AppDataFolderSource(appData);
    return appData.empty() ? L"" : AddBackslash(appData) + L"Vesk_Reminder\\";
}
const wchar_t kDataFileName[] = L"vk_rmind_data.dat";

}  // namespace

UINT ActivateInstanceTimeoutMs = 5000;
TUILanguageSource UILanguageSource = SystemUILanguage;
TAppDataFolderSource AppDataFolderSource = SystemAppDataFolder;
UINT DataFileWaitMs = 5000;
TPauseProc PauseProc = SystemPause;

bool CheckSingleInstance() {
    SetLastError(ERROR_SUCCESS);
    fw::TKernelHandle mutex(CreateMutexW(nullptr, FALSE, SingleInstanceMutexName));
    const DWORD error = GetLastError();
    // Access is refused only to a mutex that exists: an instance started elevated (or by another
    // account in this session) holds it, and a second copy would work on the same data file.
    if (error == ERROR_ALREADY_EXISTS || (!mutex && error == ERROR_ACCESS_DENIED)) {
        HWND wnd = FindWindowW(MainWindowClassName, nullptr);
        if (wnd) {
            // A hung first instance must not hold this one forever.
            DWORD_PTR result = 0;
            SendMessageTimeoutW(wnd, WM_ACTIVATEINSTANCE, 1, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                ActivateInstanceTimeoutMs, &result);
        }
        // This process never owned the mutex, so releasing it would do nothing: the handle closes.
        return false;
    }
    if (mutex) gInstanceMutex = std::move(mutex);
    return true;
}

bool IsPlainLanguageName(const std::wstring& Lang) {
    return Lang.find_first_of(L"\\/:") == std::wstring::npos;
}

void ReadSavedLanguage(std::wstring& Lang) {
    Lang.clear();
    const std::wstring folder = DataFolder();
    if (folder.empty() || !fw::DirectoryExists(folder)) return;
    // Read as the store reads the file, which also knows UTF-8 without a byte-order mark.
    const std::wstring saved = ReadDataFileString(folder + kDataFileName, L"CONFIG", L"Language", L"");
    // The name becomes part of a path: one that leads out of the "Languages" folder is not a
    // language name.
    if (!IsPlainLanguageName(saved)) return;
    Lang = saved;
}

bool WaitForDataFile() {
    const std::wstring folder = DataFolder();
    if (folder.empty()) return true;
    const std::wstring file = folder + kDataFileName;
    constexpr DWORD kStep = 250;
    for (DWORD waited = 0;; waited += kStep) {
        const fw::TKernelHandle h(CreateFileW(file.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        const DWORD error = h ? ERROR_SUCCESS : GetLastError();
        if (h || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
        if (waited >= DataFileWaitMs) return false;
        PauseProc(kStep);
    }
}

std::vector<std::wstring> SplitLangCodes(const std::wstring& Codes) {
    std::vector<std::wstring> entries;
    size_t start = 0;
    for (;;) {
        const size_t bar = Codes.find(L'|', start);
        if (bar == std::wstring::npos) {
            if (start < Codes.size()) entries.push_back(Codes.substr(start));
            return entries;
        }
        entries.push_back(Codes.substr(start, bar - start));
        start = bar + 1;
    }
}

void SelectLanguage(std::wstring& Lang) {
    ReadSavedLanguage(Lang);
    if (!Lang.empty()) return;
    Lang = L"English";
    const std::wstring code = fw::IntToHex(UILanguageSource(), 4);
    try {
        fw::TStringList names;
        ListLanguageFiles(names);
        for (int i = 0; i < names.GetCount(); ++i) {
            const std::wstring name = names.GetString(i);
            const std::wstring path = LanguagesDir() + name + L".ini";
            if (!FileExistsEx(path)) continue;
            fw::TMemIniFile ini(path);
            const std::wstring codes = fw::LowerCase(ini.ReadString(L"Translation", L"LangCode", L""));
            for (const std::wstring& entry : SplitLangCodes(codes)) {
                if (fw::SameText(entry, code)) {
                    Lang = name;
                    return;
                }
            }
        }
    } catch (...) {
        // A language file that cannot be read ends the search; English is the safe choice.
        Lang = L"English";
    }
}

void SetLanguageFile(const std::wstring& Lang) {
    const std::wstring path = LanguagesDir() + Lang + L".ini";
    if (IsPlainLanguageName(Lang) && FileExistsEx(path))
        LangFile = path;
    else
        LangFile = LanguagesDir() + L"English.ini";
}

int RunProgram() {
    if (!CheckSingleInstance()) return 0;
    // The language and then the store come from the data file: a lock held for a moment at log-on
    // must not make them the defaults.
    WaitForDataFile();
    std::wstring lang;
    SelectLanguage(lang);
    SetLanguageFile(lang);
    try {
        fw::Application->Initialize();
        fw::Application->SetMainFormOnTaskBar(true);
        fw::Application->SetTitle(L"Vesk Reminder");
        fw::Application->SetShowMainForm(false);
        fw::Application->CreateForm(frmZUBMain);
        fw::Application->Run();
    } catch (...) {
        // Only a failure to build the main window gets here; the user is told before the end.
        fw::Application->HandleException(nullptr);
        return 1;
    }
    return 0;
}
