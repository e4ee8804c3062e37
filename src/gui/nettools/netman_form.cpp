#include "gui/nettools/netman_form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <memory>
#include <utility>

#include "core/link/link_endpoint.h"
#include "core/nettools/network_manager.h"
#include "core/program/single_reader.h"
#include "gui/shell/screen_banner.h"

namespace zep::gui {

namespace {

// The single poll answers ten times a second for as long as it runs; the list keeps the
// latest of them.
constexpr int answers_kept = 1000;

link::link_endpoint current_endpoint(const program::session& state) {
    return link::single_reader_endpoint(program::stored_single_reader(state));
}

QListWidget* make_list(const QString& name, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    return list;
}

QLineEdit* address_box(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(3);
    // Digits only, as the reader's addresses are.
    box->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    return box;
}

}  // namespace

netman_form::netman_form(screen_context& context) : QWidget(context.parent), context_(context) {
    setObjectName(QStringLiteral("netman"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new screen_banner(&context_.state, nullptr, this), 0, 0, 1, 2);
    grid->addWidget(make_poll_all_box(), 1, 0);
    grid->addWidget(make_single_poll_box(), 1, 1);
    grid->addWidget(make_address_box(), 2, 0);
    grid->addWidget(make_protocol_box(), 2, 1);
    grid->setRowStretch(1, 1);
}

QPushButton* netman_form::make_button(const char* caption, const QString& name, QWidget* parent,
                                      void (netman_form::*action)()) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, action);
    return button;
}

QWidget* netman_form::make_poll_all_box() {
    auto* box = new QGroupBox(QStringLiteral("Readers Online"), this);
    auto* column = new QVBoxLayout(box);
    auto* buttons = new QHBoxLayout;
    starters_ << make_button("Test", QStringLiteral("test"), box, &netman_form::poll_all);
    buttons->addWidget(starters_.last());
    stop_all_ =
        make_button("Stop Test", QStringLiteral("stop_test"), box, &netman_form::stop_poll_all);
    stop_all_->setEnabled(false);
    buttons->addWidget(stop_all_);
    column->addLayout(buttons);
    auto* progress = new QHBoxLayout;
    status_ = new QLabel(box);
    status_->setObjectName(QStringLiteral("poll_status"));
    progress->addWidget(status_, 1);
    checked_ = new QProgressBar(box);
    checked_->setObjectName(QStringLiteral("poll_progress"));
    checked_->setRange(0, nettools::highest_poll_address);
    checked_->setFormat(QStringLiteral("%v of %m"));
    checked_->hide();
    progress->addWidget(checked_, 1);
    column->addLayout(progress);
    online_ = make_list(QStringLiteral("online_list"), box);
    column->addWidget(online_, 1);
    return box;
}

QWidget* netman_form::make_single_poll_box() {
    auto* box = new QGroupBox(QStringLiteral("Single Reader Poll"), this);
    auto* column = new QVBoxLayout(box);
    auto* buttons = new QHBoxLayout;
    starters_ << make_button("Test Poll", QStringLiteral("test_poll"), box,
                             &netman_form::poll_single);
    buttons->addWidget(starters_.last());
    stop_single_ = make_button("Stop Test Poll", QStringLiteral("stop_test_poll"), box,
                               &netman_form::stop_poll_single);
    stop_single_->setEnabled(false);
    buttons->addWidget(stop_single_);
    column->addLayout(buttons);
    answers_ = make_list(QStringLiteral("poll_list"), box);
    column->addWidget(answers_, 1);
    return box;
}

QWidget* netman_form::make_address_box() {
    auto* box = new QGroupBox(QStringLiteral("Change Reader Address"), this);
    auto* row = new QHBoxLayout(box);
    from_ = address_box(QStringLiteral("from_address"), box);
    to_ = address_box(QStringLiteral("to_address"), box);
    row->addWidget(new QLabel(QStringLiteral("From"), box));
    row->addWidget(from_);
    row->addWidget(new QLabel(QStringLiteral("To"), box));
    row->addWidget(to_);
    starters_ << make_button("Change", QStringLiteral("change"), box, &netman_form::change_address);
    row->addWidget(starters_.last());
    return box;
}

QWidget* netman_form::make_protocol_box() {
    auto* box = new QGroupBox(QStringLiteral("Reader Protocol"), this);
    auto* row = new QHBoxLayout(box);
    starters_ << make_button("Protocol On", QStringLiteral("protocol_on"), box,
                             &netman_form::protocol_on);
    row->addWidget(starters_.last());
    starters_ << make_button("Protocol Off", QStringLiteral("protocol_off"), box,
                             &netman_form::protocol_off);
    row->addWidget(starters_.last());
    return box;
}

void netman_form::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (running_ != poll::none) return;
    status_->clear();
    from_->clear();
    to_->clear();
}

// Leaving the screen stops its poll; the side menus also stop it through close_all_links
// before anything else may use the line.
void netman_form::hideEvent(QHideEvent* event) {
    if (running_ != poll::none) context_.jobs.cancel();
    QWidget::hideEvent(event);
}

void netman_form::start_poll(poll which, job_request request) {
    request.holds_busy = false;
    request.on_finished = [this] { poll_ended(); };
    if (!context_.jobs.start(std::move(request))) return;
    running_ = which;
    for (QPushButton* button : std::as_const(starters_)) button->setEnabled(false);
    (which == poll::all ? stop_all_ : stop_single_)->setEnabled(true);
}

void netman_form::poll_ended() {
    running_ = poll::none;
    for (QPushButton* button : std::as_const(starters_)) button->setEnabled(true);
    stop_all_->setEnabled(false);
    stop_single_->setEnabled(false);
    checked_->hide();
}

void netman_form::poll_all() {
    const link::link_endpoint endpoint = current_endpoint(context_.state);
    job_request request;
    request.work = [endpoint](job_context& job) {
        (void)nettools::poll_all_addresses(job.link, endpoint, job.person);
    };
    // The first progress comes once the line is open: a poll that cannot open it keeps
    // the readers found before.
    request.on_progress = [this, fresh = std::make_shared<bool>(true)](const QString& text) {
        if (std::exchange(*fresh, false)) online_->clear();
        status_->setText(text);
        // "Checking Address 041": the bar beside it says how far through the line that is.
        if (const auto address = nettools::checking_address_of(text)) {
            checked_->setValue(*address);
            checked_->show();
        }
    };
    request.on_status = [this](const QString& line) { online_->addItem(line); };
    start_poll(poll::all, std::move(request));
}

void netman_form::stop_poll_all() {
    if (running_ == poll::all) context_.jobs.cancel();
}

void netman_form::poll_single() {
    const link::link_endpoint endpoint = current_endpoint(context_.state);
    job_request request;
    request.work = [endpoint](job_context& job) {
        (void)nettools::poll_single_reader(job.link, endpoint, job.person);
    };
    // Answers come only from an open line.
    request.on_status = [this, fresh = std::make_shared<bool>(true)](const QString& line) {
        if (std::exchange(*fresh, false)) answers_->clear();
        answers_->addItem(line);
        while (answers_->count() > answers_kept) delete answers_->takeItem(0);
        answers_->scrollToBottom();
    };
    start_poll(poll::single, std::move(request));
}

void netman_form::stop_poll_single() {
    if (running_ == poll::single) context_.jobs.cancel();
}

void netman_form::change_address() {
    const link::link_endpoint endpoint = current_endpoint(context_.state);
    job_request request;
    request.work = [endpoint, from = from_->text(), to = to_->text()](job_context& job) {
        (void)nettools::change_address(job.link, endpoint, from, to, job.person);
    };
    request.screen = this;
    context_.jobs.start(std::move(request));
}

void netman_form::protocol_on() {
    set_protocol(true);
}

void netman_form::protocol_off() {
    set_protocol(false);
}

void netman_form::set_protocol(bool on) {
    const link::link_endpoint endpoint = current_endpoint(context_.state);
    job_request request;
    request.work = [endpoint, on](job_context& job) {
        (void)nettools::set_protocol(job.link, endpoint, on, job.person);
    };
    request.screen = this;
    context_.jobs.start(std::move(request));
}

}  // namespace zep::gui
