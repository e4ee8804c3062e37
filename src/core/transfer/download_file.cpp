#include "core/transfer/download_file.h"

#include <algorithm>

namespace zep::transfer {

namespace {

constexpr qint64 chunk = 64 * 1024;

bool ends_record(char c) {
    return c == '\r' || c == '\n' || c == ',';
}

}  // namespace

download_file_reader::download_file_reader(QIODevice& file, qsizetype longest)
    : file_(file), longest_(longest) {}

std::optional<char> download_file_reader::peek() {
    if (pos_ >= buffer_.size()) {
        if (failed_) return std::nullopt;
        buffer_.resize(chunk);
        const qint64 got = file_.read(buffer_.data(), chunk);
        buffer_.resize(std::max<qint64>(got, 0));
        pos_ = 0;
        if (got < 0) failed_ = true;
        if (got <= 0) return std::nullopt;
    }
    return buffer_[pos_];
}

std::optional<char> download_file_reader::get() {
    const auto c = peek();
    if (c) ++pos_;
    return c;
}

// Keeps one byte more than the longest record: enough to know it is too long.
void download_file_reader::keep(download_record& record, char c) const {
    if (record.text.size() <= longest_) {
        record.text.append(c);
    } else {
        record.too_long = true;
    }
}

// CR LF is one line end.
void download_file_reader::end_line(char terminator) {
    if (terminator == '\r' && peek() == '\n') get();
}

std::optional<download_record> download_file_reader::next() {
    auto c = get();
    while (c == ' ') c = get();
    if (!c) return std::nullopt;

    download_record record;
    if (*c == '"') {
        while ((c = get()) && *c != '"') keep(record, *c);
        // What follows the closing quote, up to the end of the record, is not part of it.
        while ((c = get()) && !ends_record(*c)) {
        }
    } else {
        qsizetype blanks = 0;  // trailing blanks, kept until a non-blank shows they are inner
        for (; c && !ends_record(*c); c = get()) {
            if (*c == ' ') {
                ++blanks;
                continue;
            }
            for (; blanks > 0; --blanks) keep(record, ' ');
            keep(record, *c);
        }
    }
    if (record.text.size() > longest_) {
        record.text.truncate(longest_);
        record.too_long = true;
    }
    if (c) end_line(*c);
    return record;
}

}  // namespace zep::transfer
