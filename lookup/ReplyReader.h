#pragma once

// What the lookup service's reply asks the program to open: the reply text decoded by
// its character set, then each section's `url` entry with the drive's words filled in.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/ReportFields.h"

namespace quendra {

// The charset parameter of a Content-Type value ("text/html; charset=UTF-8"), unquoted.
std::optional<std::string> CharsetOfContentType(std::string_view contentType);

// The character set an HTML text declares in a meta tag (`<meta charset=...>` or the
// `content` of an `http-equiv` Content-Type meta tag).
std::optional<std::string> CharsetOfHtml(std::string_view html);

// The reply body as text: decoded by the Content-Type's charset, or for an HTML reply by
// its meta declaration, or else byte for byte (ISO-8859-1). Undecodable bytes become
// U+FFFD; a leading byte-order mark is dropped.
std::u16string DecodeReplyBody(std::string_view contentType, std::string_view body);

// Replaces every "<#DeviceNameModel>", "<#DeviceNameBrand>", "<#DeviceNameType>" and
// "<#DeviceNameFirmware>" (in that order, letter case ignored) by the percent-encoded word.
std::u16string FillPlaceholders(std::u16string_view address, const ReportFields& words);

// Most addresses one reply may have opened; the rest of a longer list is ignored.
inline constexpr std::size_t kMaxOpenedAddresses = 16;

// For each section of the reply text, in order: its `url` value when it is a web address,
// with the placeholders filled in; the first kMaxOpenedAddresses of them. Sections without
// one are skipped; a repeated section counts each time. Linear in the text's length.
std::vector<std::u16string> AddressesFromReply(std::u16string_view replyText,
                                               const ReportFields& words);

}  // namespace quendra
