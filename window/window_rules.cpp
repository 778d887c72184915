#include "window/window_rules.h"

#include <QAction>
#include <QActionGroup>
#include <QDialog>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSettings>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdlib>
#include <iterator>

namespace quarnel {
namespace {

const QString kProfileSetting = QStringLiteral("profile");
const QString kKeySetting = QStringLiteral("opr_key");
constexpr const char* kClassic = "classic";

QSettings settings() { return QSettings(QStringLiteral("Quarnel"), QStringLiteral("quarnel")); }

std::filesystem::path profileFolder() {
    return rules::userProfileFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

// The environment's key wins, as it does for the command line.
std::string storedKey() {
    if (const char* variable = std::getenv("QUARNEL_OPR_KEY"); variable != nullptr && *variable != '\0') {
        return variable;
    }
    return settings().value(kKeySetting).toString().toStdString();
}

}  // namespace

WindowRules::WindowRules(QWidget& window, ControlModel& controls, const std::string& sessionProfile)
    : QObject(&window), window_(window), controls_(controls), key_(storedKey()) {
    load(sessionProfile.empty() ? settings().value(kProfileSetting, QString::fromLatin1(kClassic)).toString()
                                : QString::fromStdString(sessionProfile));

    profileMenu_ = new QMenu(QStringLiteral("规则"), &window_);
    connect(profileMenu_, &QMenu::aboutToShow, this, &WindowRules::fillProfileMenu);
    window_.addAction(profileMenu_->menuAction());
    auto* diagnosis = new QAction(QStringLiteral("诊断…"), &window_);
    connect(diagnosis, &QAction::triggered, this, &WindowRules::showDiagnosis);
    window_.addAction(diagnosis);
    auto* key = new QAction(QStringLiteral("设置密钥…"), &window_);
    connect(key, &QAction::triggered, this, &WindowRules::askForKey);
    window_.addAction(key);
}

void WindowRules::load(const QString& name) {
    Expected<rules::LoadedProfile> loaded = rules::loadProfile(name.toStdString(), profileFolder());
    if (!loaded) {
        // A profile that does not read is told once, when it is chosen or at start.
        QMessageBox::warning(&window_, window_.windowTitle(),
                             QStringLiteral("规则无法读取，改用经典规则：\n") + QString::fromStdString(loaded.reason()));
        loaded = rules::loadProfile(kClassic, profileFolder());
    }
    loaded_ = std::move(loaded).value();
}

void WindowRules::fillProfileMenu() {
    profileMenu_->clear();
    auto* group = new QActionGroup(profileMenu_);
    std::vector<std::string> names;
    for (const rules::BuiltInProfile& builtIn : rules::builtInProfiles()) {
        names.emplace_back(builtIn.name);
    }
    for (const std::string& name : rules::userProfileNames(profileFolder())) {
        names.push_back(name);
    }
    for (const std::string& name : names) {
        QAction* choice = profileMenu_->addAction(QString::fromStdString(name));
        choice->setCheckable(true);
        choice->setChecked(name == loaded_.profile.name);
        group->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, name] {
            load(QString::fromStdString(name));
            settings().setValue(kProfileSetting, QString::fromStdString(loaded_.profile.name));
        });
    }
}

QueryContext WindowRules::contextFor(PageFetcher& fetcher, const Clock& clock) {
    return QueryContext{.profile = loaded_.profile, .fetcher = fetcher, .clock = clock, .key = key_, .trace = &trace_};
}

void WindowRules::runEnded() {
    if (loaded_.profile.name == kClassic) {
        return;
    }
    // A value these rules have no source for, or no key to ask with, says so in words.
    if (controls_.caption(ResultLabel::Label1) == kQuerying && trace_.reasonFor(Result::PageRank).starts_with("no key")) {
        controls_.setCaption(ResultLabel::Label1, "未设置密钥");
    }
    if (controls_.caption(ResultLabel::Label2) == kQuerying && !loaded_.profile.remark) {
        controls_.setCaption(ResultLabel::Label2, "不适用");
    }
    if (trace_.blockedCount() > 0) {
        QMessageBox::information(&window_, window_.windowTitle(),
                                 QStringLiteral("百度要求进行安全验证，本次查询的部分结果无法取得。\n"
                                                "点击各列标题，可在浏览器中打开同样的搜索。"));
    }
}

Expected<std::string> sessionProfileArgument(const std::vector<std::string>& arguments) {
    const std::string option = "--profile";
    std::string profile;
    for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
        std::optional<std::string> named;
        if (*argument == option) {
            named = std::next(argument) != arguments.end() ? *++argument : std::string();
        } else if (argument->starts_with(option + '=')) {
            named = argument->substr(option.size() + 1);
        }
        if (named && named->empty()) {
            return Failure{option + " needs a profile's name or file"};
        }
        profile = named.value_or(profile);
    }
    return profile;
}

void WindowRules::showDiagnosis() {
    QDialog dialog(&window_);
    dialog.setWindowTitle(QStringLiteral("诊断"));
    auto* text = new QPlainTextEdit(&dialog);
    text->setReadOnly(true);
    text->setPlainText(trace_.requests.empty() && trace_.values.empty()
                           ? QStringLiteral("还没有查询。")
                           : QString::fromStdString(formatTrace(trace_)));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    dialog.resize(720, 480);
    dialog.exec();
}

void WindowRules::askForKey() {
    bool given = false;
    const QString key = QInputDialog::getText(&window_, QStringLiteral("Open PageRank 密钥"),
                                              QStringLiteral("当前规则用 Open PageRank 查询 PR，请输入其 API 密钥："),
                                              QLineEdit::Password, QString(), &given);
    if (!given) {
        return;
    }
    QSettings stored = settings();
    stored.setValue(kKeySetting, key.trimmed());
    stored.sync();
    // The key is the user's alone.
    QFile::setPermissions(stored.fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    key_ = storedKey();
}

}  // namespace quarnel
