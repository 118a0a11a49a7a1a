#include "update/HTTPDate.h"

#include <array>
#include <charconv>
#include <optional>
#include <string>

#include "util/TextRules.h"

namespace quendra {
namespace {

constexpr std::array<std::string_view, 7> kWeekdays = {"sun", "mon", "tue", "wed",
                                                       "thu", "fri", "sat"};
constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};

std::optional<int> ToInt(std::string_view text) {
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<int> MonthOf(std::string_view word) {
    if (word.size() < 3)
        return std::nullopt;
    const std::string prefix = AsciiLower(word.substr(0, 3));
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (prefix == kMonths[i])
            return static_cast<int>(i) + 1;
    }
    return std::nullopt;
}

// Words separated by spaces and the date's own separator.
class Words {
public:
    Words(std::string_view text, char separator) : text_(text), separator_(separator) {}

    std::string_view Next() {
        while (!text_.empty() && IsDelimiter(text_.front()))
            text_.remove_prefix(1);
        std::size_t end = 0;
        while (end < text_.size() && !IsDelimiter(text_[end]))
            ++end;
        const auto word = text_.substr(0, end);
        text_.remove_prefix(end);
        return word;
    }

    std::string_view Rest() const { return text_; }

private:
    bool IsDelimiter(char c) const { return c == ' ' || c == separator_; }

    std::string_view text_;
    char separator_;
};

struct Clock {
    int hour = 0, minute = 0, second = 0;
};

// "hh[:mm[:ss]]", missing parts 0.
std::optional<Clock> ParseTime(std::string_view word) {
    Clock time;
    int* parts[] = {&time.hour, &time.minute, &time.second};
    for (int* part : parts) {
        if (word.empty())
            break;
        const auto colon = word.find(':');
        const auto value = ToInt(word.substr(0, colon));
        if (!value)
            return std::nullopt;
        *part = *value;
        word = colon == std::string_view::npos ? std::string_view{} : word.substr(colon + 1);
    }
    return time;
}

// "+hhmm" or "-hhmm" as minutes east of universal time.
std::optional<int> ZoneMinutes(std::string_view zone) {
    const auto hours = ToInt(zone.substr(1, 2));
    const auto minutes = ToInt(zone.substr(3, 2));
    if (!hours || !minutes || *hours < 0 || *minutes < 0)
        return std::nullopt;
    const int total = *hours * 60 + *minutes;
    return zone.front() == '-' ? -total : total;
}

std::optional<TDateTime> ParseUniversal(std::string_view raw) {
    std::string text = Trim(raw);
    if (text.empty())
        return std::nullopt;
    for (char& c : text) {
        if (c == ',')
            c = ' ';
    }

    if (text.size() >= 2) {
        const std::string firstTwo = AsciiLower(std::string_view(text).substr(0, 2));
        for (const auto weekday : kWeekdays) {
            if (firstTwo == weekday.substr(0, 2)) {
                const auto space = text.find(' ');
                text = space == std::string::npos ? std::string() : Trim(text.substr(space));
                break;
            }
        }
    }

    const auto dash = text.find('-');
    const char separator =
        dash != std::string::npos && dash >= 1 && dash < text.find(' ') ? '-' : ' ';
    Words words(text, separator);

    int day = 0, month = 0;
    const auto first = words.Next();
    if (const auto m = MonthOf(first)) {
        month = *m;
        const auto d = ToInt(words.Next());
        if (!d)
            return std::nullopt;
        day = *d;
    } else {
        const auto d = ToInt(first);
        const auto m2 = MonthOf(words.Next());
        if (!d || !m2)
            return std::nullopt;
        day = *d;
        month = *m2;
    }

    std::string_view timeWord;
    const auto yearWord = words.Next();
    int year = ToInt(yearWord).value_or(1900);
    if (year == 1900) {
        // asctime: the time comes before the year.
        timeWord = yearWord;
        const auto y = ToInt(words.Next());
        if (!y)
            return std::nullopt;
        year = *y;
    }
    if (year >= 0 && year < 80) {
        year += 2000;
    } else if (year >= 80 && year <= 99) {
        year += 1900;
    }
    if (timeWord.empty() && words.Rest().find(':') != std::string_view::npos)
        timeWord = words.Next();

    const auto time = ParseTime(timeWord);
    if (!time)
        return std::nullopt;
    auto moment = EncodeDateTime(year, month, day, time->hour, time->minute, time->second);
    if (!moment)
        return std::nullopt;

    const std::string rest = Trim(words.Rest());
    if (rest.size() > 4 && (rest.front() == '+' || rest.front() == '-')) {
        const auto zone = ZoneMinutes(rest);
        if (!zone)
            return std::nullopt;
        *moment -= *zone / 1440.0;
    }
    return moment;
}

}  // namespace

TDateTime HTTPDate(std::string_view text) {
    return HTTPDate(text, CurrentLocalOffset());
}

TDateTime HTTPDate(std::string_view text, std::chrono::seconds localOffset) {
    const auto universal = ParseUniversal(text);
    if (!universal)
        return 0;
    return *universal + static_cast<double>(localOffset.count()) / 86400.0;
}

}  // namespace quendra
