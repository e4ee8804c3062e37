#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include "core/result.h"

namespace zep::transfer {

// How lines of a written file end: CR LF, or CR alone.
enum class line_end { cr_lf, cr };

// A file received from a reader (access list, schedules, log), created anew. Lines are
// 8-bit bytes as the reader sent them. What was written is on the disk when close()
// succeeds (flushed and synced), and a failed write or a full disk is reported there.
class upload_file {
  public:
    upload_file(const QString& path, line_end end);
    ~upload_file();
    upload_file(const upload_file&) = delete;
    upload_file& operator=(const upload_file&) = delete;

    status open();
    void write_line(const QByteArray& line);
    status close();
    qint64 lines() const { return lines_; }

  private:
    QFile file_;
    QByteArray end_;
    qint64 lines_ = 0;
    bool failed_ = false;
};

}  // namespace zep::transfer
