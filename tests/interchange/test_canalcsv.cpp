// Channel lists in the comma-separated layout of other radio tools: the layout's own rows,
// round trips through every model, and rows that must be refused.

#include <gtest/gtest.h>

#include <sstream>

#include "U_canalcsv.h"
#include "U_csv.h"
#include "interchange_sets.h"

namespace {

using interchange::ApplyCanalImport;
using interchange::ExportCanals;
using interchange::PlanCanalImport;
using EKind = SCanalTone::EKind;

constexpr SCanalTone kNone{};
constexpr SCanalTone Ctcss(int tenths) {
    return {EKind::Ctcss, tenths};
}
constexpr SCanalTone Dcs(int code) {
    return {EKind::Dcs, code};
}

// The layout's header as its reference program writes it.
const std::string kHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
    "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\r\n";

std::string Body(CRadioData& data) {
    std::ostringstream out;
    data.WriteText(out);
    return out.str();
}

void Put(CRadioData& data, int index, const SCanalCommon& canal) {
    ASSERT_EQ(data.Canal(index)->Misfit(canal), ECanalMisfit::None) << "channel " << index;
    data.Canal(index)->PutCommon(canal);
}

// Channels of each model that use what the model has: steps, both tone systems, shifts both
// ways, the user-defined tone, channels out of the scan list, the band edges.
struct SRoundTrip {
    std::size_t model;  // in AllModels()
    std::vector<std::pair<int, SCanalCommon>> canals;
};

const SRoundTrip kRoundTrips[] = {
    {0,
     {{0, {true, 12500, 145012500, 145012500, Ctcss(885), Ctcss(885), true}},
      {1, {true, 12500, 146000000, 148500000, kNone, Ctcss(1000), true}},
      {7, {true, 12500, 165500000, 165000000, Ctcss(1035), Ctcss(885), false}},
      {42, {true, 12500, 173987500, 173987500, Ctcss(1010), Ctcss(1010), true}},
      {99, {true, 12500, 145000000, 145000000, kNone, kNone, true}}}},
    {1,
     {{0, {true, 12500, 39012500, 39012500, Ctcss(625), Ctcss(625), true}},
      {3, {true, 25000, 40000000, 41000000, Dcs(23), Dcs(23), true}},
      {50, {true, 12500, 48975000, 48975000, Dcs(754), Ctcss(2541), true}},
      {99, {true, 25000, 49000000, 49000000, kNone, kNone, false}}}},
    {2,
     {{0, {true, 12500, 136012500, 136012500, Dcs(32), Ctcss(885), true}},
      {10, {true, 25000, 150000000, 155000000, Ctcss(1000), Ctcss(1000), true}},
      {99, {true, 25000, 174000000, 174000000, kNone, Dcs(23), false}}}},
    {3,
     {{0, {true, 25000, 39000000, 39000000, Ctcss(670), Ctcss(670), true}},
      {5, {true, 12500, 40012500, 41012500, kNone, kNone, true}},
      {94, {true, 25000, 48000000, 48000000, Ctcss(2541), Ctcss(2541), false}}}},
};

TEST(CanalCsv, FileToListToFileKeepsEveryChannelOfEveryModel) {
    const std::vector<SModelCase> models = AllModels();
    for (const SRoundTrip& trip : kRoundTrips) {
        SCOPED_TRACE(models[trip.model].name);
        const auto original = models[trip.model].make();
        for (const auto& [index, canal] : trip.canals) Put(original->Data(), index, canal);
        // The parameter file the user starts from.
        const auto fromFile = models[trip.model].make();
        std::istringstream file(Body(original->Data()));
        ASSERT_TRUE(fromFile->Data().ReadText(file));

        const std::string csv = ExportCanals(fromFile->Data());
        const auto imported = models[trip.model].make();
        const interchange::SCanalImport plan = PlanCanalImport(imported->Data(), csv);
        EXPECT_TRUE(plan.Clean()) << interchange::ImportReport(plan, 5);
        ApplyCanalImport(imported->Data(), plan);

        for (const auto& [index, canal] : trip.canals)
            EXPECT_EQ(imported->Data().Canal(index)->Common(), canal) << "channel " << index;
        std::istringstream saved(Body(imported->Data()));
        ASSERT_TRUE(imported->Data().ReadText(saved));
        EXPECT_EQ(Body(imported->Data()), Body(fromFile->Data()));
    }
}

TEST(CanalCsv, WritesTheLayoutsRows) {
    const auto cedar = AllModels()[2].make();
    for (const auto& [index, canal] : kRoundTrips[2].canals) Put(cedar->Data(), index, canal);
    EXPECT_EQ(ExportCanals(cedar->Data()),
              kHeader +
                  "0,,136.012500,,0.000000,Cross,88.5,88.5,023,NN,032,Tone->DTCS,FM,12.50,,50W,,,,,"
                  "\r\n"
                  "10,,150.000000,+,5.000000,TSQL,100.0,100.0,023,NN,023,Tone->Tone,FM,25.00,,50W,"
                  ",,,,\r\n"
                  "99,,174.000000,,0.000000,Cross,88.5,88.5,023,NN,023,DTCS->,FM,25.00,S,50W,,,,,"
                  "\r\n");
    const auto alder = AllModels()[0].make();
    Put(alder->Data(), 3, {true, 12500, 146000000, 145400000, kNone, Ctcss(1000), true});
    EXPECT_EQ(
        ExportCanals(alder->Data()),
        kHeader +
            "3,,146.000000,-,0.600000,Tone,100.0,88.5,023,NN,023,Tone->Tone,FM,12.50,,50W,,,,,"
            "\r\n");
}

// Lists as other programs write them: the current layout, the older one without RxDtcsCode,
// CrossMode and Power, columns in another order, comment lines, quoted names.
TEST(CanalCsv, ReadsListsWrittenByOtherPrograms) {
    struct SCase {
        const char* what;
        std::string csv;
        SCanalCommon expected;  // channel 4 of a Cedar
    };
    const SCase cases[] = {
        {"current layout",
         kHeader + "4,\"Rep, \"\"North\"\"\",146.950000,-,0.600000,TSQL,88.5,103.5,023,NN,023,"
                   "Tone->Tone,FM,5.00,,50W,comment,,,,\r\n",
         {true, 12500, 146950000, 146350000, Ctcss(1035), Ctcss(1035), true}},
        {"older layout",
         "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
         "Mode,TStep,Skip,Comment,URCALL,RPT1CALL,RPT2CALL\n"
         "4,Simplex,146.525000,,0.600000,DTCS,88.5,88.5,754,NN,FM,25.00,S,,,,\n",
         {true, 25000, 146525000, 146525000, Dcs(754), Dcs(754), false}},
        {"columns reordered, comment line",
         "# written by hand\nFrequency,Location,Tone,CrossMode,rToneFreq,cToneFreq,RxDtcsCode,"
         "Duplex,Offset\n150.025,4,Cross,Tone->DTCS,71.9,88.5,047,split,151.000000\n",
         {true, 25000, 150025000, 151000000, Dcs(47), Ctcss(719), true}},
        {"only one CTCSS column",
         "Location,Frequency,Tone,cToneFreq\r\n4,160.000000,Tone,131.8\r\n",
         {true, 25000, 160000000, 160000000, kNone, Ctcss(1318), true}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto cedar = AllModels()[2].make();
        const interchange::SCanalImport plan = PlanCanalImport(cedar->Data(), c.csv);
        ASSERT_TRUE(plan.Clean()) << interchange::ImportReport(plan, 5);
        ApplyCanalImport(cedar->Data(), plan);
        EXPECT_EQ(cedar->Data().Canal(4)->Common(), c.expected);
    }
}

// One row each, refused with its reason; the set is left as it was.
TEST(CanalCsv, RefusesRowsThatDoNotFitWithTheirReason) {
    struct SCase {
        std::size_t model;
        std::string row;  // under the full header
        const char* reason;
    };
    const std::string tail = ",88.5,88.5,023,NN,023,Tone->Tone,FM,12.50,,50W,,,,,\r\n";
    const SCase cases[] = {
        {2, "1,,150.000000,x,0.600000," + tail, "неизвестный Duplex «x»"},
        {2, "1,,150.000000,off,0.000000," + tail, "Duplex off"},
        {0, "1,,150.000000,,0.000000," + tail, "частота приема 150.000000 МГц вне диапазона"},
        {0, "1,,146.000000,+,30.000000," + tail, "частота передачи 176.000000 МГц вне диапазона"},
        {2, "1,,150.006000,,0.000000," + tail, "частота приема 150.006000 МГц не на сетке"},
        {2, "1,,150.000000,+,0.006000," + tail, "частота передачи 150.006000 МГц не на сетке"},
        {2, "1,,15O.000000,,0.000000," + tail, "неверная частота «15O.000000»"},
        {2, "1,,2000.000000,+,2000.000000," + tail, "неверный сдвиг «2000.000000»"},
        {2, "1,,150.000000,-,150.000000," + tail, "неверный сдвиг «150.000000»"},
        {0, "1,,146.000000,,0.000000,DTCS,88.5,88.5,023,NN,023,Tone->Tone,FM,12.50,,50W,,,,,\r\n",
         "тон приема DCS 023 в радиостанции не предусмотрен"},
        {2, "1,,150.000000,,0.000000,TSQL,88.6,88.6,023,NN,023,Tone->Tone,FM,12.50,,50W,,,,,\r\n",
         "тон приема CTCSS 88.6 Гц"},
        {2, "1,,150.000000,,0.000000,DTCS,88.5,88.5,023,RN,023,Tone->Tone,FM,12.50,,50W,,,,,\r\n",
         "инверсный код DCS"},
        {2, "1,,150.000000,,0.000000,DTCS,88.5,88.5,029,NN,023,Tone->Tone,FM,12.50,,50W,,,,,\r\n",
         "неверный код DCS DtcsCode «029»"},
        {2, "1,,150.000000,,0.000000,TSQL-R" + tail, "TSQL-R"},
        {3, "1,,40.000000,,0.000000,Tone" + tail, "разные тоны приема"},
        {2, "1,,150.000000,,0.000000,Cross,88.5,88.5,023,NN,023,Tone=>DTCS,FM,12.50,,50W,,,,,\r\n",
         "неизвестный режим CrossMode"},
        {2, "1,,150.000000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,AM,12.50,,50W,,,,,\r\n",
         "вид модуляции «AM»"},
        {2, "100,,150.000000,,0.000000," + tail, "такого канала в радиостанции нет"},
        {2, "x1,,150.000000,,0.000000," + tail, "неверный номер канала «x1»"},
        {2, "1,,150.000000,,0.000000\r\n", "полей 5, а в заголовке 21"},
    };
    const std::vector<SModelCase> models = AllModels();
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.row);
        const auto set = models[c.model].make();
        const std::string before = Body(set->Data());
        const interchange::SCanalImport plan = PlanCanalImport(set->Data(), kHeader + c.row);
        ASSERT_EQ(plan.issues.size(), 1u);
        EXPECT_EQ(plan.issues[0].line, 2);
        EXPECT_NE(plan.issues[0].reason.find(c.reason), std::string::npos) << plan.issues[0].reason;
        EXPECT_TRUE(plan.canals.empty());
        ApplyCanalImport(set->Data(), plan);
        EXPECT_EQ(Body(set->Data()), before);
    }
}

TEST(CanalCsv, AFileWithoutItsKeyColumnsIsNoChannelList) {
    const auto set = AllModels()[2].make();
    for (const std::string& csv : {std::string(), std::string("Location,Name\r\n1,a\r\n"),
                                   std::string("Name,Frequency\r\na,150.000000\r\n")}) {
        const interchange::SCanalImport plan = PlanCanalImport(set->Data(), csv);
        EXPECT_FALSE(plan.fileError.empty()) << csv;
        EXPECT_TRUE(plan.canals.empty());
    }
}

// A long list: the rows beyond the radio's channels and a duplicate are reported one by one, a
// bad row leaves its channel as it was, and the others are taken.
TEST(CanalCsv, TakesOnlyTheRowsThatFitFromALongList) {
    const auto cedar = AllModels()[2].make();
    CRadioData& data = cedar->Data();
    Put(data, 1, {true, 12500, 140000000, 140000000, kNone, kNone, true});
    const SCanalCommon kept = data.Canal(1)->Common();
    std::string csv = kHeader;
    for (int location = 0; location < 10000; ++location)
        csv += std::to_string(location) + ",,150.000000," + (location == 1 ? "?" : "") +
               ",0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,12.50,,50W,,,,,\r\n";
    csv += "7,,151.000000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,12.50,,50W,,,,,\r\n";
    const interchange::SCanalImport plan = PlanCanalImport(data, csv);
    EXPECT_EQ(plan.canals.size(), 99u);
    ASSERT_EQ(plan.issues.size(), 1u + 9900u + 1u);
    EXPECT_EQ(plan.issues.front().location, "1");
    EXPECT_EQ(plan.issues.back().reason, "канал уже задан в строке 9");
    ApplyCanalImport(data, plan);
    EXPECT_EQ(data.Canal(1)->Common(), kept);
    EXPECT_EQ(data.Canal(7)->Common().rxFrequency, 150000000);
    EXPECT_EQ(data.Canal(99)->Common().rxFrequency, 150000000);
}

TEST(Csv, SplitsQuotedFieldsAndLines) {
    const std::vector<interchange::SCsvRow> rows = interchange::ParseCsv(
        "\xEF\xBB\xBF"
        "a,\"b,\"\"c\"\"\",\r\n\r\n\"multi\nline\",x\nlast");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].fields, (std::vector<std::string>{"a", "b,\"c\"", ""}));
    EXPECT_EQ(rows[1].line, 3);
    EXPECT_EQ(rows[1].fields, (std::vector<std::string>{"multi\nline", "x"}));
    EXPECT_EQ(rows[2].line, 5);
    const std::vector<std::string> fields = {"plain", "with, comma", "\"quoted\"", ""};
    EXPECT_EQ(interchange::CsvLine(fields), "plain,\"with, comma\",\"\"\"quoted\"\"\",\r\n");
    EXPECT_EQ(interchange::ParseCsv(interchange::CsvLine(fields))[0].fields, fields);
}

TEST(Csv, AByteOrderMarkTwiceOverIsTheFilesMarkAndOneInAFieldIsKept) {
    EXPECT_EQ(interchange::ParseCsv("\xEF\xBB\xBF\xEF\xBB\xBFLocation,x")[0].fields,
              (std::vector<std::string>{"Location", "x"}));
    const std::vector<std::string> fields = {"\xEF\xBB\xBFLocation", "x"};
    EXPECT_EQ(interchange::ParseCsv(interchange::CsvLine(fields))[0].fields, fields);
}

}  // namespace
