#include "tools/fake-web/fake_web_server.h"

#include "tools/fake-web/exchange.h"
#include "tools/fake-web/tls_identity.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <list>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace fakeweb {
namespace {

struct Connection {
    int fd = -1;  // -1 once the worker has closed it
    bool finished = false;
    std::thread worker{};
};

}  // namespace

struct Server::State {
    std::vector<Route> routes;
    RequestLineHandler onRequestLine;
    std::unique_ptr<TlsIdentity> tls;
    int listenFd = -1;
    std::uint16_t port = 0;
    std::atomic<bool> stopping = false;
    std::atomic<std::size_t> accepted = 0;
    std::thread acceptor;

    // A worker closes its own socket under this lock, so stop() never shuts down a reused descriptor.
    std::mutex connectionsMutex;
    std::list<Connection> connections;

    mutable std::mutex logMutex;
    std::vector<std::string> log;
    std::vector<std::string> cookies;

    void acceptLoop();
    void serve(std::list<Connection>::iterator connection);
    void record(const RequestHead& request, std::string_view scheme);
};

void Server::State::acceptLoop() {
    for (;;) {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (stopping) {
                return;
            }
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of descriptors or memory: give open connections a moment to finish instead of spinning.
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            continue;
        }
        ++accepted;
        std::vector<std::thread> finished;
        {
            std::lock_guard lock(connectionsMutex);
            for (auto it = connections.begin(); it != connections.end();) {
                if (it->finished) {
                    finished.push_back(std::move(it->worker));
                    it = connections.erase(it);
                } else {
                    ++it;
                }
            }
            const auto connection = connections.insert(connections.end(), Connection{fd});
            try {
                connection->worker = std::thread(&State::serve, this, connection);
            } catch (const std::system_error&) {
                ::close(fd);
                connections.erase(connection);
            }
        }
        for (std::thread& worker : finished) {
            worker.join();
        }
    }
}

void Server::State::serve(std::list<Connection>::iterator connection) {
    // OpenSSL writes without MSG_NOSIGNAL: a client hanging up mid-reply must not raise
    // SIGPIPE in the host process. Blocked here, it stays with this thread and ends with it.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    serveConnection(
        connection->fd,
        {routes, [this](const RequestHead& request, std::string_view scheme) { record(request, scheme); }, tls.get()});
    std::lock_guard lock(connectionsMutex);
    ::close(connection->fd);
    connection->fd = -1;
    connection->finished = true;
}

void Server::State::record(const RequestHead& request, std::string_view scheme) {
    std::lock_guard lock(logMutex);
    if (onRequestLine) {
        onRequestLine(request.line);
    }
    if (!request.host.empty()) {
        log.push_back(std::string(scheme) + "://" + request.host + request.target);
        cookies.push_back(request.cookie);
    }
}

Server::Server(std::vector<Route> routes) : state_(std::make_unique<State>()) {
    state_->routes = std::move(routes);
}

Server::~Server() {
    stop();
}

void Server::onRequestLine(RequestLineHandler handler) {
    state_->onRequestLine = std::move(handler);
}

void Server::serveTls(const std::filesystem::path& certificateChain, const std::filesystem::path& privateKey) {
    state_->tls = std::make_unique<TlsIdentity>(certificateChain, privateKey);
}

void Server::start(std::uint16_t port) {
    State& state = *state_;
    if (state.acceptor.joinable()) {
        throw std::runtime_error("fakeweb::Server is already running");
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), "fakeweb: socket");
    }
    // Lets a test restart on a fixed port while old connections sit in TIME_WAIT.
    const int reuse = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0 || ::listen(fd, SOMAXCONN) < 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) < 0) {
        const int error = errno;
        ::close(fd);
        throw std::system_error(error, std::generic_category(),
                                "fakeweb: cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    state.listenFd = fd;
    state.port = ntohs(address.sin_port);
    state.stopping = false;
    state.accepted = 0;
    try {
        state.acceptor = std::thread(&State::acceptLoop, &state);
    } catch (const std::system_error&) {
        ::close(fd);
        state.listenFd = -1;
        throw;
    }
}

std::uint16_t Server::port() const {
    return state_->port;
}

std::string Server::proxyUrl() const {
    return "http://127.0.0.1:" + std::to_string(state_->port);
}

std::vector<std::string> Server::requestLog() const {
    std::lock_guard lock(state_->logMutex);
    return state_->log;
}

std::vector<std::string> Server::cookieLog() const {
    std::lock_guard lock(state_->logMutex);
    return state_->cookies;
}

std::size_t Server::acceptedConnections() const {
    return state_->accepted;
}

std::size_t Server::greaseHandshakes() const {
    return state_->tls ? state_->tls->greaseHellos() : 0;
}

void Server::stop() {
    State& state = *state_;
    if (!state.acceptor.joinable()) {
        return;
    }
    state.stopping = true;
    // On Linux this wakes the blocked accept() with EINVAL.
    ::shutdown(state.listenFd, SHUT_RDWR);
    state.acceptor.join();
    ::close(state.listenFd);
    state.listenFd = -1;

    // Shutting a socket down wakes its worker wherever it waits: reading a head, stalling, or sending.
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(state.connectionsMutex);
        for (Connection& connection : state.connections) {
            if (connection.fd >= 0) {
                ::shutdown(connection.fd, SHUT_RDWR);
            }
            workers.push_back(std::move(connection.worker));
        }
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    state.connections.clear();
}

}  // namespace fakeweb
