// Message boxes: the module's MessageBoxA import is redirected so that every
// call is recorded with its exact arguments, and a CBT hook closes each
// dialog as soon as it is activated, so no test ever waits for a click; or,
// when a test asks, once an action has run inside the dialog's message loop.
#include <string.h>

#include "host/host.h"

namespace host {

namespace {

typedef int(WINAPI* MessageBoxAProc)(HWND, LPCSTR, LPCSTR, UINT);

std::vector<MessageBoxRecord> boxes;
HHOOK cbtHook = nullptr;
MessageBoxAProc realMessageBoxA = nullptr;
std::function<void()> boxAction;
bool boxActionRunning = false;
const UINT_PTR kBoxActionTimer = 0x4B56;

// Dispatched by the dialog's own message loop: runs the action, then closes
// the dialog.
void CALLBACK RunBoxAction(HWND window, UINT, UINT_PTR timer, DWORD) {
    KillTimer(window, timer);
    std::function<void()> action = boxAction;
    boxActionRunning = true;
    if (action) action();
    boxActionRunning = false;
    PostMessageA(window, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[32] = {0};
        GetClassNameA(window, className, sizeof className);
        if (strcmp(className, "#32770") == 0) {
            if (!boxes.empty()) boxes.back().shown = true;
            bool deferred = boxAction && !boxActionRunning && SetTimer(window, kBoxActionTimer, 0, RunBoxAction) != 0;
            if (!deferred) PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(cbtHook, code, wParam, lParam);
}

int WINAPI RecordingMessageBoxA(HWND owner, LPCSTR text, LPCSTR title, UINT style) {
    boxes.push_back({title != nullptr ? title : "", text != nullptr ? text : "", style, owner, false});
    boxes.back().frame = Frame();
    boxes.back().callIndex = CallsDropped() + Calls().size();
    return realMessageBoxA(owner, text, title, style);
}

// Points the module's import of user32!MessageBoxA at the recorder.
void PatchImport(HMODULE module) {
    BYTE* base = reinterpret_cast<BYTE*>(module);
    IMAGE_DOS_HEADER* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    IMAGE_NT_HEADERS* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    IMAGE_DATA_DIRECTORY dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) return;
    for (IMAGE_IMPORT_DESCRIPTOR* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         desc->Name != 0; ++desc) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + desc->Name), "user32.dll") != 0) continue;
        IMAGE_THUNK_DATA* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (desc->OriginalFirstThunk != 0 ? desc->OriginalFirstThunk : desc->FirstThunk));
        IMAGE_THUNK_DATA* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            IMAGE_IMPORT_BY_NAME* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<char*>(byName->Name), "MessageBoxA") != 0) continue;
            DWORD old = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            slots->u1.Function = reinterpret_cast<uintptr_t>(RecordingMessageBoxA);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
        }
    }
}

}  // namespace

void HookMessageBoxes(HMODULE module) {
    if (realMessageBoxA == nullptr)
        realMessageBoxA = reinterpret_cast<MessageBoxAProc>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "MessageBoxA")));
    if (cbtHook == nullptr) cbtHook = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
    PatchImport(module);
}

const std::vector<MessageBoxRecord>& MessageBoxes() { return boxes; }
void ClearMessageBoxes() { boxes.clear(); }
void RunWhileBoxOpen(std::function<void()> action) { boxAction = action; }

namespace {
HWND simWindow = nullptr;
}

HWND CreateSimWindow() {
    if (simWindow != nullptr) return simWindow;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"FS98MAIN";
    RegisterClassW(&wc);
    simWindow = CreateWindowW(L"FS98MAIN", L"Simulator", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200, nullptr, nullptr,
                              wc.hInstance, nullptr);
    return simWindow;
}

void DestroySimWindow() {
    if (simWindow != nullptr) DestroyWindow(simWindow);
    simWindow = nullptr;
}

}  // namespace host
