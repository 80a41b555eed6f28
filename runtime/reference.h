#pragma once

// What a design's texts may call: the library methods, constructors and constants the run accepts, for
// the manual's Java reference. Made from the same tables the checker resolves calls with, so that the
// manual names exactly what runs.

#include <string>
#include <vector>

namespace runtime {

struct LibraryEntry
{
    std::string owner;     // "Math", "String", "Scanner", "System.out"
    std::string signature; // "abs(int)", "charAt(int)", "new Scanner(System.in)", "PI"
    std::string result;    // "int", "String", "void"; empty for a constructor
    bool instance = false; // called on a value ("s.charAt(0)") rather than on the class
};

// Every method, constructor and constant, grouped by owner in a fixed order, overloads one after another.
std::vector<LibraryEntry> libraryReference();

} // namespace runtime
