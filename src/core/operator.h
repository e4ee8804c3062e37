#pragma once

#include <QString>
#include <optional>

namespace zep {

// How the core talks to the person at the keyboard. The GUI answers with dialogs,
// `zep background` writes to its log, the command line prints and takes answers from
// flags, tests script the answers and record what they were told.
class operator_port {
  public:
    virtual ~operator_port() = default;

    // A message box with an OK button.
    virtual void message(const QString& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool confirm(const QString& question) = 0;
    // A Yes/No question before records are erased: No is the answer a stray Enter gives.
    virtual bool confirm_erase(const QString& question) { return confirm(question); }
    // A Yes/No/Cancel question: true for Yes, false for No, nullopt for Cancel. An operator
    // who offers no Cancel answers as confirm() does.
    virtual std::optional<bool> confirm_or_cancel(const QString& question) {
        return confirm(question);
    }
    // An input box; nullopt when cancelled.
    virtual std::optional<QString> ask_text(const QString& title, const QString& prompt) = 0;
    // File pickers. `filter` uses the "Text (*.txt)|*.txt" form; nullopt when cancelled.
    virtual std::optional<QString> choose_open_file(const QString& default_name,
                                                    const QString& filter) = 0;
    virtual std::optional<QString> choose_save_file(const QString& default_name,
                                                    const QString& filter) = 0;
    // One line of a result list or status report.
    virtual void status_line(const QString& text) = 0;
    // The progress label of a running operation; empty clears it.
    virtual void progress(const QString& text) = 0;
    // True once the operator asked the running operation to stop.
    virtual bool cancelled() = 0;
};

// An operator who says No to every question, cancels every input and picker, ignores
// reports and never cancels: the base of the command line's operators, which take part
// only where they override.
class quiet_operator : public operator_port {
  public:
    void message(const QString&) override {}
    bool confirm(const QString&) override { return false; }
    std::optional<QString> ask_text(const QString&, const QString&) override { return {}; }
    std::optional<QString> choose_open_file(const QString&, const QString&) override { return {}; }
    std::optional<QString> choose_save_file(const QString&, const QString&) override { return {}; }
    void status_line(const QString&) override {}
    void progress(const QString&) override {}
    bool cancelled() override { return false; }
};

}  // namespace zep
