#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "core/data/login_password.h"
#include "core/program/login.h"
#include "gui/shell/desktop_program.h"
#include "tests/gui/gui_test_support.h"

namespace zep::test {
namespace {

TEST(login_prompt, wrong_or_case_different_answers_end_with_nothing_written) {
    program_folder folder;
    folder.save([](program::session& state) {
        state.settings.loginpass = QStringLiteral("Secret");
        state.settings.ipaddress = QStringLiteral("127.0.0.5");
    });
    for (const QString& answer : {QStringLiteral("secret"), QString(), QStringLiteral("Secret ")}) {
        std::unique_ptr<program::session> state = folder.start();
        ASSERT_TRUE(state);
        const data::settings_record before = state->settings;
        state->settings.ipaddress = QStringLiteral("127.0.0.9");
        state->settings.settings = QStringLiteral("1111001");

        scripted_operator login;
        login.text_answers = {answer};
        EXPECT_EQ(gui::open_main_window(std::move(state), login), nullptr);
        EXPECT_EQ(login.prompts, QStringList{"Password|Enter Password"});
        EXPECT_EQ(login.messages, QStringList{"Invalid Password"});

        std::unique_ptr<program::session> again = folder.start();
        EXPECT_EQ(again->settings, before) << answer.toStdString();
    }

    scripted_operator login;
    login.text_answers = {QStringLiteral("Secret")};
    std::unique_ptr<gui::main_window> window = gui::open_main_window(folder.start(), login);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(login.messages.isEmpty());
}

TEST(login_prompt, is_not_shown_without_a_login_password) {
    program_folder folder;
    scripted_operator login;
    EXPECT_NE(gui::open_main_window(folder.start(), login), nullptr);
    EXPECT_TRUE(login.prompts.isEmpty());
}

class password_screen : public ::testing::Test {
  protected:
    running_program program;
    QWidget* form = nullptr;

    void SetUp() override {
        program.window->show_password();
        form = current_screen(*program.window);
        ASSERT_EQ(form->objectName(), QStringLiteral("password"));
    }
    QLineEdit* box(const char* name) {
        return form->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    void set_login(const QString& current, const QString& next) {
        box("login_current")->setText(current);
        box("login_new")->setText(next);
        form->findChild<QAbstractButton*>("login_set_password")->click();
    }
    QString result() { return form->findChild<QLabel*>("login_result")->text(); }
};

TEST_F(password_screen, shows_the_reader_section_with_its_notice) {
    auto* notice = form->findChild<QLabel*>("not_functional_notice");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), QStringLiteral("This screen  is not functional at this time"));
    EXPECT_TRUE(form->findChild<QWidget*>("reader_section")->isAncestorOf(notice));
    auto* apply_all = form->findChild<QCheckBox*>("applyallpass");
    EXPECT_EQ(apply_all->text(), QStringLiteral("Apply to all active readers"));
    apply_all->click();
    EXPECT_EQ(program.state().settings.applyallpass, QStringLiteral("Y"));

    const data::settings_record before = program.state().settings;
    box("reader_current")->setText("a");
    box("reader_new")->setText("b");
    form->findChild<QAbstractButton*>("reader_set_password")->click();
    EXPECT_EQ(program.state().settings, before);
    EXPECT_TRUE(program.answers.messages.isEmpty());
}

TEST_F(password_screen, mismatch_is_told_and_a_match_sets_the_new_password) {
    // No password stored: an empty entry matches, and an empty new one changes nothing.
    set_login(QString(), QString());
    EXPECT_TRUE(program.answers.messages.isEmpty());
    EXPECT_TRUE(result().isEmpty());

    // Start-up compares exactly, so blanks at either end of a new password are refused.
    set_login(QString(), QStringLiteral(" Door7"));
    set_login(QString(), QStringLiteral("Door7 "));
    EXPECT_EQ(program.answers.messages,
              QStringList(2, "The password may not begin or end with a blank"));
    EXPECT_TRUE(program.state().settings.loginpass.isEmpty());
    program.answers.messages.clear();

    set_login(QStringLiteral("  "), QStringLiteral("Door7"));
    EXPECT_EQ(result(), QStringLiteral("Login password changed"));
    EXPECT_TRUE(data::is_login_hash(program.state().settings.loginpass));
    EXPECT_TRUE(data::login_password_matches(program.state().settings.loginpass, "Door7"));

    set_login(QStringLiteral("door7"), QStringLiteral("x"));
    EXPECT_EQ(program.answers.messages, QStringList{"Password does not match"});
    EXPECT_TRUE(data::login_password_matches(program.state().settings.loginpass, "Door7"));

    // Written at closing: the next start asks for it.
    set_login(QStringLiteral(" Door7 "), QStringLiteral("Gate9"));
    program.window->close();
    std::unique_ptr<program::session> again = program.folder.start();
    EXPECT_TRUE(program::login_required(*again));
    EXPECT_TRUE(program::check_login(*again, QStringLiteral("Gate9")));
    EXPECT_FALSE(program::check_login(*again, QStringLiteral("Door7")));

    // An empty new password removes the prompt, once the operator says Yes.
    gui::main_window reopened(std::move(again), &program.answers);
    reopened.show_password();
    form = current_screen(reopened);
    program.answers.confirm_answers = {false};
    set_login(QStringLiteral("Gate9"), QString());
    EXPECT_TRUE(program::check_login(reopened.state(), QStringLiteral("Gate9")));
    program.answers.confirm_answers = {true};
    set_login(QStringLiteral("Gate9"), QString());
    EXPECT_EQ(program.answers.questions,
              QStringList(2,
                          "Remove the login password? The program will no longer ask for one "
                          "at start-up."));
    EXPECT_EQ(result(), QStringLiteral("Login password changed"));
    reopened.close();
    EXPECT_FALSE(program::login_required(*program.folder.start()));
}

}  // namespace
}  // namespace zep::test
