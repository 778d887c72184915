// How the main window looks before it is loaded: how its controls sit together, in which
// face they draw, which control takes the mouse and the keyboard.

#include "controls/last_domain_file.h"
#include "fetch/http_transport.h"
#include "panels/url_opener.h"
#include "window/form1.h"

#include <QtTest>

#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>

#include <memory>

namespace {

// The network and the desktop: every page comes back empty, so a query started by
// mistake runs through without a box; links go nowhere.
class Outside final : public quarnel::HttpTransport, public quarnel::UrlOpener {
public:
    quarnel::Expected<quarnel::HttpReply> fetch(const quarnel::HttpRequest& /*request*/) override {
        ++requests;
        return quarnel::HttpReply{};
    }
    void open(const std::string& /*url*/) override {}
    int requests = 0;  // read only once the window's worker thread is joined
};

// The controls the window holds itself; Timer1 has no place on the screen, and the two
// other web panels sit in the frames.
const QStringList kOnTheWindow = {"Image1",   "Image2",  "Image13", "Image40",    "Label1",  "Label2",  "Label3",
                                  "Label4",   "Label5",  "Label6",  "Label7",     "Label8",  "Label9",  "Label10",
                                  "Label11",  "Label12", "Label13", "Label14",    "Label15", "Label16", "Label17",
                                  "Label18",  "Label19", "Label20", "Label21",    "Text1",   "Text3",   "Text6",
                                  "Command1", "Frame1",  "Frame2",  "WebBrowser3"};

// Overlaps the window means: a search link over the column titles and values, the PR
// row over its bar, everything over the two halves of the background, and two captions
// whose blank end (a colon's empty half, a space) runs onto their neighbour.
bool liesOverOnPurpose(const QString& front, const QString& back) {
    const QStringList links = {"Label8", "Label15", "Label16", "Label17", "Label18", "Label19"};
    const QStringList titlesAndValues = {"Label7", "Label4", "Label5", "Label12", "Label13", "Label11", "Label9"};
    const QStringList prRow = {"Label6", "Label1", "Label10", "Label2"};
    return back == "Image2" || (back == "Image13" && front != "Image2") ||
           (links.contains(front) && titlesAndValues.contains(back)) || (prRow.contains(front) && back == "Image40") ||
           QStringList{"Label10 over Label2", "Label14 over Label8"}.contains(front + " over " + back);
}

}  // namespace

class Form1LayoutTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    Outside outside_;
    quarnel::LastDomainFile lastDomain_{dir_.filePath("dz.txt").toStdString()};
    std::unique_ptr<quarnel::Form1> form_;

    QWidget* control(const QString& name) const { return form_->findChild<QWidget*>(name); }

private slots:
    // The panels come once the window has painted.
    void init() {
        form_ = std::make_unique<quarnel::Form1>(outside_, lastDomain_, outside_);
        QSignalSpy panels(form_.get(), &quarnel::Form1::panelsCreated);
        form_->show();
        QVERIFY(panels.wait(20000));
    }
    void cleanup() { form_.reset(); }

    // Every control is there, shows its picture at the picture's own size, and draws its
    // caption in 宋体 with every character in the face (a missing one would show as a box).
    void controls() {
        for (const QString& name : kOnTheWindow) {
            QWidget* widget = control(name);
            QVERIFY2(widget != nullptr && widget->parentWidget() == form_.get(), qPrintable(name));
            if (auto* picture = qobject_cast<QLabel*>(widget); picture && name.startsWith("Image")) {
                QVERIFY2(!picture->pixmap().isNull(), qPrintable(name));
                QCOMPARE(picture->pixmap().size(), widget->size());
            }
            const QString caption = widget->property("text").toString();
            if (caption.isEmpty()) {
                continue;
            }
            const QFont font = widget->font();
            QVERIFY2(QStringList({"SimSun", "宋体", "Noto Serif CJK SC"}).contains(QFontInfo(font).family()),
                     qPrintable(name));
            for (char32_t ch : caption.toUcs4()) {
                QVERIFY2(QFontMetrics(font).inFontUcs4(ch), qPrintable(name + " " + QString::number(uint(ch), 16)));
            }
        }
    }

    // Controls overlap only where meant to, the one in front being the one meant; what the
    // user sees lies within the window, which keeps its size, the working text boxes and
    // panel wholly below it.
    void controlsKeepClearOfEachOtherAndInsideTheWindow() {
        QCOMPARE(form_->minimumSize(), form_->maximumSize());
        const QRect client(QPoint(0, 0), form_->maximumSize());
        const QStringList clippedOnPurpose = {"Image2", "Image13", "Frame1", "Frame2"};
        const QStringList belowTheEdge = {"Text1", "Text6", "WebBrowser3"};
        QList<QWidget*> backToFront;  // the window lists its children back to front
        for (const QString& name : kOnTheWindow) {
            backToFront << control(name);
        }
        QVERIFY(!backToFront.contains(nullptr));
        std::ranges::sort(backToFront, {}, [&](QWidget* w) { return form_->children().indexOf(w); });
        for (qsizetype back = 0; back < backToFront.size(); ++back) {
            const QString name = backToFront[back]->objectName();
            const QRect rect = backToFront[back]->geometry();
            for (qsizetype front = back + 1; front < backToFront.size(); ++front) {
                const QString frontName = backToFront[front]->objectName();
                QVERIFY2(
                    (rect & backToFront[front]->geometry() & client).isEmpty() || liesOverOnPurpose(frontName, name),
                    qPrintable(frontName + " over " + name));
            }
            if (belowTheEdge.contains(name)) {
                QVERIFY2(!rect.intersects(client), qPrintable(name));
            } else if (!clippedOnPurpose.contains(name)) {
                QVERIFY2(client.contains(rect), qPrintable(name));
            }
        }
        // A web panel fills the part of its frame that shows; the frame clips the rest.
        for (const auto& [panel, frame] : {std::pair{"WebBrowser1", "Frame1"}, std::pair{"WebBrowser2", "Frame2"}}) {
            QCOMPARE(control(panel)->parentWidget(), control(frame));
            const QRect panelInWindow(control(panel)->mapTo(form_.get(), QPoint(0, 0)), control(panel)->size());
            QVERIFY2(panelInWindow.contains(control(frame)->geometry() & client), panel);
        }
    }

    // One em a line: Label21 wraps into its box, and a result label fits whatever it is
    // given. Captions come from fetched pages: markup in them is text, never formatting.
    void captionsFitTheirText() {
        QCOMPARE(control("Label21")->sizeHint(), QSize(72, 24));
        auto* label4 = qobject_cast<QLabel*>(control("Label4"));
        QCOMPARE(label4->textFormat(), Qt::PlainText);
        const QPoint corner = label4->pos();
        for (const auto& [caption, width] :
             {std::pair{QStringLiteral("查询中.......... 1,234,567 条"), 4 * 13 + 21 * 7},
              std::pair{QStringLiteral("<b>x</b> a&b &lt;"), 17 * 7}, std::pair{QString(), 0}}) {
            form_->setCaption(quarnel::ResultLabel::Label4, caption.toStdString());
            QCOMPARE(label4->pos(), corner);
            QCOMPARE(label4->size(), QSize(width, caption.isEmpty() ? 0 : 12));
        }
    }

    void keyboard() {
        QVERIFY(QTest::qWaitForWindowActive(form_.get(), 20000));
        QWidget* command1 = control("Command1");
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), command1, 10000);

        // The chain as Tab walks it, each stop named by the control it belongs to: a web
        // panel takes the focus through the view inside it, once it has made that view.
        const QStringList expected = {"Command1",    "Text1",       "Text3",      "Text6",
                                      "WebBrowser1", "WebBrowser2", "WebBrowser3"};
        const auto owner = [&](QWidget* widget) {
            while (widget != nullptr && !expected.contains(widget->objectName())) {
                widget = widget->parentWidget();
            }
            return widget != nullptr ? widget->objectName() : QString();
        };
        const auto stops = [&] {
            QStringList stops;
            QWidget* widget = command1;
            do {
                if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() && widget->isVisibleTo(form_.get()) &&
                    (stops.isEmpty() || stops.last() != owner(widget))) {
                    stops << owner(widget);
                }
                widget = widget->nextInFocusChain();
            } while (widget != command1);
            return stops;
        };
        QTRY_COMPARE_WITH_TIMEOUT(stops(), expected, 10000);

        // Keys in the domain box start no query; Enter or Return on the query button does.
        QWidget* text3 = control("Text3");
        text3->setFocus();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), text3, 10000);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(text3, key);
            QTest::keyClick(form_->windowHandle(), key);
        }
        QCOMPARE(outside_.requests, 0);
        QTest::keyClick(command1, Qt::Key_Return);
        QTest::keyClick(command1, Qt::Key_Enter);
        QCOMPARE(outside_.requests, 2 * 7);
    }

    // Text boxes take any length; the domain box keeps one line of whatever arrives.
    void textBoxes() {
        const std::string longText(40000, 'a');
        for (auto box : {quarnel::TextBox::Text1, quarnel::TextBox::Text3, quarnel::TextBox::Text6}) {
            form_->setText(box, longText);
            QCOMPARE(form_->text(box), longText);
        }
        auto* text3 = qobject_cast<QLineEdit*>(control("Text3"));
        text3->setText("a\nb");
        QCOMPARE(text3->text(), QString("a"));
        text3->setText("abcd");
        text3->setCursorPosition(2);
        QApplication::clipboard()->setText("x\r\ny\nz");
        text3->paste();
        QCOMPARE(text3->text(), QString("abxcd"));
    }
};

QTEST_MAIN(Form1LayoutTest)
#include "form1_layout_test.moc"
