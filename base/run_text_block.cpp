#include "base/run_record.h"

namespace quarnel {

std::string formatTextBlock(const RunRecord& run) {
    std::string block = "http://" + run.domain + '\n';
    for (const ResultInfo& info : kResults) {
        block.append("  ").append(info.caption).append("：").append(run.results[info.result].value_or(kQuerying));
        block.push_back('\n');
    }
    if (run.fetchFailures > 0) {
        block.append("  无法连接服务器：").append(std::to_string(run.fetchFailures)).append("\n");
    }
    return block + '\n';
}

}  // namespace quarnel
