#pragma once

#include <QString>
#include <array>

namespace zep::link {

// Device paths of Com1..Com5 as stored in the settings; empty entries mean the default.
using com_device_map = std::array<QString, 5>;

// The device Com `port` (1..5) maps to: $ZEP_COMn first, then the stored mapping, then
// /dev/ttyS(n-1). Empty for a port outside 1..5.
QString com_device_path(int port, const com_device_map& mapping);

QString default_com_device(int port);

// A readers-table port text such as "Com3 19200": the 4th character names the port
// (0 when it names none), the 6th the speed ("9" 9600, anything else 19200).
int reader_port_number(const QString& port_text);
int reader_port_baud(const QString& port_text);

}  // namespace zep::link
