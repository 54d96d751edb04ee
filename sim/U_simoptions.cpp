#include "U_simoptions.h"

#include <charconv>
#include <map>

namespace sim {

namespace {

template <class T>
bool ParseNumber(std::string_view text, T& value, int base = 10) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return ec == std::errc() && end == text.data() + text.size();
}

// "KIND" or "KIND@N" with N above 0: the kind the table names, and N or 0 for every one.
template <class Kind>
bool ParseKindAt(std::string_view text, const std::map<std::string_view, Kind>& kinds, Kind& kind,
                 int& at) {
    const std::size_t sign = text.find('@');
    const auto found = kinds.find(text.substr(0, sign));
    if (found == kinds.end()) return false;
    kind = found->second;
    at = 0;
    if (sign == std::string_view::npos) return true;
    return ParseNumber(text.substr(sign + 1), at) && at > 0;
}

bool ParseFault(std::string_view text, SFault& fault) {
    static const std::map<std::string_view, EFaultKind> kinds = {
        {"silent", EFaultKind::Silent},   {"late", EFaultKind::Late}, {"echo", EFaultKind::Echo},
        {"segment", EFaultKind::Segment}, {"crc", EFaultKind::Check}, {"check", EFaultKind::Check},
        {"short", EFaultKind::Short},     {"drop", EFaultKind::Drop}, {"lose", EFaultKind::Lose}};
    return ParseKindAt(text, kinds, fault.kind, fault.request);
}

bool ParseLinkFault(std::string_view text, SLinkFault& fault) {
    static const std::map<std::string_view, ELinkFaultKind> kinds = {
        {"lose", ELinkFaultKind::Lose},
        {"fcs", ELinkFaultKind::BadCheck},
        {"nosnrm", ELinkFaultKind::NoSnrm},
        {"cut", ELinkFaultKind::Cut},
        {"rnr", ELinkFaultKind::Busy}};
    return ParseKindAt(text, kinds, fault.kind, fault.count);
}

bool ParseRange(std::string_view text, SRange& range) {
    const std::size_t dash = text.find('-');
    return dash != std::string_view::npos && ParseNumber(text.substr(0, dash), range.low) &&
           ParseNumber(text.substr(dash + 1), range.high) && range.low <= range.high &&
           range.low >= 0;
}

// Service hint bytes as one hexadecimal number, most significant byte first ("0x8420" is
// 0x84 0x20): one or two bytes, each but the last with its extension bit 0x80 set.
bool ParseHints(std::string_view text, std::vector<std::uint8_t>& hints) {
    if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
    std::uint16_t value = 0;
    if ((text.size() != 2 && text.size() != 4) || !ParseNumber(text, value, 16)) return false;
    hints.clear();
    if (text.size() == 4) hints.push_back(static_cast<std::uint8_t>(value >> 8));
    hints.push_back(static_cast<std::uint8_t>(value & 0xFF));
    for (std::size_t i = 0; i < hints.size(); ++i)
        if (((hints[i] & 0x80) != 0) != (i + 1 < hints.size())) return false;
    return true;
}

bool ApplyOption(std::string_view key, std::string_view value, SVirtualRadioOptions& options) {
    if (key == "sn") return ParseNumber(value, options.serial);
    if (key == "bank")
        return ParseNumber(value, options.bank) && (options.bank == 0 || options.bank == 1);
    if (key == "converter") {
        int byte = 0;
        if (!ParseNumber(value, byte) || byte < 0 || byte > 255) return false;
        options.converter = byte;
        return true;
    }
    if (key == "image") {
        options.imageFile = std::string(value);
        return !value.empty();
    }
    if (key == "link") {
        options.sir = value == "sir";
        if (value == "irda" || value == "sir")
            options.link = ELink::Irda;
        else if (value == "serial")
            options.link = ELink::Serial;
        else
            return false;
        return true;
    }
    if (key == "id") {
        std::uint32_t id = 0;
        if (!ParseNumber(value, id, 16)) return false;
        options.deviceId = id;
        return true;
    }
    if (key == "hints") return ParseHints(value, options.hints);
    if (key == "fw") {
        options.fw = std::string(value);
        return !value.empty() && value.size() <= 5;
    }
    if (key == "range") {
        SRange range;
        if (!ParseRange(value, range) || options.ranges.size() >= 11) return false;
        options.ranges.push_back(range);
        return true;
    }
    if (key == "fault") {
        SFault fault{};
        if (SLinkFault linkFault{}; ParseLinkFault(value, linkFault)) {
            options.linkFaults.push_back(linkFault);
            return true;
        }
        if (!ParseFault(value, fault)) return false;
        options.faults.push_back(fault);
        return true;
    }
    if (key == "delay") {
        int ms = 0;
        if (!ParseNumber(value, ms) || ms < 0) return false;
        options.lateBy = std::chrono::milliseconds(ms);
        return true;
    }
    if (key == "memory") {
        options.memoryFile = std::string(value);
        return !value.empty();
    }
    if (key == "baud") return ParseNumber(value, options.baud) && options.baud > 0;
    if (key == "fleet") return ParseNumber(value, options.fleet) && options.fleet > 0;
    if (key == "fleetfault") {
        // K:KIND[@N]
        const std::size_t colon = value.find(':');
        SFleetFault fault;
        if (colon == std::string_view::npos || !ParseNumber(value.substr(0, colon), fault.radio) ||
            fault.radio < 1 || !ParseFault(value.substr(colon + 1), fault.fault))
            return false;
        options.fleetFaults.push_back(fault);
        return true;
    }
    return false;
}

}  // namespace

bool ParseVirtualRadio(std::string_view text, SVirtualRadioOptions& options, std::string& error) {
    options = SVirtualRadioOptions{};
    std::size_t start = 0;
    bool first = true;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view part = text.substr(start, comma - start);
        start = comma + 1;
        if (first) {
            first = false;
            if (!FindRadioModel(std::string(part))) {
                error = "неизвестная модель радиостанции \"" + std::string(part) +
                        "\" (ALDER, BIRCH, CEDAR или LARCH)";
                return false;
            }
            options.model = std::string(part);
            continue;
        }
        if (part == "blank") {
            options.blank = true;
            continue;
        }
        const std::size_t equals = part.find('=');
        if (equals == std::string_view::npos ||
            !ApplyOption(part.substr(0, equals), part.substr(equals + 1), options)) {
            error = "неверный параметр виртуальной радиостанции \"" + std::string(part) + "\"";
            return false;
        }
    }
    if (options.blank && !options.imageFile.empty()) {
        error = "blank и image= несовместимы: у радиостанции одна память";
        return false;
    }
    for (const SFault& fault : options.faults) {
        if (fault.kind == EFaultKind::Check && options.link != ELink::Serial) {
            error = "fault=crc требует link=serial: в инфракрасной связи нет контрольной суммы";
            return false;
        }
    }
    if (!options.sir) {
        // Without the serial infrared line a lost frame is a lost reply.
        for (const SLinkFault& fault : options.linkFaults)
            if (fault.kind == ELinkFaultKind::Lose)
                options.faults.push_back({EFaultKind::Lose, fault.count});
        std::erase_if(options.linkFaults,
                      [](const SLinkFault& fault) { return fault.kind == ELinkFaultKind::Lose; });
    }
    if (!options.linkFaults.empty() && !options.sir) {
        error = "сбои fcs, nosnrm, cut и rnr требуют link=sir";
        return false;
    }
    if (options.fleet > 1 && (options.link != ELink::Irda || options.sir)) {
        error = "fleet= needs the infrared neighbourhood (link=irda)";
        return false;
    }
    if (options.fleet > 1 && !options.memoryFile.empty()) {
        error = "fleet= and memory= exclude each other: each radio of a fleet has its own memory";
        return false;
    }
    for (const SFleetFault& fault : options.fleetFaults)
        if (fault.radio > options.fleet || fault.fault.kind == EFaultKind::Check) {
            error = "fleetfault= names a radio of the fleet (1.." + std::to_string(options.fleet) +
                    ") and a fault of the infrared link";
            return false;
        }
    return true;
}

}  // namespace sim
