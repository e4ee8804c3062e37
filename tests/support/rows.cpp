#include "tests/support/rows.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTcpServer>

namespace zep::test {

data::reader_row reader_row(int number, const QString& commmode, int address) {
    data::reader_row r;
    r.readernum = static_cast<qint16>(number);
    r.readername = QStringLiteral("Reader %1").arg(number);
    r.location = QStringLiteral("Site %1").arg(number);
    r.active = QStringLiteral("Y");
    r.timezone = QStringLiteral("0");
    r.commmode = commmode;
    r.protocol = address >= 0 ? QStringLiteral("Y") : QStringLiteral("N");
    r.address422 = address >= 0 ? QString::number(address) : QString();
    return r;
}

data::reader_row tcp_reader_row(int number, quint16 port, int address) {
    data::reader_row r = reader_row(number, QStringLiteral("tcp/ip"), address);
    r.ipaddress = QStringLiteral("127.0.0.1");
    r.Port = QString::number(port);
    return r;
}

data::log_row log_row(const QString& date_time, const QString& idnum, int reader,
                      const QString& lastname, bool granted) {
    data::log_row row;
    row.DateTime = date_time;
    row.readernum = QStringLiteral("%1").arg(reader, 3, 10, QLatin1Char('0'));
    row.readername = QStringLiteral("Reader %1").arg(reader);
    row.idnum = idnum;
    row.lastname = lastname.isEmpty() ? QStringLiteral("unknown") : lastname;
    row.granted = granted ? QStringLiteral("Y") : QStringLiteral("N");
    return row;
}

quint16 closed_tcp_port() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost)) return 0;
    return server.serverPort();  // closed again when the server goes
}

silent_tcp_host::silent_tcp_host() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // A queue of one, filled by a connection nobody accepts.
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(listener_, 0) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return;
    }
    filler_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(filler_, reinterpret_cast<sockaddr*>(&address), size) != 0) return;
    port_ = ntohs(address.sin_port);
}

silent_tcp_host::~silent_tcp_host() {
    if (filler_ >= 0) ::close(filler_);
    if (listener_ >= 0) ::close(listener_);
}

}  // namespace zep::test
