#include "core/records/readers_register.h"

#include <cmath>
#include <set>

#include "core/operator.h"
#include "core/records/access_string.h"
#include "core/records/record_change.h"
#include "core/records/text_value.h"
#include "core/records/users_register.h"

namespace zep::records {

namespace {

constexpr std::array<int, 2> speeds = {9600, 19200};

QString shown_comm_mode(const QString& stored) {
    return stored == QLatin1String("T") ? QString::fromLatin1(tcp_mode_text) : stored;
}

data::reader_row new_reader(int number) {
    data::reader_row row;
    row.readernum = static_cast<qint16>(number);
    row.protocol = QStringLiteral("N");
    return row;
}

void load_comm_mode(reader_form& form, const QString& mode) {
    for (int port = 1; port <= 5; ++port) {
        if (mode.left(4) == QStringLiteral("Com%1").arg(port)) {
            form.port = port;
            form.mode = reader_form_mode::serial;
        }
    }
    if (mode.mid(5, 2) == QLatin1String("96")) form.speed = 9600;
    if (mode.mid(5, 2) == QLatin1String("19")) form.speed = 19200;
    if (mode == QLatin1String(tcp_mode_text)) form.mode = reader_form_mode::tcp;
}

bool valid_ip_address(const QString& text) {
    const QString ip = text.trimmed();
    if (ip.isEmpty()) return true;
    return ip.count(QLatin1Char('.')) == 3 && !ip.contains(QLatin1String(".."));
}

}  // namespace

std::vector<data::reader_row> readers_loadup(data::database_file& db, operator_port& person) {
    data::readers_table table(db);
    std::vector<data::reader_row> rows;
    std::set<int> present;
    const status walked = table.walk([&](const data::reader_row& row) {
        rows.push_back(row);
        present.insert(row.readernum);
    });
    std::vector<data::reader_row> missing;
    for (int r = 0; r <= access_string::last_reader; ++r) {
        if (!present.contains(r)) missing.push_back(new_reader(r));
    }
    // Unread rows would look missing and be added twice.
    if (!walked || (!missing.empty() && !table.insert_all(missing))) {
        person.message(QString::fromLatin1(internal_error_text));
        return rows;
    }
    rows.insert(rows.end(), missing.begin(), missing.end());
    return rows;
}

std::array<QString, 10> reader_columns(const data::reader_row& row) {
    return {access_string::three_digits(row.readernum),
            row.readername,
            row.location,
            row.timezone,
            row.active,
            shown_comm_mode(row.commmode),
            row.protocol == QLatin1String("Y") ? QStringLiteral("Y") : QString(),
            row.address422,
            row.ipaddress,
            row.Port};
}

reader_form reader_form_from_row(const data::reader_row& row) {
    const auto columns = reader_columns(row);
    reader_form form;
    form.readernum = row.readernum;
    form.name = columns[1];
    form.location = columns[2];
    form.time_difference = columns[3];
    form.active = columns[4] == QLatin1String("Y");
    load_comm_mode(form, columns[5]);
    form.protocol = columns[6] == QLatin1String("Y");
    form.network_address = columns[7];
    form.ip_address = columns[8];
    form.tcp_port = columns[9];
    return form;
}

reader_form_enabled enabled_fields(const reader_form& form) {
    reader_form_enabled enabled;
    enabled.ports = enabled.speeds = form.mode == reader_form_mode::serial;
    enabled.ip_address = enabled.tcp_port = form.mode == reader_form_mode::tcp;
    enabled.network_address = form.protocol;
    return enabled;
}

void select_mode(reader_form& form, reader_form_mode mode) {
    form.mode = mode;
    if (mode != reader_form_mode::serial) return;
    if (form.speed == 0) form.speed = 9600;
    if (form.port == 0) form.port = 1;
}

void set_speed_ticked(reader_form& form, int speed, bool ticked) {
    const int other = speed == speeds[0] ? speeds[1] : speeds[0];
    form.speed = ticked ? speed : other;
}

bool time_difference_key(QChar c) {
    return c.isDigit() || c == QLatin1Char('-');
}

bool ip_address_key(QChar c) {
    return c.isDigit() || c == QLatin1Char('.');
}

bool digits_key(QChar c) {
    return c.isDigit();
}

QString comm_mode_text(const reader_form& form) {
    switch (form.mode) {
        case reader_form_mode::none:
            return {};
        case reader_form_mode::tcp:
            return QString::fromLatin1(tcp_mode_text);
        case reader_form_mode::serial:
            break;
    }
    const int speed = form.speed == 19200 ? 19200 : 9600;
    return QStringLiteral("Com%1 %2").arg(form.port == 0 ? 1 : form.port).arg(speed);
}

status validate_reader_form(const reader_form& form) {
    const double hours = std::nearbyint(text_value(form.time_difference));
    if (hours < -24 || hours > 24) {
        return status::failure(QString::fromLatin1(invalid_time_differential_text));
    }
    if (!valid_ip_address(form.ip_address)) {
        return status::failure(QString::fromLatin1(invalid_ip_address_text));
    }
    return {};
}

data::reader_row reader_row_from_form(const reader_form& form) {
    data::reader_row row;
    row.readernum = form.readernum;
    row.readername = form.name;
    row.location = form.location;
    row.timezone = form.time_difference;
    row.active = form.active ? QStringLiteral("Y") : QString();
    row.commmode = comm_mode_text(form);
    row.protocol = form.protocol ? QStringLiteral("Y") : QStringLiteral("N");
    row.address422 = form.network_address;
    row.ipaddress = form.ip_address;
    row.Port = form.tcp_port;
    return row;
}

reader_update update_reader(data::database_file& db, operator_port& person, const reader_form& form,
                            const reader_form* as_read) {
    const auto refuse = [&person](const QString& why) {
        person.message(why);
        return reader_update::refused;
    };
    if (status valid = validate_reader_form(form); !valid) return refuse(valid.error());
    data::readers_table table(db);
    const auto found = table.find(form.readernum);
    if (found && !*found) return reader_update::not_in_table;
    if (!found) return refuse(QString::fromLatin1(internal_error_text));
    const auto changed = [&person] {
        person.message(QString::fromLatin1(changed_elsewhere_text));
        return reader_update::changed_elsewhere;
    };
    if (as_read && reader_form_from_row(**found) != *as_read) return changed();
    const auto written = table.update_if(**found, reader_row_from_form(form));
    if (!written) return refuse(QString::fromLatin1(internal_error_text));
    return *written ? reader_update::stored : changed();
}

}  // namespace zep::records
