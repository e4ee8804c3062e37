#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

#include "core/operator.h"
#include "tests/support/qt_printers.h"

namespace zep::test {

// An operator whose answers are queued by the test and who remembers everything the
// core told them, in order.
class scripted_operator final : public operator_port {
  public:
    // Answers, consumed in order. An empty queue answers No / cancelled.
    std::deque<bool> confirm_answers;
    // Yes/No/Cancel answers (nullopt: Cancel); an empty queue answers Cancel.
    std::deque<std::optional<bool>> choice_answers;
    std::deque<std::optional<QString>> text_answers;
    std::deque<std::optional<QString>> file_answers;
    // Cancel once this many status lines or progress texts have been given (-1: never).
    int cancel_after_reports = -1;
    // Asked on every cancel check when set, for a cancel at a chosen point of a wait.
    std::function<bool()> cancel_when;

    QStringList messages;
    QStringList questions;
    QStringList prompts;  // "title|prompt"
    QStringList status_lines;
    QStringList progress_texts;

    void message(const QString& text) override;
    bool confirm(const QString& question) override;
    std::optional<bool> confirm_or_cancel(const QString& question) override;
    std::optional<QString> ask_text(const QString& title, const QString& prompt) override;
    std::optional<QString> choose_open_file(const QString& default_name,
                                            const QString& filter) override;
    std::optional<QString> choose_save_file(const QString& default_name,
                                            const QString& filter) override;
    void status_line(const QString& text) override;
    void progress(const QString& text) override;
    bool cancelled() override;

    QStringList file_requests;  // "open|default|filter" or "save|default|filter"

  private:
    int reports_ = 0;
};

}  // namespace zep::test
