#pragma once

#include "base/results.h"

#include <array>
#include <string>

namespace quarnel {

// The labels that show the results of a query run.
enum class ResultLabel { Label1, Label2, Label4, Label5, Label9, Label11, Label12, Label13 };

// In the order a query run resets them.
inline constexpr std::array<ResultLabel, 8> kResultLabels = {
    ResultLabel::Label1, ResultLabel::Label2,  ResultLabel::Label4,  ResultLabel::Label5,
    ResultLabel::Label9, ResultLabel::Label11, ResultLabel::Label12, ResultLabel::Label13,
};

// The label that shows `result`.
ResultLabel labelShowing(Result result);

// Text3 is the domain box; Text1 and Text6 are the query run's working store.
enum class TextBox { Text1, Text3, Text6 };

// The check panel and the banner panel; the spare panel WebBrowser3 is never addressed.
enum class BrowserPanel { WebBrowser1, WebBrowser2 };

inline constexpr const char* kAwaitingQuery = "等待查询";
inline constexpr const char* kInitialText1 = "Text1";
inline constexpr const char* kInitialText6 = "Text6";

// Timer1 copies the domain into the check page this often once it has been started.
inline constexpr int kFillTickMilliseconds = 500;

// The controls of the main window that the logic reads and writes, by name.
class ControlModel {
public:
    virtual ~ControlModel() = default;

    virtual std::string caption(ResultLabel label) const = 0;
    virtual void setCaption(ResultLabel label, const std::string& caption) = 0;

    virtual std::string text(TextBox box) const = 0;
    virtual void setText(TextBox box, const std::string& text) = 0;

    // Timer1: it ticks only while enabled with a non-zero interval.
    virtual void setTimerInterval(int milliseconds) = 0;
    virtual void setTimerEnabled(bool enabled) = 0;

    // Starts loading `url` in the panel and returns at once.
    virtual void navigate(BrowserPanel panel, const std::string& url) = 0;

    // WebBrowser1: clicks the first element named "submit" of its document, if there is one.
    virtual void submitCheckPage() = 0;
};

// The results a query run left on the controls, read when it has ended: a label that
// still reads 查询中. was written by no check of the run and is nothing.
RunResults resultsOf(const ControlModel& controls);

}  // namespace quarnel
