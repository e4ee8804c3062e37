#include "core/records/users_csv.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <optional>

#include "core/commands/command_text.h"
#include "core/data/schedules_table.h"
#include "core/data/transaction.h"
#include "core/records/access_string.h"
#include "core/records/csv_text.h"
#include "core/records/users_register.h"

namespace zep::records {

namespace {

constexpr auto reader_column_prefix = "reader_";

struct csv_record {
    qint64 line = 1;  // the file's line the record starts on
    QStringList fields;
};

// RFC 4180 records, one at a time: fields split at commas, a quoted field may hold commas,
// line ends and doubled quotes; a record ends at CR LF, LF or CR outside quotes. An empty
// line is no record. A record at a time keeps a large file with many reader columns from
// being held as fields all at once.
class csv_reader {
  public:
    explicit csv_reader(const QString& text) : text_(text) {}

    // The next record; false at the end of the text.
    bool next(csv_record& record) {
        record = {};
        record.line = line_;
        QString field;
        bool quoted = false, in_field = false;
        const auto end_field = [&] {
            record.fields << field;
            field.clear();
            in_field = false;
        };
        for (; at_ < text_.size(); ++at_) {
            const QChar c = text_[at_];
            if (quoted) {
                if (c == u'"') {
                    if (at_ + 1 < text_.size() && text_[at_ + 1] == u'"') {
                        field += u'"';
                        ++at_;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == u'\n') ++line_;
                    field += c;
                }
                continue;
            }
            if (c == u'\r' || c == u'\n') {
                if (c == u'\r' && at_ + 1 < text_.size() && text_[at_ + 1] == u'\n') ++at_;
                ++at_;
                ++line_;
                if (in_field || !record.fields.isEmpty()) {
                    end_field();
                    return true;
                }
                record.line = line_;  // an empty line
                --at_;
                continue;
            }
            in_field = true;
            if (c == u',') {
                end_field();
                in_field = true;  // a comma always starts one more field
            } else if (c == u'"' && field.isEmpty()) {
                quoted = true;
            } else {
                field += c;
            }
        }
        // An open quote swallows the rest of the file: that is no record to check further.
        if (quoted) {
            unterminated_line_ = record.line;
            return false;
        }
        if (!in_field && record.fields.isEmpty()) return false;
        end_field();
        return true;
    }
    // The line of a record whose quote never closes, or 0.
    qint64 unterminated_line() const { return unterminated_line_; }

  private:
    const QString& text_;
    qsizetype at_ = 0;
    qint64 line_ = 1;
    qint64 unterminated_line_ = 0;
};

// A line break or other control character in a name would break the fixed-width exports.
bool has_control(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0);
    });
}

bool latin1(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xff) return false;
    }
    return true;
}

// A name as stored: the apostrophe that kept a spreadsheet from running it comes off.
QString stored_name(const QString& field) {
    return formula_unguarded(field.trimmed());
}

struct header {
    std::vector<std::pair<int, int>> readers;  // (field index, reader number)
    QStringList faults;
};

header read_header(const csv_record& first) {
    header h;
    const QStringList names{QStringLiteral("userid"), QStringLiteral("lastname"),
                            QStringLiteral("firstname")};
    const auto fault = [&h](const QString& why) { h.faults << QStringLiteral("line 1: ") + why; };
    if (first.fields.size() < 3 ||
        first.fields.mid(0, 3).join(u',').trimmed().toLower().remove(u' ') != names.join(u',')) {
        fault(QStringLiteral("the header must begin userid,lastname,firstname"));
        return h;
    }
    std::array<bool, access_string::reader_count> seen{};
    static const QRegularExpression reader_column(QStringLiteral("\\Areader_([0-9]{3})\\z"));
    for (qsizetype i = 3; i < first.fields.size(); ++i) {
        const QString name = first.fields[i].trimmed().toLower();
        const auto match = reader_column.match(name);
        if (!match.hasMatch()) {
            fault(QStringLiteral("column \"%1\" is neither a name nor reader_NNN").arg(name));
            continue;
        }
        const int reader = match.captured(1).toInt();
        if (reader > access_string::last_reader) {
            fault(QStringLiteral("column \"%1\": there is no reader above 126").arg(name));
        } else if (seen[static_cast<std::size_t>(reader)]) {
            fault(QStringLiteral("column \"%1\" comes twice").arg(name));
        } else {
            seen[static_cast<std::size_t>(reader)] = true;
            h.readers.emplace_back(static_cast<int>(i), reader);
        }
    }
    return h;
}

// "05" for "05" or "5"; empty for no access; nullopt for anything else.
std::optional<QString> schedule_code(const QString& field) {
    const QString code = field.trimmed();
    if (code.isEmpty()) return QStringLiteral("  ");
    static const QRegularExpression digits(QStringLiteral("\\A[0-9]{1,2}\\z"));
    if (!digits.match(code).hasMatch()) return std::nullopt;
    return code.rightJustified(2, u'0');
}

}  // namespace

result<users_import_plan> plan_users_import(data::database_file& db, const QString& path,
                                            bool replace) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return status::failure(QStringLiteral("Cannot read %1").arg(path));
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    const QString text = QString::fromUtf8(bytes);
    users_import_plan plan;
    if (text.contains(QChar::ReplacementCharacter)) {
        plan.faults << QStringLiteral("the file is not UTF-8 text");
        return plan;
    }
    csv_reader reader(text);
    csv_record record;
    if (!reader.next(record)) {
        plan.faults << (reader.unterminated_line() > 0
                            ? QStringLiteral("line 1: a quote is never closed")
                            : QStringLiteral("line 1: there is no header row"));
        return plan;
    }
    const header columns = read_header(record);
    plan.faults << columns.faults;
    if (!columns.faults.isEmpty()) return plan;

    data::users_table users(db);
    const auto stored_rows = users.all();
    if (!stored_rows) return stored_rows.as_status();
    QHash<QString, const data::user_row*> stored;
    for (const data::user_row& row : *stored_rows) stored.insert(row.userid, &row);
    const auto schedules = data::schedules_table(db).all();
    if (!schedules) return schedules.as_status();
    std::array<bool, 100> known{};
    known[0] = true;
    for (const data::schedule_row& s : *schedules) {
        if (s.schedulenum > 0 && s.schedulenum < 100)
            known[static_cast<std::size_t>(s.schedulenum)] = true;
    }
    // A register never opened holds no schedule rows yet: any code is taken then.
    const bool check_schedules = !schedules->empty();

    QHash<QString, qint64> first_line_of;
    const qsizetype width = record.fields.size();
    while (reader.next(record)) {
        const auto fault = [&](const QString& why) {
            plan.faults << QStringLiteral("line %1: %2").arg(record.line).arg(why);
        };
        if (record.fields.size() != width) {
            fault(QStringLiteral("%1 fields, the header has %2")
                      .arg(record.fields.size())
                      .arg(width));
            continue;
        }
        const QString id = record.fields[0].trimmed();
        const QString last = stored_name(record.fields[1]);
        const QString first = stored_name(record.fields[2]);
        const qsizetype faults_before = plan.faults.size();
        if (id.isEmpty()) {
            fault(QStringLiteral("the ID is empty"));
        } else if (id.size() > longest_user_id) {
            fault(QStringLiteral("the ID %1 has more than %2 characters")
                      .arg(id)
                      .arg(longest_user_id));
        } else if (!latin1(id) || !commands::sendable_id(id)) {
            fault(QStringLiteral("the ID %1 holds a character no reader can take").arg(id));
        } else if (const auto seen = first_line_of.constFind(id); seen != first_line_of.cend()) {
            fault(QStringLiteral("the ID %1 is on line %2 too").arg(id).arg(*seen));
        }
        if (last.isEmpty()) fault(QStringLiteral("the last name is empty"));
        if (first.isEmpty()) fault(QStringLiteral("the first name is empty"));
        if (!latin1(last) || !latin1(first))
            fault(QStringLiteral("a name holds a character that cannot be stored (not Latin-1)"));
        else if (has_control(last) || has_control(first))
            fault(QStringLiteral("a name holds a control character (a line break or tab)"));
        first_line_of.insert(id, record.line);
        const data::user_row* before = stored.value(id, nullptr);
        QString access = before && !replace ? before->schedules : access_string::blank();
        access = access.leftJustified(access_string::length, u' ').left(access_string::length);
        for (const auto& [index, reader] : columns.readers) {
            const auto code = schedule_code(record.fields[index]);
            const QString column =
                QStringLiteral("reader_%1").arg(access_string::three_digits(reader));
            if (!code) {
                fault(QStringLiteral("%1: \"%2\" is not a schedule code")
                          .arg(column, record.fields[index].trimmed()));
                continue;
            }
            if (check_schedules && *code != QLatin1String("  ") &&
                !known[static_cast<std::size_t>(code->toInt())]) {
                fault(QStringLiteral("%1: there is no schedule %2").arg(column, *code));
                continue;
            }
            access.replace(2 * reader, 2, *code);
        }
        if (plan.faults.size() != faults_before) continue;
        const data::user_row row{id, last, first, access};
        if (plan.preview.size() < preview_rows) plan.preview.push_back(row);
        if (!before) {
            plan.added.push_back(row);
        } else if (before->lastname != last || before->firstname != first ||
                   before->schedules != access) {
            plan.updated.push_back(row);
        } else {
            ++plan.unchanged;
        }
    }
    if (reader.unterminated_line() > 0) {
        plan.faults
            << QStringLiteral("line %1: a quote is never closed").arg(reader.unterminated_line());
    }
    return plan;
}

status apply_users_import(data::database_file& db, const users_import_plan& plan) {
    if (!plan.ok()) return status::failure(plan.faults.join(u'\n'));
    data::transaction tx(db);
    if (!tx.active()) return status::failure(tx.error());
    data::users_table users(db);
    if (status added = users.insert_all(plan.added); !added) return added;
    if (status updated = users.update_all(plan.updated); !updated) return updated;
    return tx.commit();
}

QString import_summary(const users_import_plan& plan) {
    return QStringLiteral("%1 added, %2 updated, %3 unchanged")
        .arg(plan.added.size())
        .arg(plan.updated.size())
        .arg(plan.unchanged);
}

result<qint64> export_users_csv(data::database_file& db, const QString& path) {
    const auto rows = data::users_table(db).all();
    if (!rows) return rows.as_status();
    std::array<bool, access_string::reader_count> entered{};
    for (const data::user_row& row : *rows) {
        for (int reader : access_string::assigned_readers(row.schedules))
            entered[static_cast<std::size_t>(reader)] = true;
    }
    QStringList head{QStringLiteral("userid"), QStringLiteral("lastname"),
                     QStringLiteral("firstname")};
    std::vector<int> readers;
    for (int r = 0; r < access_string::reader_count; ++r) {
        if (!entered[static_cast<std::size_t>(r)]) continue;
        readers.push_back(r);
        head << QLatin1String(reader_column_prefix) + access_string::three_digits(r);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return status::failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
    // No byte-order mark: it would become part of the first column's name for most
    // tools that read CSV; the import takes a file with or without one.
    file.write(head.join(u',').toUtf8() + "\r\n");
    for (const data::user_row& row : *rows) {
        QStringList fields{csv_field(row.userid), csv_field(formula_guarded(row.lastname)),
                           csv_field(formula_guarded(row.firstname))};
        for (int r : readers) {
            const QString code = access_string::slot(row.schedules, r);
            fields << (code == QLatin1String("  ") ? QString() : code);
        }
        file.write(fields.join(u',').toUtf8() + "\r\n");
    }
    if (!file.commit())
        return status::failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return static_cast<qint64>(rows->size());
}

}  // namespace zep::records
