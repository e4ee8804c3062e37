#include "core/records/reader_endpoint.h"

#include "core/data/readers_table.h"
#include "core/link/frame.h"
#include "core/link/reader_link.h"
#include "core/link/wire.h"

namespace zep::records {

namespace {

// The readers screen stores "Y" for protocol mode; anything else is plain.
bool protocol_flag(const QString& text) {
    return text.trimmed() == QLatin1String("Y");
}

// address422 must be present and numeric, at most 126 (127 would reach every reader
// and be answered by none).
std::optional<int> reader_address(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0 || value >= link::wire::global_address) return std::nullopt;
    return value;
}

int timezone_hours(const QString& text) {
    bool ok = false;
    const int hours = text.trimmed().toInt(&ok);
    return ok ? hours : 0;
}

}  // namespace

bool is_tcp_commmode(const QString& commmode) {
    const QString text = commmode.trimmed();
    return text.compare(QLatin1String("tcp/ip"), Qt::CaseInsensitive) == 0 ||
           text == QLatin1String("T");
}

QString reader_number_text(int readernum) {
    return QStringLiteral("%1").arg(readernum, 3, 10, QLatin1Char('0'));
}

reader_endpoint make_reader_endpoint(const data::reader_row& row,
                                     const link::com_device_map& devices) {
    reader_endpoint r;
    r.readernum = row.readernum;
    r.number_text = reader_number_text(row.readernum);
    r.commmode = row.commmode;
    r.timezone_hours = timezone_hours(row.timezone);
    r.link.protocol = protocol_flag(row.protocol);
    const auto address = reader_address(row.address422);
    r.address_ok = !r.link.protocol || address.has_value();
    r.link.address = address.value_or(0);

    if (row.commmode.trimmed().isEmpty()) {
        r.reach = reader_reach::none;
    } else if (is_tcp_commmode(row.commmode)) {
        r.reach = reader_reach::tcp;
        r.link.link = link::link_endpoint::kind::tcp;
        r.link.host = row.ipaddress.trimmed();
        r.link.port_text = row.Port.trimmed();
        r.link.connect_ms = link::reader_link::reader_connect_ms;
    } else {
        r.reach = reader_reach::serial;
        r.link.link = link::link_endpoint::kind::serial;
        // A text whose 4th character names no port gives no device; the open then fails.
        r.link.device = link::com_device_path(link::reader_port_number(row.commmode), devices);
        r.link.baud = link::reader_port_baud(row.commmode);
    }
    return r;
}

std::optional<reader_open_failure> open_reader_link(link::reader_link& link,
                                                    const reader_endpoint& reader) {
    if (reader.reach == reader_reach::none) return reader_open_failure::no_port;
    if (!reader.address_ok) return reader_open_failure::invalid_address;
    if (reader.tcp()) {
        link.close_tcp();
        if (!link.connect_tcp(reader.link.host, reader.link.port_text, reader.link.connect_ms)) {
            link.close_tcp();
            return reader_open_failure::tcp;
        }
        link.flush_tcp_input();
        return std::nullopt;
    }
    if (!link.open_serial_device(reader.link.device, reader.link.baud)) {
        return reader_open_failure::serial;
    }
    link.flush_serial_input();
    return std::nullopt;
}

void close_reader_link(link::reader_link& link, const reader_endpoint& reader) {
    if (reader.tcp()) {
        link.close_tcp();
    } else if (reader.reach == reader_reach::serial) {
        link.close_serial();
    }
}

}  // namespace zep::records
