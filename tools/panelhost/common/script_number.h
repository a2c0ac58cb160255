// A number as the gauges' scripts write it: one grammar for the check, which
// looks for numbers written into variables, and the script interpreter.
#pragma once

#include <string>

// An optional sign, then decimal digits with an optional fraction and
// exponent ("12", "-.5", "1e3"), or "0x" and hexadecimal digits.
bool IsScriptNumber(const std::string& token);
// The value of a token IsScriptNumber accepts.
double ScriptNumberValue(const std::string& token);
