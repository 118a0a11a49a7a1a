#pragma once

// What the lookup service answers: for each drive (brand, model and optionally the firmware
// revisions) the pages to open, a generic support page for every other drive, and the
// product download page. The catalogue is a JSON file:
//
//   { "downloadPage": "http://www.example/download",
//     "generic": [ {"section": "support", "url": "http://www.example/support"} ],
//     "drives": [ {"brand": "ACME", "model": "XR-22", "firmware": ["1.02"],
//                  "pages": [ {"section": "firmware", "url": "http://..."} ] } ] }
//
// Page addresses may hold the program's placeholders (<#DeviceNameModel>, ...), which the
// program fills with the drive's own words.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quendra {

struct LookupPage {
    std::string section;
    std::string url;
};

struct CatalogueDrive {
    std::u16string brand;
    std::u16string model;
    std::vector<std::u16string> firmware;  // empty: every revision
    std::vector<LookupPage> pages;
};

struct Catalogue {
    std::string downloadPage;
    std::vector<LookupPage> generic;
    std::vector<CatalogueDrive> drives;
};

// The catalogue, or the reason it is refused (naming the entry at fault). Section names
// must be unique within a list, and every address must be one the program opens (a web
// address without control characters or surrounding blanks).
std::variant<Catalogue, std::string> ParseCatalogue(std::string_view json);

struct LookupAnswer {
    const std::vector<LookupPage>& pages;
    bool known;  // false: the generic pages
};

// The pages of the drive: of the first entry with its brand and model (letter case ignored)
// that names its firmware revision, else of the first such entry that names none, else the
// generic pages.
LookupAnswer FindPages(const Catalogue& catalogue, std::u16string_view brand,
                       std::u16string_view model, std::u16string_view firmware);

// The reply the program reads: one "[section]" with its "url=" line per page, CR LF after
// each line, UTF-8.
std::string LookupReplyText(const std::vector<LookupPage>& pages);

}  // namespace quendra
