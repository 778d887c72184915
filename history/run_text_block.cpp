#include "history/run_text_block.h"

#include "history/result_fields.h"
#include "shell/control_model.h"

namespace quarnel::history {

std::string formatTextBlock(const RunRecord& run) {
    std::string block = "http://" + run.domain + '\n';
    for (const ResultField& field : kResultFields) {
        block.append("  ").append(field.heading).append("：").append((run.results.*field.text).value_or(kQuerying));
        block.push_back('\n');
    }
    if (run.fetchFailures > 0) {
        block.append("  无法连接服务器：").append(std::to_string(run.fetchFailures)).append("\n");
    }
    return block + '\n';
}

}  // namespace quarnel::history
