#include "gui/records/readers_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/program/startup.h"

namespace zep::gui {

namespace {

constexpr std::array<int, 2> speed_values = {9600, 19200};

// The list columns back into a row, so editing starts from what the list shows.
data::reader_row row_from_item(const QTreeWidgetItem* item) {
    data::reader_row row;
    row.readernum = static_cast<qint16>(item->text(0).toInt());
    row.readername = item->text(1);
    row.location = item->text(2);
    row.timezone = item->text(3);
    row.active = item->text(4);
    row.commmode = item->text(5);
    row.protocol = item->text(6);
    row.address422 = item->text(7);
    row.ipaddress = item->text(8);
    row.Port = item->text(9);
    return row;
}

void uncheck_all(QButtonGroup* group) {
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) button->setChecked(false);
    group->setExclusive(true);
}

void check_id(QButtonGroup* group, int id) {
    if (QAbstractButton* button = group->button(id)) {
        button->setChecked(true);
    } else {
        uncheck_all(group);
    }
}

}  // namespace

readers_form::readers_form(screen_context& context)
    : record_screen(context.parent, &context.person),
      db_(*context.state.db),
      person_(context.person) {
    setObjectName(QStringLiteral("readersform"));
    close_on_escape(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        make_heading(QStringLiteral("readers_title"), QStringLiteral("Readers"), this));
    list_ = make_record_list(QStringLiteral("reader_list"),
                             header_texts(records::reader_column_headers), this);
    connect(list_, &QTreeWidget::itemClicked, this, &readers_form::load_row);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &readers_form::load_row);
    layout->addWidget(list_, 1);
    heading_ = make_heading(QStringLiteral("reader_heading"), QString(), this);
    layout->addWidget(heading_);
    auto* edit = new QHBoxLayout;
    edit->addWidget(make_text_fields(), 2);
    auto* choices = new QVBoxLayout;
    choices->addWidget(make_mode_box());
    choices->addWidget(make_port_box());
    choices->addWidget(make_speed_box());
    edit->addLayout(choices, 1);
    layout->addLayout(edit);
    update_ = new QPushButton(QStringLiteral("Update This Reader"), this);
    update_->setObjectName(QStringLiteral("update_reader_button"));
    connect(update_, &QPushButton::clicked, this, &readers_form::update_this_reader);
    layout->addWidget(update_, 0, Qt::AlignLeft);
    lockable_.push_back(update_);
    // Tab follows the form as it reads: the fields top to bottom, then the link choices.
    std::vector<QWidget*> order{
        list_,       name_,    location_, active_, time_difference_, protocol_, network_address_,
        ip_address_, tcp_port_};
    for (QAbstractButton* b : mode_->buttons()) order.push_back(b);
    for (QAbstractButton* b : port_->buttons()) order.push_back(b);
    for (QCheckBox* speed : speeds_) order.push_back(speed);
    order.push_back(update_);
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    loadup();
}

QLineEdit* readers_form::add_box(const QString& name, std::function<bool(QChar)> keys) {
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    if (keys) filter_keys(box, std::move(keys));
    lockable_.push_back(box);
    return box;
}

QWidget* readers_form::make_text_fields() {
    auto* panel = new QWidget(this);
    auto* form = new QFormLayout(panel);
    form->setContentsMargins(0, 0, 0, 0);
    name_ = add_box(QStringLiteral("name_box"), {});
    location_ = add_box(QStringLiteral("location_box"), {});
    time_difference_ = add_box(QStringLiteral("time_difference_box"), records::time_difference_key);
    network_address_ = add_box(QStringLiteral("network_address_box"), records::digits_key);
    ip_address_ = add_box(QStringLiteral("ip_address_box"), records::ip_address_key);
    tcp_port_ = add_box(QStringLiteral("tcp_port_box"), records::digits_key);
    active_ = new QCheckBox(QStringLiteral("Active"), panel);
    active_->setObjectName(QStringLiteral("active_tick"));
    protocol_ = new QCheckBox(QStringLiteral("Protocol"), panel);
    protocol_->setObjectName(QStringLiteral("protocol_tick"));
    connect(protocol_, &QCheckBox::clicked, this, [this] { show_choices(typed()); });
    lockable_.push_back(active_);
    lockable_.push_back(protocol_);
    form->addRow(QStringLiteral("Name"), name_);
    form->addRow(QStringLiteral("Location"), location_);
    form->addRow(QString(), active_);
    form->addRow(QStringLiteral("Time Difference"), time_difference_);
    form->addRow(QString(), protocol_);
    form->addRow(QStringLiteral("Network Address"), network_address_);
    form->addRow(QStringLiteral("IP Address"), ip_address_);
    form->addRow(QStringLiteral("TCP Port"), tcp_port_);
    return panel;
}

QWidget* readers_form::make_mode_box() {
    auto* box = new QGroupBox(QStringLiteral("Mode"), this);
    auto* row = new QHBoxLayout(box);
    mode_ = new QButtonGroup(box);
    struct mode_option {
        const char* caption;
        const char* name;
        records::reader_form_mode mode;
    };
    const std::array<mode_option, 3> modes = {
        {{"none", "mode_none", records::reader_form_mode::none},
         {"Serial", "mode_serial", records::reader_form_mode::serial},
         {"Tcp/ip", "mode_tcp", records::reader_form_mode::tcp}}};
    for (const auto& [caption, name, mode] : modes) {
        auto* option = new QRadioButton(QString::fromLatin1(caption), box);
        option->setObjectName(QString::fromLatin1(name));
        mode_->addButton(option, static_cast<int>(mode));
        row->addWidget(option);
        lockable_.push_back(option);
        connect(option, &QRadioButton::clicked, this, [this, m = mode] { mode_chosen(m); });
    }
    return box;
}

QWidget* readers_form::make_port_box() {
    auto* box = new QGroupBox(QStringLiteral("Serial Port"), this);
    auto* row = new QHBoxLayout(box);
    port_ = new QButtonGroup(box);
    for (int port = 1; port <= 5; ++port) {
        auto* option = new QRadioButton(QStringLiteral("Com%1").arg(port), box);
        option->setObjectName(QStringLiteral("port_com%1").arg(port));
        port_->addButton(option, port);
        row->addWidget(option);
    }
    return box;
}

QWidget* readers_form::make_speed_box() {
    auto* box = new QGroupBox(QStringLiteral("Speed"), this);
    auto* row = new QHBoxLayout(box);
    for (size_t i = 0; i < speeds_.size(); ++i) {
        const int speed = speed_values[i];
        speeds_[i] = new QCheckBox(QString::number(speed), box);
        speeds_[i]->setObjectName(QStringLiteral("speed_%1").arg(speed));
        row->addWidget(speeds_[i]);
        connect(speeds_[i], &QCheckBox::clicked, this,
                [this, speed](bool ticked) { speed_clicked(speed, ticked); });
    }
    return box;
}

void readers_form::loadup() {
    QList<QTreeWidgetItem*> items;
    for (const data::reader_row& row : records::readers_loadup(db_, person_)) {
        const auto columns = records::reader_columns(row);
        items << new QTreeWidgetItem(QStringList(columns.begin(), columns.end()));
    }
    list_->clear();
    list_->addTopLevelItems(items);
    fit_columns(list_);
    go_idle();
}

records::reader_form readers_form::typed() const {
    records::reader_form form;
    form.readernum = editing_;
    form.name = name_->text();
    form.location = location_->text();
    form.time_difference = time_difference_->text();
    form.active = active_->isChecked();
    form.mode = mode_->checkedId() < 0 ? records::reader_form_mode::none
                                       : static_cast<records::reader_form_mode>(mode_->checkedId());
    form.port = std::max(port_->checkedId(), 0);
    form.speed = speeds_[0]->isChecked()   ? speed_values[0]
                 : speeds_[1]->isChecked() ? speed_values[1]
                                           : 0;
    form.protocol = protocol_->isChecked();
    form.network_address = network_address_->text();
    form.ip_address = ip_address_->text();
    form.tcp_port = tcp_port_->text();
    return form;
}

void readers_form::show_form(const records::reader_form& form) {
    name_->setText(form.name);
    location_->setText(form.location);
    time_difference_->setText(form.time_difference);
    active_->setChecked(form.active);
    protocol_->setChecked(form.protocol);
    network_address_->setText(form.network_address);
    ip_address_->setText(form.ip_address);
    tcp_port_->setText(form.tcp_port);
    show_choices(form);
}

void readers_form::show_choices(const records::reader_form& form) {
    check_id(mode_, static_cast<int>(form.mode));
    check_id(port_, form.port);
    for (size_t i = 0; i < speeds_.size(); ++i)
        speeds_[i]->setChecked(form.speed == speed_values[i]);
    const records::reader_form_enabled enabled = records::enabled_fields(form);
    for (QAbstractButton* port : port_->buttons()) port->setEnabled(enabled.ports);
    for (QCheckBox* speed : speeds_) speed->setEnabled(enabled.speeds);
    ip_address_->setEnabled(enabled.ip_address);
    tcp_port_->setEnabled(enabled.tcp_port);
    network_address_->setEnabled(enabled.network_address);
}

void readers_form::mode_chosen(records::reader_form_mode mode) {
    records::reader_form form = typed();
    records::select_mode(form, mode);
    show_choices(form);
}

void readers_form::speed_clicked(int speed, bool ticked) {
    records::reader_form form = typed();
    records::set_speed_ticked(form, speed, ticked);
    show_choices(form);
}

void readers_form::lock(bool locked) {
    for (QWidget* field : lockable_) field->setEnabled(!locked);
}

void readers_form::go_idle() {
    editing_ = -1;
    heading_->clear();
    show_form(records::reader_form{});
    uncheck_all(mode_);
    lock(true);
    for (QAbstractButton* port : port_->buttons()) port->setEnabled(false);
    for (QCheckBox* speed : speeds_) speed->setEnabled(false);
}

bool readers_form::has_unsaved_edits() const {
    return editing_ >= 0 && typed() != loaded_;
}

void readers_form::load_row(QTreeWidgetItem* item) {
    if (!item) return;
    const int number = item->text(0).toInt();
    if (!may_leave()) {
        // The row being edited stays the chosen one.
        for (int i = 0; i < list_->topLevelItemCount(); ++i) {
            if (list_->topLevelItem(i)->text(0).toInt() == editing_)
                list_->setCurrentItem(list_->topLevelItem(i));
        }
        return;
    }
    // A save may have rewritten the list's rows; the chosen one is found again by number.
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        if (list_->topLevelItem(i)->text(0).toInt() == number) item = list_->topLevelItem(i);
    }
    const records::reader_form form = records::reader_form_from_row(row_from_item(item));
    editing_ = form.readernum;
    heading_->setText(QString::fromLatin1(records::reader_heading_prefix) + item->text(0));
    lock(false);
    show_form(form);
    loaded_ = typed();
    as_read_ = form;
}

void readers_form::show_list_row(QTreeWidgetItem* item, const data::reader_row& row) {
    const auto columns = records::reader_columns(row);
    for (int c = 1; c < static_cast<int>(columns.size()); ++c) item->setText(c, columns[c]);
}

bool readers_form::update_this_reader() {
    if (editing_ < 0) return true;
    const records::reader_form form = typed();
    switch (records::update_reader(db_, person_, form, &as_read_)) {
        case records::reader_update::refused:
            return false;
        case records::reader_update::changed_elsewhere:
            loadup();  // what the other PC stored; the edits were not saved
            return true;
        case records::reader_update::stored:
        case records::reader_update::not_in_table:
            break;
    }
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->text(0).toInt() == editing_)
            show_list_row(item, records::reader_row_from_form(form));
    }
    go_idle();
    return true;
}

}  // namespace zep::gui
