#include "controls/memory_control_model.h"

#include "fetch/service_hosts.h"

namespace quarnel {

MemoryControlModel::MemoryControlModel() : texts_{kInitialText1, std::string(hosts::kMakerSite), kInitialText6} {}

std::string MemoryControlModel::caption(ResultLabel label) const {
    return captions_[static_cast<std::size_t>(label)].text;
}

void MemoryControlModel::setCaption(ResultLabel label, const std::string& caption) {
    auto& slot = captions_[static_cast<std::size_t>(label)];
    slot.text = caption;
    ++slot.writes;
}

std::size_t MemoryControlModel::captionWrites(ResultLabel label) const {
    return captions_[static_cast<std::size_t>(label)].writes;
}

std::string MemoryControlModel::text(TextBox box) const {
    return texts_[static_cast<std::size_t>(box)];
}

void MemoryControlModel::setText(TextBox box, const std::string& text) {
    texts_[static_cast<std::size_t>(box)] = text;
}

void MemoryControlModel::setTimerInterval(int milliseconds) {
    timerInterval_ = milliseconds;
}

void MemoryControlModel::setTimerEnabled(bool enabled) {
    timerEnabled_ = enabled;
}

void MemoryControlModel::navigate(BrowserPanel panel, const std::string& url) {
    navigations_[static_cast<std::size_t>(panel)].push_back(url);
}

void MemoryControlModel::submitCheckPage() {
    ++submitCount_;
}

}  // namespace quarnel
