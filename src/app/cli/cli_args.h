#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace zep::cli {

// Which options a command takes: those that carry a value and plain flags.
struct option_set {
    QStringList with_value;
    QStringList flags;
};

// A command's arguments: positionals in order, options by name (without the dashes).
struct parsed_args {
    QStringList positional;
    QMap<QString, QString> options;

    bool has(const QString& name) const { return options.contains(name); }
    QString value(const QString& name) const { return options.value(name); }
};

// Parses `--name VALUE`, `--name=VALUE` and `--flag`; `--` ends the options (so a TEXT
// may begin with a dash). nullopt with `error` set on an unknown or incomplete option.
std::optional<parsed_args> parse_args(const QStringList& args, const option_set& accepted,
                                      QString* error);

option_set& operator+=(option_set& into, const option_set& more);

}  // namespace zep::cli
