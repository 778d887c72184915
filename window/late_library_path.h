#pragma once

#include <QString>

namespace quarnel {

// Where a library the window loads only once it needs it is: the installed one, at
// `installed` relative to this program's folder, else `built` in the build tree.
QString lateLibraryPath(const char* installed, const char* built);

}  // namespace quarnel
