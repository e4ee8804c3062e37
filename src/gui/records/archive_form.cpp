#include "gui/records/archive_form.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "core/program/startup.h"
#include "gui/records/archive_model.h"

namespace zep::gui {

archive_form::archive_form(screen_context& context) : record_screen(context.parent) {
    setObjectName(QStringLiteral("archive"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(make_heading(QStringLiteral("archive_heading"),
                                   QString::fromLatin1(records::archive_heading_text), this));
    model_ = new archive_model(*context.state.db, this);
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("log_list"));
    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->verticalHeader()->hide();
    // Fixed row heights keep the view from measuring rows it has not fetched.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->horizontalHeader()->setSortIndicatorShown(true);
    view_->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    view_->horizontalHeader()->setSectionsClickable(true);
    view_->setColumnWidth(0, 150);
    view_->setColumnWidth(1, 200);
    view_->setColumnWidth(3, 160);
    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, &archive_form::sort_on);
    layout->addWidget(view_, 1);
    auto* refresh = new QPushButton(QStringLiteral("Refresh"), this);
    refresh->setObjectName(QStringLiteral("refresh_button"));
    connect(refresh, &QPushButton::clicked, this, &archive_form::loadup);
    layout->addWidget(refresh, 0, Qt::AlignLeft);
    loadup();
}

void archive_form::loadup() {
    model_->refresh();
    if (model_->canFetchMore({})) model_->fetchMore({});
}

void archive_form::sort_on(int column) {
    view_->horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
    model_->sort(column);
    if (model_->canFetchMore({})) model_->fetchMore({});
}

}  // namespace zep::gui
