// INI files: TIniFile over the Windows profile functions, TMemIniFile parsed in memory.
#pragma once
#include "fw_base.h"
#include "fw_datetime.h"
#include "fw_strings.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace fw {

// The typed reads and writes shared by both INI classes; the string operations are the classes' own.
class TCustomIniFile {
public:
    explicit TCustomIniFile(const std::wstring& fileName);
    virtual ~TCustomIniFile() = default;
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    const std::wstring& GetFileName() const { return FFileName; }
    // Date-time texts are written and parsed with these settings (the user's by default).
    const TFormatSettings& GetFormatSettings() const { return FFormatSettings; }
    void SetFormatSettings(const TFormatSettings& fs) { FFormatSettings = fs; }

    virtual std::wstring ReadString(const std::wstring& section, const std::wstring& ident,
                                    const std::wstring& def) = 0;
    virtual void WriteString(const std::wstring& section, const std::wstring& ident, const std::wstring& value) = 0;
    // Key names of a section in file order (the list is cleared first).
    virtual void ReadSection(const std::wstring& section, TStrings& keys) = 0;
    virtual void ReadSections(TStrings& sections) = 0;
    // "key=value" lines of a section.
    virtual void ReadSectionValues(const std::wstring& section, TStrings& values);
    virtual void EraseSection(const std::wstring& section) = 0;
    virtual void DeleteKey(const std::wstring& section, const std::wstring& ident) = 0;
    virtual void UpdateFile() = 0;
    // A section exists when it holds at least one key.
    virtual bool SectionExists(const std::wstring& section);
    virtual bool ValueExists(const std::wstring& section, const std::wstring& ident);

    // Integers: "0x"/"0X" followed by hexadecimal digits (more than two characters), else decimal
    // or "$" hexadecimal with an optional sign; anything else gives the default.
    int ReadInteger(const std::wstring& section, const std::wstring& ident, int def);
    void WriteInteger(const std::wstring& section, const std::wstring& ident, int value);
    // Read as an integer, not 0 = true; written "1"/"0".
    bool ReadBool(const std::wstring& section, const std::wstring& ident, bool def);
    void WriteBool(const std::wstring& section, const std::wstring& ident, bool value);
    // Empty, missing or unparseable texts give the default.
    TDateTime ReadDateTime(const std::wstring& section, const std::wstring& ident, TDateTime def);
    TDateTime ReadDate(const std::wstring& section, const std::wstring& ident, TDateTime def);
    TDateTime ReadTime(const std::wstring& section, const std::wstring& ident, TDateTime def);
    void WriteDateTime(const std::wstring& section, const std::wstring& ident, TDateTime value);
    void WriteDate(const std::wstring& section, const std::wstring& ident, TDateTime value);
    void WriteTime(const std::wstring& section, const std::wstring& ident, TDateTime value);

protected:
    std::wstring FFileName;
    TFormatSettings FFormatSettings;
};

// An INI file read and written key by key through GetPrivateProfileStringW and
// WritePrivateProfileStringW. The name is made absolute at construction (a bare name would
// otherwise mean a file in the Windows folder). Reads have no length limit: values and key lists
// of any size come back whole. The profile functions trim blanks around values and strip one pair
// of surrounding quotes.
class TIniFile : public TCustomIniFile {
public:
    explicit TIniFile(const std::wstring& fileName);

    std::wstring ReadString(const std::wstring& section, const std::wstring& ident, const std::wstring& def) override;
    // Throws EIniFileException "Unable to write to <path>" when the system refuses the write.
    void WriteString(const std::wstring& section, const std::wstring& ident, const std::wstring& value) override;
    void ReadSection(const std::wstring& section, TStrings& keys) override;
    void ReadSections(TStrings& sections) override;
    // Both throw EIniFileException like WriteString when the system refuses to change an existing
    // file; on a file that does not exist they do nothing.
    void EraseSection(const std::wstring& section) override;
    void DeleteKey(const std::wstring& section, const std::wstring& ident) override;
    // Flushes the system's profile cache to the file.
    void UpdateFile() override;

    // When set, a missing file is created empty as UTF-16LE with a byte-order mark before the first
    // write, so that the profile functions keep it in UTF-16 (any text survives, not only the ANSI
    // code page's). An existing file is never touched.
    bool GetCreateUnicode() const { return FCreateUnicode; }
    void SetCreateUnicode(bool v) { FCreateUnicode = v; }

private:
    void PrepareWrite();
    [[noreturn]] void RaiseWriteError();
    // A double-NUL-terminated list from the profile functions, with a buffer that grows.
    std::vector<std::wstring> ReadList(const wchar_t* section);

    bool FCreateUnicode = false;
};

// An INI file held in memory. Loading detects the encoding from a byte-order mark (else the ANSI
// code page); lines are trimmed; blank lines and lines beginning ";" are dropped; "[name]" opens a
// section (blanks inside the brackets trimmed, as the profile functions do); a key line is split at its first "=" with blanks around it removed; values are kept as
// written (quotes included). Sections and keys are found ignoring case and kept in file order; of
// repeated keys the first wins, and a repeated section continues the first one. Lines before the
// first section and lines without "=" are dropped. Sections and keys are found through hash tables
// (a language file may hold a great many), so loading takes time in proportion to the file's size.
class TMemIniFile : public TCustomIniFile {
public:
    // "" makes an empty object without a file. A missing file loads as empty.
    explicit TMemIniFile(const std::wstring& fileName = L"");

    std::wstring ReadString(const std::wstring& section, const std::wstring& ident, const std::wstring& def) override;
    void WriteString(const std::wstring& section, const std::wstring& ident, const std::wstring& value) override;
    void ReadSection(const std::wstring& section, TStrings& keys) override;
    void ReadSections(TStrings& sections) override;
    void ReadSectionValues(const std::wstring& section, TStrings& values) override;
    void EraseSection(const std::wstring& section) override;
    void DeleteKey(const std::wstring& section, const std::wstring& ident) override;
    bool SectionExists(const std::wstring& section) override;
    bool ValueExists(const std::wstring& section, const std::wstring& ident) override;
    // Writes every section as "[name]", its "key=value" lines and one blank line, CR LF line ends,
    // in the encoding the file was loaded with (with its byte-order mark for the Unicode ones).
    // Nothing happens without a file name. Throws EFCreateError when the file cannot be written.
    void UpdateFile() override;

    // Takes another file name; with `reload` the contents are replaced by that file's.
    void Rename(const std::wstring& fileName, bool reload = false);
    // Replaces the contents with the parsed lines of `list`.
    void SetStrings(const TStrings& list);
    // The contents as lines, as UpdateFile writes them.
    void GetStrings(TStrings& list) const;
    void Clear();

    TEncoding GetEncoding() const { return FEncoding; }
    void SetEncoding(TEncoding e) { FEncoding = e; }

private:
    struct Key {
        std::wstring name, folded, value;
    };
    struct Section {
        std::wstring name, folded;
        std::vector<Key> keys;
        std::unordered_map<std::wstring, size_t> index;  // folded key name -> position in keys
    };
    Section* FindSection(const std::wstring& name);
    Section& AddSection(const std::wstring& name);
    static Key* FindKey(Section& s, const std::wstring& name);
    static void AddKey(Section& s, const std::wstring& name, const std::wstring& value);
    void Reindex();
    void LoadFromFileName();
    void ParseLines(const TStrings& list);

    std::vector<Section> FSections;
    std::unordered_map<std::wstring, size_t> FIndex;  // folded section name -> position in FSections
    TEncoding FEncoding = TEncoding::Ansi;
};

}  // namespace fw
