#pragma once

#include "base/run_record.h"

#include <QString>

#include <vector>

class QWidget;

namespace quarnel {

// Asks where to save, then writes `runs` there as CSV that spreadsheet programs on
// Chinese desktops open right. `name` suggests the file name. A file that cannot be
// written is told in a box over `parent`; a file already there is replaced only whole.
void exportCsv(QWidget* parent, const std::vector<RunRecord>& runs, const QString& name);

}  // namespace quarnel
