// Readers-table rows as endpoints, the override selection and the walk's early ends.
#include <gtest/gtest.h>

#include "core/autorun/override_selection.h"
#include "core/data/readers_table.h"
#include "core/link/reader_link.h"
#include "core/maintenance/utilities.h"
#include "core/maintenance/utilities_walks.h"
#include "core/records/active_reader_walk.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/scripted_operator.h"

namespace zep {
namespace {

data::reader_row row(int number, const QString& commmode, const QString& active = "Y") {
    data::reader_row r;
    r.readernum = static_cast<qint16>(number);
    r.commmode = commmode;
    r.active = active;
    return r;
}

const link::com_device_map devices{"/dev/zep-a", "/dev/zep-b", "/dev/zep-c", "/dev/zep-d",
                                   "/dev/zep-e"};

TEST(reader_endpoint, link_chosen_from_the_row) {
    data::reader_row tcp = row(4, "tcp/ip");
    tcp.ipaddress = "127.0.0.1";
    tcp.Port = "4001";
    const records::reader_endpoint long_form = records::make_reader_endpoint(tcp, devices);
    EXPECT_TRUE(long_form.tcp());
    EXPECT_EQ(long_form.link.host, "127.0.0.1");
    EXPECT_EQ(long_form.link.port_text, "4001");
    EXPECT_EQ(long_form.link.connect_ms, link::reader_link::reader_connect_ms);
    EXPECT_TRUE(records::make_reader_endpoint(row(4, "T"), devices).tcp());

    const records::reader_endpoint com2 =
        records::make_reader_endpoint(row(3, "Com2 19200"), devices);
    EXPECT_EQ(com2.reach, records::reader_reach::serial);
    if (qEnvironmentVariableIsEmpty("ZEP_COM2")) {
        EXPECT_EQ(com2.link.device, "/dev/zep-b");
    }
    EXPECT_EQ(com2.link.baud, 19200);
    EXPECT_EQ(records::make_reader_endpoint(row(3, "Com5 9600"), devices).link.baud, 9600);
    EXPECT_EQ(records::make_reader_endpoint(row(3, "Com1 4800"), devices).link.baud, 19200);
    EXPECT_TRUE(records::make_reader_endpoint(row(3, "Com9 9600"), devices).link.device.isEmpty());
    EXPECT_EQ(records::make_reader_endpoint(row(3, ""), devices).reach,
              records::reader_reach::none);
    EXPECT_EQ(records::make_reader_endpoint(row(7, ""), devices).number_text, "007");
}

TEST(reader_endpoint, protocol_address_and_time_zone) {
    data::reader_row r = row(12, "Com1 9600");
    r.protocol = "Y";
    for (const auto& [text, ok] : std::vector<std::pair<QString, bool>>{
             {"0", true}, {"126", true}, {"127", false}, {"", false}, {"x", false}}) {
        r.address422 = text;
        EXPECT_EQ(records::make_reader_endpoint(r, devices).address_ok, ok) << text.toStdString();
    }
    r.address422 = "5";
    EXPECT_EQ(records::make_reader_endpoint(r, devices).link.address, 5);
    // Plain readers need no address at all.
    r.protocol = "N";
    r.address422 = "";
    EXPECT_TRUE(records::make_reader_endpoint(r, devices).address_ok);
    EXPECT_FALSE(records::make_reader_endpoint(r, devices).protocol());

    for (const auto& [text, hours] :
         std::vector<std::pair<QString, int>>{{"-2", -2}, {"3", 3}, {"+1", 1}, {"", 0}}) {
        r.timezone = text;
        EXPECT_EQ(records::make_reader_endpoint(r, devices).timezone_hours, hours)
            << text.toStdString();
    }
}

std::vector<data::reader_row> table_with_active(std::initializer_list<int> active) {
    std::vector<data::reader_row> rows;
    for (int k = 0; k < records::reader_slots; ++k) {
        data::reader_row r = row(k, "T", "");
        r.location = k == 7 ? "Gate B" : QString("Door %1").arg(k);
        rows.push_back(r);
    }
    for (int k : active) rows[static_cast<std::size_t>(k)].active = "Y";
    return rows;
}

TEST(override_selection, never_opened_follows_the_active_marks) {
    autorun::override_selection selection;
    std::vector<data::reader_row> rows = table_with_active({2, 9});
    EXPECT_TRUE(selection.pending());
    EXPECT_EQ(selection.targets(rows), records::active_marks(rows));
    rows[40].active = "Y";
    EXPECT_TRUE(selection.targets(rows).test(40));
    EXPECT_EQ(selection.targets(rows).count(), 3u);
}

TEST(override_selection, opened_once_the_selection_alone_decides) {
    autorun::override_selection selection;
    std::vector<data::reader_row> rows = table_with_active({2, 9});
    const autorun::override_boxes first = selection.loadup(rows);
    EXPECT_FALSE(selection.pending());
    EXPECT_EQ(first[7].caption, "007 Gate B");
    EXPECT_TRUE(first[2].checked);
    EXPECT_TRUE(first[9].checked);
    EXPECT_FALSE(first[3].checked);

    // Later changes to the table are not seen, by the walk nor by the next opening.
    rows[40].active = "Y";
    rows[2].active = "";
    EXPECT_EQ(selection.targets(rows).count(), 2u);
    EXPECT_TRUE(selection.targets(rows).test(2));
    selection.set(5, true);
    selection.set(9, false);
    const autorun::override_boxes second = selection.loadup(rows);
    EXPECT_TRUE(second[5].checked);
    EXPECT_FALSE(second[9].checked);
    EXPECT_FALSE(second[40].checked);
    EXPECT_EQ(selection.targets(rows), records::target_flags().set(2).set(5));
}

TEST(override_selection, clear_all_leaves_no_reader_and_short_tables_stay_unchecked) {
    autorun::override_selection selection;
    std::vector<data::reader_row> rows = table_with_active({1, 2});
    rows.resize(3);
    const autorun::override_boxes boxes = selection.loadup(rows);
    EXPECT_TRUE(boxes[1].checked);
    EXPECT_FALSE(boxes[3].checked);
    EXPECT_EQ(boxes[126].caption, "126 ");
    selection.clear_all();
    EXPECT_TRUE(selection.targets(rows).none());
    for (const autorun::override_box& box : selection.loadup(rows)) EXPECT_FALSE(box.checked);

    // A cleared selection ends an apply-to-all action before anything is asked.
    link::reader_link link;
    test::scripted_operator person;
    maintenance::walk_inputs inputs{rows, selection.targets(rows), devices};
    const records::walk_result result = maintenance::doall_addhocadd(link, inputs, person);
    EXPECT_EQ(result.end, records::walk_end::no_active_readers);
    EXPECT_EQ(person.messages, QStringList{"There are no active readers"});
    EXPECT_TRUE(person.prompts.isEmpty());
    EXPECT_TRUE(person.status_lines.isEmpty());
}

TEST(active_reader_walk, empty_or_cancelled_id_sends_nothing) {
    const std::vector<data::reader_row> rows = table_with_active({0});
    maintenance::walk_inputs inputs{rows, records::active_marks(rows), devices};
    link::reader_link link;
    test::scripted_operator person;
    person.text_answers = {QString(), std::nullopt};
    EXPECT_EQ(maintenance::doall_addhocadd(link, inputs, person).end, records::walk_end::no_input);
    EXPECT_EQ(maintenance::doall_adhocdelete(link, inputs, person).end,
              records::walk_end::no_input);
    EXPECT_EQ(
        person.prompts,
        QStringList({QString(maintenance::empid_add_title) + "|" + maintenance::empid_prompt,
                     QString(maintenance::empid_delete_title) + "|" + maintenance::empid_prompt}));
    EXPECT_TRUE(person.status_lines.isEmpty());
    EXPECT_TRUE(person.messages.isEmpty());
}

TEST(override_selection, screen_refused_while_the_table_is_empty) {
    test::temp_database temp;
    data::readers_table readers(temp.db());
    EXPECT_EQ(autorun::override_screen_refusal(readers).error(),
              "There are no readers in the system");
    ASSERT_TRUE(readers.insert(row(0, "T")));
    EXPECT_TRUE(autorun::override_screen_refusal(readers));
}

}  // namespace
}  // namespace zep
