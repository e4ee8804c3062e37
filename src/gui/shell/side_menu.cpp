#include "gui/shell/side_menu.h"

#include <QColor>
#include <QLabel>
#include <QVBoxLayout>
#include <array>
#include <cstring>

namespace zep::gui {

namespace {

constexpr side_menu_entry command_entries[] = {
    {"termmode", "Terminal Mode"},  {"netman", "Network Manager"},
    {"commform", "Communications"}, {"updown", "Upload/Download\nText Files"},
    {"setup", "KO/ZEP Setup"},      {"utilities", "Utilities"},
    {"autorun", "Autorun"},         {"barsetup", "Bar/Mag/Prox Setup"},
};

constexpr side_menu_entry database_entries[] = {
    {"schedulesform", "Schedules"}, {"readersform", "Readers"}, {"usersform", "Users"},
    {"archive", "Log Archive"},     {"dbutil", "Utilities"},
};

// The sixteen standard colours, toned down: the title only tints, it does not flash.
constexpr std::array<QRgb, 16> title_colours = {
    0x303030, 0x304070, 0x307030, 0x307070, 0x703030, 0x703070, 0x706030, 0x606060,
    0x505050, 0x4050a0, 0x40a040, 0x40a0a0, 0xa04040, 0xa040a0, 0x909040, 0x404040,
};
constexpr int colour_tick_ms = 1500;

const QString yellow_style =
    QStringLiteral("QPushButton { background-color: yellow; color: black; }");

}  // namespace

std::span<const side_menu_entry> command_menu_entries() {
    return command_entries;
}

std::span<const side_menu_entry> database_menu_entries() {
    return database_entries;
}

side_menu::side_menu(const QString& object_name, const QString& title,
                     std::span<const side_menu_entry> entries, bool decorated, QWidget* parent)
    : QWidget(parent) {
    setObjectName(object_name);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    title_ = new QLabel(title, this);
    title_->setObjectName(object_name + QStringLiteral("_title"));
    title_->setAlignment(Qt::AlignCenter);
    QFont font = title_->font();
    font.setBold(true);
    title_->setFont(font);
    layout->addWidget(title_);
    for (const side_menu_entry& item : entries) {
        const QString screen = QString::fromLatin1(item.screen);
        auto* button = new QPushButton(QString::fromLatin1(item.caption), this);
        button->setObjectName(QStringLiteral("entry_") + screen);
        button->setMinimumHeight(std::strchr(item.caption, '\n') ? 48 : 32);
        connect(button, &QPushButton::clicked, this,
                [this, screen] { Q_EMIT entry_chosen(screen); });
        layout->addWidget(button);
        buttons_.insert(screen, button);
        order_ << screen;
    }
    layout->addStretch();
    setFixedWidth(170);
    if (decorated) {
        connect(&colour_timer_, &QTimer::timeout, this, &side_menu::next_colour);
        colour_timer_.start(colour_tick_ms);
        next_colour();
    }
}

void side_menu::mark(const QString& screen) {
    for (QPushButton* button : std::as_const(buttons_)) button->setStyleSheet(QString());
    if (QPushButton* chosen = buttons_.value(screen)) {
        chosen->setStyleSheet(yellow_style);
        marked_ = screen;
    }
}

void side_menu::next_colour() {
    QPalette palette = title_->palette();
    palette.setColor(QPalette::WindowText, QColor(title_colours[static_cast<size_t>(colour_)]));
    title_->setPalette(palette);
    colour_ = (colour_ + 1) % static_cast<int>(title_colours.size());
}

}  // namespace zep::gui
