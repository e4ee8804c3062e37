#include "app/cli/cli_help.h"

#include <algorithm>

namespace zep::cli {

namespace {

constexpr int width = 80;
constexpr int label_width = 26;  // the column of the one-line texts

// `words` after `first`, broken before a word that would pass the width; continuation
// lines start with `indent` blanks.
QString wrap(const QString& first, const QStringList& words, int indent) {
    QString text = first;
    qsizetype line_start = first.lastIndexOf(QLatin1Char('\n')) + 1;
    for (const QString& word : words) {
        const bool starts_line = text.size() == line_start || text.endsWith(QLatin1Char(' '));
        if (!starts_line && text.size() - line_start + 1 + word.size() >= width) {
            text += QLatin1Char('\n');
            line_start = text.size();
            text += QString(indent, QLatin1Char(' '));
        } else if (!starts_line) {
            text += QLatin1Char(' ');
        }
        text += word;
    }
    return text;
}

// "  LABEL   text", the text wrapped in its column; a long label puts it on the next line.
QString row(const QString& label, const QString& text) {
    QString line = QStringLiteral("  ") + label;
    if (line.size() + 1 >= label_width + 2) {
        line += QLatin1Char('\n') + QString(label_width + 2, QLatin1Char(' '));
    } else {
        line = line.leftJustified(label_width + 2);
    }
    return wrap(line, text.split(QLatin1Char(' ')), label_width + 2) + QLatin1Char('\n');
}

QString sentence(const QString& summary) {
    return summary.left(1).toUpper() + summary.mid(1) + QLatin1Char('.');
}

QString name_and_arguments(const cli_command& c) {
    return (QStringList{c.name} + c.arguments).join(QLatin1Char(' '));
}

int edit_distance(const QString& a, const QString& b) {
    std::vector<int> row(static_cast<size_t>(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j) row[j] = static_cast<int>(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[static_cast<size_t>(j)];
            row[static_cast<size_t>(j)] = std::min({above + 1, row[static_cast<size_t>(j - 1)] + 1,
                                                    diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

}  // namespace

QString section_title(section part) {
    switch (part) {
        case section::one_reader:
            return QStringLiteral("the single reader (the stored link, or the link options)");
        case section::text_files:
            return QStringLiteral("text files to and from the single reader");
        case section::setup:
            return QStringLiteral("reader setup (the single reader, or --all)");
        case section::network:
            return QStringLiteral("network tools");
        case section::database:
            return QStringLiteral("the database");
        case section::automatic_run:
            return QStringLiteral("the automatic run");
    }
    return {};
}

completion argument_completion(const QString& argument) {
    if (argument == QLatin1String("FILE")) return completion::file;
    if (argument.contains(QLatin1Char('|'))) return completion::choices;
    return completion::none;
}

QString option_label(const cli_option& option) {
    QStringList names = option.names.split(QLatin1Char('|'));
    for (QString& name : names) name.prepend(QStringLiteral("--"));
    QString label = names.join(QStringLiteral(", "));
    if (!option.value.isEmpty()) label += QLatin1Char(' ') + option.value;
    return label;
}

std::vector<cli_option> all_options(const cli_command& command) {
    std::vector<cli_option> options = command.options;
    if (command.link == link_options::none) return options;
    for (const cli_option& option : link_option_table()) {
        if (command.link == link_options::own_waits && option.names == QLatin1String("timeout")) {
            continue;
        }
        options.push_back(option);
    }
    return options;
}

QStringList usage_words(const cli_command& command) {
    QStringList words = command.arguments;
    for (const cli_option& option : command.options) {
        QString word = QStringLiteral("--") + option.names;
        word.replace(QLatin1Char('|'), QStringLiteral("|--"));
        if (!option.value.isEmpty()) word += QLatin1Char(' ') + option.value;
        words << (option.required ? word : QLatin1Char('[') + word + QLatin1Char(']'));
    }
    if (command.link != link_options::none) words << QStringLiteral("[link options]");
    return words;
}

QString usage_line(const cli_command& command) {
    const QString start = QStringLiteral("usage: zep [--db PATH] ");
    return wrap(start + command.name, usage_words(command), static_cast<int>(start.size()));
}

std::vector<std::pair<int, QString>> exit_statuses(const cli_command* command) {
    std::vector<std::pair<int, QString>> statuses{{exit_ok, QStringLiteral("done")}};
    QString failed = QStringLiteral("failed (the reason is on stderr)");
    if (command != nullptr && !command->failure.isEmpty()) failed = command->failure;
    statuses.emplace_back(exit_failed, failed);
    statuses.emplace_back(exit_usage, QStringLiteral("bad usage"));
    if (command == nullptr || command->interruptible) {
        statuses.emplace_back(exit_interrupted, QStringLiteral("interrupted (Ctrl-C)"));
    }
    return statuses;
}

QString command_help(const cli_command& command) {
    QString text = usage_line(command) + QStringLiteral("\n\n");
    text += wrap({},
                 (sentence(command.summary) + QLatin1Char(' ') + command.details)
                     .trimmed()
                     .split(QLatin1Char(' ')),
                 0) +
            QStringLiteral("\n");
    if (!command.options.empty()) {
        text += QStringLiteral("\noptions:\n");
        for (const cli_option& option : command.options) {
            text += row(option_label(option), option.help);
        }
    }
    if (command.link != link_options::none) {
        text += QStringLiteral("\nlink options (override the stored single-reader link):\n");
        const std::vector<cli_option> options = all_options(command);
        for (auto it = options.begin() + static_cast<qsizetype>(command.options.size());
             it != options.end(); ++it) {
            text += row(option_label(*it), it->help);
        }
        if (command.link == link_options::own_waits) {
            text += QStringLiteral("  (no --timeout: this command keeps its own waits)\n");
        }
    }
    text += QStringLiteral("\nexit status:\n");
    for (const auto& [status, meaning] : exit_statuses(&command)) {
        text += QStringLiteral("  %1%2\n").arg(status, -5).arg(meaning);
    }
    return text;
}

QString group_help(const QString& word) {
    QString rows;
    QString first;
    for (const cli_command& c : cli_commands()) {
        if (!c.name.startsWith(word + QLatin1Char(' '))) continue;
        if (first.isEmpty()) first = c.name;
        rows += row(name_and_arguments(c), c.summary);
    }
    if (rows.isEmpty()) return {};
    return QStringLiteral(
               "%1 commands:\n%2Run 'zep help %3' for one command's usage, options "
               "and exit status.\n")
        .arg(word, rows, first);
}

QString full_help() {
    QString text = QStringLiteral(
        "usage: zep [--db PATH]                            start the desktop program\n"
        "       zep [--db PATH] COMMAND [ARGS] [OPTIONS]   run one command and exit\n"
        "       zep help [COMMAND]                         a command's usage and options\n"
        "       zep --version\n");
    std::optional<section> part;
    for (const cli_command& c : cli_commands()) {
        if (part != c.part) {
            part = c.part;
            text += QLatin1Char('\n') + section_title(c.part) + QStringLiteral(":\n");
        }
        text += row(name_and_arguments(c), c.summary);
    }
    text += QStringLiteral(
        "\nlink options (override the stored single-reader link for one call; --all walks\n"
        "the active readers instead and does not go with them):\n");
    for (const cli_option& option : link_option_table()) {
        text += row(option_label(option), option.help);
    }
    return text + QStringLiteral(
                      "\nThe database is --db PATH, else $ZEP_HOME/zep.db, else "
                      "$XDG_DATA_HOME/zep/zep.db\n(~/.local/share/zep/zep.db). When a login "
                      "password is set it is asked for, or taken\nfrom $ZEP_PASSWORD. Exit "
                      "status: 0 done, 1 failed, 2 bad usage, 130 interrupted.\n");
}

const cli_command* find_command(const QString& name) {
    for (const cli_command& c : cli_commands()) {
        if (c.name == name) return &c;
    }
    return nullptr;
}

QString nearest_name(const QString& typed, const QStringList& known) {
    QString best;
    int best_distance = 3;  // more than two edits is not a typo
    for (const QString& name : known) {
        const int d = edit_distance(typed, name);
        if (d < best_distance && d < name.size() / 2 + 1) {
            best = name;
            best_distance = d;
        }
    }
    if (!best.isEmpty() || typed.isEmpty()) return best;
    // A beginning that fits one name alone ("acc") is taken for it.
    QStringList starting;
    for (const QString& name : known) {
        if (name.startsWith(typed)) starting << name;
    }
    return starting.size() == 1 ? starting.first() : QString();
}

QStringList first_words() {
    QStringList words;
    for (const cli_command& c : cli_commands()) {
        const QString first = c.name.section(QLatin1Char(' '), 0, 0);
        if (!words.contains(first)) words << first;
    }
    return words;
}

}  // namespace zep::cli
