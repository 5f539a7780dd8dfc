// Operators: result typing and Null rules of each operator.
#include "vbscript/Operators.h"

#include "vbscript/Errors.h"
#include "vbscript/Object.h"

#include <cmath>
#include <cstdint>

namespace ravelin::vbs {

namespace {

// Integer-class rank: 0 Byte, 1 Integer, 2 Long; -1 not integer-class.
int intRank(VT t)
{
    switch (t) {
    case VT::Byte: return 0;
    case VT::Empty:
    case VT::Boolean:
    case VT::Integer: return 1;
    case VT::Long: return 2;
    default: return -1;
    }
}

int64_t intValue(const Variant& v)
{
    switch (v.type()) {
    case VT::Byte: return v.rawByte();
    case VT::Boolean:
    case VT::Integer: return v.rawInt16();
    case VT::Long: return v.rawInt32();
    default: return 0;
    }
}

Variant fitInteger(int64_t r, int rank)
{
    if (rank == 0 && r >= 0 && r <= 255)
        return Variant::byte(static_cast<uint8_t>(r));
    if (rank <= 1 && r >= -32768 && r <= 32767)
        return Variant::integer(static_cast<int16_t>(r));
    if (r >= INT32_MIN && r <= INT32_MAX)
        return Variant::longInt(static_cast<int32_t>(r));
    return Variant::dbl(static_cast<double>(r));
}

// Strings in arithmetic become Doubles (error 13 when not numeric).
Variant numericOperand(const Variant& v)
{
    if (v.type() == VT::String)
        return Variant::dbl(v.toDouble());
    if (v.isObject())
        return numericOperand(v.dereferenced());
    if (v.isArray() || v.type() == VT::Error)
        raise(Err::TypeMismatch);
    return v;
}

Variant arithmetic(Op op, const Variant& a0, const Variant& b0)
{
    Variant a = numericOperand(a0), b = numericOperand(b0);
    VT ta = a.type(), tb = b.type();
    int ra = intRank(ta), rb = intRank(tb);
    if (ra >= 0 && rb >= 0) {
        int64_t x = intValue(a), y = intValue(b);
        int64_t r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
        int rank = std::max(ra, rb);
        if (rank == 0 && (ta != VT::Byte || tb != VT::Byte))
            rank = 1;
        return fitInteger(r, rank);
    }
    if (ta == VT::Date || tb == VT::Date) {
        double x = a.toDouble(), y = b.toDouble();
        double r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
        if (op == Op::Sub && ta == VT::Date && tb == VT::Date)
            return Variant::dbl(r);
        if (op == Op::Mul)
            return Variant::dbl(r);
        return Variant::date(r);
    }
    bool floatA = ta == VT::Double || ta == VT::Single, floatB = tb == VT::Double || tb == VT::Single;
    if ((ta == VT::Currency || tb == VT::Currency) && !floatA && !floatB) {
        int64_t x = a.toCurrency(), y = b.toCurrency();
        if (op == Op::Mul) {
            double r = static_cast<double>(x) * static_cast<double>(y) / 10000.0;
            if (std::fabs(r) >= 9.2233720368547758e18)
                raise(Err::Overflow);
            return Variant::currency(static_cast<int64_t>(roundHalfEven(r)));
        }
        int64_t r;
        if (__builtin_add_overflow(x, op == Op::Sub ? -y : y, &r))
            raise(Err::Overflow);
        return Variant::currency(r);
    }
    double x = a.toDouble(), y = b.toDouble();
    double r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
    // Single with Single or with Byte/Integer stays Single; anything wider is Double.
    bool single =
        (ta == VT::Single && (tb == VT::Single || rb == 0 || rb == 1)) || (tb == VT::Single && (ra == 0 || ra == 1));
    if (single && std::fabs(r) <= 3.402823466e38)
        return Variant::single(static_cast<float>(r));
    if (std::isinf(r) && std::isfinite(x) && std::isfinite(y))
        raise(Err::Overflow);
    return Variant::dbl(r);
}

// Rounded integer operand of \ and Mod, with the widest operand's rank.
int64_t integerOperand(const Variant& v, int& rank)
{
    Variant n = numericOperand(v);
    int r = intRank(n.type());
    if (r < 0)
        r = 2;
    rank = std::max(rank, r);
    if (intRank(n.type()) >= 0)
        return intValue(n);
    double d = roundHalfEven(n.toDouble());
    if (!(d >= -2147483648.0 && d <= 2147483647.0))
        raise(Err::Overflow);
    return static_cast<int64_t>(d);
}

Variant intDivMod(Op op, const Variant& a, const Variant& b)
{
    int rank = -1;
    bool bothByte = numericOperand(a).type() == VT::Byte && numericOperand(b).type() == VT::Byte;
    int64_t x = integerOperand(a, rank), y = integerOperand(b, rank);
    if (y == 0)
        raise(Err::DivisionByZero);
    int64_t r = op == Op::IntDiv ? x / y : x % y;
    if (rank == 0 && !bothByte)
        rank = 1;
    return fitInteger(r, rank);
}

// Logical/bitwise operand: Booleans stay Booleans, the rest become integers.
bool isBoolish(const Variant& v) { return v.type() == VT::Boolean; }

int64_t bitsOf(const Variant& v, int& rank)
{
    if (v.type() == VT::String) {
        double d;
        if (parseNumber(v.rawString(), d)) {
            rank = 2;
            double r = roundHalfEven(d);
            if (!(r >= -2147483648.0 && r <= 2147483647.0))
                raise(Err::Overflow);
            return static_cast<int64_t>(r);
        }
        rank = std::max(rank, 1);
        return v.toBool() ? -1 : 0;
    }
    Variant n = numericOperand(v);
    int r = intRank(n.type());
    rank = std::max(rank, r < 0 ? 2 : r);
    if (r >= 0)
        return intValue(n);
    return n.toLong();
}

Variant logical(Op op, const Variant& a0, const Variant& b0)
{
    Variant a = a0.isObject() ? a0.dereferenced() : a0;
    Variant b = b0.isObject() ? b0.dereferenced() : b0;
    bool na = a.isNull(), nb = b.isNull();
    if (na || nb) {
        if (na && nb)
            return Variant::null();
        const Variant& x = na ? b : a;
        int rank = 1;
        int64_t bits = bitsOf(x, rank);
        switch (op) {
        case Op::And:
            if (bits == 0)
                return isBoolish(x) ? Variant::boolean(false) : fitInteger(0, rank);
            return Variant::null();
        case Op::Or:
            if (bits == -1)
                return isBoolish(x) ? Variant::boolean(true) : fitInteger(-1, rank);
            return Variant::null();
        case Op::Imp:
            if (na && bits == -1) // Null Imp True
                return isBoolish(x) ? Variant::boolean(true) : fitInteger(-1, rank);
            if (nb && bits == 0) // False Imp Null
                return isBoolish(x) ? Variant::boolean(true) : fitInteger(-1, rank);
            return Variant::null();
        default: return Variant::null();
        }
    }
    int rank = -1;
    int64_t x = bitsOf(a, rank), y = bitsOf(b, rank);
    int64_t r = 0;
    switch (op) {
    case Op::And: r = x & y; break;
    case Op::Or: r = x | y; break;
    case Op::Xor: r = x ^ y; break;
    case Op::Eqv: r = ~(x ^ y); break;
    case Op::Imp: r = (~x) | y; break;
    default: break;
    }
    if (isBoolish(a) && isBoolish(b))
        return Variant::boolean(r != 0);
    if (rank == 0 && !(a.type() == VT::Byte && b.type() == VT::Byte))
        rank = 1;
    if (rank == 0)
        return Variant::byte(static_cast<uint8_t>(r & 0xFF));
    if (rank <= 1)
        return Variant::integer(static_cast<int16_t>(r));
    return Variant::longInt(static_cast<int32_t>(r));
}

} // namespace

Variant binaryOp(Op op, const Variant& a, const Variant& b, bool leftLiteral, bool rightLiteral)
{
    switch (op) {
    case Op::Add: {
        if (a.isNull() || b.isNull())
            return Variant::null();
        const Variant& x = a;
        const Variant& y = b;
        if (x.isObject() || y.isObject())
            return binaryOp(op, x.dereferenced(), y.dereferenced());
        if (x.isString() && y.isString())
            return concatStrings(x.rawString(), y.rawString());
        if (x.isString() && y.isEmpty())
            return x;
        if (y.isString() && x.isEmpty())
            return y;
        return arithmetic(op, x, y);
    }
    case Op::Sub:
    case Op::Mul:
        if (a.isNull() || b.isNull())
            return Variant::null();
        return arithmetic(op, a, b);
    case Op::Div: {
        if (a.isNull() || b.isNull())
            return Variant::null();
        Variant x = numericOperand(a), y = numericOperand(b);
        double d = y.toDouble();
        double n = x.toDouble();
        if (d == 0) {
            if (n == 0)
                raise(Err::Overflow);
            raise(Err::DivisionByZero);
        }
        double r = n / d;
        if (std::isinf(r))
            raise(Err::Overflow);
        if ((x.type() == VT::Single || intRank(x.type()) == 0 || intRank(x.type()) == 1) && y.type() == VT::Single)
            return Variant::single(static_cast<float>(r));
        return Variant::dbl(r);
    }
    case Op::IntDiv:
    case Op::Mod:
        if (a.isNull() || b.isNull())
            return Variant::null();
        return intDivMod(op, a, b);
    case Op::Pow: {
        if (a.isNull() || b.isNull())
            return Variant::null();
        double x = numericOperand(a).toDouble(), y = numericOperand(b).toDouble();
        if (x == 0 && y < 0)
            raise(Err::InvalidCall);
        double r = std::pow(x, y);
        if (std::isnan(r))
            raise(Err::InvalidCall);
        if (std::isinf(r))
            raise(Err::Overflow);
        return Variant::dbl(r);
    }
    case Op::Concat: {
        if (a.isNull() && b.isNull())
            return Variant::null();
        if (a.isString() && b.isString()) {
            return concatStrings(a.rawString(), b.rawString());
        }
        std::string left = a.toText(), right = b.toText();
        checkStringLength(left.size() + right.size());
        return Variant::string(left + right);
    }
    case Op::Eq:
    case Op::Ne:
    case Op::Lt:
    case Op::Gt:
    case Op::Le:
    case Op::Ge: {
        bool isNull;
        int c = compareVariants(a, b, CompareMode::Binary, isNull, leftLiteral, rightLiteral);
        if (isNull)
            return Variant::null();
        bool r = false;
        switch (op) {
        case Op::Eq: r = c == 0; break;
        case Op::Ne: r = c != 0; break;
        case Op::Lt: r = c < 0; break;
        case Op::Gt: r = c > 0; break;
        case Op::Le: r = c <= 0; break;
        default: r = c >= 0; break;
        }
        return Variant::boolean(r);
    }
    case Op::Is:
        if (!a.isObject() || !b.isObject())
            raise(Err::ObjectRequired);
        return Variant::boolean(a.rawObject() == b.rawObject());
    case Op::And:
    case Op::Or:
    case Op::Xor:
    case Op::Eqv:
    case Op::Imp: return logical(op, a, b);
    default: raise(Err::Internal);
    }
}

Variant unaryOp(Op op, const Variant& a0)
{
    const Variant a = a0.isObject() ? a0.dereferenced() : a0;
    if (a.isNull())
        return Variant::null();
    if (op == Op::Neg) {
        switch (a.type()) {
        case VT::Empty: return Variant::integer(0);
        case VT::Boolean:
        case VT::Integer: return Variant::widenedInteger(-static_cast<int64_t>(a.rawInt16()));
        case VT::Byte: return Variant::widenedInteger(-static_cast<int64_t>(a.rawByte()));
        case VT::Long: return Variant::fromInt64(-static_cast<int64_t>(a.rawInt32()));
        case VT::Single: return Variant::single(-a.rawSingle());
        case VT::Double: return Variant::dbl(-a.rawDouble());
        case VT::Date: return Variant::date(-a.rawDouble());
        case VT::Currency:
            if (a.rawCurrency() == INT64_MIN)
                raise(Err::Overflow);
            return Variant::currency(-a.rawCurrency());
        case VT::String: return Variant::dbl(-a.toDouble());
        default: raise(Err::TypeMismatch);
        }
    }
    // Not
    switch (a.type()) {
    case VT::Boolean: return Variant::boolean(!a.rawBool());
    case VT::Empty: return Variant::integer(-1);
    case VT::Byte: return Variant::byte(static_cast<uint8_t>(~a.rawByte()));
    case VT::Integer: return Variant::integer(static_cast<int16_t>(~a.rawInt16()));
    case VT::Long: return Variant::longInt(~a.rawInt32());
    case VT::String: {
        double d;
        if (parseNumber(a.rawString(), d))
            return Variant::longInt(~a.toLong());
        return Variant::boolean(!a.toBool());
    }
    default: return Variant::longInt(~a.toLong());
    }
}

bool truth(const Variant& v)
{
    switch (v.type()) {
    case VT::Boolean:
    case VT::Integer: return v.rawInt16() != 0;
    case VT::Long: return v.rawInt32() != 0;
    case VT::Null: return false;
    default: return v.toBool();
    }
}

} // namespace ravelin::vbs
