#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "core/data/log_query.h"

namespace zep::data {
class database_file;
}

namespace zep::records {

inline constexpr auto archive_heading_text = "Current Log Data";
inline constexpr std::array<const char*, 5> archive_column_headers = {
    "Date/Time", "Name", "Reader #", "Location", "Granted"};

// One row of the log list as shown.
struct archive_row {
    QString date_time;
    QString name;       // trimmed last name + "," + trimmed first name
    QString readernum;  // as stored, not padded
    QString location;
    QString granted;
};

// The source of the log list: counts the log and hands out rows by position in the
// chosen order, fetched from the database a page at a time. Reading on from where the
// last fetch ended continues after that row instead of skipping `offset` rows again.
class log_archive {
  public:
    explicit log_archive(data::database_file& db) : query_(db) {}

    // Recounts the log ("Refresh"); rows fetched before may have moved. A log that cannot
    // be read shows as empty.
    qint64 refresh();
    qint64 row_count() const { return count_; }

    // Column 0..4 of the list, ascending; Date/Time when the screen opens.
    void sort_by(int column);
    int sort_column() const { return static_cast<int>(order_); }
    // Which rows the list holds (all of them when the screen opens); recounts.
    void set_filter(const data::log_filter& filter);
    const data::log_filter& filter() const { return filter_; }

    // Up to `limit` rows starting at position `offset`.
    std::vector<archive_row> fetch(qint64 offset, int limit);

  private:
    data::log_query query_;
    data::log_order order_ = data::log_order::date_time;
    data::log_filter filter_;
    qint64 count_ = 0;
    // The last row handed out and the position after it.
    std::optional<data::log_list_row> last_;
    qint64 next_offset_ = 0;
};

inline constexpr auto log_csv_header = "datetime,reader,location,idnum,lastname,firstname,granted";

// The filtered rows as CSV (RFC 4180, UTF-8), the header first, in date-time order; each
// line, with its CR LF, goes to `line`. A text a spreadsheet would run as a formula gets a
// leading apostrophe. The count of rows.
result<qint64> write_log_csv(data::database_file& db, const data::log_filter& filter,
                             const std::function<void(const QByteArray&)>& line);

// The activity chart of the filtered rows: one bar per hour when the range spans at most
// two calendar days, else one per day; the range is the filter's from/to, or the first and
// last rows where the filter leaves it open. Hours and days without entries are bars of
// zero, so the axis runs without gaps.
struct log_activity {
    bool hourly = false;
    std::vector<data::log_bucket> bars;
};
inline constexpr int longest_hourly_range_days = 2;
result<log_activity> activity(data::database_file& db, const data::log_filter& filter);

// A bound of the filter from a date box: "MM-DD-YYYY" is the whole day, "MM-DD-YYYY hh:mm"
// that minute (a start from its first second, an end to its last). Empty stays empty;
// nullopt when the box holds no such date.
std::optional<QString> filter_bound(const QString& box, bool end);
// The box texts that narrow the filter to one bar of the chart ("yyyy-mm-dd" or
// "yyyy-mm-dd hh"): from and to.
std::pair<QString, QString> bar_bounds(const QString& bar_key);

}  // namespace zep::records
