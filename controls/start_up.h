#pragma once

#include "controls/control_model.h"
#include "controls/last_domain_file.h"

namespace quarnel {

// What the main window does once, before it is first shown: the banner panel to its
// page, the remembered domain (or the maker's own) into Text3, the check panel to the
// check page for that domain.
void runStartUp(ControlModel& controls, const LastDomainFile& lastDomain) noexcept;

}  // namespace quarnel
