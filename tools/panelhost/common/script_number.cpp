#include "tools/panelhost/common/script_number.h"

#include <ctype.h>
#include <stdlib.h>

namespace {

bool IsHexPrefix(const std::string& token, size_t at) {
    return token.compare(at, 2, "0x") == 0 || token.compare(at, 2, "0X") == 0;
}

}  // namespace

bool IsScriptNumber(const std::string& token) {
    size_t i = 0;
    if (i < token.size() && (token[i] == '-' || token[i] == '+')) ++i;
    if (IsHexPrefix(token, i)) {
        i += 2;
        size_t digits = i;
        while (i < token.size() && isxdigit(static_cast<unsigned char>(token[i]))) ++i;
        return i > digits && i == token.size();
    }
    size_t digits = 0;
    while (i < token.size() && isdigit(static_cast<unsigned char>(token[i]))) ++i, ++digits;
    if (i < token.size() && token[i] == '.') {
        ++i;
        while (i < token.size() && isdigit(static_cast<unsigned char>(token[i]))) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < token.size() && (token[i] == '-' || token[i] == '+')) ++i;
        size_t exponent = i;
        while (i < token.size() && isdigit(static_cast<unsigned char>(token[i]))) ++i;
        if (i == exponent) return false;
    }
    return i == token.size();
}

double ScriptNumberValue(const std::string& token) {
    size_t sign = token.empty() || (token[0] != '-' && token[0] != '+') ? 0 : 1;
    if (!IsHexPrefix(token, sign)) return strtod(token.c_str(), nullptr);
    double value = static_cast<double>(strtoull(token.c_str() + sign + 2, nullptr, 16));
    return token[0] == '-' ? -value : value;
}
