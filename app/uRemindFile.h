// The reminder record, the settings record and the data file that holds both.
#pragma once
#include "fw_datetime.h"
#include "fw_inifiles.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Tells the records of one run apart, in memory only. Every record gets a number of its own when it
// is made, a copy included (a copy is another reminder, or a scratch value); assigning one record's
// fields to another leaves the target its own number. A record's address cannot serve: the memory of
// a deleted record soon holds a new one.
class TRecordRunId {
public:
    TRecordRunId() noexcept : FValue(Next()) {}
    TRecordRunId(const TRecordRunId&) noexcept : FValue(Next()) {}
    TRecordRunId& operator=(const TRecordRunId&) noexcept { return *this; }
    uint64_t Value() const noexcept { return FValue; }

private:
    static uint64_t Next() noexcept {
        static std::atomic<uint64_t> last{0};
        return ++last;
    }
    uint64_t FValue;
};

// One reminder. Times are date-time values (days since 30 December 1899).
struct TRmRecordStruct {
    std::wstring Name;                // the text as typed (may hold line breaks)
    fw::TDateTime CreateDateTime = 0; // moment of creation
    fw::TDateTime WakeTime = 0;       // time of day, fraction only
    fw::TDateTime EndTime = 0;        // moment of completion; 0 = still active
    fw::TDateTime LastTime = 0;       // last-announced time
    std::wstring Voice;               // '' mute, "default.mp3" the default sound, else a file path
    fw::TDateTime NextDue = 0;        // next due time, memory only; 0 = none
    std::wstring TimeLeftText;        // memory only
    std::wstring DisplayText;         // memory only
    uint8_t Period = 0;               // 0 once, 1 daily, 2 weekly, 3 monthly, 4 yearly; others match no rule
    std::array<uint8_t, 31> RepeatData{};  // read through the views below, chosen by Period

    // The data-file section the record lives in. Set when the record is read or first written and
    // never recomputed: the record is always written back to the same section, whatever its
    // creation time reads as under the current date format.
    std::wstring Section;

    // This run's identity of the record (never stored).
    TRecordRunId RunId;

    // Week days (weekly rule): Index 0 = Sunday ... 6 = Saturday. A flag is set only when its
    // byte is exactly 1. Indexes outside the range read as not set and are not written.
    bool GetWeekDays(int Index) const;
    void SetWeekDays(int Index, bool Value);
    // Days of the month (monthly rule): Index 0 = day 1 ... 30 = day 31.
    bool GetMonthDays(int Index) const;
    void SetMonthDays(int Index, bool Value);
    // The date (once, daily, yearly rules): a whole day number stored as a little-endian double
    // in bytes 7..14.
    double GetDate() const;
    void SetDate(double Value);
};

// The settings kept in section "CONFIG" (MachineGuid comes from the registry, never the file).
struct TConfig {
    bool AutoUpdate = true;
    bool CheckNews = true;
    int32_t NewsId = -1;
    std::wstring Language = L"English";
    std::wstring SetupVer;
    std::wstring MachineGuid;
};

extern TConfig Config;

// The text of a reminder is stored as one profile value. A text holding line breaks is stored
// with backslash escapes and a marker key beside the record, so that texts without the marker
// (every file written before) read exactly as they stand. A text (or sound path) with blanks at
// either end, or enclosed in quotes, is written inside one more pair of quotes, which the profile
// functions take off again when reading.
std::wstring EscapeRecordName(const std::wstring& Name);
std::wstring UnescapeRecordName(const std::wstring& Value);
bool RecordNameNeedsEscape(const std::wstring& Name);

// Writes a whole file so that no reader ever finds it half-written: the bytes go to a temporary
// file beside it ("<name>.tmp"), are flushed to the disk, and the temporary file is moved over the
// target in one step. False when any step fails; the target is then as it was.
bool WriteFileAtomically(const std::wstring& FileName, const std::vector<uint8_t>& Bytes);
using TDataFileWriter = std::function<bool(const std::wstring& FileName, const std::vector<uint8_t>& Bytes)>;
// Reads a whole file, sharing it with other readers and writers. False when it cannot be opened or
// read (another program holds it without sharing, say).
bool ReadFileWhole(const std::wstring& FileName, std::vector<uint8_t>& Bytes);
using TDataFileReader = std::function<bool(const std::wstring& FileName, std::vector<uint8_t>& Bytes)>;

// One value of a data file, read as the store reads it (also a UTF-8 text without byte-order mark);
// Default when the file or the value is missing or the file cannot be read.
std::wstring ReadDataFileString(const std::wstring& FileName, const std::wstring& Section, const std::wstring& Ident,
                                const std::wstring& Default);

class TProfileText;

// The data file: settings in "CONFIG", the list of reminders in "UNFINISHED" and one section a
// reminder. It owns every record in Records.
// The store keeps the file's text in memory, read and changed by the rules of the profile functions
// (the INI operations below work on it), and saves it whole through FileWriter: one save per
// operation (a record written, a record deleted, the settings, a restore), whatever number of keys
// it changes, or one for all operations between BeginUpdate and EndUpdate. The file is reread only
// when it changed on the disk since the store last read or wrote it (another program, an editor):
// an operation then applies to what is on the disk now, as the profile functions would. Every failed
// save (refused, out of memory, anything else) raises "Unable to write to <path>" and leaves the file
// as it was; the text in memory is then read anew from the file, so that it never holds what the file
// does not. A text that could not be read whole (the file locked, memory short) is never saved.
class TRemindFile : public fw::TIniFile {
public:
    // Opens the file and loads it. Dates and times are written and parsed with the given settings
    // (the user's by default).
    explicit TRemindFile(const std::wstring& FileName);
    TRemindFile(const std::wstring& FileName, const fw::TFormatSettings& Settings);
    // Saves the settings once the store has loaded (a failure is swallowed: nothing may be thrown
    // out of a destructor; callers that can tell the user save them before) and frees the records.
    ~TRemindFile() override;

    // The INI operations on the store's text of the file; each change is saved at once (or at the
    // end of an update).
    std::wstring ReadString(const std::wstring& section, const std::wstring& ident, const std::wstring& def) override;
    void WriteString(const std::wstring& section, const std::wstring& ident, const std::wstring& value) override;
    void ReadSection(const std::wstring& section, fw::TStrings& keys) override;
    void ReadSections(fw::TStrings& sections) override;
    void EraseSection(const std::wstring& section) override;
    void DeleteKey(const std::wstring& section, const std::wstring& ident) override;
    bool SectionExists(const std::wstring& section) override;
    bool ValueExists(const std::wstring& section, const std::wstring& ident) override;
    // Nothing waits to be written: every change is saved when its operation ends.
    void UpdateFile() override {}

    // Changes made from BeginUpdate to the matching EndUpdate are saved once, by that EndUpdate,
    // which raises the error of a refused save.
    void BeginUpdate();
    void EndUpdate();

    // Every save passes the file's whole new content through here (WriteFileAtomically unless
    // replaced); false means the save was refused.
    TDataFileWriter FileWriter;
    // Every reading of the file goes through here (ReadFileWhole unless replaced).
    TDataFileReader FileReader;
    // A file that could not be read as text (bytes that do not decode, NUL characters) is copied
    // before the first save that would replace it, to "<name>.damaged" (".damaged.2" and so on when
    // taken: one copy per damaged reading, never overwritten). Called once per copy, with its path,
    // so that the program can tell the user.
    std::function<void(const std::wstring& CopyPath)> OnDamagedCopy;

    // The reminders in file order. The store owns them.
    std::vector<TRmRecordStruct*> Records;

    // Settings into Config, then every reminder listed in "UNFINISHED" (keys naming the file's own
    // sections left out). A file that cannot be read (or not whole) reads as empty, as for the
    // profile functions, and leaves the store unloaded.
    void LoadAll();
    // Whether the settings and reminders are the file's (or there is no file yet). Until then they
    // are mere defaults: nothing may be decided from them, and every save is refused, so that they
    // never replace what the file holds.
    bool Loaded() const { return FLoaded; }
    // An unloaded store tries again: true when it has now loaded the settings and reminders.
    bool RetryLoad();
    void SaveConfig();
    std::unique_ptr<TRmRecordStruct> ReadRecord(const std::wstring& Section, const std::wstring& Key);
    void WriteRecord(const std::wstring& Section, TRmRecordStruct* Record);
    // The record's section: the one it lives in, or for a record not yet stored "R" + its creation
    // time as YYYYMMDDhhmmss.
    std::wstring SectionName(const TRmRecordStruct* Record) const;
    // Writes a record that is not in Records yet and appends it; the store owns it from then on.
    // A new record whose section is taken has its creation time moved on by a second until it is
    // free. If the save fails, the file stays as it was, the record keeps its earlier section and
    // creation time, and the exception reaches the caller, which still owns the record.
    void AddRecord(TRmRecordStruct* Record);
    // Writes a record of Records back to its section; others are ignored.
    void UpdateRecord(TRmRecordStruct* Record);
    void EraseRecordSection(const std::wstring& Section, const std::wstring& SectionName);
    // Erases and frees a record of Records; others are left alone (not freed).
    void DeleteRecord(TRmRecordStruct* Record);
    // Writes a copy of the data file without its settings and with today's date in "BACKUP".
    void Backup(const std::wstring& FileName);
    // Adds the reminders of another data or backup file whose sections this file lacks (nor lists,
    // nor uses for a record), all with one save. A refused save reaches the caller with nothing of
    // the restore added, in the file or in Records.
    void MergeFrom(const std::wstring& FileName);
    void ClearRecords();

    int IndexOfRecord(const TRmRecordStruct* Record) const;

    // A record read from any INI object (this file's text, another file, the profile functions).
    static std::unique_ptr<TRmRecordStruct> ReadRecordFrom(fw::TCustomIniFile& Ini, const fw::TFormatSettings& Settings,
                                                           const std::wstring& Section, const std::wstring& Key);

private:
    // One change of the text (F makes it), saved at its end; any failure raises WriteError.
    template <class F>
    void Change(F&& Make);
    fw::EIniFileException WriteError() const;
    // Settings and reminders from the text just read.
    void LoadFromText();
    // One operation: Begin brings the text up to date with the file (and, for a change, a file in
    // the ANSI code page or in UTF-8 without its mark becomes UTF-16LE, so that no character is lost
    // or misread from then on); Commit saves when the outermost operation ends and something
    // changed; Abandon forgets the changes of a failed operation (the text is read anew from the
    // file).
    void BeginOperation(bool Changing);
    void Commit();
    void Abandon();
    // Reads the file again when it is not the one the text came from.
    void Refresh();
    void Reload();
    void SaveText();
    // Copies a damaged original before it is replaced.
    void KeepDamagedCopy();
    // True when a section of that name holds keys or a record already uses it.
    bool SectionInUse(const std::wstring& Section);
    // WriteRecord for a record whose section does not exist yet.
    void WriteNewRecord(const std::wstring& Section, TRmRecordStruct* Record);
    void WriteRecordKeys(const std::wstring& Section, TRmRecordStruct* Record);
    // The keys and values of a record's section, in the order they are written.
    std::vector<std::pair<std::wstring, std::wstring>> RecordValues(const TRmRecordStruct* Record) const;
    // The record's value in the list section.
    static std::wstring ListValue(const TRmRecordStruct* Record);

    std::unique_ptr<TProfileText> FText;
    int FUpdateDepth = 0;
    // The text came from a damaged file whose copy is not made yet.
    bool FDamagedPending = false;
    bool FLoaded = false;
};

// The one store, owned by the hidden main window.
extern TRemindFile* RemindFile;
