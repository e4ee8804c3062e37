#include "core/records/users_register.h"

#include <algorithm>
#include <map>

#include "core/commands/command_text.h"
#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/data/transaction.h"
#include "core/operator.h"
#include "core/records/access_string.h"
#include "core/records/record_change.h"
#include "core/records/schedules_register.h"

namespace zep::records {

namespace {

constexpr auto separator = "  ";

const QString& user_field(const data::user_row& row, int column) {
    if (column == 1) return row.firstname;
    if (column == 2) return row.userid;
    return row.lastname;
}

QString reader_text(int reader, const QString& name) {
    return access_string::three_digits(reader) + QLatin1String(separator) + name;
}

QString schedule_text(const QString& code, const QString& name) {
    if (code == QLatin1String("00")) return QString::fromLatin1(access_string::all_times_schedule);
    return access_string::three_digits(code.toInt()) + QLatin1String(separator) + name;
}

}  // namespace

std::vector<data::user_row> load_user_list(data::database_file& db) {
    std::vector<data::user_row> rows;
    const status walked = data::users_table(db).walk([&rows](const data::user_row& row) {
        rows.push_back({row.userid, row.lastname, row.firstname, {}});
    });
    if (!walked) rows.clear();
    return rows;
}

void sort_user_list(std::vector<data::user_row>& rows, int column) {
    std::stable_sort(rows.begin(), rows.end(),
                     [column](const data::user_row& a, const data::user_row& b) {
                         return user_field(a, column) < user_field(b, column);
                     });
}

int selection_after_delete(int deleted, int remaining) {
    if (remaining <= 0) return -1;
    return std::min(deleted, remaining - 1);
}

QString assignments_heading(const QString& firstname, const QString& lastname) {
    return QStringLiteral("Readers/Schedules for ") + firstname.trimmed() + QLatin1Char(' ') +
           lastname.trimmed();
}

std::vector<assignment_row> assignment_list(data::database_file& db, const QString& access) {
    // Names are read once: a seek per slot would cost 127 queries per user shown.
    std::map<int, QString> readers;
    if (!data::readers_table(db).walk(
            [&](const data::reader_row& row) { readers[row.readernum] = row.readername; })) {
        readers.clear();
    }
    std::map<int, QString> schedules;
    if (!data::schedules_table(db).walk([&](const data::schedule_row& row) {
            schedules[row.schedulenum] = row.schedulename;
        })) {
        schedules.clear();
    }

    std::vector<assignment_row> rows;
    for (int r : access_string::assigned_readers(access)) {
        const QString code = access_string::slot(access, r);
        rows.push_back(
            {r, reader_text(r, readers[r]), schedule_text(code, schedules[code.toInt()])});
    }
    return rows;
}

assignment_row make_assignment_row(data::database_file& db, int reader, const QString& slot_code) {
    QString reader_name;
    if (const auto found = data::readers_table(db).find(static_cast<qint16>(reader));
        found && *found) {
        reader_name = (*found)->readername;
    }
    QString schedule_name;
    if (slot_code != QLatin1String("00")) {
        const auto found = data::schedules_table(db).find(static_cast<qint16>(slot_code.toInt()));
        if (found && *found) schedule_name = (*found)->schedulename;
    }
    return {reader, reader_text(reader, reader_name), schedule_text(slot_code, schedule_name)};
}

std::array<QString, 7> weekly_times(data::database_file& db, const QString& schedule_column) {
    std::array<QString, 7> cells;
    const QString number = schedule_column.left(3);
    if (number == QLatin1String(access_string::all_times_schedule)) {
        cells.fill(QString::fromLatin1(all_times_text));
        return cells;
    }
    const auto found = data::schedules_table(db).find(static_cast<qint16>(number.toInt()));
    if (!found || !*found) return cells;
    const auto days = day_fields(**found);
    for (size_t k = 0; k < cells.size(); ++k) cells[k] = shown_day(days[k]);
    return cells;
}

QString picker_caption(const data::user_row& user) {
    return QStringLiteral("Add Reader and Schedule for user ") + user.firstname + QLatin1Char(' ') +
           user.lastname + QStringLiteral(",  ID:") + user.userid;
}

status check_choice(const QString& access, const assignment_choice& choice) {
    if (choice.reader.isEmpty() || choice.schedule.isEmpty()) {
        return status::failure(QString::fromLatin1(select_reader_and_schedule_text));
    }
    if (choice.reader != QLatin1String(access_string::all_remaining_readers) &&
        access_string::has_slot(access, choice.reader.toInt())) {
        return status::failure(QString::fromLatin1(reader_already_defined_text));
    }
    return {};
}

QString delete_user_question(const data::user_row& user) {
    return QStringLiteral(
               "Delete the user %1 %2 (ID %3) and every reader and schedule "
               "assigned to them?")
        .arg(user.firstname.trimmed(), user.lastname.trimmed(), user.userid);
}

QString clear_schedules_question(const data::user_row& user) {
    return QStringLiteral("Remove every reader and schedule assigned to %1 %2 (ID %3)?")
        .arg(user.firstname.trimmed(), user.lastname.trimmed(), user.userid);
}

bool users_register::refuse(const char* text) {
    person_.message(QString::fromLatin1(text));
    return false;
}

std::nullopt_t users_register::refuse_row(const char* text) {
    refuse(text);
    return std::nullopt;
}

status users_register::entry_fault(const user_entry& typed) const {
    const auto fault = [](const char* text) { return status::failure(QString::fromLatin1(text)); };
    if (typed.lastname.trimmed().isEmpty()) return fault(last_name_blank_text);
    if (typed.firstname.trimmed().isEmpty()) return fault(first_name_blank_text);
    const QString id = typed.userid.trimmed();
    if (id.isEmpty()) return fault(id_blank_text);
    // An ID the readers cannot take would be refused by every access-list download.
    if (id.size() > longest_user_id) return fault(id_too_long_text);
    if (!commands::sendable_id(id)) return fault(id_unsendable_text);
    return {};
}

std::optional<data::user_row> users_register::add_user(const user_entry& typed) {
    if (status filled = entry_fault(typed); !filled) {
        person_.message(filled.error());
        return std::nullopt;
    }
    data::users_table users(db_);
    const auto holder = users.find(typed.userid.trimmed());
    if (!holder || *holder) return refuse_row(holder ? user_id_used_text : internal_error_text);
    const data::user_row row{typed.userid.trimmed(), typed.lastname.trimmed(),
                             typed.firstname.trimmed(), access_string::blank()};
    if (!users.insert(row)) return refuse_row(internal_error_text);
    return row;
}

bool users_register::write_unchanged(const data::user_row& stored, const data::user_row& now,
                                     const data::user_row* shown) {
    if (!shown || stored == *shown) {
        const auto written = data::users_table(db_).update_if(stored, now);
        if (!written) return refuse(internal_error_text);
        if (*written) return true;
    }
    changed_elsewhere_ = true;
    return refuse(changed_elsewhere_text);
}

std::optional<data::user_row> users_register::modify_user(const QString& old_userid,
                                                          const user_entry& typed,
                                                          const data::user_row* shown) {
    changed_elsewhere_ = false;
    if (status filled = entry_fault(typed); !filled) {
        person_.message(filled.error());
        return std::nullopt;
    }
    data::users_table users(db_);
    const auto old_found = users.find(old_userid);
    if (old_found && !*old_found && shown) {
        changed_elsewhere_ = true;
        return refuse_row(changed_elsewhere_text);
    }
    if (!old_found || !*old_found) return refuse_row(internal_error_lower_text);
    const data::user_row& old_row = **old_found;
    const QString new_id = typed.userid.trimmed();
    // The key is unique, so finding the new ID on another row means another user has it.
    const auto holder = users.find(new_id);
    if (!holder) return refuse_row(internal_error_text);
    if (*holder && (*holder)->userid != old_row.userid) return refuse_row(id_number_used_text);
    const data::user_row row{new_id, typed.lastname.trimmed(), typed.firstname.trimmed(),
                             old_row.schedules};
    // One statement writes a new ID with the names, or nothing at all.
    if (!write_unchanged(old_row, row, shown)) return std::nullopt;
    return row;
}

bool users_register::delete_user(const QString& userid) {
    data::users_table users(db_);
    const auto found = users.find(userid);
    if (!found) return refuse(internal_error_text);
    // Someone else deleted it meanwhile: what the operator wanted is done.
    if (!*found) return true;
    // A person's access is not taken away by one click.
    if (!person_.confirm_erase(delete_user_question(**found))) return false;
    if (!users.remove(userid)) return refuse(internal_error_text);
    return true;
}

std::optional<data::user_row> users_register::begin_assignment(const QString& userid) {
    data::users_table users(db_);
    const auto count = users.count();
    if (!count || *count == 0) return refuse_row(count ? no_users_text : internal_error_text);
    const auto found = users.find(userid);
    if (!found || !*found) return refuse_row(found ? select_user_first_text : internal_error_text);
    return *found;
}

std::vector<assignment_row> users_register::store_assignment(const QString& userid,
                                                             const assignment_choice& choice,
                                                             const data::user_row* shown) {
    changed_elsewhere_ = false;
    if (choice.reader.isEmpty()) return {};
    data::users_table users(db_);
    const auto found = users.find(userid);
    if (!found || !*found) {
        refuse(internal_error_text);
        return {};
    }
    const data::user_row stored = **found;
    data::user_row row = stored;
    std::vector<int> readers;
    if (choice.reader == QLatin1String(access_string::all_remaining_readers)) {
        row.schedules = access_string::with_all_remaining(row.schedules, choice.schedule, &readers);
    } else {
        readers.push_back(choice.reader.toInt());
        row.schedules = access_string::with_slot(row.schedules, readers.front(), choice.schedule);
    }
    if (!write_unchanged(stored, row, shown)) return {};
    std::vector<assignment_row> added;
    const QString code = choice.schedule.right(2);
    for (int r : readers) added.push_back(make_assignment_row(db_, r, code));
    return added;
}

bool users_register::clear_schedules(const QString& userid, const data::user_row* shown) {
    changed_elsewhere_ = false;
    data::users_table users(db_);
    const auto count = users.count();
    if (!count) return refuse(internal_error_text);
    if (*count == 0) return refuse(no_users_text);
    const auto found = users.find(userid);
    if (!found || !*found) return refuse(found ? select_user_first_text : internal_error_text);
    data::user_row row = **found;
    if (!person_.confirm_erase(clear_schedules_question(row))) return false;
    row.schedules = access_string::blank();
    return write_unchanged(**found, row, shown);
}

bool users_register::delete_assignment(const QString& userid, int readernum,
                                       const data::user_row* shown) {
    changed_elsewhere_ = false;
    if (!person_.confirm(QString::fromLatin1(delete_reader_question))) return false;
    data::users_table users(db_);
    const auto found = users.find(userid);
    if (!found || !*found) return refuse(internal_error_text);
    data::user_row row = **found;
    row.schedules = access_string::without_slot(row.schedules, readernum);
    return write_unchanged(**found, row, shown);
}

}  // namespace zep::records
