// XRR, the XML that results systems export: Person, Boat and Team elements,
// a Team naming its boat and its crew by their ids.

#include "entries/entry_list.h"

#include "base/data_error.h"
#include "base/numbers.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cmath>
#include <map>
#include <memory>

namespace tackedit {

namespace {

std::string Attribute(xmlNode* node, const char* name)
{
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (!value)
        return {};
    std::string text(TrimBlanks(reinterpret_cast<const char*>(value)));
    xmlFree(value);
    return text;
}

// The first of the attributes that is there and not empty.
std::string FirstAttribute(xmlNode* node, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (std::string value = Attribute(node, name); !value.empty())
            return value;
    return {};
}

bool Named(xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

struct Team {
    std::string boat_id, helm_id, first_crew_id, club, event_title, rating;
};

struct Collected {
    std::map<std::string, std::string> person_names;  // PersonID -> "Given Family"
    std::map<std::string, std::pair<std::string, std::string>> boats;  // BoatID -> sail, name
    std::map<std::string, std::string> boat_ratings;
    std::vector<std::pair<std::string, Team>> teams;  // in the file's order
    std::map<std::string, std::string> team_events;   // TeamID -> the event whose results name it
};

void Walk(xmlNode* node, const std::string& event_title, Collected& out)
{
    for (; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE)
            continue;
        std::string title = event_title;
        if (Named(node, "Person")) {
            const std::string given = Attribute(node, "GivenName"), family = Attribute(node, "FamilyName");
            out.person_names[Attribute(node, "PersonID")] = given.empty() || family.empty() ? given + family
                                                                                             : given + " " + family;
        } else if (Named(node, "Boat")) {
            const std::string id = Attribute(node, "BoatID");
            out.boats[id] = {Attribute(node, "SailNumber"), Attribute(node, "BoatName")};
            out.boat_ratings[id] = FirstAttribute(node, {"TCF", "Rating", "TCC"});
        } else if (Named(node, "Team")) {
            Team team;
            team.boat_id = Attribute(node, "BoatID");
            team.club = FirstAttribute(node, {"Club", "ClubName", "NOC"});
            team.event_title = event_title;
            team.rating = FirstAttribute(node, {"TCF", "Rating", "TCC"});
            for (xmlNode* crew = node->children; crew; crew = crew->next) {
                if (!Named(crew, "Crew"))
                    continue;
                const std::string id = Attribute(crew, "PersonID");
                std::string position = Attribute(crew, "Position");
                for (char& c : position)
                    c = AsciiLower(c);
                if (team.first_crew_id.empty())
                    team.first_crew_id = id;
                if (team.helm_id.empty() && (position == "s" || position == "skipper" || position == "h" ||
                                             position == "helm" || position == "helmsman"))
                    team.helm_id = id;
            }
            out.teams.emplace_back(Attribute(node, "TeamID"), std::move(team));
            continue;
        } else if (Named(node, "Event") || Named(node, "Division")) {
            if (std::string own = Attribute(node, "Title"); !own.empty())
                title = own;
        } else if (!event_title.empty()) {
            if (std::string team = Attribute(node, "TeamID"); !team.empty())
                out.team_events.emplace(team, event_title);
        }
        Walk(node->children, title, out);
    }
}

} // namespace

EntryList ParseXrrEntryList(std::string_view bytes, const std::string& file)
{
    xmlInitParser();
    const std::unique_ptr<xmlDoc, void (*)(xmlDoc*)> doc(
        xmlReadMemory(bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), 1u << 30)), file.c_str(),
                      nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
        xmlFreeDoc);
    if (!doc) {
        const xmlError* error = xmlGetLastError();
        throw DataError(file, error ? error->line : 0, "",
                        std::string("not an entry list: the XML does not read (") +
                            (error && error->message ? std::string(TrimBlanks(error->message)) : "") + ")");
    }
    Collected found;
    Walk(xmlDocGetRootElement(doc.get()), "", found);
    if (found.teams.empty())
        throw DataError(file, 0, "", "not an entry list: the XML holds no Team element (an XRR entry list is expected)");

    EntryList list;
    for (const auto& [team_id, team] : found.teams) {
        const auto boat = found.boats.find(team.boat_id);
        if (boat == found.boats.end() || (boat->second.first.empty() && boat->second.second.empty())) {
            list.problems.push_back("team " + team_id + ": its boat " + team.boat_id +
                                    " is not in the file or has no sail number nor name; the team is left out");
            continue;
        }
        Entry entry;
        entry.sail = boat->second.first;
        entry.boat = boat->second.second;
        entry.boat_class = team.event_title;
        if (const auto event = found.team_events.find(team_id); entry.boat_class.empty() && event != found.team_events.end())
            entry.boat_class = event->second;
        const std::string& helm = team.helm_id.empty() ? team.first_crew_id : team.helm_id;
        if (const auto person = found.person_names.find(helm); person != found.person_names.end())
            entry.helm = person->second;
        entry.club = team.club;
        const std::string rating = team.rating.empty() ? found.boat_ratings[team.boat_id] : team.rating;
        if (!rating.empty()) {
            const auto tcf = ParseReal(rating);
            if (tcf && std::isfinite(static_cast<double>(*tcf)) && *tcf > 0 && *tcf < 100)
                entry.tcf = static_cast<double>(*tcf);
            else
                list.problems.push_back("team " + team_id + ": the rating '" + rating +
                                        "' is not a positive number; the boat is taken without one");
        }
        list.entries.push_back(std::move(entry));
    }
    return list;
}

} // namespace tackedit
