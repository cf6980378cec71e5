#include "qt/qt_comm_port.h"

#include <QFileInfo>

#include "link/port_access.h"

namespace bsms::qt {

QtCommPort::QtCommPort(std::filesystem::path folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {
    connect(&serial_, &QSerialPort::readyRead, this, [this] {
        received_ += serial_.readAll();
        raiseComm();
    });
    connect(&serial_, &QSerialPort::errorOccurred, this, &QtCommPort::onError);
}

QtCommPort::~QtCommPort() {
    onComm = nullptr;
    if (serial_.isOpen()) serial_.close();
}

bool QtCommPort::portOpen() const {
    return serial_.isOpen();
}

std::string QtCommPort::device() const {
    if (!fixedDevice_.empty()) return fixedDevice_;
    return ResolvePortDevice(folder_, commPort());
}

void QtCommPort::open() {
    const std::string dev = device();
    if (dev.empty()) {
        throw CommError(CommError::Kind::NoDevice,
                        "No device for port " + std::to_string(commPort()), {}, {},
                        PortDeviceCandidates(folder_, commPort()));
    }
    // Links (comN, /dev/serial/by-id) are followed to the real device.
    const QString path = QFileInfo(QString::fromStdString(dev)).canonicalFilePath();
    if (path.isEmpty()) throw CommError(CommError::Kind::NoDevice, "No such device", dev);
    // Qt takes the line for itself (TIOCEXCL and a lock file), so a second opener is refused; but
    // root passes TIOCEXCL and a program that asks for neither is not stopped, so who holds the
    // device is looked for first.
    if (auto holders = DeviceHolders(dev); !holders.empty())
        throw CommError(CommError::Kind::Busy, "Device in use", dev, std::move(holders));
    serial_.setPortName(path);
    apply();
    received_.clear();
    if (!serial_.open(QIODevice::ReadWrite)) {
        const auto error = serial_.error();
        const std::string why = serial_.errorString().toStdString();
        serial_.clearError();
        // Qt reports a device held by another (EBUSY, or its lock file) as a permission error.
        if (error == QSerialPort::PermissionError && MayReadWrite(path.toStdString()))
            throw CommError(CommError::Kind::Busy, why, dev, DeviceHolders(dev));
        if (error == QSerialPort::PermissionError)
            throw CommError(CommError::Kind::NoPermission, why, dev);
        if (error == QSerialPort::DeviceNotFoundError)
            throw CommError(CommError::Kind::NoDevice, why, dev);
        throw CommError(CommError::Kind::OpenFailed, why, dev);
    }
    apply();
}

void QtCommPort::close() {
    serial_.close();
    received_.clear();
}

void QtCommPort::reconfigure() {
    apply();
}

void QtCommPort::apply() {
    const auto s = ParseCommSettings(settings());
    if (!s) return;
    serial_.setBaudRate(s->baud);
    serial_.setDataBits(static_cast<QSerialPort::DataBits>(s->dataBits));
    switch (s->parity) {
        case 'e':
            serial_.setParity(QSerialPort::EvenParity);
            break;
        case 'o':
            serial_.setParity(QSerialPort::OddParity);
            break;
        case 'm':
            serial_.setParity(QSerialPort::MarkParity);
            break;
        case 's':
            serial_.setParity(QSerialPort::SpaceParity);
            break;
        default:
            serial_.setParity(QSerialPort::NoParity);
            break;
    }
    serial_.setStopBits(s->stopBits10 == 20   ? QSerialPort::TwoStop
                        : s->stopBits10 == 15 ? QSerialPort::OneAndHalfStop
                                              : QSerialPort::OneStop);
    // Both flow controls at once are not offered by the toolkit; hardware flow wins.
    serial_.setFlowControl(handshaking() >= 2   ? QSerialPort::HardwareControl
                           : handshaking() == 1 ? QSerialPort::SoftwareControl
                                                : QSerialPort::NoFlowControl);
}

void QtCommPort::output(const std::string& bytes) {
    if (!serial_.isOpen()) return;
    // A device that takes less than it is given has gone: it is closed like an unplugged one.
    const qint64 n = serial_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (n != static_cast<qint64>(bytes.size())) onError(QSerialPort::WriteError);
}

std::string QtCommPort::input() {
    if (serial_.isOpen() && serial_.bytesAvailable() > 0) received_ += serial_.readAll();
    std::string out(received_.constData(), static_cast<std::size_t>(received_.size()));
    received_.clear();
    return out;
}

void QtCommPort::closeLost() {
    if (serial_.isOpen()) serial_.close();
}

void QtCommPort::onError(QSerialPort::SerialPortError error) {
    // An unplugged device reports read errors without end (or a resource error) and stays open:
    // close it so the status shows the loss and the window thread does not spin.
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
        error == QSerialPort::WriteError) {
        // Closing from inside the port's own notification is not safe: do it right after.
        QMetaObject::invokeMethod(this, "closeLost", Qt::QueuedConnection);
    }
}

}  // namespace bsms::qt
