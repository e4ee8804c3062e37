#pragma once

#include <QByteArray>

#include "core/link/link_endpoint.h"
#include "core/link/reader_link.h"
#include "core/result.h"

namespace zep::link {

// One conversation with one reader over the shared link: open (or connect), flush and
// wake up, then commands, one outstanding at a time; the link is closed when the
// exchange ends, on every path. The same steps serve serial and TCP.
class reader_exchange {
  public:
    reader_exchange(reader_link& link, link_endpoint endpoint);
    ~reader_exchange();
    reader_exchange(const reader_exchange&) = delete;
    reader_exchange& operator=(const reader_exchange&) = delete;

    // Opens the port or connects, flushes, and on TCP sends the wake-up (CR plain,
    // ACK protocol). A failure carries the operator's message.
    status open();
    void close();

    // Sends one command (serial protocol mode: preceded by an ACK) and reads its reply;
    // in protocol mode a good reply is acknowledged. Commands to the global address get
    // no reply and none is awaited.
    link_read command(const QByteArray& text, int timeout_ms, bool double_terminator = false);
    // As command(), for a command whose answer is not known: in protocol mode a lone ACK
    // with nothing after it until the time-out is the whole answer, with empty text.
    link_read command_or_ack(const QByteArray& text, int timeout_ms);
    // A command without data: protocol mode waits for the ACK; plain mode does not wait.
    bool command_ack(const QByteArray& text, int timeout_ms);
    // Sends the command and waits for nothing.
    bool send_command(const QByteArray& text);

    // The pieces, for operations with their own order of steps.
    bool wake_up();
    bool send_ack();
    bool send_frame(const QByteArray& text);
    link_read read_reply(int timeout_ms, bool double_terminator = false);
    void flush();
    bool wait_ack(int timeout_ms);

  private:
    bool to_global_address() const;
    byte_stream& stream();

    reader_link& link_;
    link_endpoint endpoint_;
    bool open_ = false;
};

}  // namespace zep::link
