// The serial port as the program uses it: port number, settings text, flow control, open state,
// output, input, and an event raised on the window thread when characters have arrived.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace bsms {

class CommError : public std::runtime_error {
  public:
    enum class Kind {
        BadPortNumber,
        BadSettings,
        BadHandshaking,
        PortOpen,
        OpenFailed,
        NoPermission
    };
    CommError(Kind kind, const std::string& what, std::string device = {})
        : std::runtime_error(what), kind_(kind), device_(std::move(device)) {}
    Kind kind() const { return kind_; }
    // The device that could not be opened, when known.
    const std::string& device() const { return device_; }

  private:
    Kind kind_;
    std::string device_;
};

struct CommSettings {
    int baud = 19200;
    char parity = 'n';    // n, e, o, m, s
    int dataBits = 8;     // 5 to 8
    int stopBits10 = 10;  // stop bits times ten: 10, 15 or 20
};

// "9600,n,8,1" and the like; nothing when malformed.
std::optional<CommSettings> ParseCommSettings(const std::string& text);

// The device behind port number n: the link "comN" in the program's folder wins; otherwise the
// first that exists of /dev/ttyUSB{n-1}, /dev/ttyACM{n-1}, /dev/ttyS{n-1}. Empty when none.
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
