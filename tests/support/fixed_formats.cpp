#include "fixed_formats.h"

namespace testsupport {

fw::TFormatSettings EnUsFormats() {
    fw::TFormatSettings fs;
    fs.ShortDateFormat = L"M/d/yyyy";
    fs.LongDateFormat = L"dddd, MMMM d, yyyy";
    fs.ShortTimeFormat = L"h:mm tt";
    fs.LongTimeFormat = L"h:mm:ss tt";
    fs.DateSeparator = L'/';
    fs.TimeSeparator = L':';
    fs.DecimalSeparator = L'.';
    fs.TimeAMString = L"AM";
    fs.TimePMString = L"PM";
    const wchar_t* shortDays[7] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
    const wchar_t* longDays[7] = {L"Sunday", L"Monday", L"Tuesday", L"Wednesday", L"Thursday", L"Friday", L"Saturday"};
    const wchar_t* shortMonths[12] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                      L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    const wchar_t* longMonths[12] = {L"January", L"February", L"March",     L"April",   L"May",      L"June",
                                     L"July",    L"August",   L"September", L"October", L"November", L"December"};
    for (int i = 0; i < 7; ++i) {
        fs.ShortDayNames[i] = shortDays[i];
        fs.LongDayNames[i] = longDays[i];
    }
    for (int i = 0; i < 12; ++i) {
        fs.ShortMonthNames[i] = shortMonths[i];
        fs.LongMonthNames[i] = longMonths[i];
    }
    return fs;
}

fw::TFormatSettings GermanFormats() {
    fw::TFormatSettings fs;
    fs.ShortDateFormat = L"dd.MM.yyyy";
    fs.LongDateFormat = L"dddd, d. MMMM yyyy";
    fs.ShortTimeFormat = L"HH:mm";
    fs.LongTimeFormat = L"HH:mm:ss";
    fs.DateSeparator = L'.';
    fs.TimeSeparator = L':';
    fs.DecimalSeparator = L',';
    fs.TimeAMString = L"";
    fs.TimePMString = L"";
    const wchar_t* shortDays[7] = {L"So", L"Mo", L"Di", L"Mi", L"Do", L"Fr", L"Sa"};
    const wchar_t* longDays[7] = {L"Sonntag",  L"Montag",  L"Dienstag", L"Mittwoch",
                                  L"Donnerstag", L"Freitag", L"Samstag"};
    const wchar_t* shortMonths[12] = {L"Jan", L"Feb", L"M\u00E4r", L"Apr", L"Mai", L"Jun",
                                      L"Jul", L"Aug", L"Sep",      L"Okt", L"Nov", L"Dez"};
    const wchar_t* longMonths[12] = {L"Januar", L"Februar", L"M\u00E4rz",  L"April",   L"Mai",      L"Juni",
                                     L"Juli",   L"August",  L"September", L"Oktober", L"November", L"Dezember"};
    for (int i = 0; i < 7; ++i) {
        fs.ShortDayNames[i] = shortDays[i];
        fs.LongDayNames[i] = longDays[i];
    }
    for (int i = 0; i < 12; ++i) {
        fs.ShortMonthNames[i] = shortMonths[i];
        fs.LongMonthNames[i] = longMonths[i];
    }
    return fs;
}

}  // namespace testsupport
