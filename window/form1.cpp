#include "window/form1.h"

#include "assets/window_pictures.h"
#include "controls/resume_next.h"
#include "controls/start_up.h"
#include "fetch/service_hosts.h"
#include "query/pacing.h"
#include "query/query_run.h"
#include "query/verification.h"
#include "window/caption_label.h"
#include "window/clickable_label.h"
#include "window/domain_box.h"
#include "window/form1_layout.h"
#include "window/query_button.h"
#include "window/song_metrics.h"
#include "window/user_input_blocker.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <cstdlib>
#include <future>
#include <tuple>
#include <utility>
#include <vector>

namespace quarnel {
namespace {

const QColor kYellow(255, 255, 0);
const QColor kWhite(255, 255, 255);
const QColor kGrey(128, 128, 128);
const QColor kLightGrey(192, 192, 192);
const QString kRetryHint = QStringLiteral("如果没有查询结果，请重新查询");

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void setTextColour(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    widget.setPalette(palette);
}

CaptionLabel* createLabel(QWidget* parent, const char* name, const QString& caption, const QFont& font) {
    auto* label = new CaptionLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    // Captions come from fetched pages: markup in them is text to show, never to render.
    label->setTextFormat(Qt::PlainText);
    return label;
}

void createPicture(QWidget* parent, const char* name, const QString& toolTip = {}) {
    auto* picture = new QLabel(parent);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setToolTip(toolTip);
}

QLineEdit* createTextBox(QWidget* parent, const char* name, const QString& text, const QFont& font) {
    auto* box = new QLineEdit(parent);
    removeLengthLimit(*box);
    box->setText(text);
    box->setObjectName(QString::fromLatin1(name));
    box->setFont(font);
    return box;
}

QGroupBox* createFrame(QWidget* parent, const char* name) {
    auto* frame = new QGroupBox(QString::fromLatin1(name), parent);
    frame->setObjectName(QString::fromLatin1(name));
    return frame;
}

}  // namespace

Form1::Form1(HttpTransport& transport, const LastDomainFile& lastDomain, UrlOpener& urlOpener, HistoryAccess history,
             const WindowSession& session)
    : transport_(transport),
      messageBox_(*this),
      fetcher_(transport_, countedBox_),
      lastDomain_(lastDomain),
      urlOpener_(urlOpener),
      history_(*this, *this, clock_, history),
      rules_(*this, *this, session.profile),
      waits_(session.waits != nullptr ? *session.waits : eventLoopWaits_),
      verificationWindows_(session.browser, *this),
      overview_(*this, *this, history_, std::move(history),
                {transport_, waits_, pauses_, clock_, [this] { return rules_.key(); }, &verificationWindows_},
                history_.showHistoryAction()),
      webPanels_(WebPanelLibrary::path()) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("QuarnelV6.0   -  ") + fromUtf8(hosts::kMakerSite) + QStringLiteral("  -  ") +
                   fromUtf8(hosts::kContactNumber));
    setFont(songFont(9));
    setFixedSize(kForm1ClientSize);
    timer1_.setObjectName(QStringLiteral("Timer1"));
    createControls();
    placeControls();
    command1_->setFocus();
    connectEvents();
}

void Form1::createControls() {
    // The pictures decode on a thread of their own while the controls' fonts load, which
    // takes longer. (Should no thread be had, they decode here when asked for.)
    std::future<WindowPictures> decoding = std::async(std::launch::async | std::launch::deferred, decodeWindowPictures);
    createPictures();
    createLabels();
    createInputs();
    const WindowPictures pictures = decoding.get();
    const QPixmap background = QPixmap::fromImage(pictures.background);
    for (const char* name : {"Image2", "Image13"}) {
        findChild<QLabel*>(QString::fromLatin1(name))->setPixmap(background);
    }
    findChild<QLabel*>(QStringLiteral("Image40"))->setPixmap(QPixmap::fromImage(pictures.pageRankBar));
    findChild<QLabel*>(QStringLiteral("Image1"))->setPixmap(QPixmap::fromImage(pictures.badge));
}

void Form1::createPictures() {
    // Created first, so that every other control lies above them; they get their
    // pictures once decoded.
    createPicture(this, "Image2", kRetryHint);
    createPicture(this, "Image13", kRetryHint);
    createPicture(this, "Image40");
    auto* image1 = new ClickableLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setToolTip(QStringLiteral("进入友情链接交换页面"));
    image1->setCursor(Qt::WhatsThisCursor);
    connect(image1, &ClickableLabel::clicked, this, [this] { openLink(SearchLink::Image1); });
}

void Form1::createLabels() {
    const QFont bold9 = songFont(9, true);
    const QFont bold10 = songFont(10.5, true);

    createLabel(this, "Label3", QStringLiteral("http://"), songFont(12, true));
    auto* label21 = createLabel(this, "Label21", QStringLiteral("最后一次查询 网址将保存！"), songFont(9));
    label21->setWordWrap(true);
    setTextColour(*label21, kLightGrey);

    struct StaticLabel {
        const char* name;
        const char* caption;
        QFont font;
        QColor colour;
    };
    for (const StaticLabel& label : {
             StaticLabel{"Label20", "输入的字母小写，否则查询不完整", songFont(9), kGrey},
             StaticLabel{"Label6", "网站PR：", bold10, kWhite},
             StaticLabel{"Label10", "PR是否劫持：", bold10, kWhite},
             StaticLabel{"Label7", "百度：| 今日收录 | 一星期收录 | 一月收录 | 所有日收录 | 百度快照 | site:首页 |",
                         bold9, kWhite},
             StaticLabel{"Label14", "查看：| ", bold9, kWhite},
         }) {
        CaptionLabel* created = createLabel(this, label.name, QString::fromUtf8(label.caption), label.font);
        setTextColour(*created, label.colour);
        autoSized_.push_back(created);
    }

    struct ResultPlace {
        ResultLabel label;
        const char* name;
        bool largeFont;
    };
    for (const ResultPlace& place :
         {ResultPlace{ResultLabel::Label1, "Label1", true}, ResultPlace{ResultLabel::Label2, "Label2", true},
          ResultPlace{ResultLabel::Label4, "Label4", false}, ResultPlace{ResultLabel::Label5, "Label5", false},
          ResultPlace{ResultLabel::Label9, "Label9", false}, ResultPlace{ResultLabel::Label11, "Label11", false},
          ResultPlace{ResultLabel::Label12, "Label12", false}, ResultPlace{ResultLabel::Label13, "Label13", false}}) {
        CaptionLabel* label =
            createLabel(this, place.name, QString::fromUtf8(kAwaitingQuery), place.largeFont ? bold10 : bold9);
        label->setAlignment(place.largeFont ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        setTextColour(*label, kYellow);
        resultLabels_[static_cast<std::size_t>(place.label)] = label;
        autoSized_.push_back(label);
    }
    connect(resultLabel(ResultLabel::Label4), &ClickableLabel::clicked, this, [this] { openLink(SearchLink::Label4); });

    for (const auto& [link, name, toolTip] : {std::tuple{SearchLink::Label8, "Label8", "查看一天收录"},
                                              std::tuple{SearchLink::Label15, "Label15", "查看一星期收录"},
                                              std::tuple{SearchLink::Label16, "Label16", "查看一月收录"},
                                              std::tuple{SearchLink::Label17, "Label17", "查看所有日收录"},
                                              std::tuple{SearchLink::Label18, "Label18", "查看快照"},
                                              std::tuple{SearchLink::Label19, "Label19", "查看首页"}}) {
        connect(createSearchLink(name, toolTip), &ClickableLabel::clicked, this, [this, link] { openLink(link); });
    }
}

void Form1::createInputs() {
    domainBox_ = new DomainBox(fromUtf8(hosts::kMakerSite), this);
    domainBox_->setObjectName(QStringLiteral("Text3"));
    domainBox_->setFont(songFont(10.5));
    textBoxes_ = {createTextBox(this, "Text1", QString::fromUtf8(kInitialText1), songFont(9)), domainBox_,
                  createTextBox(this, "Text6", QString::fromUtf8(kInitialText6), songFont(9))};

    command1_ = new QueryButton(QStringLiteral("确  认"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setFont(songFont(9, true));
}

void Form1::paintEvent(QPaintEvent* /*event*/) {
    // What the first paint does not need waits until it is on the screen: the icon, looked
    // up in the desktop's icon theme, and the web engine, which takes a good while to start.
    if (!std::exchange(firstPaintFollowedUp_, true)) {
        QTimer::singleShot(0, this, [this] {
            setWindowIcon(windowIcon());
            createPanels();
        });
    }
}

void Form1::createPanels() {
    QGroupBox* frame1 = createFrame(this, "Frame1");
    QGroupBox* frame2 = createFrame(this, "Frame2");
    frame1->show();
    frame2->show();
    const std::pair<QWidget*, const char*> panels[] = {
        {frame1, "WebBrowser1"}, {frame2, "WebBrowser2"}, {this, "WebBrowser3"}};
    for (const auto& [container, name] : panels) {
        QWidget* panel = webPanels_.createPanel(container);
        if (panel == nullptr) {
            // Without the web engine the window still queries; the frames stay empty.
            pendingNavigations_.clear();
            placeControls();
            return;
        }
        panel->setObjectName(QString::fromLatin1(name));
        panel->show();
        connect(panel, SIGNAL(pageViewCreated()), this, SLOT(chainFocus()));
    }
    webBrowser1_ = findChild<QWidget*>(QStringLiteral("WebBrowser1"));
    webBrowser2_ = findChild<QWidget*>(QStringLiteral("WebBrowser2"));
    placeControls();
    // The start-up sequence's navigations, in the order it made them.
    for (const auto& [panel, url] : std::exchange(pendingNavigations_, {})) {
        navigate(panel, url);
    }
    emit panelsCreated();
}

ClickableLabel* Form1::createSearchLink(const char* name, const char* toolTip) {
    auto* link = new ClickableLabel(this);
    link->setObjectName(QString::fromLatin1(name));
    link->setToolTip(QString::fromUtf8(toolTip));
    link->setCursor(Qt::WhatsThisCursor);
    return link;
}

void Form1::placeControls() {
    std::vector<std::pair<int, QWidget*>> focusOrder;
    tabOrder_.clear();
    // The table lists the frontmost control first; raising from the back leaves it on top.
    const auto layout = form1Layout();
    for (auto place = layout.rbegin(); place != layout.rend(); ++place) {
        auto* widget = findChild<QWidget*>(QString::fromLatin1(place->name.data(), place->name.size()));
        if (widget == nullptr) {
            continue;  // Timer1 has no place on the screen; the panels come after the first paint
        }
        widget->setGeometry(place->pixelRect());
        widget->raise();
        // A web panel passes its focus on to the page inside, which it creates only later.
        const bool takesFocus = widget->focusPolicy() != Qt::NoFocus || isWebPanel(widget);
        if (place->tabIndex && takesFocus) {
            focusOrder.emplace_back(*place->tabIndex, widget);
        }
    }
    // Auto-sized labels keep their left and top edges and take the size of their caption.
    for (CaptionLabel* label : autoSized_) {
        label->adjustSize();
    }
    std::sort(focusOrder.begin(), focusOrder.end());
    for (const auto& [tabIndex, widget] : focusOrder) {
        tabOrder_.push_back(widget);
    }
    chainFocus();
}

void Form1::chainFocus() {
    // A web panel is reached through the widget it creates for its page.
    const auto stop = [](QWidget* widget) { return isWebPanel(widget) ? panelKeyboardTarget(widget) : widget; };
    for (std::size_t i = 1; i < tabOrder_.size(); ++i) {
        setTabOrder(stop(tabOrder_[i - 1]), stop(tabOrder_[i]));
    }
}

void Form1::connectEvents() {
    connect(command1_, &QPushButton::clicked, this, &Form1::runQuery);
    connect(domainBox_, &DomainBox::clicked, this, &Form1::startFillTimer);
    connect(&timer1_, &QTimer::timeout, this, &Form1::fillCheckPage);
}

void Form1::load() {
    runStartUp(*this, lastDomain_);
}

void Form1::runQuery() {
    if (queryInProgress_) {
        return;
    }
    queryInProgress_ = true;
    overview_.setQueryRunning(true);
    {
        const UserInputBlocker blocker(*this);
        // The window waits out the pauses of the rules' pace, from the run's second
        // request to a host on; after a blocked answer it does not rest, but asks the user
        // to pass the verification.
        PacedFetcher paced(fetcher_, rules_.pace(), waits_, pauses_);
        AskingToVerify verification(rules_.profile(), verificationWindows_);
        QueryContext context = rules_.contextFor(paced, clock_);
        context.onBlocked = &verification;
        history_.recordRun(
            countedBox_, [&] { QueryRun(*this, context, &lastDomain_).run(); }, rules_.lastTrace());
        rules_.runEnded();
    }
    overview_.setQueryRunning(false);
    queryInProgress_ = false;
}

void Form1::startFillTimer() {
    resumeNext([&] { setTimerInterval(kFillTickMilliseconds); });
    resumeNext([&] { setTimerEnabled(true); });
}

void Form1::fillCheckPage() {
    resumeNext([&] { fillPanelUrlField(webBrowser1_, domainBox_->text()); });
}

void Form1::openLink(SearchLink link) {
    urlOpener_.open(searchLinkUrl(link, text(TextBox::Text3)));
}

void Form1::closeEvent(QCloseEvent* event) {
    // A query or a watch pass cut short by closing the window ends the program at once:
    // the query's results are gone with the window, the domain is not remembered, and
    // the run of the pass going on is not recorded.
    if (queryInProgress_ || overview_.passRunning()) {
        std::_Exit(EXIT_SUCCESS);
    }
    QWidget::closeEvent(event);
}

CaptionLabel* Form1::resultLabel(ResultLabel label) const {
    return resultLabels_[static_cast<std::size_t>(label)];
}

QLineEdit* Form1::textBox(TextBox box) const {
    return textBoxes_[static_cast<std::size_t>(box)];
}

std::string Form1::caption(ResultLabel label) const {
    return resultLabel(label)->text().toStdString();
}

void Form1::setCaption(ResultLabel label, const std::string& caption) {
    CaptionLabel* target = resultLabel(label);
    target->setText(QString::fromStdString(caption));
    target->adjustSize();
}

std::string Form1::text(TextBox box) const {
    return textBox(box)->text().toStdString();
}

void Form1::setText(TextBox box, const std::string& text) {
    textBox(box)->setText(QString::fromStdString(text));
}

void Form1::setTimerInterval(int milliseconds) {
    timer1Interval_ = milliseconds;
    updateTimer1();
}

void Form1::setTimerEnabled(bool enabled) {
    timer1Enabled_ = enabled;
    updateTimer1();
}

void Form1::updateTimer1() {
    if (!timer1Enabled_ || timer1Interval_ <= 0) {
        timer1_.stop();
    } else if (!timer1_.isActive() || timer1_.interval() != timer1Interval_) {
        timer1_.start(timer1Interval_);
    }
}

void Form1::navigate(BrowserPanel panel, const std::string& url) {
    if (webBrowser1_ == nullptr) {
        pendingNavigations_.emplace_back(panel, url);
        return;
    }
    navigatePanel(panel == BrowserPanel::WebBrowser1 ? webBrowser1_ : webBrowser2_, url);
}

void Form1::submitCheckPage() {
    // Before the panels exist there is no check page to submit, as while it loads.
    clickPanelSubmit(webBrowser1_);
}

}  // namespace quarnel
