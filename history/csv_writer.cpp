#include "history/csv_writer.h"

#include "history/iso_time.h"
#include "base/results.h"

#include <string>
#include <string_view>

namespace quarnel::history {
namespace {

constexpr std::size_t kFlushAt = 1 << 16;

void appendField(std::string& row, std::string_view text) {
    if (!text.empty() && text.find_first_of(",\"\r\n") == std::string_view::npos) {
        row.append(text);
        return;
    }
    row.push_back('"');
    for (const char ch : text) {
        if (ch == '"') {
            row.push_back('"');
        }
        row.push_back(ch);
    }
    row.push_back('"');
}

void appendHeader(std::string& out) {
    out.append("started,duration_ms,domain,origin,fetch_failures");
    for (const ResultInfo& info : kResults) {
        out.append(",").append(info.key);
    }
    for (const ResultInfo& info : kResults) {
        if (info.hasNumber()) {
            out.append(",").append(info.key).append("_number");
        }
    }
    out.append("\r\n");
}

void appendRun(std::string& out, const RunRecord& run, CsvOptions::Times times) {
    out.append(times == CsvOptions::Times::Utc ? isoUtc(run.startedAt) : isoLocal(run.startedAt));
    out.append(",").append(std::to_string(run.duration.count())).append(",");
    appendField(out, run.domain);
    out.append(run.origin == RunOrigin::Window ? ",window," : ",cli,");
    out.append(std::to_string(run.fetchFailures));
    for (const ResultInfo& info : kResults) {
        out.push_back(',');
        if (const auto& text = run.results[info.result]) {
            appendField(out, *text);
        }
    }
    for (const ResultInfo& info : kResults) {
        if (!info.hasNumber()) {
            continue;
        }
        out.push_back(',');
        const auto& text = run.results[info.result];
        if (const auto number = text ? countValue(*text) : std::nullopt) {
            out.append(std::to_string(*number));
        }
    }
    out.append("\r\n");
}

}  // namespace

void writeCsv(std::ostream& out, const std::vector<RunRecord>& runs, const CsvOptions& options) {
    std::string buffer;
    buffer.reserve(kFlushAt + 1024);
    if (options.byteOrderMark) {
        buffer.append("\xEF\xBB\xBF");
    }
    appendHeader(buffer);
    for (const RunRecord& run : runs) {
        appendRun(buffer, run, options.times);
        if (buffer.size() >= kFlushAt) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
}

}  // namespace quarnel::history
