#pragma once

#include "base/run_record.h"

#include <ostream>
#include <vector>

namespace quarnel::history {

struct CsvOptions {
    enum class Times { Utc, Local };

    // Spreadsheet programs on Chinese desktops read UTF-8 only when it starts with one.
    bool byteOrderMark = false;
    // Utc: "2026-12-06T23:14:02Z"; Local: this machine's time with its offset.
    Times times = Times::Utc;
};

// The runs as CSV (RFC 4180): a header row, then one row per run with CRLF line ends.
// A result no check wrote is an empty field; an empty result is "". Every text is
// written byte for byte, quoted where it holds a comma, a quote or a line end.
void writeCsv(std::ostream& out, const std::vector<RunRecord>& runs, const CsvOptions& options);

}  // namespace quarnel::history
