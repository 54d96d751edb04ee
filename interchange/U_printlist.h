#pragma once
// The printable channel list: an A4 PDF of a radio's parameters for a person to read: the
// model, serial number and date, every working channel with its frequencies, tones and scan
// flag, and the settings by their captions. Needs a QGuiApplication (offscreen will do).

#include <string>

#include "U_radioware.h"

namespace interchange {

// "" when the list is in the file; otherwise why not, for a person (the file is then as it was).
std::string PrintCanalList(IRadio& radio, const std::string& file);

}  // namespace interchange
