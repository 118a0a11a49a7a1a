#pragma once

// The service's answers, free of the server that carries them:
//
//   POST /quendra/quendra.php       the lookup: the pages of the reported drive
//   GET  /qndr-vextrel-download.php  a redirect to the product download page
//   GET  /update-qndr.php            the update information file of the current release
//   GET  /files/<name>               the files it lists, the URL list file among them

#include <string>
#include <utility>
#include <vector>

#include "service/Catalogue.h"
#include "service/Release.h"
#include "service/WatchedFile.h"

namespace quendra {

struct ServiceRequest {
    std::string method;
    std::string target;
    std::string host;  // the Host field, "" without one
    std::string body;
};

struct ServiceReply {
    unsigned status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> fields;
    // For the request log: what the answer was, in a word ("known", "generic", ...).
    std::string note;
};

// Both files must have been read once before the first request.
class ServiceRoutes {
public:
    ServiceRoutes(const WatchedFile<Catalogue>& catalogue, const WatchedFile<Release>& release)
        : catalogue_(catalogue), release_(release) {}

    ServiceReply Handle(const ServiceRequest& request) const;

private:
    ServiceReply Lookup(const ServiceRequest& request) const;
    ServiceReply Download() const;
    ServiceReply InfoFile(const ServiceRequest& request) const;

    const WatchedFile<Catalogue>& catalogue_;
    const WatchedFile<Release>& release_;
};

// A reply with a short plain-text body saying what went wrong.
ServiceReply ErrorReply(unsigned status, std::string text);

}  // namespace quendra
