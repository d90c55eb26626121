#include "platform/simulated/SimScriptSyntax.h"

#include <functional>

namespace nimbrel::sim::script {

namespace {

struct ParseFailure {
    QString message;
};

// Splits one line into tokens; comments ("--") end the line.
std::vector<Token> tokenize(const QString& line) {
    std::vector<Token> out;
    int i = 0;
    const int n = static_cast<int>(line.size());
    while (i < n) {
        const QChar c = line[i];
        if (c.isSpace() || c == QChar(0x00AC)) { // "¬" continues a line; treated as space
            ++i;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && line[i + 1] == QLatin1Char('-')) break;
        if (c == QLatin1Char('"') || c == QChar(0x201C)) {
            QString text;
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar d = line[i];
                if (d == QLatin1Char('\\') && i + 1 < n) {
                    const QChar e = line[i + 1];
                    text += e == QLatin1Char('n') ? QChar(u'\n') : e == QLatin1Char('t') ? QChar(u'\t') : e;
                    i += 2;
                    continue;
                }
                if (d == QLatin1Char('"') || d == QChar(0x201D)) {
                    closed = true;
                    ++i;
                    break;
                }
                text += d;
                ++i;
            }
            if (!closed) throw ParseFailure{QStringLiteral("Expected \u201c\"\u201d but found end of script.")};
            out.push_back(Token{Token::string, text});
            continue;
        }
        if (c.isDigit()) {
            int j = i;
            while (j < n && (line[j].isDigit() || line[j] == QLatin1Char('.')))
                ++j;
            out.push_back(Token{Token::number, line.mid(i, j - i)});
            i = j;
            continue;
        }
        if (c.isLetter() || c == QLatin1Char('_')) {
            int j = i;
            while (j < n && (line[j].isLetterOrNumber() || line[j] == QLatin1Char('_')))
                ++j;
            out.push_back(Token{Token::word, line.mid(i, j - i)});
            i = j;
            continue;
        }
        if ((c == QLatin1Char('>') || c == QLatin1Char('<')) && i + 1 < n && line[i + 1] == QLatin1Char('=')) {
            out.push_back(Token{Token::symbol, line.mid(i, 2)});
            i += 2;
            continue;
        }
        static const QString symbols = QStringLiteral("(){}:,&=<>\u2260\u2264\u2265");
        if (symbols.contains(c)) {
            out.push_back(Token{Token::symbol, QString(c)});
            ++i;
            continue;
        }
        throw ParseFailure{QStringLiteral("Syntax error: unknown token \u201c%1\u201d.").arg(c)};
    }
    return out;
}

bool isStopWord(const Token& t) {
    static const char* words[] = {"to",     "then",   "else",     "end",  "of",     "with",  "and",
                                  "or",     "is",     "contains", "as",   "at",     "using", "in",
                                  "starts", "begins", "ends",     "does", "equals", "thru",  "times"};
    if (t.kind != Token::word) return false;
    for (const char* w : words)
        if (t.is(w)) return true;
    return false;
}

ExprPtr make(Expr::Kind kind) {
    auto e = std::make_shared<Expr>();
    e->kind = kind;
    return e;
}

class LineParser {
  public:
    explicit LineParser(const std::vector<Token>& tokens) : t_(tokens) {}

    bool atEnd() const { return pos_ >= t_.size(); }
    const Token* peek(size_t ahead = 0) const { return pos_ + ahead < t_.size() ? &t_[pos_ + ahead] : nullptr; }
    bool nextIs(const char* word, size_t ahead = 0) const {
        const Token* t = peek(ahead);
        return t && t->is(word);
    }
    bool nextIsSymbol(const char* s) const {
        const Token* t = peek();
        return t && t->isSymbol(s);
    }
    bool accept(const char* word) {
        if (!nextIs(word)) return false;
        ++pos_;
        return true;
    }
    void expect(const char* word) {
        if (!accept(word))
            fail(QStringLiteral("Expected \u201c%1\u201d but found %2.").arg(QLatin1String(word), found()));
    }
    void expectSymbol(const char* s) {
        if (!nextIsSymbol(s))
            fail(QStringLiteral("Expected \u201c%1\u201d but found %2.").arg(QLatin1String(s), found()));
        ++pos_;
    }
    QString found() const {
        const Token* t = peek();
        if (!t) return QStringLiteral("end of line");
        switch (t->kind) {
        case Token::string:
            return QStringLiteral("\u201c\"\u201d");
        case Token::number:
            return QStringLiteral("number");
        case Token::symbol:
            return QStringLiteral("\u201c%1\u201d").arg(t->text);
        case Token::word:
            return isStopWord(*t) ? QStringLiteral("\u201c%1\u201d").arg(t->text) : QStringLiteral("identifier");
        }
        return {};
    }
    [[noreturn]] void fail(const QString& message) const { throw ParseFailure{message}; }
    void expectEnd() {
        if (!atEnd()) fail(QStringLiteral("Expected end of line but found %1.").arg(found()));
    }
    QString restAsText() {
        QStringList parts;
        while (!atEnd())
            parts << t_[pos_++].text;
        return parts.join(QLatin1Char(' '));
    }

    ExprPtr expression() { return orExpr(); }

    ExprPtr orExpr() {
        ExprPtr left = andExpr();
        while (accept("or")) {
            ExprPtr e = make(Expr::logicalOr);
            e->a = left;
            e->b = andExpr();
            left = e;
        }
        return left;
    }
    ExprPtr andExpr() {
        ExprPtr left = notExpr();
        while (accept("and")) {
            ExprPtr e = make(Expr::logicalAnd);
            e->a = left;
            e->b = notExpr();
            left = e;
        }
        return left;
    }
    ExprPtr notExpr() {
        if (accept("not")) {
            ExprPtr e = make(Expr::logicalNot);
            e->a = notExpr();
            return e;
        }
        return compareExpr();
    }
    ExprPtr compareExpr() {
        ExprPtr left = concatExpr();
        QString op;
        if (accept("is")) {
            if (accept("not"))
                op = accept("equal") ? (expect("to"), QStringLiteral("!=")) : QStringLiteral("!=");
            else if (accept("equal")) {
                expect("to");
                op = QStringLiteral("==");
            } else if (accept("greater")) {
                expect("than");
                op = QStringLiteral(">");
            } else if (accept("less")) {
                expect("than");
                op = QStringLiteral("<");
            } else if (accept("in"))
                op = QStringLiteral("in");
            else
                op = QStringLiteral("==");
        } else if (accept("equals"))
            op = QStringLiteral("==");
        else if (accept("contains"))
            op = QStringLiteral("contains");
        else if (nextIs("does") && nextIs("not", 1)) {
            pos_ += 2;
            if (!accept("contain")) fail(QStringLiteral("Expected \u201ccontain\u201d but found %1.").arg(found()));
            op = QStringLiteral("!contains");
        } else if (accept("starts") || accept("begins")) {
            expect("with");
            op = QStringLiteral("starts");
        } else if (accept("ends")) {
            expect("with");
            op = QStringLiteral("ends");
        } else if (const Token* t = peek(); t && t->kind == Token::symbol) {
            static const QStringList ops{QStringLiteral("="),      QStringLiteral("\u2260"), QStringLiteral(">"),
                                         QStringLiteral("<"),      QStringLiteral(">="),     QStringLiteral("<="),
                                         QStringLiteral("\u2264"), QStringLiteral("\u2265")};
            if (ops.contains(t->text)) {
                ++pos_;
                op = t->text == QLatin1String("=")         ? QStringLiteral("==")
                     : t->text == QStringLiteral("\u2260") ? QStringLiteral("!=")
                     : t->text == QStringLiteral("\u2264") ? QStringLiteral("<=")
                     : t->text == QStringLiteral("\u2265") ? QStringLiteral(">=")
                                                           : t->text;
            }
        }
        if (op.isEmpty()) return left;
        ExprPtr e = make(Expr::compare);
        e->textValue = op;
        e->a = left;
        e->b = concatExpr();
        return e;
    }
    ExprPtr concatExpr() {
        ExprPtr left = asExpr();
        while (nextIsSymbol("&")) {
            ++pos_;
            ExprPtr e = make(Expr::concat);
            e->a = left;
            e->b = asExpr();
            left = e;
        }
        return left;
    }
    ExprPtr asExpr() {
        ExprPtr value = primary();
        while (accept("as")) {
            const Token* t = peek();
            if (!t || t->kind != Token::word) fail(QStringLiteral("Expected class name but found %1.").arg(found()));
            ++pos_;
            ExprPtr e = make(Expr::asType);
            e->textValue = t->text.toLower();
            e->a = value;
            value = e;
        }
        return value;
    }

    ExprPtr primary() {
        const Token* t = peek();
        if (!t) fail(QStringLiteral("Expected expression but found end of line."));
        if (t->kind == Token::string) {
            ++pos_;
            ExprPtr e = make(Expr::text);
            e->textValue = t->text;
            return e;
        }
        if (t->kind == Token::number) {
            ++pos_;
            ExprPtr e = make(Expr::number);
            e->numberValue = t->text.toDouble();
            return e;
        }
        if (t->isSymbol("(")) {
            ++pos_;
            ExprPtr inner = expression();
            expectSymbol(")");
            return withOf(inner);
        }
        if (t->isSymbol("{")) return listOrRecord();
        if (t->kind != Token::word || isStopWord(*t))
            fail(QStringLiteral("Expected expression but found %1.").arg(found()));
        if (accept("missing")) {
            expect("value");
            return make(Expr::missing);
        }
        if (nextIs("true") || nextIs("false")) {
            ExprPtr e = make(Expr::boolean);
            e->numberValue = nextIs("true") ? 1 : 0;
            ++pos_;
            return e;
        }
        if (accept("count") || (nextIs("number") && nextIs("of", 1) && (++pos_, true))) {
            accept("of");
            ExprPtr e = make(Expr::count);
            e->a = primary();
            return e;
        }
        if (nextIs("quoted") && nextIs("form", 1)) {
            pos_ += 2;
            expect("of");
            ExprPtr e = make(Expr::quotedForm);
            e->a = primary();
            return e;
        }
        if (accept("make")) {
            expect("new");
            const Token* cls = peek();
            if (!cls || cls->kind != Token::word)
                fail(QStringLiteral("Expected class name but found %1.").arg(found()));
            ++pos_;
            ExprPtr e = make(Expr::make);
            e->textValue = cls->text.toLower();
            if (accept("at")) {
                if (accept("end") || accept("beginning")) {
                    expect("of");
                    e->a = primary();
                } else if (accept("after") || accept("before")) {
                    e->a = primary();
                } else {
                    e->a = primary();
                }
            }
            if (accept("with")) {
                expect("properties");
                e->b = listOrRecord();
            }
            return e;
        }
        if (accept("application")) {
            ExprPtr e = make(Expr::application);
            e->flag = accept("id");
            e->a = primary();
            return e;
        }
        if (accept("process")) {
            ExprPtr e = make(Expr::process);
            e->a = primary();
            return e;
        }
        QString name = t->text.toLower();
        ++pos_;
        static const QStringList positional{QStringLiteral("front"), QStringLiteral("first"), QStringLiteral("last"),
                                            QStringLiteral("current"), QStringLiteral("active")};
        if (positional.contains(name) && peek() && peek()->kind == Token::word && !isStopWord(*peek())) {
            name += QLatin1Char(' ') + peek()->text.toLower();
            ++pos_;
            if (name == QLatin1String("active tab") && nextIs("index")) {
                name += QStringLiteral(" index");
                ++pos_;
            }
        }
        static const QStringList classes{QStringLiteral("window"), QStringLiteral("tab"), QStringLiteral("document"),
                                         QStringLiteral("session")};
        if (classes.contains(name) && peek() && peek()->kind == Token::number) {
            ExprPtr e = make(Expr::element);
            e->textValue = name;
            e->a = primary();
            return withOf(e);
        }
        ExprPtr e = make(Expr::name);
        e->textValue = name;
        return withOf(e);
    }

    ExprPtr withOf(ExprPtr e) {
        if (!accept("of")) return e;
        ExprPtr o = make(Expr::of);
        o->a = e;
        o->b = primary();
        return o;
    }

    ExprPtr listOrRecord() {
        expectSymbol("{");
        ExprPtr list = make(Expr::list);
        ExprPtr record = make(Expr::record);
        bool isRecord = false;
        if (nextIsSymbol("}")) {
            ++pos_;
            return list;
        }
        while (true) {
            const Token* t = peek();
            const Token* after = peek(1);
            if (t && t->kind == Token::word && after && after->isSymbol(":")) {
                isRecord = true;
                pos_ += 2;
                record->fields.emplace_back(t->text.toLower(), expression());
            } else {
                list->items.push_back(expression());
            }
            if (nextIsSymbol(",")) {
                ++pos_;
                continue;
            }
            expectSymbol("}");
            break;
        }
        if (isRecord && !list->items.empty()) fail(QStringLiteral("Expected \u201c:\u201d in a record."));
        return isRecord ? record : list;
    }

    size_t pos_ = 0;

  private:
    const std::vector<Token>& t_;
};

class ScriptParser {
  public:
    explicit ScriptParser(const QString& source) {
        const QStringList rawLines = source.split(QLatin1Char('\n'));
        for (int i = 0; i < rawLines.size(); ++i) {
            line_ = i + 1;
            QString text = rawLines[i];
            text.remove(QLatin1Char('\r'));
            auto tokens = tokenize(text);
            if (tokens.empty()) continue;
            lines_.push_back(std::move(tokens));
            numbers_.push_back(i + 1);
        }
    }

    std::vector<Stmt> script() {
        auto body = block();
        if (index_ < lines_.size()) {
            line_ = numbers_[index_];
            throw ParseFailure{
                QStringLiteral("Expected end of script but found \u201c%1\u201d.").arg(lines_[index_].front().text)};
        }
        return body;
    }

    int line_ = 0;

  private:
    bool atBlockEnd() const {
        if (index_ >= lines_.size()) return true;
        const Token& first = lines_[index_].front();
        return first.is("end") || first.is("else") ||
               (first.is("on") && lines_[index_].size() > 1 && lines_[index_][1].is("error"));
    }

    std::vector<Stmt> block() {
        std::vector<Stmt> out;
        while (!atBlockEnd())
            out.push_back(statementLine());
        return out;
    }

    void endOf(const char* what) {
        if (index_ >= lines_.size())
            throw ParseFailure{QStringLiteral("Expected \u201cend\u201d but found end of script.")};
        line_ = numbers_[index_];
        LineParser p(lines_[index_]);
        p.expect("end");
        if (!p.atEnd() && !p.accept(what))
            p.fail(QStringLiteral("Expected \u201cend\u201d or \u201cend %1\u201d but found %2.")
                       .arg(QLatin1String(what), p.found()));
        p.expectEnd();
        ++index_;
    }

    Stmt statementLine() {
        line_ = numbers_[index_];
        LineParser p(lines_[index_]);
        ++index_;
        Stmt s = statement(p, true);
        return s;
    }

    // Parses a statement from `p`; multi-line forms read further lines when `allowBlock`.
    Stmt statement(LineParser& p, bool allowBlock) {
        Stmt s;
        s.line = line_;
        if (p.accept("tell")) {
            s.kind = Stmt::tell;
            s.target = p.expression();
            if (p.accept("to")) {
                s.body.push_back(statement(p, false));
                return s;
            }
            p.expectEnd();
            if (!allowBlock) p.fail(QStringLiteral("A tell block cannot be nested on one line."));
            s.body = block();
            endOf("tell");
            return s;
        }
        if (p.accept("if")) {
            s.kind = Stmt::ifThen;
            s.value = p.expression();
            p.expect("then");
            if (!p.atEnd()) {
                s.body.push_back(statement(p, false));
                return s;
            }
            if (!allowBlock) p.fail(QStringLiteral("Expected end of line."));
            s.body = block();
            ifTail(s);
            return s;
        }
        if (p.accept("try")) {
            p.expectEnd();
            s.kind = Stmt::tryBlock;
            s.body = block();
            if (index_ < lines_.size() && lines_[index_].front().is("on")) {
                line_ = numbers_[index_];
                LineParser e(lines_[index_]);
                ++index_;
                e.expect("on");
                e.expect("error");
                if (!e.atEnd()) s.name = e.restAsText();
                s.onError = block();
            }
            endOf("try");
            return s;
        }
        if (p.accept("repeat")) {
            if (p.accept("with")) {
                const Token* v = p.peek();
                if (!v || v->kind != Token::word)
                    p.fail(QStringLiteral("Expected variable name but found %1.").arg(p.found()));
                ++p.pos_;
                s.kind = Stmt::repeatWith;
                s.name = v->text.toLower();
                p.expect("in");
                s.target = p.expression();
            } else {
                s.kind = Stmt::repeatTimes;
                s.target = p.expression();
                p.expect("times");
            }
            p.expectEnd();
            s.body = block();
            endOf("repeat");
            return s;
        }
        if (p.accept("set")) {
            s.kind = Stmt::set;
            s.target = p.expression();
            p.expect("to");
            s.value = p.expression();
            p.expectEnd();
            return s;
        }
        if (p.accept("return")) {
            s.kind = Stmt::returnValue;
            if (!p.atEnd()) s.value = p.expression();
            p.expectEnd();
            return s;
        }
        s.kind = Stmt::command;
        for (const char* bare : {"activate", "launch", "quit", "reopen"}) {
            if (p.accept(bare)) {
                s.name = QLatin1String(bare);
                p.expectEnd();
                return s;
            }
        }
        auto withArgument = [&](const QString& name) {
            s.name = name;
            s.target = p.expression();
            if (p.accept("using"))
                s.modifiers = p.restAsText();
            else if (p.accept("in"))
                s.value = p.expression();
            p.expectEnd();
            return s;
        };
        if (p.accept("delay")) return withArgument(QStringLiteral("delay"));
        if (p.accept("close")) return withArgument(QStringLiteral("close"));
        if (p.accept("keystroke")) return withArgument(QStringLiteral("keystroke"));
        if (p.accept("log")) return withArgument(QStringLiteral("log"));
        if (p.accept("select")) return withArgument(QStringLiteral("select"));
        if (p.nextIs("key") && p.nextIs("code", 1)) {
            p.pos_ += 2;
            return withArgument(QStringLiteral("key code"));
        }
        if (p.nextIs("do") && p.nextIs("script", 1)) {
            p.pos_ += 2;
            return withArgument(QStringLiteral("do script"));
        }
        if (p.nextIs("write") && p.nextIs("text", 1)) {
            p.pos_ += 2;
            return withArgument(QStringLiteral("write text"));
        }
        if (p.nextIs("open") && p.nextIs("location", 1)) {
            p.pos_ += 2;
            return withArgument(QStringLiteral("open location"));
        }
        if (p.accept("create")) {
            const Token* what = p.peek();
            if (!what || !(what->is("window") || what->is("tab")))
                p.fail(QStringLiteral("Expected \u201cwindow\u201d or \u201ctab\u201d but found %1.").arg(p.found()));
            ++p.pos_;
            s.name = QStringLiteral("create ") + what->text.toLower();
            if (p.accept("with")) s.modifiers = p.restAsText();
            p.expectEnd();
            return s;
        }
        s.kind = Stmt::expression;
        s.target = p.expression();
        p.expectEnd();
        return s;
    }

    void ifTail(Stmt& s) {
        if (index_ >= lines_.size())
            throw ParseFailure{QStringLiteral("Expected \u201cend\u201d but found end of script.")};
        if (lines_[index_].front().is("else")) {
            line_ = numbers_[index_];
            LineParser e(lines_[index_]);
            ++index_;
            e.expect("else");
            if (e.accept("if")) {
                Stmt nested;
                nested.kind = Stmt::ifThen;
                nested.line = line_;
                nested.value = e.expression();
                e.expect("then");
                e.expectEnd();
                nested.body = block();
                ifTail(nested); // the chain shares one "end if"
                s.elseBody.push_back(nested);
                return;
            }
            e.expectEnd();
            s.elseBody = block();
        }
        endOf("if");
    }

    std::vector<std::vector<Token>> lines_;
    std::vector<int> numbers_;
    size_t index_ = 0;
};

} // namespace

std::optional<std::vector<Stmt>> parseScript(const QString& source, SyntaxError* error) {
    int line = 0;
    try {
        ScriptParser parser(source);
        line = parser.line_;
        try {
            return parser.script();
        } catch (const ParseFailure& f) {
            if (error) *error = SyntaxError{parser.line_, f.message};
            return std::nullopt;
        }
    } catch (const ParseFailure& f) {
        if (error) *error = SyntaxError{line, f.message};
        return std::nullopt;
    }
}

} // namespace nimbrel::sim::script
