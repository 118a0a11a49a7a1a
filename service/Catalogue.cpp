#include "service/Catalogue.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "service/JsonFields.h"
#include "util/TextRules.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

using nlohmann::json;

std::vector<LookupPage> ReadPages(const json& list, const std::string& where) {
    if (!list.is_array() || list.empty())
        throw JsonFieldError(where + ": a list of at least one page is needed");
    std::vector<LookupPage> pages;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string at = where + "[" + std::to_string(i) + "]";
        LookupPage page{TextField(list[i], "section", at), TextField(list[i], "url", at)};
        if (page.section.empty() || HasControlOrEdgeBlank(page.section))
            throw JsonFieldError(at + ".section: empty, or with control characters or blanks");
        if (!IsWebAddress(Utf8ToUtf16(page.url)) || HasControlOrEdgeBlank(page.url))
            throw JsonFieldError(at + ".url: not a web address the program opens");
        for (const auto& earlier : pages) {
            if (EqualsNoCase(earlier.section, page.section))
                throw JsonFieldError(at + ".section: \"" + page.section + "\" appears twice");
        }
        pages.push_back(std::move(page));
    }
    return pages;
}

CatalogueDrive ReadDrive(const json& entry, const std::string& at) {
    CatalogueDrive drive;
    drive.brand = Utf8ToUtf16(TextField(entry, "brand", at));
    drive.model = Utf8ToUtf16(TextField(entry, "model", at));
    if (drive.brand.empty() || drive.model.empty())
        throw JsonFieldError(at + ": brand and model must not be empty");
    for (const auto& revision : TextListField(entry, "firmware", at))
        drive.firmware.push_back(Utf8ToUtf16(revision));
    drive.pages = ReadPages(FieldOf(entry, "pages", at), at + ".pages");
    return drive;
}

}  // namespace

std::variant<Catalogue, std::string> ParseCatalogue(std::string_view text) {
    try {
        const json root = json::parse(text);
        Catalogue catalogue;
        catalogue.downloadPage = TextField(root, "downloadPage", "catalogue");
        if (!IsWebAddress(Utf8ToUtf16(catalogue.downloadPage)) ||
            HasControlOrEdgeBlank(catalogue.downloadPage))
            throw JsonFieldError("downloadPage: not a web address");
        catalogue.generic = ReadPages(FieldOf(root, "generic", "catalogue"), "generic");
        const json& drives = FieldOf(root, "drives", "catalogue");
        if (!drives.is_array())
            throw JsonFieldError("drives: not a list");
        for (std::size_t i = 0; i < drives.size(); ++i)
            catalogue.drives.push_back(ReadDrive(drives[i], "drives[" + std::to_string(i) + "]"));
        return catalogue;
    } catch (const json::exception& error) {
        return std::string("not JSON: ") + error.what();
    } catch (const JsonFieldError& error) {
        return std::string(error.what());
    }
}

LookupAnswer FindPages(const Catalogue& catalogue, std::u16string_view brand,
                       std::u16string_view model, std::u16string_view firmware) {
    const CatalogueDrive* anyRevision = nullptr;
    for (const auto& drive : catalogue.drives) {
        if (!EqualsNoCase(drive.brand, brand) || !EqualsNoCase(drive.model, model))
            continue;
        if (drive.firmware.empty()) {
            if (anyRevision == nullptr)
                anyRevision = &drive;
            continue;
        }
        const bool named = std::any_of(
            drive.firmware.begin(), drive.firmware.end(),
            [&](const std::u16string& revision) { return EqualsNoCase(revision, firmware); });
        if (named)
            return {drive.pages, true};
    }
    if (anyRevision != nullptr)
        return {anyRevision->pages, true};
    return {catalogue.generic, false};
}

std::string LookupReplyText(const std::vector<LookupPage>& pages) {
    std::string text;
    for (const auto& page : pages)
        text += "[" + page.section + "]\r\nurl=" + page.url + "\r\n";
    return text;
}

}  // namespace quendra
