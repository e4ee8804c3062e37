#include "app/cli/cli_link_options.h"

#include <QRegularExpression>

#include "core/link/com_ports.h"
#include "core/link/frame.h"
#include "core/program/single_reader.h"
#include "core/program/startup.h"

namespace zep::cli {

const option_set& link_options_accepted() {
    static const option_set accepted{
        {QStringLiteral("tcp"), QStringLiteral("serial"), QStringLiteral("baud"),
         QStringLiteral("protocol"), QStringLiteral("timeout")},
        {QStringLiteral("plain")}};
    return accepted;
}

bool has_link_options(const parsed_args& args) {
    const option_set& link = link_options_accepted();
    for (const QStringList* names : {&link.with_value, &link.flags}) {
        for (const QString& name : *names) {
            if (args.has(name)) return true;
        }
    }
    return false;
}

namespace {

bool apply_tcp(const QString& value, link::link_endpoint& endpoint, QString* error) {
    const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0 || colon == value.size() - 1) {
        *error = QStringLiteral("--tcp wants HOST:PORT");
        return false;
    }
    endpoint.link = link::link_endpoint::kind::tcp;
    endpoint.host = value.left(colon);
    endpoint.port_text = value.mid(colon + 1);
    return true;
}

bool apply_serial(const QString& value, const program::session& state,
                  link::link_endpoint& endpoint, QString* error) {
    static const QRegularExpression com_name(QStringLiteral("\\A[Cc][Oo][Mm]([1-5])\\z"));
    endpoint.link = link::link_endpoint::kind::serial;
    if (const auto m = com_name.match(value); m.hasMatch()) {
        endpoint.device = link::com_device_path(m.captured(1).toInt(), state.settings.comdevice);
    } else if (value.startsWith(QLatin1Char('/'))) {
        endpoint.device = value;
    } else {
        *error = QStringLiteral("--serial wants Com1..Com5 or a device path");
        return false;
    }
    return true;
}

bool apply_number(const QString& value, const QString& option, int low, int high, int& out,
                  QString* error) {
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number < low || number > high) {
        *error = QStringLiteral("--%1 wants a number from %2 to %3").arg(option).arg(low).arg(high);
        return false;
    }
    out = number;
    return true;
}

}  // namespace

std::optional<link_choice> choose_link(const program::session& state, const parsed_args& args,
                                       QString* error) {
    link_choice choice{link::single_reader_endpoint(program::stored_single_reader(state)),
                       std::nullopt};
    link::link_endpoint& e = choice.endpoint;

    if (args.has("tcp") && args.has("serial")) {
        *error = QStringLiteral("--tcp and --serial exclude each other");
        return std::nullopt;
    }
    if (args.has("protocol") && args.has("plain")) {
        *error = QStringLiteral("--protocol and --plain exclude each other");
        return std::nullopt;
    }
    if (args.has("tcp") && !apply_tcp(args.value("tcp"), e, error)) return std::nullopt;
    if (args.has("serial") && !apply_serial(args.value("serial"), state, e, error)) {
        return std::nullopt;
    }
    if (args.has("baud")) {
        const QString baud = args.value("baud");
        if (baud != QLatin1String("9600") && baud != QLatin1String("19200")) {
            *error = QStringLiteral("--baud wants 9600 or 19200");
            return std::nullopt;
        }
        e.baud = baud.toInt();
    }
    if (args.has("protocol")) {
        // Addresses above 127 are taken here and refused by the link before anything is
        // sent, with the operator's message.
        if (!apply_number(args.value("protocol"), QStringLiteral("protocol"), 0, 999, e.address,
                          error)) {
            return std::nullopt;
        }
        e.protocol = true;
    }
    if (args.has("plain")) e.protocol = false;
    if (args.has("timeout")) {
        int ms = 0;
        if (!apply_number(args.value("timeout"), QStringLiteral("timeout"), 1, 600000, ms, error)) {
            return std::nullopt;
        }
        choice.timeout_ms = ms;
    }
    return choice;
}

}  // namespace zep::cli
