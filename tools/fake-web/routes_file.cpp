#include "tools/fake-web/fake_web_server.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace fakeweb {
namespace {

int parseStatus(const std::string& text) {
    int status = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), status);
    if (error != std::errc{} || end != text.data() + text.size() || status < 100 || status > 599) {
        throw std::runtime_error("bad status '" + text + "'");
    }
    return status;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return {std::istreambuf_iterator<char>(in), {}};
}

void expectFields(const std::vector<std::string>& fields, std::size_t count, const char* form) {
    if (fields.size() != count) {
        throw std::runtime_error(std::string("expected ") + form);
    }
}

Route parseReply(const std::vector<std::string>& fields, const std::filesystem::path& folder) {
    if (fields.size() < 3) {
        throw std::runtime_error("expected HOST TARGET KIND ...");
    }
    Route route;
    route.host = fields[0];
    route.target = fields[1];
    const std::string& kind = fields[2];
    if (kind == "gbk" || kind == "raw") {
        // A raw page may name its own Content-Type, as a saved real page needs.
        if (fields.size() != 5 && !(kind == "raw" && fields.size() == 6)) {
            throw std::runtime_error("expected HOST TARGET gbk STATUS FILE, or HOST TARGET raw STATUS FILE [CONTENT-TYPE]");
        }
        route.status = parseStatus(fields[3]);
        const std::string bytes = readFile(folder / fields[4]);
        route.body = kind == "gbk" ? toGbk(bytes) : bytes;
        if (fields.size() == 6) {
            route.contentType = fields[5];
        }
    } else if (kind == "redirect") {
        expectFields(fields, 5, "HOST TARGET redirect STATUS LOCATION");
        route.reply = Reply::Redirect;
        route.status = parseStatus(fields[3]);
        route.location = fields[4];
    } else if (kind == "drop" || kind == "stall" || kind == "endless") {
        expectFields(fields, 3, "HOST TARGET drop|stall|endless");
        route.reply = kind == "drop" ? Reply::Drop : kind == "stall" ? Reply::Stall : Reply::EndlessChunked;
    } else {
        throw std::runtime_error("unknown reply kind '" + kind + "'");
    }
    return route;
}

Gate parseGate(std::string_view name) {
    if (name == "fingerprint") {
        return Gate::Fingerprint;
    }
    if (name == "script") {
        return Gate::Script;
    }
    if (name == "verification") {
        return Gate::Verification;
    }
    throw std::runtime_error("unknown gate '" + std::string(name) + "'");
}

Route parseRoute(std::vector<std::string> fields, const std::filesystem::path& folder) {
    // A gate may close any route: "gate=NAME" after its other fields.
    Gate gate = Gate::None;
    if (fields.size() > 3 && fields.back().starts_with("gate=")) {
        gate = parseGate(std::string_view(fields.back()).substr(5));
        fields.pop_back();
    }
    Route route = parseReply(fields, folder);
    route.gate = gate;
    return route;
}

}  // namespace

std::vector<Route> loadRoutes(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) {
        throw std::runtime_error("cannot read routes file " + file.string());
    }
    std::vector<Route> routes;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(line);
        const std::vector<std::string> fields{std::istream_iterator<std::string>(words), {}};
        if (fields.empty() || fields.front().starts_with('#')) {
            continue;
        }
        try {
            routes.push_back(parseRoute(fields, file.parent_path()));
        } catch (const std::exception& error) {
            throw std::runtime_error(file.string() + ":" + std::to_string(number) + ": " + error.what());
        }
    }
    return routes;
}

}  // namespace fakeweb
