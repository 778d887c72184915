// How the main window looks before it is loaded: where every control sits, what it
// says and in which font and colour, which control takes the mouse and the keyboard.

#include "fetch/http_transport.h"
#include "panels/url_opener.h"
#include "shell/control_model.h"
#include "shell/last_domain_file.h"
#include "shell/window/form1.h"

#include <QtTest>

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using quarnel::ResultLabel;

// Queries reach the transport on a worker thread.
class CountingTransport final : public quarnel::HttpTransport {
public:
    std::optional<std::string> fetchBody(const std::string& /*url*/) override {
        ++requests;
        return std::nullopt;
    }
    std::atomic<int> requests{0};
};

class RecordingOpener final : public quarnel::UrlOpener {
public:
    void open(const std::string& url) override { urls.push_back(url); }
    std::vector<std::string> urls;
};

// Twips within the container, frontmost first. Timer1 (between WebBrowser2 and Frame1)
// has no place on the screen.
struct Place {
    const char* name;
    const char* container;
    int left, top, width, height;
};
constexpr Place kPlaces[] = {
    {"WebBrowser3", "Form1", 240, 6840, 495, 495},    {"Frame2", "Form1", -240, 4440, 9495, 1575},
    {"WebBrowser2", "Frame2", 0, -120, 10335, 1695},  {"Frame1", "Form1", -120, 720, 9015, 2055},
    {"WebBrowser1", "Frame1", 80, -1440, 9015, 3495}, {"Text6", "Form1", 1200, 6480, 6255, 270},
    {"Text3", "Form1", 2400, 120, 3735, 375},         {"Text1", "Form1", 240, 6120, 7455, 270},
    {"Command1", "Form1", 6240, 120, 855, 375},       {"Image1", "Form1", 60, 55, 1035, 600},
    {"Label21", "Form1", 7320, 120, 1095, 375},       {"Label20", "Form1", 2760, 525, 2700, 180},
    {"Label19", "Form1", 6960, 3720, 975, 615},       {"Label18", "Form1", 5880, 3720, 855, 615},
    {"Label17", "Form1", 4560, 3720, 1095, 615},      {"Label16", "Form1", 3480, 3720, 855, 615},
    {"Label15", "Form1", 2160, 3720, 1095, 615},      {"Label14", "Form1", 360, 4080, 795, 180},
    {"Label8", "Form1", 1080, 3720, 975, 615},        {"Label13", "Form1", 4725, 4080, 780, 180},
    {"Label12", "Form1", 3525, 4080, 780, 180},       {"Label11", "Form1", 5895, 4080, 780, 180},
    {"Label5", "Form1", 2400, 4080, 780, 180},        {"Label9", "Form1", 7095, 4080, 780, 180},
    {"Label7", "Form1", 360, 3720, 7785, 180},        {"Label4", "Form1", 1200, 4080, 780, 180},
    {"Label6", "Form1", 2040, 3000, 915, 210},        {"Label1", "Form1", 3000, 3000, 900, 210},
    {"Label10", "Form1", 4560, 3000, 1365, 210},      {"Label2", "Form1", 5880, 3000, 900, 210},
    {"Image40", "Form1", 960, 2880, 6750, 510},       {"Label3", "Form1", 1320, 200, 975, 255},
    {"Image13", "Form1", -240, 2520, 12465, 8115},    {"Image2", "Form1", 0, 0, 12465, 8115},
};

const QStringList kAutoSized = {"Label1",  "Label2", "Label4",  "Label5", "Label9",  "Label11", "Label12",
                                "Label13", "Label7", "Label14", "Label6", "Label10", "Label20"};
const QStringList kSearchLinks = {"Label8", "Label15", "Label16", "Label17", "Label18", "Label19"};

int px(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

// Labels, boxes and the button all show their "text" property.
QString shownText(const QWidget* widget) {
    return widget->property("text").toString();
}

}  // namespace

class Form1LayoutTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    CountingTransport transport_;
    RecordingOpener opener_;
    std::unique_ptr<quarnel::LastDomainFile> lastDomain_;
    std::unique_ptr<quarnel::Form1> form_;

    QWidget* control(const QString& name) const { return form_->findChild<QWidget*>(name); }

    bool showActive() {
        form_->show();
        return QTest::qWaitForWindowActive(form_.get(), 20000);
    }

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        lastDomain_ = std::make_unique<quarnel::LastDomainFile>(dir_.filePath("dz.txt").toStdString());
        form_ = std::make_unique<quarnel::Form1>(transport_, *lastDomain_, opener_);
    }
    void cleanup() { form_.reset(); }

    void windowFrame() {
        QCOMPARE(form_->objectName(), QStringLiteral("Form1"));
        QCOMPARE(form_->windowTitle(), QStringLiteral("QuarnelV6.0   -  www.quarnel.example  -  010-0000-0000"));
        QCOMPARE(form_->size(), QSize(578, 391));
        QCOMPARE(form_->minimumSize(), QSize(578, 391));
        QCOMPARE(form_->maximumSize(), QSize(578, 391));
        const QList<QSize> iconSizes = form_->windowIcon().availableSizes();
        for (int size : {64, 48, 32, 16}) {
            QVERIFY2(iconSizes.contains(QSize(size, size)), qPrintable(QStringLiteral("no %1 px image").arg(size)));
        }
    }

    void placement_data() {
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("rect");
        for (const Place& place : kPlaces) {
            QTest::newRow(place.name) << QString::fromLatin1(place.container)
                                      << QRect(px(place.left), px(place.top), px(place.width), px(place.height));
        }
    }
    void placement() {
        QFETCH(QString, container);
        QFETCH(QRect, rect);
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        QWidget* widget = control(name);
        QVERIFY2(widget != nullptr, qPrintable(name));
        QVERIFY(widget->parentWidget() != nullptr);
        QCOMPARE(widget->parentWidget()->objectName(), container);
        if (!kAutoSized.contains(name)) {
            QCOMPARE(widget->geometry(), rect);
            // Pictures are shown at their natural size.
            if (auto* picture = qobject_cast<QLabel*>(widget); picture && !picture->pixmap().isNull()) {
                QCOMPARE(picture->pixmap().size(), rect.size());
            }
            return;
        }
        // The caption decides the size; the corner stays where it was laid out.
        QCOMPARE(widget->pos(), rect.topLeft());
        QCOMPARE(widget->size(), widget->sizeHint());
        QVERIFY(!widget->size().isEmpty());
    }

    void timer1() {
        auto* timer = form_->findChild<QTimer*>(QStringLiteral("Timer1"));
        QVERIFY(timer != nullptr);
        QVERIFY(!timer->isActive());
    }

    void stackingAndHitTesting() {
        QStringList frontToBack;
        for (const Place& place : kPlaces) {
            if (QByteArrayView(place.container) == "Form1") {
                frontToBack << QString::fromLatin1(place.name);
            }
        }
        // Siblings are listed back to front.
        QStringList backToFront;
        for (QObject* child : form_->children()) {
            if (child->isWidgetType() && frontToBack.contains(child->objectName())) {
                backToFront.prepend(child->objectName());
            }
        }
        QCOMPARE(backToFront, frontToBack);

        for (const QString& name : kSearchLinks) {
            QCOMPARE(form_->childAt(control(name)->geometry().center()), control(name));
        }
        const QRect label4 = control("Label4")->geometry();
        QVERIFY(control("Label8")->geometry().contains(label4));
        // Both backgrounds show the same picture.
        QCOMPARE(qobject_cast<QLabel*>(control("Image2"))->pixmap().toImage(),
                 qobject_cast<QLabel*>(control("Image13"))->pixmap().toImage());
        QCOMPARE(form_->childAt(label4.center()), control("Label8"));

        for (const char* name : {"Text1", "Text6", "WebBrowser3"}) {
            QVERIFY2(!control(name)->geometry().intersects(form_->rect()), name);
        }
    }

    // Per control: what it shows at start, its font (size 0: nothing of its own to draw),
    // its text colour (invalid: not a coloured label) and its tooltip.
    void appearance_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("pointSize");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("toolTip");
        const auto row = [](const char* name, const char* text, double pointSize, bool bold, QColor colour,
                            const char* toolTip = "") {
            QTest::newRow(name) << QString::fromUtf8(text) << pointSize << bold << colour << QString::fromUtf8(toolTip);
        };
        const QColor yellow(255, 255, 0), white(255, 255, 255), none;
        for (const char* name : {"Label4", "Label5", "Label12", "Label13", "Label11", "Label9"}) {
            row(name, "等待查询", 9, true, yellow);
        }
        row("Label1", "等待查询", 10.5, true, yellow);
        row("Label2", "等待查询", 10.5, true, yellow);
        row("Label7", "百度：| 今日收录 | 一星期收录 | 一月收录 | 所有日收录 | 百度快照 | site:首页 |", 9, true, white);
        row("Label14", "查看：| ", 9, true, white);
        row("Label6", "网站PR：", 10.5, true, white);
        row("Label10", "PR是否劫持：", 10.5, true, white);
        row("Label3", "http://", 12, true, none);
        row("Label20", "输入的字母小写，否则查询不完整", 9, false, QColor(128, 128, 128));
        row("Label21", "最后一次查询 网址将保存！", 9, false, QColor(192, 192, 192));
        row("Text1", "Text1", 9, false, none);
        row("Text6", "Text6", 9, false, none);
        row("Text3", "www.quarnel.example", 10.5, false, none);
        row("Command1", "确  认", 9, true, none);
        row("Label8", "", 0, false, none, "查看一天收录");
        row("Label15", "", 0, false, none, "查看一星期收录");
        row("Label16", "", 0, false, none, "查看一月收录");
        row("Label17", "", 0, false, none, "查看所有日收录");
        row("Label18", "", 0, false, none, "查看快照");
        row("Label19", "", 0, false, none, "查看首页");
        row("Image1", "", 0, false, none, "进入友情链接交换页面");
        row("Image2", "", 0, false, none, "如果没有查询结果，请重新查询");
        row("Image13", "", 0, false, none, "如果没有查询结果，请重新查询");
    }
    void appearance() {
        QFETCH(QString, text);
        QFETCH(double, pointSize);
        QFETCH(bool, bold);
        QFETCH(QColor, colour);
        QFETCH(QString, toolTip);
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        QWidget* widget = control(name);
        QVERIFY(widget != nullptr);
        QCOMPARE(shownText(widget), text);
        QCOMPARE(widget->toolTip(), toolTip);
        if (kSearchLinks.contains(name) || name == "Image1") {
            QCOMPARE(widget->cursor().shape(), Qt::WhatsThisCursor);
        }
        if (colour.isValid()) {
            QCOMPARE(widget->palette().color(QPalette::WindowText), colour);
        }
        if (pointSize == 0) {
            return;
        }
        QCOMPARE(widget->font().pointSizeF(), pointSize);
        QCOMPARE(widget->font().bold(), bold);
        const QString family = QFontInfo(widget->font()).family();
        QVERIFY2(QStringList({"SimSun", "宋体", "Noto Serif CJK SC"}).contains(family), qPrintable(family));
        // A character missing from the face would show as a box.
        const QFontMetrics metrics(widget->font());
        for (char32_t ch : text.toUcs4()) {
            QVERIFY2(metrics.inFontUcs4(ch), qPrintable(QStringLiteral("U+%1").arg(uint(ch), 4, 16, QChar('0'))));
        }
    }

    void label21DrawsTwoLinesInItsBox() {
        QWidget* label = control("Label21");
        QVERIFY(label != nullptr);
        // One em per line, so both lines fit the box.
        const QSize needed = label->sizeHint();
        QCOMPARE(needed.height(), 2 * QFontInfo(label->font()).pixelSize());
        QVERIFY2(label->rect().contains(QRect(QPoint(), needed)), qPrintable(QString::number(needed.width())));
    }

    void setCaptionResizesAndShowsPlainText_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("wider");
        QTest::newRow("longer") << QStringLiteral("查询中.......... 1,234,567 条") << true;
        QTest::newRow("markup") << QStringLiteral("<b>x</b>") << false;
        QTest::newRow("ampersand") << QStringLiteral("a&b &lt;") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void setCaptionResizesAndShowsPlainText() {
        QFETCH(QString, caption);
        QFETCH(bool, wider);
        auto* label = qobject_cast<QLabel*>(control("Label4"));
        QVERIFY(label != nullptr);
        const QRect before = label->geometry();
        form_->setCaption(ResultLabel::Label4, caption.toStdString());
        QCOMPARE(QString::fromStdString(form_->caption(ResultLabel::Label4)), caption);
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->pos(), before.topLeft());
        if (caption.isEmpty()) {
            QVERIFY(label->size().isEmpty());
            return;
        }
        QCOMPARE(label->size(), label->sizeHint());
        // Every character is laid out, markup included.
        QCOMPARE(label->width(), QFontMetrics(label->font()).horizontalAdvance(caption));
        if (wider) {
            QVERIFY(label->width() > before.width());
        }
    }

    void focusOrder() {
        // Labels and pictures are see-through and never take the keyboard.
        for (QLabel* label : form_->findChildren<QLabel*>()) {
            QVERIFY2(label->focusPolicy() == Qt::NoFocus, qPrintable(label->objectName()));
            QVERIFY2(!label->autoFillBackground(), qPrintable(label->objectName()));
        }
        QVERIFY(showActive());
        QWidget* command1 = control("Command1");
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), command1, 10000);

        // The chain as Tab walks it, each stop named by the control it belongs to: a web
        // panel takes the focus through the view inside it. Tab inside a shown page is
        // the page's own, so the panels are checked in the chain only.
        const QStringList expected = {"Command1",    "Text1",       "Text3",      "Text6",
                                      "WebBrowser1", "WebBrowser2", "WebBrowser3"};
        const auto owner = [&](QWidget* widget) {
            for (; widget != nullptr && widget != form_.get(); widget = widget->parentWidget()) {
                if (expected.contains(widget->objectName())) {
                    return widget->objectName();
                }
            }
            return QString();
        };
        QStringList stops;
        QWidget* widget = command1;
        do {
            if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() && widget->isVisibleTo(form_.get())) {
                const QString name = owner(widget);
                if (stops.isEmpty() || stops.last() != name) {
                    stops << name;
                }
            }
            widget = widget->nextInFocusChain();
        } while (widget != command1);
        QCOMPARE(stops, expected);

        for (const char* name : {"Text1", "Text3", "Text6"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), control(name), 5000);
        }
    }

    void keysInDomainBoxStartNoQuery() {
        auto* command1 = qobject_cast<QPushButton*>(control("Command1"));
        QVERIFY(command1 != nullptr);
        QVERIFY(!command1->isDefault());
        QVERIFY(!command1->autoDefault());
        QVERIFY(showActive());
        QWidget* text3 = control("Text3");
        text3->setFocus();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), text3, 10000);
        // Should a query start anyway, its message box must not hang the test.
        QTimer dismisser;
        connect(&dismisser, &QTimer::timeout, [] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                box->close();
            }
        });
        dismisser.start(0);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(text3, key);
            QTest::keyClick(form_->windowHandle(), key);
        }
        QCoreApplication::processEvents();
        QVERIFY(!form_->queryInProgress());
        QCOMPARE(transport_.requests.load(), 0);
        QCOMPARE(QString::fromStdString(form_->caption(ResultLabel::Label4)), QStringLiteral("等待查询"));
    }
};

QTEST_MAIN(Form1LayoutTest)
#include "form1_layout_test.moc"
