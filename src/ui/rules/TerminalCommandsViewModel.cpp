#include "ui/rules/TerminalCommandsViewModel.h"

#include "ui/rules/RuleEditorViewModel.h"

#include <QJSEngine>

namespace nimbrel {

namespace {
// The spring of a row coming and going.
constexpr double kRowResponse = 0.18;
constexpr double kRowDamping = 0.85;
} // namespace

TerminalCommandsViewModel::TerminalCommandsViewModel(RuleEditorViewModel& editor) : QObject(nullptr), editor_(editor) {
    QJSEngine::setObjectOwnership(this, QJSEngine::CppOwnership);
    connect(&editor_, &RuleEditorViewModel::changed, this, [this] {
        refreshRows();
        emit changed();
    });
    refreshRows();
}

int TerminalCommandsViewModel::numberOf(const QString& id) const {
    const auto& commands = editor_.state().terminalCommands;
    for (size_t i = 0; i < commands.size(); ++i)
        if (commands[i].id.toString() == id) return int(i) + 1;
    return 1;
}

void TerminalCommandsViewModel::refreshRows() {
    std::vector<QVariantMap> rows;
    for (const TerminalScriptCommand& command : editor_.state().terminalCommands) {
        const QString id = command.id.toString();
        const int number = numberOf(id);
        rows.push_back(
            QVariantMap{{QStringLiteral("id"), id},
                        {QStringLiteral("number"), QString::asprintf("%lld", static_cast<long long>(number))},
                        {QStringLiteral("placeholder"), number == 1 ? QStringLiteral("e.g. cd ~/Projects/MyApp")
                                                                    : QStringLiteral("e.g. sudo npm install")},
                        {QStringLiteral("text"), command.command}});
    }
    commands_.setRows(std::move(rows));
}

QObject* TerminalCommandsViewModel::motion() const {
    return editor_.motion();
}

bool TerminalCommandsViewModel::canRemove() const {
    return editor_.state().terminalCommands.size() >= 2;
}

bool TerminalCommandsViewModel::stopOnFirstFailure() const {
    return editor_.state().terminalStopOnFirstFailure;
}

void TerminalCommandsViewModel::setStopOnFirstFailure(bool stop) {
    if (stop == stopOnFirstFailure()) return;
    editor_.motion()->withoutAnimation(
        [&] { editor_.edit([stop](RuleEditorState& s) { s.terminalStopOnFirstFailure = stop; }); });
}

void TerminalCommandsViewModel::setCommandText(const QString& id, const QString& text) {
    editor_.motion()->withoutAnimation([&] {
        editor_.edit([&](RuleEditorState& s) {
            for (TerminalScriptCommand& command : s.terminalCommands)
                if (command.id.toString() == id) command.command = text;
        });
    });
}

void TerminalCommandsViewModel::addCommand() {
    editor_.motion()->withSpringAnimation(kRowResponse, kRowDamping, [this] {
        editor_.edit([](RuleEditorState& s) { s.terminalCommands.push_back(TerminalScriptCommand{}); });
    });
}

void TerminalCommandsViewModel::removeCommand(const QString& id) {
    editor_.motion()->withSpringAnimation(kRowResponse, kRowDamping, [&] {
        editor_.edit([&](RuleEditorState& s) {
            std::erase_if(s.terminalCommands, [&](const TerminalScriptCommand& c) { return c.id.toString() == id; });
        });
    });
}

} // namespace nimbrel
