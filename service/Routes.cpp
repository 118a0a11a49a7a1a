#include "service/Routes.h"

#include "service/ReportBody.h"

namespace quendra {

namespace {

constexpr std::string_view kLookupPath = "/quendra/quendra.php";
constexpr std::string_view kDownloadPath = "/qndr-vextrel-download.php";
constexpr std::string_view kInfoPath = "/update-qndr.php";

ServiceReply Text(std::string contentType, std::string body, std::string note) {
    return {200, std::move(contentType), std::move(body), {}, std::move(note)};
}

ServiceReply WrongMethod(std::string_view allowed) {
    ServiceReply reply = ErrorReply(405, "Use " + std::string(allowed) + ".");
    reply.fields.emplace_back("Allow", std::string(allowed));
    return reply;
}

}  // namespace

ServiceReply ErrorReply(unsigned status, std::string text) {
    return {status, "text/plain; charset=utf-8", std::move(text) + "\r\n", {}, "refused"};
}

ServiceReply ServiceRoutes::Handle(const ServiceRequest& request) const {
    const std::string_view target = request.target;
    const std::string_view path = target.substr(0, target.find('?'));
    if (path == kLookupPath)
        return request.method == "POST" ? Lookup(request) : WrongMethod("POST");

    const bool isGet = request.method == "GET";
    if (path == kDownloadPath)
        return isGet ? Download() : WrongMethod("GET");
    if (path == kInfoPath)
        return isGet ? InfoFile(request) : WrongMethod("GET");
    if (path.starts_with(kFilesPath)) {
        const auto name = path.substr(kFilesPath.size());
        const auto release = release_.Current();
        if (const ReleaseFile* file = FindServedFile(*release, name))
            return isGet ? Text(file->contentType, *file->contents, "file") : WrongMethod("GET");
    }
    return ErrorReply(404, "Nothing here.");
}

ServiceReply ServiceRoutes::Lookup(const ServiceRequest& request) const {
    const auto fields = DecodeReportBody(request.body, ReportKeys());
    if (!fields)
        return ErrorReply(400, "The body is not a drive report.");
    const auto catalogue = catalogue_.Current();
    const LookupAnswer answer = FindPages(*catalogue, FieldValue(*fields, "DeviceNameBrand"),
                                          FieldValue(*fields, "DeviceNameModel"),
                                          FieldValue(*fields, "DeviceNameFirmware"));
    return Text("text/plain; charset=utf-8", LookupReplyText(answer.pages),
                answer.known ? "known" : "generic");
}

ServiceReply ServiceRoutes::Download() const {
    ServiceReply reply = ErrorReply(302, "Moved.");
    reply.fields.emplace_back("Location", catalogue_.Current()->downloadPage);
    reply.note = "redirect";
    return reply;
}

ServiceReply ServiceRoutes::InfoFile(const ServiceRequest& request) const {
    const auto release = release_.Current();
    const std::string base =
        release->publicAddress.empty() ? BaseFromHost(request.host) : release->publicAddress;
    if (base.empty())
        return ErrorReply(400, "A Host field naming this service is needed.");
    return Text("text/plain; charset=windows-1252", InfoFileText(*release, base),
                "release " + release->version);
}

}  // namespace quendra
