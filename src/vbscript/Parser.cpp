// Parser: recursive descent over the token list.
#include "vbscript/Parser.h"

#include "vbscript/Errors.h"
#include "vbscript/StackGuard.h"

#include <cstdint>
#include <unordered_set>

namespace ravelin::vbs {

namespace {

class Parser {
public:
    Parser(std::vector<Token> tokens, Interner& in, Unit& unit) : m_t(std::move(tokens)), m_in(in), m_unit(unit)
    {
        m_symError = in.intern("error");
        m_symExplicit = in.intern("explicit");
        m_symStep = in.intern("step");
        m_symPreserve = in.intern("preserve");
        m_symProperty = in.intern("property");
        m_symGet = in.intern("get");
        m_symDefault = in.intern("default");
        m_symResume = in.intern("resume");
        m_symRandomize = in.intern("randomize");
    }

    // unit := { EOS } { topLevel EOS }
    void parseUnitBody()
    {
        skipEos();
        while (!at(Tok::EndOfFile)) {
            parseTopLevel(m_unit.body);
            endStatement();
        }
    }

    ExprP parseSingleExpression()
    {
        skipEos();
        ExprP e = parseExpr();
        skipEos();
        if (!at(Tok::EndOfFile))
            fail(Err::ExpectedEndOfStatement);
        return e;
    }

private:
    // ---- token helpers
    const Token& cur() const { return m_t[m_p]; }
    const Token& peekTok(size_t k = 1) const { return m_t[std::min(m_p + k, m_t.size() - 1)]; }
    bool at(Tok k) const { return cur().kind == k; }
    bool atWord(Symbol s) const { return cur().kind == Tok::Identifier && cur().symbol == s; }
    const Token& advance()
    {
        const Token& t = m_t[m_p];
        if (m_p + 1 < m_t.size())
            ++m_p;
        return t;
    }
    bool accept(Tok k)
    {
        if (!at(k))
            return false;
        advance();
        return true;
    }
    [[noreturn]] void fail(Err e) { raiseAt(e, cur().line, cur().column); }
    void expect(Tok k, Err e)
    {
        if (!accept(k))
            fail(e);
    }
    void expectWord(Symbol s, Err e)
    {
        if (!atWord(s))
            fail(e);
        advance();
    }
    Symbol expectIdent()
    {
        if (!at(Tok::Identifier))
            fail(Err::ExpectedIdentifier);
        return advance().symbol;
    }
    void skipEos()
    {
        while (at(Tok::EndOfStatement))
            advance();
    }
    bool atEos() const { return at(Tok::EndOfStatement) || at(Tok::EndOfFile); }
    bool atLineEnd() const { return at(Tok::EndOfFile) || (at(Tok::EndOfStatement) && cur().symbol == 1); }
    void endStatement()
    {
        if (at(Tok::EndOfFile))
            return;
        if (!at(Tok::EndOfStatement))
            fail(Err::ExpectedEndOfStatement);
        skipEos();
    }
    template <typename T>
    std::unique_ptr<T> node(const Token& at)
    {
        auto n = std::make_unique<T>();
        n->line = at.line;
        n->column = at.column;
        return n;
    }

    // ---- declarations

    // topLevel := Option Explicit | [Public|Private] (procedure | variables | Const)
    //           | Class ... | statement
    void parseTopLevel(Block& out)
    {
        const Token& t = cur();
        if (at(Tok::KwOption)) {
            advance();
            expectWord(m_symExplicit, Err::ExpectedIdentifier);
            m_unit.optionExplicit = true;
            return;
        }
        if (at(Tok::KwClass)) {
            if (m_proc)
                fail(Err::SyntaxError);
            parseClass();
            return;
        }
        if (at(Tok::KwSub) || at(Tok::KwFunction)
            || (atWord(m_symProperty) && (m_class || peekTok().kind != Tok::Eq))) {
            parseProcedure(true, false);
            return;
        }
        if (at(Tok::KwPublic) || at(Tok::KwPrivate)) {
            bool isPublic = at(Tok::KwPublic);
            advance();
            bool isDefault = false;
            if (atWord(m_symDefault)) {
                if (!isPublic)
                    fail(Err::DefaultNotPublic);
                advance();
                isDefault = true;
            }
            if (at(Tok::KwSub) || at(Tok::KwFunction) || atWord(m_symProperty)) {
                parseProcedure(isPublic, isDefault);
                return;
            }
            if (isDefault)
                fail(Err::DefaultPlacement);
            if (at(Tok::KwConst)) {
                advance();
                parseConstList();
                return;
            }
            parseVariableList(out, isPublic, t);
            return;
        }
        parseStatement(out);
    }

    // Class name EOS { member EOS } End Class
    void parseClass()
    {
        advance();
        auto cls = std::make_unique<ClassDef>();
        cls->line = cur().line;
        const Token& nameTok = cur();
        cls->name = expectIdent();
        declareCallable(cls->name, nameTok.line, nameTok.column);
        cls->spelling = m_in.spelling(cls->name);
        endStatement();
        ClassDef* saved = m_class;
        m_class = cls.get();
        while (!at(Tok::KwEnd)) {
            if (at(Tok::EndOfFile))
                fail(Err::ExpectedEnd);
            if (at(Tok::KwDim)) {
                advance();
                parseFields(true);
            } else if (at(Tok::KwPublic) || at(Tok::KwPrivate)) {
                bool isPublic = at(Tok::KwPublic);
                advance();
                bool isDefault = false;
                if (atWord(m_symDefault)) {
                    if (!isPublic)
                        fail(Err::DefaultNotPublic);
                    advance();
                    isDefault = true;
                }
                if (at(Tok::KwSub) || at(Tok::KwFunction) || atWord(m_symProperty))
                    parseProcedure(isPublic, isDefault);
                else if (isDefault)
                    fail(Err::DefaultPlacement);
                else if (at(Tok::KwConst)) {
                    advance();
                    parseConstList();
                } else
                    parseFields(isPublic);
            } else if (at(Tok::KwSub) || at(Tok::KwFunction) || atWord(m_symProperty)) {
                parseProcedure(true, false);
            } else if (at(Tok::KwConst)) {
                advance();
                parseConstList();
            } else {
                fail(Err::ExpectedStatement);
            }
            if (!atDeclarationEnd())
                endStatement();
        }
        advance();
        expect(Tok::KwClass, Err::ExpectedClass);
        m_class = saved;
        m_unit.classes.push_back(std::move(cls));
    }

    // fields := name [ '(' bounds ')' ] { ',' ... }
    void parseFields(bool isPublic)
    {
        do {
            FieldDef f;
            f.line = cur().line;
            f.column = cur().column;
            f.name = expectIdent();
            f.isPublic = isPublic;
            if (accept(Tok::LParen)) {
                if (!at(Tok::RParen)) {
                    f.hasBounds = true;
                    do {
                        f.bounds.push_back(parseExpr());
                    } while (accept(Tok::Comma));
                }
                expect(Tok::RParen, Err::ExpectedRParen);
            }
            m_class->fields.push_back(std::move(f));
        } while (accept(Tok::Comma));
    }

    // procedure := (Sub | Function | Property (Get|Let|Set)) name [ '(' params ')' ] EOS body End (Sub|Function|Property)
    void parseProcedure(bool isPublic, bool isDefault)
    {
        if (m_proc)
            fail(Err::SyntaxError);
        auto proc = std::make_unique<ProcDef>();
        proc->line = cur().line;
        proc->column = cur().column;
        proc->isPublic = isPublic;
        proc->isDefault = isDefault;
        proc->owner = m_class;
        proc->unit = &m_unit;
        Tok endKind;
        if (accept(Tok::KwSub)) {
            proc->kind = ProcKind::Sub;
            endKind = Tok::KwSub;
        } else if (accept(Tok::KwFunction)) {
            proc->kind = ProcKind::Function;
            endKind = Tok::KwFunction;
        } else {
            advance(); // Property
            if (!m_class)
                fail(Err::MustBeInClass);
            if (atWord(m_symGet))
                proc->kind = ProcKind::PropertyGet;
            else if (at(Tok::KwLet))
                proc->kind = ProcKind::PropertyLet;
            else if (at(Tok::KwSet))
                proc->kind = ProcKind::PropertySet;
            else
                fail(Err::ExpectedLetSetGet);
            advance();
            endKind = Tok::Identifier;
        }
        if (isDefault && proc->kind != ProcKind::PropertyGet && proc->kind != ProcKind::Function
            && proc->kind != ProcKind::Sub)
            fail(Err::DefaultPlacement);
        const Token& nameTok = cur();
        proc->name = expectIdent();
        if (!m_class)
            declareCallable(proc->name, nameTok.line, nameTok.column);
        if (accept(Tok::LParen)) {
            if (!at(Tok::RParen)) {
                do {
                    Param p;
                    if (accept(Tok::KwByVal))
                        p.byRef = false;
                    else if (accept(Tok::KwByRef))
                        p.byRef = true;
                    p.line = cur().line;
                    p.column = cur().column;
                    p.name = expectIdent();
                    if (accept(Tok::LParen)) {
                        expect(Tok::RParen, Err::ExpectedRParen);
                        p.isArray = true;
                    }
                    proc->params.push_back(p);
                } while (accept(Tok::Comma));
            }
            expect(Tok::RParen, Err::ExpectedRParen);
        }
        if ((proc->kind == ProcKind::PropertyLet || proc->kind == ProcKind::PropertySet) && proc->params.empty())
            fail(Err::PropertyNeedsArg);
        endStatement();
        m_localNames.clear();
        for (const Param& p : proc->params)
            m_localNames.insert(p.name);
        m_proc = proc.get();
        parseBlockUntil(
            [&] {
                return at(Tok::KwEnd)
                    && (peekTok().kind == endKind
                        || (endKind == Tok::Identifier && peekTok().kind == Tok::Identifier
                            && peekTok().symbol == m_symProperty));
            },
            proc->body,
            endKind == Tok::KwSub            ? Err::ExpectedSub
                : endKind == Tok::KwFunction ? Err::ExpectedFunction
                                             : Err::ExpectedProperty);
        advance();
        advance();
        m_proc = nullptr;
        if (m_class)
            m_class->procs.push_back(std::move(proc));
        else
            m_unit.procs.push_back(std::move(proc));
    }

    // variables := name [ '(' [bounds] ')' ] { ',' name ... }
    void parseVariableList(Block& out, bool isPublic, const Token& at0)
    {
        (void)isPublic;
        auto dim = node<DimStmt>(at0);
        do {
            const Token& nameTok = cur();
            Symbol name = expectIdent();
            declareOnce(name, nameTok);
            declare(name);
            if (accept(Tok::LParen)) {
                ReDimItem item;
                auto ne = node<NameExpr>(nameTok);
                ne->name = name;
                item.target = std::move(ne);
                if (!at(Tok::RParen)) {
                    do {
                        item.bounds.push_back(parseExpr());
                    } while (accept(Tok::Comma));
                    dim->items.push_back(std::move(item));
                }
                expect(Tok::RParen, Err::ExpectedRParen);
            }
        } while (accept(Tok::Comma));
        if (!dim->items.empty())
            out.push_back(std::move(dim));
    }

    // A name Dim'd or Const'd twice in one scope, or a module variable
    // that is also one of the unit's procedures or classes, is error 1041.
    // ReDim declares nothing new, and a procedure given twice is allowed
    // (the later one wins).
    void declareOnce(Symbol name, const Token& at)
    {
        if (m_class && !m_proc)
            return; // class members are checked when the class is declared
        auto& names = m_proc ? m_localNames : m_moduleNames;
        if (!names.insert(name).second || (!m_proc && m_moduleCallables.count(name)))
            raiseAt(Err::NameRedefined, at.line, at.column);
    }

    void declareCallable(Symbol name, int line, int column)
    {
        if (m_moduleNames.count(name))
            raiseAt(Err::NameRedefined, line, column);
        m_moduleCallables.insert(name);
    }

    void declare(Symbol name)
    {
        if (m_proc)
            m_proc->declaredLocals.push_back(name);
        else
            m_unit.declaredGlobals.push_back(name);
    }

    // constList := name '=' expr { ',' name '=' expr }
    void parseConstList()
    {
        do {
            const Token& nameTok = cur();
            Symbol name = expectIdent();
            declareOnce(name, nameTok);
            expect(Tok::Eq, Err::ExpectedEquals);
            ExprP value = parseExpr();
            if (m_proc)
                m_proc->consts.emplace_back(name, std::move(value));
            else
                m_unit.consts.emplace_back(name, std::move(value));
        } while (accept(Tok::Comma));
    }

    // ---- statements

    template <typename Stop>
    void parseBlockUntil(Stop stop, Block& out, Err missing)
    {
        Nest nest(*this);
        skipEos();
        while (!stop()) {
            if (at(Tok::EndOfFile))
                fail(missing);
            parseTopLevelInBlock(out);
            // `x = 1 End Sub`: the end of a declaration needs no separator.
            if (!(atDeclarationEnd() && stop()))
                endStatement();
        }
    }

    // At `End Sub`, `End Function`, `End Property` or `End Class`.
    bool atDeclarationEnd()
    {
        if (!at(Tok::KwEnd))
            return false;
        const Token& next = peekTok();
        return next.kind == Tok::KwSub || next.kind == Tok::KwFunction || next.kind == Tok::KwClass
            || (next.kind == Tok::Identifier && next.symbol == m_symProperty);
    }

    void parseTopLevelInBlock(Block& out)
    {
        // A procedure or class inside a block of top-level code (even an If
        // never taken) is declared like one outside it.
        if (!m_proc && !m_class && (at(Tok::KwSub) || at(Tok::KwFunction) || at(Tok::KwClass))) {
            parseTopLevel(out);
            return;
        }
        if (at(Tok::KwSub) || at(Tok::KwFunction) || at(Tok::KwClass))
            fail(Err::SyntaxError);
        if (m_proc && (at(Tok::KwPublic) || at(Tok::KwPrivate)))
            fail(Err::SyntaxError);
        if (!m_proc && (at(Tok::KwPublic) || at(Tok::KwPrivate) || at(Tok::KwOption)))
            fail(Err::SyntaxError);
        parseStatement(out);
    }

    void parseStatement(Block& out)
    {
        const Token& t = cur();
        switch (t.kind) {
        case Tok::KwDim:
            advance();
            parseVariableList(out, true, t);
            return;
        case Tok::KwReDim: parseReDim(out); return;
        case Tok::KwConst:
            advance();
            parseConstList();
            return;
        case Tok::KwIf: parseIf(out); return;
        case Tok::KwFor: parseFor(out); return;
        case Tok::KwDo: parseDo(out); return;
        case Tok::KwWhile: parseWhile(out); return;
        case Tok::KwSelect: parseSelect(out); return;
        case Tok::KwWith: parseWith(out); return;
        case Tok::KwOn: parseOnError(out); return;
        case Tok::KwExit: parseExit(out); return;
        case Tok::KwErase: {
            advance();
            auto s = node<EraseStmt>(t);
            s->target = parsePostfix(false);
            out.push_back(std::move(s));
            return;
        }
        case Tok::KwStop:
            advance();
            out.push_back(node<NopStmt>(t));
            return;
        case Tok::KwSet: {
            advance();
            auto s = node<AssignStmt>(t);
            s->isSet = true;
            s->target = parsePostfix(false);
            expect(Tok::Eq, Err::ExpectedEquals);
            s->value = parseExpr();
            out.push_back(std::move(s));
            return;
        }
        case Tok::KwCall: {
            advance();
            // `Call (name)` names its target in parentheses: read on as if
            // they were not there.
            if (at(Tok::LParen) && peekTok().kind == Tok::Identifier && peekTok(2).kind == Tok::RParen) {
                advance();
                m_t[m_p + 1] = m_t[m_p];
                advance();
            }
            auto s = node<CallStmt>(t);
            s->call = parsePostfix(false);
            out.push_back(std::move(s));
            return;
        }
        case Tok::KwLoop: fail(Err::LoopWithoutDo);
        case Tok::KwNext: fail(Err::UnexpectedNext);
        case Tok::Identifier:
        case Tok::Dot:
        case Tok::KwMe: parseAssignOrCall(out); return;
        default: fail(Err::ExpectedStatement);
        }
    }

    // assignOrCall := postfix '=' expr | postfix [ args ]
    void parseAssignOrCall(Block& out)
    {
        const Token& t = cur();
        ExprP target = parsePostfix(false);
        if (accept(Tok::Eq)) {
            auto s = node<AssignStmt>(t);
            s->target = std::move(target);
            s->value = parseExpr();
            out.push_back(std::move(s));
            return;
        }
        auto s = node<CallStmt>(t);
        if (atEos() || at(Tok::KwElse)) {
            // `f(x)` as a statement passes x by value, like `f (x)`; more than
            // one argument in parentheses needs Call.
            if (target->kind == ExprKind::Call) {
                auto* call = static_cast<CallExpr*>(target.get());
                if (call->args.size() > 1 && m_lastParenCall == call)
                    raiseAt(Err::ParensOnSubCall, call->line, call->column);
                if (call->args.size() == 1 && m_lastParenCall == call)
                    wrapParen(call->args[0]);
            }
            s->call = std::move(target);
            out.push_back(std::move(s));
            return;
        }
        // Arguments without parentheses. When the chain ended in `(x)` that was
        // really the start of the first argument (`f (a) + 1, b`), continue it.
        auto call = node<CallExpr>(t);
        if (target->kind == ExprKind::Call && m_lastParenCall == target.get()) {
            auto* pc = static_cast<CallExpr*>(target.get());
            if (pc->args.size() != 1)
                raiseAt(Err::ParensOnSubCall, pc->line, pc->column);
            ExprP first = std::move(pc->args[0]);
            wrapParen(first);
            call->target = std::move(pc->target);
            call->args.push_back(parseExprContinuing(std::move(first)));
            if (accept(Tok::Comma))
                parseArgList(call->args, true);
        } else {
            call->target = std::move(target);
            parseArgList(call->args, true);
        }
        s->call = std::move(call);
        out.push_back(std::move(s));
    }

    void wrapParen(ExprP& e)
    {
        if (e->kind == ExprKind::Paren || e->kind == ExprKind::Missing)
            return;
        auto p = std::make_unique<ParenExpr>();
        p->line = e->line;
        p->column = e->column;
        p->inner = std::move(e);
        e = std::move(p);
    }

    // args := [expr] { ',' [expr] } — empty places are skipped arguments
    void parseArgList(std::vector<ExprP>& args, bool statement)
    {
        for (;;) {
            if (at(Tok::Comma) || (statement && (atEos() || at(Tok::KwElse))) || at(Tok::RParen)) {
                auto m = node<MissingExpr>(cur());
                args.push_back(std::move(m));
            } else {
                args.push_back(parseExpr());
            }
            if (!accept(Tok::Comma))
                break;
        }
        // A trailing skipped argument from an empty list is no argument.
        if (args.size() == 1 && args[0]->kind == ExprKind::Missing)
            args.clear();
    }

    // ReDim [Preserve] name '(' bounds ')' { ',' ... }
    void parseReDim(Block& out)
    {
        const Token& t = advance();
        auto s = node<ReDimStmt>(t);
        if (atWord(m_symPreserve)) {
            advance();
            s->preserve = true;
        }
        do {
            ReDimItem item;
            const Token& nt = cur();
            Symbol name = expectIdent();
            auto ne = node<NameExpr>(nt);
            ne->name = name;
            item.target = std::move(ne);
            if (m_proc)
                m_proc->redimNames.push_back(name); // ReDim declares when nothing else does
            else
                m_unit.declaredGlobals.push_back(name);
            expect(Tok::LParen, Err::ExpectedLParen);
            do {
                item.bounds.push_back(parseExpr());
            } while (accept(Tok::Comma));
            expect(Tok::RParen, Err::ExpectedRParen);
            s->items.push_back(std::move(item));
        } while (accept(Tok::Comma));
        out.push_back(std::move(s));
    }

    // If expr Then EOS block { ElseIf expr Then EOS block } [Else EOS block] End If
    // If expr Then stmts [Else stmts]   (single line)
    void parseIf(Block& out)
    {
        const Token& t = advance();
        auto s = node<IfStmt>(t);
        ExprP cond = parseExpr();
        expect(Tok::KwThen, Err::ExpectedThen);
        if (!atEos()) {
            Block then;
            parseInlineStatements(then);
            s->branches.emplace_back(std::move(cond), std::move(then));
            if (accept(Tok::KwElse)) {
                s->hasElse = true;
                parseInlineStatements(s->elseBlock);
            }
            if (at(Tok::KwEnd) && peekTok().kind == Tok::KwIf) {
                advance();
                advance();
            }
            out.push_back(std::move(s));
            return;
        }
        Block then;
        auto stopAtBranch = [&] {
            return at(Tok::KwElseIf) || at(Tok::KwElse) || (at(Tok::KwEnd) && peekTok().kind == Tok::KwIf);
        };
        parseBlockUntil(stopAtBranch, then, Err::ExpectedEnd);
        s->branches.emplace_back(std::move(cond), std::move(then));
        while (at(Tok::KwElseIf)) {
            advance();
            ExprP c = parseExpr();
            expect(Tok::KwThen, Err::ExpectedThen);
            Block b;
            if (!atEos()) {
                parseInlineStatements(b);
                skipEos();
            } else
                parseBlockUntil(stopAtBranch, b, Err::ExpectedEnd);
            s->branches.emplace_back(std::move(c), std::move(b));
        }
        if (accept(Tok::KwElse)) {
            s->hasElse = true;
            parseBlockUntil([&] { return at(Tok::KwEnd) && peekTok().kind == Tok::KwIf; }, s->elseBlock,
                            Err::ExpectedEnd);
        }
        advance();
        advance();
        out.push_back(std::move(s));
    }

    // Statements of a single-line If: separated by ':' up to the line end or Else.
    void parseInlineStatements(Block& out)
    {
        Nest nest(*this); // `If c Then If c Then ...` nests without a block
        for (;;) {
            if (at(Tok::KwElse) || atLineEnd())
                break;
            if (at(Tok::EndOfStatement)) {
                advance();
                continue;
            }
            parseStatement(out);
            if (at(Tok::EndOfStatement) && cur().symbol == 0)
                advance();
            else
                break;
        }
    }

    // For name '=' expr To expr [Step expr] EOS block Next [name]
    // For Each name In expr EOS block Next [name]
    void parseFor(Block& out)
    {
        const Token& t = advance();
        if (accept(Tok::KwEach)) {
            auto s = node<ForEachStmt>(t);
            const Token& nt = cur();
            auto var = node<NameExpr>(nt);
            var->name = expectIdent();
            s->var = std::move(var);
            expect(Tok::KwIn, Err::ExpectedIn);
            s->collection = parseExpr();
            parseBlockUntil([&] { return at(Tok::KwNext); }, s->body, Err::ExpectedNext);
            advance();
            if (at(Tok::Identifier))
                advance();
            out.push_back(std::move(s));
            return;
        }
        auto s = node<ForStmt>(t);
        const Token& nt = cur();
        if (!at(Tok::Identifier))
            fail(Err::InvalidForVariable);
        auto var = node<NameExpr>(nt);
        var->name = advance().symbol;
        s->var = std::move(var);
        expect(Tok::Eq, Err::ExpectedEquals);
        s->from = parseExpr();
        expect(Tok::KwTo, Err::ExpectedTo);
        s->to = parseExpr();
        if (atWord(m_symStep)) {
            advance();
            s->step = parseExpr();
        }
        parseBlockUntil([&] { return at(Tok::KwNext); }, s->body, Err::ExpectedNext);
        advance();
        if (at(Tok::Identifier))
            advance();
        out.push_back(std::move(s));
    }

    // Do [(While|Until) expr] EOS block Loop [(While|Until) expr]
    void parseDo(Block& out)
    {
        const Token& t = advance();
        auto s = node<DoStmt>(t);
        if (at(Tok::KwWhile) || at(Tok::KwUntil)) {
            s->until = at(Tok::KwUntil);
            advance();
            s->cond = parseExpr();
            s->testFirst = true;
        } else if (!atEos()) {
            fail(Err::ExpectedWhileUntilEnd);
        }
        parseBlockUntil([&] { return at(Tok::KwLoop); }, s->body, Err::ExpectedLoop);
        advance();
        if (at(Tok::KwWhile) || at(Tok::KwUntil)) {
            if (s->cond)
                fail(Err::ExpectedEndOfStatement);
            s->until = at(Tok::KwUntil);
            advance();
            s->cond = parseExpr();
            s->testFirst = false;
        }
        out.push_back(std::move(s));
    }

    // While expr EOS block Wend
    void parseWhile(Block& out)
    {
        const Token& t = advance();
        auto s = node<DoStmt>(t);
        s->cond = parseExpr();
        parseBlockUntil([&] { return at(Tok::KwWend); }, s->body, Err::ExpectedWend);
        advance();
        out.push_back(std::move(s));
    }

    // Select Case expr EOS { Case tests EOS block } [Case Else EOS block] End Select
    void parseSelect(Block& out)
    {
        const Token& t = advance();
        expect(Tok::KwCase, Err::ExpectedCase);
        auto s = node<SelectStmt>(t);
        s->subject = parseExpr();
        endStatement();
        while (at(Tok::KwCase)) {
            advance();
            if (accept(Tok::KwElse)) {
                s->hasElse = true;
                parseBlockUntil([&] { return at(Tok::KwEnd) && peekTok().kind == Tok::KwSelect; }, s->elseBlock,
                                Err::ExpectedEnd);
                break;
            }
            std::vector<CaseTest> tests;
            do {
                CaseTest ct;
                if (accept(Tok::KwIs)) {
                    ct.kind = CaseTest::Is;
                    switch (cur().kind) {
                    case Tok::Eq: ct.op = Op::Eq; break;
                    case Tok::Ne: ct.op = Op::Ne; break;
                    case Tok::Lt: ct.op = Op::Lt; break;
                    case Tok::Gt: ct.op = Op::Gt; break;
                    case Tok::Le: ct.op = Op::Le; break;
                    case Tok::Ge: ct.op = Op::Ge; break;
                    default: fail(Err::SyntaxError);
                    }
                    advance();
                    ct.a = parseExpr();
                } else {
                    ct.a = parseExpr();
                    if (accept(Tok::KwTo)) {
                        ct.kind = CaseTest::Range;
                        ct.b = parseExpr();
                    }
                }
                tests.push_back(std::move(ct));
            } while (accept(Tok::Comma));
            Block b;
            parseBlockUntil([&] { return at(Tok::KwCase) || (at(Tok::KwEnd) && peekTok().kind == Tok::KwSelect); }, b,
                            Err::ExpectedEnd);
            s->cases.emplace_back(std::move(tests), std::move(b));
        }
        if (!(at(Tok::KwEnd) && peekTok().kind == Tok::KwSelect))
            fail(Err::ExpectedEnd);
        advance();
        advance();
        out.push_back(std::move(s));
    }

    // With expr EOS block End With
    void parseWith(Block& out)
    {
        const Token& t = advance();
        auto s = node<WithStmt>(t);
        s->object = parseExpr();
        ++m_withDepth;
        parseBlockUntil([&] { return at(Tok::KwEnd) && peekTok().kind == Tok::KwWith; }, s->body, Err::ExpectedEnd);
        --m_withDepth;
        advance();
        advance();
        out.push_back(std::move(s));
    }

    // On Error (Resume Next | GoTo 0)
    void parseOnError(Block& out)
    {
        const Token& t = advance();
        expectWord(m_symError, Err::SyntaxError);
        auto s = node<OnErrorStmt>(t);
        if (atWord(m_symResume)) {
            advance();
            expect(Tok::KwNext, Err::SyntaxError);
            s->resumeNext = true;
        } else if (accept(Tok::KwGoto)) {
            if (!(at(Tok::Number) && cur().value.type() == VT::Integer && cur().value.rawInt16() == 0))
                fail(Err::SyntaxError);
            advance();
        } else {
            fail(Err::SyntaxError);
        }
        out.push_back(std::move(s));
    }

    // Exit (Do | For | Sub | Function | Property)
    void parseExit(Block& out)
    {
        const Token& t = advance();
        auto s = node<ExitStmt>(t);
        if (accept(Tok::KwDo))
            s->what = ExitKind::Do;
        else if (accept(Tok::KwFor))
            s->what = ExitKind::For;
        else if (accept(Tok::KwSub))
            s->what = ExitKind::Sub;
        else if (accept(Tok::KwFunction))
            s->what = ExitKind::Function;
        else if (atWord(m_symProperty)) {
            advance();
            s->what = ExitKind::Property;
        } else
            fail(Err::InvalidExit);
        if (!m_proc && (s->what == ExitKind::Sub || s->what == ExitKind::Function || s->what == ExitKind::Property))
            raiseAt(Err::InvalidExit, t.line, t.column);
        if (m_proc) {
            ProcKind k = m_proc->kind;
            bool ok = (s->what == ExitKind::Sub && k == ProcKind::Sub)
                || (s->what == ExitKind::Function && k == ProcKind::Function)
                || (s->what == ExitKind::Property
                    && (k == ProcKind::PropertyGet || k == ProcKind::PropertyLet || k == ProcKind::PropertySet))
                || s->what == ExitKind::Do || s->what == ExitKind::For;
            if (!ok)
                raiseAt(Err::InvalidExit, t.line, t.column);
        }
        out.push_back(std::move(s));
    }

    // ---- expressions, loosest first

    // Nesting is bounded so a pathological text cannot exhaust the C++ stack.
    struct Nest {
        Parser& p;
        explicit Nest(Parser& parser) : p(parser)
        {
            if (++p.m_nesting > MaxNesting)
                p.fail(Err::OutOfStack);
            checkStack();
        }
        ~Nest() { --p.m_nesting; }
    };
    static constexpr int MaxNesting = 400;

    // Chains (`a(1)(1)(1)...`, `1 + 1 + 1 ...`) are built by loops here but
    // walked recursively by everything after; their height is bounded too.
    static constexpr int MaxExprDepth = 2000;
    void grow(Expr* parent, const Expr* child)
    {
        if (child && child->depth + 1 > parent->depth) {
            parent->depth = child->depth + 1;
            if (parent->depth > MaxExprDepth)
                raiseAt(Err::OutOfStack, parent->line, parent->column);
        }
    }

    ExprP parseExpr()
    {
        Nest nest(*this);
        return parseImp();
    }

    // Continues an expression whose first primary is already parsed.
    ExprP parseExprContinuing(ExprP first)
    {
        m_pending = std::move(first);
        return parseExpr();
    }

    ExprP binary(Op op, ExprP l, ExprP r, const Token& t)
    {
        auto b = node<BinaryExpr>(t);
        b->op = op;
        b->left = std::move(l);
        b->right = std::move(r);
        grow(b.get(), b->left.get());
        grow(b.get(), b->right.get());
        return b;
    }

    // imp := eqv { Imp eqv }  ... and so on down to the primaries.
    ExprP parseImp()
    {
        ExprP l = parseEqv();
        while (at(Tok::KwImp)) {
            const Token& t = advance();
            l = binary(Op::Imp, std::move(l), parseEqv(), t);
        }
        return l;
    }
    ExprP parseEqv()
    {
        ExprP l = parseXor();
        while (at(Tok::KwEqv)) {
            const Token& t = advance();
            l = binary(Op::Eqv, std::move(l), parseXor(), t);
        }
        return l;
    }
    ExprP parseXor()
    {
        ExprP l = parseOr();
        while (at(Tok::KwXor)) {
            const Token& t = advance();
            l = binary(Op::Xor, std::move(l), parseOr(), t);
        }
        return l;
    }
    ExprP parseOr()
    {
        ExprP l = parseAnd();
        while (at(Tok::KwOr)) {
            const Token& t = advance();
            l = binary(Op::Or, std::move(l), parseAnd(), t);
        }
        return l;
    }
    ExprP parseAnd()
    {
        ExprP l = parseNot();
        while (at(Tok::KwAnd)) {
            const Token& t = advance();
            l = binary(Op::And, std::move(l), parseNot(), t);
        }
        return l;
    }
    // not := Not not | compare
    ExprP parseNot()
    {
        if (!m_pending && at(Tok::KwNot)) {
            const Token& t = advance();
            auto u = node<UnaryExpr>(t);
            u->op = Op::Not;
            Nest nest(*this);
            u->operand = parseNot();
            grow(u.get(), u->operand.get());
            return u;
        }
        return parseCompare();
    }
    // compare := concat { ('=' | '<>' | '<' | '>' | '<=' | '>=' | Is) concat }, left to right
    ExprP parseCompare()
    {
        ExprP l = parseConcat();
        for (;;) {
            Op op;
            switch (cur().kind) {
            case Tok::Eq: op = Op::Eq; break;
            case Tok::Ne: op = Op::Ne; break;
            case Tok::Lt: op = Op::Lt; break;
            case Tok::Gt: op = Op::Gt; break;
            case Tok::Le: op = Op::Le; break;
            case Tok::Ge: op = Op::Ge; break;
            case Tok::KwIs: op = Op::Is; break;
            default: return l;
            }
            const Token& t = advance();
            l = binary(op, std::move(l), parseConcat(), t);
        }
    }
    // concat := additive { '&' additive }
    ExprP parseConcat()
    {
        ExprP l = parseAdditive();
        while (at(Tok::Ampersand)) {
            const Token& t = advance();
            l = binary(Op::Concat, std::move(l), parseAdditive(), t);
        }
        return l;
    }
    // additive := mod { ('+' | '-') mod }
    ExprP parseAdditive()
    {
        ExprP l = parseMod();
        while (at(Tok::Plus) || at(Tok::Minus)) {
            Op op = at(Tok::Plus) ? Op::Add : Op::Sub;
            const Token& t = advance();
            l = binary(op, std::move(l), parseMod(), t);
        }
        return l;
    }
    // mod := intdiv { Mod intdiv }
    ExprP parseMod()
    {
        ExprP l = parseIntDiv();
        while (at(Tok::KwMod)) {
            const Token& t = advance();
            l = binary(Op::Mod, std::move(l), parseIntDiv(), t);
        }
        return l;
    }
    // intdiv := mul { '\' mul }
    ExprP parseIntDiv()
    {
        ExprP l = parseMul();
        while (at(Tok::Backslash)) {
            const Token& t = advance();
            l = binary(Op::IntDiv, std::move(l), parseMul(), t);
        }
        return l;
    }
    // mul := pow { ('*' | '/') pow }
    ExprP parseMul()
    {
        ExprP l = parsePow();
        while (at(Tok::Star) || at(Tok::Slash)) {
            Op op = at(Tok::Star) ? Op::Mul : Op::Div;
            const Token& t = advance();
            l = binary(op, std::move(l), parsePow(), t);
        }
        return l;
    }
    // pow := unary { '^' unary }  — left to right, and `-3^2` is (-3)^2
    ExprP parsePow()
    {
        ExprP l = parseUnary();
        while (at(Tok::Caret)) {
            const Token& t = advance();
            l = binary(Op::Pow, std::move(l), parseUnary(), t);
        }
        return l;
    }
    // unary := ('-' | '+') unary | postfix
    ExprP parseUnary()
    {
        if (!m_pending && at(Tok::Minus)) {
            const Token& t = advance();
            Nest nest(*this);
            ExprP operand = parseUnary();
            if (operand->kind == ExprKind::Literal) {
                auto* lit = static_cast<LiteralExpr*>(operand.get());
                const Variant& v = lit->value;
                // Fold negative literals so -32768 stays an Integer.
                if (v.type() == VT::Integer) {
                    lit->value = Variant::widenedInteger(-static_cast<int64_t>(v.rawInt16()));
                    lit->line = t.line;
                    lit->column = t.column;
                    return operand;
                }
                if (v.type() == VT::Long) {
                    lit->value = Variant::widenedInteger(-static_cast<int64_t>(v.rawInt32()));
                    if (lit->value.type() == VT::Integer)
                        lit->value = Variant::longInt(static_cast<int32_t>(lit->value.rawInt16()));
                    lit->line = t.line;
                    lit->column = t.column;
                    return operand;
                }
                if (v.type() == VT::Double) {
                    double d = -v.rawDouble();
                    lit->value = d == -2147483648.0 ? Variant::longInt(INT32_MIN) : Variant::dbl(d);
                    lit->line = t.line;
                    lit->column = t.column;
                    return operand;
                }
            }
            auto u = node<UnaryExpr>(t);
            u->op = Op::Neg;
            u->operand = std::move(operand);
            grow(u.get(), u->operand.get());
            return u;
        }
        if (!m_pending && at(Tok::Plus)) {
            // A plus sign changes nothing: a run of them is skipped in a loop,
            // so no length of `+++...` can reach the stack.
            while (!m_pending && at(Tok::Plus))
                advance();
            Nest nest(*this);
            return parseUnary();
        }
        return parsePostfix(true);
    }

    // postfix := primary { '.' name | '(' args ')' }
    ExprP parsePostfix(bool inExpression)
    {
        if (m_pending)
            return std::move(m_pending);
        const Token& t = cur();
        ExprP e;
        switch (t.kind) {
        case Tok::Number:
        case Tok::String:
        case Tok::DateLiteral: {
            if (!inExpression)
                fail(Err::ExpectedStatement);
            auto lit = node<LiteralExpr>(t);
            lit->value = t.value;
            lit->typedLiteral = true;
            advance();
            return lit;
        }
        case Tok::KwTrue:
        case Tok::KwFalse:
        case Tok::KwEmpty:
        case Tok::KwNull:
        case Tok::KwNothing: {
            if (!inExpression)
                fail(Err::ExpectedStatement);
            auto lit = node<LiteralExpr>(t);
            if (t.kind == Tok::KwTrue)
                lit->value = Variant::boolean(true);
            else if (t.kind == Tok::KwFalse)
                lit->value = Variant::boolean(false);
            else if (t.kind == Tok::KwNull)
                lit->value = Variant::null();
            else if (t.kind == Tok::KwNothing)
                lit->value = Variant::nothing();
            lit->typedLiteral = t.kind == Tok::KwTrue || t.kind == Tok::KwFalse;
            advance();
            return lit;
        }
        case Tok::LParen: {
            if (!inExpression)
                fail(Err::ExpectedStatement);
            advance();
            auto p = node<ParenExpr>(t);
            p->inner = parseExpr();
            expect(Tok::RParen, Err::ExpectedRParen);
            grow(p.get(), p->inner.get());
            e = std::move(p);
            break;
        }
        case Tok::KwNew: {
            if (!inExpression)
                fail(Err::ExpectedStatement);
            advance();
            auto n = node<NewExpr>(t);
            n->className = expectIdent();
            return n;
        }
        case Tok::KwMe:
            advance();
            e = node<MeExpr>(t);
            break;
        case Tok::Identifier: {
            auto n = node<NameExpr>(t);
            n->name = advance().symbol;
            e = std::move(n);
            break;
        }
        case Tok::Dot: {
            if (m_withDepth == 0)
                fail(Err::InvalidReference);
            advance();
            auto m = node<MemberExpr>(t);
            m->name = expectIdent();
            e = std::move(m);
            break;
        }
        default: fail(inExpression ? Err::ExpectedExpression : Err::ExpectedStatement);
        }
        m_lastParenCall = nullptr;
        for (;;) {
            if (at(Tok::Dot) && !cur().spaceBefore) {
                const Token& dt = advance();
                auto m = node<MemberExpr>(dt);
                m->object = std::move(e);
                grow(m.get(), m->object.get());
                if (!at(Tok::Identifier))
                    fail(Err::ExpectedIdentifier);
                m->name = advance().symbol;
                e = std::move(m);
                m_lastParenCall = nullptr;
                continue;
            }
            if (at(Tok::Dot) && cur().spaceBefore && peekTok().kind == Tok::Identifier && !peekTok().spaceBefore
                && inExpression) {
                // `a .b` inside an expression is still a member access.
                const Token& dt = advance();
                auto m = node<MemberExpr>(dt);
                m->object = std::move(e);
                grow(m.get(), m->object.get());
                m->name = advance().symbol;
                e = std::move(m);
                continue;
            }
            if (at(Tok::LParen)) {
                const Token& pt = advance();
                auto c = node<CallExpr>(pt);
                c->line = e->line;
                c->column = e->column;
                c->target = std::move(e);
                if (!at(Tok::RParen))
                    parseArgList(c->args, false);
                expect(Tok::RParen, Err::ExpectedRParen);
                grow(c.get(), c->target.get());
                for (const ExprP& a : c->args)
                    grow(c.get(), a.get());
                m_lastParenCall = c.get();
                e = std::move(c);
                continue;
            }
            break;
        }
        return e;
    }

    std::vector<Token> m_t;
    size_t m_p = 0;
    Interner& m_in;
    Unit& m_unit;
    ProcDef* m_proc = nullptr;
    ClassDef* m_class = nullptr;
    std::unordered_set<Symbol> m_moduleNames; // Dim'd and Const'd in the unit's own code
    std::unordered_set<Symbol> m_moduleCallables; // its procedures and classes
    std::unordered_set<Symbol> m_localNames; // the current procedure's parameters, Dims and Consts
    int m_withDepth = 0;
    int m_nesting = 0;
    ExprP m_pending;
    const CallExpr* m_lastParenCall = nullptr;
    Symbol m_symError, m_symExplicit, m_symStep, m_symPreserve, m_symProperty, m_symGet, m_symDefault, m_symResume,
        m_symRandomize;
};

void splitLines(Unit& unit)
{
    const std::string& s = unit.source;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == '\n' || s[i] == '\r') {
            unit.lines.push_back(s.substr(start, i - start));
            if (i < s.size() && s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
}

} // namespace

std::unique_ptr<Unit> parseUnit(std::string_view source, Interner& interner, int firstLine)
{
    auto unit = std::make_unique<Unit>();
    unit->source = std::string(source);
    unit->firstLine = firstLine;
    splitLines(*unit);
    Parser p(tokenize(source, interner, firstLine), interner, *unit);
    p.parseUnitBody();
    return unit;
}

std::unique_ptr<Unit> parseExpressionUnit(std::string_view source, Interner& interner)
{
    auto unit = std::make_unique<Unit>();
    unit->source = std::string(source);
    splitLines(*unit);
    Parser p(tokenize(source, interner, 1), interner, *unit);
    auto s = std::make_unique<CallStmt>();
    s->line = 1;
    s->column = 1;
    s->call = p.parseSingleExpression();
    unit->body.push_back(std::move(s));
    return unit;
}

} // namespace ravelin::vbs
