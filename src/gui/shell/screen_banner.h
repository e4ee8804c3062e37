#pragma once

#include <QWidget>

class QLabel;

namespace zep::program {
struct session;
}
namespace zep::autorun {
class override_selection;
}

namespace zep::gui {

// The lines at the top of a screen that say where its work goes: the reader the
// single-reader link reaches ("Reader: TCP 127.0.0.1:4001, plain"), and whether an
// override selection stands in for the active marks ("Override in force: 3 readers
// selected"). Read afresh whenever the screen is shown and whenever its window is
// activated again, so a change made on the Communications screen or in the override
// dialog shows at once.
class screen_banner final : public QWidget {
    Q_OBJECT
  public:
    // A null `state` shows no reader line; a null `selection` no override line.
    screen_banner(const program::session* state, const autorun::override_selection* selection,
                  QWidget* parent);
    void refresh();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    const program::session* state_;
    const autorun::override_selection* selection_;
    QLabel* reader_ = nullptr;
    QLabel* override_ = nullptr;
    QWidget* watched_window_ = nullptr;
};

// "Override in force: N readers selected"; empty while no override is in force.
QString override_banner_text(const autorun::override_selection& selection);

}  // namespace zep::gui
