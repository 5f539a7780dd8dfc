// The syntax tree, and after resolution the compiled form the interpreter runs.
//
// The parser builds these nodes with names as interned symbols; the resolver
// (Resolver.cpp) then fills each name's `Binding`: a local slot, a field of
// the running object, a global cell, a built-in, a member of `Me`. Once bound,
// nothing looks a name up by text while the script runs. Every node keeps its
// line and column, which is the position table run-time errors are reported
// from. Trade-off: a tree walked directly is slower than bytecode, but it keeps
// ByRef, With, For Each and On Error as plain C++ control flow.
#pragma once

#include "vbscript/Lexer.h"
#include "vbscript/Variant.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace ravelin::vbs {

struct Cell;
struct ProcDef;
struct ClassDef;
struct Unit;

enum class BindKind : uint8_t {
    Unbound,
    Local, // frame slot
    Field, // field of Me (class code)
    MeMember, // method or property of Me by member id (class code)
    Global, // module cell
    Builtin, // built-in function by registry index
    Constant, // folded constant value (in Expr::value)
};

struct Binding {
    BindKind kind = BindKind::Unbound;
    int index = 0; // slot, field, member id or built-in index
    Cell* cell = nullptr; // Global
};

#define RAVELIN_VBS_EXPRS(X) X(Literal) X(Name) X(Member) X(Call) X(Unary) X(Binary) X(New) X(Me) X(Paren) X(Missing)

enum class ExprKind : uint8_t {
#define RAVELIN_VBS_EXPR_ENUM(n) n,
    RAVELIN_VBS_EXPRS(RAVELIN_VBS_EXPR_ENUM)
#undef RAVELIN_VBS_EXPR_ENUM
};

#define RAVELIN_VBS_OPS(X)                                                                                             \
    X(Neg, "neg")                                                                                                      \
    X(Not, "not")                                                                                                      \
    X(Pow, "^") X(Mul, "*") X(Div, "/") X(IntDiv, "\\") X(Mod, "mod") X(Add, "+") X(Sub, "-") X(Concat, "&")           \
        X(Eq, "=") X(Ne, "<>") X(Lt, "<") X(Gt, ">") X(Le, "<=") X(Ge, ">=") X(Is, "is") X(And, "and") X(Or, "or")     \
            X(Xor, "xor") X(Eqv, "eqv") X(Imp, "imp")

enum class Op : uint8_t {
#define RAVELIN_VBS_OP_ENUM(n, t) n,
    RAVELIN_VBS_OPS(RAVELIN_VBS_OP_ENUM)
#undef RAVELIN_VBS_OP_ENUM
};

struct Expr {
    ExprKind kind;
    int line = 0;
    int column = 0;
    int depth = 1; // height of the tree below, bounded by the parser
    explicit Expr(ExprKind k) : kind(k) {}
    virtual ~Expr() = default;
};
using ExprP = std::unique_ptr<Expr>;

struct LiteralExpr : Expr {
    LiteralExpr() : Expr(ExprKind::Literal) {}
    Variant value;
    bool typedLiteral = false; // a number, string, date or Boolean written out: comparisons follow its type
};

struct NameExpr : Expr {
    NameExpr() : Expr(ExprKind::Name) {}
    Symbol name = 0;
    Binding bind;
    Variant constValue; // BindKind::Constant
};

// obj.name, or .name inside With (object == nullptr).
struct MemberExpr : Expr {
    MemberExpr() : Expr(ExprKind::Member) {}
    ExprP object;
    Symbol name = 0;
    int withDepth = 0; // for .name: which enclosing With (innermost = 1)
    // Call-site cache: member id for the last object table seen.
    mutable const void* cacheKey = nullptr;
    mutable int cacheId = -1;
};

// target(args) or a statement call `target args`.
struct CallExpr : Expr {
    CallExpr() : Expr(ExprKind::Call) {}
    ExprP target; // NameExpr or MemberExpr (or any expression for default-member calls)
    std::vector<ExprP> args;
};

struct UnaryExpr : Expr {
    UnaryExpr() : Expr(ExprKind::Unary) {}
    Op op = Op::Neg;
    ExprP operand;
};

// One step of an integer operator tree laid out flat (operands before their
// operator), so that it is worked out in one loop (Interpreter::peekIntBinary).
struct IntStep {
    enum Kind : uint8_t { Value, Local, Field, Global, Add, Sub, Mul, Mod, IntDiv };
    Kind kind = Value;
    int index = 0; // Local, Field
    const void* ptr = nullptr; // Value: the Variant; Global: the Cell
};

struct BinaryExpr : Expr {
    BinaryExpr() : Expr(ExprKind::Binary) {}
    Op op = Op::Add;
    // Whether the tree is integer operators over literals and variables only,
    // found on first use; the flat form is kept in intSteps.
    enum class IntShape : uint8_t { Unknown, Flat, No };
    mutable IntShape intShape = IntShape::Unknown;
    mutable std::vector<IntStep> intSteps;
    mutable uint8_t intMisses = 0; // see Interpreter::tryIntBinary
    ExprP left, right;
};

struct NewExpr : Expr {
    NewExpr() : Expr(ExprKind::New) {}
    Symbol className = 0;
    Cell* cell = nullptr; // script class cell, resolved
};

struct MeExpr : Expr {
    MeExpr() : Expr(ExprKind::Me) {}
};

struct ParenExpr : Expr {
    ParenExpr() : Expr(ExprKind::Paren) {}
    ExprP inner;
};

struct MissingExpr : Expr {
    MissingExpr() : Expr(ExprKind::Missing) {}
};

// ---- Statements.

#define RAVELIN_VBS_STMTS(X)                                                                                           \
    X(Call) X(Assign) X(ReDim) X(Erase) X(If) X(Select) X(For) X(ForEach) X(Do) X(With) X(OnError) X(Exit) X(Nop) X(Dim)

enum class StmtKind : uint8_t {
#define RAVELIN_VBS_STMT_ENUM(n) n,
    RAVELIN_VBS_STMTS(RAVELIN_VBS_STMT_ENUM)
#undef RAVELIN_VBS_STMT_ENUM
};

struct Stmt {
    StmtKind kind;
    int line = 0;
    int column = 0;
    explicit Stmt(StmtKind k) : kind(k) {}
    virtual ~Stmt() = default;
};
using StmtP = std::unique_ptr<Stmt>;
using Block = std::vector<StmtP>;

struct CallStmt : Stmt {
    CallStmt() : Stmt(StmtKind::Call) {}
    ExprP call; // CallExpr, NameExpr or MemberExpr
};

struct AssignStmt : Stmt {
    AssignStmt() : Stmt(StmtKind::Assign) {}
    ExprP target;
    ExprP value;
    bool isSet = false;
};

struct ReDimItem {
    ExprP target; // NameExpr
    std::vector<ExprP> bounds;
};

struct ReDimStmt : Stmt {
    ReDimStmt() : Stmt(StmtKind::ReDim) {}
    bool preserve = false;
    std::vector<ReDimItem> items;
};

// Dim of a fixed-size array: the array is made when the statement's scope starts.
struct DimStmt : Stmt {
    DimStmt() : Stmt(StmtKind::Dim) {}
    std::vector<ReDimItem> items;
};

struct EraseStmt : Stmt {
    EraseStmt() : Stmt(StmtKind::Erase) {}
    ExprP target;
};

struct IfStmt : Stmt {
    IfStmt() : Stmt(StmtKind::If) {}
    std::vector<std::pair<ExprP, Block>> branches;
    Block elseBlock;
    bool hasElse = false;
};

struct CaseTest {
    enum Kind : uint8_t { Value, Is, Range } kind = Value;
    Op op = Op::Eq;
    ExprP a, b;
};

struct SelectStmt : Stmt {
    SelectStmt() : Stmt(StmtKind::Select) {}
    ExprP subject;
    std::vector<std::pair<std::vector<CaseTest>, Block>> cases;
    Block elseBlock;
    bool hasElse = false;
};

struct ForStmt : Stmt {
    ForStmt() : Stmt(StmtKind::For) {}
    ExprP var; // NameExpr
    ExprP from, to, step;
    Block body;
};

struct ForEachStmt : Stmt {
    ForEachStmt() : Stmt(StmtKind::ForEach) {}
    ExprP var;
    ExprP collection;
    Block body;
};

struct DoStmt : Stmt {
    DoStmt() : Stmt(StmtKind::Do) {}
    ExprP cond; // may be null (endless)
    bool testFirst = true;
    bool until = false;
    Block body;
};

struct WithStmt : Stmt {
    WithStmt() : Stmt(StmtKind::With) {}
    ExprP object;
    Block body;
};

struct OnErrorStmt : Stmt {
    OnErrorStmt() : Stmt(StmtKind::OnError) {}
    bool resumeNext = false;
};

enum class ExitKind : uint8_t { Do, For, Sub, Function, Property };

struct ExitStmt : Stmt {
    ExitStmt() : Stmt(StmtKind::Exit) {}
    ExitKind what = ExitKind::Sub;
};

struct NopStmt : Stmt {
    NopStmt() : Stmt(StmtKind::Nop) {}
};

// ---- Declarations.

enum class ProcKind : uint8_t { Sub, Function, PropertyGet, PropertyLet, PropertySet };

struct Param {
    Symbol name = 0;
    bool byRef = true;
    bool isArray = false; // `a()` in the parameter list
    int line = 0; // of the name
    int column = 0;
};

struct ProcDef {
    ProcKind kind = ProcKind::Sub;
    Symbol name = 0;
    std::vector<Param> params;
    Block body;
    bool isPublic = true;
    bool isDefault = false;
    int line = 0;
    int column = 0;
    ClassDef* owner = nullptr;
    Unit* unit = nullptr;
    // Declarations seen by the parser (Dim, ReDim of undeclared names, Const).
    std::vector<Symbol> declaredLocals;
    std::vector<Symbol> redimNames; // locals only when no outer variable has the name
    std::vector<std::pair<Symbol, ExprP>> consts;
    // Filled by the resolver: slot 0 is the result, then parameters, then locals.
    int slotCount = 0;
    std::unordered_map<Symbol, int> localSlots;
    std::vector<Symbol> slotNames;
    bool returnsValue() const { return kind == ProcKind::Function || kind == ProcKind::PropertyGet; }
};
using ProcP = std::unique_ptr<ProcDef>;

struct FieldDef {
    Symbol name = 0;
    bool isPublic = true;
    std::vector<ExprP> bounds; // Dim a(3) inside a class
    bool hasBounds = false;
    std::vector<int32_t> ubounds; // the bounds folded at compile time: they must be constants
    int line = 0; // of the name
    int column = 0;
};

// One member of a class as seen through member ids.
struct ClassMember {
    Symbol name = 0;
    int field = -1; // public field index
    ProcDef* method = nullptr; // Sub or Function
    ProcDef* get = nullptr;
    ProcDef* let = nullptr;
    ProcDef* set = nullptr;
    bool isPublic = true;
};

struct ClassDef {
    Symbol name = 0;
    std::string spelling;
    int line = 0;
    std::vector<FieldDef> fields;
    std::vector<ProcP> procs;
    // Member ids: index into members; id 0 is the default member slot.
    std::vector<ClassMember> members;
    std::unordered_map<std::string, int> memberIds; // folded name → id
    int defaultMember = -1;
    ProcDef* initialize = nullptr;
    ProcDef* terminate = nullptr;
    std::unordered_map<Symbol, int> fieldIndex;
    std::unordered_map<Symbol, int> memberIndex;
};
using ClassP = std::unique_ptr<ClassDef>;

// One piece of compiled code (an AddCode text, an Execute string, a file).
struct Unit {
    std::string source;
    std::vector<std::string> lines;
    Block body; // top-level statements
    std::vector<ProcP> procs;
    std::vector<ClassP> classes;
    bool optionExplicit = false;
    int firstLine = 1;
    // Module-level declarations: variables (Dim/Public/Private) and constants.
    std::vector<Symbol> declaredGlobals;
    std::vector<std::pair<Symbol, ExprP>> consts;
    // Top-level code of Execute inside a procedure runs in that procedure's frame.
    ProcDef* hostProc = nullptr;
    std::string lineText(int line) const
    {
        int idx = line - firstLine;
        return idx >= 0 && idx < static_cast<int>(lines.size()) ? lines[static_cast<size_t>(idx)] : std::string();
    }
};

} // namespace ravelin::vbs
