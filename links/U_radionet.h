#pragma once
// The found link and the radio search across the link kinds a model allows.

#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "U_irdaadapters.h"
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
    // Why the default infrared folder is not used; "" when it is.
    std::string irdaRefusal;
    // The platform was named where the program was started: the window's choice does not apply.
    bool irdaFixed = false;
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
    // Why no infrared radio can be found, for the user; "" when the infrared link is usable.
    const std::string& IrdaRefusal() const { return irdaPlatform_.refusal; }

    // The platform the ports were made with, which the window's automatic choice stands for.
    const SIrdaPlatformChoice& AutomaticIrdaPlatform() const { return automatic_; }
    // The window's kept choice of an adapter (see ChosenIrdaPlatform); the platform is made
    // anew when the choice changes it. Only while no link is open.
    void ChooseIrdaPlatform(const std::string& setting);
    // The adapters to choose among, the kept choice among them.
    std::vector<SIrdaAdapterOption> IrdaAdapters(const std::string& kept) const;
    // Where USB adapters are sought: the host's USB unless a test gives its own bus.
    void SetUsbBus(usb::BusFactory bus);

  private:
    void UsePlatform(const SIrdaPlatformChoice& choice);

    SIrdaPlatformChoice automatic_;
    SIrdaPlatformChoice irdaPlatform_;
    usb::BusFactory usbBus_;
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
    // How a write session on this link ended; Open on the serial link, which cannot ask the
    // radio for its bank.
    ESessionEnd SessionEnd() const;
    // Written, but the radio's answer to the end of the session was lost.
    bool WriteUnconfirmed() const { return SessionEnd() == ESessionEnd::Unconfirmed; }
    // Why the link broke ("ИК-адаптер … отключён", "Порт … отключён"), to follow a failed
    // read's or write's message; "" when nothing is known.
    std::string Failure() const;

  private:
    int kind_;
    std::unique_ptr<CRadioSocket> socket_;
    std::unique_ptr<CRadioSerial> serial_;
};

// IrDA when the model allows it (and then nothing else), else the serial ports when allowed;
// null when no radio the qualifier accepts was found. Reports nothing itself. With several
// radios of the model in range it takes the first found; ListRadios and OpenRadio tell them
// apart.
std::unique_ptr<CRadioNet> FindRadio(IRadioQualifier& qualifier, CLinkPorts& ports);

// A radio that a model's qualifier accepted, as a search found it.
struct SFoundRadio {
    std::string model;         // the model identifier the radio reported ("ALDER")
    std::string serialNumber;  // decimal text, as IRadio::SerialNumber shows it
    int kind = 0;              // PR_NET_IRDA or PR_NET_SP
    std::string device;        // IrDA: the device identifier, "0x0000002a"; serial: the port

    bool operator==(const SFoundRadio&) const = default;
};

// "0x0000002a": an IrDA device identifier (little-endian on the wire) as the list shows it.
std::string IrdaDeviceText(std::span<const std::uint8_t, 4> id);

// Every radio in range that the qualifier accepts, on the link kind FindRadio uses for the
// qualifier's model, in search order (IrDA: the devices as reported, at most five; serial: the
// port list). Each candidate is identified and qualified: the qualifier reads its probe segment
// and stores the radio's serial number in the IRadio, as in FindRadio; no other memory is read.
// A rejected device or a radio of another model is passed over and the search goes on.
struct SRadioSearch {
    std::vector<SFoundRadio> found;
    // The link to found.front() when it is the only radio found and the last device searched,
    // so still connected (the usual case of one radio in range: no second connection); else
    // null, and no link is open.
    std::unique_ptr<CRadioNet> net;
};
SRadioSearch SearchRadios(IRadioQualifier& qualifier, CLinkPorts& ports);

// SearchRadios without a link: afterwards no link is open. Empty when nothing was accepted.
std::vector<SFoundRadio> ListRadios(IRadioQualifier& qualifier, CLinkPorts& ports);

// The link to the radio with this serial number that the qualifier accepts, searched as
// ListRadios searches; null when no such radio is in range ("not found"). Over IrDA a device
// whose identification names another serial number is passed over unqualified; over the serial
// link (whose identification has no serial number) each radio before it is qualified and closed.
// With two radios of one serial number the first found is opened.
std::unique_ptr<CRadioNet> OpenRadio(IRadioQualifier& qualifier, CLinkPorts& ports,
                                     const std::string& serialNumber);
