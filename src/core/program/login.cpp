#include "core/program/login.h"

#include "core/data/login_password.h"
#include "core/data/settings_store.h"
#include "core/operator.h"

namespace zep::program {

bool login_required(const session& state) {
    return !state.settings.loginpass.isEmpty();
}

bool check_login(const session& state, const QString& answer) {
    return data::login_password_matches(state.settings.loginpass, answer);
}

bool ask_login(const session& state, operator_port& person) {
    if (!login_required(state)) return true;
    // A cancelled input box answers an empty text.
    const QString answer =
        person
            .ask_text(QString::fromLatin1(login_title_text), QString::fromLatin1(login_prompt_text))
            .value_or(QString());
    if (check_login(state, answer)) return true;
    person.message(QString::fromLatin1(invalid_password_text));
    return false;
}

maintenance::login_change set_login_password(session& state, const QString& current_entry,
                                             const QString& new_entry, operator_port& person,
                                             const std::optional<QString>& confirm_entry) {
    auto stored = data::read_login_password(*state.db);
    if (!stored) {
        person.message(stored.error());
        return maintenance::login_change::refused;
    }
    QString loginpass = *stored;
    const auto change = maintenance::change_login_password(loginpass, current_entry, new_entry,
                                                           person, confirm_entry);
    if (change == maintenance::login_change::changed) {
        if (const status written = data::write_login_password(*state.db, loginpass); !written) {
            person.message(written.error());
            return maintenance::login_change::refused;
        }
    }
    if (change != maintenance::login_change::mismatch) {
        state.settings.loginpass = loginpass;
        state.loaded_settings.loginpass = loginpass;
    }
    return change;
}

}  // namespace zep::program
