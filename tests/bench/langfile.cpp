// Loading a language file of 100,000 and 300,000 sections into the in-memory INI object, and
// looking up every section's key afterwards.
#include <cstdio>
#include <string>

#include "fw_inifiles.h"
#include "process_support.h"
#include "test_support.h"

int main() {
    using testsupport::Seconds;
    testsupport::TempDir dir;
    for (int sections : {1000, 100000, 300000}) {
        std::wstring text = L"[Translation]\r\nDefaultFont=Tahoma\r\n";
        for (int i = 0; i < sections; ++i)
            text += L"[Section" + std::to_wstring(i) + L"]\r\nKey" + std::to_wstring(i % 7) + L"=Text " +
                    std::to_wstring(i) + L"\r\n";
        const std::wstring path = dir.File(L"lang" + std::to_wstring(sections) + L".ini");
        testsupport::WriteUtf16File(path, text);
        const double t0 = Seconds();
        fw::TMemIniFile ini(path);
        const double t1 = Seconds();
        int found = 0;
        for (int i = 0; i < sections; ++i)
            found += !ini.ReadString(L"section" + std::to_wstring(i), L"key" + std::to_wstring(i % 7), L"").empty();
        std::printf("%7d sections (%lu KiB): load %.3f s, %d lookups %.3f s\n", sections,
                    static_cast<unsigned long>(text.size() * 2 / 1024), t1 - t0, found, Seconds() - t1);
    }
    return 0;
}
