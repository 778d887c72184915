#pragma once

#include "tools/fake-web/fake_web_server.h"

#include <QByteArray>
#include <QtGlobal>

#include <utility>
#include <vector>

namespace quarnel::testing {

// fake-web answering for every outside host through http_proxy. Chromium takes its proxy
// from the environment when Qt WebEngine starts, so a test keeps this as a global: it
// listens, and http_proxy is set, before QApplication exists. libcurl reads it per request.
struct ProxiedStandIn {
    explicit ProxiedStandIn(std::vector<fakeweb::Route> routes) : server(std::move(routes)) {
        server.start();
        qputenv("http_proxy", QByteArray::fromStdString(server.proxyUrl()));
        qputenv("no_proxy", "");
    }

    fakeweb::Server server;
};

}  // namespace quarnel::testing
