#include "core/data/login_password.h"

#include <gtest/gtest.h>

namespace zep {
namespace {

TEST(login_password, hash_verifies_only_the_exact_password) {
    const QString hash = data::hash_login_password("Tür-42");
    ASSERT_TRUE(data::is_login_hash(hash)) << hash.toStdString();
    EXPECT_TRUE(hash.startsWith("$argon2id$"));
    EXPECT_FALSE(hash.contains("Tür-42"));
    EXPECT_TRUE(data::login_password_matches(hash, "Tür-42"));
    EXPECT_FALSE(data::login_password_matches(hash, "tür-42"));
    EXPECT_FALSE(data::login_password_matches(hash, "Tür-42 "));
    EXPECT_FALSE(data::login_password_matches(hash, ""));
    // Salted: the same password never gives the same string twice.
    EXPECT_NE(data::hash_login_password("Tür-42"), hash);
}

TEST(login_password, plain_stored_values_compare_as_text) {
    EXPECT_FALSE(data::is_login_hash("secret"));
    EXPECT_TRUE(data::login_password_matches("secret", "secret"));
    EXPECT_FALSE(data::login_password_matches("secret", "Secret"));
    EXPECT_FALSE(data::login_password_matches("secret", ""));
    EXPECT_TRUE(data::login_password_matches("", ""));
    // Looks like a hash by its prefix but is not one: never matches, not even itself.
    EXPECT_FALSE(data::login_password_matches("$argon2id$broken", "$argon2id$broken"));
}

TEST(login_password, storage_form) {
    EXPECT_EQ(data::stored_login_password(""), "");
    const QString hash = data::stored_login_password("abc");
    EXPECT_TRUE(data::login_password_matches(hash, "abc"));
    EXPECT_EQ(data::stored_login_password(hash), hash);
}

}  // namespace
}  // namespace zep
