#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "core/data/database_file.h"
#include "core/data/settings_record.h"
#include "core/link/comm_settings.h"

namespace zep::program {

// Everything a started program holds from start-up until it closes.
struct session {
    std::unique_ptr<data::database_file> db;
    data::settings_record settings;
    data::marker_flags marker;
    // The settings as read at start-up: the closing save writes only what differs.
    data::settings_record loaded_settings;
    data::marker_flags loaded_marker;
    link::comm_settings comm;
    bool busy = false;  // a transfer runs: the menus ignore the operator
    QString command_line;
    // What start-up noticed but got past, one line each (a settings value it could not use).
    QStringList warnings;
    bool background = false;  // command line exactly "background"
};

}  // namespace zep::program
