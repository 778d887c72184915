// The browser transport for the command line, over loopback with 300 KB result pages and
// no pacing: how long quarnel-browser takes from its start to saying it is ready; what a
// page costs through it against the same page through libcurl; and the peak memory of
// the helper and of the engine processes it starts.
#include "fetch/browser_process_transport.h"
#include "fetch/browser_protocol.h"
#include "fetch/curl_transport.h"
#include "tools/fake-web/fake_web_server.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kStarts = 5;
constexpr int kPages = 20;
const std::string kUrl = "http://www.bench.quarnel.example/s?wd=site%3Aexample.com";

// A result page shaped as today's are: some 300 KB, most of it the styles and scripts
// that come inline, ten results, and a script that changes the page once it has loaded.
std::string resultPage() {
    std::string style = "<style>";
    std::string script = "<script>var s_domain = {";
    for (int i = 0; style.size() + script.size() < 296 * 1024; ++i) {
        const std::string n = std::to_string(i);
        style += ".c-color-" + n + "{color:#" + std::to_string(100000 + i % 800000) +
                 ";margin:" + std::to_string(i % 9) + "px 0}\n";
        script += "\"m" + n + "\":{\"tpl\":\"se_com_default\",\"t\":\"网站收录查询与关键词排名 " + n +
                  "\",\"s\":" + std::to_string(i * 7919 % 100003) + "},";
    }
    std::string page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>site:example.com_百度搜索</title>" +
                       style + "</style>" + script +
                       "};window.onload = () => document.body.setAttribute('data-ready', '1')</script>"
                       "</head><body><div class=\"nums\">找到相关结果约1,234个</div>";
    for (int i = 0; i < 10; ++i) {
        const std::string n = std::to_string(i);
        page += "<div class=\"result c-container\" id=\"" + n +
                "\"><h3 class=\"t\"><a href=\"http://www.baidu.com/link?url=" + n + "\">示例网站第" + n +
                "页 - 网站收录查询与关键词排名</a></h3><div class=\"c-abstract\">"
                "<span class=\"newTimeFactor\">2026年12月7日</span>网站收录查询，百度快照，关键词排名与权重分析，"
                "站长工具提供的一站式查询服务。</div><a class=\"c-showurl\">www.example.com/" +
                n + "</a></div>";
    }
    return page + "</body></html>";
}

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Starts the helper as the transport does and waits for its first message.
double startToReady(const char* program) {
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    char* argv[] = {const_cast<char*>(program), nullptr};
    const auto start = Clock::now();
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    double took = -1;
    if (spawned == 0) {
        quarnel::browser_protocol::MessageReader reader;
        char buffer[256];
        for (ssize_t got; !reader.next() && (got = ::read(fromChild[0], buffer, sizeof buffer)) > 0;) {
            reader.add({buffer, static_cast<std::size_t>(got)});
            took = milliseconds(Clock::now() - start);
        }
    }
    ::close(toChild[1]);  // it ends once its input closes
    ::close(fromChild[0]);
    ::waitpid(pid, nullptr, 0);
    return took;
}

// The processes started by `parent`, and theirs, and so on.
std::vector<pid_t> descendants(pid_t parent) {
    std::vector<pid_t> found;
    DIR* proc = ::opendir("/proc");
    for (dirent* entry; proc != nullptr && (entry = ::readdir(proc)) != nullptr;) {
        const pid_t pid = std::atoi(entry->d_name);
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (pid <= 0 || !std::getline(stat, line)) {
            continue;
        }
        // The parent is the second field after the command's closing parenthesis.
        const auto afterName = line.rfind(')');
        int ppid = 0;
        if (afterName != std::string::npos && std::sscanf(line.c_str() + afterName + 2, "%*c %d", &ppid) == 1 &&
            ppid == parent) {
            found.push_back(pid);
            const std::vector<pid_t> below = descendants(pid);
            found.insert(found.end(), below.begin(), below.end());
        }
    }
    if (proc != nullptr) {
        ::closedir(proc);
    }
    return found;
}

struct Peak {
    std::string name;
    long kib = 0;
};

Peak peakOf(pid_t pid) {
    Peak peak;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Name:")) {
            peak.name = line.substr(line.find_first_not_of(" \t", 5));
        } else if (line.starts_with("VmHWM:")) {
            peak.kib = std::atol(line.c_str() + 6);
        }
    }
    return peak;
}

// The processor time the processes under this one have used, the ones they have waited
// for included (a page process that has ended is counted by the zygote that started it).
double cpuMilliseconds() {
    double ticks = 0;
    for (const pid_t pid : descendants(::getpid())) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        unsigned long long utime = 0, stime = 0;
        long long cutime = 0, cstime = 0;
        const auto afterName = line.rfind(')');
        if (afterName != std::string::npos &&
            std::sscanf(line.c_str() + afterName + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu %lld %lld",
                        &utime, &stime, &cutime, &cstime) == 4) {
            ticks += static_cast<double>(utime + stime) + static_cast<double>(cutime + cstime);
        }
    }
    return ticks * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

template <typename Transport>
std::vector<double> pageTimes(Transport& transport, int count) {
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        const quarnel::Expected<quarnel::HttpReply> reply =
            transport.fetch({.url = kUrl, .headers = {}, .keepCookies = false});
        times.push_back(milliseconds(Clock::now() - start));
        if (!reply) {
            std::fprintf(stderr, "a page failed: %s\n", reply.reason().c_str());
            std::exit(1);
        }
    }
    return times;
}

}  // namespace

// A saved result page may be named instead of the made-up one.
std::string pageToServe(int argc, char** argv) {
    if (argc < 2) {
        return resultPage();
    }
    std::ifstream in(argv[1], std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

int main(int argc, char** argv) {
    const std::string page = pageToServe(argc, argv);
    fakeweb::Server server({{.host = "www.bench.quarnel.example",
                             .target = "/s?*",
                             .body = page,
                             .contentType = "text/html; charset=utf-8"}});
    server.start();
    ::setenv("http_proxy", server.proxyUrl().c_str(), 1);
    ::setenv("no_proxy", "", 1);

    std::vector<double> starts;
    for (int i = 0; i < kStarts; ++i) {
        starts.push_back(startToReady(QUARNEL_BROWSER_PROGRAM));
    }
    std::printf("quarnel-browser start to ready: median %.0f ms, fastest %.0f ms of %d starts (goal: under 1500 ms)\n",
                median(starts), *std::min_element(starts.begin(), starts.end()), kStarts);

    quarnel::CurlTransport curl;
    pageTimes(curl, 1);
    const double byCurl = median(pageTimes(curl, kPages));

    quarnel::BrowserProcessTransport browser(QUARNEL_BROWSER_PROGRAM, {});
    const double first = pageTimes(browser, 1).front();
    const double cpuBefore = cpuMilliseconds();
    const double byBrowser = median(pageTimes(browser, kPages));
    const double cpuPerPage = (cpuMilliseconds() - cpuBefore) / kPages;
    std::printf(
        "a %zu KB page: libcurl %.1f ms, browser %.0f ms (the first %.0f ms, with the start): %.0f ms more"
        " a page (goal: under 400 ms; 200 ms of it is the wait for the page to settle)\n",
        page.size() / 1024, byCurl, byBrowser, first, byBrowser - byCurl);
    // What a page costs the processor, which other programs on the machine do not change.
    std::printf("  processor time a page in the helper and its engine processes: %.0f ms\n", cpuPerPage);

    long total = 0;
    for (const pid_t pid : descendants(::getpid())) {
        const Peak peak = peakOf(pid);
        std::printf("  peak RSS of %-20s %6.1f MiB%s\n", peak.name.c_str(), peak.kib / 1024.0,
                    peak.name == "quarnel-browser" ? "  (goal: under 300 MiB)" : "");
        total += peak.kib;
    }
    std::printf("peak RSS of the helper and its engine processes together: %.1f MiB\n", total / 1024.0);
    return 0;
}
