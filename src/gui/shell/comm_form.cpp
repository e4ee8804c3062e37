#include "gui/shell/comm_form.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "core/link/com_ports.h"
#include "core/program/startup.h"

namespace zep::gui {

namespace {

constexpr auto page_notice =
    "Use this page for setting the comm port or tcp address for communicating with a SINGLE "
    "READER, or multiple protocol readers on the same connection. These settings are also used "
    "for TERMINAL MODE.";

QRadioButton* add_radio(QButtonGroup* group, QLayout* layout, const QString& caption,
                        const QString& name, int digit) {
    auto* button = new QRadioButton(caption);
    button->setObjectName(name);
    group->addButton(button, digit);
    layout->addWidget(button);
    return button;
}

QLineEdit* digits_box(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    return box;
}

int digit_at(const QString& text, qsizetype position) {
    return position < text.size() && text[position].isDigit() ? text[position].digitValue() : 0;
}

}  // namespace

comm_form::comm_form(screen_context& context) : QWidget(context.parent), state_(context.state) {
    setObjectName(QStringLiteral("commform"));
    auto* layout = new QVBoxLayout(this);
    auto* notice = new QLabel(QString::fromLatin1(page_notice), this);
    notice->setObjectName(QStringLiteral("commform_notice"));
    notice->setWordWrap(true);
    layout->addWidget(notice);

    auto* choices = new QGridLayout;
    choices->addWidget(make_mode_box(), 0, 0);
    choices->addWidget(make_protocol_box(), 0, 1);
    choices->addWidget(make_speed_box(), 0, 2);
    choices->addWidget(make_port_box(), 1, 0, 1, 3);
    layout->addLayout(choices);
    layout->addWidget(make_address_box());
    layout->addStretch();

    fill();
    connect_choices();
}

QWidget* comm_form::make_mode_box() {
    auto* box = new QGroupBox(QStringLiteral("Comm Mode"), this);
    auto* column = new QVBoxLayout(box);
    mode_ = new QButtonGroup(box);
    add_radio(mode_, column, QStringLiteral("TCP/IP"), QStringLiteral("mode_tcp"), 1);
    add_radio(mode_, column, QStringLiteral("Serial Port"), QStringLiteral("mode_serial"), 2);
    return box;
}

QWidget* comm_form::make_protocol_box() {
    auto* box = new QGroupBox(QStringLiteral("Protocol"), this);
    auto* column = new QVBoxLayout(box);
    protocol_ = new QButtonGroup(box);
    add_radio(protocol_, column, QStringLiteral("Yes"), QStringLiteral("protocol_yes"), 1);
    add_radio(protocol_, column, QStringLiteral("No"), QStringLiteral("protocol_no"), 2);
    return box;
}

QWidget* comm_form::make_speed_box() {
    auto* box = new QGroupBox(QStringLiteral("Baud Rate"), this);
    box->setObjectName(QStringLiteral("baud_rate_box"));
    serial_only_.push_back(box);
    auto* column = new QVBoxLayout(box);
    speed_ = new QButtonGroup(box);
    add_radio(speed_, column, QStringLiteral("9600"), QStringLiteral("baud_9600"), 1);
    add_radio(speed_, column, QStringLiteral("19200"), QStringLiteral("baud_19200"), 2);
    return box;
}

QWidget* comm_form::make_port_box() {
    auto* box = new QGroupBox(QStringLiteral("Comm Port"), this);
    box->setObjectName(QStringLiteral("comm_port_box"));
    serial_only_.push_back(box);
    auto* grid = new QGridLayout(box);
    port_ = new QButtonGroup(box);
    for (int port = 1; port <= 5; ++port) {
        auto* row = new QHBoxLayout;
        add_radio(port_, row, QStringLiteral("Com%1").arg(port),
                  QStringLiteral("port_%1").arg(port), port);
        grid->addLayout(row, port - 1, 0);
        auto* device = new QLineEdit(box);
        device->setObjectName(QStringLiteral("device_%1").arg(port));
        device->setPlaceholderText(link::default_com_device(port));
        device->setToolTip(QStringLiteral("Device Com%1 stands for").arg(port));
        grid->addWidget(device, port - 1, 1);
        devices_[static_cast<size_t>(port - 1)] = device;
        connect(device, &QLineEdit::textEdited, this, [this, port](const QString& text) {
            state_.settings.comdevice[static_cast<size_t>(port - 1)] = text.trimmed();
        });
    }
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget* comm_form::make_address_box() {
    auto* box = new QWidget(this);
    auto* form = new QFormLayout(box);
    form->setContentsMargins(0, 0, 0, 0);
    address_ = digits_box(QStringLiteral("protocol_address"), box);
    address_->setMaxLength(3);
    address_notice_ = new QLabel(box);
    address_notice_->setObjectName(QStringLiteral("address_notice"));
    address_notice_->setStyleSheet(QStringLiteral("color: #b00000;"));
    address_notice_->setWordWrap(true);
    ipaddress_ = new QLineEdit(box);
    ipaddress_->setObjectName(QStringLiteral("ip_address"));
    tcp_port_ = digits_box(QStringLiteral("tcp_port"), box);
    for (QLineEdit* edit : {address_, ipaddress_, tcp_port_}) edit->setMaximumWidth(220);
    address_notice_->hide();
    form->addRow(QStringLiteral("Protocol Address Single Reader"), address_);
    form->addRow(QString(), address_notice_);
    form->addRow(QStringLiteral("IP Address Single Reader"), ipaddress_);
    form->addRow(QStringLiteral("Tcp Port Address Single Reader"), tcp_port_);

    connect(address_, &QLineEdit::textEdited, this, &comm_form::address_edited);
    connect(ipaddress_, &QLineEdit::textEdited, this,
            [this](const QString& text) { state_.settings.ipaddress = text; });
    connect(tcp_port_, &QLineEdit::textEdited, this,
            [this](const QString& text) { state_.settings.remoteportaddress = text; });
    return box;
}

void comm_form::fill() {
    const QString& text = state_.settings.settings;
    const auto check = [](QButtonGroup* group, int id) {
        if (QAbstractButton* button = group->button(id)) button->setChecked(true);
    };
    check(mode_, state_.comm.link_mode);
    check(protocol_, state_.comm.protocol_on() ? 1 : 2);
    check(port_, state_.comm.port);
    check(speed_, digit_at(text, 3) == 1 ? 1 : 2);
    for (size_t i = 0; i < devices_.size(); ++i) devices_[i]->setText(state_.settings.comdevice[i]);
    accepted_address_ = QString::number(state_.comm.protocol_address);
    address_->setText(accepted_address_);
    ipaddress_->setText(state_.settings.ipaddress);
    tcp_port_->setText(state_.settings.remoteportaddress);
    address_notice_->clear();
    address_notice_->hide();
    enable_serial_choices();
}

// The port and its speed mean nothing to a TCP/IP link: they wait, greyed, until a serial
// link is chosen again.
void comm_form::enable_serial_choices() {
    for (QWidget* box : serial_only_) box->setEnabled(!state_.comm.tcp());
}

void comm_form::connect_choices() {
    const auto wire = [this](QButtonGroup* group, comm_choice choice) {
        connect(group, &QButtonGroup::idToggled, this, [this, choice](int id, bool on) {
            if (!on) return;
            apply_comm_choice(state_.settings.settings, state_.comm, choice, id);
            enable_serial_choices();
        });
    };
    wire(mode_, comm_choice::mode);
    wire(protocol_, comm_choice::protocol);
    wire(port_, comm_choice::port);
    wire(speed_, comm_choice::speed);
}

void comm_form::address_edited(const QString& text) {
    switch (apply_address_edit(state_.settings.settings, state_.comm, text)) {
        case address_edit::refused:
            // The link cannot frame it: the box goes back to the last address taken.
            address_->setText(accepted_address_);
            address_notice_->setText(QString::fromLatin1(address_refused_text));
            address_notice_->show();
            break;
        case address_edit::applied:
        case address_edit::unchanged:
            accepted_address_ = text;
            address_notice_->clear();
            address_notice_->hide();
            break;
    }
}

}  // namespace zep::gui
