// Readers-table rows as endpoints, the override selection, the walk's early ends and the
// login password change.
#include <gtest/gtest.h>

#include "core/autorun/override_selection.h"
#include "core/data/login_password.h"
#include "core/data/readers_table.h"
#include "core/link/reader_link.h"
#include "core/maintenance/login_password_change.h"
#include "core/maintenance/utilities_walks.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/rows.h"
#include "tests/support/scripted_operator.h"

namespace zep {
namespace {

const link::com_device_map devices{"/dev/zep-a", "/dev/zep-b", "/dev/zep-c", "/dev/zep-d",
                                   "/dev/zep-e"};

records::reader_endpoint endpoint(const data::reader_row& row) {
    return records::make_reader_endpoint(row, devices);
}

TEST(reader_endpoint, link_protocol_address_and_time_zone_from_the_row) {
    const records::reader_endpoint tcp = endpoint(test::tcp_reader_row(4, 4001));
    EXPECT_TRUE(tcp.tcp() && tcp.link.host == "127.0.0.1" && tcp.link.port_text == "4001");
    EXPECT_EQ(tcp.link.connect_ms, 5000);
    EXPECT_TRUE(endpoint(test::reader_row(4, "T")).tcp());
    EXPECT_EQ(endpoint(test::reader_row(7, "")).reach, records::reader_reach::none);
    EXPECT_EQ(endpoint(test::reader_row(7, "")).number_text, "007");

    const std::tuple<QString, QString, int> serial[] = {
        {"Com2 19200", "/dev/zep-b", 19200},
        {"Com5 9600", "/dev/zep-e", 9600},
        {"Com1 4800", "/dev/zep-a", 19200},
        {"Com9 9600", "", 9600},  // names no port: the open fails
    };
    qunsetenv("ZEP_COM2");
    for (const auto& [commmode, device, baud] : serial) {
        const records::reader_endpoint r = endpoint(test::reader_row(3, commmode));
        EXPECT_EQ(r.reach, records::reader_reach::serial) << commmode.toStdString();
        EXPECT_EQ(r.link.device, device) << commmode.toStdString();
        EXPECT_EQ(r.link.baud, baud) << commmode.toStdString();
    }

    data::reader_row r = test::reader_row(12, "Com1 9600", 0);
    for (const auto& [text, ok] : std::vector<std::pair<QString, bool>>{
             {"0", true}, {"126", true}, {"127", false}, {"", false}, {"x", false}}) {
        r.address422 = text;
        EXPECT_EQ(endpoint(r).address_ok, ok) << text.toStdString();
    }
    EXPECT_TRUE(endpoint(test::reader_row(12, "Com1 9600")).address_ok);  // plain needs none
    for (const auto& [text, hours] :
         std::vector<std::pair<QString, int>>{{"-2", -2}, {"+1", 1}, {"", 0}, {"x", 0}}) {
        r.timezone = text;
        EXPECT_EQ(endpoint(r).timezone_hours, hours) << text.toStdString();
    }
}

// Readers 0..9 on TCP, 2 and 9 active; reader 7 is at Gate B.
std::vector<data::reader_row> ten_readers() {
    std::vector<data::reader_row> rows;
    for (int k = 0; k < 10; ++k) {
        data::reader_row r = test::reader_row(k, "T");
        r.active = k == 2 || k == 9 ? "Y" : "";
        r.location = k == 7 ? "Gate B" : "Yard";
        rows.push_back(r);
    }
    return rows;
}

TEST(override_selection, the_active_marks_decide_until_the_screen_is_opened) {
    autorun::override_selection selection;
    std::vector<data::reader_row> rows = ten_readers();
    EXPECT_TRUE(selection.pending());
    rows[4].active = "Y";
    EXPECT_EQ(selection.targets(rows), records::target_flags().set(2).set(4).set(9));

    const autorun::override_boxes boxes = selection.loadup(rows);
    EXPECT_FALSE(selection.pending());
    EXPECT_EQ(boxes[7].caption, "007 Gate B");
    EXPECT_EQ(boxes[126].caption, "126 ");  // past the end of the table: unchecked
    EXPECT_FALSE(boxes[126].checked);
    EXPECT_TRUE(boxes[4].checked);

    // From now on the selection alone decides, whatever the table says.
    rows[4].active = "";
    rows[5].active = "Y";
    selection.set(9, false);
    selection.set(6, true);
    EXPECT_EQ(selection.targets(rows), records::target_flags().set(2).set(4).set(6));
    EXPECT_TRUE(selection.loadup(rows)[6].checked);
    selection.clear_all();
    EXPECT_TRUE(selection.targets(rows).none());
}

TEST(override_selection, screen_refused_while_the_table_is_empty) {
    test::temp_database temp;
    data::readers_table readers(temp.db());
    EXPECT_EQ(autorun::override_screen_refusal(readers).error(),
              "There are no readers in the system");
    ASSERT_TRUE(readers.insert(test::reader_row(0, "T")));
    EXPECT_TRUE(autorun::override_screen_refusal(readers));
}

TEST(active_reader_walk, ends_before_anything_is_sent) {
    const std::vector<data::reader_row> rows = ten_readers();
    const maintenance::walk_inputs none{rows, {}, devices};
    const maintenance::walk_inputs some{rows, records::active_marks(rows), devices};
    link::reader_link link;
    test::scripted_operator person;
    person.text_answers = {QString(), std::nullopt, QString::fromUtf8("\u20ac1")};

    EXPECT_EQ(maintenance::doall_addhocadd(link, none, person).end,
              records::walk_end::no_active_readers);
    EXPECT_TRUE(person.prompts.isEmpty());  // nobody to reach: not even asked
    EXPECT_EQ(maintenance::doall_addhocadd(link, some, person).end, records::walk_end::no_input);
    EXPECT_EQ(maintenance::doall_adhocdelete(link, some, person).end, records::walk_end::no_input);
    EXPECT_EQ(maintenance::doall_addhocadd(link, some, person).end,
              records::walk_end::input_refused);
    EXPECT_EQ(maintenance::doall_adhocdelete(link, some, person, QString("1\r2")).end,
              records::walk_end::input_refused);

    EXPECT_EQ(person.messages, QStringList({"There are no active readers",
                                            "The ID may hold only printable 8-bit characters",
                                            "The ID may hold only printable 8-bit characters"}));
    const QString prompt =
        "|Enter Employee ID\r\rnote..if you enter an id larger than the reader\rsetting - you "
        "will get an error 'no response from reader'";
    EXPECT_EQ(person.prompts, QStringList({"Ad Hoc Employee ID ADD  (schedule 0)" + prompt,
                                           "Ad Hoc Employee ID DELETE" + prompt,
                                           "Ad Hoc Employee ID ADD  (schedule 0)" + prompt}));
    EXPECT_TRUE(person.status_lines.isEmpty());
}

using maintenance::login_change;

TEST(login_password_change, the_current_entry_must_match_blank_edges_are_refused_empty_asks) {
    struct row {
        const char* current;
        const char* next;
        login_change result;
        const char* message;
    };
    const row rows[] = {
        {"", "", login_change::unchanged, nullptr},  // none stored, none given
        {"", " Door7", login_change::refused, "The password may not begin or end with a blank"},
        {"", "Door7 ", login_change::refused, "The password may not begin or end with a blank"},
        {"  ", "Door7", login_change::changed, nullptr},  // blanks around the entry are dropped
        {"door7", "x", login_change::mismatch, "Password does not match"},
        {" Door7 ", "Gate9", login_change::changed, nullptr},
    };
    QString loginpass;
    for (const row& r : rows) {
        test::scripted_operator person;
        EXPECT_EQ(maintenance::change_login_password(loginpass, r.current, r.next, person),
                  r.result)
            << r.current << "|" << r.next;
        EXPECT_EQ(person.messages, r.message ? QStringList{r.message} : QStringList());
    }
    EXPECT_TRUE(data::is_login_hash(loginpass));
    EXPECT_TRUE(data::login_password_matches(loginpass, "Gate9"));

    // An empty new password removes it, only after a Yes.
    test::scripted_operator person;
    person.confirm_answers = {false, true};
    EXPECT_EQ(maintenance::change_login_password(loginpass, "Gate9", "", person),
              login_change::unchanged);
    EXPECT_FALSE(loginpass.isEmpty());
    EXPECT_EQ(maintenance::change_login_password(loginpass, "Gate9", "", person),
              login_change::changed);
    EXPECT_TRUE(loginpass.isEmpty());
    EXPECT_EQ(person.questions, QStringList(2,
                                            "Remove the login password? The program will no "
                                            "longer ask for one at start-up."));
}

}  // namespace
}  // namespace zep
