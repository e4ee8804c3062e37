#include "core/link/com_ports.h"

#include <QtGlobal>

namespace zep::link {

QString default_com_device(int port) {
    if (port < 1 || port > 5) return {};
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}

QString com_device_path(int port, const com_device_map& mapping) {
    if (port < 1 || port > 5) return {};
    const QString from_env =
        qEnvironmentVariable(QStringLiteral("ZEP_COM%1").arg(port).toLatin1().constData());
    if (!from_env.isEmpty()) return from_env;
    const QString& stored = mapping[static_cast<size_t>(port - 1)];
    return stored.trimmed().isEmpty() ? default_com_device(port) : stored.trimmed();
}

int reader_port_number(const QString& port_text) {
    if (port_text.size() < 4) return 0;
    const QChar c = port_text.at(3);
    return (c >= QLatin1Char('1') && c <= QLatin1Char('5')) ? c.digitValue() : 0;
}

int reader_port_baud(const QString& port_text) {
    return (port_text.size() >= 6 && port_text.at(5) == QLatin1Char('9')) ? 9600 : 19200;
}

}  // namespace zep::link
