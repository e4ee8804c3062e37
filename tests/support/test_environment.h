#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace zep::test {

// The URI (without a database name) of the server the database tests run on with
// ZEP_TEST_DATABASE=postgres: ZEP_TEST_PG_URI, or the one the server wrote into its folder
// (ZEP_TEST_PG_DIR, by default the run's own); empty when there is none.
inline QString test_server_uri() {
    QString uri = qEnvironmentVariable("ZEP_TEST_PG_URI");
    if (uri.isEmpty()) {
        QString dir = qEnvironmentVariable("ZEP_TEST_PG_DIR");
        if (dir.isEmpty()) dir = QStringLiteral(ZEP_TEST_PG_DIR_DEFAULT);
        QFile file(dir + QStringLiteral("/uri"));
        if (file.open(QIODevice::ReadOnly)) uri = QString::fromUtf8(file.readAll()).trimmed();
    }
    if (!uri.isEmpty() && !uri.endsWith(u'/')) uri += u'/';
    return uri;
}

// What every test program sets up before its first test: the operator's own program
// settings (which database) and state (background.log) reach neither a test nor the
// programs a test starts; and a server pass with no server to run on (PostgreSQL not
// installed) skips instead of failing.
class test_environment : public testing::Environment {
  public:
    test_environment() {
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        qputenv("XDG_STATE_HOME", state_.path().toLocal8Bit());
    }
    void SetUp() override {
        if (qEnvironmentVariable("ZEP_TEST_DATABASE") == QLatin1String("postgres") &&
            test_server_uri().isEmpty())
            GTEST_SKIP() << "no PostgreSQL server for this run";
    }

  private:
    QTemporaryDir config_, state_;
};

}  // namespace zep::test
