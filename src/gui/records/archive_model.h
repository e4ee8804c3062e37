#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "core/records/log_archive.h"

namespace zep::gui {

// The log list as a table that reads the database a page at a time as the view scrolls,
// and sorts in the database: a log of a million rows opens as fast as an empty one.
class archive_model final : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int page_size = 200;

    explicit archive_model(data::database_file& db, QObject* parent = nullptr);

    // Recounts the log and starts again from its first row ("Refresh").
    void refresh();
    // Shows only the rows `filter` lets through, from the first one.
    void set_filter(const data::log_filter& filter);
    const data::log_filter& filter() const { return archive_.filter(); }
    // Always ascending, as text: the order of the list is the log's order by that column.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sort_column() const { return archive_.sort_column(); }
    qint64 total_rows() const { return archive_.row_count(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

  private:
    records::log_archive archive_;
    std::vector<records::archive_row> rows_;
};

}  // namespace zep::gui
