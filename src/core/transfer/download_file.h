#pragma once

#include <QByteArray>
#include <QIODevice>
#include <optional>

namespace zep::transfer {

// One record of a file to download into a reader (access list or schedules).
struct download_record {
    QByteArray text;        // 8-bit: one byte a character, nothing decoded
    bool too_long = false;  // longer than the reader's limit; `text` then holds only its start
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

    // The next record, or nullopt at the end of the file (or when it cannot be read:
    // failed() then says so).
    std::optional<download_record> next();
    bool failed() const { return failed_; }

  private:
    std::optional<char> get();
    std::optional<char> peek();
    void keep(download_record& record, char c) const;
    void end_line(char terminator);

    QIODevice& file_;
    qsizetype longest_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool failed_ = false;
};

}  // namespace zep::transfer
