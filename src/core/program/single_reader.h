#pragma once

#include "core/link/reader_link.h"
#include "core/maintenance/utilities.h"
#include "core/program/session.h"

namespace zep::program {

// The single-reader link as the settings in memory describe it.
link::single_reader_settings stored_single_reader(const session& state);

// The reader of the stored communications settings, for the utilities.
maintenance::utility_target utilities_target(const session& state);

}  // namespace zep::program
