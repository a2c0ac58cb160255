// Text whose every character keeps the line it was written on, and the macro
// it came from: what the XML reader collects and the macro expander makes.
#pragma once

#include <stddef.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/panelhost/aircraft/gauge_scripts.h"

// Text with the source line of every character, kept as runs (see
// GaugeScript::Run).
struct LinedText {
    std::string chars;
    std::vector<GaugeScript::Run> runs;

    void Add(char c, int line, int macro, int useLine, int outer) {
        if (runs.empty() || runs.back().line != line || runs.back().macro != macro || runs.back().useLine != useLine ||
            runs.back().outerMacro != outer)
            runs.push_back({chars.size(), line, macro, useLine, outer});
        chars.push_back(c);
    }
    void Add(char c, int line) { Add(c, line, -1, line, -1); }
    const GaugeScript::Run& RunAt(size_t offset) const {
        auto after = std::upper_bound(runs.begin(), runs.end(), offset,
                                      [](size_t at, const GaugeScript::Run& run) { return at < run.start; });
        return *(after - 1);
    }
    // Appends the characters FROM to TO of OTHER with their runs.
    void Append(const LinedText& other, size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            const GaugeScript::Run& run = other.RunAt(i);
            Add(other.chars[i], run.line, run.macro, run.useLine, run.outerMacro);
        }
    }
};
