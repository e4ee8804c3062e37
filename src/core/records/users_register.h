#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "core/data/users_table.h"
#include "core/result.h"

namespace zep {
class operator_port;
}
namespace zep::data {
class database_file;
}

namespace zep::records {

inline constexpr auto no_users_text = "There are no users in the database. Add a user first";
inline constexpr auto select_user_first_text = "You must select a user first";
inline constexpr auto select_reader_and_schedule_text = "Please select a reader and schedule";
inline constexpr auto reader_already_defined_text = "This user already has this reader defined";
inline constexpr auto last_name_blank_text = "Last Name cannot be blank";
inline constexpr auto first_name_blank_text = "First Name cannot be blank";
inline constexpr auto id_blank_text = "ID Number cannot be blank";
inline constexpr auto user_id_used_text = "User ID already being used";
inline constexpr auto id_number_used_text = "ID number already being used";
inline constexpr int longest_user_id = 18;
inline constexpr auto id_too_long_text = "The ID may have at most 18 characters";
inline constexpr auto id_unsendable_text =
    "The ID may hold only printable characters that a reader can take";
inline constexpr auto internal_error_lower_text = "internal database error";
// Also what the readers and schedules registers say when the database fails them.
inline constexpr auto internal_error_text = "Internal Database Error";
inline constexpr auto delete_reader_question = "Delete this reader for this user";
inline constexpr auto add_user_caption = "Add New User";
inline constexpr auto modify_user_caption = "Modify User";
inline constexpr auto user_menu_hint_text = "Right Click to add,modify,delete";
inline constexpr auto assignments_heading_text = "Readers/Schedules";
inline constexpr auto all_times_text = "All times";
inline constexpr auto all_remaining_name = "all remaining";
inline constexpr auto all_times_schedule_name = "No schedule (all times)";

inline constexpr std::array<const char*, 3> user_column_headers = {"Last Name", "First Name",
                                                                   "User ID"};
inline constexpr std::array<const char*, 2> assignment_column_headers = {"Reader", "Schedule"};

// The user list: every user in `userid` order, without the access strings; empty when
// the table cannot be read.
std::vector<data::user_row> load_user_list(data::database_file& db);
// Sorts ascending as text on column 0 (Last Name), 1 (First Name) or 2 (User ID).
void sort_user_list(std::vector<data::user_row>& rows, int column);
// Which row to select after deleting row `deleted` when `remaining` rows are left; -1: none.
int selection_after_delete(int deleted, int remaining);

// One row of a user's assignment list.
struct assignment_row {
    int readernum = 0;
    QString reader;    // "005  Front door"
    QString schedule;  // "012  Day shift", or "000" for all times
};

// "Readers/Schedules for " + first + " " + last (both trimmed).
QString assignments_heading(const QString& firstname, const QString& lastname);
// Names that cannot be read show blank.
std::vector<assignment_row> assignment_list(data::database_file& db, const QString& access);
assignment_row make_assignment_row(data::database_file& db, int reader, const QString& slot_code);
// The seven cells of the weekly times row for an assignment's Schedule column.
std::array<QString, 7> weekly_times(data::database_file& db, const QString& schedule_column);

// What the reader/schedule picker hands back; an empty reader means it was cancelled.
struct assignment_choice {
    QString reader;    // "000".."126" or "998"
    QString schedule;  // "000".."099"
};

QString picker_caption(const data::user_row& user);
// "Finished": a failure is the message keeping the picker open.
status check_choice(const QString& access, const assignment_choice& choice);

// The newuser dialog's three fields as typed.
struct user_entry {
    QString firstname;
    QString lastname;
    QString userid;
};

// The questions asked before a user, or all of a user's assignments, are removed.
QString delete_user_question(const data::user_row& user);
QString clear_schedules_question(const data::user_row& user);

// Changes to the users table made from the users screen; every refusal is told to the
// operator and leaves the table unchanged. A table that cannot be read or written (busy,
// read-only, damaged, a trigger refusing) is refused as "Internal Database Error", never
// taken for a missing user or a change made.
class users_register {
  public:
    users_register(data::database_file& db, operator_port& person) : db_(db), person_(person) {}

    // The changes below that take `shown` (the user as the screen read it) write only while
    // the stored row still holds it; when another program changed it meanwhile, they say
    // changed_elsewhere_text, write nothing, and changed_elsewhere() is true until the next
    // call.

    // The stored row, or nullopt after a refusal.
    std::optional<data::user_row> add_user(const user_entry& typed);
    // Renames the user `old_userid`; the assignments stay.
    std::optional<data::user_row> modify_user(const QString& old_userid, const user_entry& typed,
                                              const data::user_row* shown = nullptr);
    // Asks first; false after No. A user someone else deleted meanwhile is gone: true.
    bool delete_user(const QString& userid);

    // Before the picker opens: the current user, or nullopt after telling why not.
    std::optional<data::user_row> begin_assignment(const QString& userid);
    // Stores the picker's choice; the assignment rows to append to the list.
    std::vector<assignment_row> store_assignment(const QString& userid,
                                                 const assignment_choice& choice,
                                                 const data::user_row* shown = nullptr);
    // Asks first.
    bool clear_schedules(const QString& userid, const data::user_row* shown = nullptr);
    // Asks first; true when the slot was blanked.
    bool delete_assignment(const QString& userid, int readernum,
                           const data::user_row* shown = nullptr);

    bool changed_elsewhere() const { return changed_elsewhere_; }

  private:
    // A failure names the first blank field, or what is wrong with the ID.
    status entry_fault(const user_entry& typed) const;
    bool refuse(const char* text);
    std::nullopt_t refuse_row(const char* text);
    // Writes `now` over `stored` while the table holds `stored`, and `stored` is what the
    // screen showed (when it says); false after telling why not.
    bool write_unchanged(const data::user_row& stored, const data::user_row& now,
                         const data::user_row* shown);

    data::database_file& db_;
    operator_port& person_;
    bool changed_elsewhere_ = false;
};

}  // namespace zep::records
