#include "gui/shell/info_texts.h"

namespace zep::gui {

namespace {

struct help_entry {
    const char* caption;
    const char* text;
};

constexpr help_entry help_entries[] = {
    {"Communications",
     "Sets how the program reaches a single reader, or several protocol readers on one line: "
     "TCP/IP or a serial port (Com1 to Com5, each mapped to a device), protocol mode and "
     "address, speed, and the reader's IP address and TCP port. A new speed is used from the "
     "next start."},
    {"Terminal Mode",
     "Talks to the reader on the single-reader link directly: what you type is sent, what the "
     "reader sends is shown."},
    {"Network Manager",
     "Polls the line for readers that answer, tests one reader, switches protocol mode and "
     "gives readers new addresses."},
    {"Upload/Download Text Files",
     "Moves access lists, schedules and transaction logs between text files and the single "
     "reader of the Communications screen."},
    {"KO/ZEP Setup",
     "Sends the reader mode, record length, relay and LED times and the logging options, and "
     "resets a reader."},
    {"Utilities",
     "Identifies a reader, shows its memory use, reads and sets its clock, and adds or deletes "
     "single IDs."},
    {"Autorun",
     "Services every active reader in one pass: log upload, access list and schedule download "
     "and clock update, each step switched on separately."},
    {"Bar/Mag/Prox Setup",
     "Sends the bar code, magnetic stripe and proximity card settings to a reader."},
    {"Schedules", "Edits the weekly time schedules 1 to 99."},
    {"Readers",
     "Registers readers 0 to 126: name, location, whether it is active, and how it is reached."},
    {"Users",
     "Adds, changes and deletes card holders and assigns them readers and schedules. An ID may "
     "have up to 18 printable characters. Import reads card holders from a CSV file (shown "
     "before anything is written); Export writes them to one."},
    {"Log Archive",
     "Lists the transactions taken from the readers, a page at a time, sorted on the column "
     "whose header was clicked, narrowed by date, reader, a piece of name or ID and outcome. "
     "The Activity tab charts granted and refused swipes of the rows shown. The rows shown "
     "can be exported as CSV; the fixed-layout export and deleting are on the Database "
     "Utilities screen."},
    {"Database Utilities",
     "Exports the log of a date range and the employee list, deletes the log of a date "
     "range (after saying how many records will go), and adds a series of card IDs."},
    {"Override Active Readers",
     "Chooses, for the next operations only, which readers count as active."},
    {"Password",
     "Changes the password the program asks for when it starts. Leave the new password empty "
     "to start without one."},
};

}  // namespace

QString help_text() {
    QString html = QStringLiteral(
        "<h2>zep</h2><p>Choose Commands or Database in the menu bar; "
        "the side menu then opens each screen.</p>");
    for (const help_entry& entry : help_entries) {
        html += QStringLiteral("<h3>%1</h3><p>%2</p>")
                    .arg(QString::fromLatin1(entry.caption), QString::fromLatin1(entry.text));
    }
    return html;
}

QString about_text(const QString& database_path, const QString& data_folder,
                   const QString& engine) {
    return QStringLiteral(
               "<h2>zep %1</h2>"
               "<p>Manages KO and ZEP door-access card readers over serial lines and "
               "TCP/IP.</p>"
               "<p><b>Database:</b> %2<br><b>Data folder:</b> %3</p>"
               "<p>Running on Qt %4 and %5.</p>"
               "<p>zep is free software under the GNU General Public License, version 3 or "
               "later; it comes with no warranty.</p>")
        .arg(QStringLiteral(ZEP_VERSION), database_path.toHtmlEscaped(),
             data_folder.toHtmlEscaped(), QString::fromLatin1(qVersion()),
             engine.isEmpty() ? QStringLiteral("an unknown database engine")
                              : engine.toHtmlEscaped());
}

QString beta_text() {
    return QStringLiteral(
               "<h2>Beta Version Information</h2>"
               "<p>This is a beta version of zep %1. Screens that are not yet part of this build "
               "are shown with their name only.</p>"
               "<p>The login password is written as soon as it is changed; the other settings "
               "this window changed are written when it closes. Keep a copy of the database "
               "file before trying a new version.</p>")
        .arg(QStringLiteral(ZEP_VERSION));
}

}  // namespace zep::gui
