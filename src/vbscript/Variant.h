// The one value type of the engine.
//
// A Variant is 16 bytes: a 16-bit subtype tag and an 8-byte payload. Scalars
// (Boolean, Byte, Integer, Long, Single, Double, Currency, Date, Error) live in
// the payload; String, Object and Array hold one pointer to a reference-counted
// block, so copying a Variant never allocates. Strings are immutable byte
// strings (one byte per character, Latin-1 as the rest of the program treats
// text). Arrays are copied on write: VBScript copies an array on assignment, and
// sharing the block until someone writes keeps `a = Split(...)` cheap.
// Currency is stored as a 64-bit count of ten-thousandths.
//
// Every coercion (to number, to string, to Boolean, numeric parsing of strings,
// comparison) is declared here and defined in Variant.cpp, so the rules of
// VBScript's type system sit in one place.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ravelin::vbs {

class Object;

// VarType numbers, as VBScript reports them.
enum class VT : uint16_t {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    String = 8,
    Object = 9,
    Error = 10,
    Boolean = 11,
    Variant = 12,
    Byte = 17,
    Array = 8192, // VarType of an array is Array + Variant (8204)
};

// Immutable reference-counted string block. The characters follow the
// header in the same allocation, so a string costs one block whatever its
// length; small blocks come from per-thread free lists by size class (a
// script makes and drops strings by the million, and a Split's pieces all go
// at once).
struct StringRep {
    uint32_t refs;
    uint32_t held; // bytes counted against MaxHeldBytes (large texts only)
    uint32_t size; // characters in use
    uint8_t sizeClass; // free list the block returns to (NoClass: the heap)

    char* chars() { return reinterpret_cast<char*>(this + 1); }
    const char* chars() const { return reinterpret_cast<const char*>(this + 1); }
    std::string_view view() const { return {chars(), size}; }

    // A block with room for `capacity` characters (unset), one reference,
    // size 0. Raises 14 past MaxStringLength and 7 past MaxHeldBytes.
    static StringRep* allocate(size_t capacity);
    // Gives a block no Variant holds back (and its held bytes).
    static void destroy(StringRep* rep) noexcept;
};
static_assert(sizeof(StringRep) == 16, "characters start 16 bytes into a string block");

class Variant;

// Caps no sane operator script reaches; past them a script gets an error it
// can trap instead of exhausting the process.
inline constexpr size_t MaxStringLength = size_t(256) << 20; // bytes; error 14 "Out of string space"
inline constexpr int64_t MaxArrayElements = int64_t(64) << 20; // elements; error 7 "Out of memory"

// All scripts' arrays and large strings together, in bytes: past this a
// script gets error 7 instead of driving the machine into swap (each block
// also counts as work for the time limit, so a run of huge ReDims is stopped).
inline constexpr int64_t MaxHeldBytes = int64_t(1280) << 20;
// Counts `bytes` as held; raises error 7 when the total would pass the cap.
void holdMemory(size_t bytes);
void releaseMemory(size_t bytes) noexcept;

// Raw blocks from the per-thread free lists (up to 256 bytes; larger ones
// from the heap): array blocks and their elements are made and dropped as
// often as strings (every Split). freeBlock takes the size given to allocateBlock.
void* allocateBlock(size_t bytes);
void freeBlock(void* block, size_t bytes) noexcept;

// The allocator of array blocks: every element block is counted as held.
template <class T>
struct HeldAllocator {
    using value_type = T;
    HeldAllocator() noexcept = default;
    template <class U>
    HeldAllocator(const HeldAllocator<U>&) noexcept
    {}
    T* allocate(size_t n)
    {
        holdMemory(n * sizeof(T));
        try {
            return static_cast<T*>(allocateBlock(n * sizeof(T)));
        } catch (...) {
            releaseMemory(n * sizeof(T));
            throw;
        }
    }
    void deallocate(T* p, size_t n) noexcept
    {
        freeBlock(p, n * sizeof(T));
        releaseMemory(n * sizeof(T));
    }
    template <class U>
    bool operator==(const HeldAllocator<U>&) const noexcept
    {
        return true;
    }
};

// Raises error 14 when a string of `length` bytes would pass the cap; called
// before building a long result so the cap holds before memory is spent.
void checkStringLength(size_t length);

// Element counts per dimension, held inline for up to four dimensions so an
// array block (Split's result, Array(...)) costs one allocation less.
class ArrayDims {
public:
    void push_back(int32_t n)
    {
        if (m_more.empty() && m_size < Inline) {
            m_small[m_size++] = n;
            return;
        }
        if (m_more.empty())
            m_more.assign(m_small, m_small + m_size);
        m_more.push_back(n);
        ++m_size;
    }
    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const int32_t* begin() const { return m_more.empty() ? m_small : m_more.data(); }
    const int32_t* end() const { return begin() + m_size; }
    int32_t operator[](size_t i) const { return begin()[i]; }

private:
    static constexpr size_t Inline = 4;
    int32_t m_small[Inline] = {};
    std::vector<int32_t> m_more;
    size_t m_size = 0;
};

// One dimension of an array: element count; lower bound is always 0 in VBScript.
struct ArrayRep {
    uint32_t refs = 1;
    uint32_t locks = 0; // >0 while an element is passed ByRef or iterated: ReDim gives error 10
    bool fixed = false; // declared with bounds (Dim a(3)): ReDim gives error 10
    ArrayDims dims; // element count per dimension (UBound + 1)
    std::vector<Variant, HeldAllocator<Variant>> data; // first index fastest

    static void* operator new(size_t size) { return allocateBlock(size); }
    static void operator delete(void* block, size_t size) noexcept { freeBlock(block, size); }
};

class Variant {
public:
    Variant() noexcept : m_type(VT::Empty) { m_u.i64 = 0; }
    ~Variant() { release(); }
    Variant(const Variant& o) noexcept : m_type(o.m_type), m_u(o.m_u) { retain(); }
    Variant(Variant&& o) noexcept : m_type(o.m_type), m_u(o.m_u) { o.m_type = VT::Empty; }
    // The old value is released after the new one is in place: releasing it
    // can run a Class_Terminate that reads this same variable.
    Variant& operator=(const Variant& o) noexcept
    {
        o.retain(); // first, so assigning a value to itself keeps it alive
        VT oldType = m_type;
        Payload oldValue = m_u;
        m_type = o.m_type;
        m_u = o.m_u;
        drop(oldType, oldValue);
        return *this;
    }
    Variant& operator=(Variant&& o) noexcept
    {
        if (this != &o) {
            VT oldType = m_type;
            Payload oldValue = m_u;
            m_type = o.m_type;
            m_u = o.m_u;
            o.m_type = VT::Empty;
            drop(oldType, oldValue);
        }
        return *this;
    }
    // Empties the variable (the old value released after, as in assignment).
    void clear() noexcept
    {
        VT oldType = m_type;
        m_type = VT::Empty;
        drop(oldType, m_u);
    }
    void swap(Variant& o) noexcept
    {
        std::swap(m_type, o.m_type);
        std::swap(m_u, o.m_u);
    }

    // Constructors for each subtype.
    static Variant null()
    {
        Variant v;
        v.m_type = VT::Null;
        return v;
    }
    static Variant boolean(bool b)
    {
        Variant v;
        v.m_type = VT::Boolean;
        v.m_u.i16 = b ? -1 : 0;
        return v;
    }
    static Variant byte(uint8_t b)
    {
        Variant v;
        v.m_type = VT::Byte;
        v.m_u.i64 = b;
        return v;
    }
    static Variant integer(int16_t i)
    {
        Variant v;
        v.m_type = VT::Integer;
        v.m_u.i16 = i;
        return v;
    }
    static Variant longInt(int32_t i)
    {
        Variant v;
        v.m_type = VT::Long;
        v.m_u.i32 = i;
        return v;
    }
    static Variant single(float f)
    {
        Variant v;
        v.m_type = VT::Single;
        v.m_u.f = f;
        return v;
    }
    static Variant dbl(double d)
    {
        Variant v;
        v.m_type = VT::Double;
        v.m_u.d = d;
        return v;
    }
    static Variant currency(int64_t tenThousandths)
    {
        Variant v;
        v.m_type = VT::Currency;
        v.m_u.i64 = tenThousandths;
        return v;
    }
    static Variant date(double serial)
    {
        Variant v;
        v.m_type = VT::Date;
        v.m_u.d = serial;
        return v;
    }
    static Variant error(int32_t code)
    {
        Variant v;
        v.m_type = VT::Error;
        v.m_u.i32 = code;
        return v;
    }
    static Variant string(std::string_view s);
    static Variant string(const std::string& s) { return string(std::string_view(s)); }
    static Variant string(const char* s) { return string(std::string_view(s)); }
    // Takes a block from StringRep::allocate (its one reference).
    static Variant string(StringRep* rep)
    {
        Variant v;
        v.m_type = VT::String;
        v.m_u.str = rep;
        return v;
    }
    // Takes a new reference to obj; a null pointer is Nothing.
    static Variant object(Object* obj);
    static Variant nothing() { return object(nullptr); }
    // Takes ownership of rep (its count is not increased).
    static Variant array(ArrayRep* rep);
    // A Long when the value fits a Long, else a Double (results of Len, InStr...).
    static Variant fromInt64(int64_t i)
    {
        if (i >= INT32_MIN && i <= INT32_MAX)
            return longInt(static_cast<int32_t>(i));
        return dbl(static_cast<double>(i));
    }
    // Integer when it fits, then Long, then Double: VBScript's widening of integer results.
    static Variant widenedInteger(int64_t i)
    {
        if (i >= -32768 && i <= 32767)
            return integer(static_cast<int16_t>(i));
        return fromInt64(i);
    }

    VT type() const { return m_type; }
    bool isEmpty() const { return m_type == VT::Empty; }
    bool isNull() const { return m_type == VT::Null; }
    bool isString() const { return m_type == VT::String; }
    bool isObject() const { return m_type == VT::Object; }
    bool isArray() const { return m_type == VT::Array; }
    bool isNumeric() const; // Boolean, Byte, Integer, Long, Single, Double, Currency, Date
    bool isNothing() const { return m_type == VT::Object && m_u.obj == nullptr; }

    // Raw payload access; the caller has checked the type.
    bool rawBool() const { return m_u.i16 != 0; }
    int16_t rawInt16() const { return m_u.i16; }
    int32_t rawInt32() const { return m_u.i32; }
    uint8_t rawByte() const { return static_cast<uint8_t>(m_u.i64); }
    float rawSingle() const { return m_u.f; }
    double rawDouble() const { return m_u.d; }
    int64_t rawCurrency() const { return m_u.i64; }
    std::string_view rawString() const { return m_u.str->view(); }
    StringRep* rawStringRep() const { return m_u.str; }
    Object* rawObject() const { return m_u.obj; }
    ArrayRep* rawArray() const { return m_u.arr; }
    // Array block this Variant owns alone, copied first when shared (copy on write).
    ArrayRep* mutableArray();

    // ---- Coercions (Variant.cpp). Each raises the VBScript error on failure:
    // 13 type mismatch, 94 invalid use of Null, 6 overflow. Objects are first read
    // through their default member.
    double toDouble() const;
    int32_t toLong() const; // CLng: banker's rounding, error 6 outside Long
    int16_t toInteger() const; // CInt
    uint8_t toByte() const; // CByte
    float toSingle() const; // CSng
    int64_t toCurrency() const; // CCur, in ten-thousandths
    double toDate() const; // CDate, as a date serial
    bool toBool() const; // CBool
    std::string toString() const; // CStr (Null gives error 94)
    // Text for concatenation and display: Null and Empty give "".
    std::string toText() const;
    // Value of an object through its default member; other values unchanged.
    Variant dereferenced() const;

    // Type name as TypeName reports it.
    std::string typeName() const;
    // VarType number.
    int varType() const;

private:
    static bool shared(VT t)
    {
        static_assert(int(VT::Object) == int(VT::String) + 1);
        return static_cast<uint16_t>(static_cast<uint16_t>(t) - uint16_t(VT::String)) <= 1 || t == VT::Array;
    }
    // Strings are the common shared value: their count is kept inline, only
    // the last release (and objects, arrays) leave the header.
    void retain() const noexcept
    {
        if (m_type == VT::String)
            ++m_u.str->refs;
        else if (shared(m_type))
            retainShared();
    }
    void release() noexcept
    {
        if (m_type == VT::String) {
            if (--m_u.str->refs == 0)
                StringRep::destroy(m_u.str);
        } else if (shared(m_type)) {
            releaseShared();
        }
    }
    void retainShared() const noexcept;
    void releaseShared() noexcept;

    union Payload {
        int16_t i16;
        int32_t i32;
        int64_t i64;
        float f;
        double d;
        StringRep* str;
        Object* obj;
        ArrayRep* arr;
    };
    // Releases a value no Variant holds any more.
    static void drop(VT type, Payload value) noexcept
    {
        if (!shared(type))
            return;
        Variant old;
        old.m_type = type;
        old.m_u = value;
    }

    VT m_type;
    Payload m_u;
};

static_assert(sizeof(Variant) == 16, "Variant must stay two words");

// Builds a string in its own block: room for the most it can need, the
// characters written through data(), then take() with the length used. A
// buffer never taken (an error while filling it) frees its block.
class StringBuffer {
public:
    explicit StringBuffer(size_t capacity) : m_rep(StringRep::allocate(capacity)) {}
    ~StringBuffer()
    {
        if (m_rep)
            StringRep::destroy(m_rep);
    }
    StringBuffer(const StringBuffer&) = delete;
    StringBuffer& operator=(const StringBuffer&) = delete;
    char* data() { return m_rep->chars(); }
    Variant take(size_t length)
    {
        m_rep->size = static_cast<uint32_t>(length);
        return Variant::string(std::exchange(m_rep, nullptr));
    }

private:
    StringRep* m_rep;
};

// The two texts one after the other, built in one block (error 14 past the cap).
Variant concatStrings(std::string_view a, std::string_view b);

// ---- Numeric text, number and date formatting (NumberFormat.h and
// DateTime.h hold the rules; these are the names the engine calls).

// Parses text as VBScript does for numeric coercion ("  12 ", "&H1F", "1e3",
// "-.5"); false when it is not a number.
bool parseNumber(std::string_view text, double& out);
// CStr of a Double/Single/Currency/Date.
std::string formatDouble(double value);
std::string formatSingle(float value);
std::string formatCurrency(int64_t tenThousandths);
std::string formatDate(double serial);
// Parses date/time text; false when it is not a date.
bool parseDate(std::string_view text, double& serial);

// ---- Rounding rules shared by the conversions and operators.
double roundHalfEven(double value);

// ---- Comparison. Compares as VBScript's comparison operators do: numbers
// numerically, strings as text (binary or text compare), a string against a
// number converted. Returns -1, 0, 1; Null is reported through `isNull`.
enum class CompareMode { Binary = 0, Text = 1 };
// `aLiteral`/`bLiteral` tell that the operand is a numeric literal in the
// source: a string compared with one is converted to a number, while a string
// compared with a numeric variable is always the greater.
int compareVariants(const Variant& a, const Variant& b, CompareMode mode, bool& isNull, bool aLiteral = false,
                    bool bLiteral = false);
// Case folding used by text comparisons and identifiers (ASCII and Latin-1).
char foldCase(char c);
char upperChar(char c);
std::string lowerCase(std::string_view s);
std::string upperCase(std::string_view s);
// Text comparison of two strings: -1, 0, 1.
int compareStrings(std::string_view a, std::string_view b, CompareMode mode);

// ---- Arrays.
// New array block with the given UBounds (UBound -1 means an empty dimension).
ArrayRep* newArray(const std::vector<int32_t>& ubounds);
// Linear index of the element, or -1 out of range.
int64_t arrayOffset(const ArrayRep& arr, const int32_t* indices, size_t count);

} // namespace ravelin::vbs
