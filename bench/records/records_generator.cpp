#include "bench/records/records_generator.h"

#include <QDateTime>

#include "core/data/log_table.h"
#include "core/data/users_table.h"
#include "core/operator.h"
#include "core/records/access_string.h"
#include "core/records/readers_register.h"
#include "core/records/schedules_register.h"

namespace zep::bench {

namespace {

constexpr qint64 batch = 50000;
const std::array<const char*, 8> last_names = {
    "Smith", "Li", "Garcia", "Abcdefghijklmnopqrstuvwxy", "Brown", "Nguyen", "Miller", "O Neil"};
const std::array<const char*, 6> first_names = {"Ann", "Bo", "Carlos", "Dee", "Evangeline", "Fu"};

data::log_row log_entry(qint64 n, qint64 total) {
    static const QDateTime start(QDate(2005, 1, 1), QTime(0, 0));
    const qint64 seconds_in_year = 365LL * 24 * 3600;
    const QDateTime when = start.addSecs(n * seconds_in_year / total);
    const auto i = static_cast<size_t>(n);
    return {when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            records::access_string::three_digits(static_cast<int>(n % 127)),
            QStringLiteral("Reader %1").arg(n % 127),
            QStringLiteral("Location %1").arg(n % 40),
            QStringLiteral("%1").arg(100000 + (n * 7919) % 100000),
            QString::fromLatin1(last_names[i % last_names.size()]),
            QString::fromLatin1(first_names[i % first_names.size()]),
            n % 10 ? QStringLiteral("Y") : QStringLiteral("N")};
}

status fill_log(data::database_file& db, qint64 rows) {
    data::log_table log(db);
    for (qint64 first = 0; first < rows; first += batch) {
        std::vector<data::log_row> part;
        for (qint64 n = first; n < std::min(rows, first + batch); ++n)
            part.push_back(log_entry(n, rows));
        if (status stored = log.insert_all(part); !stored) return stored;
    }
    return {};
}

status fill_users(data::database_file& db, qint64 count) {
    data::users_table users(db);
    std::vector<data::user_row> rows;
    for (qint64 n = 0; n < count; ++n) {
        const auto i = static_cast<size_t>(n);
        QString access = records::access_string::with_slot(
            records::access_string::blank(), static_cast<int>(n % 127), QStringLiteral("001"));
        rows.push_back({QStringLiteral("%1").arg(100000 + n),
                        QString::fromLatin1(last_names[(i / 3) % last_names.size()]) +
                            QString::number(n % 997),
                        QString::fromLatin1(first_names[i % first_names.size()]), access});
    }
    return users.insert_all(rows);
}

}  // namespace

status generate_records(data::database_file& db, qint64 log_rows, qint64 users) {
    // The registers as a first start makes them; a failure shows as a refused insert below.
    quiet_operator quiet;
    records::readers_loadup(db, quiet);
    records::schedules_loadup(db, quiet);
    if (status filled = fill_log(db, log_rows); !filled) return filled;
    return fill_users(db, users);
}

}  // namespace zep::bench
