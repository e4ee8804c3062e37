#pragma once

#include <QElapsedTimer>
#include <QString>
#include <csignal>

#include "app/cli/cli.h"

namespace zep::cli {

// While it lives, Ctrl-C (or SIGTERM) asks the running operation to stop at its next
// cancel test (interrupted() turns true), so what was received stays; a second one ends
// the program as usual.
class interrupt_guard {
  public:
    interrupt_guard();
    ~interrupt_guard();
    interrupt_guard(const interrupt_guard&) = delete;
    interrupt_guard& operator=(const interrupt_guard&) = delete;

    static bool interrupted();

  private:
    struct sigaction saved_ {};
    struct sigaction saved_term_ {};
};

// The live progress line of a long operation: its status, its progress text and, with a
// known total, a bar with the count. Drawn straight on the terminal, and only when stderr
// is one, so a redirected stderr holds the messages alone.
class progress_line {
  public:
    progress_line();
    ~progress_line() { clear(); }
    progress_line(const progress_line&) = delete;
    progress_line& operator=(const progress_line&) = delete;

    void status(const QString& text);
    void text(const QString& text);
    void count(qint64 done, qint64 total);
    void clear();

  private:
    void draw(QString& part, const QString& text);

    bool shown_;
    bool drawn_ = false;
    QElapsedTimer since_;
    QString status_, text_;
    qint64 done_ = 0, total_ = 0;
};

// A Yes/No question of the screens: --yes answers it; else it is asked on the terminal,
// and refused (shown on stderr) when there is none to answer it.
bool agreed(cli_context& context, const QString& question);

}  // namespace zep::cli
