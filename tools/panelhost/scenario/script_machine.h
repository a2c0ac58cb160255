// The interpreter's inside, shared by its files: the operations a token
// compiles to, and the stack machine that runs them.
#pragma once

#include <string>
#include <vector>

enum ScriptOp {
    kPushNumber,
    kPushText,
    kRead,      // a variable
    kWrite,     // (>...)
    kStore,     // sN: the top into register N, left on the stack
    kStorePop,  // spN: the same, popped
    kLoad,      // lN
    kIf,        // number: the token after the matching } or els{ block start
    kElse,      // number: the token after its }
    kEnd,       // }
    kLabel,     // :N, a place to jump to
    kJump,      // gN; number: the token after the label
    kQuit,
    // Stack.
    kDup, kPop, kSwap, kClear, kBackUp,
    // Numbers to a number (script_math.cpp).
    kAdd, kSub, kMul, kDiv, kIntDiv, kMod, kPow, kNeg, kInc, kDec,
    kSquare, kSqrt, kExp, kLn, kLog10,
    kEq, kNe, kGt, kLt, kGe, kLe,
    kAnd, kOr, kNot,
    kBitAnd, kBitOr, kBitXor, kBitNot, kShiftLeft, kShiftRight,
    kMin, kMax, kAbs, kInt, kFloor, kCeil, kNear, kSign, kEpsilon,
    kSin, kCos, kTan, kCot, kAsin, kAcos, kAtan, kAtan2,
    kDegToRad, kRadToDeg, kNormDeg, kNormRad,
    kRange, kPushPi, kSeed, kRandom,
    // Choosing.
    kCase, kChoose,
    // Strings (script_text.cpp).
    kConcat, kCompare, kCompareNoCase, kFindString, kFindChar, kSubstring, kCharAt,
    kCharOf, kCodeOf, kLength, kLower, kUpper, kCapital,
};

struct ScriptValue {
    bool isText = false;
    double number = 0;
    std::string text;
};

const int kScriptRegisters = 50;

struct ScriptMachine {
    std::vector<ScriptValue> stack;
    ScriptValue registers[kScriptRegisters];
    std::string problem;
};

// Each false with the machine's problem set.
bool Stops(ScriptMachine* m, const std::string& problem);
bool PopValue(ScriptMachine* m, ScriptValue* value);
bool PopNumber(ScriptMachine* m, double* number);
// A string, or a number in the text the string operators see.
bool PopText(ScriptMachine* m, std::string* text);
// Pushes a number; false when it is no number (NaN or infinite), OP naming
// the operator that made it.
bool PushResult(ScriptMachine* m, double number, const std::string& op);
bool PushText(ScriptMachine* m, const std::string& text);

// Runs a numeric operator or a string operator. OP is the operator as written.
bool RunMath(ScriptMachine* m, int code, const std::string& op);
bool RunText(ScriptMachine* m, int code, const std::string& op);
