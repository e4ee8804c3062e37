#include "core/transfer/schedule_transfer.h"

#include <QFile>

#include "core/commands/upload_records.h"
#include "core/transfer/access_transfer.h"
#include "core/transfer/download_file.h"

namespace zep::transfer {

namespace {

// A record is sent as it stands; this only keeps a broken file from being sent at all.
constexpr qsizetype longest_schedule_record = 4096;
constexpr int schedules = 99;
constexpr int weekdays = 7;

constexpr auto record_too_long_text =
    "Data file contains a record longer than 4096 characters - cannot download";
constexpr auto download_silent_text = "Error 27 - Timeout while communicating with reader";
constexpr auto refused_text = "Invalid response from reader, schedule file data may be incorrect";
constexpr auto upload_silent_text = "Error 37 - Timeout while communicating with reader";

int answer_ms(const transfer_link& t) {
    return t.tcp() ? 2000 : 200;
}

// nullopt when every record can be sent; else the failure (or "" on cancel).
std::optional<QString> check_records(const QString& path, transfer_link& t) {
    const auto cancelled = [&t] { return t.cancelled(); };
    if (auto refused = refuse_download_file(path, cancelled)) return refused;
    QFile file(path);
    if (!open_download_file(file)) return QStringLiteral("Cannot read %1").arg(path);
    download_file_reader reader(file, longest_schedule_record);
    reader.set_cancel_check(cancelled);
    while (const auto record = reader.next()) {
        if (record->too_long) return QString::fromLatin1(record_too_long_text);
    }
    if (reader.cancelled()) return QString();
    if (reader.failed()) return QStringLiteral("Cannot read %1").arg(path);
    return std::nullopt;
}

}  // namespace

transfer_outcome download_schedules(link::reader_link& link, const link::link_endpoint& reader,
                                    const QString& path, operator_port& person,
                                    const transfer_view& view) {
    transfer_link t(link, reader, person, view);
    // A file that cannot be sent at all is refused before the reader is touched.
    if (const auto refused = check_records(path, t)) {
        if (refused->isEmpty()) return t.cancel();
        return t.told(transfer_end::failed, *refused);
    }
    if (const status opened = t.open(); !opened)
        return t.told(transfer_end::failed, opened.error());
    t.show_status(QStringLiteral("Downloading Schedule"));
    t.flush();
    t.wake_up();
    QFile file(path);
    if (!open_download_file(file)) {
        return t.told(transfer_end::failed, QStringLiteral("Cannot read %1").arg(path));
    }
    qint64 count = 0;
    t.progress(records_text("Records Downloaded: ", count));
    download_file_reader records(file, longest_schedule_record);
    records.set_cancel_check([&t] { return t.cancelled(); });
    while (!t.cancelled()) {
        // A blank line is an empty record, and it is sent like any other.
        const auto record = records.next();
        if (!record) {
            if (records.cancelled()) break;
            if (records.failed()) {
                return t.told(transfer_end::failed, QStringLiteral("Cannot read %1").arg(path));
            }
            return t.told(transfer_end::done, schedule_download_complete_text);
        }
        t.flush();
        t.send("SA" + record->text);
        const auto answer = t.read(answer_ms(t));
        if (!answer) {
            if (t.cancelled()) break;
            return t.told(transfer_end::failed, download_silent_text);
        }
        if (*answer != "A") return t.told(transfer_end::failed, refused_text);
        if (t.protocol()) t.ack();
        t.flush();
        ++count;
        t.progress(records_text("Records Downloaded: ", count));
        t.count(count);
    }
    return t.cancel();
}

transfer_outcome upload_schedules(link::reader_link& link, const link::link_endpoint& reader,
                                  const QString& path, line_end end, operator_port& person,
                                  const transfer_view& view) {
    transfer_link t(link, reader, person, view);
    if (const status opened = t.open(); !opened)
        return t.told(transfer_end::failed, opened.error());
    t.show_status(QString::fromLatin1(uploading_text));
    t.flush();
    t.wake_up();
    upload_file file(path, end);
    if (const status made = file.open(); !made) return t.told(transfer_end::failed, made.error());
    std::optional<QString> failed;
    for (int n = 1; n <= schedules && !failed; ++n) {
        const QByteArray sss = QByteArray::number(n).rightJustified(3, '0');
        t.flush();
        t.send("SR" + sss);
        const auto answer = t.read(answer_ms(t));
        if (t.cancelled()) {
            failed = QString();
            break;
        }
        if (!answer) {
            failed = QString::fromLatin1(upload_silent_text);
            break;
        }
        if (t.protocol()) t.ack();
        const auto days = commands::split_schedule_reply(*answer);
        for (int d = 1; d <= weekdays; ++d) {
            file.write_line(sss + QByteArray::number(d) + days[static_cast<std::size_t>(d - 1)]);
        }
        t.progress(records_text("Records Uploaded: ", n));
        t.count(n, schedules);
    }
    const status closed = file.close();
    if (failed && failed->isEmpty()) return t.cancel();
    if (failed) return t.told(transfer_end::failed, *failed);
    if (!closed) return t.told(transfer_end::failed, closed.error());
    t.progress(QString());
    return t.told(transfer_end::done, upload_complete_text);
}

}  // namespace zep::transfer
