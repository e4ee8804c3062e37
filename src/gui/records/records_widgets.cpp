#include "gui/records/records_widgets.h"

#include <QCloseEvent>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QShowEvent>

namespace zep::gui {

namespace {

class key_filter final : public QObject {
  public:
    key_filter(std::function<bool(QChar)> accept, QObject* parent)
        : QObject(parent), accept_(std::move(accept)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (text.isEmpty() || text[0] < QLatin1Char(' ') || text[0] == QChar(0x7f)) return false;
        return !accept_(text[0]);
    }

  private:
    std::function<bool(QChar)> accept_;
};

}  // namespace

QTreeWidget* make_record_list(const QString& name, const QStringList& headers, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setColumnCount(static_cast<int>(headers.size()));
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return list;
}

QLabel* make_heading(const QString& name, const QString& text, QWidget* parent) {
    QLabel* heading = make_label(name, text, parent);
    QFont font = heading->font();
    font.setPointSizeF(font.pointSizeF() * 1.3);
    font.setBold(true);
    heading->setFont(font);
    return heading;
}

QLabel* make_label(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

void close_on_escape(QWidget* screen) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), screen);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(escape, &QShortcut::activated, screen, &QWidget::close);
}

void filter_keys(QLineEdit* box, std::function<bool(QChar)> accept) {
    box->installEventFilter(new key_filter(std::move(accept), box));
}

void fit_columns(QTreeWidget* list) {
    for (int c = 0; c < list->columnCount(); ++c) list->resizeColumnToContents(c);
}

void sort_ascending(QTreeWidget* list, int column) {
    // The items compare on the view's sort column, so the indicator is set first.
    list->header()->setSortIndicatorShown(true);
    list->header()->setSortIndicator(column, Qt::AscendingOrder);
    list->sortItems(column, Qt::AscendingOrder);
}

void sort_on_header_click(QTreeWidget* list) {
    list->header()->setSectionsClickable(true);
    QObject::connect(list->header(), &QHeaderView::sectionClicked, list,
                     [list](int column) { sort_ascending(list, column); });
}

int sorted_position(const QTreeWidget* list, int column, const QString& text) {
    int low = 0;
    int high = list->topLevelItemCount();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (list->topLevelItem(middle)->text(column).compare(text) <= 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

bool record_screen::may_leave() {
    if (!person_ || !has_unsaved_edits()) return true;
    const auto answer = person_->confirm_or_cancel(QString::fromLatin1(save_changes_question));
    if (!answer) return false;
    if (*answer) return save_edits();
    drop_edits();
    return true;
}

void record_screen::closeEvent(QCloseEvent* event) {
    if (!may_leave()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void record_screen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Restoring a minimised window is no new opening.
    if (event->spontaneous()) return;
    if (shown_before_) loadup();
    shown_before_ = true;
}

}  // namespace zep::gui
