#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "core/result.h"

namespace zep::data {

class database_file;

// The row count of each of the five tables, in their order.
using table_counts = std::vector<std::pair<QString, qint64>>;
result<table_counts> count_tables(database_file& db);

// Copies every table of `from` into `to` (a file into a server database, or back), in one
// transaction on the target, rows in the order they were stored. The target must be new:
// it may hold the two settings rows a first start makes, which the source's replace, and
// nothing else. Afterwards the row counts of both are compared table by table; a
// difference is a failure. The counts copied, when it succeeded.
result<table_counts> copy_database(database_file& from, database_file& to);

}  // namespace zep::data
