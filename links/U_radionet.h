#pragma once
// The found link and the radio search across the link kinds a model allows.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "U_irdachoice.h"
#include "U_irdasocket.h"
#include "U_radiolinks.h"
#include "U_radioserial.h"
#include "U_radiosocket.h"
#include "U_radioware.h"
#include "U_serialport.h"

// Where the links look for radios. By default from the environment: TESSEL_IRDA_DIR and
// TESSEL_IRDA_MODE for the infrared neighbourhood, the machine's ports (or
// TESSEL_SERIAL_PORTS) for the serial link.
struct SLinkConfig {
    std::filesystem::path irdaDirectory;
    // The IrDA platform; the virtual one uses irdaDirectory.
    EIrdaPlatformKind irdaPlatform = EIrdaPlatformKind::Virtual;
    std::string irdaPort;
    EIrdaMode irdaMode = EIrdaMode::Stream;
    std::vector<std::string> serialPorts;

    static SLinkConfig FromEnvironment();
    SIrdaPlatformChoice IrdaChoice() const;
};

// The program-wide link objects: the one IrDA socket and the one serial port. The program's
// main creates one CLinkPorts and hands it to whatever searches for radios; there is no other
// instance and no hidden global. Only one worker uses it at a time.
class CLinkPorts {
  public:
    CLinkPorts();
    explicit CLinkPorts(const SLinkConfig& config);
    CLinkPorts(const CLinkPorts&) = delete;
    CLinkPorts& operator=(const CLinkPorts&) = delete;

    CIrDASocket& Irda() { return irda_; }
    // The IrDA platform the socket talks through, to tell the user where radios were sought.
    const SIrdaPlatformChoice& IrdaPlatform() const { return irdaPlatform_; }
    SerialPort& Serial() { return serial_; }
    // The reply window of both links (3000 ms unless a test shortens it).
    void SetWindow(std::chrono::milliseconds window);

  private:
    SIrdaPlatformChoice irdaPlatform_;
    CIrDASocket irda_;
    SerialPort serial_;
};

// A found link, owned by whoever received it from FindRadio. Destroying it destroys the link,
// which closes the socket or the port.
class CRadioNet {
  public:
    explicit CRadioNet(std::unique_ptr<CRadioSocket> socket);
    explicit CRadioNet(std::unique_ptr<CRadioSerial> serial);
    CRadioNet(const CRadioNet&) = delete;
    CRadioNet& operator=(const CRadioNet&) = delete;

    int kind() const { return kind_; }
    // The link for the plug-in: an IRadioSocket* for PR_NET_IRDA, an IRadioSerial* for
    // PR_NET_SP, as CreateRW expects it.
    void* link() const;
    CRadioSocket* Socket() const { return socket_.get(); }
    CRadioSerial* Serial() const { return serial_.get(); }

  private:
    int kind_;
    std::unique_ptr<CRadioSocket> socket_;
    std::unique_ptr<CRadioSerial> serial_;
};

// IrDA when the model allows it (and then nothing else), else the serial ports when allowed;
// null when no radio the qualifier accepts was found. Reports nothing itself.
std::unique_ptr<CRadioNet> FindRadio(IRadioQualifier& qualifier, CLinkPorts& ports);
