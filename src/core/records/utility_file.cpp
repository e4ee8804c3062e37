#include "core/records/utility_file.h"

#include <QDate>
#include <QLocale>

#include "core/operator.h"

namespace zep::records {

namespace {

constexpr qsizetype buffer_limit = 1 << 16;

}  // namespace

QString fixed_width(const QString& text, int width) {
    return text.leftJustified(width, QLatin1Char(' '), true);
}

std::optional<QString> date_bound(const QString& box) {
    QString digits;
    for (const QChar c : box) {
        if (c.isDigit()) digits += c;
    }
    if (digits.size() != 8) return std::nullopt;
    const QDate date(digits.mid(4, 4).toInt(), digits.left(2).toInt(), digits.mid(2, 2).toInt());
    if (!date.isValid()) return std::nullopt;
    return digits.mid(4, 4) + QLatin1Char('-') + digits.left(2) + QLatin1Char('-') +
           digits.mid(2, 2);
}

QString invalid_date_text(const QString& box_name) {
    return box_name + QStringLiteral(" is not a valid date (mm-dd-yyyy)");
}

QString date_box_text(const QDate& date) {
    return date.toString(QStringLiteral("MM-dd-yyyy"));
}

status export_file::open() {
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) return status::failure(failure());
    return {};
}

QString export_file::failure() const {
    return file_.fileName() + QStringLiteral(": ") + file_.errorString();
}

void export_file::write_line(const QString& line) {
    ++lines_;
    buffer_ += line.toLatin1();
    buffer_ += export_line_end;
    if (buffer_.size() >= buffer_limit) flush_buffer();
}

void export_file::note_failure() {
    if (!failure_) failure_ = failure();
}

void export_file::flush_buffer() {
    if (!buffer_.isEmpty() && file_.write(buffer_) != buffer_.size()) note_failure();
    buffer_.clear();
}

void export_file::finish() {
    if (!file_.isOpen()) return;
    flush_buffer();
    // QFile buffers too: a full disk may only show when its buffer goes out.
    if (!file_.flush()) note_failure();
    file_.close();
    if (file_.error() != QFileDevice::NoError) note_failure();
}

status export_file::close() {
    finish();
    if (failure_) return status::failure(*failure_);
    return {};
}

dbutil_outcome finish_export(operator_port& person, export_file& file, const status& walked) {
    const status closed = file.close();
    person.progress(QString());
    if (!walked || !closed) {
        person.message(export_failed_text((walked ? closed : walked).error()));
        return dbutil_outcome::refused;
    }
    person.message(QString::fromLatin1(export_complete_text));
    person.progress(
        QStringLiteral("%1 %2 written to %3")
            .arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(file.lines()),
                 file.lines() == 1 ? QStringLiteral("row") : QStringLiteral("rows"), file.path()));
    return dbutil_outcome::done;
}

std::optional<QString> ask_export_path(operator_port& person, const char* proposed_name) {
    return person.choose_save_file(QString::fromLatin1(proposed_name),
                                   QString::fromLatin1(text_file_filter));
}

}  // namespace zep::records
