#include "temp_database.h"

#include <atomic>
#include <stdexcept>

namespace zep::test {

QString unique_connection_name() {
    static std::atomic<int> next{0};
    return QStringLiteral("zep_test_%1").arg(next++);
}

temp_database::temp_database() : path_(dir_.filePath(QStringLiteral("zep.db"))) {
    reopen();
}

temp_database::~temp_database() {
    close();
}

void temp_database::close() {
    db_.reset();
}

database_file& temp_database::reopen() {
    close();
    database_open_result opened = database_file::open(path_, unique_connection_name());
    if (!opened) throw std::runtime_error(opened.error.toStdString());
    db_ = std::move(opened.db);
    return *db_;
}

}  // namespace zep::test
