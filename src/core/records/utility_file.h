#pragma once

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QString>
#include <optional>

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
    ~export_file() { close(); }
    export_file(const export_file&) = delete;
    export_file& operator=(const export_file&) = delete;

    bool open();
    void write_line(const QString& line);
    bool close();
    QString error() const { return file_.errorString(); }

  private:
    void flush_buffer();

    QFile file_;
    QByteArray buffer_;
    bool failed_ = false;
};

// Asks for the file to export into; nullopt when the dialog was cancelled.
std::optional<QString> ask_export_path(operator_port& person, const char* proposed_name);

}  // namespace zep::records
