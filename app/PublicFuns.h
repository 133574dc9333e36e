// Free routines shared by the program's windows and the online services: language texts, sound
// through MCI, web pages, special folders, file tests across the 64-bit file-system redirection,
// fonts and the program's version text. The registry routines live in PublicFunsReg.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <functional>
#include <memory>
#include <string>

#include "PublicFunsReg.h"
#include "fw_base.h"
#include "fw_graphics.h"
#include "fw_inifiles.h"
#include "fw_strings.h"

// ---------------------------------------------------------------------------------------------
// Globals, filled once at program start before any window exists.

// GetDesktopWindow(): the owner window of the special-folder lookups.
extern HWND DesktopWnd;
// The user's application-data folder with a trailing backslash. The hidden main window later
// extends it in place by the program's own folder name.
extern std::wstring AppDataDir;

// Full path of the active language file.
extern std::wstring LangFile;
// The parsed active language file; made on first need, remade by LoadLangFile.
extern std::unique_ptr<fw::TMemIniFile> LangIni;
// The parsed built-in English text; made on first need.
extern std::unique_ptr<fw::TMemIniFile> MemLangIni;

// The folder of the program's executable, with a trailing backslash. Language files and the
// default sound are looked for there. SetAppDir replaces it (tests point it at a temporary
// folder); an empty text returns to the executable's folder.
std::wstring AppDir();
void SetAppDir(const std::wstring& Dir);

// ---------------------------------------------------------------------------------------------
// Language texts.

// The text of Section/Key from the active language file, else from the built-in English text,
// else Default. An empty section or key gives ''; a key the language file holds with an empty
// value falls through to the English text.
std::wstring GetLangString(const std::wstring& Section, const std::wstring& Key, const std::wstring& Default);
// (Re)reads LangFile into LangIni; LangIni stays missing when the file does not exist.
void LoadLangFile();
// (Re)reads the built-in English text (RCDATA "MemLang") into MemLangIni; any failure leaves it
// missing.
void LoadMemLang();
// Font settings of the active language file, read from the file itself each time (no fallback to
// the built-in text): "Tahoma", 8 and the system's default character set without a file.
std::wstring GetLangFontName();
int GetLangFontSize();
BYTE GetLangCharset();
// The character set a name such as "GB2312_CHARSET" stands for; `Found` tells whether the name is
// one of the Windows names (otherwise the result is DEFAULT_CHARSET).
BYTE CharsetFromName(const std::wstring& Name, bool* Found = nullptr);
// True when Code (compared ignoring case, not trimmed) is one of the "|"-separated entries of the
// language's "Translation"/"LangCode" list; a blank Code is never a match.
bool MatchLangCode(const std::wstring& Code);
// The names (without ".ini") of the files "Languages\*.ini" in the program's folder, sorted
// ignoring case. List is cleared first.
void ListLanguageFiles(fw::TStrings& List);
// The language's own name ("Lang"/"NativeLanguage") from "Languages\<Name>.ini", or Name.
std::wstring LanguageDisplayName(const std::wstring& Name);

// ---------------------------------------------------------------------------------------------
// Sound through MCI.

// Every MCI command of the program goes through this backend, so that tests can play nothing.
class TSoundBackend {
public:
    virtual ~TSoundBackend() = default;
    virtual MCIERROR SendCommand(MCIDEVICEID Device, UINT Msg, DWORD_PTR Flags, DWORD_PTR Params) = 0;
};
// nullptr restores the real mciSendCommandW.
void SetSoundBackend(TSoundBackend* Backend);
// mciSendCommandW through the current backend (also for the windows' own MCI_CLOSE at the end of
// playback).
MCIERROR SoundCommand(MCIDEVICEID Device, UINT Msg, DWORD_PTR Flags, DWORD_PTR Params);

// Opens and starts FileName. Outcomes are posted to Wnd as MM_MCINOTIFY (wParam = notice code,
// lParam = device): MCI_NOTIFY_SUCCESSFUL once the device is open and playing, then again from
// MCI when playback ends; MCI_NOTIFY_FAILURE when the file cannot be opened or played. A failure
// this routine reports itself names no device (lParam 0): nothing is left open. A relative name
// ("default.mp3") means a file in the program's folder.
void PlaySoundFile(const std::wstring& FileName, HWND Wnd);
// Stops and closes Device and returns the result of the close. No notice follows a stop, and a
// success notice of this device still waiting in Wnd's queue is removed, so a caller clears its
// own device field right after the call.
MCIERROR StopSound(MCIDEVICEID Device, HWND Wnd);

// ---------------------------------------------------------------------------------------------
// Web pages and mail.

// The shell call behind OpenUrl (ShellExecuteW by default); tests record instead of launching.
using TShellLauncher = std::function<void(HWND Owner, const std::wstring& Verb, const std::wstring& File,
                                          const std::wstring& Parameters, int ShowCmd)>;
// An empty launcher restores ShellExecuteW.
void SetShellLauncher(TShellLauncher Launcher);
// Opens a web page or a "mailto:" address. A blank Url does nothing; on Windows 8 and 8.1 an
// address containing "http" is opened in "IExplore.EXE".
void OpenUrl(HWND Wnd, const std::wstring& Url);

// The Windows version (major, minor) IsWin8 looks at; replaceable for tests (empty restores the
// real one).
using TWindowsVersionSource = std::function<void(DWORD& Major, DWORD& Minor)>;
void SetWindowsVersionSource(TWindowsVersionSource Source);
// True on Windows 6.2 and 6.3 only.
bool IsWin8();

// ---------------------------------------------------------------------------------------------
// Folders and files.

// The path of a special folder (CSIDL_*), '' when it cannot be found. An all-ones Owner finds
// nothing.
void GetSpecialFolder(HWND Owner, int Csidl, std::wstring& Path);
// S with a trailing "\" (an empty S stays empty).
std::wstring AddBackslash(const std::wstring& S);
// PathFileExistsW that also looks past the 64-bit file-system redirection, and that tries the
// executable extensions (".exe", ".com", ".bat", ".cmd", ".dll") for a name without one.
bool FileExistsEx(const std::wstring& FileName);
// Turn the 32-bit process's file-system redirection off and back on (only on Wow64); OldValue
// carries the state from the first call to the second.
void DisableFsRedirection(PVOID& OldValue);
void RevertFsRedirection(PVOID OldValue);

// ---------------------------------------------------------------------------------------------
// Fonts and versions.

// Copies name, character set and size (points) of Source to Dest; style and colour stay.
void AssignFontFace(fw::TFont* Dest, const fw::TFont* Source);

// The first eleven fields of VS_FIXEDFILEINFO (the two date fields are not copied).
struct TFileVersionInfo {
    DWORD dwSignature = 0;
    DWORD dwStrucVersion = 0;
    DWORD dwFileVersionMS = 0;
    DWORD dwFileVersionLS = 0;
    DWORD dwProductVersionMS = 0;
    DWORD dwProductVersionLS = 0;
    DWORD dwFileFlagsMask = 0;
    DWORD dwFileFlags = 0;
    DWORD dwFileOS = 0;
    DWORD dwFileType = 0;
    DWORD dwFileSubtype = 0;
};
// Reads the fixed version record of FileName into Info; on any failure Info is left as it was.
void GetFileVersion(const std::wstring& FileName, TFileVersionInfo& Info);
// major "." minor release "." build, no separator between minor and release (1.2.2.59 -> "1.22.59").
std::wstring VersionText(const TFileVersionInfo& Info);
// The build number: the low word of the file version's LS part.
DWORD VersionBuild(const TFileVersionInfo& Info);
// The version text of the running program's executable ("0.00.0" without a version resource).
std::wstring AppVersionText();
