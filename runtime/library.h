#pragma once

// The Java library the interpreter offers: static methods of Math, StrictMath, Integer, Long, Double,
// Boolean, Character and String, the methods of String and Scanner, and the constants Integer.MAX_VALUE,
// Math.PI and the like (the functions of Math and StrictMath: runtime/javamath.h, runtime/strictmath.h).
// The checker picks an overload from this table by Java's rules; System.out.print, println, printf,
// System.exit and String.valueOf are compiled by the checker itself.

#include "runtime/nodes.h"

#include <span>
#include <string_view>

namespace runtime {

struct Builtin
{
    std::u16string_view owner; // class name; for instance methods "String" or "Scanner"
    std::u16string_view name;
    bool instance = false; // the receiver comes first in the arguments, before `params`
    std::vector<Type> params;
    Type result;
    BuiltinFn fn = nullptr;
};

std::span<const Builtin> builtins();

struct StaticField
{
    std::u16string_view owner;
    std::u16string_view name;
    Type type;
    Prim value;
};

std::span<const StaticField> staticFields();

// Whether `name` is a class whose static members the library offers (Math, Integer, ...).
bool isLibraryClass(std::u16string_view name);

// Constructors: new Scanner(System.in), new Scanner(String), new String(), new String(String),
// new String(char[]).
void newStdinScanner(Machine& m, Val* args, Val& result);
void newStringScanner(Machine& m, Val* args, Val& result);
void newEmptyString(Machine& m, Val* args, Val& result);
void newStringCopy(Machine& m, Val* args, Val& result);
void newStringOfChars(Machine& m, Val* args, Val& result);
// String.valueOf(char[]) and Math.round of an integral value (Java rounds it as a float: an int result).
void stringOfChars(Machine& m, Val* args, Val& result);
void roundAsFloat(Machine& m, Val* args, Val& result);
// String.valueOf(String) and String.valueOf(Object) of a String: the same object, "null" for null.
void stringValueOfObject(Machine& m, Val* args, Val& result);

} // namespace runtime
