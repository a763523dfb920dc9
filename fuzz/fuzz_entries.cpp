// The entry list reader (CSV in any of its spellings, or XRR) on any bytes:
// a DataError or a list, and every entry it keeps names a boat by its sail
// number or its name.
#include "fuzz/fuzz_common.h"
#include "entries/entry_list.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    return {"Sail No,Boat,Class,Helm,TCF,Track\r\nJPN 45,\"Kaze, 2\",J24,Sato,\"1,025\",a.gpx\r\n,,,\r\n4012,Hayate,,,0.98,\r\n",
            "\xEF\xBB\xBF" "セール番号;艇名;クラス\n12;海風;Open\n",
            "sail\tyacht\tdevice\nGBR1234\tBlue\t3912345678\n",
            "<?xml version=\"1.0\"?><RegattaResults><Event><Division Title=\"ILCA 7\"/></Event>"
            "<Person PersonID=\"P1\" GivenName=\"Ken\" FamilyName=\"Ito\"/><Boat BoatID=\"B1\" SailNumber=\"JPN 7\" "
            "BoatName=\"Nami\"/><Team TeamID=\"T1\" BoatID=\"B1\"><Crew PersonID=\"P1\" Position=\"Skipper\"/></Team>"
            "</RegattaResults>"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    EntryList list;
    try {
        list = ParseEntryList(fuzz::Bytes(data, size), "fuzz.csv");
    } catch (const DataError&) {
        return 0;
    }
    for (const Entry& e : list.entries)
        fuzz::Check(!e.sail.empty() || !e.boat.empty(), "an entry names its boat");
    list.Classes();
    return 0;
}
