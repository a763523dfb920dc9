#include "track/data_error.h"
#include "track/datetime.h"
#include "track/file_buffer.h"
#include "track/numbers.h"
#include "track/track_formats.h"

#include <algorithm>
#include <cstring>

namespace tackedit {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// The position of the next occurrence of a word at or after a point, remembered
// so that the whole file is searched once however many points it has. The search
// jumps between occurrences of the word's rarest letter (anchor), which a track
// point's text holds far fewer of than "<" or "/".
class NextOccurrence {
public:
    NextOccurrence(std::string_view data, std::string_view word, std::size_t anchor)
        : data_(data), word_(word), anchor_(anchor) {}

    std::size_t From(std::size_t start)
    {
        if (!searched_ || (found_ != npos && found_ < start)) {
            found_ = Search(start);
            searched_ = true;
        }
        return found_;
    }

private:
    std::size_t Search(std::size_t start) const
    {
        const char key = word_[anchor_];
        std::size_t at = start + anchor_;
        while (at + (word_.size() - anchor_) <= data_.size()) {
            const void* hit = std::memchr(data_.data() + at, key, data_.size() - at);
            if (!hit)
                return npos;
            at = static_cast<std::size_t>(static_cast<const char*>(hit) - data_.data());
            const std::size_t begin = at - anchor_;
            if (begin + word_.size() <= data_.size() && data_.compare(begin, word_.size(), word_) == 0)
                return begin;
            ++at;
        }
        return npos;
    }

    std::string_view data_, word_;
    std::size_t anchor_;
    std::size_t found_ = npos;
    bool searched_ = false;
};

// Case-insensitive search for a lower-case word, in place: the point's text is
// matched as if lower-cased without copying it.
std::size_t FindNoCase(std::string_view text, std::string_view word)
{
    if (word.empty() || word.size() > text.size())
        return npos;
    const char first = word[0];
    const bool letter = first >= 'a' && first <= 'z';
    const std::size_t last = text.size() - word.size();
    for (std::size_t i = 0; i <= last; ++i) {
        if (!letter) {
            // An exact first character: let memchr find the candidates.
            const void* hit = std::memchr(text.data() + i, first, last - i + 1);
            if (!hit)
                return npos;
            i = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        } else if ((text[i] | 0x20) != first) {
            continue;
        }
        std::size_t k = 1;
        for (; k < word.size(); ++k)
            if (AsciiLower(text[i + k]) != word[k])
                break;
        if (k == word.size())
            return i;
    }
    return npos;
}

std::int64_t LineOf(std::string_view data, std::size_t offset)
{
    return 1 + std::count(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(offset), '\n');
}

// The text between the first pair of double quotes in the 50 characters that start
// one after `at` (so at the "a" of "lat"). An unclosed quote gives the empty text.
std::string_view QuotedValue(std::string_view text, std::size_t at)
{
    const std::string_view window = text.substr(std::min(at + 1, text.size()), 50);
    const std::size_t open = window.find('"');
    const std::string_view after = open == npos ? window : window.substr(open + 1, 50);
    const std::size_t close = after.find('"');
    return close == npos ? std::string_view() : after.substr(0, close);
}

class GpxPointReader {
public:
    GpxPointReader(std::string_view data, const std::string& file, TrackFiller& filler)
        : data_(data), file_(file), filler_(filler) {}

    // text: the raw point text, starting right after "trkpt". Words are matched
    // without regard to case; the values themselves read the same either way.
    void Read(std::string_view t, std::size_t offset)
    {
        const std::size_t lat_at = FindNoCase(t, "lat");
        const std::size_t lon_at = FindNoCase(t, "lon");
        const std::size_t time_at = FindNoCase(t, "<time>");
        if (lat_at == npos || lon_at == npos || (time_at == npos && FindNoCase(t, "time") == npos))
            return;
        const double lat = Degrees(QuotedValue(t, lat_at), offset, "latitude");
        const double lon = Degrees(QuotedValue(t, lon_at), offset, "longitude");

        const std::string_view window = time_at == npos ? std::string_view() : t.substr(time_at + 6, 50);
        const std::size_t letter_t = FindNoCase(window, "t");
        if (letter_t == npos)
            throw DataError::Conversion(file_, LineOf(data_, offset), std::string(window), "date-time");
        const std::string_view date_text = window.substr(0, letter_t);
        const std::string_view time_text = window.substr(letter_t + 1, 8);
        // Consecutive points mostly share their date.
        if (date_text != last_date_text_) {
            const auto date = ParseDateYmd(date_text);
            if (!date)
                throw DataError::Conversion(file_, LineOf(data_, offset), std::string(date_text), "date");
            last_date_ = *date;
            last_date_text_.assign(date_text);
        }
        const auto time = ParseTimeOfDay(time_text);
        if (!time)
            throw DataError::Conversion(file_, LineOf(data_, offset), std::string(time_text), "time");
        filler_.Store(CombineDateTime(last_date_, *time), lat, lon);
    }

private:
    double Degrees(std::string_view value, std::size_t offset, const char* what)
    {
        const auto parsed = ParseReal(value);
        if (!parsed)
            throw DataError::Conversion(file_, LineOf(data_, offset), std::string(value), what);
        return static_cast<double>(*parsed * 60);
    }

    std::string_view data_;
    const std::string& file_;
    TrackFiller& filler_;
    std::string last_date_text_;
    DateTime last_date_ = 0;
};

bool IsWord(std::string_view word, std::string_view expected)
{
    if (word.size() != expected.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (AsciiLower(word[i]) != expected[i])
            return false;
    return true;
}

} // namespace

void ParseGpxTrack(std::string_view data, const std::string& file, TrackStore& store)
{
    TrackFiller filler(store);
    // The shortest usable track point takes about 64 characters; reserving for
    // that costs address space only, as untouched pages stay unallocated.
    filler.ExpectPoints(data.size() / 64);
    GpxPointReader point(data, file, filler);
    NextOccurrence point_end(data, "</trkpt>", 4);  // "k"
    NextOccurrence root_end(data, "/gpx", 3);       // "x"
    std::size_t pos = 0;
    while (pos < data.size()) {
        const std::size_t lt = data.find('<', pos);
        if (lt == npos)
            break;
        // The five characters after "<" are consumed whatever they are.
        const std::string_view word = data.substr(lt + 1, 5);
        pos = lt + 1 + word.size();
        if (IsWord(word, "/gpx>"))
            break;
        if (!IsWord(word, "trkpt"))
            continue;
        // The point runs to the first lower-case "</trkpt>" or "/gpx", whichever
        // ends first, or to the end of the file.
        const std::size_t start = pos;
        std::size_t end = data.size();
        if (const std::size_t close = point_end.From(start); close != npos)
            end = std::min(end, close + 8);
        if (const std::size_t root = root_end.From(start); root != npos)
            end = std::min(end, root + 4);
        pos = end;
        point.Read(data.substr(start, end - start), start);
    }
    filler.Finish();
}

void ReadGpxTrack(const std::string& path, TrackStore& store)
{
    ReadTextFile(path, store, ParseGpxTrack);
}

} // namespace tackedit
