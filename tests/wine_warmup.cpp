// Run once before the tests with its output discarded: it makes wine start
// its desktop and COM services, which live on for the whole run and would
// otherwise hold the first test program's output open.
#include <objbase.h>
#include <windows.h>

int main() {
    CoInitialize(nullptr);
    HWND window = CreateWindowA("STATIC", "warm-up", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    DestroyWindow(window);
    CoUninitialize();
    return 0;
}
