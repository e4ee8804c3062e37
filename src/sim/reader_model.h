#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <random>
#include <vector>

namespace zep::sim {

enum class reader_family { ko, zep };

// Misbehaviour a reader can be told to show; changeable while the line runs.
struct reader_faults {
    bool silent = false;           // hears nothing, answers nothing
    bool nak = false;              // NAK to everything (plain: "?")
    bool refuse_records = false;   // the same to "u" and "l" only: uploads that never end
    bool garbage = false;          // random printable bytes, no terminator
    bool babble = false;           // printable bytes without end, until the connection closes
    int delay_ms = 0;              // wait before the reply starts
    int late_body_ms = 0;          // protocol data reply: ACK at once, the rest this much later
    int drop_after = 0;            // TCP: close the connection after this many exchanges
    int drop_mid_reply = 0;        // send only this many bytes of a reply, then (TCP) close
    int baud = 0;                  // pace replies at this line speed, 10 bits a byte
    bool split = false;            // write each reply in two pieces a few ms apart
    bool refuse_long_ids = false;  // "N" instead of silence for an ID longer than the record
    QByteArray forget_id;          // "A" for this ID, but it is never stored
};

struct access_entry {
    QByteArray id;
    int schedule = 0;
    friend bool operator==(const access_entry&, const access_entry&) = default;
};

struct schedule_seed {
    int num = 1;
    std::array<QByteArray, 7> days;  // hhmmhhmm for Monday..Sunday
};

struct log_record {
    bool denied = false;
    QDateTime when;
    QByteArray card;
};

// How to fill a reader's transaction log at start: deterministic for a given seed.
struct log_seed {
    int count = 0;
    int denied_every = 0;  // every n-th record is denied; 0: all granted
    std::vector<QByteArray> cards;
    std::uint32_t seed = 1;
    QDateTime start;  // first timestamp; invalid: a fixed default
};

// Card data formats as the NUL-led commands left them. Switches are keyed by their letters
// without "O"/"F" or the check-digit "E"/"D" ("A" Code39, "AC" its check digit, "M1" track
// 1); a switch never set is absent.
struct card_formats {
    struct mask {
        int start = 0;
        int length = 0;
        friend bool operator==(const mask&, const mask&) = default;
    };
    std::map<QByteArray, bool> switches;
    mask barcode, track1, track2;
    bool masking = false;

    // False for a command that is no card-format command.
    bool apply(QByteArrayView command);
};

struct reader_config {
    reader_family family = reader_family::zep;
    int address = 0;
    bool protocol = false;
    int record_length = 40;
    int capacity_bytes = 20000;
    int log_capacity = 5000;
    bool old_firmware = false;
    char mode = 0;     // 0: the family's usual mode
    QByteArray ident;  // empty: the family's usual text
    qint64 clock_offset_s = 0;
    std::vector<access_entry> ids;
    std::vector<schedule_seed> schedules;
    log_seed log;
    reader_faults faults;
    // X mode: these cards are printed unprompted, one every scan_interval_ms, round and round.
    std::vector<QByteArray> scans;
    int scan_interval_ms = 0;
};

// The reader's access list. A deleted ID keeps its slot until a new ID reuses it, so
// the memory report counts it as used.
class access_list {
  public:
    enum class store_result { stored, full };

    store_result store(QByteArrayView id, int schedule, int capacity);
    bool remove(QByteArrayView id);
    void clear();
    int slots_used() const { return static_cast<int>(slots_.size()); }
    std::vector<access_entry> entries() const;  // live IDs in slot order
    std::optional<int> schedule_of(QByteArrayView id) const;

    void restart_upload() { cursor_ = 0; }
    std::optional<access_entry> next_upload();

    // IDs are right-justified: leading blanks mean nothing, leading zeros do.
    static QByteArray normalized(QByteArrayView id);

  private:
    struct slot {
        QByteArray id;
        int schedule = 0;
        bool live = true;
    };
    int find(QByteArrayView normalized_id) const;

    std::vector<slot> slots_;
    std::size_t cursor_ = 0;
};

// Schedules 1..99, each with one time window per weekday.
class schedule_table {
  public:
    static constexpr int count = 99;
    static constexpr char never_set[] = "00000000";

    void set_day(int num, int day, QByteArrayView window);
    QByteArray window(int num, int day) const;
    void clear();

  private:
    std::array<std::array<QByteArray, 7>, count> windows_{};
};

class transaction_log {
  public:
    void append(log_record record) { records_.push_back(std::move(record)); }
    void clear();
    int size() const { return static_cast<int>(records_.size()); }
    const std::vector<log_record>& records() const { return records_; }

    void restart_upload() { cursor_ = 0; }
    const log_record* next_upload();

  private:
    std::vector<log_record> records_;
    std::size_t cursor_ = 0;
};

// One simulated reader: what it stores and how it is set up. Tests reach it through
// sim_network::with_reader and may read or change any field.
struct reader {
    explicit reader(const reader_config& config = {});

    static constexpr int history_limit = 1000;
    static constexpr int setup_limit = 50;
    static constexpr int default_relay_time = 5;
    static constexpr int default_red_led_time = 5;

    reader_family family;
    int address;
    bool protocol;
    int record_length;
    int capacity_bytes;
    int log_capacity;
    bool old_firmware;
    char mode;
    QByteArray ident;
    qint64 clock_offset_s;
    reader_faults faults;

    int relay_time = default_relay_time;
    int red_led_time = default_red_led_time;
    bool rs232_logging = false;
    bool bad_logging = false;
    bool log_full = false;
    int last_weekday = 0;  // digit sent with the last valid "+", 0 before any

    card_formats formats;
    access_list ids;
    schedule_table schedules;
    transaction_log log;

    std::deque<QByteArray> history;         // every command text received
    std::deque<QByteArray> setup_commands;  // symbology and mask commands, without NUL

    int exchanges = 0;  // since the last dropped connection
    std::vector<QByteArray> scans;
    int scan_interval_ms = 0;
    std::size_t next_scan = 0;
    std::mt19937 noise;

    int capacity() const;  // access-list slots at the current record length
    bool keeps_log() const { return family == reader_family::zep; }
    QDateTime clock(const QDateTime& now) const { return now.addSecs(clock_offset_s); }
    void set_record_length(int length);
    void factory_reset();
    void note_received(const QByteArray& command);
    void note_setup(const QByteArray& command);
    // The next scan an X-mode reader prints (card CR); nullopt in any other mode.
    std::optional<QByteArray> take_scan();
};

void seed_log(transaction_log& log, const log_seed& seed);

// The host's wall clock as UTC-labelled local time, so offsets never meet a DST jump.
QDateTime wall_clock_now();

QByteArray default_ident(reader_family family);

}  // namespace zep::sim
