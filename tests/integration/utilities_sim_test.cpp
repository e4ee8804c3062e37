// The utilities' single-reader actions against simulated readers, in every form.
#include <gtest/gtest.h>

#include <QTcpServer>

#include "core/link/reader_link.h"
#include "core/maintenance/utilities.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::sim_fixture;

enum class form { tcp_plain, tcp_protocol, serial_plain, serial_protocol };

std::string form_name(const testing::TestParamInfo<form>& info) {
    static const char* const names[] = {"tcp_plain", "tcp_protocol", "serial_plain",
                                        "serial_protocol"};
    return names[static_cast<int>(info.param)];
}

// Sunday 3 March 2019.
const QDateTime sunday(QDate(2019, 3, 3), QTime(10, 20, 30));

class utilities_form : public testing::TestWithParam<form> {
  protected:
    sim_fixture sim;
    link::reader_link link;
    test::scripted_operator person;
    maintenance::utility_target target;
    int reader_index = 0;

    bool tcp() const { return GetParam() == form::tcp_plain || GetParam() == form::tcp_protocol; }
    bool protocol() const {
        return GetParam() == form::tcp_protocol || GetParam() == form::serial_protocol;
    }

    // One line with the reader under test; protocol lines also carry a neighbour at
    // address 0 that must stay untouched.
    void start(sim::reader_config r) {
        r.protocol = protocol();
        r.address = protocol() ? 5 : 0;
        std::vector<sim::reader_config> line{r};
        if (protocol()) line.insert(line.begin(), sim_fixture::zep_reader(0, true));
        reader_index = protocol() ? 1 : 0;
        link::link_endpoint& e = target.endpoint;
        e.protocol = protocol();
        e.address = r.address;
        if (tcp()) {
            e.link = link::link_endpoint::kind::tcp;
            e.host = "127.0.0.1";
            e.port_text = QString::number(sim.start_tcp(line));
        } else {
            e.link = link::link_endpoint::kind::serial;
            e.device = sim.start_pty(line);
        }
    }

    std::vector<QByteArray> history() { return sim.history(0, reader_index); }
    std::vector<sim::access_entry> ids() { return sim.access_list(0, reader_index); }

    QString deleted_text() const { return tcp() ? "ID deleted" : "ID Deleted"; }
    QString not_deleted_text() const {
        return GetParam() == form::serial_protocol ? "ID was not deleted"
                                                   : "ID was not deleted, or not found";
    }
};

TEST_P(utilities_form, identify_memory_and_clock) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.ident = "ZEP UTIL 2.1";
    r.ids = {{"111", 0}, {"222", 0}};
    start(r);

    const maintenance::utility_outcome ident = maintenance::identify_reader(link, target, person);
    EXPECT_TRUE(ident.ok());
    EXPECT_EQ(ident.text, "ZEP UTIL 2.1");

    const maintenance::memory_outcome memory = maintenance::read_memory_usage(
        link, target, commands::memory_layout::available_first, person);
    ASSERT_TRUE(memory.ok()) << memory.text.toStdString();
    EXPECT_EQ(memory.usage.download_used.text, "00002");
    EXPECT_EQ(memory.text.size(), 20);

    // Set on a Sunday: the weekday digit is 7; reading back gives the date just set.
    test::fixed_clock clock(sunday);
    const maintenance::utility_outcome set =
        maintenance::set_reader_clock(link, target, clock, person);
    EXPECT_EQ(set.text, "Time set in reader");
    EXPECT_EQ(history().back(), "+1903031020307");
    EXPECT_EQ(sim.with_reader(0, reader_index, [](sim::reader& x) { return x.last_weekday; }), 7);
    const maintenance::clock_outcome read = maintenance::read_reader_clock(link, target, person);
    ASSERT_TRUE(read.ok()) << read.text.toStdString();
    EXPECT_TRUE(read.text.startsWith("03/03/2019  10:2")) << read.text.toStdString();
    EXPECT_EQ(read.clock.year, 2019);

    // Answers go to the screen's boxes; only the clock setting is a message.
    EXPECT_EQ(person.messages, QStringList{"Time set in reader"});
    if (protocol()) {
        EXPECT_TRUE(sim.history(0, 0).empty());
    }
}

TEST_P(utilities_form, add_and_delete_one_id) {
    start(sim_fixture::zep_reader());
    EXPECT_EQ(maintenance::adhoc_add(link, target, "4711", person).text, "ID Added");
    EXPECT_EQ(ids(), (std::vector<sim::access_entry>{{"4711", 0}}));
    EXPECT_EQ(history().back(), "AN0004711");

    const maintenance::utility_outcome gone =
        maintenance::adhoc_delete(link, target, "4711", person);
    EXPECT_TRUE(gone.ok());
    EXPECT_EQ(gone.text, deleted_text());
    EXPECT_TRUE(ids().empty());
    const maintenance::utility_outcome absent =
        maintenance::adhoc_delete(link, target, "4711", person);
    EXPECT_EQ(absent.result, maintenance::utility_outcome::status::refused);
    EXPECT_EQ(absent.text, not_deleted_text());
    EXPECT_EQ(person.messages, QStringList({"ID Added", deleted_text(), not_deleted_text()}));
}

TEST_P(utilities_form, the_screen_asks_for_the_id_first) {
    start(sim_fixture::zep_reader());
    person.text_answers = {QString("900"), QString(), QString("900")};
    EXPECT_TRUE(maintenance::addhocadd(link, target, person).ok());
    EXPECT_FALSE(maintenance::addhoc_delete(link, target, person).ok());  // empty: nothing sent
    EXPECT_EQ(ids().size(), 1u);
    EXPECT_TRUE(maintenance::addhoc_delete(link, target, person).ok());
    ASSERT_EQ(person.prompts.size(), 3);
    EXPECT_TRUE(person.prompts[0].startsWith("Ad Hoc Employee ID ADD  (schedule 0)|"));
    EXPECT_TRUE(person.prompts[1].startsWith("Ad Hoc Employee ID DELETE|"));
}

TEST_P(utilities_form, long_ids_are_lost_or_refused) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.record_length = 6;
    start(r);
    // The reader's buffer overflows and it says nothing; the screen's prompt warns of this.
    EXPECT_EQ(maintenance::adhoc_add(link, target, "1234567890", person).text,
              "No response from reader");
    sim.with_reader(0, reader_index, [](sim::reader& x) { x.faults.refuse_long_ids = true; });
    const maintenance::utility_outcome refused =
        maintenance::adhoc_add(link, target, "1234567890", person);
    EXPECT_EQ(refused.result, maintenance::utility_outcome::status::refused);
    EXPECT_EQ(refused.text, "ID was not added");
    EXPECT_TRUE(ids().empty());
}

TEST_P(utilities_form, silent_reader_is_no_response) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.faults.silent = true;
    start(r);
    const maintenance::utility_outcome ident = maintenance::identify_reader(link, target, person);
    EXPECT_EQ(ident.result, maintenance::utility_outcome::status::failed);
    EXPECT_EQ(person.messages, QStringList{"No response from reader"});
    EXPECT_FALSE(link.serial_open());
    EXPECT_FALSE(link.tcp_connected());
}

INSTANTIATE_TEST_SUITE_P(forms, utilities_form,
                         testing::Values(form::tcp_plain, form::tcp_protocol, form::serial_plain,
                                         form::serial_protocol),
                         form_name);

TEST(utilities, refusing_reader_gives_the_screens_refusal_texts) {
    sim_fixture sim;
    sim::reader_config r = sim_fixture::zep_reader();
    r.faults.nak = true;  // plain readers answer "?"
    link::link_endpoint e;
    e.device = sim.start_pty({r});
    link::reader_link link;
    test::scripted_operator person;
    test::fixed_clock clock(sunday);
    EXPECT_EQ(maintenance::set_reader_clock(link, {e, {}}, clock, person).text,
              "Invalid response from reader");
    EXPECT_EQ(maintenance::adhoc_add(link, {e, {}}, "12", person).text, "ID was not added");
    EXPECT_EQ(maintenance::read_reader_clock(link, {e, {}}, person).text,
              "Invalid response from reader");
}

TEST(utilities, links_that_will_not_open) {
    quint16 closed_port = 0;
    {
        QTcpServer server;
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        closed_port = server.serverPort();
    }
    link::link_endpoint tcp;
    tcp.link = link::link_endpoint::kind::tcp;
    tcp.host = "127.0.0.1";
    tcp.port_text = QString::number(closed_port);
    link::link_endpoint serial;
    serial.device = "/dev/zep-no-such-port";
    link::reader_link link;
    test::scripted_operator person;
    EXPECT_EQ(maintenance::identify_reader(link, {tcp, {}}, person).text,
              "Unable to establish tcp/ip connection");
    EXPECT_EQ(maintenance::adhoc_add(link, {tcp, {}}, "1", person).text,
              "Unable to establish tcp/ip connection - please try again");
    EXPECT_EQ(maintenance::adhoc_delete(link, {tcp, {}}, "1", person).text,
              "Unable to establish tcp/ip connection - please try again");
    EXPECT_EQ(maintenance::identify_reader(link, {serial, {}}, person).text,
              "Unable to open comm port");
    EXPECT_EQ(person.messages.size(), 4);
}

TEST(utilities, old_firmware_swaps_each_pair) {
    sim_fixture sim;
    sim::reader_config r = sim_fixture::ko_reader();
    r.old_firmware = true;
    r.ids = {{"1", 0}};
    link::link_endpoint e;
    e.link = link::link_endpoint::kind::tcp;
    e.host = "127.0.0.1";
    e.port_text = QString::number(sim.start_tcp({r}));
    link::reader_link link;
    test::scripted_operator person;
    const maintenance::memory_outcome m =
        maintenance::read_memory_usage(link, {e, {}}, commands::memory_layout::used_first, person);
    ASSERT_TRUE(m.ok());
    EXPECT_EQ(m.usage.download_used.text, "00001");
    EXPECT_EQ(m.text.left(5), "00001");
}

}  // namespace
}  // namespace zep
