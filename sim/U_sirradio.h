#pragma once
// The virtual radio as an IrDA secondary station on a serial infrared line: a pseudo-terminal
// whose device path the program opens as its adapter. It answers discovery with its device
// address and nickname, takes the connection with its own negotiation parameters, serves the
// information base (class "Varnex", the LSAP selectors of its TinyTP and plain IrLMP service),
// takes the LSAP connection and lets the radio answer the requests that arrive on it. The line
// is paced at the agreed rate when the radio has a baud= setting.

#include <memory>
#include <string>
#include <thread>

#include "U_simserver.h"

namespace sim {

// The LSAP selectors the radio's information base reports.
inline constexpr int kSirTinyTpLsap = 0x05;
inline constexpr int kSirIrLmpLsap = 0x06;

class CSirRadioServer final : public CPseudoTerminalServer {
  public:
    explicit CSirRadioServer(CVirtualRadio& radio);
    ~CSirRadioServer() override;

  private:
    class CStation;
    void Run();
};

}  // namespace sim
