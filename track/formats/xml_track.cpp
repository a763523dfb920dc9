#include "track/formats/xml_track.h"

#include "base/data_error.h"
#include "base/numbers.h"

#include <libxml/parser.h>
#include <libxml/SAX2.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>

namespace tackedit::xml {

void Pairing::Add(const Item& item, std::vector<TrackPoint>& points)
{
    switch (item.kind) {
    case Item::Point: points.push_back({item.time, item.lat, item.lon}); return;
    case Item::When: whens_.push_back(item.time); break;
    case Item::Coord: coords_.emplace_back(std::in_place, item.lat, item.lon); break;
    case Item::BlankCoord: coords_.emplace_back(); break;
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
        if (const auto& coord = coords_.front())
            points.push_back({whens_.front(), coord->first, coord->second});
        else
            ++blank_;
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
    if (blank_ > 0)
        notes.push_back(std::to_string(blank_) + (blank_ == 1 ? " time whose position (coord) is empty was"
                                                              : " times whose position (coord) is empty were") +
                        " left out");
    if (points > 0 || skipped_ > 0 || blank_ > 0)
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

// Bytes to parse, served in order; empty at the end. Called on the parsing
// thread between the parser's reads, so it may take the items made so far.
using Source = std::function<std::string_view()>;

// One libxml2 parser, the elements it has open and the items it made.
class Parser {
public:
    // context: the elements a piece starts in; nullptr for the start of a document.
    Parser(const Format& format, const std::string& file, const OpenElements* context)
        : format_(format), file_(file), reader_(format.make_reader())
    {
        if (!context)
            return;
        for (const std::string& name : *context)
            prefix_ += "<" + name + ">";
        prefix_left_ = context->size();
    }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // Parses what source serves, after the made-up prefix. With a cut, the cut
    // mark follows the bytes: the parse stops there when the piece ends cleanly.
    void Parse(const Source& source, bool cut)
    {
        source_ = &source;
        pending_ = prefix_;
        served_ = 0;
        cut_ = cut;
        // The first version of the handlers: names as the file writes them,
        // prefixes and all, and no namespace resolved, which is also faster.
        xmlSAXHandler sax{};
        sax.initialized = 1;
        sax.startElement = OnStart;
        sax.endElement = OnEnd;
        sax.error = OnError;
        sax.fatalError = OnError;
        sax.warning = OnWarning;
        sax.internalSubset = OnDoctype;
        sax.startDocument = OnStartDocument;
        ctxt_ = xmlCreateIOParserCtxt(&sax, this, OnRead, nullptr, this,
                                      prefix_.empty() ? XML_CHAR_ENCODING_NONE : XML_CHAR_ENCODING_UTF8);
        if (!ctxt_)
            throw std::bad_alloc();
        // No network, no document type loaded, no entity expanded.
        xmlCtxtUseOptions(ctxt_, XML_PARSE_NONET);
        xmlParseDocument(ctxt_);
        // Entity declarations land in a document of libxml2's own even for SAX.
        if (ctxt_->myDoc)
            xmlFreeDoc(ctxt_->myDoc);
        xmlFreeParserCtxt(ctxt_);
        ctxt_ = nullptr;
    }

    // After a piece: true when it ended between tags, in elements a piece may start in.
    bool EndsCleanly() const { return !error && cut_seen_ && reader_->CanStartIn(open); }

    std::vector<Item> items;
    std::exception_ptr error;
    OpenElements open;  // where the piece ended: the elements open then
    std::int64_t lines = 0;  // line breaks before that end
    bool one_pass_only = false;  // a document type or an encoding other than UTF-8

private:
    std::int64_t Line() const { return ctxt_ ? xmlSAX2GetLineNumber(ctxt_) : 0; }

    static int OnRead(void* user, char* buffer, int length)
    {
        auto& self = *static_cast<Parser*>(user);
        if (self.error || self.stopped_)
            return -1;
        try {
            while (self.pending_.empty()) {
                if (self.at_end_)
                    return 0;
                self.pending_ = (*self.source_)();
                if (self.pending_.empty()) {
                    self.at_end_ = true;
                    if (self.cut_) {
                        self.mark_served_ = true;
                        self.mark_from_ = self.served_;
                        self.pending_ = "<tackedit-cut/>";
                    }
                }
            }
        } catch (...) {
            self.error = std::current_exception();
            return -1;
        }
        const std::size_t n = std::min(self.pending_.size(), static_cast<std::size_t>(length));
        std::memcpy(buffer, self.pending_.data(), n);
        self.pending_.remove_prefix(n);
        self.served_ += n;
        return static_cast<int>(n);
    }

    static void OnStart(void* user, const xmlChar* qualified, const xmlChar**)
    {
        auto& self = *static_cast<Parser*>(user);
        const char* name = reinterpret_cast<const char*>(qualified);
        // Only the mark lies past the bytes served before it.
        if (self.mark_served_ && std::strcmp(name, kCutMark) == 0 &&
            static_cast<std::size_t>(xmlByteConsumed(self.ctxt_)) > self.mark_from_) {
            self.cut_seen_ = true;
            self.open = self.open_;
            self.lines = self.Line() - 1;
            self.Stop();
            return;
        }
        // Names keep their storage from one element to the next.
        std::string& element = self.open_.emplace_back();
        if (!self.spare_names_.empty()) {
            element.swap(self.spare_names_.back());
            self.spare_names_.pop_back();
            element.clear();
        }
        element.append(name);
        if (self.prefix_left_ > 0) {
            --self.prefix_left_;
            self.wants_.push_back(false);
            return;
        }
        self.wants_.push_back(self.Call([&] { return self.reader_->Start(self.open_); }));
        self.text_.clear();
        self.WantText(self.wants_.back());
    }

    static void OnEnd(void* user, const xmlChar*)
    {
        auto& self = *static_cast<Parser*>(user);
        if (self.stopped_ || self.open_.empty())
            return;
        self.Call([&] {
            self.reader_->End(self.open_, self.wants_.back() ? std::string_view(self.text_) : std::string_view(),
                              self.items);
            return true;
        });
        self.spare_names_.push_back(std::move(self.open_.back()));
        self.open_.pop_back();
        self.wants_.pop_back();
        self.text_.clear();
        self.WantText(!self.wants_.empty() && self.wants_.back());
    }

    static void OnText(void* user, const xmlChar* text, int length)
    {
        auto& self = *static_cast<Parser*>(user);
        if (self.text_.size() < kMaxText)
            self.text_.append(reinterpret_cast<const char*>(text),
                              std::min<std::size_t>(static_cast<std::size_t>(length), kMaxText));
    }

    static void OnWarning(void*, const char*, ...) {}

    // The words come formatted; the error itself is the context's last.
    static void OnError(void* user, const char*, ...)
    {
        auto& self = *static_cast<Parser*>(user);
        const xmlError* e = xmlCtxtGetLastError(self.ctxt_);
        // Warnings leave the document readable.
        if (!e || e->level != XML_ERR_FATAL || self.error || self.stopped_)
            return;
        std::string message = e->message ? e->message : "error " + std::to_string(e->code);
        // Without a tree libxml2 knows no line of the start tag, and says 0.
        if (e->code == XML_ERR_TAG_NAME_MISMATCH && e->str1 && e->str2)
            message = std::string("Opening and ending tag mismatch: ") + e->str1 + " and " + e->str2;
        while (!message.empty() && static_cast<unsigned char>(message.back()) <= ' ')
            message.pop_back();
        self.error = std::make_exception_ptr(DataError(self.file_, e->line, "",
            std::string("the ") + self.format_.name + " file is not well-formed XML: " + message));
    }

    static void OnStartDocument(void* user)
    {
        auto& self = *static_cast<Parser*>(user);
        const xmlParserInputPtr input = self.ctxt_->input;
        if (input && input->buf && input->buf->encoder) {
            self.one_pass_only = true;
            return;
        }
        if (!self.ctxt_->encoding)
            return;
        std::string e(reinterpret_cast<const char*>(self.ctxt_->encoding));
        for (char& c : e)
            c = AsciiLower(c);
        if (e != "utf-8" && e != "us-ascii")
            self.one_pass_only = true;
    }

    static void OnDoctype(void* user, const xmlChar*, const xmlChar*, const xmlChar*)
    {
        static_cast<Parser*>(user)->one_pass_only = true;  // it may declare entities later pieces use
    }

    // Most text lies between elements and is not wanted: libxml2 skips the
    // call when no handler is set.
    void WantText(bool wanted)
    {
        ctxt_->sax->characters = wanted ? OnText : nullptr;
        ctxt_->sax->cdataBlock = wanted ? OnText : nullptr;
    }

    void Stop()
    {
        stopped_ = true;
        xmlStopParser(ctxt_);
    }

    // A value that does not convert ends the parse with its line; no exception
    // may cross libxml2's C frames.
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
        Stop();
        return false;
    }

    const Format& format_;
    const std::string& file_;
    std::unique_ptr<ItemReader> reader_;
    xmlParserCtxtPtr ctxt_ = nullptr;
    const Source* source_ = nullptr;
    std::string prefix_;
    std::size_t prefix_left_ = 0;  // elements of the prefix not yet opened
    std::string_view pending_;     // served next
    std::size_t served_ = 0, mark_from_ = 0;
    OpenElements open_;
    std::vector<char> wants_;  // per open element: its text is wanted
    std::vector<std::string> spare_names_;
    std::string text_;
    bool cut_ = false, at_end_ = false, mark_served_ = false, cut_seen_ = false, stopped_ = false;
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

// Parses what source serves in one pass, storing points as items come.
void ParseStreamInto(const Format& format, const std::string& file, const Source& source, TrackFiller& filler,
                     Pairing& pairing)
{
    Parser parser(format, file, nullptr);
    std::vector<TrackPoint> points;
    const Source draining = [&]() {
        Drain(parser.items, pairing, points, filler);
        return source();
    };
    parser.Parse(draining, false);
    if (!parser.error)
        Drain(parser.items, pairing, points, filler);
    if (parser.error)
        std::rethrow_exception(parser.error);
}

void ParseInOnePass(const Format& format, std::string_view data, const std::string& file, TrackFiller& filler,
                    Pairing& pairing)
{
    ParseStreamInto(format, file, [&data]() {
        const std::string_view chunk = data.substr(0, 1 << 20);
        data.remove_prefix(chunk.size());
        return chunk;
    }, filler, pairing);
}

struct OnePassNeeded {};

struct PieceOutcome {
    std::vector<Item> items;
    std::exception_ptr error;
    OpenElements open;
    std::int64_t lines = 0;
    bool clean = false;
};

// Parses one piece; all but the last end at the cut mark.
PieceOutcome ParsePiece(Parser& parser, std::string_view piece, bool last)
{
    bool served = false;
    parser.Parse([&]() {
        if (served)
            return std::string_view();
        served = true;
        return piece;
    }, !last);
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
        outcomes[0] = ParsePiece(first, piece_of(0), false);
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
        outcomes[k] = ParsePiece(parser, piece_of(k), k + 1 == count);
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
        // A fault's line and words are those one pass gives.
        if (out.error)
            throw OnePassNeeded();
        for (const Item& item : out.items)
            pairing.Add(item, piece.points);
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

void ParseStream(const Format& format, const std::string& file, TrackStore& store,
                 const std::function<std::string_view()>& next)
{
    xmlInitParser();
    TrackFiller filler(store);
    Pairing pairing;
    ParseStreamInto(format, file, next, filler, pairing);
    pairing.Finish(format, filler.Count(), store.ReadNotes);
    filler.Finish();
}

void ParseDocument(const Format& format, std::string_view data, const std::string& file, TrackStore& store,
                   const PieceOptions& options)
{
    xmlInitParser();  // before the pieces' threads
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
