#pragma once

#include <QString>

namespace zep::records {

// One CSV field (RFC 4180): quoted, with quotes doubled, when it holds a quote, a comma, a
// line end, or a blank at either end (which a reader would otherwise trim).
QString csv_field(const QString& text);

// A text that starts with =, +, - or @ gets a leading apostrophe, so that a spreadsheet
// opening the file shows it instead of running it as a formula.
QString formula_guarded(const QString& text);
// The text as it was before formula_guarded.
QString formula_unguarded(const QString& text);

}  // namespace zep::records
