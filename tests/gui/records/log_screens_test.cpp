#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include "core/data/log_table.h"
#include "core/records/utility_file.h"
#include "gui/records/archive_form.h"
#include "gui/records/archive_model.h"
#include "gui/records/dbutil_form.h"
#include "tests/gui/records/records_test_support.h"

namespace zep::test {
namespace {

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void press(QWidget* parent, const char* name) {
    auto* button = parent->findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

QString cell(const QTableView* view, int row, int column) {
    return view->model()->index(row, column).data().toString();
}

struct log_fixture : ::testing::Test {
    records_program program;

    void SetUp() override {
        program.add_log("2005-03-02 09:00:00", "3", "Smith", "Ann", "99", "Back");
        program.add_log("2005-03-01 08:00:00", "005", "Li ", "Bo", "1234", "Front", "N");
        program.add_log("2005-02-28 23:59:59", "005", "Adams", "Al", "7", "Front");
    }
    QString out(const char* name) { return program.folder.db_path() + QStringLiteral(".") + name; }
};

TEST_F(log_fixture, archive_lists_the_log_sorted_in_the_database_and_fetches_lazily) {
    auto* screen = program.open<gui::archive_form>("archive");
    ASSERT_NE(screen, nullptr);
    QTableView* view = child<QTableView>(screen, "log_list");
    auto* model = qobject_cast<gui::archive_model*>(view->model());
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->rowCount(), 3);
    QStringList headers;
    for (int c = 0; c < 5; ++c) headers << view->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers, (QStringList{"Date/Time", "Name", "Reader #", "Location", "Granted"}));
    EXPECT_EQ(cell(view, 0, 0), QStringLiteral("2005-02-28 23:59:59"));
    EXPECT_EQ(cell(view, 1, 1), QStringLiteral("Li,Bo"));
    EXPECT_EQ(cell(view, 2, 2), QStringLiteral("3"));
    EXPECT_EQ(cell(view, 1, 4), QStringLiteral("N"));

    QHeaderView* header = view->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_EQ(cell(view, 0, 1), QStringLiteral("Adams,Al"));
    EXPECT_EQ(cell(view, 2, 1), QStringLiteral("Smith,Ann"));
    EXPECT_EQ(model->sort_column(), 1);

    // A long log: the view holds a page, not the table.
    std::vector<data::log_row> rows(1000);
    for (int i = 0; i < 1000; ++i) {
        rows[static_cast<size_t>(i)].DateTime =
            QStringLiteral("2006-01-01 00:%1:00").arg(i % 60, 2, 10, QLatin1Char('0'));
        rows[static_cast<size_t>(i)].lastname =
            QStringLiteral("Zed%1").arg(i, 4, 10, QLatin1Char('0'));
        rows[static_cast<size_t>(i)].readernum = QStringLiteral("1");
    }
    ASSERT_TRUE(data::log_table(program.db()).insert_all(rows));
    QTest::mouseClick(screen->findChild<QPushButton*>(QStringLiteral("refresh_button")),
                      Qt::LeftButton);
    EXPECT_EQ(model->total_rows(), 1003);
    EXPECT_LT(view->model()->rowCount(), 1003);
    EXPECT_EQ(cell(view, 3, 1), QStringLiteral("Zed0000,"));
    view->scrollToBottom();
    EXPECT_TRUE(wait_until([&] {
        view->scrollToBottom();
        return view->model()->rowCount() == 1003;
    }));
    EXPECT_EQ(cell(view, 1002, 1), QStringLiteral("Zed0999,"));
}

TEST_F(log_fixture, export_writes_both_layouts_byte_for_byte) {
    auto* screen = program.open<gui::dbutil_form>("dbutil");
    ASSERT_NE(screen, nullptr);
    auto* export_start = child<QLineEdit>(screen, "export_start_date");
    auto* export_end = child<QLineEdit>(screen, "export_end_date");
    auto* reader = child<QLineEdit>(screen, "export_reader");
    const QString today = records::date_box_text(QDate::currentDate());
    EXPECT_EQ(child<QLineEdit>(screen, "delete_start_date")->text(), today);
    EXPECT_TRUE(child<QRadioButton>(screen, "fixed_format")->isChecked());
    auto* series = screen->findChild<QGroupBox*>(QStringLiteral("add_series_panel"));
    EXPECT_FALSE(series->isEnabled());
    EXPECT_TRUE(series->findChild<QLabel*>(QStringLiteral("series_note"))->isVisible());

    export_start->setText(QStringLiteral("03-01-2005"));
    export_end->setText(QStringLiteral("03-01-2005"));
    program.answers.file_answers = {out("fixed")};
    press(screen, "export_log_button");
    const QByteArray fixed = "2005-03-01 08:00:00 " + QByteArray("Li").leftJustified(20) + ' ' +
                             QByteArray("Bo").leftJustified(20) + ' ' +
                             QByteArray("1234").leftJustified(18) + " 005 " +
                             QByteArray("Front").leftJustified(15) + " N\r\r\n";
    EXPECT_EQ(file_bytes(out("fixed")), fixed);
    EXPECT_EQ(program.answers.file_requests, QStringList{"save|extract.txt|Text (*.txt)|*.txt"});

    QTest::mouseClick(child<QRadioButton>(screen, "comma_delimited"), Qt::LeftButton, {},
                      QPoint(8, 8));
    EXPECT_FALSE(program.state().marker.export_fixed);
    export_end->setText(QStringLiteral("03-02-2005"));
    program.answers.file_answers = {out("comma")};
    press(screen, "export_log_button");
    EXPECT_EQ(file_bytes(out("comma")),
              QByteArray("2005-03-01 08:00:00,Li,Bo,1234,005,Front,N\r\r\n"
                         "2005-03-02 09:00:00,Smith,Ann,99,003,Back,Y\r\r\n"));
    EXPECT_EQ(program.answers.messages, (QStringList{"Export Complete", "Export Complete"}));
    EXPECT_TRUE(child<QLabel>(screen, "dbutil_status")->text().isEmpty());

    // Refusals write nothing.
    QTest::keyClicks(reader, QStringLiteral("1x27"));
    EXPECT_EQ(reader->text(), QStringLiteral("127"));
    program.answers.file_answers = {out("refused")};
    press(screen, "export_log_button");
    reader->clear();
    export_start->setText(QStringLiteral("02-30-2005"));
    press(screen, "export_log_button");
    EXPECT_EQ(program.answers.messages.mid(2),
              (QStringList{"Reader number must be < 127",
                           records::invalid_date_text("Export Start Date")}));
    EXPECT_FALSE(QFile::exists(out("refused")));
}

TEST_F(log_fixture, delete_reports_the_count_and_the_employee_list_exports) {
    auto* screen = program.open<gui::dbutil_form>("dbutil");
    child<QLineEdit>(screen, "delete_start_date")->setText(QStringLiteral("03-01-2005"));
    child<QLineEdit>(screen, "delete_end_date")->setText(QStringLiteral("03-02-2005"));
    press(screen, "delete_log_button");
    press(screen, "delete_log_button");
    EXPECT_EQ(program.answers.messages, (QStringList{"Deletion Complete - 2 Records Deleted",
                                                     "Deletion Complete - 0 Records Deleted"}));
    EXPECT_EQ(*data::log_table(program.db()).count(), 1);

    program.answers.file_answers = {out("none")};
    press(screen, "export_employees_button");
    EXPECT_EQ(program.answers.messages.last(),
              QStringLiteral("There are no employees in the file"));
    EXPECT_EQ(file_bytes(out("none")), QByteArray());

    program.add_user("1234", "Smith", "Ann");
    program.answers.file_answers = {out("employees")};
    press(screen, "export_employees_button");
    EXPECT_EQ(file_bytes(out("employees")),
              QByteArray("Smith,Ann").leftJustified(30) + "     1234\r\r\n");
    EXPECT_EQ(program.answers.file_requests.last(),
              QStringLiteral("save|employees.txt|Text (*.txt)|*.txt"));
}

TEST(dbutil_screen, shows_and_remembers_the_marker_choices) {
    records_program program;
    program.state().marker = {true, false};
    auto* screen = program.open<gui::dbutil_form>("dbutil");
    EXPECT_TRUE(child<QRadioButton>(screen, "comma_delimited")->isChecked());
    EXPECT_TRUE(screen->findChild<QCheckBox*>(QStringLiteral("add_to_all_active"))->isChecked());
    QTest::mouseClick(child<QRadioButton>(screen, "fixed_format"), Qt::LeftButton, {},
                      QPoint(8, 8));
    EXPECT_TRUE(program.state().marker.export_fixed);
    EXPECT_EQ(child<QLineEdit>(screen, "export_start_date")->text(),
              child<QLineEdit>(screen, "export_end_date")->text());
}

}  // namespace
}  // namespace zep::test
