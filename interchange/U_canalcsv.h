#pragma once
// Channel lists in the comma-separated layout most radio programming tools read and write
// (Location, Name, Frequency, Duplex, Offset, Tone, rToneFreq, cToneFreq, DtcsCode, ...):
// frequencies in MHz, the transmit frequency as a duplex sign and offset, tones by squelch
// mode. Only what a channel of our radios carries is mapped; names have no place in them.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "U_radioware.h"

namespace interchange {

// The working channels of a set, one row each, under the layout's full header.
std::string ExportCanals(CRadioData& data);

// A row that was not taken, and why.
struct SCanalIssue {
    int line = 0;          // line of the file
    std::string location;  // the row's Location as written, empty when it has none
    std::string reason;
};

// What a channel list would change in a set: the rows that fit, checked against the model's
// channels, and the rows that do not.
struct SCanalImport {
    std::string fileError;  // the file cannot be read as a channel list at all
    std::vector<std::pair<int, SCanalCommon>> canals;
    std::vector<SCanalIssue> issues;
    bool namesDropped = false;  // some rows had names, which the radio does not keep
    bool Clean() const { return fileError.empty() && issues.empty(); }
};

// Reads a channel list against a set without changing it.
SCanalImport PlanCanalImport(CRadioData& data, std::string_view csv);
// Puts the rows that fit into their channels, through the channels' setters.
void ApplyCanalImport(CRadioData& data, const SCanalImport& plan);

// "Строка 12, канал 7: ..." for one issue.
std::string IssueText(const SCanalIssue& issue);
// The whole outcome for a person, at most limit issues listed; empty when all rows were taken.
std::string ImportReport(const SCanalImport& plan, std::size_t limit);

// "146.520000": hertz as megahertz with six decimals.
std::string MegahertzText(int hertz);

}  // namespace interchange
