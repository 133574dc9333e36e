// The reminder record, the settings record and the data file that holds both.
#pragma once
#include "fw_datetime.h"
#include "fw_inifiles.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

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

// The data file: settings in "CONFIG", the list of reminders in "UNFINISHED" and one section a
// reminder. It owns every record in Records.
class TRemindFile : public fw::TIniFile {
public:
    // Opens the file and loads it. Dates and times are written and parsed with the given settings
    // (the user's by default).
    explicit TRemindFile(const std::wstring& FileName);
    TRemindFile(const std::wstring& FileName, const fw::TFormatSettings& Settings);
    // Saves the settings (a failure is swallowed: nothing may be thrown out of a destructor) and
    // frees the records.
    ~TRemindFile() override;

    // The reminders in file order. The store owns them.
    std::vector<TRmRecordStruct*> Records;

    // Settings into Config, then every reminder listed in "UNFINISHED" (keys naming the file's own
    // sections left out). A file that cannot be read reads as empty, as for the profile functions.
    void LoadAll();
    void SaveConfig();
    std::unique_ptr<TRmRecordStruct> ReadRecord(const std::wstring& Section, const std::wstring& Key);
    void WriteRecord(const std::wstring& Section, TRmRecordStruct* Record);
    // The record's section: the one it lives in, or for a record not yet stored "R" + its creation
    // time as YYYYMMDDhhmmss.
    std::wstring SectionName(const TRmRecordStruct* Record) const;
    // Writes a record that is not in Records yet and appends it; the store owns it from then on.
    // A new record whose section is taken has its creation time moved on by a second until it is
    // free. If the write fails, what it wrote is taken out of the file again, the record keeps its
    // earlier section and creation time, and the exception reaches the caller, which still owns
    // the record.
    void AddRecord(TRmRecordStruct* Record);
    // Writes a record of Records back to its section; others are ignored.
    void UpdateRecord(TRmRecordStruct* Record);
    void EraseRecordSection(const std::wstring& Section, const std::wstring& SectionName);
    // Erases and frees a record of Records; others are left alone (not freed).
    void DeleteRecord(TRmRecordStruct* Record);
    // Writes a copy of the data file without its settings and with today's date in "BACKUP".
    void Backup(const std::wstring& FileName);
    // Adds the reminders of another data or backup file whose sections this file lacks (nor lists,
    // nor uses for a record). A refused write reaches the caller with nothing of that reminder
    // left in the file; the ones added before it stay.
    void MergeFrom(const std::wstring& FileName);
    void ClearRecords();

    int IndexOfRecord(const TRmRecordStruct* Record) const;

private:
    // Before the first change of each operation: a file in the ANSI code page is rewritten as
    // UTF-16LE (a missing one is created so), so that no character is lost from then on.
    void PrepareUnicodeFile();
    // True when a section of that name holds keys or a record already uses it.
    bool SectionInUse(const std::wstring& Section);
    // Erases what a failed write left of a record in a section that was free before it.
    void UndoNewSection(const std::wstring& Section);
    // WriteRecord for a record whose section does not exist yet.
    void WriteNewRecord(const std::wstring& Section, TRmRecordStruct* Record);
    // The keys and values of a record's section, in the order they are written.
    std::vector<std::pair<std::wstring, std::wstring>> RecordValues(const TRmRecordStruct* Record) const;
    // The record's value in the list section.
    static std::wstring ListValue(const TRmRecordStruct* Record);
};

// The one store, owned by the hidden main window.
extern TRemindFile* RemindFile;
