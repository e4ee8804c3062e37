#include "app/cli/cli_terminal.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

namespace zep::cli {

namespace {

constexpr int bar_width = 20;
constexpr qint64 redraw_ms = 50;

volatile std::sig_atomic_t interrupt_seen = 0;

void on_interrupt(int) {
    interrupt_seen = 1;
}

}  // namespace

interrupt_guard::interrupt_guard() {
    interrupt_seen = 0;
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, &saved_);
    sigaction(SIGTERM, &action, &saved_term_);
}

interrupt_guard::~interrupt_guard() {
    sigaction(SIGINT, &saved_, nullptr);
    sigaction(SIGTERM, &saved_term_, nullptr);
}

bool interrupt_guard::interrupted() {
    return interrupt_seen != 0;
}

progress_line::progress_line() : shown_(isatty(STDERR_FILENO) != 0) {}

void progress_line::status(const QString& text) {
    draw(status_, text);
}

void progress_line::text(const QString& text) {
    // With a known total the count that follows each record draws the line.
    if (total_ > 0) {
        text_ = text;
        return;
    }
    draw(text_, text);
}

void progress_line::count(qint64 done, qint64 total) {
    done_ = done;
    total_ = total;
    draw(text_, text_);
}

void progress_line::clear() {
    if (!drawn_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
}

void progress_line::draw(QString& part, const QString& text) {
    part = text;
    // A terminal redrawn for every record of a fast line only flickers.
    if (!shown_ || (drawn_ && !since_.hasExpired(redraw_ms))) return;
    since_.start();
    QString line = status_;
    if (!text_.isEmpty()) line += QStringLiteral("  ") + text_;
    if (total_ > 0) {
        const auto filled = static_cast<int>(std::min(done_, total_) * bar_width / total_);
        line += QStringLiteral("  [%1%2] %3/%4")
                    .arg(QString(filled, QLatin1Char('#')),
                         QString(bar_width - filled, QLatin1Char('.')))
                    .arg(done_)
                    .arg(total_);
    }
    std::fputs(("\r\033[K" + line).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    drawn_ = true;
}

bool agreed(cli_context& context, const QString& question) {
    if (context.args.has(QStringLiteral("yes"))) return true;
    QString shown = question;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (isatty(STDIN_FILENO) == 0) {
        context.io.err << shown << "\nzep: not confirmed (--yes answers the question)\n";
        return false;
    }
    context.io.err << shown << " [y/N] ";
    context.io.err.flush();
    std::string line;
    if (!std::getline(std::cin, line)) return false;
    const QString answer = QString::fromLocal8Bit(line.c_str()).trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

}  // namespace zep::cli
