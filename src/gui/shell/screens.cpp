#include <QLabel>
#include <QVBoxLayout>

#include "gui/autorun/autorun_form.h"
#include "gui/maintenance/barsetup_form.h"
#include "gui/maintenance/password_form.h"
#include "gui/maintenance/setup_form.h"
#include "gui/maintenance/utilities_form.h"
#include "gui/nettools/netman_form.h"
#include "gui/nettools/termmode_form.h"
#include "gui/records/archive_form.h"
#include "gui/records/dbutil_form.h"
#include "gui/records/readers_form.h"
#include "gui/records/schedules_form.h"
#include "gui/records/users_form.h"
#include "gui/shell/comm_form.h"
#include "gui/shell/screen_registry.h"
#include "gui/shell/side_menu.h"
#include "gui/transfer/updown_form.h"

namespace zep::gui {

void register_screens(screen_registry& registry) {
    registry.add(QStringLiteral("usersform"), [](screen_context& c) { return new users_form(c); });
    registry.add(QStringLiteral("readersform"),
                 [](screen_context& c) { return new readers_form(c); });
    registry.add(QStringLiteral("schedulesform"),
                 [](screen_context& c) { return new schedules_form(c); });
    registry.add(QStringLiteral("archive"), [](screen_context& c) { return new archive_form(c); });
    registry.add(QStringLiteral("dbutil"), [](screen_context& c) { return new dbutil_form(c); });
    registry.add(QStringLiteral("commform"), [](screen_context& c) { return new comm_form(c); });
    registry.add(QStringLiteral("password"),
                 [](screen_context& c) { return new password_form(c); });
    registry.add(QStringLiteral("utilities"),
                 [](screen_context& c) { return new utilities_form(c); });
    registry.add(QStringLiteral("updown"), [](screen_context& c) { return new updown_form(c); });
    registry.add(QStringLiteral("netman"), [](screen_context& c) { return new netman_form(c); });
    registry.add(QStringLiteral("termmode"),
                 [](screen_context& c) { return new termmode_form(c); });
    registry.add(QStringLiteral("setup"), [](screen_context& c) { return new setup_form(c); });
    registry.add(QStringLiteral("barsetup"),
                 [](screen_context& c) { return new barsetup_form(c); });
    registry.add(QStringLiteral("autorun"), [](screen_context& c) { return new autorun_form(c); });
}

QString screen_caption(const QString& name) {
    for (const auto& entries : {command_menu_entries(), database_menu_entries()}) {
        for (const side_menu_entry& entry : entries) {
            if (name == QLatin1String(entry.screen)) {
                return QString::fromLatin1(entry.caption)
                    .replace(QLatin1Char('\n'), QLatin1Char(' '));
            }
        }
    }
    if (name == QLatin1String("password")) return QStringLiteral("Password");
    if (name == QLatin1String("override")) return QStringLiteral("Override Active Readers");
    return name;
}

QWidget* make_placeholder_screen(const QString& name, QWidget* parent) {
    auto* screen = new QWidget(parent);
    screen->setObjectName(name);
    auto* layout = new QVBoxLayout(screen);
    auto* title = new QLabel(screen_caption(name), screen);
    title->setObjectName(QStringLiteral("placeholder_caption"));
    QFont font = title->font();
    font.setPointSizeF(font.pointSizeF() * 1.5);
    font.setBold(true);
    title->setFont(font);
    auto* note = new QLabel(QStringLiteral("This screen is not part of this build yet."), screen);
    note->setObjectName(QStringLiteral("placeholder_note"));
    layout->addStretch();
    layout->addWidget(title, 0, Qt::AlignHCenter);
    layout->addWidget(note, 0, Qt::AlignHCenter);
    layout->addStretch();
    return screen;
}

}  // namespace zep::gui
