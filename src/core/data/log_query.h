#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "core/result.h"

namespace zep::data {

class database_file;

// Orders the log list can be sorted on, ascending as text, a NULL as empty text. Rows with
// equal keys follow the date-time order.
enum class log_order { date_time, name, readernum, location, granted };

// The fields the log list shows, with the row's place in its order.
struct log_list_row {
    QString DateTime;
    QString lastname;
    QString firstname;
    QString readernum;
    QString location;
    QString granted;
    QString sort_key;  // the value sorted on (for continuing after this row)
    qint64 id = 0;
    bool date_null = false;  // DateTime is NULL, not text
};

// How the database builds one text line per log row for an export: DateTime, last name,
// first name, idnum, the reader number as three digits, location and granted, each text
// cut to its width first; then either padded to the width (fixed) or stripped of
// leading and trailing blanks, and joined by `separator`.
struct log_line_layout {
    int name_width = 20;
    int idnum_width = 18;
    int location_width = 15;
    bool padded = true;
    QString separator = QStringLiteral(" ");
};

// Which rows an export takes: dates as "yyyy-mm-dd", both inclusive; reader 0 = all;
// an empty idnum = all, else rows whose blank-trimmed idnum equals it.
struct log_line_filter {
    QString from_date;
    QString to_date;
    int reader = 0;
    QString idnum;
};

// Which rows the log list and its chart show. Bounds are "yyyy-mm-dd" (the whole day) or
// "yyyy-mm-dd hh:mm:ss", both included; empty for none. `match` is looked for in the ID
// and both names, ASCII letters of either case alike.
struct log_filter {
    enum class outcome { all, granted, refused };
    QString from;
    QString to;
    int reader = -1;  // -1: every reader
    QString match;
    outcome granted = outcome::all;
    bool any() const {
        return !from.isEmpty() || !to.isEmpty() || reader >= 0 || !match.isEmpty() ||
               granted != outcome::all;
    }
};

// One bar of the activity chart: the hour ("yyyy-mm-dd hh") or day ("yyyy-mm-dd") and its
// granted and refused entries.
struct log_bucket {
    QString key;
    qint64 granted = 0;
    qint64 refused = 0;
};

// One log row for a CSV file.
struct log_csv_row {
    QString DateTime, readernum, location, idnum, lastname, firstname, granted;
};

// Pages of the log sorted in the database, so that a list over a large log holds only
// the rows it has shown.
class log_query {
  public:
    explicit log_query(database_file& db) : db_(db) {}

    result<qint64> count(const log_filter& filter = {});
    // Rows [offset, offset + limit) in `order`.
    result<std::vector<log_list_row>> page(log_order order, qint64 offset, int limit,
                                           const log_filter& filter = {});
    // The `limit` rows following `last` in `order`: cheap however deep `last` lies.
    result<std::vector<log_list_row>> page_after(log_order order, const log_list_row& last,
                                                 int limit, const log_filter& filter = {});
    // The filtered rows in date-time order.
    status walk_rows(const log_filter& filter,
                     const std::function<void(const log_csv_row&)>& visit);
    // Granted and refused entries per hour (`hourly`) or per day, in one grouped query.
    result<std::vector<log_bucket>> buckets(const log_filter& filter, bool hourly);
    // The first (or `last`) date-time the filter lets through ("" for none).
    result<QString> edge(const log_filter& filter, bool last);

    // Streams the lines of the filtered rows in `datetime` order; the line is built by
    // SQLite, so a large log is exported at the speed of the database.
    status export_lines(const log_line_layout& layout, const log_line_filter& filter,
                        const std::function<void(const QString&)>& visit);

  private:
    result<std::vector<log_list_row>> run(const QString& sql, const QVariantList& values);

    database_file& db_;
};

}  // namespace zep::data
