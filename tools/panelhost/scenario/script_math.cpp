// The interpreter's numeric operators. Where the arithmetic has no number
// (a division by zero, the root or logarithm of a number that has none, a
// result too large for a double, a value too large for an integer operator)
// the script stops: the simulator's own answer is not known, and none is
// made up.
#include <math.h>
#include <stdint.h>
#include <string.h>

#include "tools/panelhost/scenario/script_machine.h"

namespace {

const double kPi = 3.14159265358979323846;
// Integer operators work on 64-bit integers: the value's fraction dropped,
// and values from -2^63 up to 2^63 (excluded) taken.
const double kIntegerLimit = 9223372036854775808.0;

// rand's state: xorshift64*, the same sequence after the same seed.
uint64_t randomState = 0x9E3779B97F4A7C15ull;

bool ToInteger(ScriptMachine* m, double value, int64_t* integer, const std::string& op) {
    double whole = trunc(value);
    if (!(whole >= -kIntegerLimit && whole < kIntegerLimit))
        return Stops(m, "a value too large for the integer operator " + op);
    *integer = static_cast<int64_t>(whole);
    return true;
}

// Normalises VALUE to 0 <= result < PERIOD.
double Normalised(double value, double period) {
    double r = fmod(value, period);
    if (r < 0) r += period;
    return r >= period ? 0 : r;  // a tiny negative rest rounds up to the period itself
}

bool Bitwise(ScriptMachine* m, int code, double x, double y, const std::string& op) {
    int64_t a, b;
    if (!ToInteger(m, x, &a, op) || !ToInteger(m, y, &b, op)) return false;
    if (code == kShiftLeft || code == kShiftRight) {
        if (b < 0 || b > 63) return Stops(m, "a shift by " + std::to_string(b) + " bits: " + op + " takes 0 to 63");
        // Shifted as unsigned bits: a negative value shifted left is well defined so.
        uint64_t bits = static_cast<uint64_t>(a);
        int64_t r = code == kShiftLeft ? static_cast<int64_t>(bits << b) : a >> b;
        return PushResult(m, static_cast<double>(r), op);
    }
    int64_t r = code == kBitAnd ? (a & b) : code == kBitOr ? (a | b) : (a ^ b);
    return PushResult(m, static_cast<double>(r), op);
}

bool Binary(ScriptMachine* m, int code, const std::string& op) {
    ScriptValue b, a;
    if (!PopValue(m, &b) || !PopValue(m, &a)) return false;
    if (a.isText || b.isText) {
        if (!a.isText || !b.isText || (code != kEq && code != kNe))
            return Stops(m, "a string is where a number is needed");
        return PushResult(m, (code == kEq) == (a.text == b.text) ? 1 : 0, op);
    }
    double x = a.number, y = b.number;
    if ((code == kDiv || code == kIntDiv || code == kMod) && y == 0) return Stops(m, "a division by zero");
    switch (code) {
    case kAdd: return PushResult(m, x + y, op);
    case kSub: return PushResult(m, x - y, op);
    case kMul: return PushResult(m, x * y, op);
    case kDiv: return PushResult(m, x / y, op);
    // div: the quotient with its fraction dropped, toward zero as int does.
    case kIntDiv: return PushResult(m, trunc(x / y), op);
    case kMod: return PushResult(m, fmod(x, y), op);
    case kPow:
        if (x == 0 && y < 0) return Stops(m, "a division by zero");
        return PushResult(m, pow(x, y), op);
    case kEq: return PushResult(m, x == y, op);
    case kNe: return PushResult(m, x != y, op);
    case kGt: return PushResult(m, x > y, op);
    case kLt: return PushResult(m, x < y, op);
    case kGe: return PushResult(m, x >= y, op);
    case kLe: return PushResult(m, x <= y, op);
    case kAnd: return PushResult(m, (x != 0) && (y != 0), op);
    case kOr: return PushResult(m, (x != 0) || (y != 0), op);
    case kMin: return PushResult(m, x < y ? x : y, op);
    case kMax: return PushResult(m, x > y ? x : y, op);
    // y x atg2: the angle of the point (x, y), the top being x.
    case kAtan2: return PushResult(m, atan2(x, y), op);
    default: return Bitwise(m, code, x, y, op);
    }
}

bool Unary(ScriptMachine* m, int code, const std::string& op) {
    double x;
    if (!PopNumber(m, &x)) return false;
    switch (code) {
    case kNeg: return PushResult(m, -x, op);
    case kInc: return PushResult(m, x + 1, op);
    case kDec: return PushResult(m, x - 1, op);
    case kSquare: return PushResult(m, x * x, op);
    case kSqrt:
        if (x < 0) return Stops(m, "the square root of a negative number");
        return PushResult(m, sqrt(x), op);
    case kExp: return PushResult(m, exp(x), op);
    case kLn:
    case kLog10:
        if (x <= 0) return Stops(m, "the logarithm of zero or a negative number");
        return PushResult(m, code == kLn ? log(x) : log10(x), op);
    case kNot: return PushResult(m, x == 0, op);
    case kBitNot: {
        int64_t bits;
        if (!ToInteger(m, x, &bits, op)) return false;
        return PushResult(m, static_cast<double>(~bits), op);
    }
    case kAbs: return PushResult(m, fabs(x), op);
    case kInt: return PushResult(m, trunc(x), op);
    case kFloor: return PushResult(m, floor(x), op);
    case kCeil: return PushResult(m, ceil(x), op);
    case kNear: return PushResult(m, floor(x + 0.5), op);
    case kSign: return PushResult(m, x > 0 ? 1 : x < 0 ? -1 : 0, op);
    // eps: the gap between |x| and the next larger double, the accuracy a number near x has.
    case kEpsilon: return PushResult(m, nextafter(fabs(x), INFINITY) - fabs(x), op);
    case kSin: return PushResult(m, sin(x), op);
    case kCos: return PushResult(m, cos(x), op);
    case kTan: return PushResult(m, tan(x), op);
    case kCot:
        if (sin(x) == 0) return Stops(m, "a division by zero");
        return PushResult(m, cos(x) / sin(x), op);
    case kAsin:
    case kAcos:
        if (x < -1 || x > 1) return Stops(m, op + " of a value outside -1..1");
        return PushResult(m, code == kAsin ? asin(x) : acos(x), op);
    case kAtan: return PushResult(m, atan(x), op);
    case kDegToRad: return PushResult(m, x * kPi / 180, op);
    case kRadToDeg: return PushResult(m, x * 180 / kPi, op);
    case kNormDeg: return PushResult(m, Normalised(x, 360), op);
    case kNormRad: return PushResult(m, Normalised(x, 2 * kPi), op);
    case kSeed: {  // the value's bits start rand's sequence
        uint64_t bits;
        memcpy(&bits, &x, sizeof bits);
        randomState = bits ^ 0x9E3779B97F4A7C15ull;
        if (randomState == 0) randomState = 1;
        return true;
    }
    default: return Stops(m, op + " is no operator on numbers");
    }
}

// rand: a number from 0 up to 1 (excluded).
double NextRandom() {
    randomState ^= randomState >> 12;
    randomState ^= randomState << 25;
    randomState ^= randomState >> 27;
    uint64_t r = randomState * 0x2545F4914F6CDD1Dull;
    return static_cast<double>(r >> 11) / 9007199254740992.0;
}

}  // namespace

bool RunMath(ScriptMachine* m, int code, const std::string& op) {
    switch (code) {
    case kPushPi: return PushResult(m, kPi, op);
    case kRandom: return PushResult(m, NextRandom(), op);
    case kAdd: case kSub: case kMul: case kDiv: case kIntDiv: case kMod: case kPow:
    case kEq: case kNe: case kGt: case kLt: case kGe: case kLe: case kAnd: case kOr:
    case kBitAnd: case kBitOr: case kBitXor: case kShiftLeft: case kShiftRight:
    case kMin: case kMax: case kAtan2:
        return Binary(m, code, op);
    default: return Unary(m, code, op);
    }
}
