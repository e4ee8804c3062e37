#pragma once

#include <QString>
#include <span>

namespace zep::data::schema {

// Field types the tables hold: texts and 16-bit integers.
enum class field_type { text, integer };

struct field {
    const char* name;
    field_type type;
    // False for the fields of our own that a database made by other means may lack.
    bool required = true;
};

struct table {
    const char* name;
    std::span<const field> fields;
};

struct index {
    const char* name;
    const char* table;
    const char* column;
    bool unique;
    // False for the indexes of our own, which a database made by other means may lack.
    bool required = true;
    // An SQL expression indexed ahead of `column`, which then orders its ties.
    const char* leading_expression = nullptr;
};

// How the log list orders by name: trimmed last name, comma, trimmed first name, a NULL
// name as empty text. A new database indexes exactly this expression, so that a page
// sorted by name reads the index instead of sorting the whole log; one made without it is
// accepted and sorts.
inline constexpr auto log_name_key =
    "ifnull(trim(lastname), '') || ',' || ifnull(trim(firstname), '')";

// The five tables in the order they are opened, and the indexes a new database gets.
std::span<const table> tables();
std::span<const index> indexes();

// The table named `name`, or nullptr.
const table* find_table(const QString& name);

}  // namespace zep::data::schema
