// db_kill_driver DB OPERATION [ARGS]: one database operation by the program's own code, for
// the tests that kill it at a write (ZEP_TEST_KILL_AT=write:N) or run two at once. Prints
// how many write points it passed and exits 0, or says why not and exits 1. Operations:
// close (the settings save), delete FROM TO, rename OLD NEW, loadup (readers and schedules
// registers), create, log TAG COUNT and users TAG COUNT (one row a transaction).

#include <QCoreApplication>
#include <cstdio>

#include "core/data/log_table.h"
#include "core/data/users_table.h"
#include "core/kill_point.h"
#include "core/operator.h"
#include "core/program/startup.h"
#include "core/records/log_delete.h"
#include "core/records/readers_register.h"
#include "core/records/schedules_register.h"
#include "core/records/users_register.h"

namespace {

using namespace zep;

// Keeps the last message: how a register says it refused.
struct last_message : quiet_operator {
    QString text;
    void message(const QString& said) override { text = said; }
    bool confirm(const QString&) override { return true; }  // the erase was asked for
};

status closing(const QString& path) {
    auto started = program::start_up({path, {}, QStringLiteral("driver")});
    if (!started) return started.as_status();
    program::session& s = **started;
    // A change in both rows every time.
    s.settings.reclen = s.settings.reclen == 12 ? 13 : 12;
    s.settings.ipaddress = QStringLiteral("127.0.0.%1").arg(s.settings.reclen);
    s.marker.export_fixed = !s.marker.export_fixed;
    return program::close_down(s);
}

status one_by_one(data::database_file& db, bool log, const QString& tag, int count) {
    for (int i = 1; i <= count; ++i) {
        const QString id = tag + QString::number(i);
        const status stored =
            log ? data::log_table(db).insert_all(
                      {{"2005-03-01 10:00:00", "001", "", "", id, "Li", "Bo", "Y"}})
                : data::users_table(db).insert_all({{id, "Li", "Bo", QString(254, ' ')}});
        if (!stored) return stored;
    }
    return {};
}

status perform(data::database_file& db, const QString& op, const QStringList& a) {
    if (op == "log" || op == "users")
        return one_by_one(db, op == "log", a.value(0), a.value(1).toInt());
    last_message person;
    bool done = op == "create";
    if (op == "delete") {
        done = records::delete_log_dates(db, person, a.value(0), a.value(1)) ==
               records::dbutil_outcome::done;
    } else if (op == "rename") {
        records::users_register users(db, person);
        done = users.modify_user(a.value(0), {"Ann", "Renamed", a.value(1)}).has_value();
    } else if (op == "loadup") {
        records::readers_loadup(db, person);
        records::schedules_loadup(db, person);
        done = person.text.isEmpty();
    }
    return done ? status() : status::failure(op + ": " + person.text);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments().mid(1);
    status done = status::failure("usage: db_kill_driver DB OPERATION [ARGS]");
    if (a.value(1) == "close") {
        done = closing(a[0]);
    } else if (a.size() >= 2) {
        auto opened = data::database_file::open(a[0], QStringLiteral("driver"));
        done = opened ? perform(**opened, a[1], a.mid(2)) : opened.as_status();
    }
    if (!done) {
        std::fprintf(stderr, "%s\n", qPrintable(done.error()));
        return 1;
    }
    std::printf("%ld\n", kill_points_passed(kill_point_kind::write));
    return 0;
}
