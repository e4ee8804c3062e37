#include <QRegularExpression>

#include "app/cli/cli.h"
#include "app/cli/cli_link_options.h"
#include "app/cli/cli_terminal.h"
#include "core/autorun/override_selection.h"
#include "core/link/reader_link.h"
#include "core/maintenance/card_formats.h"
#include "core/maintenance/reader_setup.h"
#include "core/operator.h"
#include "core/program/session.h"

namespace zep::cli {

namespace {

// The command line as the operator of a setup: questions go to the terminal (or --yes),
// result lines to stdout as they come, messages wait until the outcome says where they go,
// and Ctrl-C is the cancel control.
class setup_operator final : public quiet_operator {
  public:
    explicit setup_operator(cli_context& context) : context_(context) {}

    void message(const QString& text) override { messages << text; }
    bool confirm(const QString& question) override { return agreed(context_, question); }
    void status_line(const QString& text) override {
        context_.io.out << text << "\n";
        context_.io.out.flush();
    }
    bool cancelled() override { return interrupt_guard::interrupted(); }

    QStringList messages;

  private:
    cli_context& context_;
};

bool walks(const cli_context& context) {
    return context.args.has(QStringLiteral("all"));
}

// A walk prints its lines as it goes; any reader that failed fails the call.
int finish_walk(cli_context& context, const records::walk_result& walk,
                const setup_operator& person) {
    for (const QString& message : person.messages) context.io.err << message << "\n";
    if (walk.end == records::walk_end::cancelled) return exit_interrupted;
    return walk.end == records::walk_end::done && walk.failures == 0 ? exit_ok : exit_failed;
}

// Runs `single` on the stored (or optioned) reader, or `all` over the active readers.
template <class Single, class All>
int run_on_readers(cli_context& context, Single single, All all) {
    interrupt_guard guard;
    link::reader_link link;
    setup_operator person(context);
    if (walks(context)) {
        if (has_link_options(context.args)) {
            return usage_error(context, QStringLiteral("link options do not go with --all"));
        }
        const maintenance::walk_inputs inputs = maintenance::load_walk_inputs(
            *context.state.db, context.state.settings, autorun::program_override_selection());
        return finish_walk(context, all(link, inputs, person), person);
    }
    QString error;
    const auto chosen = choose_link(context.state, context.args, &error);
    if (!chosen) return usage_error(context, error);
    return single(link, maintenance::utility_target{chosen->endpoint, chosen->timeout_ms}, person);
}

int run_setup(cli_context& context, const maintenance::setup_request& r) {
    const auto single = [&](link::reader_link& link, const maintenance::utility_target& target,
                            setup_operator& person) {
        const maintenance::utility_outcome outcome =
            maintenance::run_setup(link, target, r, person);
        if (interrupt_guard::interrupted()) return exit_interrupted;
        for (const QString& message : person.messages) {
            (outcome.ok() ? context.io.out : context.io.err) << message << "\n";
        }
        return outcome.ok() ? exit_ok : exit_failed;
    };
    const auto all = [&](link::reader_link& link, const maintenance::walk_inputs& inputs,
                         setup_operator& person) {
        return maintenance::doall_setup(link, inputs, r, person);
    };
    return run_on_readers(context, single, all);
}

int run_switch(cli_context& context, maintenance::setup_action action) {
    const QString choice = context.args.positional.value(0).toLower();
    if (choice != QLatin1String("on") && choice != QLatin1String("off")) {
        return usage_error(context, QStringLiteral("give on or off"));
    }
    maintenance::setup_request r;
    r.action = action;
    r.on = choice == QLatin1String("on");
    return run_setup(context, r);
}

int run_plain(cli_context& context, maintenance::setup_action action) {
    maintenance::setup_request r;
    r.action = action;
    return run_setup(context, r);
}

// "START,LEN", each 0..99.
bool read_mask(const QString& text, int& start, int& length) {
    static const QRegularExpression form(QStringLiteral("\\A(\\d{1,2}),(\\d{1,2})\\z"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) return false;
    start = match.captured(1).toInt();
    length = match.captured(2).toInt();
    return true;
}

// "0"/"1" per position, `size` of them.
bool read_bits(const QString& text, qsizetype size) {
    static const QRegularExpression form(QStringLiteral("\\A[01]+\\z"));
    return text.size() == size && form.match(text).hasMatch();
}

int run_format(cli_context& context, maintenance::format_group group) {
    maintenance::card_format_values v = maintenance::card_format_values_of(context.state.settings);
    const parsed_args& args = context.args;
    if (args.has(QStringLiteral("codes"))) {
        v.barsettings = args.value(QStringLiteral("codes"));
        if (!read_bits(v.barsettings, 10))
            return usage_error(context, QStringLiteral("--codes takes ten 0/1 digits"));
    }
    if (args.has(QStringLiteral("tracks"))) {
        v.magsettings = args.value(QStringLiteral("tracks"));
        if (!read_bits(v.magsettings, 2))
            return usage_error(context, QStringLiteral("--tracks takes two 0/1 digits"));
    }
    const std::tuple<const char*, int*, int*> masks[] = {{"mask", &v.barstart, &v.barlen},
                                                         {"mask1", &v.mag1start, &v.mag1len},
                                                         {"mask2", &v.mag2start, &v.mag2len}};
    for (const auto& [option, start, length] : masks) {
        const QString key = QString::fromLatin1(option);
        if (args.has(key) && !read_mask(args.value(key), *start, *length)) {
            return usage_error(context, QStringLiteral("--%1 takes START,LEN (0..99)").arg(key));
        }
    }
    const auto single = [&](link::reader_link& link, const maintenance::utility_target& target,
                            setup_operator& person) {
        const maintenance::card_format_outcome outcome =
            maintenance::send_card_formats(link, target, group, v, person);
        if (interrupt_guard::interrupted()) return exit_interrupted;
        for (const QString& message : person.messages) context.io.err << message << "\n";
        return outcome.opened && outcome.silent == 0 ? exit_ok : exit_failed;
    };
    const auto all = [&](link::reader_link& link, const maintenance::walk_inputs& inputs,
                         setup_operator& person) {
        return maintenance::doall_card_formats(link, inputs, group, v, person);
    };
    return run_on_readers(context, single, all);
}

}  // namespace

int run_setup_params(cli_context& context) {
    const data::settings_record& s = context.state.settings;
    const auto value = [&](const char* option, qint16 stored) {
        const QString key = QString::fromLatin1(option);
        return context.args.has(key) ? context.args.value(key) : QString::number(stored);
    };
    maintenance::setup_request r;
    r.action = maintenance::setup_action::parameters;
    r.reclen = value("reclen", s.reclen);
    r.relay = value("relay", s.relay);
    r.redled = value("redled", s.redled);
    return run_setup(context, r);
}

int run_setup_mode(cli_context& context) {
    static const QStringList names{QStringLiteral("x"), QStringLiteral("ko"), QStringLiteral("zep"),
                                   QStringLiteral("accum")};
    const qsizetype at = names.indexOf(context.args.positional.value(0).toLower());
    if (at < 0) return usage_error(context, QStringLiteral("give x, ko, zep or accum"));
    maintenance::setup_request r;
    r.action = maintenance::setup_action::mode;
    r.mode_code = QString::number(at + 1);
    return run_setup(context, r);
}

int run_setup_reset(cli_context& context) {
    return run_plain(context, maintenance::setup_action::reset);
}

int run_setup_rs232_log(cli_context& context) {
    return run_switch(context, maintenance::setup_action::rs232_log);
}

int run_setup_bad_log(cli_context& context) {
    return run_switch(context, maintenance::setup_action::bad_log);
}

int run_setup_clear_led(cli_context& context) {
    return run_plain(context, maintenance::setup_action::clear_led);
}

int run_format_barcode(cli_context& context) {
    return run_format(context, maintenance::format_group::barcode);
}

int run_format_magstripe(cli_context& context) {
    return run_format(context, maintenance::format_group::magstripe);
}

int run_format_clear_mask(cli_context& context) {
    return run_format(context, maintenance::format_group::clear_mask);
}

}  // namespace zep::cli
