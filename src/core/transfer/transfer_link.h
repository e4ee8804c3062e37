#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "core/link/link_endpoint.h"
#include "core/link/reader_exchange.h"
#include "core/result.h"

namespace zep {
class operator_port;
}

namespace zep::transfer {

inline constexpr auto downloading_text = "Downloading";
inline constexpr auto uploading_text = "Uploading";
inline constexpr auto no_response_text = "No response from reader";

// What a transfer shows besides its messages: the status label ("Downloading") and the
// count of records moved (total 0 when not known beforehand).
struct transfer_view {
    std::function<void(const QString&)> status = [](const QString&) {};
    std::function<void(qint64 done, qint64 total)> count = [](qint64, qint64) {};
};

enum class transfer_end { done, failed, cancelled };

// How a transfer ended. `text` is the message the operator was shown (the completion
// with its blanks, or the failure); `more` holds messages that followed it.
struct transfer_outcome {
    transfer_end end = transfer_end::failed;
    QString text;
    QStringList more;
    bool ok() const { return end == transfer_end::done; }
};

// "Records Downloaded: 00012": the count as five digits.
QString records_text(const char* caption, qint64 count);

// One transfer's conversation with the single reader. Each step is one thing the reader
// sees on the wire; the operations put them in their own order. The link is closed and
// the status and progress lines cleared when the transfer ends, on every path.
class transfer_link {
  public:
    transfer_link(link::reader_link& link, const link::link_endpoint& endpoint,
                  operator_port& person, const transfer_view& view);
    ~transfer_link();
    transfer_link(const transfer_link&) = delete;
    transfer_link& operator=(const transfer_link&) = delete;

    // Opens the port or connects (on TCP with the wake-up at once). A failure carries
    // "Unable to open comm port" or "Unable to establish tcp/ip connection".
    status open();
    bool tcp() const { return endpoint_.tcp(); }
    bool protocol() const { return endpoint_.protocol; }
    bool cancelled();

    void flush() { exchange_.flush(); }
    void wake_up() { exchange_.wake_up(); }
    void ack() { exchange_.send_ack(); }
    void send(const QByteArray& command) { exchange_.send_frame(command); }
    void pause(int ms);
    // The reply to what was sent; nullopt on time-out, cancel or a bad frame.
    std::optional<QByteArray> read(int timeout_ms, bool double_terminator = false);
    // Protocol mode: the ACK that answers a command without data. Plain mode: true.
    bool acknowledged(int timeout_ms);

    operator_port& person() { return person_; }
    void show_status(const QString& text) { view_.status(text); }
    void progress(const QString& text);
    void count(qint64 done, qint64 total = 0) { view_.count(done, total); }

    // Ends the transfer with a message box (also the completion), or without one.
    transfer_outcome told(transfer_end end, const QString& text, const QStringList& more = {});
    transfer_outcome told(transfer_end end, const char* text) {
        return told(end, QString::fromLatin1(text));
    }
    transfer_outcome cancel();

  private:
    operator_port& person_;
    transfer_view view_;
    link::link_endpoint endpoint_;
    link::cancel_scope cancel_;  // waits on the link stop when the operator cancels
    link::reader_exchange exchange_;
};

}  // namespace zep::transfer
