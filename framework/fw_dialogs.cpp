#include "fw_dialogs.h"

#include <commdlg.h>

#include <vector>

namespace fw {

namespace {

bool SystemFileDialog(OPENFILENAMEW& Ofn, bool Save) {
    return Save ? GetSaveFileNameW(&Ofn) != FALSE : GetOpenFileNameW(&Ofn) != FALSE;
}

TFileDialogFunc& Handler() {
    static TFileDialogFunc h;
    return h;
}

// "A|*.a|B|*.b" as the dialog wants it: NUL-separated, ending with two NULs.
std::vector<wchar_t> FilterBuffer(const std::wstring& Filter) {
    std::vector<wchar_t> buf;
    if (Filter.empty()) return buf;
    for (wchar_t c : Filter) buf.push_back(c == L'|' ? L'\0' : c);
    buf.push_back(L'\0');
    buf.push_back(L'\0');
    return buf;
}

DWORD OptionFlags(TOpenOptions o) {
    DWORD f = OFN_EXPLORER;
    if (o & ofReadOnly) f |= OFN_READONLY;
    if (o & ofOverwritePrompt) f |= OFN_OVERWRITEPROMPT;
    if (o & ofHideReadOnly) f |= OFN_HIDEREADONLY;
    if (o & ofNoChangeDir) f |= OFN_NOCHANGEDIR;
    if (o & ofPathMustExist) f |= OFN_PATHMUSTEXIST;
    if (o & ofFileMustExist) f |= OFN_FILEMUSTEXIST;
    if (o & ofCreatePrompt) f |= OFN_CREATEPROMPT;
    if (o & ofNoReadOnlyReturn) f |= OFN_NOREADONLYRETURN;
    if (o & ofEnableSizing) f |= OFN_ENABLESIZING;
    return f;
}

}  // namespace

TFileDialogFunc SetFileDialogHandler(TFileDialogFunc NewHandler) {
    TFileDialogFunc old = Handler();
    Handler() = std::move(NewHandler);
    return old;
}

bool TOpenDialog::Execute() {
    return DoExecute(false);
}

bool TSaveDialog::Execute() {
    return DoExecute(true);
}

bool TOpenDialog::DoExecute(bool Save) {
    // Long enough for any path the dialog can return.
    std::vector<wchar_t> file(32768, L'\0');
    FFileName.copy(file.data(), std::min(FFileName.size(), file.size() - 1));
    std::vector<wchar_t> filter = FilterBuffer(FFilter);
    // The dialog wants the extension without its dot; a dot given with it (".dat") would end up
    // doubled in the chosen name ("backup..dat").
    std::wstring defExt = FDefaultExt;
    while (!defExt.empty() && defExt.front() == L'.') defExt.erase(0, 1);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    HWND owner = nullptr;
    if (Screen && Screen->GetActiveForm() && Screen->GetActiveForm()->HandleAllocated())
        owner = Screen->GetActiveForm()->GetHandle();
    else if (Application)
        owner = Application->GetHandle();
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.data();
    ofn.nFilterIndex = static_cast<DWORD>(FFilterIndex > 0 ? FFilterIndex : 1);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = FInitialDir.empty() ? nullptr : FInitialDir.c_str();
    ofn.lpstrTitle = FTitle.empty() ? nullptr : FTitle.c_str();
    ofn.lpstrDefExt = defExt.empty() ? nullptr : defExt.c_str();
    ofn.Flags = OptionFlags(FOptions);

    TFileDialogFunc h = Handler();
    bool ok = h ? h(ofn, Save) : SystemFileDialog(ofn, Save);
    if (!ok) return false;
    file.back() = L'\0';
    FFileName = file.data();
    FFilterIndex = static_cast<int>(ofn.nFilterIndex);
    if (ofn.Flags & OFN_READONLY)
        FOptions |= ofReadOnly;
    else
        FOptions &= ~static_cast<TOpenOptions>(ofReadOnly);
    return true;
}

}  // namespace fw
