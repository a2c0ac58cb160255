// The scenario language: words, numbers and the command table.
#include "tools/panelhost/scenario/scenario.h"

#include <ctype.h>
#include <errno.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "tools/panelhost/common/names.h"

namespace {

// The line up to its comment, without blanks at either end.
std::string WithoutComment(const std::string& line) {
    bool quoted = false;
    size_t end = line.size();
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == '#' && !quoted) {
            end = i;
            break;
        }
    }
    size_t begin = 0;
    while (begin < end && IsBlank(line[begin])) ++begin;
    while (end > begin && IsBlank(line[end - 1])) --end;
    return line.substr(begin, end - begin);
}

bool ParseNumber(const std::string& word, double* value) {
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    double parsed = strtod(word.c_str(), &end);
    if (*end != '\0' || errno == ERANGE || !isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

bool ParseInteger(const std::string& word, int64_t low, int64_t high, int64_t* value) {
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long long parsed = strtoll(word.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

// "\n" in an expected box text stands for a line break.
std::string WithLineBreaks(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The rest of the line after COMMAND, unquoted when it is one quoted word.
std::string RestOfLine(const std::string& source, const char* command) {
    std::string rest = source.substr(strlen(command));
    size_t begin = 0;
    while (begin < rest.size() && IsBlank(rest[begin])) ++begin;
    rest = rest.substr(begin);
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"' &&
        rest.find('"', 1) == rest.size() - 1)
        return rest.substr(1, rest.size() - 2);
    return rest;
}

const int64_t kMaxFrames = 10000000;
const int64_t kMaxWait = 3600000;

bool Fail(std::string* reason, const char* text) {
    *reason = text;
    return false;
}

}  // namespace

bool SplitWords(const std::string& line, std::vector<std::string>* words, std::string* reason) {
    words->clear();
    std::string word;
    bool inWord = false, quoted = false;
    for (char c : line) {
        if (quoted) {
            if (c == '"') quoted = false;
            else word += c;
        } else if (c == '"') {
            quoted = true;
            inWord = true;
        } else if (c == '#') {
            break;
        } else if (IsBlank(c)) {
            if (inWord) words->push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) {
        *reason = "a double quote is not closed";
        return false;
    }
    if (inWord) words->push_back(word);
    return true;
}

bool ParseLine(const std::string& line, int lineNumber, Step* step, bool* empty, std::string* reason) {
    std::vector<std::string> w;
    *empty = false;
    if (!SplitWords(line, &w, reason)) return false;
    if (w.empty()) {
        *empty = true;
        return true;
    }
    *step = Step();
    step->line = lineNumber;
    step->source = WithoutComment(line);
    const std::string& command = w[0];
    size_t args = w.size() - 1;
    int64_t number = 0;

    if (command == "gauge") {
        step->kind = kStepGauge;
        step->text[0] = RestOfLine(step->source, "gauge");
    } else if (command == "aircraft") {
        if (args == 0) return Fail(reason, "aircraft takes an aircraft folder or a panel.cfg: aircraft PATH");
        step->kind = kStepAircraft;
        step->text[0] = RestOfLine(step->source, "aircraft");
    } else if (command == "avar") {
        if (args != 2 || w[1].empty())
            return Fail(reason, "avar takes the variable as scripts write it and a number: avar \"GENERAL ENG RPM:1\" 2400, "
                                "avar \"C:fs9gps:WaypointIndex\" 3");
        if (!ParseNumber(w[2], &step->value)) {
            *reason = "'" + w[2] + "' is not a number";
            return false;
        }
        // An A: variable, its letter optional, or a C: variable, its letter written.
        step->kind = kStepAvar;
        step->name = w[1];
        step->text[0] = "A";
        char kind = static_cast<char>(toupper(static_cast<unsigned char>(step->name[0])));
        if (step->name.size() > 2 && step->name[1] == ':' && (kind == 'A' || kind == 'C')) {
            step->text[0] = std::string(1, kind);
            step->name = step->name.substr(2);
        }
    } else if (command == "debugger" || command == "start" || command == "stop" || command == "expect-no-box" ||
               command == "allow-boxes") {
        if (args != 0) {
            *reason = command + " takes nothing after it";
            return false;
        }
        step->kind = command == "debugger"        ? kStepDebugger
                     : command == "start"         ? kStepStart
                     : command == "stop"          ? kStepStop
                     : command == "allow-boxes"   ? kStepAllowBoxes
                                                  : kStepExpectNoBox;
    } else if (command == "frames" || command == "wait") {
        bool frames = command == "frames";
        if (args != 1 || !ParseInteger(w[1], 0, frames ? kMaxFrames : kMaxWait, &number))
            return Fail(reason, frames ? "frames takes a count of frames from 0 to 10000000: frames N"
                                       : "wait takes milliseconds from 0 to 3600000: wait MS");
        step->kind = frames ? kStepFrames : kStepWait;
        step->count = number;
    } else if (command == "set" || command == "expect") {
        if (args != 2 || w[1].empty()) {
            *reason = command + " takes a variable name and a number: " + command + " NAME VALUE";
            return false;
        }
        if (!ParseNumber(w[2], &step->value)) {
            *reason = "'" + w[2] + "' is not a number";
            return false;
        }
        step->kind = command == "set" ? kStepSet : kStepExpect;
        step->name = w[1];
    } else if (command == "print") {
        if (args != 1 || w[1].empty()) return Fail(reason, "print takes one variable name: print NAME");
        step->kind = kStepPrint;
        step->name = w[1];
    } else if (command == "key") {
        int64_t parameter = 0;
        if (args < 1 || args > 2 || !ParseInteger(w[1], 0, UINT32_MAX, &number) ||
            (args == 2 && !ParseInteger(w[2], INT32_MIN, UINT32_MAX, &parameter)))
            return Fail(reason, "key takes an event number and an optional 32-bit parameter: key EVENT [PARAM]");
        step->kind = kStepKey;
        step->event = static_cast<uint32_t>(number);
        step->parameter = static_cast<int32_t>(static_cast<uint32_t>(parameter));
    } else if (command == "probe") {
        if (args == 1 && w[1] == "run") {
            step->kind = kStepProbeRun;
        } else if (args == 1 && ParseNumber(w[1], &step->value)) {
            step->kind = kStepProbeHold;
        } else {
            return Fail(reason, "probe takes a number to hold the clock at, or run: probe VALUE | probe run");
        }
    } else if (command == "global") {
        bool time = args == 2 && w[1] == "time";
        bool sound = args == 2 && w[1] == "sound";
        if ((!time && !sound) || !ParseInteger(w[2], time ? 0 : INT32_MIN, time ? 255 : INT32_MAX, &number))
            return Fail(reason, "global takes time 0..255 or sound and a 32-bit number: global time N | global sound N");
        step->kind = time ? kStepGlobalTime : kStepGlobalSound;
        step->parameter = static_cast<int32_t>(number);
    } else if (command == "simconnect") {
        if (args != 2 || (w[1] != "sound" && w[1] != "pause" && w[1] != "view") ||
            !ParseInteger(w[2], 0, UINT32_MAX, &number))
            return Fail(reason, "simconnect takes sound, pause or view and an unsigned 32-bit number: simconnect pause 1");
        step->kind = kStepSimConnect;
        step->name = w[1];
        step->event = static_cast<uint32_t>(number);
    } else if (command == "click" && (args == 2 || (args == 3 && isalpha(static_cast<unsigned char>(w[3][0]))))) {
        if (!ParseInteger(w[2], 0, INT32_MAX, &number))
            return Fail(reason, "click takes an XML gauge's name, its mouse area's number, from 0, and a mouse "
                                "event (LeftSingle when none): click GAUGE N [KIND]");
        step->kind = kStepClickGauge;
        step->name = w[1];
        step->count = number;
        step->text[0] = args == 3 ? w[3] : "LeftSingle";
    } else if (command == "click") {
        if (args != 1 || (w[1] != "left" && w[1] != "right"))
            return Fail(reason, "click takes left or right (the Debugger gauge), or an XML gauge and a number");
        step->kind = kStepClick;
        step->name = w[1];
    } else if (command == "expect-debug") {
        if (args != 3)
            return Fail(reason, "expect-debug takes the three lines, each in double quotes: "
                                "expect-debug \"COMMAND\" \"VARIABLE\" \"PAGE\"");
        step->kind = kStepExpectDebug;
        for (int i = 0; i < 3; ++i) step->text[i] = w[i + 1];
    } else if (command == "expect-box") {
        if (args != 1) return Fail(reason, "expect-box takes one text; write a text with blanks in double quotes");
        step->kind = kStepExpectBox;
        step->text[0] = WithLineBreaks(w[1]);
    } else {
        *reason = "unknown command '" + command + "'";
        return false;
    }
    return true;
}

// Why the text cannot be a scenario file at all, or null: the reader takes
// ASCII, UTF-8 and ANSI text.
const char* EncodingProblem(const std::string& text) {
    if (text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0)
        return "the file is saved as UTF-16: save it as UTF-8 (or ANSI) text";
    for (unsigned char c : text)
        if (c == 0 || (c < 0x20 && c != '\t' && c != '\r' && c != '\n'))
            return "this is not a text file (it holds control characters)";
    return nullptr;
}

bool ParseScenario(const std::string& fileText, std::vector<Step>* steps, int* errorLine, std::string* reason) {
    steps->clear();
    // Windows editors may start a UTF-8 file with a byte-order mark.
    const std::string utf8Mark = "\xEF\xBB\xBF";
    std::string text = fileText.compare(0, utf8Mark.size(), utf8Mark) == 0 ? fileText.substr(utf8Mark.size()) : fileText;
    if (const char* problem = EncodingProblem(text)) {
        *errorLine = 0;
        *reason = problem;
        return false;
    }
    size_t begin = 0;
    int lineNumber = 0;
    while (begin <= text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        ++lineNumber;
        Step step;
        bool empty = false;
        if (!ParseLine(text.substr(begin, end - begin), lineNumber, &step, &empty, reason)) {
            *errorLine = lineNumber;
            return false;
        }
        if (!empty) steps->push_back(step);
        begin = end + 1;
    }
    return true;
}
