#include <gtest/gtest.h>

#include "core/data/login_password.h"
#include "core/data/settings_store.h"
#include "tests/support/data/temp_database.h"

namespace zep {
namespace {

QStringList settings_rows(test::temp_database& temp, const QString& fields) {
    temp.close();
    return test::query_column(temp.path(), "SELECT " + fields + " FROM settings ORDER BY rowid");
}

TEST(settings_store, first_start_writes_both_rows_with_defaults) {
    test::temp_database temp;
    auto loaded = data::load_or_create(temp.db());
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    EXPECT_EQ(loaded->marker, (data::marker_flags{false, true}));

    const QString fields =
        "settings || '|' || reclen || '|' || ipaddress || '|' || remoteportaddress || '|' || "
        "autoconfigreclen || '|' || applyalldowntxt || '|' || autosettings || '|' || "
        "barsettings || '|' || proxnumbits || '|' || proxidlen || '|' || loginpass || '|' || "
        "comdevice3";
    EXPECT_EQ(settings_rows(temp, fields),
              QStringList({"2211000|40|192.168.1.200|4001|Y|N|10111|1111111000|26|16||/dev/ttyS2",
                           "9999999|40|12-20-2003|4001|N|1|10111|1111111000|26|16||/dev/ttyS2"}));
}

// Two windows on one database: a save writes only what its own window changed.
TEST(settings_store, a_save_writes_only_changed_fields_load_only_fields_stay_passwords_hash) {
    test::temp_database temp;
    const data::settings_state loaded = *data::load_or_create(temp.db());
    data::settings_state state = loaded;
    state.record.settings = "1121005";
    state.record.reclen = -2;
    state.record.dirlogup = "/var/tmp/logs";
    state.record.comdevice[1] = "/dev/ttyUSB1";
    state.marker = {true, false};
    temp.close();
    ASSERT_EQ(test::run_sql(temp.path(), {"UPDATE settings SET ipaddress = '10.0.0.7', "
                                          "loginpass = 'other' WHERE settings <> '9999999'"}),
              "");
    ASSERT_TRUE(data::save_settings(temp.reopen(), state.record, state.marker, loaded.record,
                                    loaded.marker));
    auto again = data::load_or_create(temp.reopen());
    ASSERT_TRUE(again);
    data::settings_record expected = state.record;
    expected.ipaddress = "10.0.0.7";
    expected.loginpass = again->record.loginpass;  // the other window's, hashed at load
    EXPECT_TRUE(data::login_password_matches(expected.loginpass, "other"));
    EXPECT_EQ(again->record, expected);
    EXPECT_EQ(again->marker, state.marker);

    const data::settings_state before = *again;
    state = before;
    state.record.applyallcleartxt = "Y";
    state.record.applyalldownschtxt = "Y";
    state.record.txtdownloadverify = "N";
    state.record.loginpass = "Secret";
    ASSERT_TRUE(
        data::save_settings(temp.db(), state.record, state.marker, before.record, before.marker));
    const QString hash = data::load_or_create(temp.db())->record.loginpass;
    EXPECT_TRUE(hash.startsWith("$argon2id$") && data::login_password_matches(hash, "Secret"));
    EXPECT_EQ(settings_rows(temp,
                            "applyallcleartxt || applyalldownschtxt || txtdownloadverify || "
                            "autoconfigreclen || applyalldowntxt || loginpass"),
              QStringList({"NNNYN" + hash, "NNYY2"}));
}

TEST(settings_store, a_16_bit_field_holding_no_such_number_loads_as_its_default_and_says_so) {
    const std::pair<const char*, qint16> cases[] = {
        {"-32768", -32768}, {"32767", 32767}, {"' 64 '", 64}, {"70000", 40},
        {"-32769", 40},     {"'forty'", 40},  {"12.5", 40},   {"NULL", 40}};
    for (const auto& [stored, loaded] : cases) {
        test::temp_database temp;
        ASSERT_TRUE(data::load_or_create(temp.db()));
        temp.close();
        // The marker row's copy is never read, so it is never reported.
        ASSERT_EQ(test::run_sql(temp.path(), {QString("UPDATE settings SET reclen = ") + stored}),
                  "");
        const auto state = data::load_or_create(temp.reopen());
        ASSERT_TRUE(state);
        EXPECT_EQ(state->record.reclen, loaded) << stored;
        EXPECT_EQ(state->warnings.size(), loaded == 40 ? 1 : 0) << stored;
        if (QString(stored) == "70000") {
            EXPECT_EQ(state->warnings, QStringList{"Settings field \"reclen\" holds \"70000\", not "
                                                   "a 16-bit number: its default 40 is used"});
        }
    }
}

TEST(settings_store, adds_whichever_row_is_missing_and_a_failed_save_changes_neither) {
    test::temp_database temp;
    ASSERT_TRUE(data::load_or_create(temp.db()));
    temp.close();
    ASSERT_EQ(test::run_sql(temp.path(), {"DELETE FROM settings WHERE settings <> '9999999'",
                                          "UPDATE settings SET applyalldowntxt = '2'"}),
              "");
    auto loaded = data::load_or_create(temp.reopen());
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(loaded->marker.export_fixed);
    EXPECT_EQ(settings_rows(temp, "settings"), QStringList({"9999999", "2211000"}));
    ASSERT_EQ(test::run_sql(temp.path(), {"DELETE FROM settings WHERE settings = '9999999'"}), "");
    ASSERT_TRUE(data::load_or_create(temp.reopen()));
    EXPECT_EQ(settings_rows(temp, "settings"), QStringList({"2211000", "9999999"}));

    data::settings_state state = *data::load_or_create(temp.reopen());
    const data::settings_state loaded_state = state;
    temp.close();
    ASSERT_EQ(test::run_sql(temp.path(), {"CREATE TRIGGER refuse BEFORE UPDATE ON settings "
                                          "WHEN old.settings = '9999999' "
                                          "BEGIN SELECT RAISE(ABORT, 'no'); END"}),
              "");
    state.record.reclen = 99;
    state.record.ipaddress = "127.0.0.9";
    state.marker.dbutil_add_all = true;
    EXPECT_FALSE(data::save_settings(temp.reopen(), state.record, state.marker, loaded_state.record,
                                     loaded_state.marker));
    EXPECT_EQ(settings_rows(temp, "reclen || ipaddress || autoconfigreclen"),
              QStringList({"40192.168.1.200Y", "4012-20-2003N"}));
}

// A stored hash verifies only the exact password; a plain stored value compares as text; a
// value that looks like a hash by its prefix but is none never matches, not even itself.
TEST(login_password, stored_hashes_and_plain_values_match_only_the_exact_password) {
    using data::login_password_matches;
    const QString hash = data::hash_login_password("Tür-42");
    EXPECT_TRUE(data::is_login_hash(hash) && hash.startsWith("$argon2id$")) << hash.toStdString();
    EXPECT_FALSE(hash.contains("Tür-42") || data::is_login_hash("secret"));
    EXPECT_NE(data::hash_login_password("Tür-42"), hash);  // salted
    EXPECT_TRUE(login_password_matches(hash, "Tür-42") && login_password_matches("", ""));
    EXPECT_TRUE(login_password_matches("secret", "secret"));
    for (const char* wrong : {"tür-42", "Tür-42 ", ""})
        EXPECT_FALSE(login_password_matches(hash, wrong));
    for (const char* wrong : {"Secret", ""}) EXPECT_FALSE(login_password_matches("secret", wrong));
    EXPECT_FALSE(login_password_matches("$argon2id$broken", "$argon2id$broken"));
}

}  // namespace
}  // namespace zep
