#include "core/data/settings_store.h"

#include <QStringList>
#include <limits>
#include <optional>
#include <type_traits>

#include "core/data/database_file.h"
#include "core/data/login_password.h"
#include "core/data/sql_statement.h"
#include "core/data/transaction.h"

namespace zep::data {

namespace {

// Fields that are loaded but never written back to an existing row.
bool read_only_field(const QString& name) {
    return name == QLatin1String("applyallcleartxt") || name == QLatin1String("applyalldownschtxt");
}

struct column {
    QString name;
    const settings_field* field = nullptr;  // nullptr: a comdevice field
    int port = 0;                           // 1..5 for a comdevice field
};

// The columns this database has: every documented field, and the comdevice fields when
// the table carries them.
QList<column> table_columns(const database_file& db) {
    QList<column> columns;
    for (const settings_field& f : settings_fields()) columns.append({f.name, &f, 0});
    for (int port = 1; port <= 5; ++port) {
        const QString name = comdevice_field(port);
        if (db.has_field(QStringLiteral("settings"), name)) columns.append({name, nullptr, port});
    }
    return columns;
}

column documented_column(const char* name) {
    for (const settings_field& f : settings_fields()) {
        if (qstrcmp(f.name, name) == 0) return {QString::fromLatin1(name), &f, 0};
    }
    Q_UNREACHABLE();
}

QVariant value_of(const settings_record& record, const column& c) {
    if (!c.field) return record.comdevice[c.port - 1];
    if (c.name == QLatin1String("loginpass")) return stored_login_password(record.loginpass);
    return std::visit([&record](auto member) { return QVariant(record.*member); }, c.field->member);
}

// A 16-bit field's stored value; nullopt unless it is a whole number that fits.
std::optional<qint16> int16_value(const QVariant& value) {
    // A server's NULL comes as a typed null, which would read as 0.
    if (value.isNull()) return std::nullopt;
    bool number = false;
    const qlonglong n = value.toString().trimmed().toLongLong(&number);
    if (!number || n < std::numeric_limits<qint16>::min() || n > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(n);
}

// Stores `value` into the field of `record`. A 16-bit field whose value is no such number
// keeps the default it holds, which `warnings` (when given) is told in one line.
void assign(settings_record& record, const column& c, const QVariant& value,
            QStringList* warnings) {
    if (!c.field) {
        if (!value.isNull()) record.comdevice[c.port - 1] = value.toString();
        return;
    }
    std::visit(
        [&](auto member) {
            using type = std::remove_reference_t<decltype(record.*member)>;
            if constexpr (std::is_same_v<type, QString>) {
                record.*member = value.toString();
            } else if (const auto number = int16_value(value)) {
                record.*member = *number;
            } else if (warnings) {
                *warnings << QStringLiteral(
                                 "Settings field \"%1\" holds \"%2\", not a 16-bit number: "
                                 "its default %3 is used")
                                 .arg(c.name, value.isNull() ? QString() : value.toString())
                                 .arg(record.*member);
            }
        },
        c.field->member);
}

QStringList names(const QList<column>& columns) {
    QStringList list;
    for (const column& c : columns) list << c.name;
    return list;
}

// rowid of the settings row (marker = false) or of the marker row; nullopt when absent.
result<std::optional<qint64>> find_row(database_file& db, bool marker) {
    QSqlQuery q = sql::forward_query(db);
    const QString sql = marker ? QStringLiteral(
                                     "SELECT rowid FROM settings WHERE settings = ? "
                                     "ORDER BY rowid LIMIT 1")
                               : QStringLiteral(
                                     "SELECT rowid FROM settings WHERE "
                                     "coalesce(settings, '') <> ? ORDER BY rowid LIMIT 1");
    const status ran = sql::exec(q, sql, {QString::fromLatin1(marker_settings_value)});
    if (!ran) return ran;
    if (!q.next()) return std::optional<qint64>();
    return std::optional<qint64>(q.value(0).toLongLong());
}

status insert_row(database_file& db, const settings_record& record) {
    const QList<column> columns = table_columns(db);
    QVariantList values;
    for (const column& c : columns) values << value_of(record, c);
    QStringList marks;
    marks.fill(QStringLiteral("?"), columns.size());
    QSqlQuery q(db.connection());
    return sql::exec(q,
                     QStringLiteral("INSERT INTO settings (%1) VALUES (%2)")
                         .arg(names(columns).join(", "), marks.join(", ")),
                     values);
}

settings_record marker_record(const marker_flags& marker) {
    settings_record record;
    record.settings = QString::fromLatin1(marker_settings_value);
    record.ipaddress = QString::fromLatin1(marker_ipaddress_value);
    record.autoconfigreclen = marker.dbutil_add_all ? QStringLiteral("Y") : QStringLiteral("N");
    record.applyalldowntxt = marker.export_fixed ? QStringLiteral("1") : QStringLiteral("2");
    return record;
}

status read_row(database_file& db, qint64 rowid, settings_record& record,
                QStringList* warnings = nullptr) {
    const QList<column> columns = table_columns(db);
    QSqlQuery q = sql::forward_query(db);
    const status ran = sql::exec(
        q, QStringLiteral("SELECT %1 FROM settings WHERE rowid = ?").arg(names(columns).join(", ")),
        {rowid});
    if (!ran) return ran;
    if (!q.next()) return status::failure(QStringLiteral("settings row vanished"));
    for (int i = 0; i < columns.size(); ++i) assign(record, columns[i], q.value(i), warnings);
    return {};
}

result<marker_flags> read_marker(database_file& db, qint64 rowid) {
    settings_record record;
    if (status read = read_row(db, rowid, record); !read) return read;
    return marker_flags{record.autoconfigreclen == QLatin1String("Y"),
                        record.applyalldowntxt == QLatin1String("1")};
}

status update_row(database_file& db, qint64 rowid, const QList<column>& columns,
                  const settings_record& record) {
    QStringList sets;
    QVariantList values;
    for (const column& c : columns) {
        sets << c.name + QStringLiteral(" = ?");
        values << value_of(record, c);
    }
    values << rowid;
    QSqlQuery q(db.connection());
    return sql::exec(
        q, QStringLiteral("UPDATE settings SET %1 WHERE rowid = ?").arg(sets.join(", ")), values);
}

// Writes `columns` of `record` into the row found by `marker`, or adds the row whole when
// it is gone.
status write_row(database_file& db, bool marker, const QList<column>& columns,
                 const settings_record& record) {
    const auto rowid = find_row(db, marker);
    if (!rowid) return rowid.as_status();
    if (!*rowid) return insert_row(db, record);
    return columns.isEmpty() ? status() : update_row(db, **rowid, columns, record);
}

// Whether this program changed the field since it read it. The login password compares as
// held in memory (its stored form is a fresh hash each time).
bool changed(const settings_record& now, const settings_record& then, const column& c) {
    if (c.name == QLatin1String("loginpass")) return now.loginpass != then.loginpass;
    return value_of(now, c) != value_of(then, c);
}

status load_rows(database_file& db, settings_state& state) {
    const auto settings_row = find_row(db, false);
    if (!settings_row) return settings_row.as_status();
    const auto marker_row = find_row(db, true);
    if (!marker_row) return marker_row.as_status();
    if (*settings_row) {
        const status read = read_row(db, **settings_row, state.record, &state.warnings);
        if (!read) return read;
        // An old plain password becomes its hash now, not at a closing save that would
        // write it over a change made meanwhile elsewhere.
        const QString& pass = state.record.loginpass;
        if (!pass.isEmpty() && !is_login_hash(pass)) {
            const column c = documented_column("loginpass");
            if (status hashed = update_row(db, **settings_row, {c}, state.record); !hashed)
                return hashed;
            state.record.loginpass = stored_login_password(pass);
        }
    } else if (status added = insert_row(db, state.record); !added) {
        return added;
    }
    if (!*marker_row) return insert_row(db, marker_record(state.marker));
    const auto marker = read_marker(db, **marker_row);
    if (!marker) return marker.as_status();
    state.marker = *marker;
    return {};
}

}  // namespace

result<settings_state> load_or_create(database_file& db) {
    settings_state state;
    transaction tx(db);
    if (!tx.active()) return status::failure(tx.error());
    if (status loaded = load_rows(db, state); !loaded) return loaded;
    if (status committed = tx.commit(); !committed) return committed;
    return state;
}

status save_settings(database_file& db, const settings_record& record, const marker_flags& marker,
                     const settings_record& loaded, const marker_flags& loaded_marker) {
    QList<column> settings_columns;
    for (const column& c : table_columns(db)) {
        if (!read_only_field(c.name) && changed(record, loaded, c)) settings_columns.append(c);
    }
    QList<column> marker_columns;
    const settings_record marker_now = marker_record(marker);
    const settings_record marker_then = marker_record(loaded_marker);
    for (const char* name : {"autoconfigreclen", "applyalldowntxt"}) {
        const column c = documented_column(name);
        if (changed(marker_now, marker_then, c)) marker_columns.append(c);
    }
    transaction tx(db);
    if (!tx.active()) return status::failure(tx.error());
    if (status written = write_row(db, false, settings_columns, record); !written) return written;
    if (status written = write_row(db, true, marker_columns, marker_now); !written) return written;
    return tx.commit();
}

result<QString> read_login_password(database_file& db) {
    const auto rowid = find_row(db, false);
    if (!rowid) return rowid.as_status();
    if (!*rowid) return QString();
    settings_record record;
    if (status read = read_row(db, **rowid, record); !read) return read;
    return record.loginpass;
}

status write_login_password(database_file& db, const QString& loginpass) {
    transaction tx(db);
    if (!tx.active()) return status::failure(tx.error());
    const auto rowid = find_row(db, false);
    if (!rowid) return rowid.as_status();
    settings_record record;
    record.loginpass = loginpass;
    const status written = *rowid
                               ? update_row(db, **rowid, {documented_column("loginpass")}, record)
                               : insert_row(db, record);
    if (!written) return written;
    return tx.commit();
}

}  // namespace zep::data
