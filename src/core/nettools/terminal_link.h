#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "core/link/link_endpoint.h"

class QSerialPort;
class QTcpSocket;

namespace zep::nettools {

// The link state texts of terminal mode, as the operator sees them.
inline constexpr auto comm_port_open_text = "Status: comm port open";
inline constexpr auto unable_to_open_comm_port_text = "Status: unable to open comm port";
inline constexpr auto attempting_connection_text = "Attempting Connection to IP device";
inline constexpr auto tcp_connected_text = "Status: tcp/ip port connected";
inline constexpr auto unable_to_connect_text = "Status: unable to connect to tcp/ip port";

// The link of terminal mode: open for as long as its terminal is, driven by the event loop
// of the thread that made it. Bytes are handed on as they arrive; nothing is ever
// acknowledged or waited for.
class terminal_link final : public QObject {
    Q_OBJECT
  public:
    // The connection is looked for ten times, 100 ms apart.
    static constexpr int connect_polls = 10;
    static constexpr int connect_poll_ms = 100;

    explicit terminal_link(QObject* parent = nullptr);
    ~terminal_link() override;

    // Opens the serial port, or starts connecting; the outcome comes as status_changed.
    void open(const link::link_endpoint& endpoint);
    void close();

    // Over TCP, keys count only while connected.
    bool takes_keys() const;
    // Writes one byte when the line is up; false when it went nowhere.
    bool send(unsigned char byte);
    const QString& status_text() const { return status_; }

  Q_SIGNALS:
    void status_changed(const QString& text);
    void received(const QByteArray& bytes);

  private:
    void set_status(const char* text);
    void poll_connection();

    bool tcp_ = false;
    std::unique_ptr<QSerialPort> serial_;
    std::unique_ptr<QTcpSocket> socket_;
    QTimer connect_timer_;
    int polls_ = 0;
    QString status_;
};

}  // namespace zep::nettools
