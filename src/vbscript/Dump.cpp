// The compiled form as text (`ravelin-vbs --dump FILE`): every procedure with
// its slot table, every class with its member ids, and each statement with its
// position and the binding chosen for every name.
#include "vbscript/Interpreter.h"

#include <sstream>

namespace ravelin::vbs {

namespace {

const char* opName(Op op)
{
    switch (op) {
#define RAVELIN_VBS_OP_NAME(n, t)                                                                                      \
    case Op::n: return t;
        RAVELIN_VBS_OPS(RAVELIN_VBS_OP_NAME)
#undef RAVELIN_VBS_OP_NAME
    }
    return "?";
}

const char* stmtName(StmtKind k)
{
    switch (k) {
#define RAVELIN_VBS_STMT_NAME(n)                                                                                       \
    case StmtKind::n: return #n;
        RAVELIN_VBS_STMTS(RAVELIN_VBS_STMT_NAME)
#undef RAVELIN_VBS_STMT_NAME
    }
    return "?";
}

// Appends instead of `"(" + text + ")"`: GCC 12 at -O3 reports a false
// -Wrestrict overlap inside std::string for a literal prepended to a temporary.
std::string enclosed(const char* open, const std::string& inner, const char* close)
{
    std::string s = open;
    s += inner;
    s += close;
    return s;
}

class Dumper {
public:
    explicit Dumper(Interner& in) : m_in(in) {}

    void unit(const Unit& u)
    {
        if (u.optionExplicit)
            m_out << "option explicit\n";
        for (auto& c : u.classes)
            cls(*c);
        for (auto& p : u.procs)
            proc(*p, 0);
        m_out << "top level:\n";
        block(u.body, 1);
    }

    std::string text() const { return m_out.str(); }

private:
    void indent(int d)
    {
        for (int i = 0; i < d; ++i)
            m_out << "  ";
    }
    const std::string& name(Symbol s) { return m_in.spelling(s); }

    void cls(const ClassDef& c)
    {
        m_out << "class " << c.spelling << " (line " << c.line << ")\n";
        for (size_t i = 1; i < c.members.size(); ++i) {
            const ClassMember& m = c.members[i];
            m_out << "  member #" << i << " " << name(m.name) << (m.isPublic ? " public" : " private");
            if (m.field >= 0)
                m_out << " field " << m.field;
            if (m.method)
                m_out << " method";
            if (m.get)
                m_out << " get";
            if (m.let)
                m_out << " let";
            if (m.set)
                m_out << " set";
            if (static_cast<int>(i) == c.defaultMember)
                m_out << " default";
            m_out << "\n";
        }
        for (auto& p : c.procs)
            proc(*p, 1);
    }

    void proc(const ProcDef& p, int d)
    {
        static const char* kinds[] = {"sub", "function", "property get", "property let", "property set"};
        indent(d);
        m_out << kinds[static_cast<int>(p.kind)] << " " << name(p.name) << " (line " << p.line << ") slots:";
        for (size_t i = 0; i < p.slotNames.size(); ++i) {
            m_out << " " << i << "=" << (i == 0 ? std::string("result") : name(p.slotNames[i]));
            if (i >= 1 && i <= p.params.size())
                m_out << (p.params[i - 1].byRef ? "(byref)" : "(byval)");
        }
        m_out << "\n";
        block(p.body, d + 1);
    }

    void block(const Block& b, int d)
    {
        for (auto& s : b)
            stmt(*s, d);
    }

    void stmt(const Stmt& s, int d)
    {
        indent(d);
        m_out << s.line << ":" << s.column << " " << stmtName(s.kind);
        switch (s.kind) {
        case StmtKind::Call: m_out << " " << expr(*static_cast<const CallStmt&>(s).call) << "\n"; break;
        case StmtKind::Assign: {
            auto& a = static_cast<const AssignStmt&>(s);
            m_out << (a.isSet ? " set " : " ") << expr(*a.target) << " = " << expr(*a.value) << "\n";
            break;
        }
        case StmtKind::If: {
            auto& i = static_cast<const IfStmt&>(s);
            m_out << "\n";
            for (auto& [c, b] : i.branches) {
                indent(d + 1);
                m_out << "when " << expr(*c) << "\n";
                block(b, d + 2);
            }
            if (i.hasElse) {
                indent(d + 1);
                m_out << "else\n";
                block(i.elseBlock, d + 2);
            }
            break;
        }
        case StmtKind::For: {
            auto& f = static_cast<const ForStmt&>(s);
            m_out << " " << expr(*f.var) << " = " << expr(*f.from) << " to " << expr(*f.to);
            if (f.step)
                m_out << " step " << expr(*f.step);
            m_out << "\n";
            block(f.body, d + 1);
            break;
        }
        case StmtKind::ForEach: {
            auto& f = static_cast<const ForEachStmt&>(s);
            m_out << " " << expr(*f.var) << " in " << expr(*f.collection) << "\n";
            block(f.body, d + 1);
            break;
        }
        case StmtKind::Do: {
            auto& l = static_cast<const DoStmt&>(s);
            if (l.cond)
                m_out << (l.testFirst ? " pre-" : " post-") << (l.until ? "until " : "while ") << expr(*l.cond);
            m_out << "\n";
            block(l.body, d + 1);
            break;
        }
        case StmtKind::Select: {
            auto& sel = static_cast<const SelectStmt&>(s);
            m_out << " " << expr(*sel.subject) << "\n";
            for (auto& [tests, b] : sel.cases) {
                indent(d + 1);
                m_out << "case";
                for (auto& t : tests) {
                    m_out << " " << (t.kind == CaseTest::Is ? std::string("is ") + opName(t.op) + " " : "")
                          << expr(*t.a);
                    if (t.b)
                        m_out << " to " << expr(*t.b);
                }
                m_out << "\n";
                block(b, d + 2);
            }
            if (sel.hasElse) {
                indent(d + 1);
                m_out << "case else\n";
                block(sel.elseBlock, d + 2);
            }
            break;
        }
        case StmtKind::With: {
            auto& w = static_cast<const WithStmt&>(s);
            m_out << " " << expr(*w.object) << "\n";
            block(w.body, d + 1);
            break;
        }
        case StmtKind::ReDim:
        case StmtKind::Dim: {
            auto& items = s.kind == StmtKind::ReDim ? static_cast<const ReDimStmt&>(s).items
                                                    : static_cast<const DimStmt&>(s).items;
            if (s.kind == StmtKind::ReDim && static_cast<const ReDimStmt&>(s).preserve)
                m_out << " preserve";
            for (auto& it : items) {
                m_out << " " << expr(*it.target) << "(";
                for (size_t i = 0; i < it.bounds.size(); ++i)
                    m_out << (i ? ", " : "") << expr(*it.bounds[i]);
                m_out << ")";
            }
            m_out << "\n";
            break;
        }
        case StmtKind::Erase: m_out << " " << expr(*static_cast<const EraseStmt&>(s).target) << "\n"; break;
        case StmtKind::OnError:
            m_out << (static_cast<const OnErrorStmt&>(s).resumeNext ? " resume next\n" : " goto 0\n");
            break;
        case StmtKind::Exit: {
            static const char* w[] = {"do", "for", "sub", "function", "property"};
            m_out << " " << w[static_cast<int>(static_cast<const ExitStmt&>(s).what)] << "\n";
            break;
        }
        default: m_out << "\n";
        }
    }

    std::string binding(const NameExpr& n)
    {
        const std::string& nm = name(n.name);
        switch (n.bind.kind) {
        case BindKind::Local: return nm + "{local " + std::to_string(n.bind.index) + "}";
        case BindKind::Field: return nm + "{field " + std::to_string(n.bind.index) + "}";
        case BindKind::MeMember: return nm + "{me #" + std::to_string(n.bind.index) + "}";
        case BindKind::Global: return nm + "{global " + n.bind.cell->module->name + "}";
        case BindKind::Builtin: return nm + "{builtin}";
        case BindKind::Constant: return nm + "{const " + literal(n.constValue) + "}";
        default: return nm + "{?}";
        }
    }

    std::string literal(const Variant& v)
    {
        if (v.isString())
            return enclosed("\"", std::string(v.rawString()), "\"");
        if (v.isObject())
            return v.isNothing() ? "Nothing" : enclosed("<", v.typeName(), ">");
        if (v.isNull())
            return "Null";
        if (v.isEmpty())
            return "Empty";
        return v.toString() + ":" + v.typeName();
    }

    std::string expr(const Expr& e)
    {
        switch (e.kind) {
        case ExprKind::Literal: return literal(static_cast<const LiteralExpr&>(e).value);
        case ExprKind::Name: return binding(static_cast<const NameExpr&>(e));
        case ExprKind::Member: {
            auto& m = static_cast<const MemberExpr&>(e);
            return (m.object ? expr(*m.object) : std::string("<with>")) + "." + name(m.name);
        }
        case ExprKind::Call: {
            auto& c = static_cast<const CallExpr&>(e);
            std::string s = expr(*c.target) + "(";
            for (size_t i = 0; i < c.args.size(); ++i) {
                if (i)
                    s += ", ";
                s += expr(*c.args[i]);
            }
            return s + ")";
        }
        case ExprKind::Unary: {
            auto& u = static_cast<const UnaryExpr&>(e);
            return std::string("(") + opName(u.op) + " " + expr(*u.operand) + ")";
        }
        case ExprKind::Binary: {
            auto& b = static_cast<const BinaryExpr&>(e);
            std::string s = expr(*b.left);
            s += " ";
            s += opName(b.op);
            s += " ";
            s += expr(*b.right);
            return enclosed("(", s, ")");
        }
        case ExprKind::New: return "new " + name(static_cast<const NewExpr&>(e).className);
        case ExprKind::Me: return "Me";
        case ExprKind::Paren: return enclosed("[", expr(*static_cast<const ParenExpr&>(e).inner), "]");
        case ExprKind::Missing: return "<missing>";
        }
        return "?";
    }

    Interner& m_in;
    std::ostringstream m_out;
};

} // namespace

std::string Interpreter::dump(const Unit& unit)
{
    Dumper d(m_interner);
    d.unit(unit);
    return d.text();
}

} // namespace ravelin::vbs
