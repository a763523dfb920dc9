#include "entries/entry_list.h"

#include "base/data_error.h"
#include "base/file_buffer.h"
#include "base/numbers.h"

#include <algorithm>
#include <map>

namespace tackedit {

namespace {

// The codes World Sailing's national authorities put before a sail number.
constexpr std::string_view kNationCodes =
    "AFG ALB ALG AND ANG ANT ARG ARM ARU ASA AUS AUT AZE BAH BAN BAR BDI BEL BEN BER BHU BIH BIZ BLR BOL BOT "
    "BRA BRN BRU BUL BUR CAF CAM CAN CAY CGO CHA CHI CHN CIV CMR COD COK COL COM CPV CRC CRO CUB CYP CZE DEN "
    "DJI DMA DOM ECU EGY ERI ESA ESP EST ETH FIJ FIN FRA FSM GAB GAM GBR GBS GEO GEQ GER GHA GRE GRN GUA GUI "
    "GUM GUY HAI HKG HON HUN INA IND IRI IRL IRQ ISL ISR ISV ITA IVB JAM JOR JPN KAZ KEN KGZ KIR KOR KOS KSA "
    "KUW LAO LAT LBA LBN LBR LCA LES LIE LTU LUX MAD MAR MAS MAW MDA MDV MEX MGL MHL MKD MLI MLT MNE MON MOZ "
    "MRI MTN MYA NAM NCA NED NEP NGR NIG NOR NRU NZL OMA PAK PAN PAR PER PHI PLE PLW PNG POL POR PRK PUR QAT "
    "ROU RSA RUS RWA SAM SEN SEY SGP SKN SLE SLO SMR SOL SOM SRB SRI STP SUD SUI SUR SVK SWE SWZ SYR TAN TGA "
    "THA TJK TKM TLS TOG TPE TTO TUN TUR TUV UAE UGA UKR URU USA UZB VAN VEN VIE VIN YEM ZAM ZIM";

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

} // namespace

bool IsNationCode(std::string_view letters)
{
    if (letters.size() != 3)
        return false;
    std::string upper(letters);
    for (char& c : upper)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    for (std::size_t at = 0; at + 3 <= kNationCodes.size(); at += 4)
        if (kNationCodes.substr(at, 3) == upper)
            return true;
    return false;
}

SailKey SailKeyOf(std::string_view sail)
{
    std::string compact;
    for (std::size_t i = 0; i < sail.size(); ++i) {
        const char c = sail[i];
        if (c == ' ' || c == '-' || c == '_' || c == '.' || c == '/')
            continue;
        if (sail.substr(i, 3) == "\xE3\x80\x80") {  // a full-width space
            i += 2;
            continue;
        }
        compact += AsciiLower(c);
    }
    SailKey key;
    if (compact.size() > 3 && IsAsciiLetter(compact[0]) && IsAsciiLetter(compact[1]) && IsAsciiLetter(compact[2]) &&
        IsNationCode(std::string_view(compact).substr(0, 3))) {
        key.nation = compact.substr(0, 3);
        compact.erase(0, 3);
    }
    const std::size_t digits = compact.find_first_not_of('0');
    key.number = digits == std::string::npos ? (compact.empty() ? "" : "0") : compact.substr(digits);
    return key;
}

std::vector<std::string> EntryList::Classes() const
{
    std::vector<std::string> classes;
    for (const Entry& entry : entries)
        if (!entry.boat_class.empty() &&
            std::find(classes.begin(), classes.end(), entry.boat_class) == classes.end())
            classes.push_back(entry.boat_class);
    return classes;
}

void FindDuplicateSails(EntryList& list)
{
    std::map<std::pair<std::string, std::string>, std::vector<const Entry*>> by_sail;
    for (const Entry& entry : list.entries) {
        const SailKey key = SailKeyOf(entry.sail);
        if (!key.number.empty())
            by_sail[{key.nation, key.number}].push_back(&entry);
    }
    for (const Entry& entry : list.entries) {
        const SailKey key = SailKeyOf(entry.sail);
        const auto found = by_sail.find({key.nation, key.number});
        if (found == by_sail.end() || found->second.size() < 2 || found->second.front() != &entry)
            continue;
        std::string where;
        for (std::size_t i = 0; i < found->second.size(); ++i) {
            const Entry& same = *found->second[i];
            const std::string at = same.line > 0 ? std::to_string(same.line) : "'" + same.boat + "'";
            where += (i == 0 ? "" : i + 1 == found->second.size() ? " and " : ", ") + at;
        }
        list.duplicates.push_back("sail number " + entry.sail + (entry.line > 0 ? " on lines " : " of ") + where);
    }
}

EntryList ParseEntryList(std::string_view bytes, const std::string& file)
{
    std::string_view start = bytes;
    if (start.substr(0, 3) == "\xEF\xBB\xBF")
        start.remove_prefix(3);
    start = TrimBlanks(start.substr(0, 256));
    EntryList list = !start.empty() && start[0] == '<' ? ParseXrrEntryList(bytes, file) : ParseCsvEntryList(bytes, file);
    FindDuplicateSails(list);
    return list;
}

EntryList ReadEntryList(const std::string& path)
{
    if (!FileExists(path))
        throw DataError(path, 0, "", "no such entry list");
    const FileBytes bytes = ReadWholeFile(path);
    EntryList list;
    ReadUnchanged(bytes, [&] { list = ParseEntryList(bytes.view(), path); });
    return list;
}

} // namespace tackedit
