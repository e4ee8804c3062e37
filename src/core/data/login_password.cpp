#include "core/data/login_password.h"

#include <sodium.h>

namespace zep::data {

namespace {

bool sodium_ready() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

}  // namespace

QString hash_login_password(const QString& password) {
    if (!sodium_ready()) return {};
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, utf8.constData(), static_cast<unsigned long long>(utf8.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        return {};
    }
    return QString::fromLatin1(out);
}

bool is_login_hash(const QString& stored) {
    return stored.startsWith(QLatin1String("$argon2"));
}

bool login_password_matches(const QString& stored, const QString& answer) {
    if (!is_login_hash(stored)) return stored == answer;
    if (!sodium_ready()) return false;
    const QByteArray hash = stored.toLatin1();
    const QByteArray utf8 = answer.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), utf8.constData(),
                                    static_cast<unsigned long long>(utf8.size())) == 0;
}

QString stored_login_password(const QString& value) {
    if (value.isEmpty() || is_login_hash(value)) return value;
    // Should hashing ever fail, keep the plain text rather than lose the password.
    const QString hash = hash_login_password(value);
    return hash.isEmpty() ? value : hash;
}

}  // namespace zep::data
