#include "core/nettools/terminal_link.h"

#include <QSerialPort>
#include <QTcpSocket>

namespace zep::nettools {

terminal_link::terminal_link(QObject* parent) : QObject(parent) {
    connect_timer_.setInterval(connect_poll_ms);
    connect(&connect_timer_, &QTimer::timeout, this, &terminal_link::poll_connection);
}

terminal_link::~terminal_link() {
    close();
}

void terminal_link::set_status(const char* text) {
    status_ = QString::fromLatin1(text);
    Q_EMIT status_changed(status_);
}

void terminal_link::open(const link::link_endpoint& endpoint) {
    close();
    tcp_ = endpoint.tcp();
    if (!tcp_) {
        serial_ = std::make_unique<QSerialPort>();
        serial_->setPortName(endpoint.device);
        serial_->setBaudRate(endpoint.baud);
        serial_->setDataBits(QSerialPort::Data8);
        serial_->setParity(QSerialPort::NoParity);
        serial_->setStopBits(QSerialPort::OneStop);
        serial_->setFlowControl(QSerialPort::NoFlowControl);
        if (endpoint.device.isEmpty() || !serial_->open(QIODevice::ReadWrite)) {
            serial_.reset();
            set_status(unable_to_open_comm_port_text);
            return;
        }
        connect(serial_.get(), &QIODevice::readyRead, this,
                [this] { Q_EMIT received(serial_->readAll()); });
        set_status(comm_port_open_text);
        return;
    }
    socket_ = std::make_unique<QTcpSocket>();
    connect(socket_.get(), &QIODevice::readyRead, this,
            [this] { Q_EMIT received(socket_->readAll()); });
    set_status(attempting_connection_text);
    bool ok = false;
    const uint port = endpoint.port_text.trimmed().toUInt(&ok);
    if (ok && port > 0 && port <= 65535 && !endpoint.host.trimmed().isEmpty()) {
        socket_->connectToHost(endpoint.host.trimmed(), static_cast<quint16>(port));
    }
    polls_ = 0;
    connect_timer_.start();
}

void terminal_link::poll_connection() {
    if (socket_ && socket_->state() == QAbstractSocket::ConnectedState) {
        connect_timer_.stop();
        socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        set_status(tcp_connected_text);
        return;
    }
    if (++polls_ < connect_polls) return;
    connect_timer_.stop();
    if (socket_) socket_->abort();
    set_status(unable_to_connect_text);
}

void terminal_link::close() {
    connect_timer_.stop();
    if (serial_) {
        serial_->disconnect(this);
        serial_->close();
        serial_.reset();
    }
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
        socket_.reset();
    }
}

bool terminal_link::takes_keys() const {
    return !tcp_ || (socket_ && socket_->state() == QAbstractSocket::ConnectedState &&
                     !connect_timer_.isActive());
}

bool terminal_link::send(unsigned char byte) {
    QIODevice* device = tcp_ ? static_cast<QIODevice*>(socket_.get()) : serial_.get();
    if (device == nullptr || !device->isOpen()) return false;
    if (tcp_ && socket_->state() != QAbstractSocket::ConnectedState) return false;
    return device->write(QByteArray(1, static_cast<char>(byte))) == 1;
}

}  // namespace zep::nettools
