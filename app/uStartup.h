// Program start: one instance per logged-on user, the choice of the language file, the
// application's set-up with its hidden main window, and the message loop.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The named mutex that marks a running instance (session-local, no "Global\" prefix).
constexpr const wchar_t* SingleInstanceMutexName = L"vesk_remind_me_mutex";
// The window class of the running instance's main window.
constexpr const wchar_t* MainWindowClassName = L"TfrmZUBMain";
// How long a second instance waits for the running one to answer before it gives up (5000 ms;
// tests shorten it).
extern UINT ActivateInstanceTimeoutMs;

// True when this is the only instance. Otherwise the running instance has been asked to show its
// window, and the caller ends. The first instance keeps its mutex for the life of the process.
// A mutex that exists but may not be opened (made by an instance running with other rights)
// counts as a running instance too.
bool CheckSingleInstance();

// The language name saved in the data file ("CONFIG"/"Language"), or ''. A name that would point
// outside the "Languages" folder is ignored.
void ReadSavedLanguage(std::wstring& Lang);
// The language to use: the saved one, else the first language file that lists the Windows
// user-interface language, else "English".
void SelectLanguage(std::wstring& Lang);
// Sets LangFile to "Languages\<Lang>.ini" beside the program, or to "Languages\English.ini"
// when that file does not exist.
void SetLanguageFile(const std::wstring& Lang);

// The entries of a "LangCode" list: each "|" ends an entry, the text after the last "|" is one
// more entry when it is not empty; entries are not trimmed.
std::vector<std::wstring> SplitLangCodes(const std::wstring& Codes);
// True when Lang is a plain file name (no path separator, no drive colon).
bool IsPlainLanguageName(const std::wstring& Lang);

// Waits while another program holds the data file without sharing it (a backup or sync tool at
// log-on, an editor), at most DataFileWaitMs: true once it can be read or when there is none.
bool WaitForDataFile();

// The whole program: single instance, language, application, message loop. Returns the exit code.
int RunProgram();

// Seams, the real behaviour by default.
// The Windows user-interface language.
using TUILanguageSource = LANGID (*)();
extern TUILanguageSource UILanguageSource;
// The user's application-data folder ('' when it cannot be found).
using TAppDataFolderSource = void (*)(std::wstring& Path);
extern TAppDataFolderSource AppDataFolderSource;
// The longest wait for the data file at start (5000 ms), and the pause between two tries (Sleep).
extern UINT DataFileWaitMs;
using TPauseProc = void (*)(DWORD Ms);
extern TPauseProc PauseProc;
