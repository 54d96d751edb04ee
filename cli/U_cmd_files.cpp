// Verbs on parameter files and memory images: models, new, convert, show, encode, decode.

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <sstream>

#include "U_cli.h"
#include "U_codepage.h"
#include "U_fileio.h"
#include "U_textform.h"

namespace cli {

namespace {

using paramfile::CFileError;

CRadioData& ModelData(IRadioData& data) {
    return RequireOwnRadioData(&data);
}

void Save(IRadio& radio, const std::string& file) {
    paramfile::SaveParameterFile(file, radio);
}

int RunModels(const CArgs& args, CContext& context) {
    args.ExpectPositional(0);
    CModules& modules = context.Modules();
    for (int m = 0; m < modules.Count(); ++m) {
        IRadioWare& ware = *modules.Get(m).ware;
        for (int r = 0; r < ware.RadioCount(); ++r) {
            IRadio& radio = *ware.GetRadio(r);
            std::cout << ware.Description() << '\t' << ware.Version() << '\t' << radio.Name()
                      << '\t' << radio.FileExtension() << '\t' << ware.LinkKinds() << '\n';
        }
    }
    return kExitOk;
}

int RunNew(const CArgs& args, CContext& context) {
    args.ExpectPositional(1);
    const int index = context.RadioIndex(args.Positional()[0]);
    const std::string out = args.Required("-o");
    IRadio& radio = *context.Radios()[static_cast<std::size_t>(index)];
    context.Attach(index).Reset();
    radio.SetConverterType(-1);
    Save(radio, out);
    return kExitOk;
}

int RunConvert(const CArgs& args, CContext& context) {
    args.ExpectPositional(1);
    const std::string out = args.Required("-o");
    const std::optional<std::string> model = args.Option("--model");
    const int target = model ? context.RadioIndex(*model) : paramfile::kTargetFromFile;
    const int current = context.Open(args.Positional()[0], target);
    Save(*context.Radios()[static_cast<std::size_t>(current)], out);
    return kExitOk;
}

// The body's lines, split into channel rows and settings, for a readable listing.
struct SListing {
    std::vector<std::string> channelFields;                      // in order of first appearance
    std::map<int, std::map<std::string, std::string>> channels;  // enabled channels only
    std::vector<std::pair<std::string, std::string>> settings;
};

SListing ListBody(const std::string& body) {
    SListing listing;
    std::istringstream lines(body);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        std::size_t digits = 0;
        while (digits < key.size() && std::isdigit(static_cast<unsigned char>(key[digits])))
            ++digits;
        if (digits == 0 || digits == key.size()) {
            if (key.rfind("FR", 0) != 0) listing.settings.emplace_back(key, value);
            continue;
        }
        const int channel = std::stoi(key.substr(0, digits));
        const std::string field = key.substr(digits);
        if (field == "Enabled") {
            if (value != "0") listing.channels[channel];
            continue;
        }
        if (std::find(listing.channelFields.begin(), listing.channelFields.end(), field) ==
            listing.channelFields.end())
            listing.channelFields.push_back(field);
        if (listing.channels.count(channel)) listing.channels[channel][field] = value;
    }
    return listing;
}

std::size_t DisplayWidth(const std::string& utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void PrintPadded(const std::string& text, std::size_t width) {
    std::cout << text
              << std::string(width > DisplayWidth(text) ? width - DisplayWidth(text) : 0, ' ');
}

int RunShow(const CArgs& args, CContext& context) {
    args.ExpectPositional(1);
    const int current = context.Open(args.Positional()[0]);
    IRadio& radio = *context.Radios()[static_cast<std::size_t>(current)];
    std::ostringstream body;
    if (!ModelData(*radio.Data()).WriteText(body)) throw CFailure(paramfile::kMsgReadError);
    // The body is Windows-1251, as in the file; the terminal gets UTF-8 like every other line.
    const SListing listing = ListBody(Cp1251ToUtf8(body.str()));

    std::cout << "Радиостанция: " << radio.Name() << " (" << radio.Ware()->Description() << ")\n"
              << "Диапазон частот: " << radio.Data()->RangeText() << "\n\n"
              << "Рабочие каналы: " << listing.channels.size() << "\n";
    if (!listing.channels.empty()) {
        std::vector<std::size_t> widths;
        for (const std::string& field : listing.channelFields) {
            std::size_t width = DisplayWidth(field);
            for (const auto& [channel, values] : listing.channels) {
                const auto it = values.find(field);
                if (it != values.end()) width = std::max(width, DisplayWidth(it->second));
            }
            widths.push_back(width + 2);
        }
        PrintPadded("№", 4);
        for (std::size_t f = 0; f < listing.channelFields.size(); ++f)
            PrintPadded(listing.channelFields[f], widths[f]);
        std::cout << '\n';
        for (const auto& [channel, values] : listing.channels) {
            PrintPadded((channel < 10 ? "0" : "") + std::to_string(channel), 4);
            for (std::size_t f = 0; f < listing.channelFields.size(); ++f) {
                const auto it = values.find(listing.channelFields[f]);
                PrintPadded(it == values.end() ? "" : it->second, widths[f]);
            }
            std::cout << '\n';
        }
    }
    std::cout << "\nПараметры:\n";
    for (const auto& [key, value] : listing.settings)
        std::cout << "  " << key << " = " << value << '\n';
    return kExitOk;
}

bool IsDate(const std::string& text) {
    int year = 0, month = 0, day = 0;
    char tail = 0;
    return std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) == 3 &&
           text.size() == 10 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

int RunEncode(const CArgs& args, CContext& context) {
    args.ExpectPositional(1);
    const std::string out = args.Required("-o");
    if (const std::optional<std::string> date = args.Option("--date")) {
        if (!IsDate(*date)) throw CUsageError("the date is YYYY-MM-DD");
        setenv("TESSEL_PROGRAMMING_DATE", date->c_str(), 1);  // read by the image encoders
    }
    const int current = context.Open(args.Positional()[0]);
    CRadioData& data = ModelData(*context.Radios()[static_cast<std::size_t>(current)]->Data());
    std::vector<std::uint8_t> image(data.ImageSize(), 0xFF);
    data.EncodeImage(image);
    const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
    if (!fileio::ReplaceFile(out, bytes)) throw CFailure(paramfile::kMsgSaveError);
    return kExitOk;
}

int RunDecode(const CArgs& args, CContext& context) {
    args.ExpectPositional(2);
    const int index = context.RadioIndex(args.Positional()[0]);
    const std::string out = args.Required("-o");
    std::string bytes;
    switch (fileio::ReadWholeFile(args.Positional()[1], bytes)) {
        case fileio::EReadResult::Read:
            break;
        case fileio::EReadResult::Unreadable:
        case fileio::EReadResult::NotRegular:
            throw CFailure(paramfile::kMsgReadError);
        case fileio::EReadResult::TooLarge:
            throw CFailure(paramfile::kMsgBadFormat);
    }
    std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
    CRadioData& data = ModelData(context.Attach(index));
    if (image.size() != data.ImageSize()) throw CFailure(paramfile::kMsgBadFormat);
    data.DecodeImage(image);
    Save(*context.Radios()[static_cast<std::size_t>(index)], out);
    return kExitOk;
}

constexpr std::string_view kNoOptions[] = {"--virtual-radio"};
constexpr std::string_view kOutput[] = {"-o", "--virtual-radio"};
constexpr std::string_view kConvertOptions[] = {"-o", "--model", "--virtual-radio"};
constexpr std::string_view kEncodeOptions[] = {"-o", "--date", "--virtual-radio"};

constexpr SCommand kCommands[] = {
    {"models", "tessel-cli models", kNoOptions, RunModels},
    {"new", "tessel-cli new MODEL -o FILE", kOutput, RunNew},
    {"convert", "tessel-cli convert IN -o OUT [--model MODEL]", kConvertOptions, RunConvert},
    {"show", "tessel-cli show FILE", kNoOptions, RunShow},
    {"encode", "tessel-cli encode FILE -o IMAGE [--date YYYY-MM-DD]", kEncodeOptions, RunEncode},
    {"decode", "tessel-cli decode MODEL IMAGE -o FILE", kOutput, RunDecode},
};

}  // namespace

std::span<const SCommand> FileCommands() {
    return kCommands;
}

}  // namespace cli
