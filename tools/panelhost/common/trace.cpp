// The trace: what the module registered, wrote and showed, in the order it
// did so, one line per event with the frame it happened in.
#include <math.h>
#include <stdarg.h>
#include <stdio.h>

#include "host/host.h"
#include "tools/panelhost/common/common.h"

namespace {

bool quietTrace = false;
bool traceAllWrites = false;
size_t callsSeen = 0;
size_t boxesSeen = 0;

void Line(int frame, const char* kind, const char* format, va_list args) {
    char text[2048];
    vsnprintf(text, sizeof text, format, args);
    printf("%6d  %-9s %s\n", frame, kind, text);
    fflush(stdout);
}

void Event(int frame, const char* kind, const char* format, ...) {
    if (quietTrace) return;
    va_list args;
    va_start(args, format);
    Line(frame, kind, format, args);
    va_end(args);
}

void TraceCall(const host::ServiceCall& call) {
    const char* name = call.name.c_str();
    if (call.op == "register") {
        Event(call.frame, "register", "%s", name);
    } else if (call.op == "set") {
        if (isnan(call.previous)) {
            if (traceAllWrites) Event(call.frame, "write", "id %d = %.10g (no such variable)", call.id, call.value);
        } else if (call.previous != call.value) {
            Event(call.frame, "write", "%s = %.10g (was %.10g)", name, call.value, call.previous);
        } else if (traceAllWrites) {
            Event(call.frame, "write", "%s = %.10g (unchanged)", name, call.value);
        }
    } else if (call.op == "trigger_key") {
        Event(call.frame, "key", "%u, parameter %.10g, sent by the module", static_cast<unsigned>(call.id), call.value);
    } else if (call.op == "register_key_handler") {
        Event(call.frame, "keys", "the module listens to key events");
    } else if (call.op == "unregister_key_handler") {
        Event(call.frame, "keys", "the module no longer listens to key events");
    } else if (call.op == "register_var") {
        Event(call.frame, "publish", "%s", name);
    } else if (call.op == "unregister_var") {
        Event(call.frame, "withdraw", "%s", name);
    }
}

}  // namespace

void TraceSettings(bool quiet, bool traceAll) {
    quietTrace = quiet;
    traceAllWrites = traceAll;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

std::string BoxText(const host::MessageBoxRecord& box) { return "[" + Escaped(box.title) + "] " + Escaped(box.text); }

void TraceModule() {
    const std::vector<host::ServiceCall>& calls = host::Calls();
    const std::vector<host::MessageBoxRecord>& boxes = host::MessageBoxes();
    size_t dropped = host::CallsDropped();
    size_t logged = dropped + calls.size();
    if (callsSeen > logged) callsSeen = 0;  // the host was reset
    if (boxesSeen > boxes.size()) boxesSeen = 0;
    if (callsSeen < dropped) callsSeen = dropped;  // dropped by someone else before they were traced
    for (; callsSeen < logged; ++callsSeen) {
        for (; boxesSeen < boxes.size() && boxes[boxesSeen].callIndex <= callsSeen; ++boxesSeen)
            Event(boxes[boxesSeen].frame, "box", "%s", BoxText(boxes[boxesSeen]).c_str());
        TraceCall(calls[callsSeen - dropped]);
    }
    for (; boxesSeen < boxes.size(); ++boxesSeen)
        Event(boxes[boxesSeen].frame, "box", "%s", BoxText(boxes[boxesSeen]).c_str());
}

void TraceSkip() {
    callsSeen = host::CallsDropped() + host::Calls().size();
    boxesSeen = host::MessageBoxes().size();
}

void Say(const char* kind, const char* format, ...) {
    if (quietTrace) return;
    va_list args;
    va_start(args, format);
    Line(host::Frame(), kind, format, args);
    va_end(args);
}

void SayFailure(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Line(host::Frame(), "FAILED", format, args);
    va_end(args);
}

void SayAlways(const char* kind, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Line(host::Frame(), kind, format, args);
    va_end(args);
}
