// Loading a language file of 100,000 and 300,000 sections into the in-memory INI object, and
// looking up every section's key afterwards.
#include <windows.h>

#include <cstdio>
#include <string>

#include "fw_inifiles.h"
#include "fw_strings.h"
#include "test_support.h"

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

void Run(const testsupport::TempDir& dir, int sections) {
    std::wstring text = L"[Translation]\r\nDefaultFont=Tahoma\r\n";
    for (int i = 0; i < sections; ++i)
        text += L"[Section" + std::to_wstring(i) + L"]\r\nKey" + std::to_wstring(i % 7) + L"=Text " +
                std::to_wstring(i) + L"\r\n";
    const std::wstring path = dir.File(L"lang" + std::to_wstring(sections) + L".ini");
    const auto bytes = fw::EncodeText(text, fw::TEncoding::UTF16LE, true);
    fw::WriteBytesToFile(path, bytes.data(), bytes.size());

    const double t0 = Seconds();
    fw::TMemIniFile ini(path);
    const double t1 = Seconds();
    int found = 0;
    for (int i = 0; i < sections; ++i)
        found += ini.ReadString(L"section" + std::to_wstring(i), L"key" + std::to_wstring(i % 7), L"").empty() ? 0 : 1;
    const double t2 = Seconds();
    std::printf("%7d sections (%lu KiB): load %.3f s, %d lookups %.3f s\n", sections,
                static_cast<unsigned long>(bytes.size() / 1024), t1 - t0, found, t2 - t1);
}

}  // namespace

int main() {
    testsupport::TempDir dir;
    for (int n : {1000, 100000, 300000}) Run(dir, n);
    return 0;
}
