// The serial port on Qt Serial Port. Arrivals are raised on the window thread.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <filesystem>

#include "core/comm_port.h"

namespace bsms::qt {

class QtCommPort : public QObject, public CommPort {
    Q_OBJECT
  public:
    // Port numbers resolve to devices through the program's folder (its "comN" links).
    explicit QtCommPort(std::filesystem::path folder, QObject* parent = nullptr);
    ~QtCommPort() override;

    bool portOpen() const override;
    void output(const std::string& bytes) override;
    std::string input() override;
    // The device the current port number resolves to, or empty.
    std::string device() const;
    // Opens this device whatever the port number (the search for the phone tries each so).
    void setDevice(std::string device) { fixedDevice_ = std::move(device); }

  protected:
    void open() override;
    void close() override;
    void reconfigure() override;

  private:
    // Closes a device that has gone, right after Qt's own notification of it.
    Q_INVOKABLE void closeLost();
    void apply();
    void onError(QSerialPort::SerialPortError error);

    std::filesystem::path folder_;
    std::string fixedDevice_;
    QSerialPort serial_;
    QByteArray received_;
};

}  // namespace bsms::qt
