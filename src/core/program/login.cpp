#include "core/program/login.h"

#include "core/data/login_password.h"
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

}  // namespace zep::program
