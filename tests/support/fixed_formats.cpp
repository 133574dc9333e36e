#include "fixed_formats.h"

#include <algorithm>

namespace testsupport {

namespace {

template <size_t N>
void Names(std::wstring (&To)[N], std::initializer_list<const wchar_t*> From) {
    std::copy(From.begin(), From.end(), To);
}

}  // namespace

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
    Names(fs.ShortDayNames, {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"});
    Names(fs.LongDayNames, {L"Sunday", L"Monday", L"Tuesday", L"Wednesday", L"Thursday", L"Friday", L"Saturday"});
    Names(fs.ShortMonthNames,
          {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun", L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"});
    Names(fs.LongMonthNames, {L"January", L"February", L"March", L"April", L"May", L"June", L"July", L"August",
                              L"September", L"October", L"November", L"December"});
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
    Names(fs.ShortDayNames, {L"So", L"Mo", L"Di", L"Mi", L"Do", L"Fr", L"Sa"});
    Names(fs.LongDayNames, {L"Sonntag", L"Montag", L"Dienstag", L"Mittwoch", L"Donnerstag", L"Freitag", L"Samstag"});
    Names(fs.ShortMonthNames,
          {L"Jan", L"Feb", L"M\u00E4r", L"Apr", L"Mai", L"Jun", L"Jul", L"Aug", L"Sep", L"Okt", L"Nov", L"Dez"});
    Names(fs.LongMonthNames, {L"Januar", L"Februar", L"M\u00E4rz", L"April", L"Mai", L"Juni", L"Juli", L"August",
                              L"September", L"Oktober", L"November", L"Dezember"});
    return fs;
}

}  // namespace testsupport
