// Verbs that talk to a radio: info, radios, read, write, diff. Each run searches the radio the
// way the program's workers do, and reports with the program's own messages. With several
// radios of a model in range, read and write take the one --serial names.

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "U_backup.h"
#include "U_cli.h"
#include "U_compare.h"
#include "U_qualifierlease.h"
#include "U_radionet.h"
#include "U_radiosession.h"
#include "U_shelltext.h"
#include "U_virtualradios.h"
#include "U_writesteps.h"

namespace cli {

namespace {

// Every radio of one model in range, as the search worker lists them.
SRadioSearch SearchModel(IRadio& radio, CLinkPorts& ports) {
    std::cerr << shelltext::SearchText(radio.Name()) << '\n';
    const CQualifierLease qualifier(radio);
    return qualifier.Get() ? SearchRadios(*qualifier.Get(), ports) : SRadioSearch{};
}

std::unique_ptr<CRadioNet> OpenSerial(IRadio& radio, CLinkPorts& ports,
                                      const std::string& serialNumber) {
    const CQualifierLease qualifier(radio);
    return qualifier.Get() ? OpenRadio(*qualifier.Get(), ports, serialNumber) : nullptr;
}

// The radio that --serial names, else the only radio of the model in range; a failure that
// lists the serial numbers when several are in range and none is named.
const SFoundRadio& Pick(const IRadio& radio, const std::vector<SFoundRadio>& found,
                        const std::optional<std::string>& serial) {
    if (serial) {
        for (const SFoundRadio& each : found)
            if (each.serialNumber == *serial) return each;
        throw CFailure(shelltext::SerialNotFoundText(radio.Name(), *serial));
    }
    if (found.size() > 1) {
        std::vector<std::string> serials;
        for (const SFoundRadio& each : found) serials.push_back(each.serialNumber);
        throw CFailure(shelltext::SeveralRadiosText(radio.Name(), serials) +
                       ". Укажите заводской номер: --serial N");
    }
    return found.front();
}

// The link to the radio picked: the one the search kept, else connected again (the radio may
// have left since it was listed).
std::unique_ptr<CRadioNet> OpenPicked(IRadio& radio, CLinkPorts& ports, SRadioSearch& search,
                                      const SFoundRadio& picked) {
    std::unique_ptr<CRadioNet> net;
    if (search.net && search.found.front() == picked) net = std::move(search.net);
    search.net.reset();
    if (!net) net = OpenSerial(radio, ports, picked.serialNumber);
    if (!net)
        throw CFailure(
            shelltext::WithFailure(shelltext::SerialNotFoundText(radio.Name(), picked.serialNumber),
                                   ports.Irda().failure()));
    std::cerr << shelltext::RadioFoundText(radio.Name(), picked.serialNumber) << '\n';
    return net;
}

struct SFound {
    int index = -1;
    SFoundRadio radio;
    std::unique_ptr<CRadioNet> net;
};

// Model first (when not -1), then the others in list order: the first model with a radio in
// range (with serial, with that radio), and of it the radio Pick takes, connected. A failure when
// there is none.
SFound FindOne(CContext& context, int first, const std::optional<std::string>& serial,
               CLinkPorts& ports) {
    const auto& radios = context.Radios();
    std::vector<int> order;
    if (first >= 0) order.push_back(first);
    for (int i = 0; i < static_cast<int>(radios.size()); ++i)
        if (i != first) order.push_back(i);
    bool searched = false;
    for (const int index : order) {
        // A busy adapter or a radio gone quiet: the other models would meet the same.
        if (searched && ports.Irda().searchAgainUseless()) break;
        searched = true;
        IRadio& radio = *radios[static_cast<std::size_t>(index)];
        SRadioSearch search = SearchModel(radio, ports);
        const std::vector<SFoundRadio>& found = search.found;
        if (std::none_of(found.begin(), found.end(), [&serial](const SFoundRadio& f) {
                return !serial || f.serialNumber == *serial;
            }))
            continue;
        if (first >= 0 && index != first)
            std::cerr << shelltext::FallbackText(radios[static_cast<std::size_t>(first)]->Name(),
                                                 radio.Name())
                      << '\n';
        SFound result{index, Pick(radio, found, serial), nullptr};
        result.net = OpenPicked(radio, ports, search, result.radio);
        return result;
    }
    if (serial && first >= 0)
        throw CFailure(shelltext::SerialNotFoundText(
            radios[static_cast<std::size_t>(first)]->Name(), *serial));
    if (serial) throw CFailure("Радиостанция с заводским номером " + *serial + " не найдена");
    throw CFailure(shelltext::RadioNotFoundText(ports.IrdaPlatform(), ports.Irda()));
}

// Steps the exchange to its end with the progress on stderr; the exchange object is given back
// and the link closed whatever happens. When a write's step fails but the write may still have
// reached the radio, confirm decides from what the radio now holds; without it that stays a
// failure.
bool Transfer(IRadio& radio, std::unique_ptr<CRadioNet> net, bool reading,
              const std::function<bool()>& confirm = {}) {
    const fleet::CExchangeLease exchange(radio, *net);
    if (!exchange.Get()) return false;
    std::cerr << (reading ? shelltext::kReadStart : shelltext::kWriteStart) << '\n' << "0%\n";
    const fleet::CWriteSteps steps(radio, {});
    if (!steps.Exchange(*exchange.Get(), reading,
                        [](int percent) { std::cerr << percent << "%\n"; })) {
        const ESessionEnd end = net->SessionEnd();
        const std::string failure = fleet::TransferFailureText(reading, *net);
        net.reset();
        if (!reading && fleet::MayBeWritten(end) && confirm && confirm()) {
            std::cerr << shelltext::WithRadio(shelltext::kWriteUnconfirmed, radio.Name(),
                                              radio.SerialNumber())
                      << '\n';
            return true;
        }
        throw CFailure(failure);
    }
    const bool unconfirmed = net->WriteUnconfirmed();
    net.reset();
    // The radio on the link was recognised last, so the radio names its serial number.
    std::cerr << shelltext::WithRadio(reading       ? shelltext::kReadDone
                                      : unconfirmed ? shelltext::kWriteUnconfirmed
                                                    : shelltext::kWriteDone,
                                      radio.Name(), radio.SerialNumber())
              << '\n';
    return true;
}

// The window's not-found text, naming the platform searched.
CFailure NotFound(CLinkPorts& ports) {
    return CFailure(shelltext::RadioNotFoundText(ports.IrdaPlatform(), ports.Irda()));
}

int RunInfo(const CArgs& args, CContext& context) {
    args.ExpectPositional(0);
    CRadioSession session(args);
    std::cout << "platform\t" << DescribeIrdaPlatform(session.Ports().IrdaPlatform()) << '\n';
    SFound found = FindOne(context, -1, args.Option("--serial"), session.Ports());
    IRadio& radio = *context.Radios()[static_cast<std::size_t>(found.index)];
    std::cout << "model\t" << radio.Ware()->Description() << '\t' << radio.Name() << '\n';
    if (found.net->kind() == PR_NET_IRDA) {
        const IRadioInfo& info = *found.net->Socket()->GetInfo();
        std::cout << "serial\t" << info.SN() << '\n';
        for (int i = 0; i < info.RangeCount(); ++i)
            std::cout << "range\t" << info.RangeEdge(i, 0) << '-' << info.RangeEdge(i, 1) << '\n';
        std::cout << "bank\t" << info.BankFlag() << '\n';
    } else {
        const IDeviceInfo& info = *found.net->Serial()->GetInfo();
        std::cout << "serial\t" << radio.SerialNumber() << '\n';
        std::cout << "revision\t" << info.Revision() << '\n';
        for (int i = 0; i < 4; ++i)
            std::cout << "range\t" << info.RangeEdge(i, 0) << '-' << info.RangeEdge(i, 1) << '\n';
    }
    return kExitOk;
}

int RunRead(const CArgs& args, CContext& context) {
    args.ExpectPositional(0);
    const std::string out = args.Required("-o");
    const std::optional<std::string> model = args.Option("--model");
    const std::optional<std::string> serial = args.Option("--serial");
    const int first = model ? context.RadioIndex(*model) : 0;
    if (context.Radios().empty()) throw CFailure(shelltext::kRadioNotFound);
    CRadioSession session(args);
    SFound found = FindOne(context, first, serial, session.Ports());
    IRadio& radio = *context.Radios()[static_cast<std::size_t>(found.index)];
    try {
        Transfer(radio, std::move(found.net), true);
    } catch (const CFailure& failure) {
        throw CFailure(
            shelltext::WithRadio(failure.what(), radio.Name(), found.radio.serialNumber));
    }
    paramfile::SaveParameterFile(out, radio);
    const int converter = radio.Data() ? radio.Data()->RadioConverterType() : -1;
    std::cout << "model\t" << radio.Ware()->Description() << '\n'
              << "serial\t" << radio.SerialNumber() << '\n'
              << "converter\t" << converter << '\t' << shelltext::UprTypeName(converter) << '\n';
    return kExitOk;
}

// The radio's memory before the write, kept as a parameter file; the file's set is put back.
std::filesystem::path TakeBackup(IRadio& radio, CRadioNet& net) {
    std::cerr << shelltext::kBackupStart << '\n';
    const fleet::SBackupCopy copy =
        fleet::CWriteSteps(radio, {}).TakeBackup(net, backup::BackupFolder());
    if (copy.file.empty())
        throw CFailure(copy.problem.empty()
                           ? shelltext::WithFailure(shelltext::kBackupError, net.Failure())
                           : copy.problem);
    return copy.file;
}

// The radio read back over a fresh connection (it has changed banks) and compared with what
// was written; the message when it does not hold what was written, else empty.
std::string VerifyWrite(IRadio& radio, CLinkPorts& ports, const std::string& serialNumber) {
    std::cerr << shelltext::kVerifyStart << '\n';
    std::unique_ptr<CRadioNet> net;
    // The very radio written, not merely the first of its model in range.
    const auto differing = fleet::CWriteSteps(radio, {}).ReadBack(
        net, [&] { return OpenSerial(radio, ports, serialNumber); });
    // The new link's word, or the socket's when no link was made.
    return fleet::ReadBackFailureText(differing, net ? net->Failure() : ports.Irda().failure());
}

int RunWrite(const CArgs& args, CContext& context) {
    args.ExpectPositional(1);
    const int index = context.Open(args.Positional()[0]);
    IRadio& radio = *context.Radios()[static_cast<std::size_t>(index)];
    std::string message;
    if (!radio.Data()->Validate(message)) throw CFailure(message);
    CRadioSession session(args);
    // A write goes to the file's model only.
    SRadioSearch search = SearchModel(radio, session.Ports());
    if (search.found.empty()) throw NotFound(session.Ports());
    const SFoundRadio picked = Pick(radio, search.found, args.Option("--serial"));
    std::unique_ptr<CRadioNet> net = OpenPicked(radio, session.Ports(), search, picked);
    const std::filesystem::path backupFile = TakeBackup(radio, *net);
    std::cout << "backup\t" << backupFile.string() << '\n';
    const bool verify = !args.Flag("--no-verify");
    bool verified = false;
    const auto writtenByReadBack = [&] {
        verified = true;
        return VerifyWrite(radio, session.Ports(), picked.serialNumber).empty();
    };
    try {
        Transfer(radio, std::move(net), false,
                 verify ? std::function<bool()>(writtenByReadBack) : std::function<bool()>());
        if (verify && !verified) {
            const std::string failure = VerifyWrite(radio, session.Ports(), picked.serialNumber);
            if (!failure.empty()) throw CFailure(failure);
        }
    } catch (const CFailure& failure) {
        throw CFailure(backup::WithBackupNote(
            shelltext::WithRadio(failure.what(), radio.Name(), picked.serialNumber), backupFile));
    }
    std::cout << "serial\t" << radio.SerialNumber() << '\n';
    return kExitOk;
}

// Two parameter sets side by side, each a file or "radio" (the radio in range, read with the
// other side's model searched first).
int RunDiff(const CArgs& args, CContext& context) {
    args.ExpectPositional(2);
    const std::vector<std::string>& sides = args.Positional();
    if (sides[0] == "radio" && sides[1] == "radio")
        throw CUsageError("compare a file with the radio");
    std::array<std::string, 2> bodies;
    std::array<int, 2> models = {-1, -1};
    const auto bodyOf = [&context](int index) {
        std::ostringstream body;
        RequireOwnRadioData(context.Radios()[static_cast<std::size_t>(index)]->Data())
            .WriteText(body);
        return body.str();
    };
    for (std::size_t i = 0; i < 2; ++i) {
        if (sides[i] == "radio") continue;
        models[i] = context.Open(sides[i]);
        bodies[i] = bodyOf(models[i]);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        if (sides[i] != "radio") continue;
        CRadioSession session(args);
        SFound found = FindOne(context, models[1 - i], args.Option("--serial"), session.Ports());
        Transfer(*context.Radios()[static_cast<std::size_t>(found.index)], std::move(found.net),
                 true);
        models[i] = found.index;
        bodies[i] = bodyOf(found.index);
    }
    if (models[0] != models[1]) throw CFailure("Параметры относятся к разным моделям радиостанций");
    // Both sides are shown through the one parameter set of their model, as its view would.
    CRadioData& data =
        RequireOwnRadioData(context.Radios()[static_cast<std::size_t>(models[0])]->Data());
    std::array<interchange::SShownSet, 2> shown;
    for (std::size_t i = 0; i < 2; ++i) {
        std::optional<interchange::SShownSet> side = interchange::ShownSetOfBody(data, bodies[i]);
        if (!side) throw CFailure("Файл поврежден или имеет неверный формат");
        shown[i] = std::move(*side);
    }
    const auto title = [&sides](std::size_t i) {
        return sides[i] == "radio" ? std::string("Радиостанция") : "Файл " + sides[i];
    };
    std::cout << interchange::DifferencesText(
        {title(0), title(1), interchange::CompareShown(shown[0], shown[1])});
    return kExitOk;
}

// Every radio in range that a model accepts, one line each: model, serial number, link, device.
// Only identification and each model's recognition travel; no memory is read.
int RunRadios(const CArgs& args, CContext& context) {
    args.ExpectPositional(0);
    CRadioSession session(args);
    std::size_t count = 0;
    for (IRadio* radio : context.Radios()) {
        for (const SFoundRadio& found : SearchModel(*radio, session.Ports()).found) {
            std::cout << found.model << '\t' << found.serialNumber << '\t'
                      << (found.kind == PR_NET_IRDA ? "irda" : "serial") << '\t' << found.device
                      << '\n';
            ++count;
        }
    }
    if (count == 0) throw NotFound(session.Ports());
    return kExitOk;
}

constexpr std::string_view kInfoOptions[] = {"--serial", "--virtual-radio"};
constexpr std::string_view kRadiosOptions[] = {"--virtual-radio"};
constexpr std::string_view kReadOptions[] = {"-o", "--model", "--serial", "--virtual-radio"};
constexpr std::string_view kWriteOptions[] = {"--serial", "--virtual-radio"};
constexpr std::string_view kWriteFlags[] = {"--no-verify"};

constexpr SCommand kCommands[] = {
    {"info", "tessel-cli info [--serial N]", kInfoOptions, RunInfo},
    {"radios", "tessel-cli radios", kRadiosOptions, RunRadios},
    {"read", "tessel-cli read [--model MODEL] [--serial N] -o FILE", kReadOptions, RunRead},
    {"write", "tessel-cli write FILE [--serial N] [--no-verify]", kWriteOptions, RunWrite,
     kWriteFlags},
    {"diff", "tessel-cli diff A B [--serial N] (each a parameter file or radio)", kInfoOptions,
     RunDiff},
};

}  // namespace

std::span<const SCommand> RadioCommands() {
    return kCommands;
}

}  // namespace cli
