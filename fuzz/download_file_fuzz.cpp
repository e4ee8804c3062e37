// The reader of download files (access lists, schedules) over any bytes. Input: byte 0 is
// the longest record the caller accepts; the rest is the file.

#include <QBuffer>
#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/transfer/download_file.h"
#include "fuzz/fuzz_harness.h"

namespace {

using zep::transfer::download_file_reader;
using zep::transfer::download_record;

// A file that hands out at most `piece` bytes a read, as a pipe or a slow disk may, so
// records and CR LF pairs straddle the reader's refills.
class trickle_file : public QIODevice {
  public:
    trickle_file(const QByteArray& bytes, qsizetype piece) : bytes_(bytes), piece_(piece) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char* out, qint64 most) override {
        const qint64 n = std::min<qint64>({most, piece_, bytes_.size() - taken_});
        std::memcpy(out, bytes_.constData() + taken_, static_cast<size_t>(n));
        taken_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    const QByteArray& bytes_;
    qsizetype piece_;
    qsizetype taken_ = 0;
};

struct record {
    QByteArray text;
    bool too_long = false;
    bool operator==(const record&) const = default;
};

std::vector<record> read_all(QIODevice& file, qsizetype longest) {
    download_file_reader reader(file, longest);
    std::vector<record> records;
    while (const auto next = reader.next()) {
        ZEP_FUZZ_CHECK(next->text.size() <= longest);
        records.push_back({next->text, next->too_long});
    }
    ZEP_FUZZ_CHECK(!reader.failed());
    return records;
}

std::vector<record> read_bytes(QByteArray bytes, qsizetype longest) {
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    return read_all(file, longest);
}

bool has_any(const QByteArray& text, std::string_view chars) {
    return std::any_of(text.begin(), text.end(),
                       [&](char c) { return chars.find(c) != std::string_view::npos; });
}

// Writes the records back as a file: quoted where the text allows, as is otherwise.
QByteArray written(const std::vector<record>& records) {
    QByteArray file;
    for (const record& r : records) {
        file += r.text.contains('"') ? r.text : '"' + r.text + '"';
        file += "\r\n";
    }
    return file;
}

}  // namespace

ZEP_FUZZ_TARGET(input) {
    if (input.isEmpty()) return;
    const qsizetype longest = zep::fuzz::byte_at(input, 0);
    const QByteArray bytes = input.sliced(1);

    const std::vector<record> records = read_bytes(bytes, longest);
    trickle_file trickle(bytes, 1 + longest % 7);
    ZEP_FUZZ_CHECK(read_all(trickle, longest) == records);

    // With room for anything, the same records whole; the limit only cuts them.
    const std::vector<record> whole = read_bytes(bytes, bytes.size() + 1);
    ZEP_FUZZ_CHECK(whole.size() == records.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        ZEP_FUZZ_CHECK(!whole[i].too_long);
        ZEP_FUZZ_CHECK(records[i].text == whole[i].text.left(longest));
        ZEP_FUZZ_CHECK(records[i].too_long == (whole[i].text.size() > longest));
        // A record holding a separator or an outer blank was quoted, so it holds no quote.
        const QByteArray& text = whole[i].text;
        if (has_any(text, ",\r\n") || text.startsWith(' ') || text.endsWith(' '))
            ZEP_FUZZ_CHECK(!text.contains('"'));
    }
    ZEP_FUZZ_CHECK(read_bytes(written(whole), bytes.size() + 3) == whole);
}
