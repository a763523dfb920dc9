#include "track/xml_track.h"

#include "track/data_error.h"
#include "track/numbers.h"

#include <expat.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>

namespace tackedit::xml {

std::string_view LocalName(std::string_view name)
{
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

void Pairing::Add(const Item& item, std::vector<TrackPoint>& points)
{
    switch (item.kind) {
    case Item::Point: points.push_back({item.time, item.lat, item.lon}); return;
    case Item::When: whens_.push_back(item.time); break;
    case Item::Coord: coords_.emplace_back(item.lat, item.lon); break;
    case Item::TrackEnd:
        unpaired_ += static_cast<std::int64_t>(whens_.size() + coords_.size());
        whens_.clear();
        coords_.clear();
        return;
    case Item::Skipped: ++skipped_; return;
    case Item::Untimed: ++untimed_; return;
    }
    // A track lists its times and positions in any order; the n-th of each pair.
    while (!whens_.empty() && !coords_.empty()) {
        points.push_back({whens_.front(), coords_.front().first, coords_.front().second});
        whens_.pop_front();
        coords_.pop_front();
    }
}

void Pairing::Finish(const Format& format, std::int32_t points, std::vector<std::string>& notes)
{
    unpaired_ += static_cast<std::int64_t>(whens_.size() + coords_.size());
    if (skipped_ > 0)
        notes.push_back(std::to_string(skipped_) + " trackpoints without a time or a position were left out");
    if (unpaired_ > 0)
        notes.push_back(std::to_string(unpaired_) + " times or positions of a track without their pair were left out");
    if (points > 0 || skipped_ > 0)
        return;
    if (untimed_ > 0)
        notes.push_back("the file holds no times: its " + std::to_string(untimed_) +
                        " positions are lines or places without a time");
    else if (unpaired_ == 0)
        notes.push_back(std::string("the file holds no ") + format.point_words);
}

namespace {

constexpr std::size_t kMaxText = 256;  // of a value: more is not a number or a time anyway
constexpr const char* kCutMark = "tackedit-cut";

// One expat parser, the elements it has open and the items it made.
class Parser {
public:
    // context: the elements a piece starts in; nullptr for the start of a document.
    Parser(const Format& format, const std::string& file, const OpenElements* context)
        : format_(format), file_(file), reader_(format.make_reader()),
          parser_(XML_ParserCreate(context ? "UTF-8" : nullptr))
    {
        if (!parser_)
            throw std::bad_alloc();
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, OnStart, OnEnd);
        XML_SetCharacterDataHandler(parser_, OnText);
        if (!context) {
            XML_SetXmlDeclHandler(parser_, OnDeclaration);
            XML_SetStartDoctypeDeclHandler(parser_, OnDoctype);
            return;
        }
        std::string prefix;
        for (const std::string& name : *context)
            prefix += "<" + name + ">";
        in_prefix_ = true;
        Feed(prefix, false);
        in_prefix_ = false;
    }
    ~Parser() { XML_ParserFree(parser_); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // False once an error stopped the parse (error says which).
    bool Feed(std::string_view bytes, bool last)
    {
        while (!error && (!bytes.empty() || last)) {
            // Once a chunk leaves a token unfinished, expat copies every later
            // chunk into its own buffer: small chunks keep that buffer small.
            const std::size_t n = std::min<std::size_t>(bytes.size(), 1 << 20);
            const bool final = last && n == bytes.size();
            if (XML_Parse(parser_, bytes.data(), static_cast<int>(n), final) == XML_STATUS_ERROR && !error) {
                // Past the root, expat names the same fault by where its buffer
                // ended; one name keeps pieces and one pass alike.
                const XML_Error code = root_seen_ && open_.empty() ? XML_ERROR_JUNK_AFTER_DOC_ELEMENT
                                                                     : XML_GetErrorCode(parser_);
                error = std::make_exception_ptr(DataError(file_, Line(), "",
                    std::string("the ") + format_.name + " file is not well-formed XML: " + XML_ErrorString(code)));
            }
            bytes.remove_prefix(n);
            if (final)
                break;
        }
        return !error;
    }

    // After a piece: true when it ended between tags, in elements a piece may start in.
    bool EndsCleanly()
    {
        if (error)
            return false;
        at_cut_ = true;
        XML_Parse(parser_, "<tackedit-cut/>", 15, XML_FALSE);
        return cut_seen_ && reader_->CanStartIn(open_);
    }

    bool CanStartIn(const OpenElements& open) const { return reader_->CanStartIn(open); }

    std::vector<Item> items;
    std::exception_ptr error;
    OpenElements open;  // where the piece ended: the elements open then
    std::int64_t lines = 0;  // line breaks before that end, as expat counts them
    bool one_pass_only = false;  // a document type or an encoding other than UTF-8

private:
    std::int64_t Line() const { return static_cast<std::int64_t>(XML_GetCurrentLineNumber(parser_)); }

    static void OnStart(void* user, const XML_Char* name, const XML_Char**)
    {
        auto& self = *static_cast<Parser*>(user);
        if (self.at_cut_) {
            self.cut_seen_ = std::strcmp(name, kCutMark) == 0;
            self.open = self.open_;
            self.lines = self.Line() - 1;
            XML_StopParser(self.parser_, XML_FALSE);
            return;
        }
        self.open_.emplace_back(name);
        self.root_seen_ = true;
        self.wants_.push_back(!self.in_prefix_ && self.Call([&] { return self.reader_->Start(self.open_); }));
        self.text_.clear();
    }

    static void OnEnd(void* user, const XML_Char*)
    {
        auto& self = *static_cast<Parser*>(user);
        if (self.at_cut_ || self.open_.empty())
            return;  // the end of the mark: expat ends an empty element before it stops
        if (self.wants_.back())
            self.Call([&] {
                self.reader_->End(self.open_, self.text_, self.items);
                return true;
            });
        else
            self.Call([&] {
                self.reader_->End(self.open_, {}, self.items);
                return true;
            });
        self.open_.pop_back();
        self.wants_.pop_back();
        self.text_.clear();
    }

    static void OnText(void* user, const XML_Char* text, int length)
    {
        auto& self = *static_cast<Parser*>(user);
        if (!self.wants_.empty() && self.wants_.back() && self.text_.size() < kMaxText)
            self.text_.append(text, std::min<std::size_t>(static_cast<std::size_t>(length), kMaxText));
    }

    static void OnDeclaration(void* user, const XML_Char*, const XML_Char* encoding, int)
    {
        auto& self = *static_cast<Parser*>(user);
        if (!encoding)
            return;
        std::string e(encoding);
        for (char& c : e)
            c = AsciiLower(c);
        if (e != "utf-8" && e != "us-ascii")
            self.one_pass_only = true;
    }

    static void OnDoctype(void* user, const XML_Char*, const XML_Char*, const XML_Char*, int)
    {
        static_cast<Parser*>(user)->one_pass_only = true;  // it may declare entities later pieces use
    }

    // A value that does not convert ends the parse with its line; no exception
    // may cross expat's C frames.
    template <class Fn>
    bool Call(Fn fn)
    {
        if (error)
            return false;
        try {
            return fn();
        } catch (const DataError& e) {
            error = std::make_exception_ptr(DataError(file_, Line(), e.text(), e.message()));
        } catch (...) {
            error = std::current_exception();
        }
        XML_StopParser(parser_, XML_FALSE);
        return false;
    }

    const Format& format_;
    const std::string& file_;
    std::unique_ptr<ItemReader> reader_;
    XML_Parser parser_;
    OpenElements open_;
    std::vector<char> wants_;  // per open element: its text is wanted
    std::string text_;
    bool in_prefix_ = false, at_cut_ = false, cut_seen_ = false, root_seen_ = false;
};

// Offsets where pieces start: 0, then the "<" of the first cut element after
// every `piece_bytes` bytes; the last entry is the size of the data.
std::vector<std::size_t> CutAtElements(std::string_view data, std::size_t piece_bytes,
                                       const std::vector<std::string>& names)
{
    std::vector<std::size_t> cuts{0};
    piece_bytes = std::max<std::size_t>(piece_bytes, 1);
    const auto starts_cut = [&](std::size_t lt) {
        for (const std::string& name : names) {
            const std::size_t end = lt + 1 + name.size();
            if (end < data.size() && data.compare(lt + 1, name.size(), name) == 0 &&
                (data[end] == '>' || data[end] == '/' || static_cast<unsigned char>(data[end]) <= ' '))
                return true;
        }
        return false;
    };
    for (std::size_t at = piece_bytes; at < data.size();) {
        const std::size_t lt = data.find('<', at);
        if (lt == std::string_view::npos)
            break;
        if (!starts_cut(lt)) {
            at = lt + 1;
            continue;
        }
        cuts.push_back(lt);
        at = lt + piece_bytes;
    }
    cuts.push_back(data.size());
    return cuts;
}

// Feeds the items made so far through the pairing into the filler.
void Drain(std::vector<Item>& items, Pairing& pairing, std::vector<TrackPoint>& points, TrackFiller& filler)
{
    points.clear();
    for (const Item& item : items)
        pairing.Add(item, points);
    items.clear();
    filler.Append(points.data(), points.size());
}

void ParseInOnePass(const Format& format, std::string_view data, const std::string& file, TrackFiller& filler,
                    Pairing& pairing)
{
    Parser parser(format, file, nullptr);
    std::vector<TrackPoint> points;
    do {
        const std::string_view chunk = data.substr(0, 1 << 20);
        data.remove_prefix(chunk.size());
        parser.Feed(chunk, data.empty());
        Drain(parser.items, pairing, points, filler);
    } while (!data.empty() && !parser.error);
    if (parser.error)
        std::rethrow_exception(parser.error);
}

struct OnePassNeeded {};

struct PieceOutcome {
    std::vector<Item> items;
    std::exception_ptr error;
    OpenElements open;
    std::int64_t lines = 0;
    bool clean = false;
};

PieceOutcome Outcome(Parser& parser, bool last)
{
    PieceOutcome out;
    out.clean = last || parser.EndsCleanly();
    out.items = std::move(parser.items);
    out.error = parser.error;
    out.open = std::move(parser.open);
    out.lines = parser.lines;
    return out;
}

// False when the file must be parsed in one pass instead; the filler then
// holds some of its points.
bool ParseInPieces(const Format& format, std::string_view data, const std::string& file, TrackFiller& filler,
                   Pairing& pairing, const PieceOptions& options)
{
    const std::vector<std::size_t> cuts = CutAtElements(data, options.bytes, format.cut_names);
    const std::size_t count = cuts.size() - 1;
    if (count < 2)
        return false;
    const auto piece_of = [&](std::size_t k) { return data.substr(cuts[k], cuts[k + 1] - cuts[k]); };
    std::vector<PieceOutcome> outcomes(count);
    {
        Parser first(format, file, nullptr);
        first.Feed(piece_of(0), false);
        outcomes[0] = Outcome(first, false);
        if (first.one_pass_only || !outcomes[0].clean)
            return false;
    }
    const OpenElements guess = outcomes[0].open;
    // Item storage goes round: freed on a helper thread, it would be given back
    // to the system and taken again for every piece.
    std::mutex spare_mutex;
    std::vector<std::vector<Item>> spare;
    const auto parse = [&](std::size_t k, const OpenElements& context) {
        Parser parser(format, file, &context);
        {
            std::lock_guard lock(spare_mutex);
            if (!spare.empty()) {
                parser.items = std::move(spare.back());
                spare.pop_back();
            }
        }
        parser.Feed(piece_of(k), k + 1 == count);
        outcomes[k] = Outcome(parser, k + 1 == count);
    };
    OpenElements open_before;
    bool clean_before = true;
    PieceJob job;
    job.count = count;
    job.parse = [&](std::size_t k, ParsedPiece&) {
        if (k > 0)
            parse(k, guess);
    };
    job.join = [&](std::size_t k, ParsedPiece& piece) {
        if (k > 0) {
            if (!clean_before)
                throw OnePassNeeded();
            if (open_before != guess)
                parse(k, open_before);
        }
        PieceOutcome& out = outcomes[k];
        for (const Item& item : out.items)
            pairing.Add(item, piece.points);
        piece.error = out.error;
        piece.lines = out.lines;
        open_before = std::move(out.open);
        clean_before = out.clean;
        out.items.clear();
        {
            std::lock_guard lock(spare_mutex);
            spare.push_back(std::move(out.items));
        }
        out = PieceOutcome();
    };
    try {
        ParsePieces(job, filler, options.threads);
    } catch (const OnePassNeeded&) {
        return false;
    }
    return true;
}

} // namespace

struct StreamReader::State {
    State(const Format& format, const std::string& file, TrackStore& store)
        : format(format), store(store), filler(store), parser(format, file, nullptr) {}
    const Format& format;
    TrackStore& store;
    TrackFiller filler;
    Parser parser;
    Pairing pairing;
    std::vector<TrackPoint> points;
};

StreamReader::StreamReader(const Format& format, const std::string& file, TrackStore& store)
    : state_(std::make_unique<State>(format, file, store)) {}

StreamReader::~StreamReader() = default;

void StreamReader::Feed(std::string_view bytes, bool last)
{
    State& s = *state_;
    s.parser.Feed(bytes, last);
    Drain(s.parser.items, s.pairing, s.points, s.filler);
    if (s.parser.error)
        std::rethrow_exception(s.parser.error);
    if (last) {
        s.pairing.Finish(s.format, s.filler.Count(), s.store.ReadNotes);
        s.filler.Finish();
    }
}

void ParseDocument(const Format& format, std::string_view data, const std::string& file, TrackStore& store,
                   const PieceOptions& options)
{
    std::optional<TrackFiller> filler(std::in_place, store);
    // Address space only: pages stay unallocated until points fill them.
    filler->ExpectPoints(data.size() / format.least_point_bytes);
    Pairing pairing;
    if (!ParseInPieces(format, data, file, *filler, pairing, options)) {
        filler.emplace(store);
        filler->ExpectPoints(data.size() / format.least_point_bytes);
        pairing = Pairing();
        ParseInOnePass(format, data, file, *filler, pairing);
    }
    pairing.Finish(format, filler->Count(), store.ReadNotes);
    filler->Finish();
}

} // namespace tackedit::xml
