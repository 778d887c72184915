#pragma once

#include "controls/control_model.h"

#include <cstddef>
#include <vector>

namespace quarnel {

// The controls without a window, for the command line and for tests.
class MemoryControlModel final : public ControlModel {
public:
    MemoryControlModel();

    std::string caption(ResultLabel label) const override;
    void setCaption(ResultLabel label, const std::string& caption) override;
    std::string text(TextBox box) const override;
    void setText(TextBox box, const std::string& text) override;
    void setTimerInterval(int milliseconds) override;
    void setTimerEnabled(bool enabled) override;
    void navigate(BrowserPanel panel, const std::string& url) override;
    void submitCheckPage() override;

    // How often a label's caption has been set since start.
    std::size_t captionWrites(ResultLabel label) const;
    int timerInterval() const { return timerInterval_; }
    bool timerEnabled() const { return timerEnabled_; }
    std::size_t submitCount() const { return submitCount_; }
    // The URLs a panel was pointed at, in order.
    const std::vector<std::string>& navigations(BrowserPanel panel) const {
        return navigations_[static_cast<std::size_t>(panel)];
    }

private:
    struct Caption {
        std::string text = kAwaitingQuery;
        std::size_t writes = 0;
    };

    std::array<Caption, kResultLabels.size()> captions_;
    std::array<std::string, 3> texts_;
    int timerInterval_ = 0;
    bool timerEnabled_ = true;
    std::size_t submitCount_ = 0;
    std::array<std::vector<std::string>, 2> navigations_;
};

}  // namespace quarnel
