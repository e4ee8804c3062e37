#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "sim/scenario.h"

namespace zep::sim {

class sim_network;

// What `zep-sim` was asked to do.
struct cli_request {
    bool help = false;
    bool trace = false;
    int exit_after_s = 0;  // 0: run until a signal
    scenario lines;
};

// Arguments without the program name. A scenario file named on the command line is
// read here; quick-form lines follow the file's lines.
std::optional<cli_request> parse_cli(const QStringList& args, QString* error);

QString cli_help();

// One line per served line, "tcp line 0 127.0.0.1:40123" or "pty line 1 /dev/pts/7".
QStringList endpoint_lines(const sim_network& net);

}  // namespace zep::sim
