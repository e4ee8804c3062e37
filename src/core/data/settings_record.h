#pragma once

#include <QString>
#include <array>
#include <span>
#include <variant>

#include "core/link/comm_settings.h"

namespace zep::data {

// Every field of the settings row, in the order the row is written, with the values a
// first start gives it. Texts hold "Y"/"N" flags, single-digit choices, digit strings and
// paths; the integer fields are 16-bit as stored.
struct settings_record {
    QString settings = QString::fromLatin1(link::default_comm_settings);
    qint16 reclen = 40;
    qint16 redled = 3;
    qint16 relay = 5;
    QString ipaddress = QStringLiteral("192.168.1.200");
    QString remoteportaddress = QStringLiteral("4001");
    QString autoconfigreclen = QStringLiteral("Y");
    QString applyalldowntxt = QStringLiteral("N");
    QString applyallcleartxt = QStringLiteral("N");
    QString applyalldownschtxt = QStringLiteral("N");
    QString txtformat = QStringLiteral("2");
    QString txtdownloadverify = QStringLiteral("Y");
    QString autoacclistdown = QStringLiteral("3");
    QString autoacclistup = QStringLiteral("3");
    QString autoschdown = QStringLiteral("3");
    QString autologup = QStringLiteral("3");
    QString autosettings = QStringLiteral("10111");
    QString diracclistdown;
    QString diracclistup;
    QString dirschdown;
    QString dirlogup;
    QString singacclistdown;
    QString singacclistup;
    QString singschdown;
    QString singlogup;
    QString prior011001 = QStringLiteral("N");
    QString addhocaddall = QStringLiteral("N");
    QString setdateall = QStringLiteral("N");
    QString barsettings = QStringLiteral("1111111000");
    qint16 barstart = 0;
    qint16 barlen = 0;
    QString barapplyall = QStringLiteral("N");
    QString magsettings = QStringLiteral("11");
    qint16 mag1start = 0;
    qint16 mag1len = 0;
    qint16 mag2start = 0;
    qint16 mag2len = 0;
    QString magapplyall = QStringLiteral("N");
    QString proxmode = QStringLiteral("3");
    qint16 proxnumbits = 26;
    qint16 proxsitestart = 2;
    qint16 proxsitelen = 8;
    qint16 proxidstart = 10;
    qint16 proxidlen = 16;
    qint16 proxsitechars = 3;
    qint16 proxidchars = 5;
    QString proxapplyall = QStringLiteral("N");
    QString applyallsetparms = QStringLiteral("N");
    QString applyallsetmode = QStringLiteral("N");
    QString applyallreset = QStringLiteral("N");
    QString applyall232log = QStringLiteral("N");
    QString applyallbadlog = QStringLiteral("N");
    QString defreadermode = QStringLiteral("2");
    QString def232log = QStringLiteral("2");
    QString defbadlog = QStringLiteral("2");
    QString loginpass;  // empty = no login prompt; stored as a hash once saved
    QString applyallpass = QStringLiteral("N");

    // Device path of Com1..Com5 (fields comdevice1..comdevice5, ours).
    std::array<QString, 5> comdevice = {QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS1"),
                                        QStringLiteral("/dev/ttyS2"), QStringLiteral("/dev/ttyS3"),
                                        QStringLiteral("/dev/ttyS4")};

    bool operator==(const settings_record&) const = default;
};

// The two options of the database utilities screen, kept in the marker row.
struct marker_flags {
    bool dbutil_add_all = false;  // "Add to all active readers"
    bool export_fixed = true;     // "Fixed Format" (else "Comma Delimited")

    bool operator==(const marker_flags&) const = default;
};

// The marker row is told apart by these two values.
inline constexpr auto marker_settings_value = "9999999";
inline constexpr auto marker_ipaddress_value = "12-20-2003";

// One documented field of the settings row: its name and where it lives in the record.
struct settings_field {
    const char* name;
    std::variant<QString settings_record::*, qint16 settings_record::*> member;
};

// The documented fields in their order (without the comdevice fields).
std::span<const settings_field> settings_fields();

// Name of the field holding the device path of Com `port` (1..5).
QString comdevice_field(int port);

}  // namespace zep::data
