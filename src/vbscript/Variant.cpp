// Variant: lifetime of the shared blocks and every coercion of VBScript's
// type system. Conversions follow the language's rules: banker's rounding to
// integers, overflow as error 6, Null as error 94, anything unconvertible as 13.
#include "vbscript/Variant.h"

#include "vbscript/DateTime.h"
#include "vbscript/Errors.h"
#include "vbscript/Interrupt.h"
#include "vbscript/NumberFormat.h"
#include "vbscript/Object.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <iterator>
#include <memory>
#include <new>

namespace ravelin::vbs {

void checkStringLength(size_t length)
{
    if (length > MaxStringLength)
        raise(Err::OutOfStringSpace);
}

namespace {
std::atomic<int64_t> g_heldBytes{0};
// Each thread gathers small changes and adds them to the shared count once
// they pass a batch: the count stays off the hot path of small arrays (every
// Split), and what a thread has not added yet is at most one batch.
thread_local int64_t t_heldBatch = 0;
constexpr int64_t HeldBatch = 64 << 10;
// Texts below this are not counted: the count stays off the hot path of
// short strings, and arrays (counted) bound how many of those there are.
constexpr size_t HeldStringThreshold = 4096;
} // namespace

void holdMemory(size_t bytes)
{
    const auto n = static_cast<int64_t>(bytes);
    t_heldBatch += n;
    if (t_heldBatch < HeldBatch)
        return;
    int64_t batch = t_heldBatch;
    if (g_heldBytes.fetch_add(batch, std::memory_order_relaxed) + batch > MaxHeldBytes) {
        g_heldBytes.fetch_sub(batch, std::memory_order_relaxed);
        t_heldBatch -= n;
        raise(Err::OutOfMemory);
    }
    t_heldBatch = 0;
    // A huge block is also a lot of work (filling, copying, freeing it).
    pollInterrupt(bytes / 64);
}

void releaseMemory(size_t bytes) noexcept
{
    t_heldBatch -= static_cast<int64_t>(bytes);
    if (t_heldBatch <= -HeldBatch) {
        g_heldBytes.fetch_add(t_heldBatch, std::memory_order_relaxed);
        t_heldBatch = 0;
    }
}

namespace {
// Free lists of small blocks (strings with their characters, array blocks
// and their elements), one per size class. Trivially destructible, so they
// need no guard on the hot path; the reaper gives the blocks back when the
// thread ends, after which blocks go straight to the heap.
constexpr size_t ClassBytes[] = {32, 64, 128, 256};
constexpr size_t ClassCount = std::size(ClassBytes);
constexpr uint8_t NoClass = 0xff;
constexpr size_t MaxPooledBlocks = 4096; // per class
struct BlockPool {
    void* head[ClassCount] = {};
    size_t count[ClassCount] = {};
    bool closed = false;
};
thread_local BlockPool t_blockPool;
struct BlockPoolReaper {
    ~BlockPoolReaper()
    {
        BlockPool& p = t_blockPool;
        for (size_t c = 0; c < ClassCount; ++c) {
            while (p.head[c]) {
                void* next = *static_cast<void**>(p.head[c]);
                ::operator delete(p.head[c]);
                p.head[c] = next;
            }
            p.count[c] = 0;
        }
        p.closed = true;
    }
};
thread_local BlockPoolReaper t_blockPoolReaper;

inline uint8_t classOf(size_t bytes)
{
    static_assert(ClassCount == 4, "classOf picks among four classes");
    return bytes <= ClassBytes[0] ? 0
        : bytes <= ClassBytes[1]  ? 1
        : bytes <= ClassBytes[2]  ? 2
        : bytes <= ClassBytes[3]  ? 3
                                  : NoClass;
}

inline void* takeBlock(uint8_t cls)
{
    BlockPool& p = t_blockPool;
    void* block = p.head[cls];
    if (block) {
        p.head[cls] = *static_cast<void**>(block);
        --p.count[cls];
        return block;
    }
    if (!p.closed)
        (void)&t_blockPoolReaper; // registers the reaper for this thread
    return ::operator new(ClassBytes[cls]);
}

inline void giveBlock(void* block, uint8_t cls) noexcept
{
    BlockPool& p = t_blockPool;
    if (cls == NoClass || p.closed || p.count[cls] >= MaxPooledBlocks) {
        ::operator delete(block);
        return;
    }
    *static_cast<void**>(block) = p.head[cls];
    p.head[cls] = block;
    ++p.count[cls];
}

// Blocks past the largest class come from the heap; large ones count as held.
[[gnu::noinline]] StringRep* allocateLarge(size_t capacity)
{
    const size_t bytes = sizeof(StringRep) + capacity;
    checkStringLength(capacity);
    uint32_t held = 0;
    if (bytes >= HeldStringThreshold) {
        holdMemory(bytes);
        held = static_cast<uint32_t>(bytes);
    }
    void* block;
    try {
        block = ::operator new(bytes);
    } catch (...) {
        if (held)
            releaseMemory(held);
        throw;
    }
    return new (block) StringRep{1, held, 0, NoClass};
}
} // namespace

void* allocateBlock(size_t bytes)
{
    uint8_t cls = classOf(bytes);
    return cls == NoClass ? ::operator new(bytes) : takeBlock(cls);
}

void freeBlock(void* block, size_t bytes) noexcept { giveBlock(block, classOf(bytes)); }

StringRep* StringRep::allocate(size_t capacity)
{
    const size_t bytes = sizeof(StringRep) + capacity;
    if (bytes <= ClassBytes[ClassCount - 1]) {
        const uint8_t cls = classOf(bytes);
        return new (takeBlock(cls)) StringRep{1, 0, 0, cls};
    }
    return allocateLarge(capacity);
}

void StringRep::destroy(StringRep* rep) noexcept
{
    if (rep->held) // short texts stay off the shared count
        releaseMemory(rep->held);
    giveBlock(rep, rep->sizeClass);
}

Variant Variant::string(std::string_view s)
{
    StringRep* rep = StringRep::allocate(s.size());
    if (!s.empty())
        std::memcpy(rep->chars(), s.data(), s.size());
    rep->size = static_cast<uint32_t>(s.size());
    return string(rep);
}

Variant concatStrings(std::string_view a, std::string_view b)
{
    StringBuffer out(a.size() + b.size());
    if (!a.empty())
        std::memcpy(out.data(), a.data(), a.size());
    if (!b.empty())
        std::memcpy(out.data() + a.size(), b.data(), b.size());
    return out.take(a.size() + b.size());
}

Variant Variant::object(Object* obj)
{
    Variant v;
    v.m_type = VT::Object;
    v.m_u.obj = obj;
    if (obj)
        obj->addRef();
    return v;
}

Variant Variant::array(ArrayRep* rep)
{
    Variant v;
    v.m_type = VT::Array;
    v.m_u.arr = rep;
    return v;
}

void Variant::retainShared() const noexcept
{
    switch (m_type) {
    case VT::String: ++m_u.str->refs; break;
    case VT::Object:
        if (m_u.obj)
            m_u.obj->addRef();
        break;
    case VT::Array: ++m_u.arr->refs; break;
    default: break;
    }
}

namespace {

// Releasing a value can release what it holds (array elements, an object's
// fields, a Dictionary's items) and so on without bound: `a = Array(a)` a
// million times is a million nested blocks. The first release on a thread
// drains a work list; releases met while it drains are queued on it, so the
// C++ stack stays flat however deep the value is.
struct PendingRelease {
    VT type;
    void* block;
};
thread_local std::vector<PendingRelease> t_pending;
thread_local bool t_draining = false;

void releaseNow(VT type, void* block) noexcept
{
    if (type == VT::Array) {
        auto* arr = static_cast<ArrayRep*>(block);
        if (--arr->refs == 0)
            delete arr;
    } else {
        static_cast<Object*>(block)->release();
    }
}

} // namespace

void Variant::releaseShared() noexcept
{
    void* block = nullptr;
    switch (m_type) {
    case VT::String:
        if (--m_u.str->refs == 0)
            StringRep::destroy(m_u.str);
        return;
    case VT::Object:
        if (!m_u.obj)
            return;
        if (m_u.obj->refCount() > 1) { // not the last reference: nothing is freed
            m_u.obj->release();
            return;
        }
        block = m_u.obj;
        break;
    case VT::Array:
        if (m_u.arr->refs > 1) {
            --m_u.arr->refs;
            return;
        }
        block = m_u.arr;
        break;
    default: return;
    }
    VT type = m_type;
    m_type = VT::Empty; // a terminator running now must not see a dangling value
    if (t_draining) {
        try {
            t_pending.push_back({type, block});
            return;
        } catch (...) {
            // No room to queue: release in place (deep recursion is the lesser evil).
        }
        releaseNow(type, block);
        return;
    }
    t_draining = true;
    releaseNow(type, block);
    while (!t_pending.empty()) {
        PendingRelease next = t_pending.back();
        t_pending.pop_back();
        releaseNow(next.type, next.block);
    }
    t_draining = false;
}

ArrayRep* Variant::mutableArray()
{
    if (m_u.arr->refs > 1) {
        auto* copy = new ArrayRep{1, 0, m_u.arr->fixed, m_u.arr->dims, m_u.arr->data};
        --m_u.arr->refs;
        m_u.arr = copy;
    }
    return m_u.arr;
}

bool Variant::isNumeric() const
{
    switch (m_type) {
    case VT::Boolean:
    case VT::Byte:
    case VT::Integer:
    case VT::Long:
    case VT::Single:
    case VT::Double:
    case VT::Currency:
    case VT::Date: return true;
    default: return false;
    }
}

Variant Variant::dereferenced() const
{
    if (m_type != VT::Object)
        return *this;
    if (!m_u.obj)
        raise(Err::ObjectNotSet);
    Variant v = m_u.obj->invoke(DefaultMemberId, InvokeKind(InvokeGet | InvokeMethod), {});
    if (v.isObject())
        raise(Err::TypeMismatch);
    return v;
}

double Variant::toDouble() const
{
    switch (m_type) {
    case VT::Empty: return 0;
    case VT::Null: raise(Err::InvalidNull);
    case VT::Boolean: return m_u.i16 ? -1.0 : 0.0;
    case VT::Byte: return static_cast<double>(rawByte());
    case VT::Integer: return m_u.i16;
    case VT::Long: return m_u.i32;
    case VT::Single: return m_u.f;
    case VT::Double:
    case VT::Date: return m_u.d;
    case VT::Currency: return static_cast<double>(m_u.i64) / 10000.0;
    case VT::String: {
        double d;
        bool overflow = false;
        if (parseNumericText(m_u.str->view(), d, &overflow))
            return d;
        // A number too large for a Double ("1E+400") overflows; only text
        // that is no number at all is a type mismatch.
        if (overflow)
            raise(Err::Overflow);
        if (parseDate(m_u.str->view(), d))
            return d;
        raise(Err::TypeMismatch);
    }
    case VT::Object: return dereferenced().toDouble();
    default: raise(Err::TypeMismatch);
    }
}

double roundHalfEven(double value)
{
    double r = std::nearbyint(value); // default rounding mode is to nearest, ties to even
    return r;
}

int32_t Variant::toLong() const
{
    switch (m_type) {
    case VT::Integer: return m_u.i16;
    case VT::Long: return m_u.i32;
    case VT::Byte: return rawByte();
    case VT::Boolean: return m_u.i16 ? -1 : 0;
    case VT::Empty: return 0;
    default: break;
    }
    double d = roundHalfEven(toDouble());
    if (!(d >= -2147483648.0 && d <= 2147483647.0))
        raise(Err::Overflow);
    return static_cast<int32_t>(d);
}

int16_t Variant::toInteger() const
{
    if (m_type == VT::Integer)
        return m_u.i16;
    double d = (m_type == VT::Long) ? m_u.i32 : roundHalfEven(toDouble());
    if (!(d >= -32768.0 && d <= 32767.0))
        raise(Err::Overflow);
    return static_cast<int16_t>(d);
}

uint8_t Variant::toByte() const
{
    double d = roundHalfEven(toDouble());
    if (!(d >= 0 && d <= 255))
        raise(Err::Overflow);
    return static_cast<uint8_t>(d);
}

float Variant::toSingle() const
{
    double d = toDouble();
    if (std::isfinite(d) && std::fabs(d) > 3.402823466e38)
        raise(Err::Overflow);
    return static_cast<float>(d);
}

int64_t Variant::toCurrency() const
{
    if (m_type == VT::Currency)
        return m_u.i64;
    double d = roundHalfEven(toDouble() * 10000.0);
    if (!(d >= -9.2233720368547758e18 && d < 9.2233720368547758e18))
        raise(Err::Overflow);
    return static_cast<int64_t>(d);
}

double Variant::toDate() const
{
    double d;
    if (m_type == VT::String) {
        if (parseDate(m_u.str->view(), d))
            return d;
        if (!parseNumber(m_u.str->view(), d))
            raise(Err::TypeMismatch);
    } else {
        d = toDouble();
    }
    if (!(d >= -657434.0 && d < 2958466.0))
        raise(Err::Overflow);
    return d;
}

bool Variant::toBool() const
{
    switch (m_type) {
    case VT::Empty: return false;
    case VT::Null: raise(Err::InvalidNull);
    case VT::Boolean:
    case VT::Integer: return m_u.i16 != 0;
    case VT::Long: return m_u.i32 != 0;
    case VT::Byte: return rawByte() != 0;
    case VT::String: {
        std::string_view s = m_u.str->view();
        std::string l = lowerCase(s);
        size_t a = l.find_first_not_of(" \t");
        size_t b = l.find_last_not_of(" \t");
        std::string t = a == std::string::npos ? std::string() : l.substr(a, b - a + 1);
        if (t == "true" || t == "#true#")
            return true;
        if (t == "false" || t == "#false#")
            return false;
        double d;
        if (parseNumber(s, d))
            return d != 0;
        raise(Err::TypeMismatch);
    }
    case VT::Object: return dereferenced().toBool();
    default: return toDouble() != 0;
    }
}

std::string Variant::toString() const
{
    switch (m_type) {
    case VT::Empty: return {};
    case VT::Null: raise(Err::InvalidNull);
    case VT::Boolean: return m_u.i16 ? "True" : "False";
    case VT::Byte: return std::to_string(rawByte());
    case VT::Integer: return std::to_string(m_u.i16);
    case VT::Long: return std::to_string(m_u.i32);
    case VT::Single: return formatSingle(m_u.f);
    case VT::Double: return formatDouble(m_u.d);
    case VT::Currency: return formatCurrency(m_u.i64);
    case VT::Date: return formatDate(m_u.d);
    case VT::String: return std::string(m_u.str->view());
    case VT::Error: return "Error " + std::to_string(m_u.i32);
    case VT::Object: return dereferenced().toString();
    default: raise(Err::TypeMismatch);
    }
}

std::string Variant::toText() const
{
    if (m_type == VT::Null || m_type == VT::Empty)
        return {};
    if (m_type == VT::String)
        return std::string(m_u.str->view());
    if (m_type == VT::Object) {
        Variant v = dereferenced();
        return v.toText();
    }
    return toString();
}

std::string Variant::typeName() const
{
    switch (m_type) {
    case VT::Empty: return "Empty";
    case VT::Null: return "Null";
    case VT::Boolean: return "Boolean";
    case VT::Byte: return "Byte";
    case VT::Integer: return "Integer";
    case VT::Long: return "Long";
    case VT::Single: return "Single";
    case VT::Double: return "Double";
    case VT::Currency: return "Currency";
    case VT::Date: return "Date";
    case VT::String: return "String";
    case VT::Error: return "Error";
    case VT::Object: return m_u.obj ? m_u.obj->typeName() : "Nothing";
    case VT::Array: return "Variant()";
    default: return "Unknown";
    }
}

int Variant::varType() const
{
    if (m_type == VT::Array)
        return 8192 + 12;
    if (m_type == VT::Object && m_u.obj) {
        // An object with a default value reports that value's type, as VarType does.
        return 9;
    }
    return static_cast<int>(m_type);
}

// ---- Numeric text and dates: the formatting library's rules, behind the
// names the rest of the engine uses.

bool parseNumber(std::string_view text, double& out) { return parseNumericText(text, out); }

std::string formatDouble(double value) { return doubleToText(value); }

std::string formatSingle(float value) { return singleToText(value); }

std::string formatCurrency(int64_t v) { return currencyToText(v); }

std::string formatDate(double serial) { return formatDateText(serial); }

bool parseDate(std::string_view text, double& serial)
{
    auto parsed = parseDateTime(text);
    if (!parsed)
        return false;
    serial = parsed->serial;
    return true;
}

// ---- Case and comparison.

char foldCase(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7))
        return static_cast<char>(u + 32);
    return c;
}

std::string lowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = foldCase(c);
    return r;
}

char upperChar(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
        return static_cast<char>(u - 32);
    return c;
}

std::string upperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = upperChar(c);
    return r;
}

int compareStrings(std::string_view a, std::string_view b, CompareMode mode)
{
    size_t n = std::min(a.size(), b.size());
    if (mode == CompareMode::Binary) {
        int r = n ? std::memcmp(a.data(), b.data(), n) : 0;
        if (r != 0)
            return r < 0 ? -1 : 1;
    } else {
        for (size_t i = 0; i < n; ++i) {
            unsigned char x = static_cast<unsigned char>(foldCase(a[i]));
            unsigned char y = static_cast<unsigned char>(foldCase(b[i]));
            if (x != y)
                return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

static int cmpNum(double x, double y) { return x < y ? -1 : (x > y ? 1 : 0); }

int compareVariants(const Variant& a0, const Variant& b0, CompareMode mode, bool& isNull, bool aLiteral, bool bLiteral)
{
    isNull = false;
    const Variant& a = a0;
    const Variant& b = b0;
    if (a.isObject() || b.isObject()) {
        Variant x = a.dereferenced(), y = b.dereferenced();
        return compareVariants(x, y, mode, isNull, aLiteral, bLiteral);
    }
    if (a.isNull() || b.isNull()) {
        isNull = true;
        return 0;
    }
    if (a.isArray() || b.isArray() || a.type() == VT::Error || b.type() == VT::Error)
        raise(Err::TypeMismatch);
    VT ta = a.type(), tb = b.type();
    // Fast path: small integers.
    if ((ta == VT::Integer || ta == VT::Long) && (tb == VT::Integer || tb == VT::Long)) {
        int32_t x = ta == VT::Integer ? a.rawInt16() : a.rawInt32();
        int32_t y = tb == VT::Integer ? b.rawInt16() : b.rawInt32();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (ta == VT::String && tb == VT::String)
        return compareStrings(a.rawString(), b.rawString(), mode);
    if (ta == VT::Empty && tb == VT::Empty)
        return 0;
    if (ta == VT::String || tb == VT::String) {
        const Variant& s = ta == VT::String ? a : b;
        const Variant& o = ta == VT::String ? b : a;
        bool oLiteral = ta == VT::String ? bLiteral : aLiteral;
        int sign = ta == VT::String ? 1 : -1;
        if (o.isEmpty())
            return sign * compareStrings(s.rawString(), "", mode);
        bool sLiteral = ta == VT::String ? aLiteral : bLiteral;
        if (oLiteral) {
            // A number or Boolean written out: the string is read as one.
            double d;
            if (!parseNumber(s.rawString(), d)) {
                if (o.type() != VT::Boolean)
                    raise(Err::TypeMismatch);
                if (compareStrings(s.rawString(), "True", CompareMode::Text) == 0)
                    d = -1;
                else if (compareStrings(s.rawString(), "False", CompareMode::Text) == 0)
                    d = 0;
                else
                    raise(Err::TypeMismatch);
            }
            return sign * cmpNum(d, o.toDouble());
        }
        if (sLiteral) // a string written out: the number is compared as its text
            return sign * compareStrings(s.rawString(), o.toString(), mode);
        // A numeric value is always less than a string.
        return sign;
    }
    return cmpNum(a.toDouble(), b.toDouble());
}

// ---- Arrays.

ArrayRep* newArray(const std::vector<int32_t>& ubounds)
{
    // The count is checked before anything is allocated: a product that wraps
    // would pass any cap and give a block smaller than its dimensions.
    int64_t total = 1;
    for (int32_t ub : ubounds) {
        if (ub < -1)
            raise(Err::SubscriptOutOfRange);
        if (ub == std::numeric_limits<int32_t>::max())
            raise(Err::OutOfMemory);
        total *= int64_t(ub) + 1;
        if (total > MaxArrayElements)
            raise(Err::OutOfMemory);
    }
    auto rep = std::make_unique<ArrayRep>();
    for (int32_t ub : ubounds)
        rep->dims.push_back(ub + 1);
    // Filled in slices, each counted as work for the time limit: a block of
    // tens of millions of elements ends with the time-out, not long after it.
    const auto n = static_cast<size_t>(total);
    rep->data.reserve(n);
    constexpr size_t slice = size_t(1) << 20;
    while (rep->data.size() < n) {
        rep->data.resize(std::min(n, rep->data.size() + slice));
        pollInterrupt(slice);
    }
    return rep.release();
}

int64_t arrayOffset(const ArrayRep& arr, const int32_t* indices, size_t count)
{
    if (count != arr.dims.size())
        return -1;
    int64_t off = 0, mul = 1;
    for (size_t i = 0; i < count; ++i) {
        if (indices[i] < 0 || indices[i] >= arr.dims[i])
            return -1;
        off += indices[i] * mul;
        mul *= arr.dims[i];
    }
    return off;
}

} // namespace ravelin::vbs
