#pragma once

// Reading the report back out of a lookup request body. The program sends each report line
// as "Name=Value" with the value escaped twice (first its own percent-encoding, then the
// form escaping of the bytes it leaves unsafe) and joins the lines with "&", which values
// may contain unescaped, as they may contain "=". The lines are found by their names, which
// the program sends in a fixed order.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quendra {

struct ReportField {
    std::string name;
    std::u16string value;
};

// The names of the report's lines, in the order the program sends them.
std::span<const std::string_view> ReportKeys();

// Splits `body` into one field per name of `names`, in that order, and decodes each value.
// Nothing when the body is not made of exactly these fields. Where a value holds a text
// that reads as the next field's start ("&Name="), the earliest split that lets every later
// field be found is taken.
std::optional<std::vector<ReportField>> DecodeReportBody(std::string_view body,
                                                         std::span<const std::string_view> names);

// Undoes both escapings of one value as it stands in the body. The program's own
// percent-encoding writes a unit below U+0020 and the characters space # % * + < > as two
// hex digits and every unit from U+20AC on as four, so "%20AC" may be either; the two-digit
// reading wins (" AC"), as a blank before hex digits ("%20CD-ROM") is far more common in a
// report than the characters U+20AC..U+20FF, U+23xx, U+25xx, U+2Axx, U+2Bxx, U+3Cxx and
// U+3Exx whose four digits begin like a two-digit escape. U+0080 travels as "?" and comes
// back as "?". Bytes the program never sends decode to U+FFFD or stay as they are.
std::u16string DecodeReportValue(std::string_view value);

// The value of the first field called `name`, or the empty text.
std::u16string FieldValue(const std::vector<ReportField>& fields, std::string_view name);

}  // namespace quendra
