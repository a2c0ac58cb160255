// The XML gauges' script language, its common part: a stack machine over
// numbers and strings, with the simulator's variables, registers, if{ els{ }
// blocks and quit. A script is compiled once, refusing any token outside that
// part, and run against a store of variables that the caller provides.
#pragma once

#include <stddef.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

struct ScriptToken {
    int op = 0;           // one of the interpreter's operations
    double number = 0;    // a number to push; a register's index; a jump target
    std::string text;     // a string to push; a variable's name (without its letter)
    std::string unit;     // a variable's unit, as written (units are not converted)
    char letter = 0;      // a variable's kind: 'L', 'A', 'K', 'P', 'G'
    size_t offset = 0;    // where the token starts in the script's text
};

struct CompiledScript {
    std::vector<ScriptToken> tokens;
};

// The variables a script reaches. L: names go through readL/writeL; A: and
// G: are maps of folded names (A: with its index, "general eng rpm:1"); a
// K: event is handed to sendKey with the value it took from the stack.
struct ScriptWorld {
    std::function<double(const std::string& name)> readL;
    std::function<void(const std::string& name, double value)> writeL;
    std::function<void(const std::string& event, double parameter)> sendKey;
    // Called once per A: name that is read before the scenario set it.
    std::function<void(const std::string& name)> unsetA;
    std::map<std::string, double>* avars = nullptr;
    std::map<std::string, double>* gvars = nullptr;
    double absoluteTime = 0;  // P:ABSOLUTE TIME, seconds
};

// Compiles TEXT. False when a token lies outside the common part or a block
// is not closed, with the token and its offset in TEXT.
bool CompileScript(const std::string& text, CompiledScript* script, std::string* token, size_t* offset);

// Runs the script once. False when it cannot go on (a value taken from an
// empty stack, a string where a number is needed, a case index outside its
// values), with why and the offset of the token it stopped at. TOP, when
// given, receives the number left on top (0 when the stack ends empty).
bool RunScript(const CompiledScript& script, ScriptWorld* world, std::string* problem, size_t* offset,
               double* top = nullptr);
