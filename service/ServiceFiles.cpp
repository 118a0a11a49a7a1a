#include "service/ServiceFiles.h"

namespace quendra {

namespace {

template <class T>
void ReportChange(RequestLog& log, WatchedFile<T>& file) {
    const auto outcome = file.Refresh();
    if (!outcome.changed)
        return;
    log.Event(outcome.error.empty() ? "read " + file.path().string()
                                    : "kept the previous contents: " + outcome.error);
}

}  // namespace

ServiceFiles::ServiceFiles(const std::filesystem::path& catalogue,
                           const std::filesystem::path& release)
    : catalogue_(catalogue, [](const std::string& text) { return ParseCatalogue(text); }),
      release_(release, [folder = release.parent_path()](const std::string& text) {
          return ParseRelease(text, folder);
      }) {}

std::string ServiceFiles::Load() {
    for (const auto& error : {catalogue_.Refresh().error, release_.Refresh().error}) {
        if (!error.empty())
            return error;
    }
    return {};
}

void ServiceFiles::Refresh(RequestLog& log) {
    ReportChange(log, catalogue_);
    ReportChange(log, release_);
}

}  // namespace quendra
