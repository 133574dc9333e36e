// Small file helpers shared by the online tests: a whole file as text, and how many files match a
// pattern.
#pragma once
#include <windows.h>

#include <string>

#include "test_support.h"

namespace testsupport {

inline std::string ReadText(const std::wstring& Path) {
    const auto bytes = ReadFileBytes(Path);
    return std::string(bytes.begin(), bytes.end());
}

// Files (not folders) matching a pattern such as "C:\\dir\\*.ini".
inline int CountFiles(const std::wstring& Pattern) {
    int n = 0;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(Pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do n += !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (FindNextFileW(h, &data));
    FindClose(h);
    return n;
}

}  // namespace testsupport
