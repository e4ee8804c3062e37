#pragma once

#include <QString>

#include "core/maintenance/login_password_change.h"
#include "core/program/session.h"

namespace zep {
class operator_port;
}
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

// The password screen's login "Set Password". The current entry is checked against the
// password stored now (another window may have changed it), and a new one is written at
// once, in a transaction of its own: the closing save does not write it again.
maintenance::login_change set_login_password(
    session& state, const QString& current_entry, const QString& new_entry, operator_port& person,
    const std::optional<QString>& confirm_entry = std::nullopt);

}  // namespace zep::program
