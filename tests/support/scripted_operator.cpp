#include "tests/support/scripted_operator.h"

namespace zep::test {

namespace {

std::optional<QString> take(std::deque<std::optional<QString>>& queue) {
    if (queue.empty()) return std::nullopt;
    const bool given = queue.front().has_value();
    const QString text = queue.front().value_or(QString());
    queue.pop_front();
    if (!given) return std::nullopt;
    return text;
}

}  // namespace

void scripted_operator::message(const QString& text) {
    messages << text;
}

std::optional<bool> scripted_operator::confirm_or_cancel(const QString& question) {
    questions << question;
    if (choice_answers.empty()) return std::nullopt;
    const auto answer = choice_answers.front();
    choice_answers.pop_front();
    return answer;
}

bool scripted_operator::confirm(const QString& question) {
    questions << question;
    if (confirm_answers.empty()) return false;
    const bool answer = confirm_answers.front();
    confirm_answers.pop_front();
    return answer;
}

std::optional<QString> scripted_operator::ask_text(const QString& title, const QString& prompt) {
    prompts << title + "|" + prompt;
    return take(text_answers);
}

std::optional<QString> scripted_operator::choose_open_file(const QString& default_name,
                                                           const QString& filter) {
    file_requests << "open|" + default_name + "|" + filter;
    return take(file_answers);
}

std::optional<QString> scripted_operator::choose_save_file(const QString& default_name,
                                                           const QString& filter) {
    file_requests << "save|" + default_name + "|" + filter;
    return take(file_answers);
}

void scripted_operator::status_line(const QString& text) {
    status_lines << text;
    ++reports_;
}

void scripted_operator::progress(const QString& text) {
    progress_texts << text;
    ++reports_;
}

bool scripted_operator::cancelled() {
    if (cancel_when && cancel_when()) return true;
    return cancel_after_reports >= 0 && reports_ >= cancel_after_reports;
}

}  // namespace zep::test
