// String lists and the text encodings of files: byte-order-mark detection on load, saving back in
// the encoding a list was loaded with.
#pragma once
#include "fw_base.h"

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace fw {

// Text encodings of files. Ansi is the system's ANSI code page (no byte-order mark); the others
// are written with their byte-order mark.
enum class TEncoding { Ansi, UTF8, UTF16LE, UTF16BE };

// The encoding a byte-order mark announces (FF FE, FE FF, EF BB BF), else Ansi; `bomSize` gets the
// length of the mark.
TEncoding DetectEncoding(const void* data, size_t size, size_t& bomSize);
// Bytes to text: the mark detected and skipped; `encoding` receives what was found.
std::wstring DecodeText(const void* data, size_t size, TEncoding& encoding);
// Text to bytes, with the byte-order mark of a Unicode encoding when `withBom`.
std::vector<uint8_t> EncodeText(const std::wstring& text, TEncoding encoding, bool withBom = true);

// Whole files. Throw EFOpenError / EFCreateError naming the file.
std::vector<uint8_t> ReadFileToBytes(const std::wstring& fileName);
void WriteBytesToFile(const std::wstring& fileName, const void* data, size_t size);

// An ordered list of strings, each with an attached object pointer (not owned).
class TStrings {
public:
    virtual ~TStrings() = default;

    // Storage operations of a concrete list.
    virtual int GetCount() const = 0;
    virtual std::wstring Get(int index) const = 0;
    virtual void Put(int index, const std::wstring& s) = 0;
    virtual TObject* GetObject(int index) const = 0;
    virtual void PutObject(int index, TObject* obj) = 0;
    virtual void Insert(int index, const std::wstring& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    // A list that keeps its own order (a sorted string list) places added strings itself.
    virtual int Add(const std::wstring& s);
    // Batch changes: a list that shows its strings (a control's items) repaints once at the
    // outermost EndUpdate (SetUpdateState).
    void BeginUpdate();
    void EndUpdate();

    int Count() const { return GetCount(); }
    std::wstring GetString(int index) const { return Get(index); }
    void SetString(int index, const std::wstring& s) { Put(index, s); }
    std::wstring operator[](int index) const { return Get(index); }
    int AddObject(const std::wstring& s, TObject* obj);
    void InsertObject(int index, const std::wstring& s, TObject* obj);
    void AddStrings(const TStrings& other);
    void Assign(const TStrings& other);
    void Exchange(int a, int b);
    void Move(int from, int to);
    // Index of the first string equal to `s` (ignoring case unless the list is case-sensitive), or -1.
    virtual int IndexOf(const std::wstring& s) const;

    // "name=value" lines.
    std::wstring GetName(int index) const;
    std::wstring GetValueFromIndex(int index) const;
    int IndexOfName(const std::wstring& name) const;
    std::wstring GetValue(const std::wstring& name) const;
    // Sets the value of `name` (adding a line when missing); an empty value removes the line.
    void SetValue(const std::wstring& name, const std::wstring& value);

    // All lines, each followed by CR LF.
    std::wstring GetText() const;
    // Replaces the lines; CR LF, LF and CR all end a line.
    void SetText(const std::wstring& text);

    // Loading detects the encoding from the byte-order mark and remembers it.
    void LoadFromBytes(const void* data, size_t size);
    void LoadFromStream(std::istream& in);
    void LoadFromFile(const std::wstring& fileName);
    // An RCDATA (or other) resource of `module`. Throws EFOpenError when it does not exist.
    void LoadFromResource(HMODULE module, const wchar_t* name, const wchar_t* type = MAKEINTRESOURCEW(10));
    // Saving uses the remembered encoding unless one is given.
    std::vector<uint8_t> SaveToBytes() const { return SaveToBytes(FEncoding); }
    std::vector<uint8_t> SaveToBytes(TEncoding encoding) const;
    void SaveToStream(std::ostream& out) const { SaveToStream(out, FEncoding); }
    void SaveToStream(std::ostream& out, TEncoding encoding) const;
    void SaveToFile(const std::wstring& fileName) const { SaveToFile(fileName, FEncoding); }
    void SaveToFile(const std::wstring& fileName, TEncoding encoding) const;

    TEncoding GetEncoding() const { return FEncoding; }
    void SetEncoding(TEncoding e) { FEncoding = e; }
    bool GetCaseSensitive() const { return FCaseSensitive; }
    virtual void SetCaseSensitive(bool v) { FCaseSensitive = v; }

protected:
    TStrings() = default;
    TStrings(const TStrings&) = default;
    TStrings& operator=(const TStrings&) = default;
    virtual void SetUpdateState(bool updating) {}
    int CompareStrings(const std::wstring& a, const std::wstring& b) const;
    // An index check shared by the lists: throws EListError "List index out of bounds (i)".
    static void CheckIndex(int index, int count);

    TEncoding FEncoding = TEncoding::Ansi;
    bool FCaseSensitive = false;
    int FUpdateCount = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
public:
    TStringList() = default;
    TStringList(const TStringList& other) : TStrings(other), FItems(other.FItems), FSorted(other.FSorted),
                                            FDuplicates(other.FDuplicates) {
        FUpdateCount = 0;  // a copy is not inside the original's BeginUpdate
    }
    TStringList& operator=(const TStringList& other) {
        if (this != &other) Assign(other);
        return *this;
    }

    int GetCount() const override { return static_cast<int>(FItems.size()); }
    std::wstring Get(int index) const override;
    void Put(int index, const std::wstring& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* obj) override;
    void Insert(int index, const std::wstring& s) override;
    void Delete(int index) override;
    void Clear() override;
    int Add(const std::wstring& s) override;
    int IndexOf(const std::wstring& s) const override;
    void SetCaseSensitive(bool v) override;

    // Orders the strings ignoring case (unless case-sensitive); equal strings keep their order.
    virtual void Sort();
    // Binary search in a sorted list: true when found; `index` is the position or insertion point.
    bool Find(const std::wstring& s, int& index) const;
    bool GetSorted() const { return FSorted; }
    void SetSorted(bool v);
    TDuplicates GetDuplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates d) { FDuplicates = d; }

private:
    struct Item {
        std::wstring s;
        TObject* obj = nullptr;
    };
    std::vector<Item> FItems;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
};

}  // namespace fw
