#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "sim/reader_model.h"

namespace zep::sim {

struct line_config {
    enum transport { tcp, pty };
    transport kind = tcp;
    quint16 port = 0;  // tcp: 0 picks a free port
    std::vector<reader_config> readers;
};

struct scenario {
    std::vector<line_config> lines;
};

// Reads the JSON form described by `zep-sim --help`. Unknown keys are errors, so a
// misspelt fault does not pass unnoticed.
std::optional<scenario> load_scenario(const QByteArray& json, QString* error);

// Scenarios are a few kilobytes; a larger file than this is a mistake, not a scenario.
inline constexpr qint64 max_scenario_bytes = 16 * 1024 * 1024;

// Reads and loads the scenario file at `path`; a file it cannot open, one larger than
// max_scenario_bytes (refused before it is read) or a bad scenario sets `error` to one line
// that starts with the path.
std::optional<scenario> load_scenario_file(const QString& path, QString* error);

// The JSON format, for --help.
QString scenario_format_help();

}  // namespace zep::sim
