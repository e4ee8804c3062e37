#pragma once

#include <QString>
#include <optional>

namespace zep {
class operator_port;
}

namespace zep::maintenance {

inline constexpr auto password_mismatch_text = "Password does not match";
inline constexpr auto login_password_changed_text = "Login password changed";
inline constexpr auto password_blank_edges_text = "The password may not begin or end with a blank";
inline constexpr auto password_confirmation_text =
    "The new password and its confirmation are not the same";
inline constexpr auto remove_login_password_question =
    "Remove the login password? The program will no longer ask for one at start-up.";

enum class login_change { mismatch, refused, changed, unchanged };

// The login section's "Set Password": the current entry (blanks around it removed) must
// be the stored login password ("Password does not match" otherwise). The new entry then
// replaces it, kept as its hash. A new password with a blank at either end is refused:
// start-up compares the answer exactly, so such a password could never be typed back. An
// empty new password removes the prompt, but only after the operator agrees. A
// `confirm_entry` that differs from the new one refuses it before anything changes.
login_change change_login_password(QString& loginpass, const QString& current_entry,
                                   const QString& new_entry, operator_port& person,
                                   const std::optional<QString>& confirm_entry = std::nullopt);

}  // namespace zep::maintenance
