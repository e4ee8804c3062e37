#include "tests/support/data/temp_database.h"

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

data::database_file& temp_database::reopen() {
    close();
    auto opened = data::database_file::open(path_, unique_connection_name());
    if (!opened) throw std::runtime_error(opened.error().toStdString());
    db_ = std::move(opened.value());
    return *db_;
}

}  // namespace zep::test
