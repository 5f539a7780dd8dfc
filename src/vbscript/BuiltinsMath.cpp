// Maths built-ins: Int, Fix, Round (halves to even), Abs, Sgn and the
// transcendental functions, Rnd and Randomize. Results keep the argument's
// numeric subtype where VBScript does (Int(2) stays Integer, Abs of a
// Currency stays Currency); strings become Doubles.
#include "vbscript/Builtins.h"

#include <cmath>

namespace ravelin::vbs {

namespace {

using Args = std::span<Variant>;

// A numeric argument with strings made Doubles; Empty becomes Integer 0.
Variant numeric(Args a, size_t i)
{
    Variant v = argValue(a, i);
    if (v.isString())
        return Variant::dbl(v.toDouble());
    if (v.isEmpty())
        return Variant::integer(0);
    if (v.type() == VT::Boolean)
        return Variant::integer(v.rawInt16());
    if (!v.isNumeric() && !v.isNull())
        raise(Err::TypeMismatch);
    return v;
}

Variant withSameType(const Variant& like, double r)
{
    switch (like.type()) {
    case VT::Single: return Variant::single(static_cast<float>(r));
    case VT::Currency: return Variant::currency(static_cast<int64_t>(std::llround(r * 10000)));
    case VT::Date: return Variant::date(r);
    default: return Variant::dbl(r);
    }
}

Variant rounding(Args a, double (*fn)(double))
{
    Variant v = numeric(a, 0);
    if (v.isNull())
        return Variant::null();
    switch (v.type()) {
    case VT::Byte:
    case VT::Integer:
    case VT::Long: return v;
    default: return withSameType(v, fn(v.toDouble()));
    }
}

Variant fnInt(Context&, Args a)
{
    return rounding(a, [](double d) { return std::floor(d); });
}
Variant fnFix(Context&, Args a)
{
    return rounding(a, [](double d) { return std::trunc(d); });
}

Variant fnRound(Context&, Args a)
{
    // A Boolean comes back as itself; integer types keep their type.
    if (Variant b = argValue(a, 0); b.type() == VT::Boolean) {
        requireValid(argLongOr(a, 1, 0) >= 0);
        return b;
    }
    Variant v = numeric(a, 0);
    if (v.isNull())
        return Variant::null();
    int32_t places = argLongOr(a, 1, 0);
    requireValid(places >= 0);
    if (v.type() == VT::Byte || v.type() == VT::Integer || v.type() == VT::Long)
        return v;
    double d = v.toDouble();
    double r;
    if (places == 0) {
        r = roundHalfEven(d);
    } else {
        double scale = std::pow(10.0, places);
        double scaled = d * scale;
        // Decide halves on the decimal text of the value, not its binary error.
        double nearest = roundHalfEven(scaled);
        if (std::fabs(std::fabs(scaled - std::trunc(scaled)) - 0.5) < 1e-9)
            r = nearest / scale;
        else
            r = std::round(scaled) / scale;
    }
    return v.type() == VT::Date ? Variant::dbl(r) : withSameType(v, r);
}

Variant fnAbs(Context&, Args a)
{
    Variant v = numeric(a, 0);
    switch (v.type()) {
    case VT::Null: return v;
    case VT::Byte: return v;
    case VT::Integer: return Variant::widenedInteger(std::abs(static_cast<int64_t>(v.rawInt16())));
    case VT::Long: return Variant::fromInt64(std::abs(static_cast<int64_t>(v.rawInt32())));
    case VT::Currency:
        if (v.rawCurrency() == INT64_MIN)
            raise(Err::Overflow);
        return Variant::currency(std::llabs(v.rawCurrency()));
    default: return withSameType(v, std::fabs(v.toDouble()));
    }
}

Variant fnSgn(Context&, Args a)
{
    Variant v = numeric(a, 0);
    if (v.isNull())
        return Variant::null();
    double d = v.toDouble();
    return Variant::integer(static_cast<int16_t>(d > 0 ? 1 : d < 0 ? -1 : 0));
}

Variant math1(Args a, double (*fn)(double), bool (*valid)(double))
{
    Variant v = numeric(a, 0);
    if (v.isNull())
        return Variant::null();
    double d = v.toDouble();
    requireValid(valid(d));
    double r = fn(d);
    if (std::isinf(r))
        raise(Err::Overflow);
    return Variant::dbl(r);
}

bool any(double) { return true; }

Variant fnSqr(Context&, Args a)
{
    return math1(
        a, [](double d) { return std::sqrt(d); }, [](double d) { return d >= 0; });
}
Variant fnExp(Context&, Args a)
{
    return math1(
        a, [](double d) { return std::exp(d); }, any);
}
Variant fnLog(Context&, Args a)
{
    return math1(
        a, [](double d) { return std::log(d); }, [](double d) { return d > 0; });
}
Variant fnAtn(Context&, Args a)
{
    return math1(
        a, [](double d) { return std::atan(d); }, any);
}
Variant fnSin(Context&, Args a)
{
    return math1(
        a, [](double d) { return std::sin(d); }, any);
}
Variant fnCos(Context&, Args a)
{
    return math1(
        a, [](double d) { return std::cos(d); }, any);
}
Variant fnTan(Context&, Args a)
{
    return math1(
        a, [](double d) { return std::tan(d); }, any);
}

Variant fnRnd(Context& ctx, Args a)
{
    if (hasArg(a, 0)) {
        Variant v = argValue(a, 0);
        return Variant::single(ctx.rnd(&v));
    }
    return Variant::single(ctx.rnd(nullptr));
}

Variant fnRandomize(Context& ctx, Args a)
{
    if (hasArg(a, 0)) {
        Variant v = argValue(a, 0);
        ctx.randomize(&v);
    } else {
        ctx.randomize(nullptr);
    }
    return {};
}

const BuiltinDef mathFunctions[] = {
    {"Int", 1, 1, fnInt},     {"Fix", 1, 1, fnFix},
    {"Round", 1, 2, fnRound}, {"Abs", 1, 1, fnAbs},
    {"Sgn", 1, 1, fnSgn},     {"Sqr", 1, 1, fnSqr},
    {"Exp", 1, 1, fnExp},     {"Log", 1, 1, fnLog},
    {"Atn", 1, 1, fnAtn},     {"Sin", 1, 1, fnSin},
    {"Cos", 1, 1, fnCos},     {"Tan", 1, 1, fnTan},
    {"Rnd", 0, 1, fnRnd},     {"Randomize", 0, 1, fnRandomize},
};

} // namespace

void registerMathBuiltins(BuiltinRegistry& r) { r.addFunctions(mathFunctions); }

} // namespace ravelin::vbs
