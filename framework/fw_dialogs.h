// The common file dialogs. Execute shows the system's open or save dialog; tests (and anything
// else that must not show a window) replace the system call through SetFileDialogHandler.
#pragma once

#include "fw_forms.h"

#include <commdlg.h>

#include <functional>
#include <string>

namespace fw {

enum TOpenOption : unsigned {
    ofReadOnly = 0x0001,
    ofOverwritePrompt = 0x0002,
    ofHideReadOnly = 0x0004,
    ofNoChangeDir = 0x0008,
    ofPathMustExist = 0x0010,
    ofFileMustExist = 0x0020,
    ofCreatePrompt = 0x0040,
    ofNoReadOnlyReturn = 0x0080,
    ofEnableSizing = 0x0100,
};
using TOpenOptions = unsigned;

// The call that shows the dialog: GetOpenFileNameW (Save false) or GetSaveFileNameW (Save true)
// unless replaced. It fills the structure's file buffer and returns false on cancel.
using TFileDialogFunc = std::function<bool(OPENFILENAMEW& Ofn, bool Save)>;
// Replaces the system call; an empty function restores it. Returns the one that was in place.
TFileDialogFunc SetFileDialogHandler(TFileDialogFunc Handler);

class TOpenDialog : public TComponent {
public:
    FW_CLASSNAME(TOpenDialog)
    explicit TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

    // Shows the dialog, owned by the active form; true when the user chose a file (FileName
    // then holds it).
    virtual bool Execute();

    const std::wstring& GetFileName() const { return FFileName; }
    void SetFileName(const std::wstring& Value) { FFileName = Value; }
    // "Description|*.ext|Other|*.a;*.b": pairs separated by "|".
    const std::wstring& GetFilter() const { return FFilter; }
    void SetFilter(const std::wstring& Value) { FFilter = Value; }
    // 1-based, as the dialog reports it.
    int GetFilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int Value) { FFilterIndex = Value; }
    // Added to a typed name that has no extension; "dat" and ".dat" mean the same.
    const std::wstring& GetDefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const std::wstring& Value) { FDefaultExt = Value; }
    const std::wstring& GetInitialDir() const { return FInitialDir; }
    void SetInitialDir(const std::wstring& Value) { FInitialDir = Value; }
    const std::wstring& GetTitle() const { return FTitle; }
    void SetTitle(const std::wstring& Value) { FTitle = Value; }
    TOpenOptions GetOptions() const { return FOptions; }
    void SetOptions(TOpenOptions Value) { FOptions = Value; }

protected:
    bool DoExecute(bool Save);

private:
    std::wstring FFileName;
    std::wstring FFilter;
    int FFilterIndex = 1;
    std::wstring FDefaultExt;
    std::wstring FInitialDir;
    std::wstring FTitle;
    TOpenOptions FOptions = ofHideReadOnly | ofEnableSizing;
};

class TSaveDialog : public TOpenDialog {
public:
    FW_CLASSNAME(TSaveDialog)
    explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}
    bool Execute() override;
};

}  // namespace fw
