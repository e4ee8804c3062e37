#pragma once

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>
#include <functional>
#include <optional>

namespace zep::transfer {

// One record of a file to download into a reader (access list or schedules).
struct download_record {
    QByteArray text;        // 8-bit: one byte a character, nothing decoded
    bool too_long = false;  // longer than the reader's limit; `text` then holds only its start
    qint64 line = 1;        // the file's line the record starts on, from 1
};

// Reads a download file record by record, in bounded memory however large or strange the
// file. A record ends at CR, CR LF, a lone LF or a comma; blanks before it are skipped and
// blanks after an unquoted record dropped (a spreadsheet's "123 " is the ID "123"); a record
// that starts with a double quote runs to the next double quote, which are not part of it,
// and whatever follows the closing quote up to the record's end is dropped. A blank line is
// an empty record; the line end of the last line makes no record of its own.
class download_file_reader {
  public:
    // `longest`: the longest record the caller accepts; longer ones come back too_long.
    download_file_reader(QIODevice& file, qsizetype longest);

    // Asked before each block of the file is read: a single line of gigabytes can be
    // stopped too.
    void set_cancel_check(std::function<bool()> cancelled) { cancel_check_ = std::move(cancelled); }

    // The next record, or nullopt at the end of the file (or when it cannot be read:
    // failed() then says so; or when the cancel check said stop: cancelled()).
    std::optional<download_record> next();
    bool failed() const { return failed_; }
    bool cancelled() const { return cancelled_; }

  private:
    std::optional<char> get();
    std::optional<char> peek();
    void keep(download_record& record, char c) const;
    void end_line(char terminator);

    QIODevice& file_;
    qsizetype longest_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    qint64 line_ = 1;
    char previous_ = 0;
    bool failed_ = false;
    bool cancelled_ = false;
    std::function<bool()> cancel_check_;
};

// Opens a file to download for reading, only when it is a regular file: a device or a
// named pipe never ends (or never opens).
bool open_download_file(QFile& file);

// True when `path` is a file that can be read and holds not one record (it may hold
// blank lines): downloading it empties the reader's list. Reads only up to the first record.
bool holds_no_records(const QString& path);

// Why a download file cannot be sent at all, found before anything reaches the reader: it
// cannot be read, or one of its records holds a character no reader takes (a control
// character inside quotes would put commands of its own on the line). nullopt when it may
// be sent; an empty text when `cancelled` said stop.
std::optional<QString> refuse_download_file(const QString& path,
                                            const std::function<bool()>& cancelled);

}  // namespace zep::transfer
