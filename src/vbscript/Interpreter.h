// Interpreter: runs resolved units.
//
// It owns the modules (the global module first, then named ones), their cells
// (one per module-level name: variable, constant, procedure, class or a
// member of a host object added with its members), and the call machinery.
// A procedure's frame is a window of slot pointers on a preallocated stack:
// a ByVal parameter or local points at its own storage, a ByRef parameter at
// the caller's variable, so every local access is one indirection and a call
// allocates nothing on the heap. Errors travel as ScriptException and are
// caught in the statement loop (On Error Resume Next) and at the host
// boundary (ScriptControl); the position of the statement running is attached
// on the way out. A step counter checked every few thousand loop iterations and
// calls enforces the run-time limit.
#pragma once

#include "vbscript/Ast.h"
#include "vbscript/Builtins.h"
#include "vbscript/Errors.h"
#include "vbscript/HostTypes.h"
#include "vbscript/Interrupt.h"
#include "vbscript/Object.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <utility>
#include <new>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace ravelin::vbs {

class Interpreter;
struct Module;

// A vector keeping its first N elements inline: call arguments live here so a
// call allocates nothing on the heap in the common case.
template <typename T, size_t N>
class SmallVec {
public:
    SmallVec() = default;
    SmallVec(const SmallVec&) = delete;
    SmallVec& operator=(const SmallVec&) = delete;
    void push_back(T v)
    {
        if (m_big.empty() && m_size < N) {
            m_small[m_size++] = std::move(v);
            return;
        }
        if (m_big.empty()) {
            m_big.reserve(N * 2);
            for (size_t i = 0; i < m_size; ++i)
                m_big.push_back(std::move(m_small[i]));
        }
        m_big.push_back(std::move(v));
        ++m_size;
    }
    T* data() { return m_big.empty() ? m_small : m_big.data(); }
    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T& operator[](size_t i) { return data()[i]; }
    T* begin() { return data(); }
    T* end() { return data() + m_size; }
    operator std::span<T>() { return std::span<T>(data(), m_size); }

private:
    T m_small[N] = {};
    std::vector<T> m_big;
    size_t m_size = 0;
};

using ArgVec = SmallVec<Variant, 4>;

// Arrays whose elements are passed ByRef stay locked (ReDim, Erase and
// reassignment give error 10) until the call returns, so the element
// reference the callee holds cannot dangle.
class ArrayLocks {
public:
    ArrayLocks() = default;
    ArrayLocks(const ArrayLocks&) = delete;
    ArrayLocks& operator=(const ArrayLocks&) = delete;
    ~ArrayLocks()
    {
        for (Variant& v : m_held)
            --v.rawArray()->locks;
    }
    // Also holds a reference, so the block outlives the call whatever the
    // callee does with its variables.
    void lock(const Variant& arrayVar)
    {
        ++arrayVar.rawArray()->locks;
        m_held.push_back(arrayVar);
    }

private:
    std::vector<Variant> m_held; // empty (no allocation) in the common case
};
using RefVec = SmallVec<Variant*, 4>;

enum class CellKind : uint8_t { Undefined, Variable, Constant, Procedure, Class, HostMember };

struct Cell {
    CellKind kind = CellKind::Undefined;
    Symbol name = 0;
    Variant value;
    ProcDef* proc = nullptr;
    ClassDef* cls = nullptr;
    Object* host = nullptr; // HostMember: the object (kept alive by the interpreter)
    int hostId = -1;
    Cell* fallback = nullptr; // the global module's cell of the same name
    Module* module = nullptr;
};

struct Module {
    std::string name;
    std::unordered_map<Symbol, std::unique_ptr<Cell>> cells;
    std::vector<ProcDef*> procedures; // definition order, one per name
    std::vector<std::shared_ptr<Unit>> units;
};

// An instance of a script class.
class ScriptObject : public Object {
public:
    ScriptObject(Interpreter* in, ClassDef* cls, std::shared_ptr<Unit> unit);
    std::string typeName() const override { return m_class->spelling; }
    int memberId(std::string_view name) const override;
    // Public and Private members, for code of the class itself.
    int memberIdAny(std::string_view name) const;
    const void* memberKey() const override { return m_class; }
    Variant invoke(int id, InvokeKind kind, std::span<Variant> args) override;
    std::vector<std::string> memberNames() const override;
    ~ScriptObject() override;
    ClassDef* classDef() const { return m_class; }
    std::vector<Variant> fields;
    // The interpreter is going away: the object stays valid as data only.
    void detach() { m_in = nullptr; }
    void dropReferences() noexcept override;
    // Runs Class_Terminate now unless it ran; the caller holds a reference.
    void terminateNow() noexcept;

protected:
    void lastReferenceGone() noexcept override;

private:
    Interpreter* m_in;
    ClassDef* m_class;
    std::shared_ptr<Unit> m_unit; // keeps the class's code alive
    bool m_terminated = false; // Class_Terminate runs once
};

enum class Flow : uint8_t { Normal, ExitDo, ExitFor, ExitProc };

struct Frame {
    ProcDef* proc = nullptr;
    Variant** refs = nullptr;
    ScriptObject* me = nullptr;
    Module* module = nullptr;
    Unit* unit = nullptr;
    bool resumeNext = false;
    std::vector<Variant>* withStack = nullptr;
    const Stmt* current = nullptr;
};

class Interpreter : public Context {
public:
    explicit Interpreter(const BuiltinRegistry& registry = BuiltinRegistry::standard());
    ~Interpreter() override;
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // ---- Host side.
    void reset();
    Module* globalModule() { return m_modules.front().get(); }
    Module* addModule(const std::string& name); // returns the existing one when present
    Module* findModule(const std::string& name);
    std::vector<Module*> modules();
    void addObject(const std::string& name, Ref<Object> object, bool addMembers);
    // Compiles and runs top-level statements. Throws ScriptException.
    void addCode(Module* module, std::string_view code);
    // Compiles only (for --dump); returns the unit, loaded into the module.
    std::shared_ptr<Unit> compile(Module* module, std::string_view code);
    void runUnit(Module* module, Unit& unit);
    Variant run(Module* module, const std::string& procedure, std::span<Variant> args);
    Variant eval(Module* module, std::string_view expression);
    void execute(Module* module, std::string_view code);
    std::vector<ProcInfo> procedures(Module* module);
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeout() const { return m_timeoutMs; }
    HostCallbacks& callbacks() { return m_callbacks; }
    // Asks running code to stop at its next time check, as if its time ran
    // out (error 1799). Safe to call from another thread.
    void requestStop() { m_stopRequested.store(true, std::memory_order_relaxed); }
    Interner& interner() { return m_interner; }
    std::string dump(const Unit& unit);

    // ---- Context (built-ins).
    int msgBox(const std::string& prompt, int buttons, const std::string& title) override;
    Variant inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
    float rnd(const Variant* argument) override;
    void randomize(const Variant* seed) override;
    Variant createObject(const std::string& progId) override;
    const BuiltinRegistry& registry() const override { return m_registry; }
    Variant evalText(const std::string& expression) override;
    void executeText(const std::string& code, bool global) override;
    Variant getRef(const std::string& procedureName) override;
    std::shared_ptr<ObjectRegistry> objectRegistry() override { return m_containers; }

    // ---- Used by script objects and the Err object.
    Variant invokeMember(ScriptObject* self, int id, InvokeKind kind, std::span<Variant> args);
    void terminate(ScriptObject* self) noexcept;
    Variant callProcedure(ProcDef* proc, ScriptObject* me, Module* module, std::span<Variant> args);
    ScriptError& errState() { return m_err; }
    void clearErr() { m_err = ScriptError{}; }
    Symbol symbol(std::string_view name) { return m_interner.intern(name); }
    void objectCreated(ScriptObject* o) { m_liveObjects.insert(o); }
    void objectDestroyed(ScriptObject* o) { m_liveObjects.erase(o); }

private:
    friend class Resolver;
    struct CallGuard;
    struct RunScope;

    // Resolution (Resolver.cpp).
    void resolveUnit(Module* module, Unit& unit, Frame* scope);
    Cell* cellFor(Module* module, Symbol name);
    Cell* globalCell(Symbol name);

    // Execution.
    Flow execBlock(const Block& block);
    Flow execStmt(const Stmt* s);
    Flow execIf(const IfStmt* s);
    Flow execSelect(const SelectStmt* s);
    template <typename F>
    bool tryHeader(const Stmt* s, F&& body);
    Flow execFor(const ForStmt* s);
    Flow forGeneric(const ForStmt* s, Variant* var, Variant cur, double end, const Variant& step);
    Flow execForEach(const ForEachStmt* s);
    Flow execDo(const DoStmt* s);
    Flow execWith(const WithStmt* s);
    void execReDim(const ReDimStmt* s);
    void execDim(const DimStmt* s);
    void execErase(const EraseStmt* s);
    void execAssign(const AssignStmt* s);
    void execCallStmt(const CallStmt* s);

    // Literals, names, operators and calls are dispatched here, inline, so
    // the common cases do not pass through one more large function.
    Variant eval(const Expr* e)
    {
        switch (e->kind) {
        case ExprKind::Literal: return static_cast<const LiteralExpr*>(e)->value;
        case ExprKind::Name: return evalName(static_cast<const NameExpr*>(e));
        case ExprKind::Binary: return evalBinary(static_cast<const BinaryExpr*>(e));
        case ExprKind::Call: guardStack(); return evalCall(static_cast<const CallExpr*>(e), true);
        default: return evalOther(e);
        }
    }
    Variant evalBinary(const BinaryExpr* b);
    Variant binaryValues(const BinaryExpr* b, const Variant& l, const Variant& r);
    Variant evalOther(const Expr* e);
    // The value of an operand that can be read where it lives (a literal, a
    // constant, a declared variable) without copying, or nullptr when it must
    // be evaluated.
    const Variant* peek(const Expr* e) const
    {
        if (e->kind == ExprKind::Literal)
            return &static_cast<const LiteralExpr*>(e)->value;
        if (e->kind != ExprKind::Name)
            return nullptr;
        auto* n = static_cast<const NameExpr*>(e);
        switch (n->bind.kind) {
        case BindKind::Local: return m_frame->refs[n->bind.index];
        case BindKind::Constant: return &n->constValue;
        case BindKind::Global: {
            const Cell* c = n->bind.cell;
            return c && (c->kind == CellKind::Variable || c->kind == CellKind::Constant) ? &c->value : nullptr;
        }
        default: return nullptr;
        }
    }
    struct IntValue {
        int64_t value;
        bool isLong;
    };
    static constexpr int IntNesting = 8; // deepest operator tree worked out in one loop
    static Variant intVariant(IntValue v)
    {
        return v.isLong ? Variant::longInt(static_cast<int32_t>(v.value))
                        : Variant::integer(static_cast<int16_t>(v.value));
    }
    // Integer/Long literals and variables joined by + - * \ Mod (brackets allowed),
    // computed without a Variant per step. It only reads, so when it gives up
    // (anything else in the tree, a result past Long) the general path simply
    // evaluates the expression again.
    bool peekInt(const Expr* e, IntValue& out) const
    {
        const Variant* p;
        switch (e->kind) {
        case ExprKind::Literal: p = &static_cast<const LiteralExpr*>(e)->value; break;
        case ExprKind::Name:
            p = peek(e);
            if (!p)
                return false;
            break;
        case ExprKind::Paren: return peekInt(static_cast<const ParenExpr*>(e)->inner.get(), out);
        case ExprKind::Binary: return peekIntBinary(static_cast<const BinaryExpr*>(e), out);
        default: return false;
        }
        switch (p->type()) {
        case VT::Integer: out = {p->rawInt16(), false}; return true;
        case VT::Long: out = {p->rawInt32(), true}; return true;
        default: return false;
        }
    }
    bool peekIntBinary(const BinaryExpr* b, IntValue& out) const;
    bool tryIntBinary(const BinaryExpr* b, IntValue& out) const;
    bool evalCondition(const Expr* e);
    Variant evalName(const NameExpr* e);
    // The storage of a variable a name is bound to (a local, a field, a
    // declared module variable), or nullptr for anything else.
    Variant* directRef(const NameExpr* n)
    {
        switch (n->bind.kind) {
        case BindKind::Local: return m_frame->refs[n->bind.index];
        case BindKind::Field: return &m_frame->me->fields[static_cast<size_t>(n->bind.index)];
        case BindKind::Global:
            return n->bind.cell && n->bind.cell->kind == CellKind::Variable ? &n->bind.cell->value : nullptr;
        default: return nullptr;
        }
    }
    // A value to keep: copied from where it lives when peek() reaches it.
    Variant valueOf(const Expr* e)
    {
        const Variant* p = peek(e);
        return p ? *p : eval(e);
    }
    // Both operands of a binary operator, read in place where they can be
    // (`lt`, `rt` hold those that had to be evaluated or copied).
    std::pair<const Variant*, const Variant*> operands(const BinaryExpr* b, Variant& lt, Variant& rt);
    Variant evalConcatChain(const BinaryExpr* top);
    Variant evalMember(const MemberExpr* e, std::span<Variant> args, InvokeKind kind);
    Variant evalCall(const CallExpr* e, bool wantValue);
    Variant evalCallGeneral(const CallExpr* e, bool wantValue);
    Variant evalNew(const NewExpr* e);
    Variant callOnValue(const Variant& target, std::span<Variant> args, bool wantValue);
    Variant readCell(Cell* c, const Expr* at);
    Cell* liveCell(Cell* c);
    Variant* variableRef(const Expr* e, bool forWrite); // nullptr when not a variable
    Variant* nameRef(const NameExpr* e, bool forWrite);
    void assignTo(const Expr* target, Variant value, bool isSet);
    void storeValue(Variant& slot, Variant value, bool isSet);
    Object* withObject(const MemberExpr* e);
    int memberIdFor(Object* obj, const MemberExpr* e);
    Variant callScript(ProcDef* proc, ScriptObject* me, const std::vector<ExprP>& argExprs);
    [[gnu::noinline]] Variant callScriptRare(ProcDef* proc, ScriptObject* me, const std::vector<ExprP>& argExprs);
    Variant invokeFrame(ProcDef* proc, ScriptObject* me, Module* module, Variant** argRefs, size_t argc);
    // Runs proc in a frame whose slots already hold its parameters.
    Variant runFrame(ProcDef* proc, ScriptObject* me, Module* module, Variant* own, Variant** refs);
    // Where parameter `p` gets its value from: the caller's variable for a ByRef
    // parameter given one, else `slot` holding a copy of the argument's value.
    Variant* argumentRef(const Param& p, const Expr* a, Variant& slot, ArrayLocks& locks)
    {
        if (a->kind == ExprKind::Literal) {
            slot = static_cast<const LiteralExpr*>(a)->value;
            return &slot;
        }
        // A declared variable: its storage, found without a lookup.
        if (Variant* r = a->kind == ExprKind::Name ? directRef(static_cast<const NameExpr*>(a)) : nullptr) {
            if (p.byRef)
                return r;
            slot = *r;
            return &slot;
        }
        return argumentRefSlow(p, a, slot, locks);
    }
    Variant* argumentRefSlow(const Param& p, const Expr* a, Variant& slot, ArrayLocks& locks);
    void evalArgs(const std::vector<ExprP>& argExprs, ArgVec& out, RefVec* refs, ArrayLocks* locks = nullptr);
    void lockElementOwner(const Expr* arg, ArrayLocks& locks);
    Variant* elementRef(Variant& arrayVar, std::span<Variant> indices, bool forWrite);
    Variant newScriptObject(ClassDef* cls, Module* module);
    void position(ScriptException& ex, const Stmt* s);
    void tick()
    {
        if (++m_steps >= 4096) {
            m_steps = 0;
            checkDeadline();
        }
    }
    void checkDeadline();
    void startClock();
    std::shared_ptr<Unit> findUnitOf(ClassDef* cls);

    const BuiltinRegistry& m_registry;
    Interner m_interner;
    std::vector<std::unique_ptr<Module>> m_modules;
    std::vector<std::unique_ptr<Module>> m_graveyard; // modules reset while code still ran
    std::vector<std::pair<Ref<Object>, bool>> m_hostObjects; // object, members global
    std::vector<Ref<Object>> m_hostGraveyard; // host objects reset while code still ran
    std::unordered_set<ScriptObject*> m_liveObjects; // detached when the interpreter goes
    std::shared_ptr<ObjectRegistry> m_containers = std::make_shared<ObjectRegistry>();
    void breakCycles() noexcept;
    HostCallbacks m_callbacks;
    ScriptError m_err;
    Ref<Object> m_errObject;

    Frame* m_frame = nullptr;
    int m_depth = 0;
    uintptr_t m_stackBase = 0; // stack position of the outermost call
    uintptr_t m_stackFloor = 0; // lowest stack address a walk may reach (StackGuard.h)
    void guardStack() const
    {
        char probe = 0;
        if (reinterpret_cast<uintptr_t>(&probe) < m_stackFloor)
            raise(Err::OutOfStack);
    }
    // The slot stack: storage and pointers for every frame.
    // Slots are constructed on first use (high-water mark), so a fresh
    // interpreter does not touch the whole stack's memory.
    Variant* m_stack = nullptr;
    size_t m_constructed = 0;
    Variant* stackSlots(size_t base, size_t n)
    {
        if (base + n > m_capacity)
            raise(Err::OutOfStack);
        while (m_constructed < base + n)
            new (&m_stack[m_constructed++]) Variant();
        return &m_stack[base];
    }
    // Slots taken from the top of the slot stack for as long as the scope
    // lives: a call's frame or the temporaries of an argument list. They are
    // emptied and given back when it ends, however it ends.
    class SlotScope {
    public:
        SlotScope(Interpreter& in, size_t n) : m_in(in), m_base(in.m_sp), m_n(n), m_slots(in.stackSlots(m_base, n))
        {
            in.m_sp += n;
        }
        ~SlotScope()
        {
            for (size_t i = 0; i < m_n; ++i)
                m_slots[i].clear();
            m_in.m_sp = m_base;
        }
        SlotScope(const SlotScope&) = delete;
        SlotScope& operator=(const SlotScope&) = delete;
        Variant* data() const { return m_slots; }
        size_t base() const { return m_base; }
        // The frame's references, each pointing at its own slot until a
        // ByRef argument points it elsewhere.
        Variant** ownRefs() const
        {
            Variant** refs = &m_in.m_refStack[m_base];
            for (size_t i = 0; i < m_n; ++i)
                refs[i] = &m_slots[i];
            return refs;
        }

    private:
        Interpreter& m_in;
        size_t m_base;
        size_t m_n;
        Variant* m_slots;
    };
    std::unique_ptr<Variant*[]> m_refStack;
    size_t m_sp = 0;
    size_t m_capacity = 0;

    int m_timeoutMs = 10000;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_deadlineActive = false;
    unsigned m_steps = 0;
    int m_runScopes = 0; // RunScope nesting: the clock runs while above 0
    bool m_timedOut = false; // the run's time is up (latched until the next run)
    std::atomic<bool> m_stopRequested{false};

    std::mt19937 m_rng;
    uint32_t m_rndState = 327680;
};

} // namespace ravelin::vbs
