#include "app/cli/cli.h"
#include "app/cli/cli_link_options.h"
#include "core/commands/command_text.h"
#include "core/link/frame.h"
#include "core/link/reader_exchange.h"
#include "core/program/startup.h"

namespace zep::cli {

namespace {

// The command set says how the reader answers: a command with data is not done at its
// ACK, one that answers with an ACK alone is (and gets no answer at all in plain mode).
link::link_read exchange_by_form(link::reader_exchange& exchange, const QByteArray& text,
                                 int timeout_ms) {
    switch (commands::expected_reply(text)) {
        case commands::reply_form::data:
            return exchange.command(text, timeout_ms);
        case commands::reply_form::ack:
            return {{}, !exchange.command_ack(text, timeout_ms)};
        case commands::reply_form::unknown:
            break;
    }
    return exchange.command_or_ack(text, timeout_ms);
}

}  // namespace

int run_send(cli_context& context) {
    const auto text = link::unescape_bytes(context.args.positional.first().toLatin1());
    if (!text) {
        return usage_error(context,
                           QStringLiteral("TEXT takes \\xHH escapes (two hex digits) and \\\\"));
    }
    QString error;
    const auto link = choose_link(context.state, context.args, &error);
    if (!link) return usage_error(context, error);
    link::reader_link reader;
    link::reader_exchange exchange(reader, link->endpoint);
    if (const auto opened = exchange.open(); !opened) {
        context.io.err << opened.error() << "\n";
        return exit_failed;
    }
    if (context.args.has("no-reply")) return exchange.send_command(*text) ? exit_ok : exit_failed;

    const int timeout = link->timeout_ms.value_or(link::standard_timeout_ms(link->endpoint));
    const link::link_read reply = exchange_by_form(exchange, *text, timeout);
    exchange.close();
    if (reply.error) {
        context.io.err << link::msg_no_response << "\n";
        return exit_failed;
    }
    // A command answered by an ACK alone has nothing to print.
    if (reply.text.isEmpty() && commands::expected_reply(*text) != commands::reply_form::data) {
        return exit_ok;
    }
    context.io.out << QString::fromLatin1(link::printable_bytes(reply.text)) << "\n";
    return exit_ok;
}

}  // namespace zep::cli
