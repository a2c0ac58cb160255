// Reads the scripts of an XML gauge found where the simulator would find it
// and judges their L: writes against the module's variables.
#include "tools/panelhost/check/xml_gauges.h"

#include <ctype.h>

#include <map>
#include <set>

#include "tools/panelhost/aircraft/lvar_uses.h"
#include "tools/panelhost/common/names.h"
#include "tools/panelhost/common/script_number.h"

namespace {

const size_t kMaxNamesJudged = 1000;  // distinct written names compared with the module's per gauge
const size_t kMaxFindingsPerGauge = 50;

// The name with every number's leading zeros removed: kvo_xml_id_03 -> kvo_xml_id_3.
std::string Unpadded(const std::string& folded) {
    std::string result;
    for (size_t i = 0; i < folded.size(); ++i) {
        bool numberStart = i == 0 || !isdigit(static_cast<unsigned char>(folded[i - 1]));
        if (numberStart && folded[i] == '0' && i + 1 < folded.size() && isdigit(static_cast<unsigned char>(folded[i + 1])))
            continue;
        result.push_back(folded[i]);
    }
    return result;
}

// How many edits still make a near miss of a module variable's name: short
// names resemble too much at two.
size_t EditsAllowed(const std::string& name) { return name.size() >= 8 ? 2 : name.size() >= 4 ? 1 : 0; }

// The name with every number written as "#": numbered siblings
// (fire_eng1_warning, fire_eng2_warning) share it.
std::string NumbersHidden(const std::string& folded) {
    std::string result;
    for (size_t i = 0; i < folded.size(); ++i) {
        bool digit = isdigit(static_cast<unsigned char>(folded[i])) != 0;
        if (!digit) result.push_back(folded[i]);
        else if (i == 0 || !isdigit(static_cast<unsigned char>(folded[i - 1]))) result.push_back('#');
    }
    return result;
}

// The parts of a name between underscores and blanks.
std::vector<std::string> NameParts(const std::string& folded) {
    std::vector<std::string> parts;
    size_t begin = 0;
    for (size_t i = 0; i <= folded.size(); ++i) {
        if (i < folded.size() && folded[i] != '_' && folded[i] != ' ') continue;
        if (i > begin) parts.push_back(folded.substr(begin, i - begin));
        begin = i + 1;
    }
    return parts;
}

// Whether LONGER is SHORTER with one part more (kvo_lvchime_volume_in and
// kvo_lvchime_volume), SHORTER keeping at least two parts.
bool OnePartMore(const std::vector<std::string>& longer, const std::vector<std::string>& shorter) {
    if (longer.size() != shorter.size() + 1 || shorter.size() < 2) return false;
    for (size_t skip = 0; skip < longer.size(); ++skip) {
        bool same = true;
        for (size_t i = 0, j = 0; i < longer.size() && same; ++i) {
            if (i == skip) continue;
            same = longer[i] == shorter[j++];
        }
        if (same) return true;
    }
    return false;
}

// The module's variable names, folded, folded without zero padding, with
// their numbers hidden, and split into parts.
struct VarNames {
    std::vector<std::string> folded, unpadded, numbersHidden;
    std::vector<std::vector<std::string>> parts;
    std::vector<ModuleVarKind> kinds;
};

// The module variable that FOLDED resembles without being it; -1 when none.
// A numbered sibling of a module variable is a variable of its own; a part
// left out or added counts for the control variables, whose names come in
// families (_in, _out).
int Resembled(const std::string& folded, const VarNames& names) {
    int best = -1;
    size_t bestDistance = 0;
    std::string unpadded = Unpadded(folded);
    std::string numbersHidden = NumbersHidden(folded);
    std::vector<std::string> parts = NameParts(folded);
    for (size_t i = 0; i < names.folded.size(); ++i) {
        size_t allowed = EditsAllowed(names.folded[i]);
        size_t distance;
        if (names.unpadded[i] == unpadded)
            distance = 0;  // the same numbers, written differently
        else if (names.numbersHidden[i] == numbersHidden)
            continue;      // the same name with other numbers
        else if (names.kinds[i] == kVarOther &&
                 (OnePartMore(parts, names.parts[i]) || OnePartMore(names.parts[i], parts)))
            distance = allowed;
        else
            distance = EditDistance(folded, names.folded[i], allowed);
        if (distance > allowed) continue;
        if (best < 0 || distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

// Whether VALUE, a number as the script writes it, is one the variable takes.
bool TakesValue(ModuleVarKind kind, const std::string& text) {
    double value = ScriptNumberValue(text);
    if (kind == kVarCommand) return value >= 0 && value <= 11 && value == static_cast<int>(value);
    if (kind == kVarGlobalCommands) return value == 1 || value == 2 || value == 3;
    return true;
}

// A play-once command code: 1, or 7 (with the volume and pan set first).
bool PlaysOnce(const std::string& value) {
    double code = ScriptNumberValue(value);
    return code == 1 || code == 7;
}

// Where a write that came from a macro is used: the line of the finding is
// inside the macro's definition.
std::string ThroughMacro(const LVarUse& use) {
    if (use.macro.empty()) return "";
    std::string text = " (through the macro @" + use.macro;
    if (!use.usedThrough.empty()) text += ", inside @" + use.usedThrough;
    if (use.useLine != use.line) text += ", used at line " + std::to_string(use.useLine);
    return text + ")";
}

// Judges the L: writes of the gauge in FILE.
void JudgeUses(const std::string& file, const std::vector<LVarUse>& uses, const std::vector<ModuleVariable>& vars,
               std::vector<bool>* written, std::vector<Finding>* findings) {
    VarNames names;
    std::multimap<std::string, size_t> byName;  // folded name -> index in VARS
    for (const ModuleVariable& var : vars) {
        byName.emplace(Folded(var.name), names.folded.size());
        names.folded.push_back(Folded(var.name));
        names.unpadded.push_back(Unpadded(names.folded.back()));
        names.numbersHidden.push_back(NumbersHidden(names.folded.back()));
        names.parts.push_back(NameParts(names.folded.back()));
        names.kinds.push_back(var.kind);
    }
    std::map<std::string, int> resembled;  // written names that are none of the module's
    bool tooManyNames = false;
    size_t reported = 0;
    auto report = [&](int line, const std::string& item, const std::string& message,
                      FindingLevel level = kFindingError) {
        if (reported < kMaxFindingsPerGauge)
            AddFindingOnce(findings, level, file, line, item, message);
        else if (reported == kMaxFindingsPerGauge)
            AddFindingOnce(findings, kFindingWarning, file, line, "", "holds more faults than the " + std::to_string(kMaxFindingsPerGauge) +
                    " shown: correct those and check again");
        ++reported;
    };
    // Where each script first reads each name: a write after it may keep the
    // variable as the gauge's own state.
    std::map<std::pair<int, std::string>, size_t> firstRead;
    std::set<size_t> keptAsState;  // the command variables found so, each said once per gauge
    for (const LVarUse& use : uses)
        if (!use.write) firstRead.emplace(std::make_pair(use.script, Folded(use.name)), use.offset);
    for (const LVarUse& use : uses) {
        if (!use.write) continue;
        std::string folded = Folded(use.name);
        auto same = byName.equal_range(folded);
        for (auto at = same.first; at != same.second; ++at) {
            size_t i = at->second;
            (*written)[i] = true;
            if (vars[i].kind == kVarCommand && !use.constant && keptAsState.count(i) == 0) {
                auto read = firstRead.find(std::make_pair(use.script, folded));
                if (read != firstRead.end() && read->second < use.offset && keptAsState.insert(i).second)
                    report(use.line, vars[i].name,
                           "the gauge steps or toggles this command variable from its own value" + ThroughMacro(use) +
                               ", as a switch keeps its state: the module writes 0 into it when a play ends and the "
                               "ErrorFlag value when the sound fails, so the switch jumps back; 2 makes the sound "
                               "loop and 3 to 11 are other commands. Give the sound a variable of its own ([LVars]) "
                               "and write a play code into it where the switch changes; the switch keeps its own",
                           kFindingWarning);
            }
            if (vars[i].kind == kVarCommand && use.constant && !use.conditional &&
                (use.role == kScriptUpdate || use.role == kScriptValue) && PlaysOnce(use.value))
                report(use.line, use.value,
                       "written into the command variable " + vars[i].name + ThroughMacro(use) + " by " +
                           (use.role == kScriptUpdate ? "update code" : "an element's value code") +
                           ", which runs on every gauge update, under no condition: the sound starts again each "
                           "time it ends. Write it once where its cause changes (a click, or under an if{ } that "
                           "compares with the state before), or write 2 to loop it",
                       kFindingWarning);
            if (!use.constant || TakesValue(vars[i].kind, use.value)) continue;
            report(use.line, use.value,
                   vars[i].kind == kVarCommand
                       ? "written into the command variable " + vars[i].name + ThroughMacro(use) +
                             ", which takes only the command codes 0 to 11: the module ignores it; write a command code"
                       : "written into the global-commands variable " + vars[i].name + ThroughMacro(use) +
                             ", which takes only 1 (stop all), 2 (mute all) or 3 (unmute all): the module ignores it");
        }
        if (same.first != same.second) continue;
        auto known = resembled.find(folded);
        if (known == resembled.end()) {
            if (resembled.size() == kMaxNamesJudged) {
                if (!tooManyNames)
                    AddFindingOnce(findings, kFindingWarning, file, use.line, use.name,
                        "and the names written after it are not compared with the module's: the gauge writes more "
                        "than " + std::to_string(kMaxNamesJudged) + " variables of its own");
                tooManyNames = true;
                continue;
            }
            known = resembled.emplace(folded, Resembled(folded, names)).first;
        }
        if (known->second < 0) continue;
        const std::string& meant = vars[static_cast<size_t>(known->second)].name;
        report(use.line, use.name,
               "is none of the module's variables but resembles " + meant + ThroughMacro(use) +
                   ": the module never sees this write; write " + meant + " or configure this name");
    }
}

// Reads the scripts of the gauge held in BYTES, FILE naming it, and judges them.
void CheckGaugeText(const std::string& file, const std::string& bytes, const std::vector<ModuleVariable>& vars,
                    std::vector<bool>* written, std::vector<Finding>* findings) {
    std::vector<LVarUse> uses;
    ScriptProblem problem;
    if (!ReadGaugeScripts(bytes, &uses, &problem)) {
        std::string advice = problem.gaugeLoads ? ": the check cannot read this gauge's scripts; simplify its macros"
                                                : ": the simulator does not load this gauge; correct the file";
        AddFindingOnce(findings, kFindingError, file, problem.line, problem.item, problem.what + advice);
        return;
    }
    JudgeUses(file, uses, vars, written, findings);
}

}  // namespace

XmlGaugeLookup CheckXmlGauge(const std::string& panelFolder, const std::string& gaugesFolder, const std::string& container,
                   const std::string& gauge, const std::vector<ModuleVariable>& vars, std::vector<bool>* written,
                   std::vector<Finding>* findings) {
    written->resize(vars.size(), false);
    std::string bytes, file;
    XmlGaugeLookup found = FindXmlGaugeBytes(panelFolder, gaugesFolder, container, gauge, &bytes, &file, findings);
    if (found == kXmlGaugeUnreadable) return kXmlGaugeChecked;
    if (found == kXmlGaugeChecked) CheckGaugeText(file, bytes, vars, written, findings);
    return found;
}
