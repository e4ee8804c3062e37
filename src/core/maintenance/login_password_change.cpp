#include "core/maintenance/login_password_change.h"

#include "core/data/login_password.h"

namespace zep::maintenance {

login_change change_login_password(QString& loginpass, const QString& current_entry,
                                   const QString& new_entry) {
    if (!data::login_password_matches(loginpass, current_entry.trimmed())) return login_change::mismatch;
    const QString next = new_entry.trimmed();
    if (next.isEmpty() && loginpass.isEmpty()) return login_change::unchanged;
    if (next.isEmpty()) {
        loginpass.clear();
        return login_change::changed;
    }
    const QString hash = data::hash_login_password(next);
    // Should hashing fail the plain text is kept; the save hashes it.
    loginpass = hash.isEmpty() ? next : hash;
    return login_change::changed;
}

}  // namespace zep::maintenance
