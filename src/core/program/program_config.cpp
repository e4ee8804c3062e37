#include "core/program/program_config.h"

#include <QStandardPaths>

namespace zep::program {

QString program_config_path() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zep/zep.conf");
}

}  // namespace zep::program
