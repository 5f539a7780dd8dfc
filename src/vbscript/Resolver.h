// Resolver: a parsed Unit in, the same Unit with every name bound out.
//
// VBScript lets code use procedures, classes and module variables before the
// text declaring them, so binding runs after the whole unit is parsed: first
// the unit's declarations enter the module (procedures, classes, variables,
// constants folded to values), then every procedure body and the top-level
// code are walked and each name gets its Binding: a frame slot, a field or
// member of Me, a module cell, a built-in, or a constant. A name still unknown
// binds to a module cell that the interpreter checks when the code runs (code
// added later may define it; Option Explicit then decides).
#pragma once

#include "vbscript/Ast.h"
#include "vbscript/Interpreter.h"

#include <unordered_set>
#include <vector>

namespace ravelin::vbs {

class Interpreter;
struct Module;
struct Frame;

class Resolver {
public:
    Resolver(Interpreter& in, Module* module, Unit& unit, Frame* scope);
    // Resolves the whole unit, or changes nothing in the module and throws.
    void run();

private:
    struct Scope;
    void declareImplicitGlobals(const Block& block);
    void declareImplicitLocals(ProcDef& proc);
    void declareClass(ClassDef& cls);
    void declareProcedure(ProcDef* proc);
    void prepareSlots(ProcDef& proc);
    void resolveBlock(Block& block, Scope& sc);
    void resolveStmt(Stmt* s, Scope& sc);
    void resolveExpr(Expr* e, Scope& sc);
    void resolveName(NameExpr* e, Scope& sc, int mode);
    void resolveTarget(Expr* e, Scope& sc);
    Variant fold(Expr* e);
    void resolve();
    Cell* touch(Cell* c);

    struct SavedCell {
        Cell* cell;
        CellKind kind;
        Variant value;
        ProcDef* proc;
        ClassDef* cls;
        Object* host;
        int hostId;
    };
    std::vector<SavedCell> m_undo;
    std::unordered_set<Cell*> m_saved;

    Interpreter& m_in;
    Module* m_module;
    Unit& m_unit;
    Frame* m_scope;
};

} // namespace ravelin::vbs
