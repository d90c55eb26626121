#include "engine/BrowserScripts.h"

#include <initializer_list>
#include <utility>

namespace nimbrel::browserscripts {

namespace {

const QString kURL = QStringLiteral("<url>");
const QString kBundle = QStringLiteral("<bundle id>");

bool isUnsafe(QChar c) {
    return c.category() == QChar::Other_Control || c == QChar(0x2028) || c == QChar(0x2029) || c == QChar(0x201C) ||
           c == QChar(0x201D);
}

// One pass over the template: a value that happens to contain a marker is never expanded.
QString fill(const QString& text, std::initializer_list<std::pair<QString, QString>> values) {
    QString out;
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype next = -1;
        const std::pair<QString, QString>* hit = nullptr;
        for (const auto& value : values) {
            const qsizetype found = text.indexOf(value.first, at);
            if (found >= 0 && (next < 0 || found < next)) {
                next = found;
                hit = &value;
            }
        }
        if (!hit) break;
        out += QStringView(text).mid(at, next - at);
        out += hit->second;
        at = next + hit->first.size();
    }
    out += QStringView(text).mid(at);
    return out;
}

QString spaces(int n) {
    return QString(n, QLatin1Char(' '));
}

const char* const kChromiumNewWindow = R"(tell application id "<bundle id>"
    activate
    set newWindow to make new window
    set URL of active tab of newWindow to "<url>"
end tell)";

const char* const kSafariNewWindow = R"(tell application id "com.apple.Safari"
    activate
end tell
delay 0.12
tell application "System Events"
    tell process "Safari"
        keystroke "n" using command down
    end tell
end tell
delay 0.22
tell application id "com.apple.Safari"
    set URL of current tab of front window to "<url>"
end tell)";

const char* const kChromiumNewTab = R"(tell application id "<bundle id>"
    activate
    if (count of windows) is 0 then
        make new window
        set URL of active tab of front window to "<url>"
    else
        tell front window
            set existingURL to URL of active tab
            if existingURL is "" or existingURL is "about:blank" or existingURL contains "newtab" or existingURL contains "new-tab" then
                set URL of active tab to "<url>"
            else
                make new tab with properties {URL:"<url>"}
            end if
        end tell
    end if
end tell)";

const char* const kSafariNewTab = R"(tell application id "com.apple.Safari"
    activate
    if (count of windows) is 0 then
        make new document with properties {URL:"<url>"}
    else
        tell front window
            set existingURL to ""
            try
                set existingURL to URL of current tab
            end try

            set existingTabName to ""
            try
                set existingTabName to name of current tab
            end try

            if existingURL is "" or existingURL is "about:blank" or existingURL starts with "favorites:" or existingURL starts with "x-apple-safari-startpage:" or existingTabName is "Start Page" or existingTabName is "Favorites" then
                set URL of current tab to "<url>"
            else
                set current tab to (make new tab with properties {URL:"<url>"})
            end if
        end tell
    end if
end tell)";

// The first URL of a group of new tabs is opened as a single new tab would be, except that
// a new tab goes at the end of the tabs; the further URLs follow in the closing block.
QString groupFirstTab(const char* singleTab) {
    QString text = QString::fromUtf8(singleTab);
    text.replace(QStringLiteral("make new tab with properties"),
                 QStringLiteral("make new tab at end of tabs with properties"));
    text.chop(QStringLiteral("end tell").size()); // keeps the line feed before it
    return text;
}

// "\n    if (count of windows) is greater than 0 then\n        <lines>\n    end if\nend tell",
// the lines being one per URL after the first, with a short delay between them.
QString furtherTabs(const QStringList& urls, const QString& lineTemplate) {
    QStringList lines;
    for (qsizetype i = 1; i < urls.size(); ++i)
        lines << fill(lineTemplate, {{kURL, escapedURL(urls[i])}});
    const QString separator = QLatin1Char('\n') + spaces(20) + QStringLiteral("delay 0.05\n") + spaces(20);
    return QStringLiteral("\n    if (count of windows) is greater than 0 then\n") + spaces(8) + lines.join(separator) +
           QStringLiteral("\n    end if\nend tell");
}

} // namespace

std::optional<Family> familyOf(const std::optional<QString>& bundleIdentifier) {
    if (!bundleIdentifier) return std::nullopt;
    if (*bundleIdentifier == kSafariBundleIdentifier) return Family::safari;
    static const QStringList chromium{
        QStringLiteral("com.google.Chrome"),       QStringLiteral("com.google.Chrome.canary"),
        QStringLiteral("com.brave.Browser"),       QStringLiteral("com.microsoft.edgemac"),
        QStringLiteral("com.operasoftware.Opera"), QStringLiteral("com.operasoftware.OperaGX"),
        QStringLiteral("com.vivaldi.Vivaldi")};
    if (chromium.contains(*bundleIdentifier)) return Family::chromium;
    return std::nullopt;
}

QString escaped(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    out.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return out;
}

bool hasUnsafeScriptCharacters(const QString& text) {
    for (QChar c : text)
        if (isUnsafe(c)) return true;
    return false;
}

QString escapedURL(const QString& url) {
    if (!hasUnsafeScriptCharacters(url)) return escaped(url);
    QString safe;
    for (QChar c : url) {
        if (!isUnsafe(c)) {
            safe += c;
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            safe += QStringLiteral("%%1").arg(static_cast<unsigned char>(byte), 2, 16, QLatin1Char('0')).toUpper();
    }
    return escaped(safe);
}

QString chromiumNewWindow(const QString& bundleIdentifier, const QString& url) {
    return fill(QString::fromUtf8(kChromiumNewWindow), {{kBundle, escaped(bundleIdentifier)}, {kURL, escapedURL(url)}});
}

QString safariNewWindow(const QString& url) {
    return fill(QString::fromUtf8(kSafariNewWindow), {{kURL, escapedURL(url)}});
}

QString chromiumNewTab(const QString& bundleIdentifier, const QString& url) {
    return fill(QString::fromUtf8(kChromiumNewTab), {{kBundle, escaped(bundleIdentifier)}, {kURL, escapedURL(url)}});
}

QString safariNewTab(const QString& url) {
    return fill(QString::fromUtf8(kSafariNewTab), {{kURL, escapedURL(url)}});
}

QString safariGroupNewWindows(const QStringList& urls) {
    QStringList pieces;
    for (const QString& url : urls)
        pieces << fill(QStringLiteral("make new document with properties {URL:\"<url>\"}\ndelay 0.45"),
                       {{kURL, escapedURL(url)}});
    return QStringLiteral("tell application id \"com.apple.Safari\"\n    activate\n    ") +
           pieces.join(QLatin1Char('\n') + spaces(20)) + QStringLiteral("\nend tell");
}

QString safariGroupNewTabs(const QStringList& urls) {
    const QString first = urls.isEmpty() ? QString() : urls.front();
    return fill(groupFirstTab(kSafariNewTab), {{kURL, escapedURL(first)}}) +
           furtherTabs(urls, QStringLiteral("set current tab of front window to (make new tab at end of tabs of front "
                                            "window with properties {URL:\"<url>\"})"));
}

QString chromiumGroupNewWindows(const QString& bundleIdentifier, const QStringList& urls) {
    QStringList pairs;
    for (const QString& url : urls)
        pairs << fill(QStringLiteral("set newWindow to make new window\n") + spaces(16) +
                          QStringLiteral("set URL of active tab of newWindow to \"<url>\""),
                      {{kURL, escapedURL(url)}});
    const QString separator = QLatin1Char('\n') + spaces(16) + QStringLiteral("delay 0.12\n") + spaces(16);
    return fill(QStringLiteral("tell application id \"<bundle id>\"\n    activate\n    "),
                {{kBundle, escaped(bundleIdentifier)}}) +
           pairs.join(separator) + QStringLiteral("\nend tell");
}

QString chromiumGroupNewTabs(const QString& bundleIdentifier, const QStringList& urls) {
    const QString first = urls.isEmpty() ? QString() : urls.front();
    return fill(groupFirstTab(kChromiumNewTab), {{kBundle, escaped(bundleIdentifier)}, {kURL, escapedURL(first)}}) +
           furtherTabs(urls,
                       QStringLiteral("make new tab at end of tabs of front window with properties {URL:\"<url>\"}"));
}

QString safariStarterWindowCleanup() {
    return QStringLiteral(R"(tell application id "com.apple.Safari"
    repeat with safariWindow in windows
        try
            if (count of tabs of safariWindow) is 1 then
                set tabURL to ""
                set tabName to ""
                try
                    set tabURL to URL of current tab of safariWindow as text
                end try
                try
                    set tabName to name of current tab of safariWindow as text
                end try

                if tabURL is missing value then set tabURL to ""
                if tabName is missing value then set tabName to ""

                if tabURL is "" or tabURL is "about:blank" or tabURL starts with "favorites:" or tabURL starts with "x-apple-safari-startpage:" or tabURL starts with "topsites:" or tabName is "Start Page" or tabName is "Favorites" or tabName is "Untitled" or tabName is "" then
                    close safariWindow
                end if
            end if
        end try
    end repeat
end tell)");
}

} // namespace nimbrel::browserscripts
