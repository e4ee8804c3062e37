#include "sim/transports.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QTcpSocket>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zep::sim {

namespace {

constexpr int retry_ms = 20;

// One TCP connection: its own decoder and reply queue, the line's readers.
class tcp_session : public QObject {
  public:
    tcp_session(QTcpSocket* socket, const line_context& context)
        : QObject(socket),
          socket_(socket),
          context_(context),
          connection_(context.open_connection()),
          out_([this](const QByteArray& bytes) { send(bytes); }, [this] { drop(); },
               [this] { return socket_->bytesToWrite(); }, this) {
        QObject::connect(socket_, &QTcpSocket::readyRead, this, [this] { receive(); });
        QObject::connect(socket_, &QTcpSocket::disconnected, this, [this] {
            if (!dropped_) context_.note_closed();
            socket_->deleteLater();
        });
    }

  private:
    void receive() {
        const QByteArray bytes = socket_->readAll();
        if (dropped_) return;
        for (const outgoing& reply : context_.process(decoder_, bytes, connection_)) {
            out_.push(reply);
        }
    }

    void send(const QByteArray& bytes) {
        socket_->write(bytes);
        socket_->flush();  // each write its own segment, so split replies stay split
    }

    void drop() {
        dropped_ = true;
        socket_->disconnectFromHost();
    }

    QTcpSocket* socket_;
    line_context context_;
    int connection_;
    line_decoder decoder_;
    outbox out_;
    bool dropped_ = false;
};

QString errno_text(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

// X-mode readers print their scans without being asked, each on its own timer.
void start_scans(const line_context& context, QObject* owner,
                 const std::function<void(const QByteArray&)>& put) {
    std::vector<int> intervals;
    {
        std::lock_guard lock(*context.mutex);
        for (const reader& r : *context.readers)
            intervals.push_back(r.scans.empty() ? 0 : r.scan_interval_ms);
    }
    for (std::size_t i = 0; i < intervals.size(); ++i) {
        if (intervals[i] <= 0) continue;
        auto* timer = new QTimer(owner);
        timer->setInterval(intervals[i]);
        QObject::connect(timer, &QTimer::timeout, owner, [context, i, put] {
            std::optional<QByteArray> scan;
            {
                std::lock_guard lock(*context.mutex);
                scan = (*context.readers)[i].take_scan();
            }
            if (scan) put(*scan);
        });
        timer->start();
    }
}

}  // namespace

tcp_line::tcp_line(line_context context, QObject* parent)
    : QObject(parent), context_(std::move(context)) {
    QObject::connect(&server_, &QTcpServer::newConnection, this, [this] { accept(); });
    start_scans(context_, this, [this](const QByteArray& bytes) {
        for (const QPointer<QTcpSocket>& socket : sockets_) {
            if (socket) socket->write(bytes);
        }
    });
}

bool tcp_line::listen(quint16 port, QString* error) {
    if (server_.listen(QHostAddress::LocalHost, port)) return true;
    if (error != nullptr)
        *error = QStringLiteral("tcp line %1: %2").arg(context_.index).arg(server_.errorString());
    return false;
}

void tcp_line::accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        new tcp_session(socket, context_);
        std::erase_if(sockets_, [](const QPointer<QTcpSocket>& s) { return s.isNull(); });
        sockets_.emplace_back(socket);
    }
}

pty_line::pty_line(line_context context, QObject* parent)
    : QObject(parent), context_(std::move(context)) {
    out_ = new outbox([this](const QByteArray& bytes) { write(bytes); }, {},
                      [this] { return static_cast<qint64>(pending_.size()); }, this);
    retry_.setInterval(retry_ms);
    QObject::connect(&retry_, &QTimer::timeout, this, [this] { read_master(); });
}

pty_line::~pty_line() {
    delete readable_;
    delete writable_;
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

bool pty_line::open(QString* error) {
    auto fail = [&](const char* what) {
        if (error != nullptr)
            *error = QStringLiteral("pty line %1: ").arg(context_.index) + errno_text(what);
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return fail("grantpt");
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
    path_ = QString::fromLocal8Bit(name);
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return fail("open slave");
    termios raw{};
    if (::tcgetattr(slave_, &raw) != 0) return fail("tcgetattr");
    ::cfmakeraw(&raw);  // no echo, no line editing: bytes pass as they are
    if (::tcsetattr(slave_, TCSANOW, &raw) != 0) return fail("tcsetattr");
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    connection_ = context_.open_connection();
    start_scans(context_, this, [this](const QByteArray& bytes) { out_->push(outgoing{bytes}); });
    readable_ = new QSocketNotifier(master_, QSocketNotifier::Read);
    QObject::connect(readable_, &QSocketNotifier::activated, this, [this] { read_master(); });
    writable_ = new QSocketNotifier(master_, QSocketNotifier::Write);
    writable_->setEnabled(false);
    QObject::connect(writable_, &QSocketNotifier::activated, this, [this] { flush_pending(); });
    return true;
}

void pty_line::read_master() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            const QByteArrayView bytes(buffer, static_cast<qsizetype>(n));
            for (const outgoing& reply : context_.process(decoder_, bytes, connection_)) {
                out_->push(reply);
            }
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            retry_.stop();
            readable_->setEnabled(true);
            return;
        }
        // EIO: no slave open. Poll quietly until a client opens it again.
        readable_->setEnabled(false);
        retry_.start();
        return;
    }
}

void pty_line::write(const QByteArray& bytes) {
    pending_ += bytes;
    flush_pending();
}

void pty_line::flush_pending() {
    while (!pending_.isEmpty()) {
        const ssize_t n =
            ::write(master_, pending_.constData(), static_cast<size_t>(pending_.size()));
        if (n > 0) {
            pending_.remove(0, static_cast<qsizetype>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            writable_->setEnabled(true);  // the slave's queue is full; go on when it drains
            return;
        } else {
            pending_.clear();  // nobody can receive it
        }
    }
    writable_->setEnabled(false);
}

}  // namespace zep::sim
