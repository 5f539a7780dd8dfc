// Evaluator: the statement loop and expression evaluation of the interpreter.
//
// The statement loop is one of the two places errors are caught: under On
// Error Resume Next an error ends its statement, is recorded in Err, and the
// next statement runs. Integer/Long arithmetic and comparisons take an inline
// fast path; everything else goes through Operators.cpp.
#include "vbscript/Interpreter.h"

#include "vbscript/Operators.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>
#include <typeinfo>

namespace ravelin::vbs {

namespace {

bool isIntClass(VT t) { return t == VT::Integer || t == VT::Long; }
int32_t intOf(const Variant& v) { return v.type() == VT::Integer ? v.rawInt16() : v.rawInt32(); }

// A value written into the text (a literal, a named constant, a negated or
// bracketed one) keeps its type in a comparison with a variable of another.
bool numericLiteral(const Expr* e)
{
    switch (e->kind) {
    case ExprKind::Literal: return static_cast<const LiteralExpr*>(e)->typedLiteral;
    case ExprKind::Name: {
        auto* n = static_cast<const NameExpr*>(e);
        return n->bind.kind == BindKind::Constant && !n->constValue.isEmpty() && !n->constValue.isNull();
    }
    case ExprKind::Paren: return numericLiteral(static_cast<const ParenExpr*>(e)->inner.get());
    case ExprKind::Unary: {
        auto* u = static_cast<const UnaryExpr*>(e);
        return u->op == Op::Neg && numericLiteral(u->operand.get());
    }
    default: return false;
    }
}

// The operators intArith handles.
inline bool intArithOp(Op op)
{
    return (op >= Op::Mul && op <= Op::Sub && op != Op::Div) || (op >= Op::Eq && op <= Op::Ge);
}

// Integer/Long arithmetic and comparisons (intArithOp) of two Integer or Long
// values, given as numbers with a flag for Long.
inline Variant intArith(Op op, int64_t x, bool xLong, int64_t y, bool yLong)
{
    bool wide = xLong || yLong;
    switch (op) {
    case Op::Add: return wide ? Variant::fromInt64(x + y) : Variant::widenedInteger(x + y);
    case Op::Sub: return wide ? Variant::fromInt64(x - y) : Variant::widenedInteger(x - y);
    case Op::Mul: return wide ? Variant::fromInt64(x * y) : Variant::widenedInteger(x * y);
    case Op::Mod:
        if (y == 0)
            raise(Err::DivisionByZero);
        return wide ? Variant::fromInt64(x % y) : Variant::widenedInteger(x % y);
    case Op::IntDiv:
        if (y == 0)
            raise(Err::DivisionByZero);
        return wide ? Variant::fromInt64(x / y) : Variant::widenedInteger(x / y);
    case Op::Eq: return Variant::boolean(x == y);
    case Op::Ne: return Variant::boolean(x != y);
    case Op::Lt: return Variant::boolean(x < y);
    case Op::Gt: return Variant::boolean(x > y);
    case Op::Le: return Variant::boolean(x <= y);
    default: return Variant::boolean(x >= y);
    }
}

inline Variant intArith(Op op, const Variant& l, const Variant& r)
{
    return intArith(op, intOf(l), l.type() == VT::Long, intOf(r), r.type() == VT::Long);
}

// Values handed to ordinary assignments: an object is read through its default member.
Variant valueForLet(Variant v)
{
    if (v.isObject())
        return v.dereferenced();
    return v;
}

} // namespace

void Interpreter::position(ScriptException& ex, const Stmt* s)
{
    ScriptError& e = ex.error();
    if (e.line > 0)
        return;
    e.line = s->line;
    e.column = s->column;
    if (m_frame && m_frame->unit)
        e.lineText = m_frame->unit->lineText(s->line);
    if (e.source.empty())
        e.source = std::string(RuntimeErrorSource);
}

// ---- Statements.

Flow Interpreter::execBlock(const Block& block)
{
    guardStack();
    for (const StmtP& sp : block) {
        const Stmt* s = sp.get();
        try {
            // Assignments, the commonest statement, skip the dispatch.
            if (s->kind == StmtKind::Assign) {
                execAssign(static_cast<const AssignStmt*>(s));
                continue;
            }
            Flow f = execStmt(s);
            if (f != Flow::Normal)
                return f;
        } catch (ScriptException& ex) {
            position(ex, s);
            if (ex.fatal() || !m_frame->resumeNext)
                throw;
            m_err = ex.error();
        } catch (const std::bad_alloc&) {
            // Memory ran out inside an operation: an ordinary, trappable error.
            ScriptException ex(catalogError(Err::OutOfMemory));
            position(ex, s);
            if (!m_frame->resumeNext)
                throw ex;
            m_err = ex.error();
        }
    }
    return Flow::Normal;
}

Flow Interpreter::execStmt(const Stmt* s)
{
    switch (s->kind) {
    case StmtKind::Assign: execAssign(static_cast<const AssignStmt*>(s)); return Flow::Normal;
    case StmtKind::Call: execCallStmt(static_cast<const CallStmt*>(s)); return Flow::Normal;
    case StmtKind::If: return execIf(static_cast<const IfStmt*>(s));
    case StmtKind::For: return execFor(static_cast<const ForStmt*>(s));
    case StmtKind::ForEach: return execForEach(static_cast<const ForEachStmt*>(s));
    case StmtKind::Do: return execDo(static_cast<const DoStmt*>(s));
    case StmtKind::Select: return execSelect(static_cast<const SelectStmt*>(s));
    case StmtKind::With: return execWith(static_cast<const WithStmt*>(s));
    case StmtKind::ReDim: execReDim(static_cast<const ReDimStmt*>(s)); return Flow::Normal;
    case StmtKind::Dim: execDim(static_cast<const DimStmt*>(s)); return Flow::Normal;
    case StmtKind::Erase: execErase(static_cast<const EraseStmt*>(s)); return Flow::Normal;
    case StmtKind::OnError:
        m_frame->resumeNext = static_cast<const OnErrorStmt*>(s)->resumeNext;
        clearErr();
        return Flow::Normal;
    case StmtKind::Exit:
        switch (static_cast<const ExitStmt*>(s)->what) {
        case ExitKind::Do: return Flow::ExitDo;
        case ExitKind::For: return Flow::ExitFor;
        default: return Flow::ExitProc;
        }
    case StmtKind::Nop: return Flow::Normal;
    }
    return Flow::Normal;
}

bool Interpreter::evalCondition(const Expr* e)
{
    if (e->kind == ExprKind::Binary) {
        auto* b = static_cast<const BinaryExpr*>(e);
        if (b->op >= Op::Eq && b->op <= Op::Ge) {
            if (IntValue l, r; peekInt(b->left.get(), l) && peekInt(b->right.get(), r))
                return intArith(b->op, l.value, l.isLong, r.value, r.isLong).rawBool();
            Variant lt, rt;
            const auto [lp, rp] = operands(b, lt, rt);
            const Variant& l = *lp;
            const Variant& r = *rp;
            if (isIntClass(l.type()) && isIntClass(r.type())) {
                int32_t x = intOf(l), y = intOf(r);
                switch (b->op) {
                case Op::Eq: return x == y;
                case Op::Ne: return x != y;
                case Op::Lt: return x < y;
                case Op::Gt: return x > y;
                case Op::Le: return x <= y;
                default: return x >= y;
                }
            }
            return truth(binaryOp(b->op, l, r, numericLiteral(b->left.get()), numericLiteral(b->right.get())));
        }
    }
    return truth(eval(e));
}

Flow Interpreter::execIf(const IfStmt* s)
{
    for (const auto& [cond, block] : s->branches) {
        bool taken;
        if (m_frame->resumeNext) {
            // Under Resume Next an error in the condition continues into the Then branch.
            try {
                taken = evalCondition(cond.get());
            } catch (ScriptException& ex) {
                if (ex.fatal())
                    throw;
                position(ex, s);
                m_err = ex.error();
                taken = true;
            }
        } else {
            taken = evalCondition(cond.get());
        }
        if (taken)
            return execBlock(block);
    }
    if (s->hasElse)
        return execBlock(s->elseBlock);
    return Flow::Normal;
}

// Under On Error Resume Next an error in a block's header (a condition, a
// Select or Case expression, a For Each collection) is recorded in Err and
// the statement goes on the way VBScript's does; false tells that it failed.
template <typename F>
bool Interpreter::tryHeader(const Stmt* s, F&& body)
{
    if (!m_frame->resumeNext) {
        body();
        return true;
    }
    try {
        body();
        return true;
    } catch (ScriptException& ex) {
        if (ex.fatal())
            throw;
        position(ex, s);
        m_err = ex.error();
        return false;
    }
}

Flow Interpreter::execSelect(const SelectStmt* s)
{
    Variant subject;
    // A test expression that fails runs no case at all.
    if (!tryHeader(s, [&] {
            subject = eval(s->subject.get());
            if (subject.isObject())
                subject = subject.dereferenced();
        }))
        return Flow::Normal;
    bool subjectLiteral = numericLiteral(s->subject.get());
    for (const auto& [tests, block] : s->cases) {
        for (const CaseTest& t : tests) {
            bool hit = false;
            auto test = [&] {
                Variant a = eval(t.a.get());
                bool lit = numericLiteral(t.a.get());
                switch (t.kind) {
                case CaseTest::Value: hit = truth(binaryOp(Op::Eq, subject, a, subjectLiteral, lit)); break;
                case CaseTest::Is: hit = truth(binaryOp(t.op, subject, a, subjectLiteral, lit)); break;
                case CaseTest::Range: {
                    Variant b = eval(t.b.get());
                    hit = truth(binaryOp(Op::Ge, subject, a, subjectLiteral, lit))
                        && truth(binaryOp(Op::Le, subject, b, subjectLiteral, numericLiteral(t.b.get())));
                    break;
                }
                }
            };
            // A Case expression that fails runs that case's body.
            if (!tryHeader(s, test))
                hit = true;
            if (hit)
                return execBlock(block);
        }
    }
    if (s->hasElse)
        return execBlock(s->elseBlock);
    return Flow::Normal;
}

Flow Interpreter::execFor(const ForStmt* s)
{
    Variant from = valueForLet(eval(s->from.get()));
    Variant to = valueForLet(eval(s->to.get()));
    Variant step = s->step ? valueForLet(eval(s->step.get())) : Variant::integer(1);
    if (from.isNull() || to.isNull() || step.isNull())
        raise(Err::InvalidNull);
    Variant* var = variableRef(s->var.get(), true);
    if (!var)
        raise(Err::InvalidForVariable);
    // The counter is stored before each test, so after the loop it holds the
    // first value past the bound (`For i = 1 To 3` leaves 4), as VBScript does.
    // The counter counts as VBScript adds: it keeps its own type and widens
    // only when a step overflows it (the bound's type does not matter).
    double end = to.toDouble();
    if (isIntClass(from.type()) && isIntClass(step.type())) {
        int64_t i = intOf(from), st = intOf(step);
        bool isLong = from.type() == VT::Long || step.type() == VT::Long;
        bool wide = false;
        for (;;) {
            wide = wide || isLong || i < -32768 || i > 32767;
            *var = wide ? Variant::fromInt64(i) : Variant::integer(static_cast<int16_t>(i));
            if (st >= 0 ? static_cast<double>(i) > end : static_cast<double>(i) < end)
                return Flow::Normal;
            Flow f = execBlock(s->body);
            if (f == Flow::ExitFor)
                return Flow::Normal;
            if (f != Flow::Normal)
                return f;
            tick();
            const Variant& cur = *var;
            if (!isIntClass(cur.type()) || i + st < INT32_MIN || i + st > INT32_MAX)
                break; // the body stored another type, or the count leaves Long
            wide = cur.type() == VT::Long;
            i = intOf(cur) + st;
        }
        Variant next = binaryOp(Op::Add, *var, step);
        return forGeneric(s, var, next, end, step);
    }
    Variant first = from;
    if (first.isString())
        first = Variant::dbl(first.toDouble());
    else if (!first.isNumeric() && !first.isEmpty())
        raise(Err::TypeMismatch);
    return forGeneric(s, var, first, end, step);
}

Flow Interpreter::forGeneric(const ForStmt* s, Variant* var, Variant cur, double end, const Variant& step)
{
    bool up = step.toDouble() >= 0;
    for (;;) {
        *var = cur;
        double c = cur.toDouble();
        if (up ? c > end : c < end)
            return Flow::Normal;
        Flow f = execBlock(s->body);
        if (f == Flow::ExitFor)
            return Flow::Normal;
        if (f != Flow::Normal)
            return f;
        tick();
        cur = binaryOp(Op::Add, valueForLet(*var), step);
    }
}

Flow Interpreter::execForEach(const ForEachStmt* s)
{
    Variant coll;
    std::unique_ptr<Enumerator> en;
    bool ok = tryHeader(s, [&] {
        coll = eval(s->collection.get());
        if (coll.isArray())
            return;
        if (!coll.isObject())
            raise(Err::NotCollection);
        if (!coll.rawObject())
            raise(Err::ObjectNotSet);
        en = coll.rawObject()->enumerate();
        if (!en)
            raise(Err::NotCollection);
    });
    if (!ok) {
        // Resumed: the body runs once, the loop variable untouched.
        Flow f = execBlock(s->body);
        return f == Flow::ExitFor ? Flow::Normal : f;
    }
    if (coll.isArray()) {
        ArrayRep* rep = coll.rawArray();
        for (size_t i = 0; i < rep->data.size(); ++i) {
            Variant item = rep->data[i];
            assignTo(s->var.get(), std::move(item), false);
            Flow f = execBlock(s->body);
            if (f == Flow::ExitFor)
                break;
            if (f != Flow::Normal)
                return f;
            tick();
        }
        return Flow::Normal;
    }
    Variant item;
    while (en->next(item)) {
        bool isObj = item.isObject();
        assignTo(s->var.get(), std::move(item), isObj);
        Flow f = execBlock(s->body);
        if (f == Flow::ExitFor)
            break;
        if (f != Flow::Normal)
            return f;
        tick();
        item = Variant();
    }
    return Flow::Normal;
}

Flow Interpreter::execDo(const DoStmt* s)
{
    for (;;) {
        // A condition that fails enters the body at the top, leaves the loop at the bottom.
        bool stop = false;
        if (s->cond && s->testFirst && !tryHeader(s, [&] { stop = evalCondition(s->cond.get()) == s->until; }))
            stop = false;
        if (stop)
            break;
        Flow f = execBlock(s->body);
        if (f == Flow::ExitDo)
            break;
        if (f != Flow::Normal)
            return f;
        tick();
        if (s->cond && !s->testFirst && !tryHeader(s, [&] { stop = evalCondition(s->cond.get()) == s->until; }))
            stop = true;
        if (stop)
            break;
    }
    return Flow::Normal;
}

Flow Interpreter::execWith(const WithStmt* s)
{
    Variant obj = eval(s->object.get());
    std::vector<Variant> local;
    std::vector<Variant>* stack = m_frame->withStack;
    if (!stack) {
        stack = &local;
        m_frame->withStack = stack;
    }
    stack->push_back(std::move(obj));
    struct Pop {
        Frame* f;
        std::vector<Variant>* st;
        std::vector<Variant>* local;
        ~Pop()
        {
            st->pop_back();
            if (st == local)
                f->withStack = nullptr;
        }
    } pop{m_frame, stack, &local};
    return execBlock(s->body);
}

void Interpreter::execDim(const DimStmt* s)
{
    for (const ReDimItem& item : s->items) {
        Variant* ref = variableRef(item.target.get(), true);
        if (!ref || ref->isArray())
            continue; // a Dim met again (in a loop) keeps its array
        std::vector<int32_t> ub;
        for (auto& b : item.bounds)
            ub.push_back(valueForLet(eval(b.get())).toLong());
        ArrayRep* rep = newArray(ub);
        rep->fixed = true;
        *ref = Variant::array(rep);
    }
}

void Interpreter::execReDim(const ReDimStmt* s)
{
    for (const ReDimItem& item : s->items) {
        std::vector<int32_t> ub;
        for (auto& b : item.bounds)
            ub.push_back(valueForLet(eval(b.get())).toLong());
        Variant* ref = variableRef(item.target.get(), true);
        if (!ref)
            raise(Err::TypeMismatch);
        if (ref->isArray() && (ref->rawArray()->fixed || ref->rawArray()->locks))
            raise(Err::ArrayLocked);
        if (s->preserve && ref->isArray() && !ref->rawArray()->dims.empty()) {
            ArrayRep* old = ref->mutableArray();
            if (old->dims.size() != ub.size())
                raise(Err::SubscriptOutOfRange);
            for (size_t d = 0; d + 1 < ub.size(); ++d)
                if (old->dims[d] != int64_t(ub[d]) + 1)
                    raise(Err::SubscriptOutOfRange);
            ArrayRep* rep = newArray(ub);
            // Only the last dimension may change, so the first elements line up.
            size_t keep = std::min(rep->data.size(), old->data.size());
            for (size_t i = 0; i < keep; ++i)
                rep->data[i] = std::move(old->data[i]);
            *ref = Variant::array(rep);
            continue;
        }
        *ref = Variant::array(newArray(ub));
    }
}

void Interpreter::execErase(const EraseStmt* s)
{
    Variant* ref = variableRef(s->target.get(), true);
    if (!ref || !ref->isArray())
        raise(Err::TypeMismatch);
    if (ref->rawArray()->locks)
        raise(Err::ArrayLocked);
    // The old elements are released after the variable holds its new value:
    // releasing one can run a Class_Terminate that uses this same variable.
    Variant old = std::move(*ref);
    const ArrayRep* rep = old.rawArray();
    if (rep->fixed) {
        std::vector<int32_t> ub;
        for (int32_t d : rep->dims)
            ub.push_back(d - 1);
        ArrayRep* fresh = newArray(ub);
        fresh->fixed = true;
        *ref = Variant::array(fresh);
        return;
    }
    *ref = Variant::array(new ArrayRep);
}

void Interpreter::execAssign(const AssignStmt* s)
{
    // `variable = value`: stored straight into the variable, a variable or
    // literal on the right copied from where it lives.
    if (!s->isSet && s->target->kind == ExprKind::Name) {
        auto* target = static_cast<const NameExpr*>(s->target.get());
        // An integer sum of variables and literals, stored without a temporary.
        if (IntValue v;
            s->value->kind == ExprKind::Binary && tryIntBinary(static_cast<const BinaryExpr*>(s->value.get()), v)) {
            if (Variant* dst = directRef(target); dst && !(dst->isArray() && dst->rawArray()->locks)) {
                *dst = intVariant(v);
                return;
            }
        }
        Variant temp;
        const Variant* src = peek(s->value.get());
        if (!src) {
            temp = eval(s->value.get());
            src = &temp;
        }
        if (!src->isObject()) {
            // Looked up after the right side ran: it may have declared or changed things.
            if (Variant* dst = directRef(target)) {
                if (dst->isArray() && dst->rawArray()->locks)
                    raise(Err::ArrayLocked);
                if (src == &temp)
                    *dst = std::move(temp);
                else
                    *dst = *src;
                return;
            }
        }
        Variant value = src == &temp ? std::move(temp) : *src;
        if (value.isObject())
            value = value.dereferenced();
        assignTo(s->target.get(), std::move(value), false);
        return;
    }
    Variant value = eval(s->value.get());
    if (s->isSet) {
        if (!value.isObject())
            raise(Err::ObjectRequired);
    } else if (value.isObject()) {
        value = value.dereferenced();
    }
    assignTo(s->target.get(), std::move(value), s->isSet);
}

void Interpreter::execCallStmt(const CallStmt* s)
{
    const Expr* e = s->call.get();
    if (e->kind == ExprKind::Call) {
        evalCall(static_cast<const CallExpr*>(e), false);
        return;
    }
    if (e->kind == ExprKind::Name) {
        auto* n = static_cast<const NameExpr*>(e);
        // A statement naming nothing known is a call of an undefined procedure:
        // "Type mismatch" as VBScript reports a misspelt Sub.
        if (n->bind.kind == BindKind::Global && !liveCell(n->bind.cell)) {
            if (m_frame->unit && m_frame->unit->optionExplicit)
                raise(Err::VariableUndefined);
            raise(Err::TypeMismatch);
        }
    }
    eval(e);
}

// ---- Assignment.

void Interpreter::storeValue(Variant& slot, Variant value, bool)
{
    if (slot.isArray() && slot.rawArray()->locks)
        raise(Err::ArrayLocked);
    slot = std::move(value);
}

Cell* Interpreter::liveCell(Cell* c)
{
    while (c && c->kind == CellKind::Undefined)
        c = c->fallback;
    return c;
}

Variant* Interpreter::nameRef(const NameExpr* e, bool forWrite)
{
    switch (e->bind.kind) {
    case BindKind::Local: return m_frame->refs[e->bind.index];
    case BindKind::Field: return &m_frame->me->fields[static_cast<size_t>(e->bind.index)];
    case BindKind::Global: {
        Cell* c = liveCell(e->bind.cell);
        if (c && c->kind == CellKind::Variable)
            return &c->value;
        if (c)
            return nullptr;
        if (m_frame->unit && m_frame->unit->optionExplicit)
            raise(Err::VariableUndefined);
        if (!forWrite)
            return nullptr;
        // An undeclared name assigned without Option Explicit becomes a variable.
        Cell* own = e->bind.cell;
        own->kind = CellKind::Variable;
        return &own->value;
    }
    default: return nullptr;
    }
}

Variant* Interpreter::variableRef(const Expr* e, bool forWrite)
{
    if (e->kind == ExprKind::Name)
        return nameRef(static_cast<const NameExpr*>(e), forWrite);
    if (e->kind == ExprKind::Call) {
        auto* c = static_cast<const CallExpr*>(e);
        if (c->target->kind != ExprKind::Name || c->args.empty())
            return nullptr;
        Variant* base = nameRef(static_cast<const NameExpr*>(c->target.get()), false);
        if (!base || !base->isArray())
            return nullptr;
        Variant idx[8];
        ArgVec many;
        std::span<Variant> indices;
        if (c->args.size() <= 8) {
            for (size_t i = 0; i < c->args.size(); ++i)
                idx[i] = eval(c->args[i].get());
            indices = std::span<Variant>(idx, c->args.size());
        } else {
            for (auto& a : c->args)
                many.push_back(eval(a.get()));
            indices = many;
        }
        return elementRef(*base, indices, true);
    }
    return nullptr;
}

Variant* Interpreter::elementRef(Variant& arrayVar, std::span<Variant> indices, bool forWrite)
{
    int32_t idx[16];
    if (indices.size() > 16)
        raise(Err::SubscriptOutOfRange);
    // Converting an index can run script code (an object's default property,
    // a function in the subscript may already have run) that reassigns or
    // resizes the array: the block is looked up only after.
    for (size_t i = 0; i < indices.size(); ++i) {
        const Variant& v = indices[i];
        idx[i] = v.type() == VT::Integer ? v.rawInt16() : v.type() == VT::Long ? v.rawInt32() : v.toLong();
    }
    if (!arrayVar.isArray())
        raise(Err::TypeMismatch);
    ArrayRep* rep = forWrite ? arrayVar.mutableArray() : arrayVar.rawArray();
    if (indices.size() != rep->dims.size())
        raise(Err::SubscriptOutOfRange);
    int64_t off = arrayOffset(*rep, idx, indices.size());
    if (off < 0)
        raise(Err::SubscriptOutOfRange);
    return &rep->data[static_cast<size_t>(off)];
}

void Interpreter::assignTo(const Expr* target, Variant value, bool isSet)
{
    switch (target->kind) {
    case ExprKind::Name: {
        auto* n = static_cast<const NameExpr*>(target);
        switch (n->bind.kind) {
        case BindKind::Local: storeValue(*m_frame->refs[n->bind.index], std::move(value), isSet); return;
        case BindKind::Field:
            storeValue(m_frame->me->fields[static_cast<size_t>(n->bind.index)], std::move(value), isSet);
            return;
        case BindKind::MeMember: {
            Variant args[1] = {std::move(value)};
            invokeMember(m_frame->me, n->bind.index, isSet ? InvokeSet : InvokeLet, args);
            return;
        }
        case BindKind::Global: {
            Cell* c = liveCell(n->bind.cell);
            if (c && c->kind == CellKind::HostMember) {
                Variant args[1] = {std::move(value)};
                c->host->invoke(c->hostId, isSet ? InvokeSet : InvokeLet, args);
                return;
            }
            Variant* ref = nameRef(n, true);
            if (!ref)
                raise(Err::IllegalAssignment);
            storeValue(*ref, std::move(value), isSet);
            return;
        }
        default: raise(Err::IllegalAssignment);
        }
    }
    case ExprKind::Call: {
        auto* c = static_cast<const CallExpr*>(target);
        ArgVec args;
        if (c->target->kind == ExprKind::Name) {
            auto* n = static_cast<const NameExpr*>(c->target.get());
            if (n->bind.kind == BindKind::MeMember) {
                evalArgs(c->args, args, nullptr);
                args.push_back(std::move(value));
                invokeMember(m_frame->me, n->bind.index, isSet ? InvokeSet : InvokeLet, args);
                return;
            }
            if (n->bind.kind == BindKind::Global) {
                Cell* cell = liveCell(n->bind.cell);
                if (cell && cell->kind == CellKind::HostMember) {
                    evalArgs(c->args, args, nullptr);
                    args.push_back(std::move(value));
                    cell->host->invoke(cell->hostId, isSet ? InvokeSet : InvokeLet, args);
                    return;
                }
            }
            Variant* base = nameRef(n, false);
            if (base && base->isArray()) {
                evalArgs(c->args, args, nullptr);
                *elementRef(*base, args, true) = std::move(value);
                return;
            }
            if (base && base->isObject()) {
                if (!base->rawObject())
                    raise(Err::ObjectNotSet);
                Variant obj = *base;
                evalArgs(c->args, args, nullptr);
                args.push_back(std::move(value));
                obj.rawObject()->invoke(DefaultMemberId, isSet ? InvokeSet : InvokeLet, args);
                return;
            }
            raise(Err::TypeMismatch);
        }
        if (c->target->kind == ExprKind::Member) {
            auto* m = static_cast<const MemberExpr*>(c->target.get());
            Variant obj = m->object ? eval(m->object.get()) : Variant::object(withObject(m));
            if (!obj.isObject())
                raise(Err::ObjectRequired);
            if (!obj.rawObject())
                raise(Err::ObjectNotSet);
            int id = memberIdFor(obj.rawObject(), m);
            evalArgs(c->args, args, nullptr);
            args.push_back(std::move(value));
            obj.rawObject()->invoke(id, isSet ? InvokeSet : InvokeLet, args);
            return;
        }
        raise(Err::IllegalAssignment);
    }
    case ExprKind::Member: {
        auto* m = static_cast<const MemberExpr*>(target);
        Variant obj = m->object ? eval(m->object.get()) : Variant::object(withObject(m));
        if (!obj.isObject())
            raise(Err::ObjectRequired);
        if (!obj.rawObject())
            raise(Err::ObjectNotSet);
        int id = memberIdFor(obj.rawObject(), m);
        Variant args[1] = {std::move(value)};
        obj.rawObject()->invoke(id, isSet ? InvokeSet : InvokeLet, args);
        return;
    }
    default: raise(Err::IllegalAssignment);
    }
}

// ---- Expressions.

Variant Interpreter::evalBinary(const BinaryExpr* b)
{
    guardStack();
    if (b->op == Op::Concat && b->left->kind == ExprKind::Binary
        && static_cast<const BinaryExpr*>(b->left.get())->op == Op::Concat)
        return evalConcatChain(b);
    // Integer arithmetic on two operands read in place (variables,
    // literals): no temporaries, no copies.
    const bool intOp = intArithOp(b->op);
    if (intOp && b->op < Op::Eq) {
        if (IntValue v; tryIntBinary(b, v))
            return intVariant(v);
    } else if (intOp) {
        if (IntValue l, r; peekInt(b->left.get(), l) && peekInt(b->right.get(), r))
            return intArith(b->op, l.value, l.isLong, r.value, r.isLong);
    }
    if (intOp && b->left->kind == ExprKind::Call) {
        // `f(x) - 1`: the call's result is used where it lands and the other
        // operand read in place, after the call as VBScript reads it.
        if (const Variant* rp = peek(b->right.get()); rp && isIntClass(rp->type())) {
            Variant l = evalCall(static_cast<const CallExpr*>(b->left.get()), true);
            if (isIntClass(l.type()))
                return intArith(b->op, l, *rp);
            const Variant r = *rp; // kept: a default member of `l` may run script code
            return binaryValues(b, l, r);
        }
    }
    Variant lt, rt;
    const auto [lp, rp] = operands(b, lt, rt);
    return binaryValues(b, *lp, *rp);
}

// The operator applied to operands already evaluated: the common number and
// text cases first, the rest through binaryOp.
Variant Interpreter::binaryValues(const BinaryExpr* b, const Variant& l, const Variant& r)
{
    if (isIntClass(l.type()) && isIntClass(r.type())) {
        if (intArithOp(b->op))
            return intArith(b->op, l, r);
    } else if (b->op == Op::Concat && l.isString() && r.isString()) {
        return concatStrings(l.rawString(), r.rawString());
    } else if ((l.type() == VT::Double || r.type() == VT::Double) && (l.type() == VT::Double || isIntClass(l.type()))
               && (r.type() == VT::Double || isIntClass(r.type()))) {
        double x = l.type() == VT::Double ? l.rawDouble() : intOf(l);
        double y = r.type() == VT::Double ? r.rawDouble() : intOf(r);
        double r;
        switch (b->op) {
        case Op::Add: r = x + y; break;
        case Op::Sub: r = x - y; break;
        case Op::Mul: r = x * y; break;
        case Op::Lt: return Variant::boolean(x < y);
        case Op::Gt: return Variant::boolean(x > y);
        default: r = 0; break;
        }
        if ((b->op == Op::Add || b->op == Op::Sub || b->op == Op::Mul) && std::isfinite(r))
            return Variant::dbl(r);
    }
    return binaryOp(b->op, l, r, numericLiteral(b->left.get()), numericLiteral(b->right.get()));
}

// The kinds eval() leaves to a call: they nest expressions.
Variant Interpreter::evalOther(const Expr* e)
{
    guardStack();
    switch (e->kind) {
    case ExprKind::Unary: {
        auto* u = static_cast<const UnaryExpr*>(e);
        return unaryOp(u->op, eval(u->operand.get()));
    }
    case ExprKind::Member:
        return evalMember(static_cast<const MemberExpr*>(e), {}, InvokeKind(InvokeGet | InvokeMethod));
    case ExprKind::Paren: return eval(static_cast<const ParenExpr*>(e)->inner.get());
    case ExprKind::New: return evalNew(static_cast<const NewExpr*>(e));
    case ExprKind::Me: return Variant::object(m_frame->me);
    case ExprKind::Missing: return missingArgument();
    case ExprKind::Literal:
    case ExprKind::Name:
    case ExprKind::Binary:
    case ExprKind::Call: break; // eval() handles these itself
    }
    return {};
}

// Lays out an integer operator tree flat; false when some part of it can
// never be an Integer or Long (a call, a string or Double literal, a tree
// deeper than `depth`).
static bool flattenInt(const Expr* e, std::vector<IntStep>& steps, int depth)
{
    while (e->kind == ExprKind::Paren)
        e = static_cast<const ParenExpr*>(e)->inner.get();
    switch (e->kind) {
    case ExprKind::Literal: {
        const Variant& v = static_cast<const LiteralExpr*>(e)->value;
        if (!isIntClass(v.type()))
            return false;
        steps.push_back({IntStep::Value, 0, &v});
        return true;
    }
    case ExprKind::Name: {
        auto* n = static_cast<const NameExpr*>(e);
        switch (n->bind.kind) {
        case BindKind::Local: steps.push_back({IntStep::Local, n->bind.index, nullptr}); return true;
        case BindKind::Field: steps.push_back({IntStep::Field, n->bind.index, nullptr}); return true;
        case BindKind::Global:
            if (!n->bind.cell)
                return false;
            steps.push_back({IntStep::Global, 0, n->bind.cell});
            return true;
        case BindKind::Constant:
            if (!isIntClass(n->constValue.type()))
                return false;
            steps.push_back({IntStep::Value, 0, &n->constValue});
            return true;
        default: return false;
        }
    }
    case ExprKind::Binary: {
        auto* b = static_cast<const BinaryExpr*>(e);
        IntStep::Kind op;
        switch (b->op) {
        case Op::Add: op = IntStep::Add; break;
        case Op::Sub: op = IntStep::Sub; break;
        case Op::Mul: op = IntStep::Mul; break;
        case Op::Mod: op = IntStep::Mod; break;
        case Op::IntDiv: op = IntStep::IntDiv; break;
        default: return false;
        }
        if (depth == 0 || !flattenInt(b->left.get(), steps, depth - 1) || !flattenInt(b->right.get(), steps, depth - 1))
            return false;
        steps.push_back({op, 0, nullptr});
        return true;
    }
    default: return false;
    }
}

// peekIntBinary behind the node's count of misses in a row: past 8 the node
// is skipped until the count wraps, so one whose operands are not integers
// stops paying for the attempt yet notices when they become integers.
bool Interpreter::tryIntBinary(const BinaryExpr* b, IntValue& out) const
{
    if (b->intMisses < 8 && peekIntBinary(b, out)) {
        b->intMisses = 0;
        return true;
    }
    ++b->intMisses;
    return false;
}

// The operator part of peekInt: the tree's flat form worked out in one loop.
bool Interpreter::peekIntBinary(const BinaryExpr* b, IntValue& out) const
{
    if (b->intShape != BinaryExpr::IntShape::Flat) [[unlikely]] {
        if (b->intShape == BinaryExpr::IntShape::No)
            return false;
        std::vector<IntStep> steps;
        const bool flat = flattenInt(b, steps, IntNesting);
        b->intShape = flat ? BinaryExpr::IntShape::Flat : BinaryExpr::IntShape::No;
        if (!flat)
            return false;
        b->intSteps = std::move(steps);
    }
    // A node is Long when any value below it is Long or any step below it
    // left the Integer range, so one flag serves the whole tree.
    int64_t stack[IntNesting + 2]; // a tree of depth d needs at most d + 1
    size_t sp = 0;
    bool wide = false;
    for (const IntStep& step : b->intSteps) {
        const Variant* v;
        switch (step.kind) {
        case IntStep::Value: v = static_cast<const Variant*>(step.ptr); break;
        case IntStep::Local: v = m_frame->refs[step.index]; break;
        case IntStep::Field: v = &m_frame->me->fields[static_cast<size_t>(step.index)]; break;
        case IntStep::Global: {
            auto* c = static_cast<const Cell*>(step.ptr);
            if (c->kind != CellKind::Variable && c->kind != CellKind::Constant)
                return false;
            v = &c->value;
            break;
        }
        default: {
            const int64_t y = stack[--sp];
            int64_t& x = stack[sp - 1];
            switch (step.kind) {
            case IntStep::Add: x += y; break;
            case IntStep::Sub: x -= y; break;
            case IntStep::Mul: x *= y; break;
            default:
                if (y == 0)
                    return false; // the general path raises the error
                x = step.kind == IntStep::Mod ? x % y : x / y;
                break;
            }
            if (x < -32768 || x > 32767) {
                if (x < INT32_MIN || x > INT32_MAX)
                    return false; // a Double
                wide = true;
            }
            continue;
        }
        }
        if (v->type() == VT::Integer) {
            stack[sp++] = v->rawInt16();
        } else if (v->type() == VT::Long) {
            stack[sp++] = v->rawInt32();
            wide = true;
        } else {
            return false;
        }
    }
    out = {stack[0], wide};
    return true;
}

// Both operands are read in place when they are variables or literals; a
// left operand is copied when the right one runs code that could change it,
// and objects are copied because their default member may run script code.
std::pair<const Variant*, const Variant*> Interpreter::operands(const BinaryExpr* b, Variant& lt, Variant& rt)
{
    // Brackets only group: `(a * b)` is evaluated as `a * b`.
    auto bare = [](const Expr* e) {
        while (e->kind == ExprKind::Paren)
            e = static_cast<const ParenExpr*>(e)->inner.get();
        return e;
    };
    const Expr* le = bare(b->left.get());
    const Expr* re = bare(b->right.get());
    const Variant* lp = peek(le);
    if (!lp) {
        lt = eval(le);
        lp = &lt;
    }
    const Variant* rp = peek(re);
    if (!rp || lp->isObject() || rp->isObject()) {
        if (lp != &lt) {
            lt = *lp;
            lp = &lt;
        }
        rt = rp ? *rp : eval(re);
        rp = &rt;
    }
    return {lp, rp};
}

// `a & b & c & ...` evaluates every operand, then builds the result once
// instead of copying each intermediate string.
Variant Interpreter::evalConcatChain(const BinaryExpr* top)
{
    const Expr* operands[32];
    size_t count = 0;
    const Expr* e = top;
    while (e->kind == ExprKind::Binary && static_cast<const BinaryExpr*>(e)->op == Op::Concat && count < 31) {
        auto* b = static_cast<const BinaryExpr*>(e);
        operands[count++] = b->right.get();
        e = b->left.get();
    }
    operands[count++] = e;
    std::reverse(operands, operands + count); // evaluate left to right
    // The operands' values live on the slot stack (no construction per call).
    SlotScope slots(*this, count);
    Variant* values = slots.data();
    bool allNull = true;
    size_t total = 0;
    // Whole numbers are written while the result is built (their text needs
    // no string block of its own); anything else is converted as soon as it
    // is evaluated, so its errors and default members come in order.
    constexpr size_t WholeNumberText = 11; // "-2147483648"
    for (size_t i = 0; i < count; ++i) {
        Variant& v = values[i];
        v = valueOf(operands[i]);
        if (!v.isNull())
            allNull = false;
        if (v.isString())
            total += v.rawString().size();
        else if (v.type() == VT::Long || v.type() == VT::Integer)
            total += WholeNumberText;
        else if (!v.isNull() && !v.isEmpty()) {
            v = Variant::string(v.toText());
            total += v.rawString().size();
        }
    }
    if (allNull)
        return Variant::null();
    // The result is written straight into its block (room for the longest
    // whole numbers; the length used is set at the end).
    StringBuffer out(total);
    char* d = out.data();
    for (size_t i = 0; i < count; ++i) {
        const Variant& v = values[i];
        if (v.isString()) {
            std::string_view t = v.rawString();
            if (!t.empty())
                std::memcpy(d, t.data(), t.size());
            d += t.size();
        } else if (v.type() == VT::Long || v.type() == VT::Integer) {
            int32_t n = v.type() == VT::Long ? v.rawInt32() : v.rawInt16();
            d = std::to_chars(d, d + WholeNumberText, n).ptr;
        }
    }
    return out.take(static_cast<size_t>(d - out.data()));
}

Variant Interpreter::readCell(Cell* c, const Expr*)
{
    Cell* l = liveCell(c);
    if (!l) {
        if (m_frame->unit && m_frame->unit->optionExplicit)
            raise(Err::VariableUndefined);
        return {};
    }
    switch (l->kind) {
    case CellKind::Variable:
    case CellKind::Constant: return l->value;
    case CellKind::Procedure: return callScript(l->proc, nullptr, {});
    case CellKind::HostMember: return l->host->invoke(l->hostId, InvokeKind(InvokeGet | InvokeMethod), {});
    default: raise(Err::TypeMismatch);
    }
}

Variant Interpreter::evalName(const NameExpr* e)
{
    switch (e->bind.kind) {
    case BindKind::Local: return *m_frame->refs[e->bind.index];
    case BindKind::Field: return m_frame->me->fields[static_cast<size_t>(e->bind.index)];
    case BindKind::Constant: return e->constValue;
    case BindKind::Global: return readCell(e->bind.cell, e);
    case BindKind::Builtin: {
        const BuiltinDef& def = m_registry.function(e->bind.index);
        if (def.minArgs > 0)
            raise(Err::WrongArgCount);
        return def.function(*this, {});
    }
    case BindKind::MeMember: return invokeMember(m_frame->me, e->bind.index, InvokeKind(InvokeGet | InvokeMethod), {});
    default: return {};
    }
}

Object* Interpreter::withObject(const MemberExpr*)
{
    if (!m_frame->withStack || m_frame->withStack->empty())
        raise(Err::InvalidReference);
    const Variant& v = m_frame->withStack->back();
    if (!v.isObject())
        raise(Err::ObjectRequired);
    if (!v.rawObject())
        raise(Err::ObjectNotSet);
    return v.rawObject();
}

int Interpreter::memberIdFor(Object* obj, const MemberExpr* e)
{
    const void* key = obj->memberKey();
    if (key && key == e->cacheKey)
        return e->cacheId;
    int id;
    if (m_frame->me && key == m_frame->me->memberKey())
        id = static_cast<ScriptObject*>(obj)->memberIdAny(m_interner.spelling(e->name)); // the class's own code
    else
        id = obj->memberId(m_interner.spelling(e->name));
    if (id < 0)
        raise(Err::NoSuchMember);
    if (key) {
        e->cacheKey = key;
        e->cacheId = id;
    }
    return id;
}

Variant Interpreter::evalMember(const MemberExpr* e, std::span<Variant> args, InvokeKind kind)
{
    Variant obj = e->object ? eval(e->object.get()) : Variant::object(withObject(e));
    if (!obj.isObject())
        raise(Err::ObjectRequired);
    if (!obj.rawObject())
        raise(Err::ObjectNotSet);
    int id = memberIdFor(obj.rawObject(), e);
    return obj.rawObject()->invoke(id, kind, args);
}

void Interpreter::lockElementOwner(const Expr* arg, ArrayLocks& locks)
{
    // variableRef gives a reference into an array only for `name(indices)`.
    if (arg->kind != ExprKind::Call)
        return;
    Variant* base = nameRef(static_cast<const NameExpr*>(static_cast<const CallExpr*>(arg)->target.get()), false);
    if (base && base->isArray())
        locks.lock(*base);
}

void Interpreter::evalArgs(const std::vector<ExprP>& argExprs, ArgVec& out, RefVec* refs, ArrayLocks* locks)
{
    for (const ExprP& a : argExprs) {
        if (refs) {
            Variant* r = nullptr;
            if (a->kind == ExprKind::Name || a->kind == ExprKind::Call)
                r = variableRef(a.get(), false);
            if (r && locks)
                lockElementOwner(a.get(), *locks);
            refs->push_back(r);
            out.push_back(r ? *r : eval(a.get()));
        } else {
            out.push_back(eval(a.get()));
        }
    }
}

Variant Interpreter::callScript(ProcDef* proc, ScriptObject* me, const std::vector<ExprP>& argExprs)
{
    const size_t n = argExprs.size();
    if (n != proc->params.size() || m_depth == 0) [[unlikely]]
        return callScriptRare(proc, me, argExprs);
    // The callee's frame is taken first and its parameters are filled straight
    // from the arguments: no temporaries, no second copy. The caller's frame
    // stays current until every argument has been evaluated.
    ArrayLocks locks; // released after the frame's slots
    SlotScope frameSlots(*this, static_cast<size_t>(proc->slotCount));
    Variant* own = frameSlots.data();
    Variant** refs = frameSlots.ownRefs();
    const Param* params = proc->params.data();
    for (size_t i = 0; i < n; ++i)
        refs[i + 1] = argumentRef(params[i], argExprs[i].get(), own[i + 1], locks);
    return runFrame(proc, me, m_frame->module, own, refs);
}

// The calls callScript leaves aside, so that its common path stays small: a
// count of arguments that does not match, and a call from outside any run.
Variant Interpreter::callScriptRare(ProcDef* proc, ScriptObject* me, const std::vector<ExprP>& argExprs)
{
    const size_t n = argExprs.size();
    if (n != proc->params.size()) {
        // `o.List(0)` on a parameterless property or function indexes its result.
        if (proc->params.empty() && proc->returnsValue()) {
            Variant result = callScript(proc, me, {});
            ArgVec args;
            evalArgs(argExprs, args, nullptr);
            return callOnValue(result, args, true);
        }
        raise(Err::WrongArgCount);
    }
    // Outside any run the call is a run of its own (invokeFrame starts it).
    Module* module = m_frame ? m_frame->module : globalModule();
    SlotScope temps(*this, n);
    ArrayLocks locks;
    std::vector<Variant*> refs(n);
    for (size_t i = 0; i < n; ++i)
        refs[i] = argumentRef(proc->params[i], argExprs[i].get(), temps.data()[i], locks);
    return invokeFrame(proc, me, module, refs.data(), n);
}

// The cases of argumentRef other than literals and declared variables.
Variant* Interpreter::argumentRefSlow(const Param& p, const Expr* a, Variant& slot, ArrayLocks& locks)
{
    if (a->kind == ExprKind::Missing)
        raise(Err::WrongArgCount);
    if (p.byRef && (a->kind == ExprKind::Name || a->kind == ExprKind::Call)) {
        if (Variant* r = variableRef(a, false)) {
            lockElementOwner(a, locks);
            return r;
        }
    }
    slot = valueOf(a);
    return &slot;
}

Variant Interpreter::callOnValue(const Variant& target, std::span<Variant> args, bool)
{
    if (target.isObject()) {
        if (!target.rawObject())
            raise(Err::ObjectNotSet);
        Variant keep = target;
        return keep.rawObject()->invoke(DefaultMemberId, InvokeKind(InvokeGet | InvokeMethod), args);
    }
    if (target.isArray()) {
        Variant copy = target;
        return *elementRef(copy, args, false);
    }
    if (args.empty())
        return target;
    raise(Err::TypeMismatch);
}

Variant Interpreter::evalCall(const CallExpr* c, bool wantValue)
{
    // A script procedure called by name, the commonest call, goes through a
    // small door; evalCallGeneral has the rest.
    if (c->target->kind == ExprKind::Name) {
        auto* n = static_cast<const NameExpr*>(c->target.get());
        if (n->bind.kind == BindKind::Global) {
            Cell* cell = liveCell(n->bind.cell);
            if (cell && cell->kind == CellKind::Procedure)
                return callScript(cell->proc, nullptr, c->args);
        }
    }
    return evalCallGeneral(c, wantValue);
}

Variant Interpreter::evalCallGeneral(const CallExpr* c, bool wantValue)
{
    const Expr* t = c->target.get();
    if (t->kind == ExprKind::Name) {
        auto* n = static_cast<const NameExpr*>(t);
        switch (n->bind.kind) {
        case BindKind::Builtin: {
            const BuiltinDef& def = m_registry.function(n->bind.index);
            size_t argc = c->args.size();
            if (argc < def.minArgs || argc > def.maxArgs)
                raise(Err::WrongArgCount);
            // Arguments of a built-in live on the slot stack: no construction, no heap.
            SlotScope temps(*this, argc);
            Variant* args = temps.data();
            for (size_t i = 0; i < argc; ++i)
                args[i] = valueOf(c->args[i].get());
            return def.function(*this, std::span<Variant>(args, argc));
        }
        case BindKind::Local:
        case BindKind::Field: {
            Variant* ref = nameRef(n, false);
            if (ref->isArray()) {
                Variant idx[8];
                ArgVec many;
                std::span<Variant> span;
                if (c->args.size() <= 8) {
                    for (size_t i = 0; i < c->args.size(); ++i)
                        idx[i] = eval(c->args[i].get());
                    span = std::span<Variant>(idx, c->args.size());
                } else {
                    evalArgs(c->args, many, nullptr);
                    span = many;
                }
                ref = nameRef(n, false); // the arguments may have changed the variable
                if (!ref->isArray())
                    raise(Err::TypeMismatch);
                return *elementRef(*ref, span, false);
            }
            ArgVec args;
            evalArgs(c->args, args, nullptr);
            return callOnValue(*nameRef(n, false), args, wantValue);
        }
        case BindKind::MeMember: {
            ClassDef* cls = m_frame->me->classDef();
            const ClassMember& m = cls->members[static_cast<size_t>(n->bind.index)];
            ProcDef* p = m.method ? m.method : m.get;
            if (p)
                return callScript(p, m_frame->me, c->args);
            ArgVec args;
            evalArgs(c->args, args, nullptr);
            return invokeMember(m_frame->me, n->bind.index, InvokeKind(InvokeGet | InvokeMethod), args);
        }
        case BindKind::Global: {
            Cell* cell = liveCell(n->bind.cell); // a procedure went through evalCall
            if (cell && cell->kind == CellKind::HostMember) {
                ArgVec args;
                RefVec refs;
                ArrayLocks locks;
                evalArgs(c->args, args, &refs, &locks);
                Variant r = cell->host->invoke(cell->hostId, InvokeKind(InvokeMethod | InvokeGet), args);
                for (size_t i = 0; i < refs.size(); ++i)
                    if (refs[i])
                        *refs[i] = args[i];
                return r;
            }
            if (cell && (cell->kind == CellKind::Variable || cell->kind == CellKind::Constant)) {
                if (cell->value.isArray()) {
                    ArgVec args;
                    evalArgs(c->args, args, nullptr);
                    return *elementRef(cell->value, args, false);
                }
                ArgVec args;
                evalArgs(c->args, args, nullptr);
                return callOnValue(cell->value, args, wantValue);
            }
            if (!cell) {
                if (m_frame->unit && m_frame->unit->optionExplicit)
                    raise(Err::VariableUndefined);
                raise(Err::TypeMismatch);
            }
            raise(Err::TypeMismatch);
        }
        case BindKind::Constant: {
            ArgVec args;
            evalArgs(c->args, args, nullptr);
            return callOnValue(n->constValue, args, wantValue);
        }
        default: raise(Err::TypeMismatch);
        }
    }
    if (t->kind == ExprKind::Member) {
        auto* m = static_cast<const MemberExpr*>(t);
        Variant obj = m->object ? eval(m->object.get()) : Variant::object(withObject(m));
        if (!obj.isObject())
            raise(Err::ObjectRequired);
        Object* o = obj.rawObject();
        if (!o)
            raise(Err::ObjectNotSet);
        int id = memberIdFor(o, m);
        if (typeid(*o) == typeid(ScriptObject)) {
            auto* so = static_cast<ScriptObject*>(o);
            // Script methods take ByRef arguments straight from the caller's variables.
            const ClassMember& cm = so->classDef()->members[static_cast<size_t>(id)];
            ProcDef* p = cm.method ? cm.method : (cm.field < 0 ? cm.get : nullptr);
            if (p && !(id == 0 && so->classDef()->defaultMember < 0))
                return callScript(p, so, c->args);
        }
        ArgVec args;
        RefVec refs;
        ArrayLocks locks;
        evalArgs(c->args, args, &refs, &locks);
        Variant r = o->invoke(id, InvokeKind(InvokeMethod | InvokeGet), args);
        for (size_t i = 0; i < refs.size(); ++i)
            if (refs[i])
                *refs[i] = args[i];
        return r;
    }
    Variant target = eval(t);
    ArgVec args;
    evalArgs(c->args, args, nullptr);
    return callOnValue(target, args, wantValue);
}

Variant Interpreter::evalNew(const NewExpr* e)
{
    Cell* c = liveCell(e->cell);
    if (c && c->kind == CellKind::Class)
        return newScriptObject(c->cls, m_frame->module);
    if (ObjectFactory f = m_registry.classFactory(m_interner.folded(e->className)))
        return Variant::object(f(*this).get());
    raise(Err::ClassNotDefined);
}

} // namespace ravelin::vbs
