#include "core/autorun/override_selection.h"

#include <algorithm>

#include "core/data/readers_table.h"

namespace zep::autorun {

namespace {

bool in_range(int readernum) {
    return readernum >= 0 && readernum < records::reader_slots;
}

QString box_caption(int readernum, const QString& location) {
    return records::reader_number_text(readernum) + QLatin1Char(' ') + location;
}

}  // namespace

bool override_selection::selected(int readernum) const {
    return in_range(readernum) && entries_[static_cast<std::size_t>(readernum)] == 1;
}

int override_selection::selected_count() const {
    if (pending_) return 0;
    return static_cast<int>(std::count(entries_.begin(), entries_.end(), 1));
}

override_boxes override_selection::loadup(const std::vector<data::reader_row>& rows) {
    if (pending_) entries_.fill(0);
    override_boxes boxes;
    for (int k = 0; k < records::reader_slots; ++k) {
        boxes[static_cast<std::size_t>(k)].caption = box_caption(k, QString());
    }
    for (const data::reader_row& row : rows) {
        if (!in_range(row.readernum)) continue;
        const auto k = static_cast<std::size_t>(row.readernum);
        boxes[k].caption = box_caption(row.readernum, row.location);
        if (pending_) entries_[k] = row.active.trimmed() == QLatin1String("Y") ? 1 : 0;
    }
    for (std::size_t k = 0; k < boxes.size(); ++k) boxes[k].checked = entries_[k] == 1;
    pending_ = false;
    return boxes;
}

void override_selection::set(int readernum, bool checked) {
    if (in_range(readernum)) entries_[static_cast<std::size_t>(readernum)] = checked ? 1 : 0;
}

void override_selection::clear_all() {
    entries_.fill(0);
}

records::target_flags override_selection::targets(const std::vector<data::reader_row>& rows) const {
    if (pending_) return records::active_marks(rows);
    records::target_flags flags;
    for (int k = 0; k < records::reader_slots; ++k) {
        if (selected(k)) flags.set(static_cast<std::size_t>(k));
    }
    return flags;
}

override_selection& program_override_selection() {
    static override_selection selection;
    return selection;
}

status override_screen_refusal(data::readers_table& readers) {
    const auto count = readers.count();
    if (!count) return count.as_status();
    if (*count > 0) return {};
    return status::failure(QString::fromLatin1(no_readers_in_system_text));
}

}  // namespace zep::autorun
