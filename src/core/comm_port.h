// The serial port as the program uses it: port number, settings text, flow control, open state,
// output, input, and an event raised on the window thread when characters have arrived.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace bsms {

// A process that has a device open: its name (as the system lists it) and its number.
struct PortHolder {
    int pid = 0;
    std::string name;
};

class CommError : public std::runtime_error {
  public:
    enum class Kind {
        BadPortNumber,
        BadSettings,
        BadHandshaking,
        PortOpen,
        OpenFailed,
        NoPermission,
        Busy,     // another process has the device open
        NoDevice  // nothing at the path, or no path for the port number
    };
    CommError(Kind kind, const std::string& what, std::string device = {},
              std::vector<PortHolder> holders = {}, std::vector<std::string> lookedFor = {})
        : std::runtime_error(what),
          kind_(kind),
          device_(std::move(device)),
          holders_(std::move(holders)),
          lookedFor_(std::move(lookedFor)) {}
    Kind kind() const { return kind_; }
    // The device that could not be opened, when known.
    const std::string& device() const { return device_; }
    // Busy: the processes seen holding the device; none when they could not be told.
    const std::vector<PortHolder>& holders() const { return holders_; }
    // NoDevice without a device: every path the port number was looked for at.
    const std::vector<std::string>& lookedFor() const { return lookedFor_; }

  private:
    Kind kind_;
    std::string device_;
    std::vector<PortHolder> holders_;
    std::vector<std::string> lookedFor_;
};

struct CommSettings {
    int baud = 19200;
    char parity = 'n';    // n, e, o, m, s
    int dataBits = 8;     // 5 to 8
    int stopBits10 = 10;  // stop bits times ten: 10, 15 or 20
};

// "9600,n,8,1" and the like; nothing when malformed.
std::optional<CommSettings> ParseCommSettings(const std::string& text);

// Where port number n is looked for, in order: the link "comN" in the program's folder, then
// /dev/ttyUSB{n-1}, /dev/ttyACM{n-1}, /dev/ttyS{n-1}. Empty for a number below 1.
std::vector<std::string> PortDeviceCandidates(const std::filesystem::path& folder, int n,
                                              const std::filesystem::path& devRoot = "/dev");
// The device behind port number n: the first candidate that exists, the link even when it points
// nowhere (the user's choice wins). Empty when none.
std::string ResolvePortDevice(const std::filesystem::path& folder, int n,
                              const std::filesystem::path& devRoot = "/dev");

class CommPort {
  public:
    virtual ~CommPort() = default;

    int commPort() const { return port_; }
    // Refused with CommError while the port is open or for a number below 1.
    void setCommPort(int n);
    const std::string& settings() const { return settings_; }
    void setSettings(const std::string& text);
    int handshaking() const { return handshaking_; }
    void setHandshaking(int mode);

    virtual bool portOpen() const = 0;
    // Opening fails with CommError; closing never fails.
    void setPortOpen(bool open);

    // Written unchanged and in order; does not wait.
    virtual void output(const std::string& bytes) = 0;
    // Everything received and not yet read; reading removes it.
    virtual std::string input() = 0;

    // Raised on the window thread when characters have arrived.
    std::function<void()> onComm;

  protected:
    virtual void open() = 0;  // throws CommError
    virtual void close() = 0;
    // Applies new parameters to an open port (only called while open).
    virtual void reconfigure() {}
    void raiseComm() {
        if (onComm) onComm();
    }

  private:
    int port_ = 1;
    std::string settings_ = "19200,n,8,1";
    int handshaking_ = 0;
};

}  // namespace bsms
