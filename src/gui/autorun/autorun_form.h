#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "core/autorun/override_selection.h"
#include "gui/shell/screen_registry.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace zep::autorun {
struct autorun_result;
}

namespace zep::gui {

// The directory and file pickers of the autorun screen; a test puts its own in their place.
struct autorun_pickers {
    // The heading and the directory the box holds now; nullopt when the picker is cancelled.
    std::function<std::optional<QString>(const QString& heading, const QString& start)> directory;
    // The suggested name, the filter ("Text (*.txt)|*.txt|..."), whether the file must exist.
    std::function<std::optional<QString>(const QString& name, const QString& filter,
                                         bool must_exist)>
        file;
};

// The screen `autorun`: what the automatic run does and where its files are, written into
// the settings in memory at every change, and the run itself with its status list. The run
// goes through the job runner; the settings stay editable while it runs (it took its copy).
class autorun_form final : public QWidget {
    Q_OBJECT
  public:
    // Pickers left empty are the program's dialogs; the selection is the program's own
    // unless a test brings its own.
    explicit autorun_form(
        screen_context& context, autorun_pickers pickers = {},
        autorun::override_selection& selection = autorun::program_override_selection());

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* make_steps();
    QWidget* make_sources();
    QWidget* make_directories();
    QWidget* make_files();
    QWidget* make_run_box();
    QLineEdit* make_box(const QString& name, QString& setting, QWidget* parent);

    void choose_directory(QLineEdit* box, const QString& heading);
    void choose_file(QLineEdit* box, const QString& name, bool must_exist);
    void run();
    void add_status(const QString& line);
    void finished(const autorun::autorun_result& result);

    screen_context context_;  // copied: the shell makes it for the constructor only
    autorun_pickers pickers_;
    autorun::override_selection& selection_;
    QLabel* status_label_ = nullptr;
    QListWidget* status_list_ = nullptr;
    QPushButton* run_ = nullptr;
    QPushButton* stop_ = nullptr;
    bool list_is_old_ = false;  // the list still shows the run before this one
};

}  // namespace zep::gui
