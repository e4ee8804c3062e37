#include "core/maintenance/login_password_change.h"

#include "core/data/login_password.h"
#include "core/operator.h"

namespace zep::maintenance {

login_change change_login_password(QString& loginpass, const QString& current_entry,
                                   const QString& new_entry, operator_port& person,
                                   const std::optional<QString>& confirm_entry) {
    if (!data::login_password_matches(loginpass, current_entry.trimmed())) {
        person.message(QString::fromLatin1(password_mismatch_text));
        return login_change::mismatch;
    }
    if (confirm_entry && *confirm_entry != new_entry) {
        person.message(QString::fromLatin1(password_confirmation_text));
        return login_change::refused;
    }
    if (new_entry.isEmpty()) {
        if (loginpass.isEmpty()) return login_change::unchanged;
        if (!person.confirm(QString::fromLatin1(remove_login_password_question))) {
            return login_change::unchanged;
        }
        loginpass.clear();
        return login_change::changed;
    }
    if (new_entry.front().isSpace() || new_entry.back().isSpace()) {
        person.message(QString::fromLatin1(password_blank_edges_text));
        return login_change::refused;
    }
    const QString hash = data::hash_login_password(new_entry);
    // Should hashing fail the plain text is kept; the save hashes it.
    loginpass = hash.isEmpty() ? new_entry : hash;
    return login_change::changed;
}

}  // namespace zep::maintenance
