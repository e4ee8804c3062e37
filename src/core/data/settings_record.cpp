#include "core/data/settings_record.h"

namespace zep::data {

namespace {

using r = settings_record;

const std::array<settings_field, 57> fields{{
    {"settings", &r::settings},
    {"reclen", &r::reclen},
    {"redled", &r::redled},
    {"relay", &r::relay},
    {"ipaddress", &r::ipaddress},
    {"remoteportaddress", &r::remoteportaddress},
    {"autoconfigreclen", &r::autoconfigreclen},
    {"applyalldowntxt", &r::applyalldowntxt},
    {"applyallcleartxt", &r::applyallcleartxt},
    {"applyalldownschtxt", &r::applyalldownschtxt},
    {"txtformat", &r::txtformat},
    {"txtdownloadverify", &r::txtdownloadverify},
    {"autoacclistdown", &r::autoacclistdown},
    {"autoacclistup", &r::autoacclistup},
    {"autoschdown", &r::autoschdown},
    {"autologup", &r::autologup},
    {"autosettings", &r::autosettings},
    {"diracclistdown", &r::diracclistdown},
    {"diracclistup", &r::diracclistup},
    {"dirschdown", &r::dirschdown},
    {"dirlogup", &r::dirlogup},
    {"singacclistdown", &r::singacclistdown},
    {"singacclistup", &r::singacclistup},
    {"singschdown", &r::singschdown},
    {"singlogup", &r::singlogup},
    {"prior011001", &r::prior011001},
    {"addhocaddall", &r::addhocaddall},
    {"setdateall", &r::setdateall},
    {"barsettings", &r::barsettings},
    {"barstart", &r::barstart},
    {"barlen", &r::barlen},
    {"barapplyall", &r::barapplyall},
    {"magsettings", &r::magsettings},
    {"mag1start", &r::mag1start},
    {"mag1len", &r::mag1len},
    {"mag2start", &r::mag2start},
    {"mag2len", &r::mag2len},
    {"magapplyall", &r::magapplyall},
    {"proxmode", &r::proxmode},
    {"proxnumbits", &r::proxnumbits},
    {"proxsitestart", &r::proxsitestart},
    {"proxsitelen", &r::proxsitelen},
    {"proxidstart", &r::proxidstart},
    {"proxidlen", &r::proxidlen},
    {"proxsitechars", &r::proxsitechars},
    {"proxidchars", &r::proxidchars},
    {"proxapplyall", &r::proxapplyall},
    {"applyallsetparms", &r::applyallsetparms},
    {"applyallsetmode", &r::applyallsetmode},
    {"applyallreset", &r::applyallreset},
    {"applyall232log", &r::applyall232log},
    {"applyallbadlog", &r::applyallbadlog},
    {"defreadermode", &r::defreadermode},
    {"def232log", &r::def232log},
    {"defbadlog", &r::defbadlog},
    {"loginpass", &r::loginpass},
    {"applyallpass", &r::applyallpass},
}};

}  // namespace

std::span<const settings_field> settings_fields() {
    return fields;
}

QString comdevice_field(int port) {
    return QStringLiteral("comdevice%1").arg(port);
}

}  // namespace zep::data
