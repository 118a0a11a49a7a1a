// quendra-service: the lookup and update service the program talks to. See
// service/ServiceCommand.cpp for the command line, service/Catalogue.h and
// service/Release.h for the two files it serves from.

#include <boost/asio/io_context.hpp>
#include <boost/asio/signal_set.hpp>

#include <csignal>
#include <exception>
#include <iostream>

#include "service/ServiceCommand.h"
#include "service/ServiceFiles.h"
#include "util/ProgramFiles.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;

std::string AddressText(const std::string& bind, std::uint16_t port) {
    const bool v6 = bind.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + bind + "]" : bind) + ":" + std::to_string(port);
}

int Serve(ServiceCommand& command) {
    ServiceFiles files(command.catalogue, command.release);
    if (const std::string error = files.Load(); !error.empty()) {
        std::cerr << "quendra-service: " << error << '\n';
        return 1;
    }

    RequestLog log(std::cerr);
    const ServiceRoutes routes(files.catalogue(), files.release());
    command.server.everySecond = [&] { files.Refresh(log); };
    ServiceServer server(
        command.server, [&routes](const ServiceRequest& request) { return routes.Handle(request); },
        log);
    std::cout << AddressText(command.server.bind, server.port()) << std::endl;
    log.Event("listening on " + AddressText(command.server.bind, server.port()) + " with " +
              std::to_string(server.threads()) + " threads");

    boost::asio::io_context waiting;
    boost::asio::signal_set signals(waiting, SIGINT, SIGTERM);
    signals.async_wait([&](const boost::system::error_code&, int) { waiting.stop(); });
    if (command.exitAfter)
        waiting.run_for(*command.exitAfter);
    else
        waiting.run();
    log.Event("stopping");
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const auto parsed = ParseServiceCommand({argv + 1, static_cast<std::size_t>(argc - 1)});
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::cerr << "quendra-service: " << *error << "\nTry 'quendra-service --help'.\n";
        return 2;
    }
    auto command = std::get<ServiceCommand>(parsed);
    if (command.help) {
        std::cout << kServiceUsage;
        return 0;
    }
    if (command.version) {
        const auto version = Utf16ToUtf8(GetModuleVersionString(ProgramFilePath()));
        std::cout << "quendra-service " << (version.empty() ? "(version unknown)" : version)
                  << '\n';
        return 0;
    }
    try {
        return Serve(command);
    } catch (const std::exception& error) {
        std::cerr << "quendra-service: " << error.what() << '\n';
        return 1;
    }
}
