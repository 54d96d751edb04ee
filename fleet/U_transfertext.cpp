#include "U_transfertext.h"

namespace transfertext {

std::string RadioNotFoundText(const SIrdaPlatformChoice& platform) {
    std::string place;
    switch (platform.kind) {
        case EIrdaPlatformKind::Sir:
            place = "ИК-адаптер " + platform.port;
            break;
        case EIrdaPlatformKind::Kernel:
            place = "ИК-порт системы";
            break;
        case EIrdaPlatformKind::Virtual:
            place = "виртуальные радиостанции";
            break;
    }
    return std::string(kRadioNotFound) + " (" + place + ")";
}

std::string RadioNotFoundText(const SIrdaPlatformChoice& platform, const CIrDASocket& irda) {
    const std::string problem = irda.problem();
    if (irda.openFailed() && !problem.empty()) return problem;
    // The adapter went away during the search: the radio is not to blame.
    if (const std::string failure = irda.failure(); !failure.empty())
        return WithFailure(kRadioNotFound, failure);
    std::string text = RadioNotFoundText(platform);
    if (irda.silentDevice())
        text = kRadioSilent + text.substr(std::string_view(kRadioNotFound).size());
    return problem.empty() ? text : text + ". " + problem;
}

std::string WithFailure(const std::string& text, const std::string& failure) {
    if (failure.empty()) return text;
    std::string_view head = text;
    if (head.ends_with("...")) head.remove_suffix(3);
    return std::string(head) + ": " + failure;
}

std::string SearchText(const std::string& name) {
    return "Поиск радиостанции \"" + name + "\"...";
}

std::string RadioFoundText(const std::string& name, const std::string& serialNumber) {
    return "Радиостанция \"" + name + "\" найдена, заводской номер " + serialNumber + "...";
}

std::string WithRadio(const std::string& text, const std::string& name,
                      const std::string& serialNumber) {
    return text + " — радиостанция \"" + name + "\", заводской номер " + serialNumber;
}

std::string FallbackText(const std::string& wanted, const std::string& found) {
    return "Радиостанция \"" + wanted + "\" не найдена, найдена радиостанция \"" + found + "\"";
}

std::string SeveralRadiosText(const std::string& name, const std::vector<std::string>& serials) {
    std::string text = "В зоне связи несколько радиостанций \"" + name + "\", заводские номера:";
    for (std::size_t i = 0; i < serials.size(); ++i) text += (i ? ", " : " ") + serials[i];
    return text;
}

std::string SerialNotFoundText(const std::string& name, const std::string& serialNumber) {
    return "Радиостанция \"" + name + "\" с заводским номером " + serialNumber + " не найдена";
}

}  // namespace transfertext
