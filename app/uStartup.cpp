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

// The first instance's mutex, open until the process ends.
fw::TKernelHandle gInstanceMutex;

std::wstring LanguagesDir() { return AppDir() + L"Languages\\"; }

}  // namespace

UINT ActivateInstanceTimeoutMs = 5000;
TUILanguageSource UILanguageSource = SystemUILanguage;
TAppDataFolderSource AppDataFolderSource = SystemAppDataFolder;

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
    std::wstring appData;
    AppDataFolderSource(appData);
    // Without the folder the name would be relative to whatever the current folder is.
    if (appData.empty()) return;
    const std::wstring folder = AddBackslash(appData) + L"Vesk_Reminder\\";
    if (!fw::DirectoryExists(folder)) return;
    // Read as the store reads the file, which also knows UTF-8 without a byte-order mark.
    const std::wstring saved = ReadDataFileString(folder + L"vk_rmind_data.dat", L"CONFIG", L"Language", L"");
    // The name becomes part of a path: one that leads out of the "Languages" folder is not a
    // language name.
    if (!IsPlainLanguageName(saved)) return;
    Lang = saved;
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
