// Verbs that talk to a radio: info, read, write. Each run searches the radio the way the
// program's workers do, and reports with the program's own messages.

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
#include "U_radionet.h"
#include "U_shelltext.h"
#include "U_virtualradios.h"

namespace cli {

namespace {

// The links of one run: the virtual radios of the command line when there are any (and then
// nothing else is in range), else the machine's.
class CRadioSession {
  public:
    explicit CRadioSession(const CArgs& args) {
        const std::vector<std::string> radios = args.All("--virtual-radio");
        if (radios.empty()) {
            ports_ = std::make_unique<CLinkPorts>();
            // Said before the search, which then finds no infrared radio.
            if (!ports_->IrdaRefusal().empty())
                std::cerr << "tessel-cli: " << ports_->IrdaRefusal() << '\n';
            return;
        }
        try {
            virtualRadios_ = std::make_unique<sim::CVirtualRadios>(radios);
        } catch (const std::invalid_argument& error) {
            throw CUsageError(error.what());
        }
        ports_ = std::make_unique<CLinkPorts>(virtualRadios_->LinkConfig());
    }

    CLinkPorts& Ports() { return *ports_; }

  private:
    // Declared first, destroyed last: the links close before the radios leave.
    std::unique_ptr<sim::CVirtualRadios> virtualRadios_;
    std::unique_ptr<CLinkPorts> ports_;
};

// The search of one model, as the search worker does it.
std::unique_ptr<CRadioNet> Search(IRadio& radio, CLinkPorts& ports) {
    std::cerr << shelltext::SearchText(radio.Name()) << '\n';
    IRadioWare& ware = *radio.Ware();
    IRadioQualifier* qualifier = ware.CreateQualifier(&radio);
    if (!qualifier) return nullptr;
    std::unique_ptr<CRadioNet> net = FindRadio(*qualifier, ports);
    ware.ReleaseQualifier(qualifier);
    return net;
}

struct SFound {
    int index = -1;
    std::unique_ptr<CRadioNet> net;
};

// The first model, then the others in list order.
SFound SearchAll(CContext& context, int first, CLinkPorts& ports) {
    const auto& radios = context.Radios();
    if (first >= 0) {
        if (auto net = Search(*radios[static_cast<std::size_t>(first)], ports))
            return {first, std::move(net)};
    }
    for (std::size_t i = 0; i < radios.size(); ++i) {
        if (static_cast<int>(i) == first) continue;
        if (auto net = Search(*radios[i], ports)) return {static_cast<int>(i), std::move(net)};
    }
    return {};
}

// Steps the exchange to its end with the progress on stderr; the exchange object is given back
// and the link closed whatever happens. When a write's answer to the end of the session is lost
// and the radio's bank does not show the write (a radio with one bank never switches), confirm
// decides from what the radio now holds; without it that stays a failure.
bool Transfer(IRadio& radio, std::unique_ptr<CRadioNet> net, bool reading,
              const std::function<bool()>& confirm = {}) {
    std::cerr << shelltext::kRadioFound << '\n';
    IRadioWare& ware = *radio.Ware();
    IRadioRW* rw = ware.CreateRW(&radio, net->link());
    if (!rw) return false;
    struct SRelease {
        IRadioWare& ware;
        IRadioRW* rw;
        ~SRelease() { ware.ReleaseRW(rw); }
    } release{ware, rw};
    std::cerr << (reading ? shelltext::kReadStart : shelltext::kWriteStart) << '\n' << "0%\n";
    reading ? rw->BeginRead() : rw->BeginWrite();
    while (!rw->IsDone()) {
        if (!rw->Step()) {
            const ESessionEnd end = net->SessionEnd();
            const bool unknown = end == ESessionEnd::Unknown;
            net.reset();
            if (!reading && (unknown || end == ESessionEnd::NotTaken) && confirm && confirm()) {
                std::cerr << shelltext::kWriteUnconfirmed << '\n';
                return true;
            }
            throw CFailure(reading   ? shelltext::kReadError
                           : unknown ? shelltext::kWriteUnknown
                                     : shelltext::kWriteError);
        }
        std::cerr << rw->Progress() << "%\n";
    }
    const bool unconfirmed = net->WriteUnconfirmed();
    net.reset();
    std::cerr << (reading       ? shelltext::kReadDone
                  : unconfirmed ? shelltext::kWriteUnconfirmed
                                : shelltext::kWriteDone)
              << '\n';
    return true;
}

// The window's not-found text, naming the platform searched.
CFailure NotFound(CLinkPorts& ports) {
    return CFailure(shelltext::RadioNotFoundText(ports.IrdaPlatform()));
}

int RunInfo(const CArgs& args, CContext& context) {
    args.ExpectPositional(0);
    CRadioSession session(args);
    std::cout << "platform\t" << DescribeIrdaPlatform(session.Ports().IrdaPlatform()) << '\n';
    SFound found = SearchAll(context, -1, session.Ports());
    if (!found.net) throw NotFound(session.Ports());
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
    const int first = model ? context.RadioIndex(*model) : 0;
    if (context.Radios().empty()) throw CFailure(shelltext::kRadioNotFound);
    CRadioSession session(args);
    SFound found = SearchAll(context, first, session.Ports());
    if (!found.net) throw NotFound(session.Ports());
    IRadio& radio = *context.Radios()[static_cast<std::size_t>(found.index)];
    Transfer(radio, std::move(found.net), true);
    paramfile::SaveParameterFile(out, radio);
    const int converter = radio.Data() ? radio.Data()->RadioConverterType() : -1;
    std::cout << "model\t" << radio.Ware()->Description() << '\n'
              << "serial\t" << radio.SerialNumber() << '\n'
              << "converter\t" << converter << '\t' << shelltext::UprTypeName(converter) << '\n';
    return kExitOk;
}

// A whole read with an exchange object of its own; the radio's memory is then in the set.
bool ReadWhole(IRadio& radio, CRadioNet& net) {
    IRadioWare& ware = *radio.Ware();
    IRadioRW* rw = ware.CreateRW(&radio, net.link());
    if (!rw) return false;
    struct SRelease {
        IRadioWare& ware;
        IRadioRW* rw;
        ~SRelease() { ware.ReleaseRW(rw); }
    } release{ware, rw};
    rw->BeginRead();
    while (!rw->IsDone())
        if (!rw->Step()) return false;
    return true;
}

// The radio's memory before the write, kept as a parameter file; the file's set is put back.
std::filesystem::path TakeBackup(IRadio& radio, CRadioNet& net) {
    std::cerr << shelltext::kBackupStart << '\n';
    const backup::CSetLoan loan(radio);
    if (!ReadWhole(radio, net)) throw CFailure(shelltext::kBackupError);
    return backup::SaveBackup(radio, backup::BackupFolder());
}

// The radio read back over a fresh connection (it has changed banks) and compared with what
// was written; the differing keys, or nothing.
std::optional<std::vector<std::string>> VerifyWrite(IRadio& radio, CLinkPorts& ports) {
    std::cerr << shelltext::kVerifyStart << '\n';
    const std::string expected = backup::BodyAfterWrite(radio);
    const backup::CSetLoan loan(radio);
    const std::unique_ptr<CRadioNet> net = Search(radio, ports);
    if (!net || !ReadWhole(radio, *net)) return std::nullopt;
    return backup::DifferingKeys(expected, backup::Body(RequireOwnRadioData(radio.Data())));
}

int RunWrite(const CArgs& args, CContext& context) {
    args.ExpectPositional(1);
    const int index = context.Open(args.Positional()[0]);
    IRadio& radio = *context.Radios()[static_cast<std::size_t>(index)];
    std::string message;
    if (!radio.Data()->Validate(message)) throw CFailure(message);
    CRadioSession session(args);
    // A write goes to the file's model only.
    std::unique_ptr<CRadioNet> net = Search(radio, session.Ports());
    if (!net) throw NotFound(session.Ports());
    const std::filesystem::path backupFile = TakeBackup(radio, *net);
    std::cout << "backup\t" << backupFile.string() << '\n';
    const bool verify = !args.Flag("--no-verify");
    bool verified = false;
    const auto writtenByReadBack = [&] {
        verified = true;
        const auto differing = VerifyWrite(radio, session.Ports());
        return differing && differing->empty();
    };
    try {
        Transfer(radio, std::move(net), false,
                 verify ? std::function<bool()>(writtenByReadBack) : std::function<bool()>());
        if (verify && !verified) {
            const auto differing = VerifyWrite(radio, session.Ports());
            if (!differing) throw CFailure(shelltext::kVerifyReadError);
            if (!differing->empty()) throw CFailure(backup::VerifyFailureText(*differing));
        }
    } catch (const CFailure& failure) {
        throw CFailure(backup::WithBackupNote(failure.what(), backupFile));
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
        SFound found = SearchAll(context, models[1 - i], session.Ports());
        if (!found.net) throw NotFound(session.Ports());
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

constexpr std::string_view kInfoOptions[] = {"--virtual-radio"};
constexpr std::string_view kReadOptions[] = {"-o", "--model", "--virtual-radio"};
constexpr std::string_view kWriteOptions[] = {"--virtual-radio"};
constexpr std::string_view kWriteFlags[] = {"--no-verify"};

constexpr SCommand kCommands[] = {
    {"info", "tessel-cli info", kInfoOptions, RunInfo},
    {"read", "tessel-cli read [--model MODEL] -o FILE", kReadOptions, RunRead},
    {"write", "tessel-cli write FILE [--no-verify]", kWriteOptions, RunWrite, kWriteFlags},
    {"diff", "tessel-cli diff A B (each a parameter file or radio)", kInfoOptions, RunDiff},
};

}  // namespace

std::span<const SCommand> RadioCommands() {
    return kCommands;
}

}  // namespace cli
