#pragma once

#include <QString>

#include "core/program/session.h"

namespace zep {
class operator_port;
}
namespace zep::program {}

namespace zep::program {

inline constexpr auto login_title_text = "Password";
inline constexpr auto login_prompt_text = "Enter Password";
inline constexpr auto invalid_password_text = "Invalid Password";

// True when a login password is set.
bool login_required(const session& state);
// The answer to the login prompt is right (exact, case-sensitive).
bool check_login(const session& state, const QString& answer);
// Asks for the login password when one is set. False after telling the operator
// "Invalid Password": the program then ends without writing anything.
bool ask_login(const session& state, operator_port& person);

}  // namespace zep::program
