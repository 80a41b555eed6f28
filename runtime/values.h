#pragma once

// The values of a running program. Every variable has a static Java type, so a variable is an untyped
// slot: primitives in a Prim, references in a Ref. Strings, arrays and scanners are objects with a
// reference count, so that memory held by the program never outgrows what it can still reach (no value
// refers to itself, so counting is enough) and `==` compares identities as Java does.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace runtime {

// The Java types of the subset. Arrays are one-dimensional arrays of the primitive types or of String.
enum class Base : std::uint8_t {
    Void,
    Boolean,
    Char,
    Int,
    Long,
    Double,
    String,
    Scanner,
    Null,   // the type of the literal null
    Object, // only as a parameter: print(Object) and the like
    Error,  // a type that could not be determined; suppresses follow-up problems
};

struct Type
{
    Base base = Base::Error;
    bool array = false;

    friend bool operator==(const Type&, const Type&) = default;

    bool isError() const { return base == Base::Error && !array; }
    bool isPrimitive() const { return !array && base >= Base::Boolean && base <= Base::Double; }
    bool isNumeric() const { return !array && base >= Base::Char && base <= Base::Double; }
    bool isIntegral() const { return !array && base >= Base::Char && base <= Base::Long; }
    bool isReference() const
    {
        return array || base == Base::String || base == Base::Scanner || base == Base::Null ||
               base == Base::Object;
    }
    bool isBoolean() const { return !array && base == Base::Boolean; }
    bool isString() const { return !array && base == Base::String; }
    Type element() const { return {base, false}; }
    Type arrayOf() const { return {base, true}; }
};

inline constexpr Type kVoid{Base::Void};
inline constexpr Type kBoolean{Base::Boolean};
inline constexpr Type kChar{Base::Char};
inline constexpr Type kInt{Base::Int};
inline constexpr Type kLong{Base::Long};
inline constexpr Type kDouble{Base::Double};
inline constexpr Type kString{Base::String};
inline constexpr Type kScanner{Base::Scanner};
inline constexpr Type kNull{Base::Null};
inline constexpr Type kObject{Base::Object};
inline constexpr Type kError{Base::Error};

// The Java name of a type: "int", "String[]".
std::string typeName(Type type);

// A primitive value: boolean, char and int in `i` (char as 0..65535, boolean as 0 or 1).
union Prim {
    std::int32_t i;
    std::int64_t l;
    double d;
};

// Base of the objects a program makes.
class Obj
{
public:
    enum class Kind : std::uint8_t { String, Array, Scanner };

    explicit Obj(Kind kind) : m_kind(kind) {}
    Obj(const Obj&) = delete;
    Obj& operator=(const Obj&) = delete;
    virtual ~Obj() = default;

    Kind kind() const { return m_kind; }

private:
    friend class Ref;
    std::size_t m_refs = 0;
    Kind m_kind;
};

// A counted reference to an object, or null.
class Ref
{
public:
    Ref() = default;
    explicit Ref(Obj* object) : m_object(object)
    {
        if (m_object)
            ++m_object->m_refs;
    }
    Ref(const Ref& other) : Ref(other.m_object) {}
    Ref(Ref&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    Ref& operator=(const Ref& other)
    {
        Ref copy(other);
        std::swap(m_object, copy.m_object);
        return *this;
    }
    Ref& operator=(Ref&& other) noexcept
    {
        Ref moved(std::move(other));
        std::swap(m_object, moved.m_object);
        return *this;
    }
    ~Ref()
    {
        if (m_object && --m_object->m_refs == 0)
            delete m_object;
    }

    Obj* get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    friend bool operator==(const Ref& a, const Ref& b) { return a.m_object == b.m_object; }

private:
    Obj* m_object = nullptr;
};

// The bytes held by the strings and arrays of all runs have a budget, as a Java heap has: allocating
// beyond it throws OutOfMemoryError instead of exhausting the machine. What is charged is what the
// objects really take: the object itself and its element storage, each as the allocator hands it out.
inline constexpr std::size_t kHeapBudget = std::size_t{1} << 30;
inline constexpr std::size_t kMaxStringLength = kHeapBudget / 2;
void chargeHeap(std::size_t bytes);
void releaseHeap(std::size_t bytes);
// The bytes charged now.
std::size_t heapInUse();
// What an allocation of `bytes` takes from the allocator: a header of 8 bytes, rounded up to its
// granule of 16, at least 32 (the C library's allocator; new allocates through it).
constexpr std::size_t allocatedBytes(std::size_t bytes)
{
    return std::max<std::size_t>(32, (bytes + 8 + 15) / 16 * 16);
}
// Throws OutOfMemoryError when `bytes` more would not fit (for text that is still being built).
void checkHeap(std::size_t bytes);

// java.lang.String: immutable UTF-16 text.
class JString final : public Obj
{
public:
    explicit JString(std::u16string text) : Obj(Kind::String), m_text(std::move(text))
    {
        chargeHeap(bytes());
    }
    ~JString() override { releaseHeap(bytes()); }
    const std::u16string& text() const { return m_text; }

private:
    // The object, and the text's own storage unless the text is short enough to be kept in the object.
    std::size_t bytes() const
    {
        constexpr std::size_t kInObject = 16 / sizeof(char16_t) - 1;
        return allocatedBytes(sizeof(JString)) +
               (m_text.capacity() > kInObject ? allocatedBytes((m_text.capacity() + 1) * sizeof(char16_t))
                                              : 0);
    }

    std::u16string m_text;
};

Ref makeString(std::u16string text);
// The string literal "": the one object that Java's substring, trim, replace, repeat, String.format and
// Scanner.nextLine give for an empty result, and that every "" in the program's text is.
Ref emptyString();
inline const std::u16string& textOf(const Ref& ref)
{
    return static_cast<const JString*>(ref.get())->text();
}

// An array: `length` elements of one element type, kept in the vector that fits it.
class JArray : public Obj
{
public:
    Type elementType() const { return m_element; }
    std::int32_t length() const { return m_length; }
    // A number for Object.toString ("[I@1b6d3586"): Java's is a hash, here it is the creation order.
    std::uint32_t identity() const { return m_identity; }

protected:
    // Charges `bytes` to the heap (throws OutOfMemoryError) before the elements are allocated.
    JArray(Type element, std::int32_t length, std::size_t bytes);
    ~JArray() override;

private:
    Type m_element;
    std::int32_t m_length;
    std::uint32_t m_identity;
    std::size_t m_bytes;
};

template <class T> class JArrayOf final : public JArray
{
public:
    JArrayOf(Type element, std::int32_t length)
        : JArray(element, length,
                 allocatedBytes(sizeof(JArrayOf)) +
                     (length > 0 ? allocatedBytes(static_cast<std::size_t>(length) * sizeof(T)) : 0)),
          m_data(static_cast<std::size_t>(length))
    {
    }
    T* data() { return m_data.data(); }
    const T* data() const { return m_data.data(); }

private:
    std::vector<T> m_data;
};

// Element storage per element type: int, char, boolean, long, double, String.
using IntArray = JArrayOf<std::int32_t>;
using CharArray = JArrayOf<std::uint16_t>;
using BoolArray = JArrayOf<std::uint8_t>;
using LongArray = JArrayOf<std::int64_t>;
using DoubleArray = JArrayOf<double>;
using RefArray = JArrayOf<Ref>;

// new T[length] with Java's default values; throws NegativeArraySizeException or OutOfMemoryError.
Ref makeArray(Type element, std::int32_t length);

// The exceptions a program can raise, with Java's class names.
enum class JavaError : std::uint8_t {
    Arithmetic,
    ArrayIndexOutOfBounds,
    NegativeArraySize,
    StringIndexOutOfBounds,
    NullPointer,
    NumberFormat,
    InputMismatch,
    NoSuchElement,
    IllegalState,
    IllegalArgument,
    // The faults of a format, each as the subclass of IllegalFormatException that Java throws.
    UnknownFormatConversion,
    MissingFormatArgument,
    IllegalFormatConversion,
    DuplicateFormatFlags,
    FormatFlagsConversionMismatch,
    IllegalFormatArgumentIndex,
    IllegalFormatCodePoint,
    IllegalFormatFlags,
    IllegalFormatPrecision,
    IllegalFormatWidth,
    MissingFormatWidth,
    OutOfMemory,
};

// "java.lang.ArithmeticException" and so on.
const char* javaClassName(JavaError error);

// A Java exception on its way out of the element that raised it. `detail` is Java's message (UTF-8, as
// Java prints it), or empty where Java has none; `message` the German description (code page 1252), or
// empty for the usual one of its class.
struct JavaException
{
    JavaError error;
    std::string detail;
    std::string message;
};

[[noreturn]] void throwJava(JavaError error, std::string detail = {}, std::string message = {});

// Element `i` of `array` as Java prints it.
std::u16string arrayElementText(const JArray& array, std::size_t i);

// What Java's String.valueOf gives for a value of `type` held in `prim` / `ref`, appended to `out`.
void appendValue(std::u16string& out, Type type, Prim prim, const Ref& ref);

} // namespace runtime
