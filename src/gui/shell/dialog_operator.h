#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "core/operator.h"

namespace zep::gui {

// The file-picker filter "Text (*.txt)|*.txt|All Files (*.*)|*.*" as Qt name filters:
// the captions, which already name their patterns.
QStringList qt_name_filters(const QString& filter);

// The operator at the screen: message boxes, Yes/No questions, input boxes and file
// dialogs, all on the GUI thread. Reports have no dialog; the job runner hands them to
// the screen that started the job.
class dialog_operator final : public operator_port {
  public:
    explicit dialog_operator(QWidget* parent = nullptr) : parent_(parent) {}

    void set_parent(QWidget* parent) { parent_ = parent; }
    // Input boxes hide what is typed (the login prompt).
    void set_hidden_input(bool hidden) { hidden_input_ = hidden; }

    void message(const QString& text) override;
    bool confirm(const QString& question) override;
    bool confirm_erase(const QString& question) override;
    std::optional<bool> confirm_or_cancel(const QString& question) override;
    std::optional<QString> ask_text(const QString& title, const QString& prompt) override;
    std::optional<QString> choose_open_file(const QString& default_name,
                                            const QString& filter) override;
    std::optional<QString> choose_save_file(const QString& default_name,
                                            const QString& filter) override;
    void status_line(const QString&) override {}
    void progress(const QString&) override {}
    bool cancelled() override { return false; }

  private:
    std::optional<QString> choose_file(bool save, const QString& default_name,
                                       const QString& filter);

    QPointer<QWidget> parent_;
    bool hidden_input_ = false;
};

}  // namespace zep::gui
