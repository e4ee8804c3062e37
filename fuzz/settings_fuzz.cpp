// What turns stored texts into values: the comm-settings string and the protocol address
// typed into it, a readers-table row's link fields, a user's access string. Input: UTF-8
// text whose lines are the fields (1: comm settings or commmode, 2: address or time zone,
// 3: protocol flag or IP address, 4: address422 or TCP port, 5: access string).

#include <QString>
#include <QStringList>
#include <algorithm>

#include "core/data/readers_table.h"
#include "core/link/com_ports.h"
#include "core/link/comm_settings.h"
#include "core/link/link_endpoint.h"
#include "core/program/startup.h"
#include "core/records/access_string.h"
#include "core/records/reader_endpoint.h"
#include "fuzz/fuzz_harness.h"

namespace {

using namespace zep;
using fuzz::all_digits;

bool same(const link::comm_settings& a, const link::comm_settings& b) {
    return a.link_mode == b.link_mode && a.protocol == b.protocol && a.port == b.port &&
           a.speed_choice == b.speed_choice && a.address_text == b.address_text &&
           a.protocol_address == b.protocol_address;
}

void check_comm_settings(const QString& text, const QString& ip, const QString& port_text) {
    const link::comm_settings comm = link::decode_comm_settings(text);
    for (const int choice : {comm.link_mode, comm.protocol, comm.port, comm.speed_choice})
        ZEP_FUZZ_CHECK(choice >= 0 && choice <= 9);
    ZEP_FUZZ_CHECK(comm.address_text == text.mid(4, 3));
    ZEP_FUZZ_CHECK(comm.protocol_address >= -99 && comm.protocol_address <= 999);
    if (all_digits(comm.address_text) && comm.address_text.size() == 3)
        ZEP_FUZZ_CHECK(comm.protocol_address == comm.address_text.toInt());

    const link::link_endpoint reader = link::single_reader_endpoint({comm, ip, port_text, {}});
    ZEP_FUZZ_CHECK(reader.tcp() == (comm.link_mode == 1));
    ZEP_FUZZ_CHECK(reader.device.isEmpty() == (comm.port < 1 || comm.port > 5));
    ZEP_FUZZ_CHECK(reader.baud == 9600 || reader.baud == 19200);
    ZEP_FUZZ_CHECK(reader.protocol == (comm.protocol == 1));
    ZEP_FUZZ_CHECK(reader.address == comm.protocol_address);
}

// The communications screen writes the typed address into characters 5 to 7; start-up
// settles the stored string the same way with the address it holds.
void check_protocol_address(const QString& stored, const QString& typed) {
    const link::comm_settings before = link::decode_comm_settings(stored);
    QString text = stored;
    link::comm_settings comm = before;
    program::apply_protocol_address(text, comm, typed);
    if (text == stored && same(comm, before)) return;
    ZEP_FUZZ_CHECK(stored.size() >= 4);
    ZEP_FUZZ_CHECK(text.size() == std::max<qsizetype>(stored.size(), 7));
    ZEP_FUZZ_CHECK(text.left(4) == stored.left(4) && text.mid(7) == stored.mid(7));
    ZEP_FUZZ_CHECK(all_digits(text.mid(4, 3)) && text.mid(4, 3).size() == 3);
    ZEP_FUZZ_CHECK(same(comm, link::decode_comm_settings(text)));
    ZEP_FUZZ_CHECK(comm.protocol_address >= 0 && comm.protocol_address <= 999);

    // Settled once, a string stays as it is.
    QString again = text;
    link::comm_settings settled = comm;
    program::apply_protocol_address(again, settled, comm.address_text);
    ZEP_FUZZ_CHECK(again == text && same(settled, comm));
}

void check_reader_row(const QStringList& fields, qint16 readernum) {
    data::reader_row row;
    row.readernum = readernum;
    row.commmode = fields.value(0);
    row.timezone = fields.value(1);
    row.protocol = fields.value(2);
    row.address422 = fields.value(3);
    row.ipaddress = fields.value(2);
    row.Port = fields.value(3);
    const records::reader_endpoint reader = records::make_reader_endpoint(row, {});

    ZEP_FUZZ_CHECK(reader.number_text.size() >= 3);
    ZEP_FUZZ_CHECK(reader.link.address >= 0 && reader.link.address <= 126);
    ZEP_FUZZ_CHECK(reader.protocol() == (row.protocol.trimmed() == QLatin1String("Y")));
    ZEP_FUZZ_CHECK(reader.address_ok || reader.protocol());
    const bool empty = row.commmode.trimmed().isEmpty();
    ZEP_FUZZ_CHECK((reader.reach == records::reader_reach::none) == empty);
    ZEP_FUZZ_CHECK(reader.tcp() == (!empty && records::is_tcp_commmode(row.commmode)));
    if (reader.reach == records::reader_reach::serial) {
        const int port = link::reader_port_number(row.commmode);
        ZEP_FUZZ_CHECK(port >= 0 && port <= 5);
        ZEP_FUZZ_CHECK(reader.link.device.isEmpty() == (port == 0));
        ZEP_FUZZ_CHECK(reader.link.baud == 9600 || reader.link.baud == 19200);
    }
}

void check_access_string(const QString& access) {
    namespace as = records::access_string;
    const std::vector<int> readers = as::assigned_readers(access);
    QString cleared = access;
    int previous = -1;
    for (const int r : readers) {
        ZEP_FUZZ_CHECK(r > previous && r <= as::last_reader);
        ZEP_FUZZ_CHECK(as::has_slot(access, r));
        previous = r;
        cleared = as::without_slot(cleared, r);
    }
    ZEP_FUZZ_CHECK(cleared.size() == as::length || readers.empty());
    ZEP_FUZZ_CHECK(as::assigned_readers(cleared).empty());
    // Every empty slot filled with one schedule: then every reader has one.
    std::vector<int> filled;
    const QString full = as::with_all_remaining(access, QStringLiteral("007"), &filled);
    ZEP_FUZZ_CHECK(full.size() == as::length);
    ZEP_FUZZ_CHECK(readers.size() + filled.size() == std::size_t{as::reader_count});
    ZEP_FUZZ_CHECK(as::assigned_readers(full).size() == std::size_t{as::reader_count});
}

}  // namespace

ZEP_FUZZ_TARGET(input) {
    const QStringList fields = QString::fromUtf8(input).split(u'\n');
    check_comm_settings(fields.value(0), fields.value(2), fields.value(3));
    check_protocol_address(fields.value(0), fields.value(1));
    const int port = link::reader_port_number(fields.value(0));
    ZEP_FUZZ_CHECK(port >= 0 && port <= 5);
    check_reader_row(fields,
                     static_cast<qint16>(input.size() > 1 ? zep::fuzz::byte_at(input, 0) |
                                                                zep::fuzz::byte_at(input, 1) << 8
                                                          : 0));
    // Access strings cost hundreds of allocations each; only inputs that reach them pay.
    if (fields.size() > 4) check_access_string(fields.value(4));
}
