// Fixed date-time format settings for tests, so that results never depend on the machine's locale.
#pragma once
#include "fw_datetime.h"

namespace testsupport {

// United States English as Wine reports it: "M/d/yyyy", "h:mm:ss tt", "/", ":", "AM", "PM",
// English day names (Sunday first) and month names.
fw::TFormatSettings EnUsFormats();
// German: "dd.MM.yyyy", "HH:mm:ss", ".", ":", no AM/PM strings, German names.
fw::TFormatSettings GermanFormats();

}  // namespace testsupport
