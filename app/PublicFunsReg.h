// Registry helpers of the shared routine unit: values under a key, read whatever their type.
#pragma once
#include <windows.h>

#include <string>

// True when this 32-bit process runs on 64-bit Windows. Set once when the program starts; the
// registry helpers then reach the 64-bit view, shared with 64-bit programs.
extern bool Wow64;
bool IsWow64();

// KEY_READ or KEY_ALL_ACCESS, with KEY_WOW64_64KEY added on Wow64.
REGSAM RegAccessMask(bool ReadOnly);

// Writes a string value, creating the key when it is missing. True when the value was written.
bool RegWriteString(HKEY Root, const std::wstring& Key, const std::wstring& Name, const std::wstring& Value);
// Deletes a value; false when the key does not open or the value could not be deleted.
bool RegRemoveValue(HKEY Root, const std::wstring& Key, const std::wstring& Name);
// Whether a value exists. A key or value that cannot be read for lack of rights counts as
// existing (the caller cannot tell); a missing key holds no value.
bool RegValueExists(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Use64View);
// A value as text: strings as they are, binary data as UTF-16 text up to its first NUL, an integer
// as '', anything else (multi-strings) through RegReadMultiText. Value is '' when the value is
// missing. Returns whether the key opened.
bool RegReadString(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Use64View,
                   std::wstring& Value);
// A value's bytes taken as UTF-16 text, cut at the first NUL (a lone last byte is dropped).
// Returns whether the key opened.
bool RegReadBinaryText(HKEY Root, const std::wstring& Key, const std::wstring& Name, std::wstring& Value,
                       bool Use64View);
// A multi-string value: each of its strings followed by CR LF; '' when its data is 1024 bytes or
// more. Opens the key in the same view as the other reads. Returns whether the key opened.
bool RegReadMultiText(HKEY Root, const std::wstring& Key, const std::wstring& Name, std::wstring& Value,
                      bool Use64View);
