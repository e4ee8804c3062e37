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

// The JSON format, for --help.
QString scenario_format_help();

}  // namespace zep::sim
