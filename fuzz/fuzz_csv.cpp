// A channel list from another program: the comma-separated text read into rows, then planned
// and put into one model's set (the first byte chooses it). Rows written again read back the
// same; a set that took rows exports a list that reads back clean and changes nothing.

#include <sstream>

#include "U_canalcsv.h"
#include "U_csv.h"
#include "fuzz_models.h"

namespace {

void CheckRowsRoundTrip(std::string_view csv) {
    std::vector<interchange::SCsvRow> rows = interchange::ParseCsv(csv);
    // A row of one empty field is written as a blank line, which is no row.
    std::erase_if(rows,
                  [](const auto& row) { return row.fields.size() == 1 && row.fields[0].empty(); });
    std::string written;
    for (const auto& row : rows) written += interchange::CsvLine(row.fields);
    const auto again = interchange::ParseCsv(written);
    if (again.size() != rows.size()) __builtin_trap();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (again[i].fields != rows[i].fields) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1) return 0;
    const std::string_view csv(reinterpret_cast<const char*>(bytes + 1), size - 1);
    CheckRowsRoundTrip(csv);

    CRadioData& data = fuzzing::AttachedData(*fuzzing::Wares()[bytes[0] % 4]);
    const interchange::SCanalImport plan = interchange::PlanCanalImport(data, csv);
    (void)interchange::ImportReport(plan, 5);
    // A plan that takes no row leaves the defaults, whose export and text every such input
    // would check again.
    if (plan.canals.empty()) return 0;
    interchange::ApplyCanalImport(data, plan);

    const std::string exported = interchange::ExportCanals(data);
    const std::string before = fuzzing::TextOf(data);
    const interchange::SCanalImport again = interchange::PlanCanalImport(data, exported);
    if (!again.Clean()) __builtin_trap();
    interchange::ApplyCanalImport(data, again);
    const std::string after = fuzzing::TextOf(data);
    if (after != before) __builtin_trap();
    fuzzing::CheckTextReadsBack(data, after, false);
    data.Reset();
    return 0;
}
