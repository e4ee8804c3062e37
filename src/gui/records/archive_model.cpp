#include "gui/records/archive_model.h"

namespace zep::gui {

archive_model::archive_model(data::database_file& db, QObject* parent)
    : QAbstractTableModel(parent), archive_(db) {
    archive_.refresh();
}

void archive_model::refresh() {
    beginResetModel();
    rows_.clear();
    archive_.refresh();
    endResetModel();
}

void archive_model::set_filter(const data::log_filter& filter) {
    beginResetModel();
    rows_.clear();
    archive_.set_filter(filter);
    endResetModel();
}

void archive_model::sort(int column, Qt::SortOrder) {
    if (column < 0 || column >= columnCount()) return;
    beginResetModel();
    rows_.clear();
    archive_.sort_by(column);
    endResetModel();
}

int archive_model::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int archive_model::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(records::archive_column_headers.size());
}

QVariant archive_model::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const records::archive_row& row = rows_[static_cast<size_t>(index.row())];
    switch (index.column()) {
        case 0:
            return row.date_time;
        case 1:
            return row.name;
        case 2:
            return row.readernum;
        case 3:
            return row.location;
        case 4:
            return row.granted;
        default:
            return {};
    }
}

QVariant archive_model::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (section < 0 || section >= columnCount()) return {};
    return QString::fromLatin1(records::archive_column_headers[static_cast<size_t>(section)]);
}

bool archive_model::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && static_cast<qint64>(rows_.size()) < archive_.row_count();
}

void archive_model::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    const qint64 offset = static_cast<qint64>(rows_.size());
    std::vector<records::archive_row> page = archive_.fetch(offset, page_size);
    if (page.empty()) {
        // The log shrank since it was counted; what is shown is all there is.
        archive_.refresh();
        return;
    }
    const int first = static_cast<int>(offset);
    beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(page.begin()),
                 std::make_move_iterator(page.end()));
    endInsertRows();
}

}  // namespace zep::gui
