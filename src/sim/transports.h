#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <vector>

#include "sim/line_context.h"
#include "sim/outbox.h"

namespace zep::sim {

// A line reachable over TCP on 127.0.0.1: every connection talks to the same readers,
// each reply goes back on the connection that carried the command.
class tcp_line : public QObject {
  public:
    tcp_line(line_context context, QObject* parent);

    bool listen(quint16 port, QString* error);
    quint16 port() const { return server_.serverPort(); }

  private:
    void accept();

    line_context context_;
    QTcpServer server_;
    std::vector<QPointer<QTcpSocket>> sockets_;  // for what readers print unprompted
};

// An RS-422 multi-drop line on a pseudo-terminal. Clients open the slave path.
class pty_line : public QObject {
  public:
    pty_line(line_context context, QObject* parent);
    ~pty_line() override;

    bool open(QString* error);
    QString path() const { return path_; }

  private:
    void read_master();
    void write(const QByteArray& bytes);
    void flush_pending();

    line_context context_;
    line_decoder decoder_;
    int connection_ = 0;
    int master_ = -1;
    int slave_ = -1;  // kept open so the master never sees a hang-up between clients
    QString path_;
    QSocketNotifier* readable_ = nullptr;
    QSocketNotifier* writable_ = nullptr;
    QTimer retry_;
    QByteArray pending_;
    outbox* out_ = nullptr;
};

}  // namespace zep::sim
