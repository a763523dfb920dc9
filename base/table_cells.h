#pragma once

// Cells of the comma- and tab-separated tables we print, made safe to open in
// a spreadsheet and to read back line by line.

#include <string>
#include <string_view>

namespace tackedit {

// Text: a name or message from a user or a file. Own: a number, time or word
// we formatted ourselves ("-3.5", "1:02:03.4"), which must stay a value.
enum class CellKind { Text, Own };

// One CSV cell (RFC 4180): quoted when it holds a comma, a quote, CR or LF,
// its quotes doubled. Text starting with =, +, -, @, TAB or CR gets a leading
// apostrophe so that a spreadsheet shows it instead of running it as a formula.
std::string CsvCell(std::string_view text, CellKind kind = CellKind::Text);

// One field of a tab-separated line: the apostrophe rule as for CSV, and TAB,
// CR, LF and the other control characters written out as \x09, \x0D, \x0A ...
// so that the field never splits its line or its row.
std::string TsvField(std::string_view text, CellKind kind = CellKind::Text);

} // namespace tackedit
