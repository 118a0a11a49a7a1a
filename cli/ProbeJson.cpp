#include "cli/ProbeJson.h"

#include <string_view>

#include "drive/ProfileNames.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

using Json = nlohmann::ordered_json;

std::string Text(std::u16string_view text) {
    return Utf16ToUtf8(text);
}

std::string CodePageText(std::string_view text) {
    return Utf16ToUtf8(CodePageToUtf16(text));
}

// Text from the system (paths, group names) that should be UTF-8 already; anything else
// becomes U+FFFD.
std::string SystemText(std::string_view text) {
    return Utf16ToUtf8(Utf8ToUtf16(text));
}

Json CodeAndText(unsigned code, std::u16string_view text) {
    return Json{{"code", code}, {"text", Text(text)}};
}

std::string_view RouteName(DriveRoute route) {
    switch (route) {
        case DriveRoute::PassThrough:
            return "pass-through";
        case DriveRoute::Aspi:
            return "aspi";
        case DriveRoute::None:
            break;
    }
    return "none";
}

Json SystemJson(const SystemFacts& facts) {
    const CpuFrequency& clock = facts.clock;
    return Json{
        {"windowsVersion", CodeAndText(facts.windowsVersionCode, facts.windowsVersionText)},
        {"windowsEdition", CodeAndText(facts.windowsEditionCode, facts.windowsEditionText)},
        {"windowsProduct", Text(facts.windowsProductText)},
        {"ntProductType", CodeAndText(facts.ntProductTypeCode, facts.ntProductTypeText)},
        {"servicePack", Text(facts.servicePack)},
        {"osVersion", Text(facts.osVersion)},
        {"is64Bit", facts.is64Bit},
        {"processor",
         {{"vendor", Text(facts.processorVendor)},
          {"manufacturer", Text(facts.manufacturer)},
          {"name", Text(facts.processorName)},
          {"transmetaInformation", Text(facts.transmetaInformation)}}},
        {"clock",
         {{"measuredMHz", clock.RawMHz},
          {"measuredCycles", clock.MeasuredCycles},
          {"measuredMicroseconds", clock.MeasuredMicroseconds},
          {"normalizedMHz", clock.NormalizedMHz}}},
    };
}

Json ProfileJson(std::uint16_t code) {
    return Json{{"code", code}, {"name", std::string(ProfileName(code))}};
}

// Only the details the drive reported.
Json DetailsJson(const DriveDetails& details) {
    Json json = Json::object();
    if (details.discPresent)
        json["discPresent"] = *details.discPresent;
    if (details.currentProfile)
        json["currentProfile"] = ProfileJson(*details.currentProfile);
    if (details.profiles) {
        Json profiles = Json::array();
        for (const DriveProfile& profile : *details.profiles) {
            Json entry = ProfileJson(profile.code);
            entry["current"] = profile.current;
            profiles.push_back(std::move(entry));
        }
        json["profiles"] = std::move(profiles);
    }
    if (details.microcodeUpgrade) {
        Json upgrade{{"supported", details.microcodeUpgrade->supported}};
        if (details.microcodeUpgrade->m5)
            upgrade["m5"] = *details.microcodeUpgrade->m5;
        json["microcodeUpgrade"] = std::move(upgrade);
    }
    if (details.firmwareDate)
        json["firmwareDate"] = FirmwareDateText(*details.firmwareDate, 'T');
    return json;
}

// "Key=Value" lines as an object, in their order.
Json ReportJson(const std::vector<std::u16string>& lines) {
    Json json = Json::object();
    for (const std::u16string& line : lines) {
        const std::size_t equals = line.find(u'=');
        const std::u16string_view text(line);
        json[Text(text.substr(0, equals))] =
            equals == std::u16string_view::npos ? std::string() : Text(text.substr(equals + 1));
    }
    return json;
}

Json DriveJson(const ListedDrive& drive, const DriveAnswers& answers, const DriveReport& report) {
    Json capabilities = Json::object();
    for (const auto& [capability, can] : answers.capabilities)
        capabilities[std::string(capability.name)] = can;
    return Json{
        {"index", drive.index},
        {"address",
         {{"adapter", drive.entry.HaId}, {"target", drive.entry.Target}, {"lun", drive.entry.Lun}}},
        {"letter", CodePageText(std::string(1, drive.entry.DriveLetter))},
        {"name", CodePageText(drive.name)},
        {"inquiryAnswered", answers.inquiryAnswered},
        {"capabilities", std::move(capabilities)},
        {"maxReadSpeedKBps", answers.maxReadSpeed},
        {"maxWriteSpeedKBps", answers.maxWriteSpeed},
        {"bufferSizeBytes", answers.bufferSize},
        {"burner", answers.burner},
        {"unitReady", answers.unitReady},
        {"error", CodePageText(answers.error)},
        {"report", ReportJson(report.lines)},
        {"details", DetailsJson(report.details)},
    };
}

}  // namespace

Json ProbeJson(const ProbeFacts& facts, const std::string& programVersion) {
    Json drives = Json::array();
    for (std::size_t i = 0; i < facts.listing.drives.size(); ++i)
        drives.push_back(DriveJson(facts.listing.drives[i], facts.answers[i], facts.reports[i]));
    Json json{
        {"program", {{"name", "quendra-probe"}, {"version", programVersion}}},
        {"system", SystemJson(facts.system)},
        {"route", RouteName(facts.listing.route)},
        {"drives", std::move(drives)},
    };
    if (facts.listing.drives.empty()) {
        Json causes = Json::array();
        for (const NoDriveFinding& finding : facts.listing.whyNone) {
            causes.push_back({{"cause", CauseName(finding.cause)},
                              {"text", SystemText(finding.text)},
                              {"fix", SystemText(finding.fix)}});
        }
        json["noDriveCauses"] = std::move(causes);
    }
    return json;
}

}  // namespace quendra
