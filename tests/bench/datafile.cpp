// Data file figures: loading and saving files of 100, 1,000 and 10,000 reminders, and one record
// update, one addition and a restore of the whole file into an empty one; then a file of 10,000
// reminders with long texts (some hundred MB), whose save must fit in the memory of a 32-bit
// process. Each measurement runs in a fresh process of its own, so that its peak memory is its own.
#include "fixed_formats.h"
#include "fw_datetime.h"
#include "fw_strings.h"
#include "process_support.h"
#include "test_support.h"
#include "uRemindFile.h"

#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

using testsupport::Seconds;

// A data file as the program writes it, with `count` reminders of all rules, each text padded to
// at least `textLength` characters.
void MakeFile(const std::wstring& path, int count, size_t textLength = 0) {
    const fw::TFormatSettings fs = testsupport::EnUsFormats();
    std::wstring list = L"[UNFINISHED]\r\n", body;
    for (int i = 0; i < count; ++i) {
        const fw::TDateTime created = fw::IncSecond(fw::EncodeDateTime(2020, 1, 1, 8, 0, 0, 0), int64_t{i} * 3607);
        const std::wstring s = L"R" + fw::FormatDateTime(L"yyyymmddhhnnss", created, fs);
        std::wstring text = L"Reminder number " + std::to_wstring(i) + L" with a text of ordinary length";
        if (text.size() < textLength) text.append(textLength - text.size(), static_cast<wchar_t>(L'a' + i % 26));
        list += s + L"=" + text + L"\r\n";
        std::array<uint8_t, 31> data{};
        data[i % 31] = 1;
        body += L"[" + s + L"]\r\nPERIOD=" + std::to_wstring(i % 5) + L"\r\nCREATEDATETIME=" +
                fw::DateTimeToStr(created, fs) + L"\r\nLASTTIME=" + fw::DateTimeToStr(created, fs) +
                L"\r\nWAKETIME=" + fw::TimeToStr(fw::TimeOf(created), fs) + L"\r\nVOICE=default.mp3\r\nENDTIME=" +
                (i % 7 == 0 ? fw::DateTimeToStr(created + 1, fs) : L"") + L"\r\nREPEAT_DATA=" +
                fw::BinToHex(data.data(), data.size()) + L"\r\n";
    }
    testsupport::WriteUtf16File(path, L"[CONFIG]\r\nAUTEUPDATE=1\r\nCHECKNEWS=1\r\nNEWSID=3\r\nLanguage=English\r\n"
                                      L"SetupVer=1.14.52\r\n" + list + body);
}

// One measurement in this process; prints the seconds, the peak working set and the records.
int Child(const std::wstring& what, const std::wstring& path) {
    const fw::TFormatSettings fs = testsupport::EnUsFormats();
    // Restoring the file as a backup goes into an empty data file.
    const std::wstring target = what == L"merge" ? path + L".restored" : path;
    if (what == L"merge") DeleteFileW(target.c_str());
    double t0 = Seconds();
    std::unique_ptr<TRemindFile> store;
    std::string failure;
    try {
        if (what != L"none") store = std::make_unique<TRemindFile>(target, fs);  // none: the bare process
        if (what != L"load") t0 = Seconds();
        TRemindFile& f = *store;
        if (what == L"save") {
            Config.NewsId += 1;
            f.SaveConfig();
        } else if (what == L"update") {
            TRmRecordStruct* r = f.Records[f.Records.size() / 2];
            r->LastTime = fw::IncMinute(r->LastTime);
            t0 = Seconds();
            f.UpdateRecord(r);
        } else if (what == L"add") {
            auto* r = new TRmRecordStruct(*f.Records.front());
            r->Section.clear();  // a new reminder in the same second as the first one
            t0 = Seconds();
            f.AddRecord(r);
        } else if (what == L"merge") {
            f.MergeFrom(path);
        }
    } catch (const fw::Exception& e) {
        failure = "  FAILED: " + fw::WideToUtf8(e.Message);
    } catch (const std::exception& e) {
        failure = std::string("  FAILED: ") + e.what();
    }
    const double t1 = Seconds();
    PROCESS_MEMORY_COUNTERS m{};
    GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m);
    std::printf("%8.4f s  %6.1f MiB  %u records%s\n", t1 - t0, static_cast<double>(m.PeakWorkingSetSize) / 1048576.0,
                static_cast<unsigned>(store ? store->Records.size() : 0), failure.c_str());
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc == 3) return Child(argv[1], argv[2]);

    testsupport::TempDir dir;
    auto run = [](const wchar_t* what, const std::wstring& path) {
        return testsupport::RunForOutput(fw::GetModuleName(), L" " + std::wstring(what) + L" \"" + path + L"\"");
    };
    std::printf("data file: time of the operation, peak working set of the process\n");
    for (int count : {100, 1000, 10000}) {
        const std::wstring path = dir.File(L"data" + std::to_wstring(count) + L".dat");
        MakeFile(path, count);
        std::printf("%6d reminders (%lu KiB file)\n", count,
                    static_cast<unsigned long>(testsupport::ReadFileBytes(path).size() / 1024));
        std::printf("  load         %s\n", run(L"load", path).c_str());
        std::printf("  save config  %s\n", run(L"save", path).c_str());
        if (count >= 1000) std::printf("  update one   %s\n", run(L"update", path).c_str());
        if (count >= 1000) std::printf("  add one      %s\n", run(L"add", path).c_str());
        std::printf("  restore all  %s\n", run(L"merge", path).c_str());
        std::fflush(stdout);
    }
    // Long texts: the file is about 10,000 x 8,000 characters of UTF-16.
    {
        const std::wstring path = dir.File(L"long.dat");
        MakeFile(path, 10000, 8000);
        WIN32_FILE_ATTRIBUTE_DATA a{};
        GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a);
        std::printf("%6d reminders of 8,000 characters (%lu MiB file)\n", 10000,
                    static_cast<unsigned long>(a.nFileSizeLow >> 20));
        std::printf("  load         %s\n", run(L"load", path).c_str());
        std::printf("  save config  %s\n", run(L"save", path).c_str());
        std::printf("  update one   %s\n", run(L"update", path).c_str());
        std::fflush(stdout);
    }
    // A process that only starts and stops, for the memory every figure above includes.
    std::printf("baseline       %s\n", run(L"none", L"-").c_str());
    return 0;
}
