#include "gui/shell/screen_banner.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "core/autorun/override_selection.h"
#include "core/program/single_reader.h"

namespace zep::gui {

QString override_banner_text(const autorun::override_selection& selection) {
    if (selection.pending()) return {};
    const int count = selection.selected_count();
    return QStringLiteral("Override in force: %1 %2 selected")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("reader") : QStringLiteral("readers"));
}

screen_banner::screen_banner(const program::session* state,
                             const autorun::override_selection* selection, QWidget* parent)
    : QWidget(parent), state_(state), selection_(selection) {
    setObjectName(QStringLiteral("screen_banner"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    if (state_) {
        reader_ = new QLabel(this);
        reader_->setObjectName(QStringLiteral("reader_banner"));
        reader_->setStyleSheet(QStringLiteral("font-weight: bold;"));
        reader_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        column->addWidget(reader_);
    }
    if (selection_) {
        override_ = new QLabel(this);
        override_->setObjectName(QStringLiteral("override_banner"));
        override_->setStyleSheet(QStringLiteral("color: #a05000; font-weight: bold;"));
        column->addWidget(override_);
    }
    refresh();
}

void screen_banner::refresh() {
    if (reader_) {
        reader_->setText(QStringLiteral("Reader: ") +
                         link::describe_single_reader(program::stored_single_reader(*state_)));
    }
    if (override_) {
        const QString text = override_banner_text(*selection_);
        override_->setText(text);
        override_->setVisible(!text.isEmpty());
    }
}

void screen_banner::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The window is known only once the screen sits in it.
    if (QWidget* top = window(); top != watched_window_) {
        if (watched_window_) watched_window_->removeEventFilter(this);
        watched_window_ = top;
        top->installEventFilter(this);
    }
    refresh();
}

bool screen_banner::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowActivate && isVisible()) refresh();
    return QWidget::eventFilter(watched, event);
}

}  // namespace zep::gui
