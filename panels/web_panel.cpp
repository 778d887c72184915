#include "panels/web_panel.h"

#include <QChildEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace quarnel {
namespace {

// document.all(name) gives one element, a collection when the name is shared, or null.
// Only the single-element case is meant to be filled.
constexpr char kFillScript[] =
    "(function (text) {"
    "  const found = document.all('url');"
    "  if (found instanceof Element) found.value = text;"
    "})";

constexpr char kSubmitScript[] =
    "(function () {"
    "  const button = document.getElementsByName('submit')[0];"
    "  if (button) button.click();"
    "})();";

// Runs in a world of its own so the page's scripts cannot replace what ours call;
// the DOM itself is shared between worlds.
void runInOwnWorld(QWebEnginePage* page, const QString& script) {
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld);
}

// `text` as a JavaScript string literal: the JSON of a one-element array, brackets cut off.
QString scriptLiteral(const QString& text) {
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.sliced(1, json.size() - 2));
}

}  // namespace

WebPanel::WebPanel(QWebEngineProfile* profile, QWidget* parent) : QWebEngineView(profile, parent) {}

void WebPanel::navigate(const QByteArray& url) {
    QUrl target = QUrl::fromEncoded(url, QUrl::StrictMode);
    if (!target.isValid()) {
        target = QUrl::fromEncoded(url, QUrl::TolerantMode);
    }
    load(target);
}

void WebPanel::fillUrlField(const QString& text) {
    runInOwnWorld(page(), QString::fromLatin1(kFillScript) + '(' + scriptLiteral(text) + ");");
}

QWidget* WebPanel::keyboardTarget() {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->focusPolicy() != Qt::NoFocus) {
            return child;
        }
    }
    return this;
}

void WebPanel::childEvent(QChildEvent* event) {
    QWebEngineView::childEvent(event);
    // The page's widget arrives some time after the panel; once polished it is whole.
    if (event->type() == QEvent::ChildPolished && event->child()->isWidgetType()) {
        emit pageViewCreated();
    }
}

void WebPanel::clickSubmit() {
    runInOwnWorld(page(), QString::fromLatin1(kSubmitScript));
}

void WebPanel::readDocument() {
    page()->toHtml([this, answered = QPointer<QObject>(readsAnswered_.get())](const QString& document) {
        if (answered) {
            emit documentRead(document);
        }
    });
}

}  // namespace quarnel
