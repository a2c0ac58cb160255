#include "tools/panelhost/aircraft/utf16.h"

#include <windows.h>

bool FromUtf16(const std::string& text, std::string* utf8) {
    bool little = text.compare(0, 2, "\xFF\xFE") == 0, big = text.compare(0, 2, "\xFE\xFF") == 0;
    if (!little && !big) return false;
    std::wstring wide;
    for (size_t i = 2; i + 1 < text.size(); i += 2) {
        unsigned char first = static_cast<unsigned char>(text[i]), second = static_cast<unsigned char>(text[i + 1]);
        wide.push_back(static_cast<wchar_t>(little ? first | (second << 8) : (first << 8) | second));
    }
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    utf8->assign(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &(*utf8)[0], size, nullptr, nullptr);
    return true;
}
