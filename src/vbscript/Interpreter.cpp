// Interpreter: modules, cells, calls, script objects and the host-facing
// operations. Statement and expression evaluation is in Evaluator.cpp.
#include "vbscript/Interpreter.h"

#include "vbscript/DateTime.h"
#include "vbscript/Regex.h"

#include "vbscript/Resolver.h"
#include "vbscript/ErrObject.h"
#include "vbscript/Operators.h"
#include "vbscript/Parser.h"
#include "vbscript/StackGuard.h"

#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>

namespace ravelin::vbs {

namespace {

constexpr size_t StackCapacity = size_t(1) << 18;
constexpr int MaxDepth = 100000;
// C++ stack a script's nested calls may use before "Out of stack space"; well
// inside the 8 MiB a thread gets on Linux by default, leaving the host room.
constexpr uintptr_t StackBudget = 6u << 20;

// GetRef's result: calling its default member calls the procedure.
class ProcRef : public Object {
public:
    ProcRef(Interpreter* in, ProcDef* proc, Module* module, std::shared_ptr<Unit> unit)
        : m_in(in), m_proc(proc), m_module(module), m_unit(std::move(unit))
    {}
    std::string typeName() const override { return "Object"; }
    int memberId(std::string_view) const override { return NoMemberId; }
    Variant invoke(int id, InvokeKind, std::span<Variant> args) override
    {
        if (id != DefaultMemberId)
            raise(Err::NoSuchMember);
        return m_in->callProcedure(m_proc, nullptr, m_module, args);
    }

private:
    Interpreter* m_in;
    ProcDef* m_proc;
    Module* m_module;
    std::shared_ptr<Unit> m_unit;
};

} // namespace

// ---- Script objects.

ScriptObject::ScriptObject(Interpreter* in, ClassDef* cls, std::shared_ptr<Unit> unit)
    : m_in(in), m_class(cls), m_unit(std::move(unit))
{
    fields.resize(cls->fields.size());
    m_in->objectCreated(this);
}

ScriptObject::~ScriptObject()
{
    if (m_in)
        m_in->objectDestroyed(this);
}

int ScriptObject::memberId(std::string_view name) const
{
    // Seen from outside the class only Public members exist.
    int id = memberIdAny(name);
    if (id > 0 && !m_class->members[static_cast<size_t>(id)].isPublic)
        return NoMemberId;
    return id;
}

int ScriptObject::memberIdAny(std::string_view name) const
{
    auto it = m_class->memberIds.find(lowerCase(name));
    if (it == m_class->memberIds.end())
        return NoMemberId;
    return it->second;
}

Variant ScriptObject::invoke(int id, InvokeKind kind, std::span<Variant> args)
{
    if (!m_in)
        raise(Err::ObjectRequired);
    return m_in->invokeMember(this, id, kind, args);
}

std::vector<std::string> ScriptObject::memberNames() const
{
    std::vector<std::string> names;
    for (size_t i = 1; i < m_class->members.size(); ++i)
        if (m_class->members[i].isPublic)
            names.push_back(m_in ? m_in->interner().spelling(m_class->members[i].name) : std::string());
    return names;
}

void ScriptObject::dropReferences() noexcept
{
    std::vector<Variant> old(fields.size());
    old.swap(fields); // released after the object is consistent again
}

void ScriptObject::terminateNow() noexcept
{
    if (m_in && m_class->terminate && !m_terminated) {
        m_terminated = true;
        m_in->terminate(this);
    }
}

void ScriptObject::lastReferenceGone() noexcept
{
    if (m_in && m_class->terminate && !m_terminated) {
        // A temporary reference keeps the object whole while Class_Terminate runs.
        m_terminated = true;
        addRef();
        m_in->terminate(this);
        dropReferenceQuietly();
        // Class_Terminate stored Me somewhere: the object lives on for that
        // reference (without a second Class_Terminate) and goes with it.
        if (refCount() > 0)
            return;
    }
    delete this;
}

// A run: the stretch of work one time limit covers. The outermost scope
// starts the clock and installs the limit for the regex matcher and the
// built-ins' long loops; inner scopes (a terminator released while the run's
// own locals are given back, the terminators of a teardown) share it, so no
// chain of Class_Terminate can start itself a fresh clock.
struct Interpreter::RunScope {
    Interpreter& in;
    bool outermost;
    Interrupt previous;
    explicit RunScope(Interpreter& i) : in(i), outermost(i.m_runScopes == 0)
    {
        if (outermost) {
            in.startClock();
            previous = setInterrupt({[](void* context) { static_cast<Interpreter*>(context)->checkDeadline(); }, &in});
        }
        ++in.m_runScopes;
    }
    ~RunScope()
    {
        --in.m_runScopes;
        if (outermost)
            setInterrupt(previous);
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;
};

// ---- Construction and modules.

Interpreter::Interpreter(const BuiltinRegistry& registry)
    : m_registry(registry), m_stack(static_cast<Variant*>(::operator new(sizeof(Variant) * StackCapacity))),
      m_refStack(new Variant*[StackCapacity]), m_capacity(StackCapacity),
      m_rng(static_cast<unsigned>(std::time(nullptr)))
{
    m_errObject = Ref<Object>(new ErrObject(this));
    m_stackFloor = stackFloor();
    reset();
}

Interpreter::~Interpreter()
{
    // Terminators still run while every module exists; objects the host
    // keeps beyond this point become plain data. They run as one run, under
    // one time limit.
    std::optional<RunScope> run;
    if (m_depth == 0)
        run.emplace(*this);
    for (auto* list : {&m_modules, &m_graveyard})
        for (auto& m : *list)
            for (auto& [sym, cell] : m->cells)
                cell->value = Variant();
    breakCycles();
    for (ScriptObject* o : m_liveObjects)
        o->detach();
    m_liveObjects.clear();
    m_modules.clear();
    m_graveyard.clear();
    for (size_t i = 0; i < m_constructed; ++i)
        m_stack[i].~Variant();
    ::operator delete(m_stack);
}

void Interpreter::reset()
{
    // Code still running (a script that reset its own engine) keeps its
    // modules alive until the outermost call returns.
    for (auto& m : m_modules) {
        if (m_depth > 0)
            m_graveyard.push_back(std::move(m));
    }
    bool timedOut = false;
    if (m_depth == 0) {
        // The terminators of the old objects run as one run, under one limit.
        RunScope run(*this);
        for (auto& m : m_modules)
            for (auto& [sym, cell] : m->cells)
                cell->value = Variant();
        breakCycles();
        timedOut = m_timedOut;
    }
    m_modules.clear();
    if (m_depth > 0) {
        // Cells of the running code still point at these objects.
        for (auto& h : m_hostObjects)
            m_hostGraveyard.push_back(std::move(h.first));
    }
    m_hostObjects.clear();
    auto global = std::make_unique<Module>();
    global->name = "Global";
    m_modules.push_back(std::move(global));
    Cell* err = cellFor(globalModule(), symbol("err"));
    err->kind = CellKind::Constant;
    err->value = Variant::object(m_errObject.get());
    clearErr();
    if (timedOut)
        raise(Err::TimedOut);
}

// With every variable cleared, what is still alive is kept by a reference
// cycle (or by the host). Each such object runs its Class_Terminate, then lets
// go of what it holds; the cycles fall apart and the objects are freed.
void Interpreter::breakCycles() noexcept
{
    for (int round = 0; round < 4; ++round) {
        std::vector<Ref<Object>> alive;
        try {
            for (ScriptObject* o : m_liveObjects)
                alive.emplace_back(o);
            for (Object* o : m_containers->live())
                alive.emplace_back(o);
        } catch (...) {
            return;
        }
        if (alive.empty())
            return;
        for (auto& o : alive)
            if (auto* so = dynamic_cast<ScriptObject*>(o.get()))
                so->terminateNow();
        for (auto& o : alive)
            o->dropReferences();
    }
}

Module* Interpreter::findModule(const std::string& name)
{
    for (auto& m : m_modules)
        if (m->name == name)
            return m.get();
    return nullptr;
}

Module* Interpreter::addModule(const std::string& name)
{
    if (Module* m = findModule(name))
        return m;
    auto m = std::make_unique<Module>();
    m->name = name;
    m_modules.push_back(std::move(m));
    return m_modules.back().get();
}

std::vector<Module*> Interpreter::modules()
{
    std::vector<Module*> out;
    for (auto& m : m_modules)
        out.push_back(m.get());
    return out;
}

Cell* Interpreter::globalCell(Symbol name) { return cellFor(globalModule(), name); }

Cell* Interpreter::cellFor(Module* module, Symbol name)
{
    auto it = module->cells.find(name);
    if (it != module->cells.end())
        return it->second.get();
    auto cell = std::make_unique<Cell>();
    cell->name = name;
    cell->module = module;
    if (module != globalModule())
        cell->fallback = globalCell(name);
    Cell* raw = cell.get();
    module->cells.emplace(name, std::move(cell));
    return raw;
}

void Interpreter::addObject(const std::string& name, Ref<Object> object, bool addMembers)
{
    Cell* c = globalCell(symbol(name));
    c->kind = CellKind::Constant;
    c->value = Variant::object(object.get());
    m_hostObjects.emplace_back(object, addMembers);
}

std::vector<ProcInfo> Interpreter::procedures(Module* module)
{
    std::vector<ProcInfo> out;
    for (ProcDef* p : module->procedures)
        out.push_back({m_interner.spelling(p->name), static_cast<int>(p->params.size()), p->returnsValue()});
    return out;
}

// ---- Compiling and running.

struct Interpreter::CallGuard {
    Interpreter& in;
    bool outermost;
    std::optional<RunScope> run;
    explicit CallGuard(Interpreter& i) : in(i), outermost(i.m_depth == 0)
    {
        if (outermost) {
            char probe = 0;
            in.m_stackBase = reinterpret_cast<uintptr_t>(&probe);
            in.m_stackFloor = stackFloor(); // this thread's
            run.emplace(in);
        }
    }
    // A time-out swallowed by a Class_Terminate still ends the run with it.
    void finish()
    {
        if (outermost && in.m_timedOut)
            raise(Err::TimedOut);
    }
    ~CallGuard()
    {
        if (outermost && in.m_depth == 0) {
            in.m_graveyard.clear();
            in.m_hostGraveyard.clear();
        }
    }
};

void Interpreter::startClock()
{
    m_stopRequested.store(false, std::memory_order_relaxed);
    m_deadlineActive = m_timeoutMs > 0;
    m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_timeoutMs);
    m_steps = 0;
    m_timedOut = false;
}

void Interpreter::checkDeadline()
{
    if (m_timedOut || m_stopRequested.load(std::memory_order_relaxed)
        || (m_deadlineActive && std::chrono::steady_clock::now() > m_deadline)) {
        // Latched: every later check of this run fails too, so code that
        // swallowed the error (a terminator) cannot go on.
        m_timedOut = true;
        raise(Err::TimedOut);
    }
}

void Interpreter::resolveUnit(Module* module, Unit& unit, Frame* scope) { Resolver(*this, module, unit, scope).run(); }

std::shared_ptr<Unit> Interpreter::compile(Module* module, std::string_view code)
{
    std::shared_ptr<Unit> unit(parseUnit(code, m_interner).release());
    resolveUnit(module, *unit, nullptr);
    module->units.push_back(unit);
    return unit;
}

void Interpreter::runUnit(Module* module, Unit& unit)
{
    CallGuard guard(*this);
    Frame f;
    f.module = module;
    f.unit = &unit;
    Frame* saved = m_frame;
    m_frame = &f;
    ++m_depth;
    try {
        execBlock(unit.body);
    } catch (...) {
        --m_depth;
        m_frame = saved;
        throw;
    }
    --m_depth;
    m_frame = saved;
    guard.finish();
}

void Interpreter::addCode(Module* module, std::string_view code)
{
    std::shared_ptr<Unit> unit = compile(module, code);
    runUnit(module, *unit);
}

Variant Interpreter::run(Module* module, const std::string& procedure, std::span<Variant> args)
{
    Symbol s = symbol(procedure);
    Cell* c = cellFor(module, s);
    Cell* live = liveCell(c);
    if (!live || live->kind != CellKind::Procedure) {
        // Report a missing procedure like a call to an unknown name.
        raiseCustom(static_cast<int>(Err::SubNotDefined), std::string(errorMessage(35)),
                    std::string(RuntimeErrorSource));
    }
    CallGuard guard(*this);
    Variant result = callProcedure(live->proc, nullptr, module, args);
    guard.finish();
    return result;
}

Variant Interpreter::eval(Module* module, std::string_view expression)
{
    CallGuard guard(*this);
    std::shared_ptr<Unit> unit(parseExpressionUnit(expression, m_interner).release());
    resolveUnit(module, *unit, nullptr);
    Frame f;
    f.module = module;
    f.unit = unit.get();
    Frame* saved = m_frame;
    m_frame = &f;
    ++m_depth;
    Variant r;
    try {
        r = eval(static_cast<CallStmt*>(unit->body.front().get())->call.get());
    } catch (ScriptException& ex) {
        --m_depth;
        m_frame = saved;
        if (!ex.positioned()) {
            ex.error().line = 1;
            ex.error().column = 1;
            ex.error().lineText = std::string(expression);
        }
        throw;
    } catch (...) {
        --m_depth;
        m_frame = saved;
        throw;
    }
    --m_depth;
    m_frame = saved;
    guard.finish();
    return r;
}

void Interpreter::execute(Module* module, std::string_view code) { addCode(module, code); }

// ---- Calls.

Variant Interpreter::invokeFrame(ProcDef* proc, ScriptObject* me, Module* module, Variant** argRefs, size_t argc)
{
    if (argc != proc->params.size())
        raise(Err::WrongArgCount);
    // Entered from outside any run (a host calling a script object, a
    // terminator after the last release): this call is a run of its own,
    // which lasts until its locals are given back.
    std::optional<RunScope> run;
    if (m_depth == 0) {
        char probe = 0;
        m_stackBase = reinterpret_cast<uintptr_t>(&probe);
        m_stackFloor = stackFloor();
        run.emplace(*this);
    }
    SlotScope frameSlots(*this, static_cast<size_t>(proc->slotCount));
    Variant* own = frameSlots.data();
    Variant** refs = frameSlots.ownRefs();
    for (size_t i = 0; i < argc; ++i) {
        const Param& p = proc->params[i];
        if (p.byRef)
            refs[i + 1] = argRefs[i];
        else
            own[i + 1] = *argRefs[i];
    }
    return runFrame(proc, me, module, own, refs);
}

Variant Interpreter::runFrame(ProcDef* proc, ScriptObject* me, Module* module, Variant* own, Variant** refs)
{
    char probe = 0;
    uintptr_t here = reinterpret_cast<uintptr_t>(&probe);
    if (m_timedOut)
        raise(Err::TimedOut);
    if (m_depth >= MaxDepth || here < m_stackFloor || (m_stackBase > here && m_stackBase - here > StackBudget))
        raise(Err::OutOfStack);
    tick();
    Frame f;
    f.proc = proc;
    f.refs = refs;
    f.me = me;
    f.module = module;
    f.unit = proc->unit;
    Frame* saved = m_frame;
    m_frame = &f;
    ++m_depth;
    // Leaves the frame before its slots are given back.
    struct Cleanup {
        Interpreter& in;
        Frame* saved;
        ~Cleanup()
        {
            --in.m_depth;
            in.m_frame = saved;
        }
    } cleanup{*this, saved};
    execBlock(proc->body);
    Variant result = std::move(own[0]);
    return result;
}

Variant Interpreter::callProcedure(ProcDef* proc, ScriptObject* me, Module* module, std::span<Variant> args)
{
    if (!args.empty() && proc->params.empty() && proc->returnsValue()) {
        Variant result = callProcedure(proc, me, module, {});
        return callOnValue(result, args, true);
    }
    Variant* ptrs[32];
    std::vector<Variant*> big;
    Variant** refs = ptrs;
    if (args.size() > 32) {
        big.resize(args.size());
        refs = big.data();
    }
    for (size_t i = 0; i < args.size(); ++i)
        refs[i] = &args[i];
    if (!module)
        module = m_frame ? m_frame->module : globalModule();
    return invokeFrame(proc, me, module, refs, args.size());
}

Variant Interpreter::invokeMember(ScriptObject* self, int id, InvokeKind kind, std::span<Variant> args)
{
    ClassDef* cls = self->classDef();
    if (id < 0 || id >= static_cast<int>(cls->members.size()))
        raise(Err::NoSuchMember);
    const ClassMember& m = cls->members[static_cast<size_t>(id)];
    if (id == 0 && cls->defaultMember < 0)
        raise(Err::NoSuchMember);
    Module* module = m_frame ? m_frame->module : globalModule();
    Ref<Object> keep(self);
    if (kind & (InvokeLet | InvokeSet)) {
        if (m.field >= 0) {
            Variant& field = self->fields[static_cast<size_t>(m.field)];
            Variant value = args.back();
            if (args.size() == 1) {
                storeValue(field, std::move(value), (kind & InvokeSet) != 0);
                return {};
            }
            if (field.isArray()) {
                Variant* el = elementRef(field, args.first(args.size() - 1), true);
                storeValue(*el, std::move(value), false);
                return {};
            }
            if (field.isObject() && field.rawObject()) {
                std::vector<Variant> a(args.begin(), args.end());
                return field.rawObject()->invoke(DefaultMemberId, kind, a);
            }
            raise(Err::TypeMismatch);
        }
        ProcDef* p = (kind & InvokeSet) ? m.set : m.let;
        if (!p && (kind & InvokeSet) && !m.set && m.let)
            p = nullptr;
        if (!p)
            raise(m.get || m.method ? Err::WrongArgCount : Err::NoSuchMember);
        return callProcedure(p, self, module, args);
    }
    if (m.field >= 0) {
        Variant& field = self->fields[static_cast<size_t>(m.field)];
        if (args.empty())
            return field;
        if (field.isArray())
            return *elementRef(field, args, false);
        return callOnValue(field, args, true);
    }
    if (m.method)
        return callProcedure(m.method, self, module, args);
    if (m.get)
        return callProcedure(m.get, self, module, args);
    raise(Err::NoSuchMember);
}

void Interpreter::terminate(ScriptObject* self) noexcept
{
    // Class_Terminate's errors are not reported: the object is going anyway.
    Frame* saved = m_frame;
    try {
        callProcedure(self->classDef()->terminate, self, saved ? saved->module : globalModule(), {});
    } catch (...) {}
    m_frame = saved;
}

Variant Interpreter::newScriptObject(ClassDef* cls, Module* module)
{
    (void)module;
    auto* obj = new ScriptObject(this, cls, findUnitOf(cls));
    Variant v = Variant::object(obj);
    for (size_t i = 0; i < cls->fields.size(); ++i) {
        const FieldDef& f = cls->fields[i];
        if (f.hasBounds) {
            ArrayRep* rep = newArray(f.ubounds);
            rep->fixed = true;
            obj->fields[i] = Variant::array(rep);
        }
    }
    if (cls->initialize)
        callProcedure(cls->initialize, obj, module, {});
    return v;
}

std::shared_ptr<Unit> Interpreter::findUnitOf(ClassDef* cls)
{
    for (auto* list : {&m_modules, &m_graveyard})
        for (auto& m : *list)
            for (auto& u : m->units)
                for (auto& c : u->classes)
                    if (c.get() == cls)
                        return u;
    return nullptr;
}

// ---- Context.

int Interpreter::msgBox(const std::string& prompt, int buttons, const std::string& title)
{
    if (m_callbacks.msgBox)
        return m_callbacks.msgBox(prompt, buttons, title);
    return 1;
}

Variant Interpreter::inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText)
{
    if (m_callbacks.inputBox)
        return m_callbacks.inputBox(prompt, title, defaultText);
    return Variant::string(defaultText);
}

// Rnd follows the classic 24-bit linear congruential generator, so a seeded
// sequence (Rnd(-1) then Randomize n) repeats from run to run. The state is the
// last number: Rnd(0) repeats it (before any call, the initial seed's value).
float Interpreter::rnd(const Variant* argument)
{
    if (argument) {
        if (argument->isNull())
            raise(Err::InvalidNull);
        double x = argument->toDouble();
        if (std::fabs(x) > std::numeric_limits<float>::max())
            raise(Err::Overflow);
        // The argument is a Single: its value and bits decide, not the Double's.
        float f = static_cast<float>(x);
        if (f == 0)
            return static_cast<float>(m_rndState) / 16777216.0f;
        if (f < 0) {
            uint32_t bits;
            std::memcpy(&bits, &f, 4);
            m_rndState = (bits + (bits >> 24)) & 0xFFFFFF;
        }
    }
    m_rndState = (m_rndState * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFF;
    return static_cast<float>(m_rndState) / 16777216.0f;
}

void Interpreter::randomize(const Variant* seed)
{
    // Without a number the seed is Timer, the Single count of seconds since
    // midnight, as VBScript takes it.
    if (seed && seed->isNull())
        raise(Err::InvalidNull);
    double s = seed ? seed->toDouble() : static_cast<double>(static_cast<float>(timerSeconds()));
    uint64_t bits;
    std::memcpy(&bits, &s, 8);
    uint32_t hi = static_cast<uint32_t>(bits >> 32);
    hi ^= (hi >> 16);
    m_rndState = (m_rndState & 0xFF) | ((hi & 0xFFFF) << 8);
    m_rndState &= 0xFFFFFF;
}

Variant Interpreter::createObject(const std::string& progId)
{
    if (ObjectFactory f = m_registry.progIdFactory(progId))
        return Variant::object(f(*this).get());
    if (m_callbacks.createObject) {
        Ref<Object> o = m_callbacks.createObject(progId);
        if (o)
            return Variant::object(o.get());
    }
    raise(Err::CantCreateObject);
}

Variant Interpreter::evalText(const std::string& expression)
{
    guardStack();
    Module* module = m_frame ? m_frame->module : globalModule();
    std::shared_ptr<Unit> unit(parseExpressionUnit(expression, m_interner).release());
    resolveUnit(module, *unit, m_frame);
    return eval(static_cast<CallStmt*>(unit->body.front().get())->call.get());
}

void Interpreter::executeText(const std::string& code, bool global)
{
    guardStack();
    Module* module = m_frame ? m_frame->module : globalModule();
    std::shared_ptr<Unit> unit(parseUnit(code, m_interner).release());
    Frame* scope = global ? nullptr : m_frame;
    if (scope && !scope->proc)
        scope = nullptr;
    resolveUnit(module, *unit, scope);
    if (!unit->procs.empty() || !unit->classes.empty())
        module->units.push_back(unit);
    Frame f;
    if (scope) {
        // Local Execute runs in the caller's frame, seeing its variables.
        f = *scope;
        f.resumeNext = false;
        f.withStack = nullptr;
    } else {
        f.module = module;
    }
    f.unit = unit.get();
    struct Restore {
        Interpreter& in;
        Frame* saved;
        ~Restore() { in.m_frame = saved; }
    } restore{*this, m_frame};
    m_frame = &f;
    execBlock(unit->body);
}

Variant Interpreter::getRef(const std::string& procedureName)
{
    Module* module = m_frame ? m_frame->module : globalModule();
    Cell* c = liveCell(cellFor(module, symbol(procedureName)));
    if (!c || c->kind != CellKind::Procedure)
        raise(Err::InvalidCall);
    std::shared_ptr<Unit> unit;
    for (auto& m : m_modules)
        for (auto& u : m->units)
            for (auto& p : u->procs)
                if (p.get() == c->proc)
                    unit = u;
    return Variant::object(new ProcRef(this, c->proc, module, unit));
}

} // namespace ravelin::vbs
