#include "core/data/schema.h"

#include <QStringList>
#include <array>

namespace zep::data::schema {

namespace {

constexpr auto T = field_type::text;
constexpr auto I = field_type::integer;

constexpr std::array<field, 4> users_fields{{
    {"userid", T},
    {"lastname", T},
    {"firstname", T},
    {"schedules", T},
}};

constexpr std::array<field, 9> schedules_fields{{
    {"schedulenum", I},
    {"schedulename", T},
    {"sunday", T},
    {"monday", T},
    {"tuesday", T},
    {"wednesday", T},
    {"thursday", T},
    {"friday", T},
    {"saturday", T},
}};

constexpr std::array<field, 10> readers_fields{{
    {"readernum", I},
    {"readername", T},
    {"location", T},
    {"active", T},
    {"timezone", T},
    {"commmode", T},
    {"protocol", T},
    {"address422", T},
    {"ipaddress", T},
    {"Port", T},
}};

constexpr std::array<field, 8> log_fields{{
    {"DateTime", T},
    {"readernum", T},
    {"readername", T},
    {"location", T},
    {"idnum", T},
    {"lastname", T},
    {"firstname", T},
    {"granted", T},
}};

// The documented field order, then the Com port device paths of our own (optional).
constexpr std::array<field, 62> settings_fields{{
    {"settings", T},
    {"reclen", I},
    {"redled", I},
    {"relay", I},
    {"ipaddress", T},
    {"remoteportaddress", T},
    {"autoconfigreclen", T},
    {"applyalldowntxt", T},
    {"applyallcleartxt", T},
    {"applyalldownschtxt", T},
    {"txtformat", T},
    {"txtdownloadverify", T},
    {"autoacclistdown", T},
    {"autoacclistup", T},
    {"autoschdown", T},
    {"autologup", T},
    {"autosettings", T},
    {"diracclistdown", T},
    {"diracclistup", T},
    {"dirschdown", T},
    {"dirlogup", T},
    {"singacclistdown", T},
    {"singacclistup", T},
    {"singschdown", T},
    {"singlogup", T},
    {"prior011001", T},
    {"addhocaddall", T},
    {"setdateall", T},
    {"barsettings", T},
    {"barstart", I},
    {"barlen", I},
    {"barapplyall", T},
    {"magsettings", T},
    {"mag1start", I},
    {"mag1len", I},
    {"mag2start", I},
    {"mag2len", I},
    {"magapplyall", T},
    {"proxmode", T},
    {"proxnumbits", I},
    {"proxsitestart", I},
    {"proxsitelen", I},
    {"proxidstart", I},
    {"proxidlen", I},
    {"proxsitechars", I},
    {"proxidchars", I},
    {"proxapplyall", T},
    {"applyallsetparms", T},
    {"applyallsetmode", T},
    {"applyallreset", T},
    {"applyall232log", T},
    {"applyallbadlog", T},
    {"defreadermode", T},
    {"def232log", T},
    {"defbadlog", T},
    {"loginpass", T},
    {"applyallpass", T},
    {"comdevice1", T, false},
    {"comdevice2", T, false},
    {"comdevice3", T, false},
    {"comdevice4", T, false},
    {"comdevice5", T, false},
}};

constexpr std::array<table, 5> all_tables{{
    {"users", users_fields},
    {"schedules", schedules_fields},
    {"readers", readers_fields},
    {"log", log_fields},
    {"settings", settings_fields},
}};

constexpr std::array<index, 5> all_indexes{{
    {"userid", "users", "userid", true},
    {"schedulenum", "schedules", "schedulenum", false},
    {"readernum", "readers", "readernum", false},
    {"datetime", "log", "DateTime", false},
    {"logname", "log", "DateTime", false, false, log_name_key},
}};

}  // namespace

std::span<const table> tables() {
    return all_tables;
}
std::span<const index> indexes() {
    return all_indexes;
}

const table* find_table(const QString& name) {
    for (const table& t : all_tables) {
        if (name == QLatin1String(t.name)) return &t;
    }
    return nullptr;
}

}  // namespace zep::data::schema
