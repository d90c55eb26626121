#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

// The syntax of the small part of AppleScript the simulated Mac understands: tell blocks,
// if/else, try, repeat with, set, the usual commands of browsers, terminals and System
// Events, and expressions with "of", "&", "as", comparisons, "and", "or".
namespace nimbrel::sim::script {

struct Token {
    enum Kind { word, string, number, symbol } kind = word;
    QString text;
    bool is(const char* w) const { return kind == word && text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0; }
    bool isSymbol(const char* s) const { return kind == symbol && text == QLatin1String(s); }
};

struct Expr;
using ExprPtr = std::shared_ptr<Expr>;

struct Expr {
    enum Kind {
        text,       // text
        number,     // number
        boolean,    // number != 0
        missing,    // missing value
        name,       // a variable or a property of the tell target: text = name
        element,    // text = class ("window", "tab"), a = index
        of,         // a of b: a is a name/element/count, b the container
        count,      // count of a
        quotedForm, // quoted form of a
        concat,     // a & b
        compare,    // a op b (op in text)
        logicalAnd,
        logicalOr,
        logicalNot,
        asType,      // a as text
        list,        // items
        record,      // fields
        application, // application [id] a; flag: by id
        process,     // process a (System Events)
        make,        // make new text [at a] [with properties b]
    } kind = text;
    QString textValue;
    double numberValue = 0;
    bool flag = false;
    ExprPtr a;
    ExprPtr b;
    std::vector<ExprPtr> items;
    std::vector<std::pair<QString, ExprPtr>> fields;
};

struct Stmt {
    enum Kind { tell, ifThen, tryBlock, repeatWith, repeatTimes, set, command, expression, returnValue } kind = command;
    int line = 0;
    ExprPtr target;    // tell target, repeat list, set target, command argument
    ExprPtr value;     // set value, if condition
    QString name;      // command name ("activate", "do script", ...), repeat variable
    QString modifiers; // "using ..." of keystrokes
    std::vector<Stmt> body;
    std::vector<Stmt> elseBody;
    std::vector<Stmt> onError;
};

struct SyntaxError {
    int line = 0;
    QString message;
};

// Parses a whole script; on failure answers none and fills `error`.
std::optional<std::vector<Stmt>> parseScript(const QString& source, SyntaxError* error);

} // namespace nimbrel::sim::script
