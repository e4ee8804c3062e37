#include "core/transfer/access_transfer.h"

#include <QFile>
#include <vector>

#include "core/commands/upload_records.h"
#include "core/operator.h"
#include "core/transfer/access_verify.h"
#include "core/transfer/download_file.h"

namespace zep::transfer {

namespace {

constexpr int longest_id = 18;
constexpr int schedule_digits = 3;
constexpr int shortest_record_length = 4;
constexpr int probe_first = 18;
constexpr int probe_last = 4;
constexpr int memory_field = 5;

constexpr auto querying_text = "Querying Reader";
constexpr auto querying_progress_text = "Querying Reader - Please Wait";
constexpr auto checking_text = "Checking File - Please Wait";
constexpr auto records_downloaded = "Records Downloaded: ";
constexpr auto records_uploaded = "Records Uploaded: ";
constexpr auto too_long_text = "Data file contains records > 18 characters - cannot download";
constexpr auto too_large_text =
    "Data file contains records that are too large for the settings in the reader - cannot "
    "download";
constexpr auto no_room_text =
    "Cannot download file - there are more records in the file than space in the reader";
constexpr auto skipped_text = "Records skipped (too short): ";

// Where the serial and TCP forms of the access-list transfers differ: time-outs, the
// message a silent reader gets at each step, and a few steps of their own.
struct access_profile {
    int probe_ms, memory_ms, add_ms, ack_ms, second_clear_ack_ms, upload_ms;
    const char* first_clear_silent;   // no ACK after the query phase's "cd"
    const char* length_silent;        // no ACK after "\"
    const char* final_clear_silent;   // no ACK after the "cd" before the records
    const char* memory_silent;        // no "z" answer, without autoconfigure
    const char* memory_silent_auto;   // no "z" answer, with autoconfigure
    const char* memory_short_auto;    // a "z" answer under 5 characters, with autoconfigure
    const char* add_silent;           // no "AN" answer
    const char* upload_start_silent;  // no ACK after "ur"
    const char* clear_silent;         // no ACK after "cd" of the clear action
    int length_pause_ms;              // after "\"
    bool query_progress_line;         // "Querying Reader - Please Wait"
    bool clear_after_probe;           // a second "cd" once the probe is done
    bool empty_add_answer_check;      // "Error 07" for an empty "AN" answer
    bool skip_short_records;          // records under 4 (7) characters are not sent
};

constexpr access_profile serial_profile{200,
                                        800,
                                        800,
                                        400,
                                        400,
                                        200,
                                        "Error 14 - Timeout while communicating with reader",
                                        "Error 12 - Timeout while communicating with reader",
                                        "Error 15 - Timeout while communicating with reader",
                                        "Error 02 - Timeout while communicating with reader",
                                        "Error 04 - Timeout while communicating with reader",
                                        "Error 05 - Error communicating with reader",
                                        "Error 06 - Timeout while communicating with reader",
                                        "Error 24 - Timeout while communicating with reader",
                                        "Error 01 - Timeout while communicating with reader",
                                        500,
                                        true,
                                        false,
                                        true,
                                        false};

constexpr access_profile tcp_profile{2000,
                                     2000,
                                     2000,
                                     2000,
                                     200,
                                     2000,
                                     no_response_text,
                                     no_response_text,
                                     no_response_text,
                                     no_response_text,
                                     no_response_text,
                                     "Error 03 - Error communicating with reader",
                                     no_response_text,
                                     no_response_text,
                                     no_response_text,
                                     200,
                                     false,
                                     true,
                                     false,
                                     true};

const access_profile& profile_of(const transfer_link& t) {
    return t.tcp() ? tcp_profile : serial_profile;
}

constexpr auto probe_failed_text = "Error 01 - Error communicating with reader";
constexpr auto memory_short_text = "Error 03 - Error communicating with reader";
constexpr auto empty_add_answer_text = "Error 07 - Error communicating with reader";
constexpr auto add_refused_text = "Error 08 - Error communicating with reader";
constexpr auto upload_silent_text = "Error 01 - Timeout while communicating with reader";
// The reader answered, with something that is no record.
constexpr auto invalid_reply_text = "Invalid response from reader";

bool with_schedule(access_layout layout) {
    return layout == access_layout::schedule_and_id;
}

// What the file check learns before anything is sent.
struct file_survey {
    qint64 records = 0;
    qint64 short_records = 0;  // under 4 (7) characters: TCP skips them
    qsizetype longest = 0;     // longest ID, without the schedule digits
    bool too_long = false;
    bool cancelled = false;
    bool unreadable = false;
};

file_survey survey(const QString& path, access_layout layout, transfer_link& t) {
    file_survey s;
    QFile file(path);
    if (!open_download_file(file)) {
        s.unreadable = true;
        return s;
    }
    const int schedule = with_schedule(layout) ? schedule_digits : 0;
    download_file_reader reader(file, longest_id + schedule);
    reader.set_cancel_check([&t] { return t.cancelled(); });
    while (const auto record = reader.next()) {
        if (t.cancelled()) {
            s.cancelled = true;
            return s;
        }
        if (record->text.isEmpty()) continue;
        ++s.records;
        if (record->text.size() < shortest_record_length + schedule) ++s.short_records;
        if (record->too_long) s.too_long = true;
        s.longest = std::max(s.longest, record->text.size() - schedule);
    }
    s.cancelled = reader.cancelled();
    s.unreadable = reader.failed();
    return s;
}

// The record-length probe: the longest run of zeros the reader takes as an ID.
std::optional<int> probe_record_length(transfer_link& t, const access_profile& p, bool& stop) {
    for (int n = probe_first; n >= probe_last; --n) {
        t.flush();
        t.send("AC000" + QByteArray(n, '0'));
        const auto answer = t.read(p.probe_ms);
        if (t.cancelled()) {
            stop = true;
            return std::nullopt;
        }
        if (answer && t.protocol()) t.ack();
        if (answer == QByteArray("A")) return n;
    }
    return std::nullopt;
}

// Sends "z" and takes the free download slots from its answer.
std::optional<qint64> free_slots(transfer_link& t, int timeout_ms, bool old_firmware,
                                 QByteArray& answer) {
    t.send("z");
    const auto reply = t.read(timeout_ms);
    if (!reply) return std::nullopt;
    if (t.protocol()) t.ack();
    answer = *reply;
    if (answer.size() < memory_field) return -1;
    return answer.mid(old_firmware ? memory_field : 0, memory_field).trimmed().toLongLong();
}

// One record as the reader holds it: ID without leading blanks, and its schedule.
struct held_record {
    QByteArray id;
    int schedule = 0;
};

// Restarts the reader's list at its first record ("ur").
std::optional<QString> start_read_back(transfer_link& t, const access_profile& p) {
    t.flush();
    t.wake_up();
    t.send("ur");
    if (!t.acknowledged(p.ack_ms)) return QString::fromLatin1(p.upload_start_silent);
    return std::nullopt;
}

// Reads the list ("u" until "END"), handing each record to `take`. nullopt once "END"
// came; an empty text when cancelled; else the failure text.
std::optional<QString> read_records(transfer_link& t, const access_profile& p,
                                    const std::function<void(const held_record&)>& take) {
    for (;;) {
        t.flush();
        t.send("u");
        // A schedule whose code is the terminator is followed at once by the real one.
        const auto answer = t.read(p.upload_ms, true);
        if (t.cancelled()) return QString();
        if (!answer) return QString::fromLatin1(upload_silent_text);
        if (t.protocol()) t.ack();
        QByteArray text = *answer;
        while (text.startsWith(' ')) text.remove(0, 1);
        if (commands::is_end_reply(text)) return std::nullopt;
        // Every record holds an ID and its schedule character. Anything shorter (a plain "?"
        // refusal) is no record, and a reader that gives it to every "u" would never say "END".
        if (text.size() < 2) return QString::fromLatin1(invalid_reply_text);
        take({text.left(text.size() - 1), static_cast<unsigned char>(text.back())});
    }
}

QByteArray trimmed_front(QByteArray id) {
    while (id.startsWith(' ')) id.remove(0, 1);
    return id;
}

// Compares what the reader now holds with the records sent.
QString verify(transfer_link& t, const access_profile& p, const access_ids& sent,
               access_layout layout) {
    access_ids held;
    auto failed = start_read_back(t, p);
    if (!failed)
        failed = read_records(t, p, [&](const held_record& r) { held.insert(r.id, r.schedule); });
    if (failed) {
        if (failed->isEmpty()) return QString();  // cancelled
        return QStringLiteral("Verify failed - ") + *failed;
    }
    return compare_access_lists(sent, held, with_schedule(layout));
}

}  // namespace

transfer_outcome download_access_list(link::reader_link& link, const link::link_endpoint& reader,
                                      const download_options& options, operator_port& person,
                                      const transfer_view& view) {
    transfer_link t(link, reader, person, view);
    // A file that cannot be sent at all is refused before the reader is touched.
    if (const auto refused = refuse_download_file(options.file, [&t] { return t.cancelled(); }))
        return refused->isEmpty() ? t.cancel() : t.told(transfer_end::failed, *refused);
    if (const status opened = t.open(); !opened)
        return t.told(transfer_end::failed, opened.error());
    const access_profile& p = profile_of(t);
    t.show_status(QString::fromLatin1(downloading_text));
    t.flush();
    t.wake_up();
    if (!t.protocol()) t.wake_up();  // plain mode: two CRs
    t.flush();

    std::optional<int> record_length;
    if (!options.autoconfigure) {
        t.show_status(QString::fromLatin1(querying_text));
        if (p.query_progress_line) t.progress(QString::fromLatin1(querying_progress_text));
        t.send("cd");
        if (!t.acknowledged(p.ack_ms)) return t.told(transfer_end::failed, p.first_clear_silent);
        bool stop = false;
        record_length = probe_record_length(t, p, stop);
        if (stop) return t.cancel();
        if (!record_length) return t.told(transfer_end::failed, probe_failed_text);
        if (p.clear_after_probe) {
            t.send("cd");
            if (!t.acknowledged(p.second_clear_ack_ms)) {
                return t.told(transfer_end::failed, no_response_text);
            }
        }
    }

    t.progress(QString::fromLatin1(checking_text));
    const file_survey file = survey(options.file, options.layout, t);
    if (file.cancelled) return t.cancel();
    if (file.unreadable) {
        return t.told(transfer_end::failed, QStringLiteral("Cannot read %1").arg(options.file));
    }
    if (file.too_long) return t.told(transfer_end::failed, too_long_text);

    QByteArray memory;
    std::optional<qint64> slots;
    if (!options.autoconfigure) {
        if (file.longest > *record_length) return t.told(transfer_end::failed, too_large_text);
        slots = free_slots(t, p.memory_ms, options.old_firmware, memory);
        if (t.cancelled()) return t.cancel();
        if (!slots) return t.told(transfer_end::failed, p.memory_silent);
        if (*slots < 0) return t.told(transfer_end::failed, memory_short_text);
    } else {
        t.wake_up();
        const int length = std::max<int>(static_cast<int>(file.longest), shortest_record_length);
        t.send('\\' + QByteArray::number(length).rightJustified(2, '0'));
        // The ACK of "\" is awaited on TCP too: left unread it would be taken for the
        // start of the "z" answer.
        if (!t.acknowledged(p.ack_ms)) return t.told(transfer_end::failed, p.length_silent);
        t.pause(p.length_pause_ms);
        slots = free_slots(t, p.memory_ms, options.old_firmware, memory);
        if (t.cancelled()) return t.cancel();
        if (!slots) return t.told(transfer_end::failed, p.memory_silent_auto);
        if (*slots < 0) return t.told(transfer_end::failed, p.memory_short_auto);
    }
    if (file.records > *slots) return t.told(transfer_end::failed, no_room_text);

    QFile source(options.file);
    if (!open_download_file(source)) {
        return t.told(transfer_end::failed, QStringLiteral("Cannot read %1").arg(options.file));
    }
    t.wake_up();
    t.send("cd");
    if (!t.acknowledged(p.ack_ms)) return t.told(transfer_end::failed, p.final_clear_silent);
    t.show_status(QString::fromLatin1(downloading_text));
    t.pause(100);
    t.flush();

    const bool schedule = with_schedule(options.layout);
    const qsizetype shortest = shortest_record_length + (schedule ? schedule_digits : 0);
    download_file_reader records(source, longest_id + schedule_digits);
    records.set_cancel_check([&t] { return t.cancelled(); });
    access_ids sent_ids;
    qint64 sent = 0;
    qint64 skipped = 0;
    while (const auto record = records.next()) {
        if (record->text.isEmpty()) continue;
        if (p.skip_short_records) {
            if (t.cancelled()) return t.cancel();
            if (record->text.size() < shortest) {
                ++skipped;
                continue;
            }
        }
        t.flush();
        if (t.protocol()) t.ack();
        t.send("AN" + (schedule ? record->text : "000" + record->text));
        const auto answer = t.read(p.add_ms);
        if (answer && t.protocol()) t.ack();
        if (t.cancelled()) return t.cancel();
        if (!answer) return t.told(transfer_end::failed, p.add_silent);
        if (p.empty_add_answer_check && answer->isEmpty()) {
            return t.told(transfer_end::failed, empty_add_answer_text);
        }
        if (!answer->startsWith('A')) return t.told(transfer_end::failed, add_refused_text);
        if (schedule) {
            sent_ids.insert(trimmed_front(record->text.mid(schedule_digits)),
                            record->text.left(schedule_digits).toInt());
        } else {
            sent_ids.insert(trimmed_front(record->text), 0);
        }
        ++sent;
        t.progress(records_text(records_downloaded, sent));
        t.count(sent, file.records - (p.skip_short_records ? file.short_records : 0));
    }

    if (records.cancelled()) return t.cancel();
    if (records.failed()) {
        return t.told(transfer_end::failed, QStringLiteral("Cannot read %1").arg(options.file));
    }

    // Records the reader was not sent are counted on the completion's second line.
    QString complete = QString::fromLatin1(download_complete_text);
    if (skipped > 0)
        complete += '\r' + QString::fromLatin1(skipped_text) + QString::number(skipped);
    QStringList more;
    if (options.verify) {
        more << verify(t, p, sent_ids, options.layout);
        if (more.front().isEmpty()) return t.cancel();
    }
    const bool verified =
        !options.verify || more.back().startsWith(QLatin1String("Verify complete"));
    return t.told(verified ? transfer_end::done : transfer_end::failed, complete, more);
}

transfer_outcome upload_access_list(link::reader_link& link, const link::link_endpoint& reader,
                                    const upload_options& options, operator_port& person,
                                    const transfer_view& view) {
    transfer_link t(link, reader, person, view);
    if (const status opened = t.open(); !opened)
        return t.told(transfer_end::failed, opened.error());
    const access_profile& p = profile_of(t);
    t.show_status(QString::fromLatin1(uploading_text));
    if (const auto silent = start_read_back(t, p)) return t.told(transfer_end::failed, *silent);
    upload_file file(options.file, options.end);
    if (const status made = file.open(); !made) return t.told(transfer_end::failed, made.error());
    const bool schedule = with_schedule(options.layout);
    qint64 count = 0;
    const auto failed = read_records(t, p, [&](const held_record& r) {
        file.write_line(schedule ? QByteArray::number(r.schedule).rightJustified(3, '0') + r.id
                                 : r.id);
        ++count;
        t.progress(records_text(records_uploaded, count));
        t.count(count);
    });
    // What came before a failure or a cancel stays in the file.
    const status closed = file.close();
    if (failed && failed->isEmpty()) return t.cancel();
    if (failed) return t.told(transfer_end::failed, *failed);
    if (!closed) return t.told(transfer_end::failed, closed.error());
    return t.told(transfer_end::done, upload_complete_text);
}

transfer_outcome clear_access_list(link::reader_link& link, const link::link_endpoint& reader,
                                   operator_port& person) {
    transfer_link t(link, reader, person, {});
    if (const status opened = t.open(); !opened)
        return t.told(transfer_end::failed, opened.error());
    const access_profile& p = profile_of(t);
    t.flush();
    t.wake_up();
    t.send("cd");
    if (!t.acknowledged(p.ack_ms)) return t.told(transfer_end::failed, p.clear_silent);
    return t.told(transfer_end::done, access_cleared_text);
}

}  // namespace zep::transfer
