#include <gtest/gtest.h>

#include "core/data/login_password.h"
#include "core/data/settings_store.h"
#include "tests/support/data/temp_database.h"
#include "tests/unit/data/raw_sqlite.h"

namespace zep {
namespace {

using test::raw_sqlite;

QStringList settings_rows(test::temp_database& temp, const QString& fields) {
    temp.close();
    raw_sqlite raw(temp.path());
    return raw.column("SELECT " + fields + " FROM settings ORDER BY rowid");
}

TEST(settings_store, first_start_writes_both_rows_with_defaults) {
    test::temp_database temp;
    auto loaded = data::load_or_create(temp.db());
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    EXPECT_EQ(loaded->record, data::settings_record{});
    EXPECT_EQ(loaded->marker, data::marker_flags{});
    EXPECT_FALSE(loaded->marker.dbutil_add_all);
    EXPECT_TRUE(loaded->marker.export_fixed);

    const QString fields =
        "settings || '|' || reclen || '|' || ipaddress || '|' || remoteportaddress || '|' || "
        "autoconfigreclen || '|' || applyalldowntxt || '|' || autosettings || '|' || "
        "barsettings || '|' || proxnumbits || '|' || proxidlen || '|' || loginpass || '|' || "
        "comdevice3";
    EXPECT_EQ(settings_rows(temp, fields),
              QStringList({"2211000|40|192.168.1.200|4001|Y|N|10111|1111111000|26|16||/dev/ttyS2",
                           "9999999|40|12-20-2003|4001|N|1|10111|1111111000|26|16||/dev/ttyS2"}));
}

TEST(settings_store, saved_values_come_back_after_reopening) {
    test::temp_database temp;
    data::settings_state state = *data::load_or_create(temp.db());
    state.record.settings = "1121005";
    state.record.reclen = -2;
    state.record.proxidchars = 32767;
    state.record.ipaddress = "10.1.2.3";
    state.record.dirlogup = "/var/tmp/logs";
    state.record.comdevice[1] = "/dev/ttyUSB1";
    state.marker = {true, false};
    ASSERT_TRUE(data::save_settings(temp.db(), state.record, state.marker));

    auto again = data::load_or_create(temp.reopen());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->record, state.record);
    EXPECT_EQ(again->marker, state.marker);
    EXPECT_EQ(settings_rows(temp, "autoconfigreclen || applyalldowntxt"),
              QStringList({"YN", "Y2"}));
}

TEST(settings_store, load_only_fields_are_not_written_back) {
    test::temp_database temp;
    data::settings_state state = *data::load_or_create(temp.db());
    state.record.applyallcleartxt = "Y";
    state.record.applyalldownschtxt = "Y";
    state.record.txtdownloadverify = "N";
    ASSERT_TRUE(data::save_settings(temp.db(), state.record, state.marker));
    EXPECT_EQ(settings_rows(temp, "applyallcleartxt || applyalldownschtxt || txtdownloadverify"),
              QStringList({"NNN", "NNY"}));
}

TEST(settings_store, adds_whichever_row_is_missing) {
    test::temp_database temp;
    ASSERT_TRUE(data::load_or_create(temp.db()));
    temp.close();
    {
        raw_sqlite raw(temp.path());
        ASSERT_EQ(raw.run({"DELETE FROM settings WHERE settings = '9999999'",
                           "UPDATE settings SET reclen = 64"}),
                  "");
    }
    auto loaded = data::load_or_create(temp.reopen());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->record.reclen, 64);
    EXPECT_EQ(settings_rows(temp, "settings || reclen"), QStringList({"221100064", "999999940"}));

    // The marker row first and no settings row: the settings row is the non-marker one.
    {
        raw_sqlite raw(temp.path());
        ASSERT_EQ(raw.run({"DELETE FROM settings WHERE settings <> '9999999'",
                           "UPDATE settings SET applyalldowntxt = '2'"}),
                  "");
    }
    loaded = data::load_or_create(temp.reopen());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->record.settings, "2211000");
    EXPECT_FALSE(loaded->marker.export_fixed);
    EXPECT_EQ(settings_rows(temp, "settings").size(), 2);
}

TEST(settings_store, a_failed_save_leaves_both_rows_as_they_were) {
    test::temp_database temp;
    data::settings_state state = *data::load_or_create(temp.db());
    temp.close();
    {
        raw_sqlite raw(temp.path());
        ASSERT_EQ(raw.run({"CREATE TRIGGER refuse BEFORE UPDATE ON settings "
                           "WHEN old.settings = '9999999' BEGIN SELECT RAISE(ABORT, 'no'); END"}),
                  "");
    }
    state.record.reclen = 99;
    state.record.ipaddress = "10.0.0.9";
    state.marker.dbutil_add_all = true;
    const status saved = data::save_settings(temp.reopen(), state.record, state.marker);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(saved.error().isEmpty());
    EXPECT_EQ(settings_rows(temp, "reclen || ipaddress || autoconfigreclen"),
              QStringList({"40192.168.1.200Y", "4012-20-2003N"}));
}

TEST(settings_store, stores_a_plain_login_password_as_its_hash) {
    test::temp_database temp;
    data::settings_state state = *data::load_or_create(temp.db());
    state.record.loginpass = "Secret";
    ASSERT_TRUE(data::save_settings(temp.db(), state.record, state.marker));
    const QString stored = data::load_or_create(temp.db())->record.loginpass;
    EXPECT_TRUE(data::is_login_hash(stored));
    EXPECT_TRUE(data::login_password_matches(stored, "Secret"));

    // A hash already stored is kept as it is, not hashed again.
    state.record.loginpass = stored;
    ASSERT_TRUE(data::save_settings(temp.db(), state.record, state.marker));
    EXPECT_EQ(data::load_or_create(temp.db())->record.loginpass, stored);

    state.record.loginpass.clear();
    ASSERT_TRUE(data::save_settings(temp.db(), state.record, state.marker));
    EXPECT_EQ(data::load_or_create(temp.db())->record.loginpass, "");
}

}  // namespace
}  // namespace zep
