#include "core/transfer/upload_file.h"

#include <unistd.h>

namespace zep::transfer {

upload_file::upload_file(const QString& path, line_end end)
    : file_(path), end_(end == line_end::cr_lf ? QByteArray("\r\n") : QByteArray("\r")) {}

upload_file::~upload_file() {
    if (file_.isOpen()) file_.close();
}

status upload_file::open() {
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return status::failure(QStringLiteral("%1: %2").arg(file_.fileName(), file_.errorString()));
    }
    return {};
}

void upload_file::write_line(const QByteArray& line) {
    if (file_.write(line + end_) != line.size() + end_.size()) failed_ = true;
    ++lines_;
}

status upload_file::close() {
    if (!file_.isOpen()) return {};
    // Lines taken from a reader must be on the disk before anything erases them there.
    const bool flushed = file_.flush() && ::fsync(file_.handle()) == 0;
    const QString why = file_.errorString();
    file_.close();
    if (failed_ || !flushed) {
        return status::failure(QStringLiteral("%1: %2").arg(file_.fileName(), why));
    }
    return {};
}

}  // namespace zep::transfer
