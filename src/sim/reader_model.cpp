#include "sim/reader_model.h"

#include <algorithm>

namespace zep::sim {

namespace {

char usual_mode(reader_family family) {
    return family == reader_family::ko ? '3' : '4';
}

QDateTime default_log_start() {
    return QDateTime(QDate(2024, 1, 2), QTime(7, 30), Qt::UTC);
}

QByteArray generated_card(std::mt19937& rng) {
    return QByteArray::number(100000 + static_cast<int>(rng() % 900000));
}

}  // namespace

QByteArray access_list::normalized(QByteArrayView id) {
    qsizetype first = 0;
    while (first < id.size() && id[first] == ' ') ++first;
    return id.sliced(first).toByteArray();
}

int access_list::find(QByteArrayView normalized_id) const {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].live && slots_[i].id == normalized_id) return static_cast<int>(i);
    }
    return -1;
}

access_list::store_result access_list::store(QByteArrayView id, int schedule, int capacity) {
    const QByteArray key = normalized(id);
    if (const int at = find(key); at >= 0) {
        slots_[at].schedule = schedule;
        return store_result::stored;
    }
    auto free = std::find_if(slots_.begin(), slots_.end(), [](const slot& s) { return !s.live; });
    if (free != slots_.end()) {
        *free = slot{key, schedule, true};
        return store_result::stored;
    }
    if (slots_used() >= capacity) return store_result::full;
    slots_.push_back(slot{key, schedule, true});
    return store_result::stored;
}

bool access_list::remove(QByteArrayView id) {
    const int at = find(normalized(id));
    if (at < 0) return false;
    slots_[at].live = false;
    return true;
}

void access_list::clear() {
    slots_.clear();
    cursor_ = 0;
}

std::vector<access_entry> access_list::entries() const {
    std::vector<access_entry> live;
    for (const slot& s : slots_) {
        if (s.live) live.push_back({s.id, s.schedule});
    }
    return live;
}

std::optional<int> access_list::schedule_of(QByteArrayView id) const {
    const int at = find(normalized(id));
    if (at < 0) return std::nullopt;
    return slots_[at].schedule;
}

std::optional<access_entry> access_list::next_upload() {
    while (cursor_ < slots_.size()) {
        const slot& s = slots_[cursor_++];
        if (s.live) return access_entry{s.id, s.schedule};
    }
    return std::nullopt;
}

void schedule_table::set_day(int num, int day, QByteArrayView window) {
    if (num < 1 || num > count || day < 1 || day > 7) return;
    windows_[num - 1][day - 1] = window.toByteArray();
}

QByteArray schedule_table::window(int num, int day) const {
    if (num < 1 || num > count || day < 1 || day > 7) return never_set;
    const QByteArray& w = windows_[num - 1][day - 1];
    return w.isEmpty() ? QByteArray(never_set) : w;
}

void schedule_table::clear() {
    windows_ = {};
}

void transaction_log::clear() {
    records_.clear();
    cursor_ = 0;
}

const log_record* transaction_log::next_upload() {
    if (cursor_ >= records_.size()) return nullptr;
    return &records_[cursor_++];
}

reader::reader(const reader_config& config)
    : family(config.family),
      address(config.address),
      protocol(config.protocol),
      record_length(config.record_length),
      capacity_bytes(config.capacity_bytes),
      log_capacity(config.log_capacity),
      old_firmware(config.old_firmware),
      mode(config.mode != 0 ? config.mode : usual_mode(config.family)),
      ident(config.ident.isEmpty() ? default_ident(config.family) : config.ident),
      clock_offset_s(config.clock_offset_s),
      faults(config.faults),
      scans(config.scans),
      scan_interval_ms(config.scan_interval_ms),
      noise(static_cast<std::uint32_t>(config.address) + 1u) {
    for (const access_entry& e : config.ids) ids.store(e.id, e.schedule, capacity());
    for (const schedule_seed& s : config.schedules) {
        for (int day = 1; day <= 7; ++day) schedules.set_day(s.num, day, s.days[day - 1]);
    }
    if (keeps_log()) seed_log(log, config.log);
}

int reader::capacity() const {
    return capacity_bytes / (record_length + 1);
}

void reader::set_record_length(int length) {
    record_length = length;
    ids.clear();
}

void reader::factory_reset() {
    address = 0;
    protocol = false;
    mode = usual_mode(family);
    rs232_logging = false;
    bad_logging = false;
    formats = {};
    ids.clear();
    log.clear();
    schedules.clear();
    record_length = 40;
    relay_time = default_relay_time;
    red_led_time = default_red_led_time;
    log_full = false;
}

void reader::note_received(const QByteArray& command) {
    history.push_back(command);
    if (history.size() > history_limit) history.pop_front();
}

bool card_formats::apply(QByteArrayView command) {
    // Check digits say "E" or "D" for on, as each symbology has it; the rest "O" and "F".
    static const std::map<QByteArrayView, std::pair<QByteArray, bool>> letters{
        {"ACE", {"AC", true}},  {"ACD", {"AC", false}}, {"HCD", {"HC", true}},
        {"HCE", {"HC", false}}, {"BCD", {"BC", true}},  {"BCE", {"BC", false}}};
    if (const auto found = letters.find(command); found != letters.end()) {
        switches[found->second.first] = found->second.second;
        return true;
    }
    if (command == "TA" || command == "TR") {
        masking = command == "TA";
        if (!masking) barcode = track1 = track2 = {};
        return true;
    }
    if (command.size() == 7 && command.startsWith("T0")) {
        const int start = command.sliced(3, 2).toInt(), length = command.sliced(5, 2).toInt();
        mask* which = command[2] == '0'   ? &barcode
                      : command[2] == ':' ? &track1
                      : command[2] == '5' ? &track2
                                          : nullptr;
        if (which == nullptr) return false;
        *which = {start, length};
        return true;
    }
    if (command.size() < 2 || !(command.endsWith('O') || command.endsWith('F'))) return false;
    switches[command.chopped(1).toByteArray()] = command.endsWith('O');
    return true;
}

void reader::note_setup(const QByteArray& command) {
    formats.apply(command);
    setup_commands.push_back(command);
    if (setup_commands.size() > setup_limit) setup_commands.pop_front();
}

std::optional<QByteArray> reader::take_scan() {
    if (mode != '1' || scans.empty()) return std::nullopt;
    const QByteArray card = scans[next_scan++ % scans.size()];
    return card + '\r';
}

void seed_log(transaction_log& log, const log_seed& seed) {
    std::mt19937 rng(seed.seed);
    QDateTime when = seed.start.isValid() ? seed.start : default_log_start();
    for (int i = 1; i <= seed.count; ++i) {
        const QByteArray card =
            seed.cards.empty() ? generated_card(rng) : seed.cards[rng() % seed.cards.size()];
        const bool denied = seed.denied_every > 0 && i % seed.denied_every == 0;
        log.append({denied, when, card});
        when = when.addSecs(30 + static_cast<int>(rng() % 870));
    }
}

QDateTime wall_clock_now() {
    const QDateTime local = QDateTime::currentDateTime();
    return QDateTime(local.date(), local.time(), Qt::UTC);
}

QByteArray default_ident(reader_family family) {
    return family == reader_family::ko ? "KO Reader V4.12 (simulated)"
                                       : "ZEP Reader V4.12 (simulated)";
}

}  // namespace zep::sim
