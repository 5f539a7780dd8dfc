// Resolver: binds names to slots, cells, members and built-ins.
#include "vbscript/Resolver.h"

#include "vbscript/Errors.h"
#include "vbscript/Interpreter.h"
#include "vbscript/Operators.h"
#include "vbscript/StackGuard.h"

namespace ravelin::vbs {

namespace {
enum Mode { Read = 0, Write = 1, CallTarget = 2 };
}

struct Resolver::Scope {
    ProcDef* proc = nullptr;
    ClassDef* cls = nullptr;
    std::unordered_map<Symbol, Variant> consts;
    bool canAddSlots = true;
};

Resolver::Resolver(Interpreter& in, Module* module, Unit& unit, Frame* scope)
    : m_in(in), m_module(module), m_unit(unit), m_scope(scope)
{}

// Nothing of a unit may stay visible when its resolution fails: the unit is
// freed, and a cell still naming one of its procedures or classes would
// dangle. Every cell the resolver changes is saved first and put back on failure.
Cell* Resolver::touch(Cell* c)
{
    if (m_saved.insert(c).second)
        m_undo.push_back({c, c->kind, c->value, c->proc, c->cls, c->host, c->hostId});
    return c;
}

void Resolver::run()
{
    std::vector<ProcDef*> procedures = m_module->procedures;
    try {
        resolve();
    } catch (...) {
        for (auto it = m_undo.rbegin(); it != m_undo.rend(); ++it) {
            Cell* c = it->cell;
            c->kind = it->kind;
            c->value = std::move(it->value);
            c->proc = it->proc;
            c->cls = it->cls;
            c->host = it->host;
            c->hostId = it->hostId;
        }
        m_module->procedures = std::move(procedures);
        throw;
    }
}

void Resolver::resolve()
{
    for (auto& cls : m_unit.classes)
        declareClass(*cls);
    for (auto& proc : m_unit.procs)
        declareProcedure(proc.get());
    ProcDef* hostProc = m_scope ? m_scope->proc : nullptr;
    for (Symbol name : m_unit.declaredGlobals) {
        if (hostProc && hostProc->localSlots.count(name))
            continue;
        Cell* c = m_in.cellFor(m_module, name);
        if (c->kind == CellKind::Undefined || c->kind == CellKind::HostMember) {
            touch(c);
            c->kind = CellKind::Variable;
            c->value = Variant();
        }
    }
    if (!hostProc && !m_unit.optionExplicit)
        declareImplicitGlobals(m_unit.body);
    Scope top;
    top.proc = hostProc;
    top.cls = m_scope && m_scope->me ? m_scope->me->classDef() : nullptr;
    top.canAddSlots = false;
    for (auto& [name, expr] : m_unit.consts) {
        resolveExpr(expr.get(), top);
        Variant value = fold(expr.get());
        Cell* c = touch(m_in.cellFor(m_module, name));
        c->kind = CellKind::Constant;
        c->value = std::move(value);
    }
    for (auto& proc : m_unit.procs) {
        Scope sc;
        sc.proc = proc.get();
        prepareSlots(*proc);
        declareImplicitLocals(*proc);
        for (auto& [name, expr] : proc->consts) {
            resolveExpr(expr.get(), sc);
            sc.consts[name] = fold(expr.get());
        }
        resolveBlock(proc->body, sc);
    }
    for (auto& cls : m_unit.classes) {
        Scope csc;
        csc.cls = cls.get();
        for (auto& f : cls->fields) {
            // Bounds of a class's array field are fixed when the class is compiled.
            f.ubounds.clear();
            for (auto& b : f.bounds) {
                resolveExpr(b.get(), csc);
                Variant v;
                try {
                    v = fold(b.get());
                } catch (const ScriptException&) {
                    raiseAt(Err::ExpectedInteger, b->line, b->column);
                }
                f.ubounds.push_back(v.toLong());
            }
        }
        for (auto& proc : cls->procs) {
            Scope sc;
            sc.proc = proc.get();
            sc.cls = cls.get();
            prepareSlots(*proc);
            declareImplicitLocals(*proc);
            for (auto& [name, expr] : proc->consts) {
                resolveExpr(expr.get(), sc);
                sc.consts[name] = fold(expr.get());
            }
            resolveBlock(proc->body, sc);
        }
    }
    resolveBlock(m_unit.body, top);
}

// Names a block assigns (assignment targets and loop variables), in order.
static void assignedNames(const Block& block, std::vector<Symbol>& out)
{
    auto add = [&](const Expr* e) {
        if (e->kind == ExprKind::Name)
            out.push_back(static_cast<const NameExpr*>(e)->name);
    };
    for (const StmtP& s : block) {
        switch (s->kind) {
        case StmtKind::Assign: add(static_cast<const AssignStmt*>(s.get())->target.get()); break;
        case StmtKind::For: {
            auto* f = static_cast<const ForStmt*>(s.get());
            add(f->var.get());
            assignedNames(f->body, out);
            break;
        }
        case StmtKind::ForEach: {
            auto* f = static_cast<const ForEachStmt*>(s.get());
            add(f->var.get());
            assignedNames(f->body, out);
            break;
        }
        case StmtKind::If: {
            auto* i = static_cast<const IfStmt*>(s.get());
            for (auto& [cond, b] : i->branches)
                assignedNames(b, out);
            assignedNames(i->elseBlock, out);
            break;
        }
        case StmtKind::Do: assignedNames(static_cast<const DoStmt*>(s.get())->body, out); break;
        case StmtKind::With: assignedNames(static_cast<const WithStmt*>(s.get())->body, out); break;
        case StmtKind::Select: {
            auto* sel = static_cast<const SelectStmt*>(s.get());
            for (auto& [tests, b] : sel->cases)
                assignedNames(b, out);
            assignedNames(sel->elseBlock, out);
            break;
        }
        default: break;
        }
    }
}

// Names assigned by top-level code without a Dim are module variables; a
// procedure assigning the same name must update that variable, not a local.
void Resolver::declareImplicitGlobals(const Block& block)
{
    std::vector<Symbol> names;
    assignedNames(block, names);
    for (Symbol name : names) {
        Cell* c = m_in.cellFor(m_module, name);
        Cell* live = c;
        while (live && live->kind == CellKind::Undefined)
            live = live->fallback;
        if (!live)
            touch(c)->kind = CellKind::Variable;
    }
}

// Without Option Explicit, a name a procedure assigns that is known nowhere
// else is a local of that procedure, for every use in its body (also the
// reads that come first).
void Resolver::declareImplicitLocals(ProcDef& proc)
{
    std::vector<Symbol> names(proc.redimNames);
    if (!m_unit.optionExplicit)
        assignedNames(proc.body, names);
    for (Symbol name : names) {
        if (proc.localSlots.count(name) || name == proc.name)
            continue;
        if (ClassDef* cls = proc.owner)
            if (cls->fieldIndex.count(name) || cls->memberIndex.count(name))
                continue;
        bool constant = false;
        for (auto& [cname, expr] : proc.consts)
            constant = constant || cname == name;
        if (constant)
            continue;
        Cell* live = m_in.cellFor(m_module, name);
        while (live && live->kind == CellKind::Undefined)
            live = live->fallback;
        if (live)
            continue;
        const std::string& folded = m_in.interner().folded(name);
        if (m_in.registry().functionIndex(folded) >= 0 || m_in.registry().constantIndex(folded) >= 0)
            continue;
        bool host = false;
        for (auto& [obj, global] : m_in.m_hostObjects)
            host = host || (global && obj->memberId(m_in.interner().spelling(name)) >= 0);
        if (host)
            continue;
        proc.localSlots[name] = static_cast<int>(proc.slotNames.size());
        proc.slotNames.push_back(name);
    }
    proc.slotCount = static_cast<int>(proc.slotNames.size());
}

void Resolver::declareClass(ClassDef& cls)
{
    Cell* cell = touch(m_in.cellFor(m_module, cls.name));
    cell->kind = CellKind::Class;
    cell->cls = &cls;
    cls.members.clear();
    cls.members.emplace_back(); // id 0: the default member
    auto memberFor = [&](Symbol name, bool isPublic) -> ClassMember& {
        auto it = cls.memberIndex.find(name);
        if (it != cls.memberIndex.end())
            return cls.members[static_cast<size_t>(it->second)];
        int id = static_cast<int>(cls.members.size());
        cls.memberIndex[name] = id;
        cls.memberIds[m_in.interner().folded(name)] = id;
        ClassMember m;
        m.name = name;
        m.isPublic = isPublic;
        cls.members.push_back(m);
        return cls.members.back();
    };
    for (size_t i = 0; i < cls.fields.size(); ++i) {
        const FieldDef& f = cls.fields[i];
        if (cls.fieldIndex.count(f.name))
            raiseAt(Err::NameRedefined, f.line, f.column);
        cls.fieldIndex[f.name] = static_cast<int>(i);
        ClassMember& m = memberFor(f.name, f.isPublic);
        m.field = static_cast<int>(i);
    }
    Symbol init = m_in.symbol("class_initialize");
    Symbol term = m_in.symbol("class_terminate");
    for (auto& p : cls.procs) {
        ProcDef* proc = p.get();
        if (proc->name == init || proc->name == term) {
            if (!proc->params.empty())
                raiseAt(Err::InitTerminateArgs, proc->line, proc->column);
            (proc->name == init ? cls.initialize : cls.terminate) = proc;
        }
        ClassMember& m = memberFor(proc->name, proc->isPublic);
        switch (proc->kind) {
        case ProcKind::Sub:
        case ProcKind::Function: m.method = proc; break;
        case ProcKind::PropertyGet: m.get = proc; break;
        case ProcKind::PropertyLet: m.let = proc; break;
        case ProcKind::PropertySet: m.set = proc; break;
        }
        if (proc->isPublic)
            m.isPublic = true;
        if (proc->isDefault) {
            int id = cls.memberIndex[proc->name];
            if (cls.defaultMember >= 0 && cls.defaultMember != id)
                raiseAt(Err::MultipleDefault, proc->line, proc->column);
            cls.defaultMember = id;
        }
    }
    if (cls.defaultMember >= 0)
        cls.members[0] = cls.members[static_cast<size_t>(cls.defaultMember)];
}

void Resolver::declareProcedure(ProcDef* proc)
{
    Cell* cell = touch(m_in.cellFor(m_module, proc->name));
    bool replacing = cell->kind == CellKind::Procedure;
    cell->kind = CellKind::Procedure;
    cell->proc = proc;
    cell->value = Variant();
    auto& list = m_module->procedures;
    if (replacing) {
        for (auto& p : list)
            if (p->name == proc->name)
                p = proc; // the later declaration wins, keeping the first place
    } else {
        list.push_back(proc);
    }
}

void Resolver::prepareSlots(ProcDef& proc)
{
    proc.localSlots.clear();
    proc.slotNames.clear();
    proc.slotNames.push_back(proc.name); // slot 0: the result
    auto add = [&](Symbol s, bool isParam, int line, int column) {
        if (proc.localSlots.count(s)) {
            if (isParam)
                raiseAt(Err::NameRedefined, line, column);
            return;
        }
        proc.localSlots[s] = static_cast<int>(proc.slotNames.size());
        proc.slotNames.push_back(s);
    };
    for (const Param& p : proc.params)
        add(p.name, true, p.line, p.column);
    for (Symbol s : proc.declaredLocals)
        add(s, false, proc.line, proc.column);
    proc.slotCount = static_cast<int>(proc.slotNames.size());
}

void Resolver::resolveBlock(Block& block, Scope& sc)
{
    for (auto& s : block)
        resolveStmt(s.get(), sc);
}

void Resolver::resolveTarget(Expr* e, Scope& sc)
{
    if (e->kind == ExprKind::Name)
        resolveName(static_cast<NameExpr*>(e), sc, Write);
    else if (e->kind == ExprKind::Call) {
        auto* c = static_cast<CallExpr*>(e);
        if (c->target->kind == ExprKind::Name)
            resolveName(static_cast<NameExpr*>(c->target.get()), sc, Read);
        else
            resolveExpr(c->target.get(), sc);
        for (auto& a : c->args)
            resolveExpr(a.get(), sc);
    } else
        resolveExpr(e, sc);
}

void Resolver::resolveStmt(Stmt* s, Scope& sc)
{
    checkStack();
    switch (s->kind) {
    case StmtKind::Call: {
        auto* c = static_cast<CallStmt*>(s);
        if (c->call->kind == ExprKind::Name)
            resolveName(static_cast<NameExpr*>(c->call.get()), sc, CallTarget);
        else
            resolveExpr(c->call.get(), sc);
        break;
    }
    case StmtKind::Assign: {
        auto* a = static_cast<AssignStmt*>(s);
        resolveExpr(a->value.get(), sc);
        resolveTarget(a->target.get(), sc);
        break;
    }
    case StmtKind::ReDim:
    case StmtKind::Dim: {
        auto& items = s->kind == StmtKind::ReDim ? static_cast<ReDimStmt*>(s)->items : static_cast<DimStmt*>(s)->items;
        for (auto& item : items) {
            resolveTarget(item.target.get(), sc);
            for (auto& b : item.bounds)
                resolveExpr(b.get(), sc);
        }
        break;
    }
    case StmtKind::Erase: resolveTarget(static_cast<EraseStmt*>(s)->target.get(), sc); break;
    case StmtKind::If: {
        auto* i = static_cast<IfStmt*>(s);
        for (auto& [cond, block] : i->branches) {
            resolveExpr(cond.get(), sc);
            resolveBlock(block, sc);
        }
        resolveBlock(i->elseBlock, sc);
        break;
    }
    case StmtKind::Select: {
        auto* sel = static_cast<SelectStmt*>(s);
        resolveExpr(sel->subject.get(), sc);
        for (auto& [tests, block] : sel->cases) {
            for (auto& t : tests) {
                resolveExpr(t.a.get(), sc);
                if (t.b)
                    resolveExpr(t.b.get(), sc);
            }
            resolveBlock(block, sc);
        }
        resolveBlock(sel->elseBlock, sc);
        break;
    }
    case StmtKind::For: {
        auto* f = static_cast<ForStmt*>(s);
        resolveExpr(f->from.get(), sc);
        resolveExpr(f->to.get(), sc);
        if (f->step)
            resolveExpr(f->step.get(), sc);
        resolveTarget(f->var.get(), sc);
        resolveBlock(f->body, sc);
        break;
    }
    case StmtKind::ForEach: {
        auto* f = static_cast<ForEachStmt*>(s);
        resolveExpr(f->collection.get(), sc);
        resolveTarget(f->var.get(), sc);
        resolveBlock(f->body, sc);
        break;
    }
    case StmtKind::Do: {
        auto* d = static_cast<DoStmt*>(s);
        if (d->cond)
            resolveExpr(d->cond.get(), sc);
        resolveBlock(d->body, sc);
        break;
    }
    case StmtKind::With: {
        auto* w = static_cast<WithStmt*>(s);
        resolveExpr(w->object.get(), sc);
        resolveBlock(w->body, sc);
        break;
    }
    default: break;
    }
}

void Resolver::resolveExpr(Expr* e, Scope& sc)
{
    checkStack();
    switch (e->kind) {
    case ExprKind::Name: resolveName(static_cast<NameExpr*>(e), sc, Read); break;
    case ExprKind::Member: {
        auto* m = static_cast<MemberExpr*>(e);
        if (m->object)
            resolveExpr(m->object.get(), sc);
        break;
    }
    case ExprKind::Call: {
        auto* c = static_cast<CallExpr*>(e);
        if (c->target->kind == ExprKind::Name)
            resolveName(static_cast<NameExpr*>(c->target.get()), sc, CallTarget);
        else
            resolveExpr(c->target.get(), sc);
        for (auto& a : c->args)
            resolveExpr(a.get(), sc);
        break;
    }
    case ExprKind::Unary: resolveExpr(static_cast<UnaryExpr*>(e)->operand.get(), sc); break;
    case ExprKind::Binary: {
        auto* b = static_cast<BinaryExpr*>(e);
        resolveExpr(b->left.get(), sc);
        resolveExpr(b->right.get(), sc);
        break;
    }
    case ExprKind::Paren: resolveExpr(static_cast<ParenExpr*>(e)->inner.get(), sc); break;
    case ExprKind::New: {
        auto* n = static_cast<NewExpr*>(e);
        n->cell = m_in.cellFor(m_module, n->className);
        break;
    }
    case ExprKind::Me:
        if (!sc.cls)
            raiseAt(Err::InvalidMe, e->line, e->column);
        break;
    default: break;
    }
}

void Resolver::resolveName(NameExpr* e, Scope& sc, int mode)
{
    Symbol name = e->name;
    if (ProcDef* proc = sc.proc) {
        if (name == proc->name && proc->returnsValue() && mode != CallTarget) {
            e->bind = {BindKind::Local, 0, nullptr};
            return;
        }
        auto it = proc->localSlots.find(name);
        if (it != proc->localSlots.end()) {
            e->bind = {BindKind::Local, it->second, nullptr};
            return;
        }
        auto ct = sc.consts.find(name);
        if (ct != sc.consts.end()) {
            e->bind = {BindKind::Constant, 0, nullptr};
            e->constValue = ct->second;
            return;
        }
    }
    if (ClassDef* cls = sc.cls) {
        auto f = cls->fieldIndex.find(name);
        if (f != cls->fieldIndex.end()) {
            e->bind = {BindKind::Field, f->second, nullptr};
            return;
        }
        auto m = cls->memberIndex.find(name);
        if (m != cls->memberIndex.end()) {
            e->bind = {BindKind::MeMember, m->second, nullptr};
            return;
        }
    }
    Cell* own = m_in.cellFor(m_module, name);
    Cell* live = own;
    while (live && live->kind == CellKind::Undefined)
        live = live->fallback;
    if (live) {
        if (live->kind == CellKind::Constant) {
            e->bind = {BindKind::Constant, 0, nullptr};
            e->constValue = live->value;
            return;
        }
        e->bind = {BindKind::Global, 0, own};
        return;
    }
    const BuiltinRegistry& reg = m_in.registry();
    int bi = reg.functionIndex(m_in.interner().folded(name));
    if (bi >= 0) {
        e->bind = {BindKind::Builtin, bi, nullptr};
        return;
    }
    int ci = reg.constantIndex(m_in.interner().folded(name));
    if (ci >= 0) {
        e->bind = {BindKind::Constant, 0, nullptr};
        e->constValue = reg.constant(ci);
        return;
    }
    for (auto& [obj, global] : m_in.m_hostObjects) {
        if (!global)
            continue;
        int id = obj->memberId(m_in.interner().spelling(name));
        if (id >= 0) {
            Cell* g = touch(m_in.globalCell(name));
            g->kind = CellKind::HostMember;
            g->host = obj.get();
            g->hostId = id;
            e->bind = {BindKind::Global, 0, own};
            return;
        }
    }
    if (mode == Write && sc.proc && sc.canAddSlots && !m_unit.optionExplicit) {
        // An undeclared name assigned in a procedure is a local of that procedure.
        ProcDef* proc = sc.proc;
        int slot = static_cast<int>(proc->slotNames.size());
        proc->localSlots[name] = slot;
        proc->slotNames.push_back(name);
        proc->slotCount = slot + 1;
        e->bind = {BindKind::Local, slot, nullptr};
        return;
    }
    e->bind = {BindKind::Global, 0, own};
}

Variant Resolver::fold(Expr* e)
{
    checkStack();
    switch (e->kind) {
    case ExprKind::Literal: return static_cast<LiteralExpr*>(e)->value;
    case ExprKind::Name: {
        auto* n = static_cast<NameExpr*>(e);
        if (n->bind.kind == BindKind::Constant)
            return n->constValue;
        break;
    }
    case ExprKind::Paren: return fold(static_cast<ParenExpr*>(e)->inner.get());
    case ExprKind::Unary: {
        auto* u = static_cast<UnaryExpr*>(e);
        return unaryOp(u->op, fold(u->operand.get()));
    }
    case ExprKind::Binary: {
        auto* b = static_cast<BinaryExpr*>(e);
        return binaryOp(b->op, fold(b->left.get()), fold(b->right.get()));
    }
    default: break;
    }
    raiseAt(Err::ExpectedLiteral, e->line, e->column);
}

} // namespace ravelin::vbs
