#include "tools/fake-web/fake_web_server.h"

#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string_view>

namespace {

struct Options {
    std::filesystem::path routes;
    std::uint16_t port = 0;
    std::filesystem::path log;
    std::filesystem::path tlsCertificate;
    std::filesystem::path tlsKey;
};

constexpr std::string_view kUsage =
    "usage: fake-web --routes FILE [--port N] [--log FILE] [--tls-cert FILE --tls-key FILE]\n";

// Throws std::invalid_argument on a usage error.
Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; i += 2) {
        const std::string_view flag = argv[i];
        if (flag != "--routes" && flag != "--log" && flag != "--port" && flag != "--tls-cert" && flag != "--tls-key") {
            throw std::invalid_argument("unknown option '" + std::string(flag) + "'");
        }
        if (i + 1 == argc) {
            throw std::invalid_argument(std::string(flag) + " needs a value");
        }
        const std::string_view value = argv[i + 1];
        if (flag == "--routes") {
            options.routes = value;
        } else if (flag == "--log") {
            options.log = value;
        } else if (flag == "--tls-cert") {
            options.tlsCertificate = value;
        } else if (flag == "--tls-key") {
            options.tlsKey = value;
        } else {
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), options.port);
            if (error != std::errc{} || end != value.data() + value.size()) {
                throw std::invalid_argument("bad port '" + std::string(value) + "'");
            }
        }
    }
    if (options.routes.empty()) {
        throw std::invalid_argument("--routes is required");
    }
    if (options.tlsCertificate.empty() != options.tlsKey.empty()) {
        throw std::invalid_argument("--tls-cert and --tls-key go together");
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = parseOptions(argc, argv);
    } catch (const std::invalid_argument& error) {
        std::cerr << "fake-web: " << error.what() << '\n' << kUsage;
        return 2;
    }

    // Blocked before any thread starts so every thread inherits the mask and sigwait() alone takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::ofstream logFile;
    if (!options.log.empty()) {
        logFile.open(options.log, std::ios::app);
        if (!logFile) {
            std::cerr << "fake-web: cannot open log " << options.log.string() << '\n';
            return 1;
        }
    }
    std::ostream& log = options.log.empty() ? std::cerr : logFile;

    try {
        fakeweb::Server server(fakeweb::loadRoutes(options.routes));
        server.onRequestLine([&log](const std::string& requestLine) { log << requestLine << std::endl; });
        if (!options.tlsCertificate.empty()) {
            server.serveTls(options.tlsCertificate, options.tlsKey);
        }
        server.start(options.port);
        std::cout << "listening on 127.0.0.1:" << server.port() << std::endl;
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
        // Read by whoever wants to know how well clients kept their connections alive.
        std::cout << "accepted " << server.acceptedConnections() << " connections" << std::endl;
    } catch (const std::exception& error) {
        std::cerr << "fake-web: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
