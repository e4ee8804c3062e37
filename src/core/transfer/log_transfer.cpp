#include "core/transfer/log_transfer.h"

#include "core/commands/upload_records.h"
#include "core/transfer/access_transfer.h"

namespace zep::transfer {

namespace {

constexpr auto start_silent_text = "Error 24 - Timeout while communicating with reader";
constexpr auto record_silent_text = "Error 01 - Timeout while communicating with reader";
// The reader answered, with something that is no transaction.
constexpr auto invalid_reply_text = "Invalid response from reader";

// Serial protocol mode waits 400 ms for the ACKs of "lr" and "cl"; TCP 200 ms after "lr"
// and 2000 ms after "cl".
struct log_profile {
    int start_ack_ms, record_ms, clear_ack_ms;
    const char* start_silent;
    const char* clear_silent;
};

constexpr log_profile serial_profile{400, 200, 400, start_silent_text, record_silent_text};
constexpr log_profile tcp_profile{200, 400, 2000, no_response_text, no_response_text};

const log_profile& profile_of(const transfer_link& t) {
    return t.tcp() ? tcp_profile : serial_profile;
}

}  // namespace

transfer_outcome upload_log(link::reader_link& link, const link::link_endpoint& reader,
                            const QString& path, line_end end, operator_port& person,
                            const transfer_view& view) {
    transfer_link t(link, reader, person, view);
    if (const status opened = t.open(); !opened)
        return t.told(transfer_end::failed, opened.error());
    const log_profile& p = profile_of(t);
    t.show_status(QString::fromLatin1(uploading_text));
    t.flush();
    t.wake_up();
    t.send("lr");
    if (!t.acknowledged(p.start_ack_ms)) return t.told(transfer_end::failed, p.start_silent);
    upload_file file(path, end);
    if (const status made = file.open(); !made) return t.told(transfer_end::failed, made.error());
    std::optional<QString> failed;
    for (;;) {
        t.flush();
        t.send("l");
        // A record whose last character is the terminator is followed at once by the real one.
        const auto answer = t.read(p.record_ms, true);
        if (t.cancelled()) {
            failed = QString();
            break;
        }
        if (!answer) {
            failed = QString::fromLatin1(record_silent_text);
            break;
        }
        if (t.protocol()) t.ack();
        if (commands::is_end_reply(*answer)) break;
        // A transaction holds at least its status and its date and time. Anything shorter (a
        // plain "?" refusal) is none, and a reader that gives it to every "l" would never say
        // "END".
        if (!commands::decode_log_record(*answer)) {
            failed = QString::fromLatin1(invalid_reply_text);
            break;
        }
        file.write_line(*answer);
        t.progress(records_text("Records Uploaded: ", file.lines()));
        t.count(file.lines());
    }
    // The lines received so far stay in the file, whatever ended the upload.
    const status closed = file.close();
    if (failed && failed->isEmpty()) return t.cancel();
    if (failed) return t.told(transfer_end::failed, *failed);
    if (!closed) return t.told(transfer_end::failed, closed.error());
    return t.told(transfer_end::done, upload_complete_text);
}

transfer_outcome clear_log(link::reader_link& link, const link::link_endpoint& reader,
                           operator_port& person) {
    transfer_link t(link, reader, person, {});
    if (const status opened = t.open(); !opened)
        return t.told(transfer_end::failed, opened.error());
    t.flush();
    t.wake_up();
    t.send("cl");
    if (!t.acknowledged(profile_of(t).clear_ack_ms)) {
        return t.told(transfer_end::failed, profile_of(t).clear_silent);
    }
    return t.told(transfer_end::done, log_cleared_text);
}

}  // namespace zep::transfer
