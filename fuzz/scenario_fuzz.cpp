// The simulator's scenario files: any bytes as the JSON of `zep-sim --scenario`. What loads
// must hold only values the simulator can run with, and the readers it describes must
// build; what does not load must say why.

#include <QByteArray>
#include <QString>
#include <algorithm>

#include "fuzz/fuzz_harness.h"
#include "sim/reader_model.h"
#include "sim/scenario.h"

namespace {

using namespace zep::sim;

// Readers are built only when their log is this short, to keep each run quick.
constexpr int longest_log_built = 500;

bool window_text(const QByteArray& day) {
    return day.size() == 8 && zep::fuzz::all_digits(day);
}

void check_faults(const reader_faults& f) {
    ZEP_FUZZ_CHECK(f.delay_ms >= 0 && f.delay_ms <= 600000);
    ZEP_FUZZ_CHECK(f.late_body_ms >= 0 && f.late_body_ms <= 600000);
    ZEP_FUZZ_CHECK(f.drop_after >= 0 && f.drop_mid_reply >= 0 && f.baud >= 0);
}

void check_reader(const reader_config& c) {
    ZEP_FUZZ_CHECK(c.address >= 0 && c.address <= 126);
    ZEP_FUZZ_CHECK(c.record_length >= 4 && c.record_length <= 40);
    ZEP_FUZZ_CHECK(c.capacity_bytes >= 1 && c.log_capacity >= 0 && c.log_capacity <= 99999);
    ZEP_FUZZ_CHECK(c.mode == 0 || c.mode == '1' || c.mode == '3' || c.mode == '4' || c.mode == '5');
    for (const access_entry& id : c.ids) ZEP_FUZZ_CHECK(id.schedule >= 0 && id.schedule <= 99);
    for (const schedule_seed& s : c.schedules) {
        ZEP_FUZZ_CHECK(s.num >= 1 && s.num <= 99);
        for (const QByteArray& day : s.days) ZEP_FUZZ_CHECK(window_text(day));
    }
    ZEP_FUZZ_CHECK(c.log.count >= 0 && c.log.count <= 99999 && c.log.denied_every >= 0);
    ZEP_FUZZ_CHECK(c.scans.empty() || (c.scan_interval_ms >= 10 && c.scan_interval_ms <= 3600000));
    check_faults(c.faults);
    if (c.log.count > longest_log_built) return;

    reader r(c);
    ZEP_FUZZ_CHECK(r.capacity() >= 0);
    ZEP_FUZZ_CHECK(r.ids.slots_used() <= std::max(r.capacity(), 0));
    ZEP_FUZZ_CHECK(r.log.size() == (r.keeps_log() ? c.log.count : 0));
    int denied = 0;
    const log_record* previous = nullptr;
    for (const log_record& record : r.log.records()) {
        ZEP_FUZZ_CHECK(record.when.isValid());
        if (previous) ZEP_FUZZ_CHECK(previous->when < record.when);
        denied += record.denied ? 1 : 0;
        previous = &record;
    }
    if (r.keeps_log() && c.log.denied_every > 0)
        ZEP_FUZZ_CHECK(denied == c.log.count / c.log.denied_every);
    for (const schedule_seed& s : c.schedules) {
        for (int day = 1; day <= 7; ++day)
            ZEP_FUZZ_CHECK(window_text(r.schedules.window(s.num, day)));
    }
}

}  // namespace

ZEP_FUZZ_TARGET(json) {
    QString error;
    const auto loaded = load_scenario(json, &error);
    ZEP_FUZZ_CHECK(loaded || !error.isEmpty());
    if (!loaded) return;
    ZEP_FUZZ_CHECK(!loaded->lines.empty());
    for (const line_config& line : loaded->lines) {
        ZEP_FUZZ_CHECK(!line.readers.empty());
        for (const reader_config& reader : line.readers) check_reader(reader);
    }
}
