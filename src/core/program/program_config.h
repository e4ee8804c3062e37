#pragma once

#include <QString>

namespace zep::program {

// The program's own settings file, one per user and PC: $XDG_CONFIG_HOME/zep/zep.conf
// (normally ~/.config/zep/zep.conf), in INI form. What belongs to the site stays in the
// database; this file keeps what belongs to the person at this desk.
QString program_config_path();

}  // namespace zep::program
