#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <tuple>

#include "drive/Capture.h"

namespace quendra {

namespace {

constexpr std::string_view kMagic = "quendra-capture";
constexpr std::string_view kColumns =
    "# address letter command direction length status outcome time sense data";
constexpr std::size_t kFieldCount = 10;
constexpr std::size_t kMaxCdbLength = 16;
constexpr std::size_t kMaxSenseLength = 32;
constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& out, std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        out += '-';
        return;
    }
    for (const std::uint8_t byte : bytes) {
        out += kHexDigits[byte >> 4];
        out += kHexDigits[byte & 0x0F];
    }
}

std::string_view DirectionName(DataDirection direction) {
    switch (direction) {
        case DataDirection::In:
            return "in";
        case DataDirection::Out:
            return "out";
        case DataDirection::None:
            break;
    }
    return "none";
}

std::string OutcomeText(const CapturedExchange& exchange) {
    switch (exchange.outcome) {
        case CaptureOutcome::OsError:
            return "error=" + std::to_string(exchange.outcomeCode);
        case CaptureOutcome::AspiStatus: {
            std::string text = "srb=";
            const auto code = static_cast<std::uint8_t>(exchange.outcomeCode);
            AppendHex(text, std::span(&code, 1));
            return text;
        }
        case CaptureOutcome::Delivered:
            break;
    }
    return "ok";
}

// A failure while reading one line: what is wrong, without the line number.
struct LineFault {
    std::string message;
};

// "'<text>'<rest>", built by appending: the same text as a concatenation that starts with a
// literal, which GCC 12 flags with a false -Wrestrict at -O3.
LineFault QuotedFault(std::string_view text, std::string_view rest) {
    LineFault fault;
    fault.message.reserve(text.size() + rest.size() + 2);
    fault.message += '\'';
    fault.message += text;
    fault.message += '\'';
    fault.message += rest;
    return fault;
}

template <typename T>
std::optional<T> Decimal(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Hex bytes, or "-" for none. `what` names the field in the message.
std::variant<std::vector<std::uint8_t>, LineFault> HexBytes(std::string_view text,
                                                            std::string_view what) {
    std::vector<std::uint8_t> bytes;
    if (text == "-")
        return bytes;
    if (text.size() % 2 != 0) {
        return LineFault{"odd number of hex digits (" + std::to_string(text.size()) + ") in the " +
                         std::string(what)};
    }
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexValue(text[i]);
        const int low = HexValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return QuotedFault(text.substr(i, 2),
                               std::string(" is not a hex byte in the ").append(what));
        }
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
        fields.push_back(line.substr(start, end - start));
        at = end;
    }
    return fields;
}

std::optional<LineFault> ReadAddress(std::string_view text, CapturedExchange& exchange) {
    const LineFault fault = QuotedFault(text, " is not an address adapter:target:lun");
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos)
        return fault;
    const auto adapter = Decimal<std::uint8_t>(text.substr(0, first));
    const auto target = Decimal<std::uint8_t>(text.substr(first + 1, second - first - 1));
    const auto lun = Decimal<std::uint8_t>(text.substr(second + 1));
    if (!adapter || !target || !lun)
        return fault;
    exchange.adapter = *adapter;
    exchange.target = *target;
    exchange.lun = *lun;
    return std::nullopt;
}

std::optional<LineFault> ReadOutcome(std::string_view text, CapturedExchange& exchange) {
    if (text == "ok") {
        exchange.outcome = CaptureOutcome::Delivered;
        return std::nullopt;
    }
    if (text.starts_with("error=")) {
        if (const auto code = Decimal<std::uint32_t>(text.substr(6)); code && *code != 0) {
            exchange.outcome = CaptureOutcome::OsError;
            exchange.outcomeCode = *code;
            return std::nullopt;
        }
    } else if (text.starts_with("srb=")) {
        const auto status = HexBytes(text.substr(4), "outcome");
        if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&status);
            bytes && bytes->size() == 1) {
            exchange.outcome = CaptureOutcome::AspiStatus;
            exchange.outcomeCode = bytes->front();
            return std::nullopt;
        }
    }
    return QuotedFault(text, " is not an outcome (ok, error=N or srb=XX)");
}

std::variant<CapturedExchange, LineFault> ReadExchange(std::string_view line) {
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() != kFieldCount) {
        return LineFault{std::to_string(fields.size()) + " fields where " +
                         std::to_string(kFieldCount) + " are expected (a cut or joined line?)"};
    }
    CapturedExchange exchange;
    if (auto fault = ReadAddress(fields[0], exchange))
        return *fault;

    const std::string_view letter = fields[1];
    if (letter.size() != 1 || !(letter[0] == '?' || (letter[0] >= 'A' && letter[0] <= 'Z')))
        return QuotedFault(letter, " is not a drive letter (A to Z or ?)");
    exchange.letter = letter[0];

    auto cdb = HexBytes(fields[2], "command");
    if (auto* fault = std::get_if<LineFault>(&cdb))
        return *fault;
    exchange.cdb = std::move(std::get<std::vector<std::uint8_t>>(cdb));
    if (exchange.cdb.empty() || exchange.cdb.size() > kMaxCdbLength) {
        return LineFault{"a command of " + std::to_string(exchange.cdb.size()) +
                         " bytes (1 to 16 expected)"};
    }

    if (fields[3] == "in")
        exchange.direction = DataDirection::In;
    else if (fields[3] == "out")
        exchange.direction = DataDirection::Out;
    else if (fields[3] == "none")
        exchange.direction = DataDirection::None;
    else
        return QuotedFault(fields[3], " is not a direction (in, out or none)");

    const auto length = Decimal<std::uint32_t>(fields[4]);
    if (!length)
        return QuotedFault(fields[4], " is not a transfer length");
    exchange.length = *length;

    const auto status = HexBytes(fields[5], "status");
    if (auto* fault = std::get_if<LineFault>(&status))
        return *fault;
    if (std::get<std::vector<std::uint8_t>>(status).size() != 1)
        return QuotedFault(fields[5], " is not a status byte");
    exchange.status = std::get<std::vector<std::uint8_t>>(status).front();

    if (auto fault = ReadOutcome(fields[6], exchange))
        return *fault;

    const std::string_view time = fields[7];
    const auto micros = time.ends_with("us")
                            ? Decimal<std::uint32_t>(time.substr(0, time.size() - 2))
                            : std::nullopt;
    if (!micros)
        return QuotedFault(time, " is not a time in microseconds (as 125us)");
    exchange.elapsed = std::chrono::microseconds(*micros);

    auto sense = HexBytes(fields[8], "sense");
    if (auto* fault = std::get_if<LineFault>(&sense))
        return *fault;
    exchange.sense = std::move(std::get<std::vector<std::uint8_t>>(sense));
    if (exchange.sense.size() > kMaxSenseLength) {
        return LineFault{"sense of " + std::to_string(exchange.sense.size()) +
                         " bytes (at most 32)"};
    }

    auto data = HexBytes(fields[9], "data");
    if (auto* fault = std::get_if<LineFault>(&data))
        return *fault;
    exchange.data = std::move(std::get<std::vector<std::uint8_t>>(data));
    if (!exchange.data.empty() && exchange.direction != DataDirection::In)
        return LineFault{"data for a command that reads none"};
    if (exchange.data.size() > exchange.length) {
        return LineFault{std::to_string(exchange.data.size()) + " data bytes for a length of " +
                         std::to_string(exchange.length)};
    }
    return exchange;
}

// A drive keeps its letter and a letter its drive ('?' aside) throughout a capture.
class DriveNames {
public:
    std::optional<LineFault> Check(const CapturedExchange& exchange, std::size_t line) {
        const Address address{exchange.adapter, exchange.target, exchange.lun};
        const auto [named, added] = letters_.try_emplace(address, exchange.letter, line);
        if (!added && named->second.first != exchange.letter) {
            return LineFault{"drive " + AddressText(address) + " has letter " +
                             std::string(1, exchange.letter) + " here but " +
                             std::string(1, named->second.first) + " on line " +
                             std::to_string(named->second.second)};
        }
        if (exchange.letter == '?')
            return std::nullopt;
        const auto [placed, fresh] = addresses_.try_emplace(exchange.letter, address, line);
        if (!fresh && placed->second.first != address) {
            return LineFault{"letter " + std::string(1, exchange.letter) + " is drive " +
                             AddressText(address) + " here but " +
                             AddressText(placed->second.first) + " on line " +
                             std::to_string(placed->second.second)};
        }
        return std::nullopt;
    }

private:
    using Address = std::tuple<std::uint8_t, std::uint8_t, std::uint8_t>;

    static std::string AddressText(const Address& address) {
        return std::to_string(std::get<0>(address)) + ':' + std::to_string(std::get<1>(address)) +
               ':' + std::to_string(std::get<2>(address));
    }

    std::map<Address, std::pair<char, std::size_t>> letters_;
    std::map<char, std::pair<Address, std::size_t>> addresses_;
};

}  // namespace

std::vector<std::uint8_t> WithoutTrailingZeros(std::span<const std::uint8_t> bytes) {
    const auto last = std::find_if(bytes.rbegin(), bytes.rend(), [](auto b) { return b != 0; });
    return {bytes.begin(), last.base()};
}

std::vector<CapturedDrive> CapturedDrives(const Capture& capture) {
    std::vector<CapturedDrive> drives;
    for (const CapturedExchange& exchange : capture.exchanges) {
        auto drive = std::find_if(drives.begin(), drives.end(), [&](const CapturedDrive& d) {
            return d.adapter == exchange.adapter && d.target == exchange.target &&
                   d.lun == exchange.lun && d.letter == exchange.letter;
        });
        if (drive == drives.end()) {
            drives.push_back(
                {exchange.adapter, exchange.target, exchange.lun, exchange.letter, {}});
            drive = std::prev(drives.end());
        }
        drive->exchanges.push_back(exchange);
    }
    return drives;
}

std::string FormatCapture(const Capture& capture) {
    std::string text = std::string(kMagic) + ' ' + std::to_string(kCaptureVersion) + '\n';
    text += kColumns;
    text += '\n';
    for (const CapturedExchange& exchange : capture.exchanges) {
        text += std::to_string(exchange.adapter) + ':' + std::to_string(exchange.target) + ':' +
                std::to_string(exchange.lun) + ' ' + exchange.letter + ' ';
        AppendHex(text, exchange.cdb);
        text += ' ';
        text += DirectionName(exchange.direction);
        text += ' ' + std::to_string(exchange.length) + ' ';
        AppendHex(text, std::span(&exchange.status, 1));
        text +=
            ' ' + OutcomeText(exchange) + ' ' + std::to_string(exchange.elapsed.count()) + "us ";
        AppendHex(text, exchange.sense);
        text += ' ';
        AppendHex(text, exchange.data);
        text += '\n';
    }
    text += "end " + std::to_string(capture.exchanges.size()) + '\n';
    return text;
}

std::variant<Capture, CaptureError> ParseCapture(std::string_view text) {
    Capture capture;
    DriveNames names;
    bool versionSeen = false;
    std::optional<std::size_t> endLine;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++number;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::vector<std::string_view> fields = Fields(line);

        if (!versionSeen) {
            if (fields.size() != 2 || fields[0] != kMagic) {
                return CaptureError{number, "not a capture: the first line must be '" +
                                                std::string(kMagic) + " " +
                                                std::to_string(kCaptureVersion) + "'"};
            }
            if (Decimal<int>(fields[1]) != kCaptureVersion) {
                return CaptureError{number, "capture version '" + std::string(fields[1]) +
                                                "' cannot be read (this program reads " +
                                                std::to_string(kCaptureVersion) + ")"};
            }
            versionSeen = true;
            continue;
        }
        if (fields.empty() || fields[0].starts_with('#'))
            continue;
        if (endLine)
            return CaptureError{number,
                                "text after the end line (line " + std::to_string(*endLine) + ")"};
        if (fields[0] == "end") {
            const auto count = fields.size() == 2 ? Decimal<std::size_t>(fields[1]) : std::nullopt;
            if (!count)
                return CaptureError{number, "the end line must be 'end N'"};
            if (*count != capture.exchanges.size()) {
                return CaptureError{number, "the end line counts " + std::to_string(*count) +
                                                " exchanges, the capture holds " +
                                                std::to_string(capture.exchanges.size())};
            }
            endLine = number;
            continue;
        }
        auto exchange = ReadExchange(line);
        if (auto* fault = std::get_if<LineFault>(&exchange))
            return CaptureError{number, fault->message};
        if (auto fault = names.Check(std::get<CapturedExchange>(exchange), number))
            return CaptureError{number, fault->message};
        capture.exchanges.push_back(std::move(std::get<CapturedExchange>(exchange)));
    }
    if (!versionSeen)
        return CaptureError{1, "empty: not a capture"};
    if (!endLine)
        return CaptureError{number + 1, "the capture is cut short: no end line"};
    return capture;
}

std::string CaptureErrorText(const CaptureError& error) {
    return "line " + std::to_string(error.line) + ": " + error.message;
}

}  // namespace quendra
