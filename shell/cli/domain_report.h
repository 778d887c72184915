#pragma once

#include "shell/memory_control_model.h"

#include <array>
#include <optional>
#include <string>

namespace quarnel::cli {

// What one query run found for one domain.
struct DomainReport {
    struct Value {
        const char* jsonKey;
        const char* heading;                 // as the window heads the value
        std::optional<std::string> caption;  // nothing when no check of the run wrote it
    };

    std::string domain;
    std::array<Value, 8> values;
    int fetchFailures = 0;
};

// Reads the result labels of a model on which exactly one query run has been made.
DomainReport reportOf(const std::string& domain, const MemoryControlModel& controls, int fetchFailures);

std::string formatJsonLine(const DomainReport& report);
std::string formatTextBlock(const DomainReport& report);

}  // namespace quarnel::cli
