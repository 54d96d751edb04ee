#include "U_iasclient.h"

namespace sir {

std::optional<SIasAnswer> QueryIas(CIrlmpClient& lmp, const std::string& className,
                                   const std::string& attribute, Deadline deadline) {
    const auto request = SIasQuery{className, attribute}.Encode();
    if (!request || !lmp.Connect(kIasLsap, {}, deadline)) return std::nullopt;
    std::optional<SIasAnswer> answer;
    if (lmp.Send(*request, deadline)) {
        const SLmpReceived received = lmp.Receive(deadline);
        // Only single-frame answers: an integer attribute always fits one.
        if (received.event == ELmpEvent::Data && !received.data.empty() &&
            (received.data[0] & iasop::kLast))
            answer = SIasAnswer::Parse(received.data);
    }
    lmp.Disconnect(deadline);
    return answer;
}

}  // namespace sir
