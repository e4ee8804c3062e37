#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "core/link/frame.h"
#include "gui/shell/comm_edits.h"
#include "tests/gui/gui_test_support.h"

namespace zep::test {
namespace {

class comm_form_test : public ::testing::Test {
  protected:
    running_program program;
    QWidget* form = program.window->show_screen("commform");

    template <typename T>
    T* find(const char* name) {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void type(const char* box, const QString& text) {
        QLineEdit* edit = find<QLineEdit>(box);
        edit->selectAll();
        if (text.isEmpty()) {
            QTest::keyClick(edit, Qt::Key_Backspace);
        } else {
            QTest::keyClicks(edit, text);
        }
    }
    const QString& comm_string() { return program.state().settings.settings; }
};

TEST_F(comm_form_test, shows_the_first_start_defaults) {
    EXPECT_TRUE(find<QAbstractButton>("mode_serial")->isChecked());
    EXPECT_TRUE(find<QAbstractButton>("protocol_no")->isChecked());
    EXPECT_TRUE(find<QAbstractButton>("port_1")->isChecked());
    EXPECT_TRUE(find<QAbstractButton>("baud_9600")->isChecked());
    EXPECT_EQ(find<QLineEdit>("protocol_address")->text(), QStringLiteral("0"));
    EXPECT_EQ(find<QLineEdit>("tcp_port")->text(), QStringLiteral("4001"));
    EXPECT_EQ(find<QLineEdit>("device_3")->text(), QStringLiteral("/dev/ttyS2"));
}

TEST_F(comm_form_test, choices_write_their_position_and_the_speed_waits_for_a_restart) {
    find<QAbstractButton>("port_4")->click();
    find<QAbstractButton>("baud_19200")->click();
    EXPECT_EQ(comm_string(), QStringLiteral("2242000"));
    find<QAbstractButton>("baud_9600")->click();
    EXPECT_EQ(comm_string(), QStringLiteral("2241000"));
    EXPECT_EQ(program.state().comm.port, 4);

    find<QAbstractButton>("baud_19200")->click();
    EXPECT_EQ(program.state().comm.baud(), 9600);  // in use until the next start

    find<QAbstractButton>("mode_tcp")->click();
    find<QAbstractButton>("protocol_yes")->click();
    EXPECT_EQ(comm_string(), QStringLiteral("1142000"));
    EXPECT_TRUE(program.state().comm.tcp());
    EXPECT_TRUE(program.state().comm.protocol_on());
    find<QAbstractButton>("protocol_no")->click();
    find<QAbstractButton>("mode_serial")->click();
    EXPECT_EQ(comm_string(), QStringLiteral("2242000"));
    EXPECT_FALSE(program.state().comm.protocol_on());
}

TEST_F(comm_form_test, address_is_written_as_three_digits_and_empty_changes_nothing) {
    type("protocol_address", "5");
    EXPECT_EQ(comm_string(), QStringLiteral("2211005"));
    EXPECT_EQ(program.state().comm.protocol_address, 5);
    const auto frame = link::frame_command("ID", true, program.state().comm.protocol_address);
    ASSERT_TRUE(frame);
    EXPECT_EQ(static_cast<unsigned char>(frame->at(0)), 133);

    type("protocol_address", "");
    EXPECT_EQ(comm_string(), QStringLiteral("2211005"));
    EXPECT_EQ(program.state().comm.protocol_address, 5);

    type("protocol_address", "127");
    EXPECT_EQ(comm_string(), QStringLiteral("2211127"));
    EXPECT_TRUE(find<QLabel>("address_notice")->text().isEmpty());
}

TEST_F(comm_form_test, address_above_127_is_refused_with_a_message) {
    type("protocol_address", "12");
    type("protocol_address", "");
    QTest::keyClicks(find<QLineEdit>("protocol_address"), "200");
    // "2" and "20" are taken, "200" is refused and the box keeps "20".
    EXPECT_EQ(comm_string(), QStringLiteral("2211020"));
    EXPECT_EQ(program.state().comm.protocol_address, 20);
    EXPECT_EQ(find<QLineEdit>("protocol_address")->text(), QStringLiteral("20"));
    EXPECT_EQ(find<QLabel>("address_notice")->text(),
              QString::fromLatin1(gui::address_refused_text));

    type("protocol_address", "7");
    EXPECT_TRUE(find<QLabel>("address_notice")->text().isEmpty());
    EXPECT_EQ(comm_string(), QStringLiteral("2211007"));
}

TEST_F(comm_form_test, number_boxes_take_digits_only_and_edits_reach_memory) {
    type("tcp_port", "40a0x1");
    EXPECT_EQ(find<QLineEdit>("tcp_port")->text(), QStringLiteral("4001"));
    EXPECT_EQ(program.state().settings.remoteportaddress, QStringLiteral("4001"));
    type("protocol_address", "-3b");
    EXPECT_EQ(find<QLineEdit>("protocol_address")->text(), QStringLiteral("3"));
    EXPECT_EQ(comm_string(), QStringLiteral("2211003"));

    type("ip_address", "127.0.0.2");
    EXPECT_EQ(program.state().settings.ipaddress, QStringLiteral("127.0.0.2"));
    type("device_5", "/dev/pts/9");
    EXPECT_EQ(program.state().settings.comdevice[4], QStringLiteral("/dev/pts/9"));
}

TEST(comm_edits, a_short_string_is_padded_before_a_choice_is_written) {
    QString text = QStringLiteral("1");
    link::comm_settings comm = link::decode_comm_settings(text);
    gui::apply_comm_choice(text, comm, gui::comm_choice::port, 3);
    EXPECT_EQ(text, QStringLiteral("103"));
    EXPECT_EQ(comm.port, 3);
    EXPECT_EQ(gui::apply_address_edit(text, comm, QStringLiteral("128")),
              gui::address_edit::refused);
}

}  // namespace
}  // namespace zep::test
