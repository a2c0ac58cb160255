#include <windows.h>

extern "C" __declspec(dllexport) int ShowBox(const char* text, const char* title, unsigned style) {
    return MessageBoxA(nullptr, text, title, style);
}
