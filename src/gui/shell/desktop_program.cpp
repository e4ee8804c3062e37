#include "desktop_program.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>

#include "data/startup.h"

namespace zep::gui {

namespace {

// The main window of this build: it shows which database is open and writes the
// settings back when it closes.
class main_window final : public QMainWindow {
public:
    explicit main_window(session& state) : state_(state) {
        setObjectName(QStringLiteral("zepmain"));
        setWindowTitle(QStringLiteral("zep - %1").arg(state.db->path()));
        auto* label = new QLabel(
            QStringLiteral("zep %1\n\nDatabase: %2\n\nThe reader and database screens are "
                           "not part of this build yet.")
                .arg(QStringLiteral(ZEP_VERSION), state.db->path()),
            this);
        label->setAlignment(Qt::AlignCenter);
        label->setMargin(24);
        setCentralWidget(label);
        resize(720, 480);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        QString error;
        if (!close_down(state_, &error)) {
            QMessageBox::warning(this, QStringLiteral("zep"), error);
        }
        QMainWindow::closeEvent(event);
    }

private:
    session& state_;
};

}  // namespace

int run_desktop_program(int argc, char** argv, const QStringList& args) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("zep"));
    startup_options options = parse_startup_arguments(args);
    startup_result started = start_up(options);
    if (!started.state) {
        QMessageBox::critical(nullptr, QStringLiteral("zep"), started.error);
        return 1;
    }
    session& state = *started.state;
    if (login_required(state)) {
        bool ok = false;
        const QString answer = QInputDialog::getText(
            nullptr, QString::fromLatin1(login_title_text), QString::fromLatin1(login_prompt_text),
            QLineEdit::Password, QString(), &ok);
        if (!ok || !check_login(state, answer)) {
            QMessageBox::information(nullptr, QStringLiteral("zep"),
                                     QString::fromLatin1(invalid_password_text));
            return 1;
        }
    }
    main_window window(state);
    window.show();
    return app.exec();
}

}  // namespace zep::gui
