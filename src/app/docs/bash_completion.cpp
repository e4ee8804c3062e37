#include "app/cli/cli_help.h"
#include "app/docs/docs.h"

namespace zep::docs {

namespace {

using cli::cli_command;
using cli::cli_option;
using cli::completion;

// The fixed part: finds the command in the words before the cursor, then asks the
// generated functions below what completes the word at the cursor.
constexpr auto driver = R"bash(
_zep() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local IFS=$'\n' words=() i
    # The words before the cursor, without the leading --db PATH.
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ ${#words[@]} -eq 0 && ${COMP_WORDS[i]} == --db ]]; then
            ((i++))
            continue
        fi
        words+=("${COMP_WORDS[i]}")
    done
    if [[ ${#words[@]} -eq 0 && $prev == --db ]]; then
        _zep_reply file
        return
    fi
    local command taken
    command=$(_zep_command "${words[0]-}" "${words[1]-}")
    taken=$(wc -w <<<"$command")
    if [[ -z $command ]]; then
        if [[ ${words[0]-} == help ]]; then
            words=("${words[@]:1}")
        elif [[ ${#words[@]} -eq 0 && $cur == -* ]]; then
            _zep_reply "choices --db --help --version"
            return
        fi
        case ${#words[@]} in
        0) _zep_reply "choices $(_zep_second '')" ;;
        1) _zep_reply "choices $(_zep_second "${words[0]}")" ;;
        esac
        return
    fi
    local value
    value=$(_zep_value "$command" "$prev")
    if [[ -n $value ]]; then
        _zep_reply "$value"
        return
    fi
    if [[ $cur == -* ]]; then
        _zep_reply "choices $(_zep_options "$command")"
        return
    fi
    # Which argument the cursor is on: the words after the command, less options and
    # their values.
    local n=0 word
    for ((i = taken; i < ${#words[@]}; i++)); do
        word=${words[i]}
        if [[ $word == --* ]]; then
            [[ -n $(_zep_value "$command" "$word") ]] && ((i++))
            continue
        fi
        ((n++))
    done
    _zep_reply "$(_zep_argument "$command" "$n")"
}

# _zep_reply KIND: file, serial, none, or "choices WORD...".
_zep_reply() {
    local IFS=$'\n' kind=${1%% *} choices=${1#* }
    case $kind in
    file)
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -f -- "$cur"))
        ;;
    serial) COMPREPLY=($(IFS=$' \t\n' && compgen -W "Com1 Com2 Com3 Com4 Com5 $(echo /dev/tty*)" -- "$cur")) ;;
    choices) COMPREPLY=($(IFS=$' \t\n' && compgen -W "$choices" -- "$cur")) ;;
    *) COMPREPLY=() ;;
    esac
}

complete -F _zep zep
)bash";

QString kind_of(completion completes, const QString& words) {
    switch (completes) {
        case completion::file:
            return QStringLiteral("file");
        case completion::serial_port:
            return QStringLiteral("serial");
        case completion::choices:
            return QStringLiteral("choices ") + QString(words).replace(QLatin1Char('|'), ' ');
        case completion::none:
            break;
    }
    return QStringLiteral("none");
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// _zep_command FIRST SECOND: the command the two words begin, or nothing.
QString command_function() {
    QString text = QStringLiteral("_zep_command() {\n    case \"$1 $2\" in\n");
    for (const cli_command& c : cli::cli_commands()) {
        if (c.name.contains(QLatin1Char(' '))) {
            text += QStringLiteral("    %1) echo %1 ;;\n").arg(quoted(c.name));
        }
    }
    text += QStringLiteral("    *)\n        case $1 in\n");
    for (const cli_command& c : cli::cli_commands()) {
        if (!c.name.contains(QLatin1Char(' '))) {
            text += QStringLiteral("        %1) echo %1 ;;\n").arg(c.name);
        }
    }
    return text + QStringLiteral("        esac\n        ;;\n    esac\n}\n");
}

// _zep_second WORD: the words that may follow WORD ("" for the first word).
QString second_function() {
    QStringList first = cli::first_words();
    QString text = QStringLiteral("_zep_second() {\n    case $1 in\n    '') echo %1 ;;\n")
                       .arg(quoted(first.join(QLatin1Char(' ')) + QStringLiteral(" help")));
    for (const QString& word : first) {
        QStringList second;
        for (const cli_command& c : cli::cli_commands()) {
            if (c.name.startsWith(word + QLatin1Char(' '))) second << c.name.section(' ', 1);
        }
        if (!second.isEmpty()) {
            text += QStringLiteral("    %1) echo %2 ;;\n").arg(word, quoted(second.join(' ')));
        }
    }
    return text + QStringLiteral("    esac\n}\n");
}

// _zep_options COMMAND: its options, link options included.
QString options_function() {
    QString text = QStringLiteral("_zep_options() {\n    case $1 in\n");
    for (const cli_command& c : cli::cli_commands()) {
        QStringList names;
        for (const cli_option& option : cli::all_options(c)) {
            for (const QString& name : option.names.split(QLatin1Char('|'))) names << "--" + name;
        }
        names << QStringLiteral("--help");
        text += QStringLiteral("    %1) echo %2 ;;\n").arg(quoted(c.name), quoted(names.join(' ')));
    }
    return text + QStringLiteral("    esac\n}\n");
}

// _zep_value COMMAND OPTION: how the value of OPTION completes; nothing for a flag.
QString value_function() {
    QString text = QStringLiteral("_zep_value() {\n    case \"$1 $2\" in\n");
    for (const cli_command& c : cli::cli_commands()) {
        for (const cli_option& option : cli::all_options(c)) {
            if (option.value.isEmpty()) continue;
            text += QStringLiteral("    %1) echo %2 ;;\n")
                        .arg(quoted(c.name + " --" + option.names),
                             quoted(kind_of(option.completes, option.value)));
        }
    }
    return text + QStringLiteral("    esac\n}\n");
}

// _zep_argument COMMAND N: how argument N (from 0) completes.
QString argument_function() {
    QString text = QStringLiteral("_zep_argument() {\n    case \"$1 $2\" in\n");
    for (const cli_command& c : cli::cli_commands()) {
        for (qsizetype i = 0; i < c.arguments.size(); ++i) {
            const QString& argument = c.arguments[i];
            text += QStringLiteral("    %1) echo %2 ;;\n")
                        .arg(quoted(c.name + QLatin1Char(' ') + QString::number(i)),
                             quoted(kind_of(cli::argument_completion(argument), argument)));
        }
    }
    return text + QStringLiteral("    *) echo none ;;\n    esac\n}\n");
}

}  // namespace

QString bash_completion() {
    return QStringLiteral("# bash completion for zep(1), made from its command table\n\n") +
           command_function() + QLatin1Char('\n') + second_function() + QLatin1Char('\n') +
           options_function() + QLatin1Char('\n') + value_function() + QLatin1Char('\n') +
           argument_function() + QString::fromLatin1(driver);
}

}  // namespace zep::docs
