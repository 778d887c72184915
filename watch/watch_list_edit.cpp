#include "watch/watch_list_edit.h"

#include "watch/run_lock.h"
#include "watch/watch_file.h"

namespace quarnel::watch {

Expected<ListEdit> editWatchList(const std::filesystem::path& listFile,
                                 const std::function<std::optional<std::string>(const std::string&)>& edit) {
    std::error_code ignored;  // a folder that cannot be made shows as a lock that cannot be taken
    std::filesystem::create_directories(listFile.parent_path(), ignored);
    const RunLock lock(editLockPath(listFile), RunLock::Wait::Yes);
    if (lock.state() != RunLock::State::Held) {
        return Failure{"cannot lock " + editLockPath(listFile).string() + ", so the list is left as it was"};
    }
    auto text = readWatchFile(listFile);
    if (!text) {
        return Failure{text.reason()};
    }
    const std::optional<std::string> edited = edit(text->value_or(""));
    if (!edited) {
        return ListEdit::LeftAsItWas;
    }
    if (const auto saved = saveWatchFile(listFile, *edited); !saved) {
        return Failure{saved.reason()};
    }
    return ListEdit::Saved;
}

}  // namespace quarnel::watch
