#include "cli/wait_line.h"

namespace quarnel::cli {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kSecond{1000};
// Back to the start of the line, and everything after the cursor erased.
constexpr const char* kRewrite = "\r\x1b[K";

}  // namespace

WaitLine::WaitLine(Waits& inner, std::ostream& err, bool onTerminal)
    : inner_(inner), err_(err), onTerminal_(onTerminal) {}

std::string WaitLine::line(Wait::For why, milliseconds left) const {
    std::string text = '[' + std::to_string(place_.number);
    if (place_.total > 0) {
        text += '/' + std::to_string(place_.total);
    }
    const std::string seconds = std::to_string((left + kSecond - milliseconds(1)) / kSecond);
    text += "] " + place_.domain + ": ";
    return text + (why == Wait::For::Pace ? "等待 " + seconds + " s" : "被拦截，等待 " + seconds + " s 后再问一次");
}

void WaitLine::wait(const Wait& wait) {
    if (!onTerminal_ || wait.length <= milliseconds(0)) {
        inner_.wait(wait);
        return;
    }
    waitSecondBySecond(inner_, wait, [this, &wait](milliseconds left) {
        err_ << kRewrite << line(wait.why, left) << std::flush;
        return true;
    });
    err_ << kRewrite << std::flush;
}

}  // namespace quarnel::cli
