#pragma once

#include <QString>

namespace zep::records {

// The numeric value at the start of a typed text, as the edit boxes read it: leading
// blanks, an optional sign, digits and an optional fraction; anything after is ignored
// and a text without digits is 0.
double text_value(const QString& text);

}  // namespace zep::records

namespace zep::records {

// `text` without leading and trailing blanks (other white space stays).
QString trim_blanks(const QString& text);

}  // namespace zep::records
