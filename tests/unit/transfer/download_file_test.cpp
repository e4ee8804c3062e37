#include "core/transfer/download_file.h"

#include <gtest/gtest.h>

#include <QBuffer>

namespace zep {
namespace {

QList<QByteArray> records_of(QByteArray bytes, qsizetype longest = 21) {
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    transfer::download_file_reader reader(file, longest);
    QList<QByteArray> records;
    while (const auto record = reader.next()) {
        records << (record->too_long ? "TOO LONG:" + record->text : record->text);
    }
    return records;
}

TEST(download_file, records_end_at_cr_crlf_lf_and_comma) {
    struct row {
        QByteArray file;
        QList<QByteArray> records;
    };
    const row rows[] = {
        {"1001\r\n1002\r\n", {"1001", "1002"}},
        {"1001\r1002\r", {"1001", "1002"}},
        {"1001\n1002", {"1001", "1002"}},
        {"1001,1002\r\n1003", {"1001", "1002", "1003"}},
        {"1001\r\n\r\n1002\r\n", {"1001", "", "1002"}},
        {"  1001  \r\n 10 01 ,", {"1001", "10 01"}},
        {"\" 1001 \"\r\n\"a,b\r\nc\"x y\r\n", {" 1001 ", "a,b\r\nc"}},
        {"\"open to the end", {"open to the end"}},
        {"", {}},
        {"\xe9\xff\x01\r\n", {"\xe9\xff\x01"}},
    };
    for (const row& r : rows) EXPECT_EQ(records_of(r.file), r.records) << r.file.toStdString();
}

TEST(download_file, a_record_longer_than_the_limit_is_known_without_being_kept) {
    EXPECT_EQ(records_of("123456789012345678\r\n1234567890123456789\r\n", 18),
              QList<QByteArray>({"123456789012345678", "TOO LONG:123456789012345678"}));
    // Ten megabytes without a line end: one record, its first bytes kept.
    const QList<QByteArray> huge = records_of(QByteArray(10 << 20, 'x'), 4096);
    ASSERT_EQ(huge.size(), 1);
    EXPECT_EQ(huge.first().size(), 4096 + 9);
}

}  // namespace
}  // namespace zep
