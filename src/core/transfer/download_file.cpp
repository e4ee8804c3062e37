#include "core/transfer/download_file.h"

#include <QFileInfo>
#include <algorithm>

#include "core/commands/command_text.h"

namespace zep::transfer {

namespace {

constexpr qint64 chunk = 64 * 1024;

bool ends_record(char c) {
    return c == '\r' || c == '\n' || c == ',';
}

}  // namespace

download_file_reader::download_file_reader(QIODevice& file, qsizetype longest)
    : file_(file), longest_(longest) {}

std::optional<char> download_file_reader::peek() {
    if (pos_ >= buffer_.size()) {
        if (failed_ || cancelled_) return std::nullopt;
        if (cancel_check_ && cancel_check_()) {
            cancelled_ = true;
            return std::nullopt;
        }
        buffer_.resize(chunk);
        const qint64 got = file_.read(buffer_.data(), chunk);
        buffer_.resize(std::max<qint64>(got, 0));
        pos_ = 0;
        if (got < 0) failed_ = true;
        if (got <= 0) return std::nullopt;
    }
    return buffer_[pos_];
}

std::optional<char> download_file_reader::get() {
    const auto c = peek();
    if (c) {
        ++pos_;
        // CR LF ends one line; so does a lone CR or LF.
        if (*c == '\n' ? previous_ != '\r' : *c == '\r') ++line_;
        previous_ = *c;
    }
    return c;
}

// Keeps one byte more than the longest record: enough to know it is too long.
void download_file_reader::keep(download_record& record, char c) const {
    if (record.text.size() <= longest_) {
        record.text.append(c);
    } else {
        record.too_long = true;
    }
}

// CR LF is one line end.
void download_file_reader::end_line(char terminator) {
    if (terminator == '\r' && peek() == '\n') get();
}

std::optional<download_record> download_file_reader::next() {
    const qint64 line = line_;  // blanks before the record do not end a line
    auto c = get();
    while (c == ' ') c = get();
    if (!c) return std::nullopt;

    download_record record;
    record.line = line;
    if (*c == '"') {
        while ((c = get()) && *c != '"') keep(record, *c);
        // What follows the closing quote, up to the end of the record, is not part of it.
        while ((c = get()) && !ends_record(*c)) {
        }
    } else {
        qsizetype blanks = 0;  // trailing blanks, kept until a non-blank shows they are inner
        for (; c && !ends_record(*c); c = get()) {
            if (*c == ' ') {
                ++blanks;
                continue;
            }
            for (; blanks > 0; --blanks) keep(record, ' ');
            keep(record, *c);
        }
    }
    if (record.text.size() > longest_) {
        record.text.truncate(longest_);
        record.too_long = true;
    }
    if (c) end_line(*c);
    if (cancelled_) return std::nullopt;
    return record;
}

bool open_download_file(QFile& file) {
    return QFileInfo(file.fileName()).isFile() && file.open(QIODevice::ReadOnly);
}

bool holds_no_records(const QString& path) {
    QFile file(path);
    if (!open_download_file(file)) return false;
    download_file_reader reader(file, 1);
    // Asked on the screen's own thread: a first megabyte that ends no record holds one (a
    // single endless line would otherwise be read to its end before the window answers).
    constexpr qint64 enough = qint64(1) << 20;
    reader.set_cancel_check([&file] { return file.pos() > enough; });
    while (const auto record = reader.next()) {
        if (!record->text.isEmpty()) return false;
    }
    return !reader.failed() && !reader.cancelled();
}

std::optional<QString> refuse_download_file(const QString& path,
                                            const std::function<bool()>& cancelled) {
    const QString unreadable = QStringLiteral("Cannot read %1").arg(path);
    QFile file(path);
    if (!open_download_file(file)) return unreadable;
    // Any length will do here: the callers judge lengths by their own rules.
    constexpr qsizetype enough = 4096;
    download_file_reader reader(file, enough);
    reader.set_cancel_check(cancelled);
    while (const auto record = reader.next()) {
        if (!commands::sendable_id(QString::fromLatin1(record->text))) {
            return QStringLiteral(
                       "Data file line %1 holds a character that cannot be sent to a reader - "
                       "cannot download")
                .arg(record->line);
        }
    }
    if (reader.cancelled()) return QString();
    if (reader.failed()) return unreadable;
    return std::nullopt;
}

}  // namespace zep::transfer
