#pragma once

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QString>
#include <optional>

#include "core/result.h"

namespace zep {
class operator_port;
}
namespace zep::records {

// How a database utility ended.
enum class dbutil_outcome { done, refused, cancelled };

inline constexpr auto preparing_export_text = "Preparing Export";
inline constexpr auto export_complete_text = "Export Complete";
inline constexpr auto text_file_filter = "Text (*.txt)|*.txt";

// Each exported line ends in CR, then the line end CR LF.
inline constexpr auto export_line_end = "\r\r\n";

// `text` cut or padded with blanks to exactly `width` characters.
QString fixed_width(const QString& text, int width);

// The bound "yyyy-mm-dd" of a date box holding mm-dd-yyyy (separators and mask blanks
// ignored); nullopt unless it holds a complete, valid date.
std::optional<QString> date_bound(const QString& box);
// The refusal naming a date box that holds no valid date.
QString invalid_date_text(const QString& box_name);
// The date box text for a date: "mm-dd-yyyy".
QString date_box_text(const QDate& date);

// An export file, created empty (replacing what it held) and written through a buffer.
// Texts are written one byte per character, so widths in characters are widths in bytes.
class export_file {
  public:
    explicit export_file(const QString& path) : file_(path) {}
    ~export_file() { finish(); }
    export_file(const export_file&) = delete;
    export_file& operator=(const export_file&) = delete;

    status open();
    void write_line(const QString& line);
    qint64 lines() const { return lines_; }
    QString path() const { return file_.fileName(); }
    // Writes what is buffered and closes; a failure when any write or the flush failed.
    status close();

  private:
    void flush_buffer();
    void note_failure();
    // The file's name and what went wrong with it.
    QString failure() const;
    void finish();

    QFile file_;
    QByteArray buffer_;
    qint64 lines_ = 0;
    // The first write failure, kept because a later successful close clears the file's own.
    std::optional<QString> failure_;
};

// The refusal of an export that could not be written or read to its end.
inline QString export_failed_text(const QString& why) {
    return QStringLiteral("Export failed: ") + why;
}

// Ends an export whose rows were walked with `walked`: closes the file, says "Export
// Complete" only when every row was read and written, and leaves the status line saying
// how many rows went into which file; otherwise "Export failed: " and why (the file then
// holds only the lines written before).
dbutil_outcome finish_export(operator_port& person, export_file& file, const status& walked);

// Asks for the file to export into; nullopt when the dialog was cancelled.
std::optional<QString> ask_export_path(operator_port& person, const char* proposed_name);

}  // namespace zep::records
