#include "app/cli/cli_args.h"

namespace zep::cli {

option_set& operator+=(option_set& into, const option_set& more) {
    into.with_value += more.with_value;
    into.flags += more.flags;
    return into;
}

std::optional<parsed_args> parse_args(const QStringList& args, const option_set& accepted,
                                      QString* error) {
    parsed_args parsed;
    bool options_done = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (options_done || !arg.startsWith(QLatin1String("--")) || arg == QLatin1String("-")) {
            parsed.positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            options_done = true;
            continue;
        }
        QString name = arg.mid(2);
        std::optional<QString> inline_value;
        if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
            inline_value = name.mid(eq + 1);
            name.truncate(eq);
        }
        if (accepted.flags.contains(name) && !inline_value) {
            parsed.options.insert(name, QString());
        } else if (accepted.with_value.contains(name)) {
            if (inline_value) {
                parsed.options.insert(name, *inline_value);
            } else if (i + 1 < args.size()) {
                parsed.options.insert(name, args[++i]);
            } else {
                *error = QStringLiteral("option --%1 needs a value").arg(name);
                return std::nullopt;
            }
        } else {
            *error = QStringLiteral("unknown option %1").arg(arg);
            return std::nullopt;
        }
    }
    return parsed;
}

}  // namespace zep::cli
