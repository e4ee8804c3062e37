#pragma once

#include <QString>

namespace zep::maintenance {

inline constexpr auto password_mismatch_text = "Password does not match";
inline constexpr auto login_password_changed_text = "Login password changed";

enum class login_change { mismatch, changed, unchanged };

// The login section's "Set Password": the current entry (blanks around it removed) must
// be the stored login password. Then the new entry, trimmed, replaces it, kept as its
// hash; an empty new password removes the prompt. `unchanged` when there was none and
// none is set.
login_change change_login_password(QString& loginpass, const QString& current_entry,
                                   const QString& new_entry);

}  // namespace zep::maintenance
