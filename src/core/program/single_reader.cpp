#include "core/program/single_reader.h"

namespace zep::program {

link::single_reader_settings stored_single_reader(const session& state) {
    return {state.comm, state.settings.ipaddress, state.settings.remoteportaddress,
            state.settings.comdevice};
}

maintenance::utility_target utilities_target(const session& state) {
    return {link::single_reader_endpoint(stored_single_reader(state)), std::nullopt};
}

}  // namespace zep::program
