#include "platform/simulated/SimScriptRunner.h"

#include "platform/AppleScript.h"
#include "platform/Files.h"

#include <QFile>

#include <memory>
#include <variant>

namespace nimbrel::sim {

using namespace script;

namespace {

struct Ref {
    enum Kind { application, window, tab, process } kind = application;
    QString bundleId;    // applications, and the owner of windows and tabs
    QString processName; // System Events processes
    std::uint64_t windowId = 0;
    int tabIndex = -1;
};

struct Value;
using List = std::vector<Value>;
using Fields = std::vector<std::pair<QString, Value>>;

struct Value {
    std::variant<std::monostate, bool, double, QString, Ref, std::shared_ptr<List>, std::shared_ptr<Fields>> v;
    bool isMissing() const { return std::holds_alternative<std::monostate>(v); }
    const QString* text() const { return std::get_if<QString>(&v); }
    const double* number() const { return std::get_if<double>(&v); }
    const bool* boolean() const { return std::get_if<bool>(&v); }
    const Ref* ref() const { return std::get_if<Ref>(&v); }
    const List* list() const {
        auto p = std::get_if<std::shared_ptr<List>>(&v);
        return p ? p->get() : nullptr;
    }
    const Fields* fields() const {
        auto p = std::get_if<std::shared_ptr<Fields>>(&v);
        return p ? p->get() : nullptr;
    }
};

Value textValue(const QString& s) {
    return Value{s};
}
Value listValue(List l) {
    return Value{std::make_shared<List>(std::move(l))};
}

struct ScriptError {
    int number = -2700;
    QString message;
    QString appName;
};

struct ReturnSignal {
    Value value;
};

bool isChromium(const QString& id) {
    return id == QLatin1String("com.google.Chrome") || id == QLatin1String("com.google.Chrome.canary") ||
           id == QLatin1String("com.brave.Browser") || id == QLatin1String("com.microsoft.edgemac") ||
           id == QLatin1String("com.operasoftware.Opera") || id == QLatin1String("com.operasoftware.OperaGX") ||
           id == QLatin1String("com.vivaldi.Vivaldi");
}
bool isBrowser(const QString& id) {
    return id == kSafariBundleId || isChromium(id);
}

QString escapeNewlines(QString s) {
    return s.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
}

// The words of a shell command line: quotes and backslashes removed as the shell does;
// ";", "&" and "|" outside quotes end a word.
QStringList shellWords(const QString& line) {
    QStringList words;
    QString word;
    bool inWord = false;
    auto finish = [&] {
        if (inWord) words << word;
        word.clear();
        inWord = false;
    };
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('\'')) {
            inWord = true;
            const qsizetype end = line.indexOf(QLatin1Char('\''), i + 1);
            word += line.mid(i + 1, (end < 0 ? line.size() : end) - i - 1);
            i = end < 0 ? line.size() : end;
        } else if (c == QLatin1Char('"')) {
            inWord = true;
            for (++i; i < line.size() && line[i] != QLatin1Char('"'); ++i) {
                if (line[i] == QLatin1Char('\\') && i + 1 < line.size()) ++i;
                word += line[i];
            }
        } else if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            inWord = true;
            word += line[++i];
        } else if (c.isSpace() || c == QLatin1Char(';') || c == QLatin1Char('&') || c == QLatin1Char('|')) {
            finish();
        } else {
            inWord = true;
            word += c;
        }
    }
    finish();
    return words;
}

class Interpreter {
  public:
    Interpreter(SimulatedMac& mac, const std::map<QString, int>& faults) : mac_(mac), faults_(faults) {}

    Value runBlock(const std::vector<Stmt>& body) {
        Value last;
        for (const Stmt& s : body)
            last = runStatement(s);
        return last;
    }

  private:
    void effect(const QString& text) { mac_.recorder().record(EventKind::scriptEffect, text); }

    // ---- applications

    QString appName(const QString& bundleId) const {
        if (const App* a = const_cast<SimulatedMac&>(mac_).appWithBundleId(bundleId)) return a->name;
        if (auto installed = mac_.installedApplication(bundleId)) return installed->name;
        return bundleId;
    }

    App& runningApp(const Ref& ref) {
        const QString id = ref.bundleId;
        const QString name = appName(id);
        if (auto it = faults_.find(id); it != faults_.end()) throw failure(it->second, name);
        App* app = mac_.appWithBundleId(id);
        if (app && app->scriptError) throw failure(*app->scriptError, name);
        if (!app) {
            auto installed = mac_.installedApplication(id);
            if (!installed)
                throw ScriptError{
                    kAppleScriptCantGet, QStringLiteral("Can\u2019t get application id \"%1\".").arg(id), {}};
            // An Apple event to an application that is not running launches it, without a window.
            app = &mac_.startApplication(*installed, false, false);
            effect(QStringLiteral("%1: launched by script").arg(app->name));
        }
        return *app;
    }

    static ScriptError failure(int number, const QString& name) {
        if (number == kAppleScriptNotAuthorized)
            return ScriptError{number, QStringLiteral("Not authorized to send Apple events to %1.").arg(name), name};
        if (number == kAppleScriptAppNotRunning)
            return ScriptError{number, QStringLiteral("%1 got an error: Application isn\u2019t running.").arg(name),
                               name};
        return ScriptError{number, QStringLiteral("%1 got an error: error %2.").arg(name).arg(number), name};
    }

    Window& windowOf(const Ref& ref) {
        App& app = runningApp(ref);
        for (Window& w : app.windows)
            if (w.id == ref.windowId) return w;
        throw ScriptError{kAppleScriptCantGet, QStringLiteral("Can\u2019t get window id %1.").arg(ref.windowId),
                          app.name};
    }

    Ref windowRef(const App& app, const Window& w) const {
        return Ref{Ref::window, app.bundleIdentifier, {}, w.id, -1};
    }
    Ref tabRef(const App& app, const Window& w, int index) const {
        return Ref{Ref::tab, app.bundleIdentifier, {}, w.id, index};
    }

    // The innermost tell target of a kind.
    std::optional<Ref> innermost(Ref::Kind kind) const {
        for (auto it = tellStack_.rbegin(); it != tellStack_.rend(); ++it) {
            if (it->kind == kind) return *it;
            if (kind == Ref::application && (it->kind == Ref::window || it->kind == Ref::tab))
                return Ref{Ref::application, it->bundleId, {}, 0, -1};
        }
        return std::nullopt;
    }

    Ref requireApp(const QString& command) const {
        auto app = innermost(Ref::application);
        if (!app)
            throw ScriptError{
                kAppleScriptUnknownCommand, QStringLiteral("%1 is not understood here.").arg(command), {}};
        return *app;
    }

    // ---- properties

    std::optional<Value> property(const Ref& ref, const QString& name) {
        if (ref.kind == Ref::process) {
            if (name == QLatin1String("name")) return textValue(ref.processName);
            return std::nullopt;
        }
        if (ref.kind == Ref::application) {
            static const QStringList known{QStringLiteral("windows"),        QStringLiteral("documents"),
                                           QStringLiteral("front window"),   QStringLiteral("first window"),
                                           QStringLiteral("last window"),    QStringLiteral("current window"),
                                           QStringLiteral("front document"), QStringLiteral("name"),
                                           QStringLiteral("frontmost"),      QStringLiteral("version")};
            if (!known.contains(name)) return std::nullopt;
            App& app = runningApp(ref);
            if (name == QLatin1String("name")) return textValue(app.name);
            if (name == QLatin1String("version")) return textValue(QStringLiteral("17.0"));
            if (name == QLatin1String("frontmost")) return Value{mac_.frontmostPid() == app.pid};
            if (name == QLatin1String("windows") || name == QLatin1String("documents")) {
                List list;
                for (const Window& w : app.windows)
                    list.push_back(Value{windowRef(app, w)});
                return listValue(list);
            }
            if (app.windows.empty())
                throw ScriptError{
                    -1719, QStringLiteral("%1 got an error: Can\u2019t get window 1. Invalid index.").arg(app.name),
                    app.name};
            const Window& w = name == QLatin1String("last window") ? app.windows.back() : app.windows.front();
            return Value{windowRef(app, w)};
        }
        if (ref.kind == Ref::window) {
            App& app = runningApp(ref);
            Window& w = windowOf(ref);
            if (name == QLatin1String("name") || name == QLatin1String("title")) return textValue(w.title);
            if (name == QLatin1String("id")) return Value{double(w.id)};
            if (name == QLatin1String("miniaturized") || name == QLatin1String("minimized")) return Value{w.minimized};
            if (name == QLatin1String("visible")) return Value{!w.minimized};
            if (name == QLatin1String("index")) {
                for (size_t i = 0; i < app.windows.size(); ++i)
                    if (app.windows[i].id == w.id) return Value{double(i + 1)};
            }
            if (name == QLatin1String("current session")) return Value{windowRef(app, w)};
            if (name == QLatin1String("current tab") && !w.isBrowserWindow()) return Value{windowRef(app, w)}; // iTerm
            if (!w.isBrowserWindow()) return std::nullopt;
            if (name == QLatin1String("tabs")) {
                List list;
                for (int i = 0; i < static_cast<int>(w.tabs.size()); ++i)
                    list.push_back(Value{tabRef(app, w, i)});
                return listValue(list);
            }
            if (name == QLatin1String("current tab") || name == QLatin1String("active tab"))
                return Value{tabRef(app, w, w.currentTab)};
            if (name == QLatin1String("active tab index")) return Value{double(w.currentTab + 1)};
            if (name == QLatin1String("url")) return textValue(w.tabs[static_cast<size_t>(w.currentTab)].url);
            return std::nullopt;
        }
        // tab
        Window& w = windowOf(ref);
        if (ref.tabIndex < 0 || ref.tabIndex >= static_cast<int>(w.tabs.size()))
            throw ScriptError{kAppleScriptCantGet, QStringLiteral("Can\u2019t get tab %1.").arg(ref.tabIndex + 1), {}};
        const Tab& t = w.tabs[static_cast<size_t>(ref.tabIndex)];
        if (name == QLatin1String("url")) return textValue(t.url);
        if (name == QLatin1String("name") || name == QLatin1String("title")) return textValue(t.title);
        if (name == QLatin1String("index")) return Value{double(ref.tabIndex + 1)};
        return std::nullopt;
    }

    Value propertyOrFail(const Value& container, const QString& name) {
        const Ref* ref = container.ref();
        if (!ref)
            throw ScriptError{-1728, QStringLiteral("Can\u2019t get %1 of %2.").arg(name, describe(container)), {}};
        if (auto v = property(*ref, name)) return *v;
        throw ScriptError{-1728, QStringLiteral("Can\u2019t get %1 of %2.").arg(name, describe(container)), {}};
    }

    Value resolveName(const QString& name) {
        if (auto it = vars_.find(name); it != vars_.end()) return it->second;
        for (auto it = tellStack_.rbegin(); it != tellStack_.rend(); ++it)
            if (auto v = property(*it, name)) return *v;
        throw ScriptError{-2753, QStringLiteral("The variable %1 is not defined.").arg(name), {}};
    }

    QString describe(const Value& v) const {
        if (v.isMissing()) return QStringLiteral("missing value");
        if (auto t = v.text()) return QLatin1Char('"') + *t + QLatin1Char('"');
        if (auto n = v.number()) return QString::number(*n);
        if (auto b = v.boolean()) return *b ? QStringLiteral("true") : QStringLiteral("false");
        if (auto r = v.ref()) {
            switch (r->kind) {
            case Ref::application:
                return QStringLiteral("application \"%1\"").arg(appName(r->bundleId));
            case Ref::process:
                return QStringLiteral("process \"%1\"").arg(r->processName);
            case Ref::window:
                return QStringLiteral("window id %1 of application \"%2\"").arg(r->windowId).arg(appName(r->bundleId));
            case Ref::tab:
                return QStringLiteral("tab %1 of window id %2").arg(r->tabIndex + 1).arg(r->windowId);
            }
        }
        if (auto l = v.list()) {
            QStringList parts;
            for (const Value& item : *l)
                parts << describe(item);
            return QLatin1Char('{') + parts.join(QStringLiteral(", ")) + QLatin1Char('}');
        }
        return QStringLiteral("{record}");
    }

    QString asText(const Value& v) const {
        if (auto t = v.text()) return *t;
        if (auto n = v.number()) return QString::number(*n, 'g', 15);
        if (auto b = v.boolean()) return *b ? QStringLiteral("true") : QStringLiteral("false");
        if (v.isMissing()) return QStringLiteral("missing value");
        if (auto l = v.list()) {
            QString out;
            for (const Value& item : *l)
                out += asText(item);
            return out;
        }
        throw ScriptError{-1700, QStringLiteral("Can\u2019t make %1 into type text.").arg(describe(v)), {}};
    }

    bool truth(const Value& v) const {
        if (auto b = v.boolean()) return *b;
        throw ScriptError{-1700, QStringLiteral("Can\u2019t make %1 into type boolean.").arg(describe(v)), {}};
    }

    bool equal(const Value& a, const Value& b) const {
        if (a.isMissing() || b.isMissing()) return a.isMissing() && b.isMissing();
        if (a.text() && b.text()) return a.text()->compare(*b.text(), Qt::CaseInsensitive) == 0;
        if (a.number() && b.number()) return *a.number() == *b.number();
        if (a.boolean() && b.boolean()) return *a.boolean() == *b.boolean();
        if (a.ref() && b.ref())
            return a.ref()->kind == b.ref()->kind && a.ref()->bundleId == b.ref()->bundleId &&
                   a.ref()->windowId == b.ref()->windowId && a.ref()->tabIndex == b.ref()->tabIndex;
        if (a.number() && b.text()) return QString::number(*a.number()) == *b.text();
        if (a.text() && b.number()) return *a.text() == QString::number(*b.number());
        return false;
    }

    double asNumber(const Value& v) const {
        if (auto n = v.number()) return *n;
        if (auto t = v.text()) {
            bool ok = false;
            const double d = t->toDouble(&ok);
            if (ok) return d;
        }
        throw ScriptError{-1700, QStringLiteral("Can\u2019t make %1 into type number.").arg(describe(v)), {}};
    }

    Value compare(const QString& op, const Value& a, const Value& b) const {
        if (op == QLatin1String("==")) return Value{equal(a, b)};
        if (op == QLatin1String("!=")) return Value{!equal(a, b)};
        if (op == QLatin1String(">")) return Value{asNumber(a) > asNumber(b)};
        if (op == QLatin1String("<")) return Value{asNumber(a) < asNumber(b)};
        if (op == QLatin1String(">=")) return Value{asNumber(a) >= asNumber(b)};
        if (op == QLatin1String("<=")) return Value{asNumber(a) <= asNumber(b)};
        auto contains = [this](const Value& hay, const Value& needle) {
            if (auto l = hay.list()) {
                for (const Value& item : *l)
                    if (equal(item, needle)) return true;
                return false;
            }
            return asText(hay).contains(asText(needle), Qt::CaseInsensitive);
        };
        if (op == QLatin1String("contains")) return Value{contains(a, b)};
        if (op == QLatin1String("!contains")) return Value{!contains(a, b)};
        if (op == QLatin1String("in")) return Value{contains(b, a)};
        if (op == QLatin1String("starts")) return Value{asText(a).startsWith(asText(b), Qt::CaseInsensitive)};
        if (op == QLatin1String("ends")) return Value{asText(a).endsWith(asText(b), Qt::CaseInsensitive)};
        throw ScriptError{kAppleScriptSyntaxError, QStringLiteral("Unknown comparison %1.").arg(op), {}};
    }

    // ---- expressions

    Value eval(const ExprPtr& e) {
        switch (e->kind) {
        case Expr::text:
            return textValue(e->textValue);
        case Expr::number:
            return Value{e->numberValue};
        case Expr::boolean:
            return Value{e->numberValue != 0};
        case Expr::missing:
            return Value{};
        case Expr::name:
            return resolveName(e->textValue);
        case Expr::element:
            return element(e, std::nullopt);
        case Expr::of:
            return ofValue(e);
        case Expr::count: {
            const Value v = eval(e->a);
            if (auto l = v.list()) return Value{double(l->size())};
            if (auto t = v.text()) return Value{double(t->size())};
            throw ScriptError{-1700, QStringLiteral("Can\u2019t count %1.").arg(describe(v)), {}};
        }
        case Expr::quotedForm: {
            QString s = asText(eval(e->a));
            return textValue(QLatin1Char('\'') + s.replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
                             QLatin1Char('\''));
        }
        case Expr::concat: {
            const Value a = eval(e->a);
            const Value b = eval(e->b);
            if (a.list() || b.list()) {
                List out;
                for (const Value& v : {a, b}) {
                    if (auto l = v.list())
                        out.insert(out.end(), l->begin(), l->end());
                    else
                        out.push_back(v);
                }
                return listValue(out);
            }
            return textValue(asText(a) + asText(b));
        }
        case Expr::compare:
            return compare(e->textValue, eval(e->a), eval(e->b));
        case Expr::logicalAnd:
            return Value{truth(eval(e->a)) && truth(eval(e->b))};
        case Expr::logicalOr:
            return Value{truth(eval(e->a)) || truth(eval(e->b))};
        case Expr::logicalNot:
            return Value{!truth(eval(e->a))};
        case Expr::asType: {
            const Value v = eval(e->a);
            if (e->textValue == QLatin1String("text") || e->textValue == QLatin1String("string"))
                return textValue(asText(v));
            if (e->textValue == QLatin1String("integer") || e->textValue == QLatin1String("number") ||
                e->textValue == QLatin1String("real"))
                return Value{asNumber(v)};
            if (e->textValue == QLatin1String("boolean")) return Value{truth(v)};
            return v;
        }
        case Expr::list: {
            List out;
            for (const ExprPtr& item : e->items)
                out.push_back(eval(item));
            return listValue(out);
        }
        case Expr::record: {
            auto fields = std::make_shared<Fields>();
            for (const auto& [key, value] : e->fields)
                fields->emplace_back(key, eval(value));
            return Value{fields};
        }
        case Expr::application: {
            const QString key = asText(eval(e->a));
            if (e->flag) {
                if (!mac_.installedApplication(key) && !mac_.appWithBundleId(key))
                    throw ScriptError{
                        kAppleScriptCantGet, QStringLiteral("Can\u2019t get application id \"%1\".").arg(key), {}};
                return Value{Ref{Ref::application, key, {}, 0, -1}};
            }
            for (const App& a : mac_.apps())
                if (a.name.compare(key, Qt::CaseInsensitive) == 0)
                    return Value{Ref{Ref::application, a.bundleIdentifier, {}, 0, -1}};
            for (const InstalledApp& a : mac_.installedApplications())
                if (a.name.compare(key, Qt::CaseInsensitive) == 0)
                    return Value{Ref{Ref::application, a.bundleIdentifier, {}, 0, -1}};
            throw ScriptError{kAppleScriptCantGet, QStringLiteral("Can\u2019t get application \"%1\".").arg(key), {}};
        }
        case Expr::process: {
            const QString name = asText(eval(e->a));
            return Value{Ref{Ref::process, kSystemEventsBundleId, name, 0, -1}};
        }
        case Expr::make:
            return makeNew(e);
        }
        return {};
    }

    Value element(const ExprPtr& e, std::optional<Value> container) {
        const int index = static_cast<int>(asNumber(eval(e->a)));
        Ref owner;
        if (container) {
            if (!container->ref())
                throw ScriptError{-1728, QStringLiteral("Can\u2019t get %1 %2.").arg(e->textValue).arg(index), {}};
            owner = *container->ref();
        } else if (e->textValue == QLatin1String("tab")) {
            auto w = innermost(Ref::window);
            if (!w) throw ScriptError{-1728, QStringLiteral("Can\u2019t get tab %1.").arg(index), {}};
            owner = *w;
        } else {
            owner = requireApp(e->textValue);
        }
        const QString plural =
            e->textValue == QLatin1String("tab") ? QStringLiteral("tabs") : QStringLiteral("windows");
        const Value all = propertyOrFail(Value{owner}, plural);
        const List* list = all.list();
        if (!list || index < 1 || index > static_cast<int>(list->size()))
            throw ScriptError{
                -1719, QStringLiteral("Can\u2019t get %1 %2. Invalid index.").arg(e->textValue).arg(index), {}};
        return (*list)[static_cast<size_t>(index - 1)];
    }

    Value ofValue(const ExprPtr& e) {
        const Value container = eval(e->b);
        if (e->a->kind == Expr::element) return element(e->a, container);
        if (e->a->kind == Expr::count) return eval(e->a);
        if (e->a->kind != Expr::name) return eval(e->a);
        return propertyOrFail(container, e->a->textValue);
    }

    // The window a "make new tab" goes into: "at end of tabs of W", a told window, or the front window.
    Ref tabTargetWindow(const ExprPtr& location, const Ref& appRef) {
        if (location && location->kind == Expr::of && location->a->kind == Expr::name &&
            location->a->textValue == QLatin1String("tabs")) {
            const Value w = eval(location->b);
            if (w.ref() && w.ref()->kind == Ref::window) return *w.ref();
        }
        if (auto w = innermost(Ref::window)) return *w;
        const Value front = propertyOrFail(Value{appRef}, QStringLiteral("front window"));
        return *front.ref();
    }

    Value makeNew(const ExprPtr& e) {
        const Ref appRef = requireApp(QStringLiteral("make"));
        App& app = runningApp(appRef);
        QString url;
        bool hasURL = false;
        if (e->b) {
            const Value props = eval(e->b);
            if (auto fields = props.fields())
                for (const auto& [key, value] : *fields)
                    if (key == QLatin1String("url")) {
                        url = asText(value);
                        hasURL = true;
                    }
        }
        const QString cls = e->textValue;
        if (isBrowser(app.bundleIdentifier) && (cls == QLatin1String("window") || cls == QLatin1String("document"))) {
            const bool safari = app.bundleIdentifier == kSafariBundleId;
            if (!safari && cls == QLatin1String("document"))
                throw ScriptError{
                    -2710, QStringLiteral("%1 got an error: Can\u2019t make class document.").arg(app.name), app.name};
            const QString start = hasURL ? url : safari ? QString() : QStringLiteral("chrome://newtab/");
            Window& w = mac_.newBrowserWindow(app, start);
            effect(QStringLiteral("%1: make new %2%3")
                       .arg(app.name, cls, hasURL ? QStringLiteral(" URL=") + url : QString()));
            return Value{windowRef(app, w)};
        }
        if (isBrowser(app.bundleIdentifier) && cls == QLatin1String("tab")) {
            const Ref target = tabTargetWindow(e->a, appRef);
            Window& w = windowOf(target);
            const int index = mac_.newTab(app, w, hasURL ? url : QString());
            // Chromium browsers show a new tab at once; Safari only when the script makes it current.
            if (isChromium(app.bundleIdentifier)) {
                w.currentTab = index;
                w.title = w.tabs[static_cast<size_t>(index)].title;
            }
            effect(QStringLiteral("%1: make new tab%2 in window \"%3\"")
                       .arg(app.name, hasURL ? QStringLiteral(" URL=") + url : QString(), w.title));
            return Value{tabRef(app, w, index)};
        }
        if (cls == QLatin1String("window") || cls == QLatin1String("document")) {
            Window w;
            w.title = app.name;
            w.frame = mac_.nextWindowFrame(app);
            Window& added = mac_.addWindow(app, w);
            effect(QStringLiteral("%1: make new %2").arg(app.name, cls));
            return Value{windowRef(app, added)};
        }
        throw ScriptError{-2710, QStringLiteral("%1 got an error: Can\u2019t make class %2.").arg(app.name, cls),
                          app.name};
    }

    // ---- statements

    void setProperty(const Ref& ref, const QString& name, const Value& value) {
        if (ref.kind == Ref::tab && name == QLatin1String("url")) {
            App& app = runningApp(ref);
            Window& w = windowOf(ref);
            const QString url = asText(value);
            mac_.loadURL(app, w, ref.tabIndex, url);
            effect(QStringLiteral("%1: set URL of tab %2 of window \"%3\" to %4")
                       .arg(app.name)
                       .arg(ref.tabIndex + 1)
                       .arg(w.title, url));
            return;
        }
        if (ref.kind == Ref::window) {
            App& app = runningApp(ref);
            Window& w = windowOf(ref);
            if ((name == QLatin1String("current tab") || name == QLatin1String("active tab index")) &&
                w.isBrowserWindow()) {
                int index = -1;
                if (const Ref* tab = value.ref(); tab && tab->kind == Ref::tab && tab->windowId == w.id)
                    index = tab->tabIndex;
                else if (value.number())
                    index = static_cast<int>(*value.number()) - 1;
                if (index < 0 || index >= static_cast<int>(w.tabs.size()))
                    throw ScriptError{-10006,
                                      QStringLiteral("Can\u2019t set %1 of window to %2.").arg(name, describe(value)),
                                      app.name};
                w.currentTab = index;
                w.title = w.tabs[static_cast<size_t>(index)].title;
                effect(
                    QStringLiteral("%1: current tab of window \"%2\" = tab %3").arg(app.name, w.title).arg(index + 1));
                return;
            }
            if (name == QLatin1String("url") && w.isBrowserWindow()) {
                setProperty(tabRef(app, w, w.currentTab), name, value);
                return;
            }
            if (name == QLatin1String("miniaturized") || name == QLatin1String("minimized") ||
                name == QLatin1String("visible")) {
                const bool on = truth(value);
                mac_.setMinimized(app, w.id, name == QLatin1String("visible") ? !on : on);
                effect(QStringLiteral("%1: %2 of window = %3").arg(app.name, name, on ? "true" : "false"));
                return;
            }
            if (name == QLatin1String("index") && asNumber(value) == 1) {
                mac_.raise(app, w.id);
                effect(QStringLiteral("%1: window \"%2\" to front").arg(app.name, w.title));
                return;
            }
        }
        throw ScriptError{-10006, QStringLiteral("Can\u2019t set %1 of %2.").arg(name, describe(Value{ref})), {}};
    }

    bool isSettablePropertyOfTarget(const QString& name) {
        static const QStringList settable{
            QStringLiteral("url"),          QStringLiteral("current tab"), QStringLiteral("active tab index"),
            QStringLiteral("miniaturized"), QStringLiteral("minimized"),   QStringLiteral("visible"),
            QStringLiteral("index")};
        if (!settable.contains(name) || vars_.count(name)) return false;
        for (auto it = tellStack_.rbegin(); it != tellStack_.rend(); ++it)
            if (it->kind == Ref::window || it->kind == Ref::tab) return true;
        return false;
    }

    void runSet(const Stmt& s) {
        const Value value = eval(s.value);
        const ExprPtr& target = s.target;
        if (target->kind == Expr::name) {
            if (isSettablePropertyOfTarget(target->textValue)) {
                for (auto it = tellStack_.rbegin(); it != tellStack_.rend(); ++it)
                    if (it->kind == Ref::window || it->kind == Ref::tab) {
                        setProperty(*it, target->textValue, value);
                        return;
                    }
            }
            vars_[target->textValue] = value;
            return;
        }
        if (target->kind == Expr::of && target->a->kind == Expr::name) {
            const Value container = eval(target->b);
            if (const Ref* ref = container.ref()) {
                setProperty(*ref, target->a->textValue, value);
                return;
            }
        }
        throw ScriptError{-10006, QStringLiteral("Can\u2019t set that."), {}};
    }

    // The files a shell command line names by absolute path, read as the shell would find
    // them ('\'' inside single quotes included).
    QString readScriptFiles(const QString& command) const {
        QStringList seen;
        QString out;
        for (const QString& path : shellWords(command)) {
            if (!path.startsWith(QLatin1Char('/')) || seen.contains(path)) continue;
            seen << path;
            // A script is a few lines; a device or a huge file named on the line is not read whole.
            constexpr qint64 kMaxScriptBytes = kMebibyte;
            BoundedRead read = readFileWithin(path, kMaxScriptBytes);
            if (read.status == BoundedRead::Status::missing)
                read = readFileWithin(mac_.realPath(path), kMaxScriptBytes);
            if (read.status == BoundedRead::Status::tooLarge)
                out += QStringLiteral("script file %1: (too large to read)").arg(path);
            if (read.status != BoundedRead::Status::read) continue;
            out += QStringLiteral("script file %1: %2").arg(path, escapeNewlines(QString::fromUtf8(read.bytes)));
        }
        return out;
    }

    void runCommand(const Stmt& s) {
        const QString& c = s.name;
        if (c == QLatin1String("delay")) {
            effect(QStringLiteral("delay %1").arg(asText(eval(s.target))));
            return;
        }
        if (c == QLatin1String("log")) return;
        if (c == QLatin1String("activate") || c == QLatin1String("launch") || c == QLatin1String("reopen")) {
            auto appRef = innermost(Ref::application);
            if (!appRef) return; // the script itself
            App& app = runningApp(*appRef);
            if (c == QLatin1String("activate")) mac_.activate(app.pid);
            effect(QStringLiteral("%1: %2").arg(app.name, c));
            return;
        }
        if (c == QLatin1String("quit")) {
            App& app = runningApp(requireApp(c));
            effect(QStringLiteral("%1: quit").arg(app.name));
            mac_.terminate(app.pid);
            return;
        }
        if (c == QLatin1String("close")) {
            const Value v = eval(s.target);
            const Ref* ref = v.ref();
            if (!ref || ref->kind != Ref::window)
                throw ScriptError{-1708, QStringLiteral("Can\u2019t close %1.").arg(describe(v)), {}};
            App& app = runningApp(*ref);
            const QString title = windowOf(*ref).title;
            mac_.closeWindow(app, ref->windowId);
            effect(QStringLiteral("%1: close window \"%2\"").arg(app.name, title));
            return;
        }
        if (c == QLatin1String("keystroke") || c == QLatin1String("key code")) {
            const QString key = asText(eval(s.target));
            auto process = innermost(Ref::process);
            const QString processName = process ? process->processName : QString();
            runningApp(Ref{Ref::application, kSystemEventsBundleId, {}, 0, -1});
            effect(QStringLiteral("System Events: %1 \"%2\"%3 to process \"%4\"")
                       .arg(c, key, s.modifiers.isEmpty() ? QString() : QStringLiteral(" using ") + s.modifiers,
                            processName));
            App* target = nullptr;
            for (App& a : mac_.apps())
                if (a.name == processName) target = &a;
            if (process && !target)
                throw ScriptError{
                    kAppleScriptCantGet,
                    QStringLiteral("System Events got an error: Can\u2019t get process \"%1\".").arg(processName),
                    QStringLiteral("System Events")};
            if (target && c == QLatin1String("keystroke") &&
                key.compare(QLatin1String("n"), Qt::CaseInsensitive) == 0 &&
                s.modifiers.contains(QLatin1String("command"))) {
                // Command-N: a new window in the application that has the keyboard.
                if (isBrowser(target->bundleIdentifier))
                    mac_.newBrowserWindow(*target, target->bundleIdentifier == kSafariBundleId
                                                       ? QString()
                                                       : QStringLiteral("chrome://newtab/"));
                else if (target->bundleIdentifier == kFinderBundleId)
                    mac_.openFolderInFinder(mac_.identity().homeDirectory());
                else {
                    Window w;
                    w.title = target->name;
                    w.frame = mac_.nextWindowFrame(*target);
                    mac_.addWindow(*target, w);
                }
            }
            return;
        }
        if (c == QLatin1String("do script")) {
            App& app = runningApp(requireApp(c));
            if (isBrowser(app.bundleIdentifier) || app.bundleIdentifier == kFinderBundleId)
                throw ScriptError{
                    kAppleScriptNotUnderstood,
                    QStringLiteral("%1 got an error: do script doesn\u2019t understand the message.").arg(app.name),
                    app.name};
            const QString command = asText(eval(s.target));
            mac_.runInTerminal(app, command, !s.value);
            effect(QStringLiteral("%1: do script %2").arg(app.name, command));
            if (const QString files = readScriptFiles(command); !files.isEmpty()) effect(files);
            return;
        }
        if (c == QLatin1String("write text")) {
            auto session = innermost(Ref::window);
            if (!session) throw ScriptError{-1708, QStringLiteral("write text is not understood here."), {}};
            App& app = runningApp(*session);
            const QString command = asText(eval(s.target));
            windowOf(*session).commands << command;
            effect(QStringLiteral("%1: write text %2").arg(app.name, command));
            if (const QString files = readScriptFiles(command); !files.isEmpty()) effect(files);
            return;
        }
        if (c == QLatin1String("create window")) {
            App& app = runningApp(requireApp(c));
            mac_.runInTerminal(app, QString(), true).commands.clear();
            effect(QStringLiteral("%1: create window with %2").arg(app.name, s.modifiers));
            return;
        }
        if (c == QLatin1String("create tab")) {
            auto w = innermost(Ref::window);
            App& app = runningApp(requireApp(c));
            effect(QStringLiteral("%1: create tab with %2%3")
                       .arg(app.name, s.modifiers,
                            w ? QStringLiteral(" in window \"%1\"").arg(windowOf(*w).title) : QString()));
            return;
        }
        if (c == QLatin1String("open location")) {
            const QString url = asText(eval(s.target));
            mac_.openURL(url);
            effect(QStringLiteral("open location %1").arg(url));
            return;
        }
        if (c == QLatin1String("select")) {
            eval(s.target);
            return;
        }
        throw ScriptError{kAppleScriptUnknownCommand, QStringLiteral("Unknown command %1.").arg(c), {}};
    }

    Value runStatement(const Stmt& s) {
        switch (s.kind) {
        case Stmt::tell: {
            const Value target = eval(s.target);
            const Ref* ref = target.ref();
            if (!ref) throw ScriptError{-1708, QStringLiteral("Can\u2019t tell %1.").arg(describe(target)), {}};
            if (ref->kind == Ref::application) runningApp(*ref); // the first event reaches (or launches) it
            tellStack_.push_back(*ref);
            Value last;
            try {
                last = runBlock(s.body);
            } catch (...) {
                tellStack_.pop_back();
                throw;
            }
            tellStack_.pop_back();
            return last;
        }
        case Stmt::ifThen:
            if (truth(eval(s.value))) return runBlock(s.body);
            return runBlock(s.elseBody);
        case Stmt::tryBlock: {
            const size_t depth = tellStack_.size();
            try {
                return runBlock(s.body);
            } catch (const ScriptError& error) {
                tellStack_.resize(depth);
                if (!s.name.isEmpty())
                    vars_[s.name.section(QLatin1Char(' '), 0, 0).toLower()] = textValue(error.message);
                return runBlock(s.onError);
            }
        }
        case Stmt::repeatWith: {
            const Value list = eval(s.target);
            const List* items = list.list();
            if (!items) throw ScriptError{-1700, QStringLiteral("Can\u2019t repeat over %1.").arg(describe(list)), {}};
            const List copy = *items; // the body may close the windows it walks
            for (const Value& item : copy) {
                vars_[s.name] = item;
                runBlock(s.body);
            }
            return {};
        }
        case Stmt::repeatTimes: {
            const int times = static_cast<int>(asNumber(eval(s.target)));
            for (int i = 0; i < times && i < 1000; ++i)
                runBlock(s.body);
            return {};
        }
        case Stmt::set:
            runSet(s);
            return {};
        case Stmt::command:
            runCommand(s);
            return {};
        case Stmt::expression:
            return eval(s.target);
        case Stmt::returnValue:
            throw ReturnSignal{s.value ? eval(s.value) : Value{}};
        }
        return {};
    }

  public:
    QString resultText(const Value& v) const {
        if (v.isMissing()) return {}; // a script that ends without a value has no result
        try {
            return v.ref() ? describe(v) : asText(v);
        } catch (const ScriptError&) {
            return describe(v);
        }
    }

    Value runScript(const std::vector<Stmt>& body) {
        try {
            return runBlock(body);
        } catch (const ReturnSignal& r) {
            return r.value;
        }
    }

  private:
    SimulatedMac& mac_;
    const std::map<QString, int>& faults_;
    std::map<QString, Value> vars_;
    std::vector<Ref> tellStack_;
};

} // namespace

ScriptRunner::Outcome ScriptRunner::run(const std::vector<Stmt>& script) {
    Interpreter interpreter(mac_, faults_);
    Outcome outcome;
    try {
        outcome.result = interpreter.resultText(interpreter.runScript(script));
    } catch (const ScriptError& e) {
        QVariantMap error{{kAppleScriptErrorMessage, e.message},
                          {kAppleScriptErrorBriefMessage, e.message},
                          {kAppleScriptErrorNumber, e.number}};
        if (!e.appName.isEmpty()) error.insert(kAppleScriptErrorAppName, e.appName);
        outcome.error = error;
    }
    return outcome;
}

} // namespace nimbrel::sim
