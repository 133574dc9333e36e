// Data file figures: loading and saving files of 100, 1,000 and 10,000 reminders, and one record
// update, one addition and a restore of the whole file into an empty one. Each measurement runs in a fresh process of its own, so that its
// peak memory is its own.
#include "fixed_formats.h"
#include "fw_datetime.h"
#include "fw_strings.h"
#include "test_support.h"
#include "uRemindFile.h"

#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

double Seconds() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(freq.QuadPart);
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS m{};
    m.cb = sizeof m;
    GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m);
    return m;
}

// A data file as the program writes it, with `count` reminders of all rules.
void MakeFile(const std::wstring& path, int count) {
    const fw::TFormatSettings fs = testsupport::EnUsFormats();
    std::wstring list = L"[UNFINISHED]\r\n", body;
    const fw::TDateTime start = fw::EncodeDateTime(2020, 1, 1, 8, 0, 0, 0);
    for (int i = 0; i < count; ++i) {
        const fw::TDateTime created = fw::IncSecond(start, static_cast<int64_t>(i) * 3607);
        const std::wstring s = L"R" + fw::FormatDateTime(L"yyyymmddhhnnss", created, fs);
        list += s + L"=Reminder number " + std::to_wstring(i) + L" with a text of ordinary length\r\n";
        std::array<uint8_t, 31> data{};
        data[i % 31] = 1;
        body += L"[" + s + L"]\r\nPERIOD=" + std::to_wstring(i % 5) + L"\r\nCREATEDATETIME=" +
                fw::DateTimeToStr(created, fs) + L"\r\nLASTTIME=" + fw::DateTimeToStr(created, fs) +
                L"\r\nWAKETIME=" + fw::TimeToStr(fw::TimeOf(created), fs) + L"\r\nVOICE=default.mp3\r\nENDTIME=" +
                (i % 7 == 0 ? fw::DateTimeToStr(created + 1, fs) : L"") + L"\r\nREPEAT_DATA=" +
                fw::BinToHex(data.data(), data.size()) + L"\r\n";
    }
    const std::wstring text = L"[CONFIG]\r\nAUTEUPDATE=1\r\nCHECKNEWS=1\r\nNEWSID=3\r\nLanguage=English\r\n"
                              L"SetupVer=1.14.52\r\n" + list + body;
    const auto bytes = fw::EncodeText(text, fw::TEncoding::UTF16LE, true);
    fw::WriteBytesToFile(path, bytes.data(), bytes.size());
}

// One measurement in this process; prints the seconds, the peak working set and the records.
int Child(const std::wstring& what, const std::wstring& path) {
    const fw::TFormatSettings fs = testsupport::EnUsFormats();
    double t0 = 0, t1 = 0;
    size_t records = 0;
    if (what == L"load") {
        t0 = Seconds();
        TRemindFile f(path, fs);
        t1 = Seconds();
        records = f.Records.size();
    } else if (what == L"save") {
        TRemindFile f(path, fs);
        records = f.Records.size();
        Config.NewsId += 1;
        t0 = Seconds();
        f.SaveConfig();
        t1 = Seconds();
    } else if (what == L"update") {
        TRemindFile f(path, fs);
        records = f.Records.size();
        TRmRecordStruct* r = f.Records[f.Records.size() / 2];
        r->LastTime = fw::IncMinute(r->LastTime);
        t0 = Seconds();
        f.UpdateRecord(r);
        t1 = Seconds();
    } else if (what == L"add") {
        TRemindFile f(path, fs);
        auto* r = new TRmRecordStruct(*f.Records.front());
        r->Section.clear();  // a new reminder in the same second as the first one
        t0 = Seconds();
        f.AddRecord(r);
        t1 = Seconds();
        records = f.Records.size();
    } else if (what == L"merge") {
        // Restoring the file as a backup into an empty data file.
        const std::wstring target = path + L".restored";
        DeleteFileW(target.c_str());
        TRemindFile f(target, fs);
        t0 = Seconds();
        f.MergeFrom(path);
        t1 = Seconds();
        records = f.Records.size();
    }
    const PROCESS_MEMORY_COUNTERS m = Memory();
    std::printf("%8.4f s  %6.1f MiB  %u records\n", t1 - t0, static_cast<double>(m.PeakWorkingSetSize) / 1048576.0,
                static_cast<unsigned>(records));
    return 0;
}

std::string RunChild(const std::wstring& what, const std::wstring& path) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE rd = nullptr, wr = nullptr;
    CreatePipe(&rd, &wr, &sa, 0);
    SetHandleInformation(rd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = wr;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + fw::GetModuleName() + L"\" " + what + L" \"" + path + L"\"";
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(rd);
        CloseHandle(wr);
        return "failed to start";
    }
    CloseHandle(wr);
    std::string out;
    char buf[256];
    DWORD got = 0;
    while (ReadFile(rd, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(rd);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc == 3) return Child(argv[1], argv[2]);

    testsupport::TempDir dir;
    std::printf("data file: time of the operation, peak working set of the process\n");
    for (int count : {100, 1000, 10000}) {
        const std::wstring path = dir.File(L"data" + std::to_wstring(count) + L".dat");
        MakeFile(path, count);
        const auto size = testsupport::ReadFileBytes(path).size();
        std::printf("%6d reminders (%lu KiB file)\n", count, static_cast<unsigned long>(size / 1024));
        std::printf("  load         %s\n", RunChild(L"load", path).c_str());
        std::printf("  save config  %s\n", RunChild(L"save", path).c_str());
        if (count >= 1000) std::printf("  update one   %s\n", RunChild(L"update", path).c_str());
        if (count >= 1000) std::printf("  add one      %s\n", RunChild(L"add", path).c_str());
        std::printf("  restore all  %s\n", RunChild(L"merge", path).c_str());
        std::fflush(stdout);
    }
    // A process that only starts and stops, for the memory every figure above includes.
    std::printf("baseline       %s\n", RunChild(L"none", L"-").c_str());
    return 0;
}
