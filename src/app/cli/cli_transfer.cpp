#include <QFileInfo>

#include "app/cli/cli.h"
#include "app/cli/cli_link_options.h"
#include "app/cli/cli_terminal.h"
#include "core/link/reader_link.h"
#include "core/operator.h"
#include "core/program/session.h"
#include "core/transfer/access_transfer.h"
#include "core/transfer/download_file.h"
#include "core/transfer/log_transfer.h"
#include "core/transfer/schedule_transfer.h"

namespace zep::cli {

namespace {

// The command line as the operator of a transfer: the questions were asked before it
// started, the outcome says which messages were shown, and Ctrl-C is the cancel control.
class transfer_operator final : public quiet_operator {
  public:
    explicit transfer_operator(progress_line& line) : line_(line) {}

    void progress(const QString& text) override { line_.text(text); }
    bool cancelled() override { return interrupt_guard::interrupted(); }

  private:
    progress_line& line_;
};

using transfer_call =
    std::function<transfer::transfer_outcome(link::reader_link&, const link::link_endpoint&,
                                             operator_port&, const transfer::transfer_view&)>;

// The link of the call. The transfers keep their own waits, so --timeout has no place here.
std::optional<link::link_endpoint> reader_of(cli_context& context) {
    if (context.args.has(QStringLiteral("timeout"))) {
        usage_error(context,
                    QStringLiteral("--timeout does not apply: transfers keep their own waits"));
        return std::nullopt;
    }
    QString error;
    const auto link = choose_link(context.state, context.args, &error);
    if (!link) {
        usage_error(context, error);
        return std::nullopt;
    }
    return link->endpoint;
}

// Files from the reader are created anew; replacing one is asked first, as the save
// picker does.
bool may_write(cli_context& context, const QString& file) {
    if (!QFileInfo::exists(file)) return true;
    return agreed(context,
                  QStringLiteral("%1 already exists.\rDo you want to replace it?").arg(file));
}

// A file to send must be there before anything reaches the reader: without
// autoconfigure the download clears the reader's list before it reads the file.
bool readable(cli_context& context, const QString& file) {
    const QFileInfo info(file);
    if (info.isFile() && info.isReadable()) return true;
    context.io.err << "Cannot read " << file << "\n";
    return false;
}

QString printable(const QString& text) {
    QString shown = text.trimmed();
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

// The completion and what followed it go to stdout; a failure, which is always the last
// thing shown (a verify that followed a completed download, too), goes to stderr.
int report(cli_context& context, const transfer::transfer_outcome& outcome) {
    if (outcome.end == transfer::transfer_end::cancelled) {
        context.io.err << "Interrupted\n";
        return exit_interrupted;
    }
    const bool failed = outcome.end == transfer::transfer_end::failed;
    const QStringList shown = QStringList{outcome.text} + outcome.more;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        QTextStream& to = failed && i == shown.size() - 1 ? context.io.err : context.io.out;
        to << printable(shown[i]) << "\n";
    }
    return failed ? exit_failed : exit_ok;
}

int run_transfer(cli_context& context, const link::link_endpoint& reader,
                 const transfer_call& transfer) {
    interrupt_guard guard;
    progress_line line;
    transfer_operator person(line);
    transfer::transfer_view view;
    view.status = [&line](const QString& text) { line.status(text); };
    view.count = [&line](qint64 done, qint64 total) { line.count(done, total); };
    link::reader_link link;
    const transfer::transfer_outcome outcome = transfer(link, reader, person, view);
    line.clear();
    return report(context, outcome);
}

QString file_of(cli_context& context) {
    return context.args.positional.first();
}

bool flag(cli_context& context, const char* on, const char* off, const QString& stored,
          bool* value) {
    const bool yes = context.args.has(QString::fromLatin1(on));
    const bool no = context.args.has(QString::fromLatin1(off));
    if (yes && no) {
        usage_error(context, QStringLiteral("--%1 and --%2 exclude each other").arg(on, off));
        return false;
    }
    *value = yes || (!no && stored.trimmed() == QLatin1String("Y"));
    return true;
}

bool layout_of(cli_context& context, transfer::access_layout* layout) {
    QString format = context.state.settings.txtformat == QLatin1String("1")
                         ? QStringLiteral("schedule")
                         : QStringLiteral("id");
    if (context.args.has(QStringLiteral("format")))
        format = context.args.value(QStringLiteral("format"));
    if (format != QLatin1String("schedule") && format != QLatin1String("id")) {
        usage_error(context, QStringLiteral("--format takes schedule or id"));
        return false;
    }
    *layout = format == QLatin1String("schedule") ? transfer::access_layout::schedule_and_id
                                                  : transfer::access_layout::id_only;
    return true;
}

transfer::line_end line_end_of(cli_context& context) {
    return context.args.has(QStringLiteral("cr-only")) ? transfer::line_end::cr
                                                       : transfer::line_end::cr_lf;
}

int run_clear(cli_context& context, bool access) {
    const auto endpoint = reader_of(context);
    if (!endpoint) return exit_usage;
    if (!access && !agreed(context, QString::fromLatin1(transfer::clear_log_question)))
        return exit_failed;
    return run_transfer(context, *endpoint, [&](auto& link, auto& reader, auto& person, auto&) {
        return access ? transfer::clear_access_list(link, reader, person)
                      : transfer::clear_log(link, reader, person);
    });
}

}  // namespace

int run_access_download(cli_context& context) {
    const auto endpoint = reader_of(context);
    if (!endpoint) return exit_usage;
    const data::settings_record& stored = context.state.settings;
    transfer::download_options options;
    options.file = file_of(context);
    if (!layout_of(context, &options.layout) ||
        !flag(context, "autoconfig", "no-autoconfig", stored.autoconfigreclen,
              &options.autoconfigure) ||
        !flag(context, "verify", "no-verify", stored.txtdownloadverify, &options.verify)) {
        return exit_usage;
    }
    options.old_firmware = context.args.has(QStringLiteral("old-firmware")) ||
                           stored.prior011001.trimmed() == QLatin1String("Y");
    if (!readable(context, options.file)) return exit_failed;
    if (!agreed(context, QString::fromLatin1(transfer::download_question))) return exit_failed;
    if (transfer::holds_no_records(options.file) &&
        !agreed(context, QString::fromLatin1(transfer::empty_download_question)))
        return exit_failed;
    return run_transfer(
        context, *endpoint, [&](auto& link, auto& reader, auto& person, auto& view) {
            return transfer::download_access_list(link, reader, options, person, view);
        });
}

int run_access_upload(cli_context& context) {
    const auto endpoint = reader_of(context);
    if (!endpoint) return exit_usage;
    transfer::upload_options options;
    options.file = file_of(context);
    options.end = line_end_of(context);
    if (!layout_of(context, &options.layout)) return exit_usage;
    if (!may_write(context, options.file)) return exit_failed;
    return run_transfer(
        context, *endpoint, [&](auto& link, auto& reader, auto& person, auto& view) {
            return transfer::upload_access_list(link, reader, options, person, view);
        });
}

int run_schedule_download(cli_context& context) {
    const auto endpoint = reader_of(context);
    if (!endpoint) return exit_usage;
    const QString file = file_of(context);
    if (!readable(context, file)) return exit_failed;
    if (!agreed(context, QString::fromLatin1(transfer::schedule_download_question))) {
        return exit_failed;
    }
    return run_transfer(context, *endpoint,
                        [&](auto& link, auto& reader, auto& person, auto& view) {
                            return transfer::download_schedules(link, reader, file, person, view);
                        });
}

int run_schedule_upload(cli_context& context) {
    const auto endpoint = reader_of(context);
    if (!endpoint) return exit_usage;
    const QString file = file_of(context);
    const transfer::line_end end = line_end_of(context);
    if (!agreed(context, QString::fromLatin1(transfer::schedule_upload_question)) ||
        !may_write(context, file)) {
        return exit_failed;
    }
    return run_transfer(
        context, *endpoint, [&](auto& link, auto& reader, auto& person, auto& view) {
            return transfer::upload_schedules(link, reader, file, end, person, view);
        });
}

int run_log_upload(cli_context& context) {
    const auto endpoint = reader_of(context);
    if (!endpoint) return exit_usage;
    const QString file = file_of(context);
    const transfer::line_end end = line_end_of(context);
    if (!may_write(context, file)) return exit_failed;
    return run_transfer(context, *endpoint,
                        [&](auto& link, auto& reader, auto& person, auto& view) {
                            return transfer::upload_log(link, reader, file, end, person, view);
                        });
}

int run_access_clear(cli_context& context) {
    return run_clear(context, true);
}

int run_log_clear(cli_context& context) {
    return run_clear(context, false);
}

}  // namespace zep::cli
