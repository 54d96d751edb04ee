#pragma once
// The printable channel list: an A4 PDF of a radio's parameters for a person to read: the
// model, serial number and date, every working channel with its frequencies, tones and scan
// flag, and the settings by their captions. Needs a QGuiApplication (offscreen will do).

#include <string>

#include "U_radioware.h"

namespace interchange {

// False when the file cannot be written.
bool PrintCanalList(IRadio& radio, const std::string& file);

}  // namespace interchange
