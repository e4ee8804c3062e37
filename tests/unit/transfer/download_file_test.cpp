#include "core/transfer/download_file.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <algorithm>

#include "core/transfer/access_verify.h"

namespace zep {
namespace {

// Each record as "text@line".
QList<QByteArray> records_of(QByteArray bytes, qsizetype longest = 21) {
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    transfer::download_file_reader reader(file, longest);
    QList<QByteArray> records;
    while (const auto record = reader.next()) {
        records << (record->too_long ? "TOO LONG:" + record->text : record->text) + '@' +
                       QByteArray::number(record->line);
    }
    return records;
}

// Bytes without end, read in blocks.
class endless_device final : public QIODevice {
  public:
    endless_device() { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char* data, qint64 size) override {
        std::fill_n(data, size, 'x');
        return size;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
};

TEST(download_file, records_end_at_cr_crlf_lf_and_comma_and_know_their_line) {
    struct row {
        QByteArray file;
        QList<QByteArray> records;
    };
    const row rows[] = {
        {"1001\r\n1002\r\n", {"1001@1", "1002@2"}},
        {"1001\r1002\r", {"1001@1", "1002@2"}},
        {"1001\n1002", {"1001@1", "1002@2"}},
        {"1001,1002\r\n1003", {"1001@1", "1002@1", "1003@2"}},
        {"1001\r\n\r\n1002\r\n", {"1001@1", "@2", "1002@3"}},
        {"  1001  \r\n 10 01 ,", {"1001@1", "10 01@2"}},
        {"\" 1001 \"\r\n\"a,b\r\nc\"x y\r\n9", {" 1001 @1", "a,b\r\nc@2", "9@4"}},
        {"\"open to the end", {"open to the end@1"}},
        {"", {}},
        {"\xe9\xff\x01\r\n", {"\xe9\xff\x01@1"}},
    };
    for (const row& r : rows) EXPECT_EQ(records_of(r.file), r.records) << r.file.toStdString();
}

TEST(download_file, a_record_longer_than_the_limit_is_known_without_being_kept) {
    EXPECT_EQ(records_of("123456789012345678\r\n1234567890123456789\r\n", 18),
              QList<QByteArray>({"123456789012345678@1", "TOO LONG:123456789012345678@2"}));
    // Ten megabytes without a line end: one record, its first bytes kept.
    const QList<QByteArray> huge = records_of(QByteArray(10 << 20, 'x'), 4096);
    ASSERT_EQ(huge.size(), 1);
    EXPECT_EQ(huge.first().size(), 4096 + 9 + 2);

    // A line without end is stopped between two blocks when the operator cancels.
    endless_device endless;
    transfer::download_file_reader reader(endless, 18);
    int checks = 0;
    reader.set_cancel_check([&checks] { return ++checks > 3; });
    EXPECT_FALSE(reader.next());
    EXPECT_TRUE(reader.cancelled() && !reader.failed());
}

// Whatever order the IDs are kept in, the same ten are named, sorted.
TEST(access_verify, names_the_first_ten_differences_in_sorted_order) {
    transfer::access_ids sent{{"1001", 0}, {"1002", 5}};
    transfer::access_ids held = sent;
    EXPECT_EQ(transfer::compare_access_lists(sent, held, true), "Verify complete - 2 IDs match");
    held["1002"] = 7;
    EXPECT_EQ(transfer::compare_access_lists(sent, held, false), "Verify complete - 2 IDs match");
    for (int i = 30; i > 18; --i) sent.insert(QByteArray::number(i), 0);
    held.insert("0999", 0);
    EXPECT_EQ(transfer::compare_access_lists(sent, held, true),
              "Verify failed - 12 missing, 1 unexpected, 1 with another schedule\r"
              "0999 unexpected\r1002 schedule\r19 missing\r20 missing\r21 missing\r"
              "22 missing\r23 missing\r24 missing\r25 missing\r26 missing");
}

}  // namespace
}  // namespace zep
