#include "runtime/values.h"

#include "runtime/javatext.h"
#include "runtime/messages.h"

#include <atomic>
#include <new>

namespace runtime {

namespace {

// The bytes charged by the strings and arrays of every run in the process: one budget for all, as the
// runs share the machine's memory.
std::atomic<std::size_t> g_heapBytes{0};

// A new array, its storage charged by its constructor; the allocator running out (below the budget) is
// Java's OutOfMemoryError too.

template <class T> Ref newArray(Type element, std::int32_t length)
{
    try {
        return Ref(new JArrayOf<T>(element, length));
    } catch (const std::bad_alloc&) {
        throwJava(JavaError::OutOfMemory, "Java heap space");
    }
}

} // namespace

// Charges first and takes the charge back when it does not fit: the count never stays above the budget.
void chargeHeap(std::size_t bytes)
{
    if (g_heapBytes.fetch_add(bytes) + bytes > kHeapBudget) {
        g_heapBytes -= bytes;
        throwJava(JavaError::OutOfMemory, "Java heap space");
    }
}

void checkHeap(std::size_t bytes)
{
    if (g_heapBytes.load() + bytes > kHeapBudget)
        throwJava(JavaError::OutOfMemory, "Java heap space");
}

void releaseHeap(std::size_t bytes)
{
    g_heapBytes -= bytes;
}

std::size_t heapInUse()
{
    return g_heapBytes.load();
}

std::string typeName(Type type)
{
    const char* name = "?";
    switch (type.base) {
    case Base::Void:
        name = "void";
        break;
    case Base::Boolean:
        name = "boolean";
        break;
    case Base::Char:
        name = "char";
        break;
    case Base::Int:
        name = "int";
        break;
    case Base::Long:
        name = "long";
        break;
    case Base::Double:
        name = "double";
        break;
    case Base::String:
        name = "String";
        break;
    case Base::Scanner:
        name = "Scanner";
        break;
    case Base::Null:
        name = "null";
        break;
    case Base::Object:
        name = "Object";
        break;
    case Base::Error:
        name = "?";
        break;
    }
    return type.array ? std::string(name) + "[]" : std::string(name);
}

Ref makeString(std::u16string text)
{
    return Ref(new JString(std::move(text)));
}

Ref emptyString()
{
    static const Ref empty = makeString({});
    return empty;
}

JArray::JArray(Type element, std::int32_t length, std::size_t bytes)
    : Obj(Kind::Array), m_element(element), m_length(length), m_bytes(bytes)
{
    chargeHeap(m_bytes);
    static std::atomic<std::uint32_t> counter{0x1b6d3586};
    m_identity = counter.fetch_add(0x9e3779b1u);
}

JArray::~JArray()
{
    releaseHeap(m_bytes);
}

Ref makeArray(Type element, std::int32_t length)
{
    if (length < 0)
        throwJava(JavaError::NegativeArraySize, std::to_string(length), msg::negativeLength(length));
    switch (element.base) {
    case Base::Boolean:
        return newArray<std::uint8_t>(element, length);
    case Base::Char:
        return newArray<std::uint16_t>(element, length);
    case Base::Int:
        return newArray<std::int32_t>(element, length);
    case Base::Long:
        return newArray<std::int64_t>(element, length);
    case Base::Double:
        return newArray<double>(element, length);
    default:
        return newArray<Ref>(element, length);
    }
}

const char* javaClassName(JavaError error)
{
    switch (error) {
    case JavaError::Arithmetic:
        return "java.lang.ArithmeticException";
    case JavaError::ArrayIndexOutOfBounds:
        return "java.lang.ArrayIndexOutOfBoundsException";
    case JavaError::NegativeArraySize:
        return "java.lang.NegativeArraySizeException";
    case JavaError::StringIndexOutOfBounds:
        return "java.lang.StringIndexOutOfBoundsException";
    case JavaError::NullPointer:
        return "java.lang.NullPointerException";
    case JavaError::NumberFormat:
        return "java.lang.NumberFormatException";
    case JavaError::InputMismatch:
        return "java.util.InputMismatchException";
    case JavaError::NoSuchElement:
        return "java.util.NoSuchElementException";
    case JavaError::IllegalState:
        return "java.lang.IllegalStateException";
    case JavaError::IllegalArgument:
        return "java.lang.IllegalArgumentException";
    case JavaError::UnknownFormatConversion:
        return "java.util.UnknownFormatConversionException";
    case JavaError::MissingFormatArgument:
        return "java.util.MissingFormatArgumentException";
    case JavaError::IllegalFormatConversion:
        return "java.util.IllegalFormatConversionException";
    case JavaError::DuplicateFormatFlags:
        return "java.util.DuplicateFormatFlagsException";
    case JavaError::FormatFlagsConversionMismatch:
        return "java.util.FormatFlagsConversionMismatchException";
    case JavaError::IllegalFormatArgumentIndex:
        return "java.util.IllegalFormatArgumentIndexException";
    case JavaError::IllegalFormatCodePoint:
        return "java.util.IllegalFormatCodePointException";
    case JavaError::IllegalFormatFlags:
        return "java.util.IllegalFormatFlagsException";
    case JavaError::IllegalFormatPrecision:
        return "java.util.IllegalFormatPrecisionException";
    case JavaError::IllegalFormatWidth:
        return "java.util.IllegalFormatWidthException";
    case JavaError::MissingFormatWidth:
        return "java.util.MissingFormatWidthException";
    case JavaError::OutOfMemory:
        return "java.lang.OutOfMemoryError";
    }
    return "java.lang.RuntimeException";
}

void throwJava(JavaError error, std::string detail, std::string message)
{
    throw JavaException{error, std::move(detail), std::move(message)};
}

std::u16string arrayElementText(const JArray& array, std::size_t i)
{
    const Type element = array.elementType();
    Prim p{};
    Ref r;
    switch (element.base) {
    case Base::Boolean:
        p.i = static_cast<const BoolArray&>(array).data()[i];
        break;
    case Base::Char:
        p.i = static_cast<const CharArray&>(array).data()[i];
        break;
    case Base::Int:
        p.i = static_cast<const IntArray&>(array).data()[i];
        break;
    case Base::Long:
        p.l = static_cast<const LongArray&>(array).data()[i];
        break;
    case Base::Double:
        p.d = static_cast<const DoubleArray&>(array).data()[i];
        break;
    default:
        r = static_cast<const RefArray&>(array).data()[i];
        break;
    }
    std::u16string out;
    appendValue(out, element, p, r);
    return out;
}

void appendValue(std::u16string& out, Type type, Prim prim, const Ref& ref)
{
    if (type.array || !type.isPrimitive()) {
        if (!ref) {
            out += u"null";
            return;
        }
        if (ref.get()->kind() == Obj::Kind::String) {
            out += textOf(ref);
            return;
        }
        if (ref.get()->kind() == Obj::Kind::Array) {
            // Object.toString of an array: "[" + the element type's letter + "@" + a hexadecimal number.
            const auto* array = static_cast<const JArray*>(ref.get());
            static constexpr char16_t kLetters[] = u"?ZCIJD";
            const Base element = array->elementType().base;
            if (element == Base::String)
                out += u"[Ljava.lang.String;";
            else
                out += {u'[', kLetters[static_cast<int>(element)]};
            out += u'@';
            char hex[16];
            int n = 0;
            for (std::uint32_t v = array->identity(); v != 0 || n == 0; v >>= 4)
                hex[n++] = "0123456789abcdef"[v & 15];
            while (n > 0)
                out.push_back(static_cast<char16_t>(hex[--n]));
            return;
        }
        out += u"java.util.Scanner";
        return;
    }
    switch (type.base) {
    case Base::Boolean:
        out += prim.i ? u"true" : u"false";
        break;
    case Base::Char:
        out.push_back(static_cast<char16_t>(prim.i));
        break;
    case Base::Int:
        appendInteger(out, prim.i);
        break;
    case Base::Long:
        appendInteger(out, prim.l);
        break;
    case Base::Double:
        appendDouble(out, prim.d);
        break;
    default:
        break;
    }
}

} // namespace runtime
