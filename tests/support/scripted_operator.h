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
    QStringList prompts;        // "title|prompt"
    QStringList file_requests;  // "open|default|filter" or "save|default|filter"
    QStringList status_lines;
    QStringList progress_texts;

    void message(const QString& text) override { messages << text; }
    bool confirm(const QString& question) override {
        questions << question;
        return take(confirm_answers).value_or(false);
    }
    std::optional<bool> confirm_or_cancel(const QString& question) override {
        questions << question;
        return take(choice_answers).value_or(std::nullopt);
    }
    std::optional<QString> ask_text(const QString& title, const QString& prompt) override {
        prompts << title + "|" + prompt;
        return take(text_answers).value_or(std::nullopt);
    }
    std::optional<QString> choose_open_file(const QString& default_name,
                                            const QString& filter) override {
        file_requests << "open|" + default_name + "|" + filter;
        return take(file_answers).value_or(std::nullopt);
    }
    std::optional<QString> choose_save_file(const QString& default_name,
                                            const QString& filter) override {
        file_requests << "save|" + default_name + "|" + filter;
        return take(file_answers).value_or(std::nullopt);
    }
    void status_line(const QString& text) override {
        status_lines << text;
        ++reports_;
    }
    void progress(const QString& text) override {
        progress_texts << text;
        ++reports_;
    }
    bool cancelled() override {
        if (cancel_when && cancel_when()) return true;
        return cancel_after_reports >= 0 && reports_ >= cancel_after_reports;
    }

  private:
    // The next queued answer; nullopt when the queue is empty.
    template <typename T>
    static std::optional<T> take(std::deque<T>& queue) {
        if (queue.empty()) return std::nullopt;
        T answer = std::move(queue.front());
        queue.pop_front();
        return answer;
    }

    int reports_ = 0;
};

}  // namespace zep::test
