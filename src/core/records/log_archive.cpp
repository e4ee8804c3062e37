#include "core/records/log_archive.h"

#include <algorithm>

namespace zep::records {

namespace {

archive_row shown(const data::log_list_row& row) {
    return {row.DateTime, row.lastname.trimmed() + QLatin1Char(',') + row.firstname.trimmed(),
            row.readernum, row.location, row.granted};
}

}  // namespace

qint64 log_archive::refresh() {
    last_.reset();
    const auto counted = query_.count();
    count_ = counted ? *counted : 0;
    return count_;
}

void log_archive::sort_by(int column) {
    order_ = static_cast<data::log_order>(std::clamp(column, 0, 4));
    last_.reset();
}

std::vector<archive_row> log_archive::fetch(qint64 offset, int limit) {
    const bool continues = last_ && offset == next_offset_;
    const auto rows =
        continues ? query_.page_after(order_, *last_, limit) : query_.page(order_, offset, limit);
    std::vector<archive_row> result;
    if (!rows || rows->empty()) return result;
    result.reserve(rows->size());
    for (const data::log_list_row& row : *rows) result.push_back(shown(row));
    last_ = rows->back();
    next_offset_ = offset + static_cast<qint64>(rows->size());
    return result;
}

}  // namespace zep::records
