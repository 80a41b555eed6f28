#pragma once

// The design as a Java program a student can compile: a class with a main method whose body is the
// design's exported text, with what that text needs to compile and to run as the design runs.

#include "runtime/runtime.h"

#include <string>
#include <string_view>

namespace runtime {

// The name of the class for a program written to a file with the base name `fileStem` (UTF-8): the stem
// itself where it is a Java identifier, else the stem with every character that no identifier may hold
// replaced by "_" (and "_" before a leading digit; "Programm" for an empty stem).
std::string javaClassName(std::string_view fileStem);

// The program, UTF-8 with "\n" line ends: "import java.util.Scanner;" where a text names Scanner, the
// class `className` (public when it is the file's own name, as javac wants), and main holding the
// design's export, indented, with "int" before the variable of each counting loop that declares its
// variable (`checked.declaringLoops`). `checked` must be the check of `root` without problems.
std::string javaProgram(const TBlock& root, const CheckResult& checked, const std::string& className,
                        bool isPublic);

} // namespace runtime
