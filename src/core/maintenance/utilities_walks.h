#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "core/data/readers_table.h"
#include "core/records/active_reader_walk.h"

namespace zep {
class clock_source;
class operator_port;
}  // namespace zep
namespace zep::data {
class database_file;
}
namespace zep::autorun {
class override_selection;
}
namespace zep::link {
class reader_link;
}
namespace zep::data {
struct settings_record;
}

namespace zep::maintenance {

// What a walk starts from: the readers as they were when it began, the readers it
// reaches (active marks or the override selection) and where Com1..Com5 are.
struct walk_inputs {
    std::vector<data::reader_row> rows;
    records::target_flags targets;
    link::com_device_map devices;
};

walk_inputs load_walk_inputs(data::database_file& db, const data::settings_record& settings,
                             const autorun::override_selection& selection);

// "Y" in addhocaddall / setdateall: the action goes to every active reader.
bool apply_to_all(const QString& flag);

// Ad hoc add and delete on every active reader. Without `id` the operator is asked
// (enter_empid / enter_empid_delete) once there is a reader to reach; an ID that is not
// printable 8-bit text is refused with a message before anything is sent.
records::walk_result doall_addhocadd(link::reader_link& link, const walk_inputs& inputs,
                                     operator_port& person,
                                     std::optional<QString> id = std::nullopt);
records::walk_result doall_adhocdelete(link::reader_link& link, const walk_inputs& inputs,
                                       operator_port& person,
                                       std::optional<QString> id = std::nullopt);

// Each reader gets the PC time moved by its own `timezone` hours; TCP readers too.
records::walk_result doall_settime(link::reader_link& link, const walk_inputs& inputs,
                                   const clock_source& clock, operator_port& person);

}  // namespace zep::maintenance
