#include <QRegularExpression>

#include "app/cli/cli.h"
#include "app/cli/cli_terminal.h"
#include "core/clock.h"
#include "core/operator.h"
#include "core/program/startup.h"
#include "core/records/log_archive.h"
#include "core/records/log_delete.h"
#include "core/records/log_export.h"

namespace zep::cli {

namespace {

// The command line as the operator of a database utility: FILE answers the save dialog,
// questions are answered No, and the messages are held until the outcome is known.
class utility_operator final : public quiet_operator {
  public:
    utility_operator(QString file, std::function<bool(const QString&)> agree)
        : file_(std::move(file)), agree_(std::move(agree)) {}

    void message(const QString& text) override { messages << text; }
    bool confirm(const QString& question) override { return agree_ && agree_(question); }
    std::optional<QString> choose_save_file(const QString&, const QString&) override {
        if (file_.isEmpty()) return {};
        return file_;
    }

    QStringList messages;

  private:
    QString file_;
    std::function<bool(const QString&)> agree_;
};

QString today_box() {
    return records::date_box_text(default_clock().now().date());
}

bool digits_only(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("\\A[0-9]*\\z"));
    return digits.match(text).hasMatch();
}

}  // namespace

int run_log_export(cli_context& context) {
    const auto& args = context.args;
    records::log_export_options options;
    options.start_box = args.has("from") ? args.value("from") : today_box();
    options.end_box = args.has("to") ? args.value("to") : today_box();
    options.reader_box = args.value("reader");
    options.user_id_box = args.value("id");
    options.fixed = context.state.marker.export_fixed;
    if (args.has("format")) {
        const QString format = args.value("format");
        if (format != QLatin1String("fixed") && format != QLatin1String("comma")) {
            return usage_error(context, QStringLiteral("--format takes fixed or comma"));
        }
        options.fixed = format == QLatin1String("fixed");
    }
    if (!digits_only(options.reader_box)) {
        return usage_error(context, QStringLiteral("--reader takes digits"));
    }
    const QString file = args.positional.first();
    return run_utility(
        context.io,
        [&](operator_port& person) {
            return records::export_log(*context.state.db, person, options) ==
                   records::dbutil_outcome::done;
        },
        file);
}

int run_log_delete(cli_context& context) {
    const auto& args = context.args;
    return run_utility(
        context.io,
        [&](operator_port& person) {
            return records::delete_log_dates(*context.state.db, person, args.value("from"),
                                             args.value("to")) == records::dbutil_outcome::done;
        },
        {}, [&context](const QString& question) { return agreed(context, question); });
}

int run_log_find(cli_context& context) {
    const auto& args = context.args;
    data::log_filter filter;
    for (const char* bound : {"from", "to"}) {
        if (!args.has(QLatin1String(bound))) continue;
        const bool end = QLatin1String(bound) == QLatin1String("to");
        const auto day = records::filter_bound(args.value(QLatin1String(bound)), end);
        if (!day || day->isEmpty())
            return usage_error(
                context,
                QStringLiteral("--%1 takes MM-DD-YYYY or \"MM-DD-YYYY hh:mm\"").arg(bound));
        (QLatin1String(bound) == QLatin1String("from") ? filter.from : filter.to) = *day;
    }
    if (args.has("reader")) {
        bool ok = false;
        filter.reader = args.value("reader").toInt(&ok);
        if (!ok || filter.reader < 0 || filter.reader > 126)
            return usage_error(context, QStringLiteral("--reader takes a number from 0 to 126"));
    }
    filter.match = args.value("match");
    if (args.has("granted") && args.has("refused"))
        return usage_error(context, QStringLiteral("--granted and --refused exclude each other"));
    if (args.has("granted")) filter.granted = data::log_filter::outcome::granted;
    if (args.has("refused")) filter.granted = data::log_filter::outcome::refused;
    const auto rows = records::write_log_csv(
        *context.state.db, filter,
        [&](const QByteArray& line) { context.io.out << QString::fromUtf8(line); });
    if (!rows) {
        context.io.err << rows.error() << QStringLiteral("\n");
        return exit_failed;
    }
    return exit_ok;
}

int run_utility(cli_io& io, const std::function<bool(operator_port&)>& utility, const QString& file,
                const std::function<bool(const QString&)>& agree) {
    utility_operator person(file, agree);
    const bool done = utility(person);
    QTextStream& to = done ? io.out : io.err;
    for (const QString& text : person.messages) to << text << "\n";
    return done ? exit_ok : exit_failed;
}

}  // namespace zep::cli
