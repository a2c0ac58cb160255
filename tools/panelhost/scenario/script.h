// The XML gauges' script language: a stack machine over numbers and strings,
// with the simulator's variables, registers, if{ els{ } blocks, :N labels and
// gN jumps, and quit. A script is compiled once, refusing any token outside
// the language, and run against a store of variables that the caller
// provides. A run never makes a value up: arithmetic that has no number
// (a division by zero, the root of a negative number, a result too large)
// stops it, saying where.
#pragma once

#include <stddef.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

struct ScriptToken {
    int op = 0;           // one of the interpreter's operations
    double number = 0;    // a number to push; a register's index; a jump target
    std::string text;     // a string to push; a variable's name (without its letter); an operator as written
    std::string unit;     // a variable's unit, as written (units are not converted)
    char letter = 0;      // a variable's kind: 'L', 'A', 'K', 'P', 'G', 'E', 'M', 'C'
    size_t offset = 0;    // where the token starts in the script's text
};

struct CompiledScript {
    std::vector<ScriptToken> tokens;
};

// The variables a script reaches. L: names go through readL/writeL; A:, C:
// and G: are maps of folded names (A: with its index, "general eng rpm:1";
// C: with its module, "fs9gps:waypointindex"); a K: event is handed to
// sendKey with the value it took from the stack.
struct ScriptWorld {
    std::function<double(const std::string& name)> readL;
    std::function<void(const std::string& name, double value)> writeL;
    std::function<void(const std::string& event, double parameter)> sendKey;
    // Called once for an A: or C: name (KIND 'A' or 'C') read before the
    // scenario or a script set it; it reads 0, and is held as 0 from then on.
    std::function<void(char kind, const std::string& name)> unsetRead;
    std::map<std::string, double>* avars = nullptr;
    std::map<std::string, double>* cvars = nullptr;
    std::map<std::string, double>* gvars = nullptr;
    // The run's clock in seconds: P:/E: ABSOLUTE TIME and SIMULATION TIME;
    // LOCAL TIME and ZULU TIME are the seconds since midnight, the run
    // starting at midnight.
    double absoluteTime = 0;
    // In click code: the mouse event that runs it ("LeftSingle", ...) and
    // where, read as M:Event, M:X and M:Y. Empty outside click code, where
    // an M: read stops the script.
    std::string mouseEvent;
    double mouseX = 0;
    double mouseY = 0;
};

// Compiles TEXT. False when a token lies outside the language, a block is
// not closed or a jump names no label, with the token and its offset in TEXT.
bool CompileScript(const std::string& text, CompiledScript* script, std::string* token, size_t* offset);

// Runs the script once. False when it cannot go on (a value taken from an
// empty stack, a string where a number is needed, arithmetic with no number,
// a case index outside its values, a jump loop that does not end), with why
// and the offset of the token it stopped at. TOP, when given, receives the
// number left on top (0 when the stack ends empty or with a string on top).
bool RunScript(const CompiledScript& script, ScriptWorld* world, std::string* problem, size_t* offset,
               double* top = nullptr);
