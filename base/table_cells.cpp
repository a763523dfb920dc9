#include "base/table_cells.h"

#include <cstdio>

namespace tackedit {

namespace {

bool ReadsAsFormula(std::string_view text)
{
    return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

std::string Neutralised(std::string_view text, CellKind kind)
{
    return (kind == CellKind::Text && ReadsAsFormula(text) ? "'" : "") + std::string(text);
}

} // namespace

std::string CsvCell(std::string_view text, CellKind kind)
{
    std::string cell = Neutralised(text, kind);
    if (cell.find_first_of(",\"\r\n") == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (const char c : cell) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string TsvField(std::string_view text, CellKind kind)
{
    std::string field;
    for (const char c : Neutralised(text, kind)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            field += code;
        } else {
            field += c;
        }
    }
    return field;
}

} // namespace tackedit
