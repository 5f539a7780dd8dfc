// ScriptControl: the host boundary, the second of the two places errors are caught.
#include "vbscript/ScriptControl.h"

#include "vbscript/Interpreter.h"

#include <new>

namespace ravelin::vbs {

ScriptControl::ScriptControl() : m_engine(std::make_unique<Interpreter>()) {}

ScriptControl::~ScriptControl() = default;

template <typename F>
bool ScriptControl::guarded(F&& body)
{
    m_error = ScriptError{};
    try {
        body();
        return true;
    } catch (ScriptException& ex) {
        m_error = ex.error();
        if (m_error.source.empty())
            m_error.source = std::string(isCompileError(m_error.number) ? CompileErrorSource : RuntimeErrorSource);
    } catch (const std::bad_alloc&) {
        m_error.number = static_cast<int>(Err::OutOfMemory);
        m_error.description = std::string(errorMessage(m_error.number));
        m_error.source = std::string(RuntimeErrorSource);
    } catch (const std::exception& ex) {
        m_error.number = static_cast<int>(Err::Internal);
        m_error.description = std::string(errorMessage(m_error.number)) + ": " + ex.what();
        m_error.source = std::string(RuntimeErrorSource);
    } catch (...) {
        m_error.number = static_cast<int>(Err::Internal);
        m_error.description = std::string(errorMessage(m_error.number));
        m_error.source = std::string(RuntimeErrorSource);
    }
    if (m_error.number == 0)
        m_error.number = static_cast<int>(Err::Internal);
    return false;
}

Module* ScriptControl::moduleFor(const std::string& name, bool create)
{
    if (name == GlobalModuleName)
        return m_engine->globalModule();
    Module* m = m_engine->findModule(name);
    if (!m && create)
        m = m_engine->addModule(name);
    return m;
}

void ScriptControl::reset()
{
    guarded([&] { m_engine->reset(); });
}

bool ScriptControl::addObject(const std::string& name, Ref<Object> object, bool addMembers)
{
    return guarded([&] {
        if (!object)
            raise(Err::ObjectRequired);
        m_engine->addObject(name, std::move(object), addMembers);
    });
}

bool ScriptControl::addCode(const std::string& code, const std::string& module)
{
    return guarded([&] {
        Module* m = moduleFor(module, true);
        std::shared_ptr<Unit> unit = m_engine->compile(m, code);
        try {
            m_engine->runUnit(m, *unit);
        } catch (ScriptException& ex) {
            if (ex.error().lineText.empty() && ex.error().line > 0)
                ex.error().lineText = unit->lineText(ex.error().line);
            throw;
        }
    });
}

bool ScriptControl::addModule(const std::string& name)
{
    return guarded([&] { moduleFor(name, true); });
}

bool ScriptControl::hasModule(const std::string& name) const
{
    return name == GlobalModuleName || m_engine->findModule(name) != nullptr;
}

std::vector<ModuleInfo> ScriptControl::modules() const
{
    std::vector<ModuleInfo> out;
    for (Module* m : m_engine->modules())
        out.push_back({m->name, m_engine->procedures(m)});
    return out;
}

std::vector<ProcInfo> ScriptControl::procedures(const std::string& module) const
{
    Module* m = module == GlobalModuleName ? m_engine->globalModule() : m_engine->findModule(module);
    return m ? m_engine->procedures(m) : std::vector<ProcInfo>{};
}

std::optional<Variant> ScriptControl::run(const std::string& module, const std::string& procedure,
                                          std::vector<Variant>& args)
{
    Variant result;
    bool ok = guarded([&] {
        Module* m = moduleFor(module, false);
        if (!m)
            raise(Err::SubNotDefined);
        result = m_engine->run(m, procedure, args);
    });
    if (!ok)
        return std::nullopt;
    return result;
}

std::optional<Variant> ScriptControl::run(const std::string& module, const std::string& procedure,
                                          std::vector<Variant>&& args)
{
    std::vector<Variant> local = std::move(args);
    return run(module, procedure, local);
}

std::optional<Variant> ScriptControl::eval(const std::string& expression, const std::string& module)
{
    Variant result;
    bool ok = guarded([&] {
        Module* m = moduleFor(module, false);
        if (!m)
            raise(Err::InvalidCall);
        result = m_engine->eval(m, expression);
    });
    if (!ok)
        return std::nullopt;
    return result;
}

bool ScriptControl::executeStatement(const std::string& statement, const std::string& module)
{
    return addCode(statement, module);
}

void ScriptControl::setTimeout(int milliseconds) { m_engine->setTimeout(milliseconds < 0 ? 0 : milliseconds); }

int ScriptControl::timeout() const { return m_engine->timeout(); }

void ScriptControl::requestStop() { m_engine->requestStop(); }

std::optional<std::string> ScriptControl::dump(const std::string& code)
{
    std::string text;
    bool ok = guarded([&] { text = m_engine->dump(*m_engine->compile(m_engine->globalModule(), code)); });
    if (!ok)
        return std::nullopt;
    return text;
}

HostCallbacks& ScriptControl::callbacks() { return m_engine->callbacks(); }

} // namespace ravelin::vbs
