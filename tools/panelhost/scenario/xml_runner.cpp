// The aircraft's XML gauges in the scenario run: found and read as the
// aircraft check reads them, compiled by the interpreter, run every frame
// and on clicks against the stand-in's named variables.
#include "tools/panelhost/scenario/xml_runner.h"

#include <stdio.h>

#include "engine/key_events.h"
#include "host/host.h"
#include "tools/panelhost/common/names.h"
#include "tools/panelhost/scenario/runner.h"

namespace {

const double kFrameSeconds = 1.0 / 18.0;

// The key events the module listens to, by the names scripts send them under.
struct SoundKey {
    const char* name;
    uint32_t id;
};
const SoundKey kSoundKeys[] = {
    {"SOUND_TOGGLE", kKeySoundToggle},
    {"SOUND_SET", kKeySoundSet},
    {"SOUND_ON", kKeySoundOn},
    {"SOUND_OFF", kKeySoundOff},
};

std::string Place(const XmlGauge& gauge, const XmlScript& script, size_t token) {
    int line = token < script.lines.size() ? script.lines[token] : 0;
    return gauge.file + ":" + std::to_string(line);
}

// Notes a write of the script to a variable the run watches.
void NoteWatchedWrite(Run* run, const XmlGauge& gauge, const XmlScript& script, const std::string& name, double value) {
    auto watched = run->watched.find(Folded(name));
    if (watched == run->watched.end()) return;
    watched->second = {true, value, host::Frame(),
                       "the XML gauge " + gauge.name + " (its script at " + Place(gauge, script, 0) + ")"};
}

ScriptWorld WorldOf(Run* run, XmlGauge* gauge, const XmlScript& script) {
    ScriptWorld world;
    world.readL = [run](const std::string& name) {
        run->touched.insert(Folded(name));
        // An L: variable a gauge reads first comes into being, as in the simulator.
        if (!host::VariableExists(name.c_str())) host::RegisterVariable(name.c_str());
        return host::VariableValue(name.c_str());
    };
    world.writeL = [run, gauge, &script](const std::string& name, double value) {
        run->touched.insert(Folded(name));
        if (!host::VariableExists(name.c_str())) host::RegisterVariable(name.c_str());
        double before = host::VariableValue(name.c_str());
        host::SetVariable(name.c_str(), value);
        if (before != value) Say("xml write", "%s = %.10g (was %.10g)", name.c_str(), value, before);
        if (!run->watched.empty()) NoteWatchedWrite(run, *gauge, script, name, value);
    };
    world.sendKey = [run](const std::string& event, double parameter) { SendScriptKey(run, event, parameter); };
    world.unsetRead = [](char kind, const std::string& name) {
        Say("avar", "%c:%s is read before an avar line set it: it reads 0", kind, name.c_str());
    };
    world.avars = &run->xml.avars;
    world.cvars = &run->xml.cvars;
    world.gvars = &gauge->gvars;
    world.absoluteTime = host::Frame() * kFrameSeconds;
    return world;
}

// Runs one script of the gauge, in click code with the mouse event CLICKKIND;
// a script that cannot go on stops the gauge, said once.
void RunOne(Run* run, XmlGauge* gauge, const XmlScript& script, const std::string& clickKind = "") {
    if (gauge->stopped || script.code.tokens.empty()) return;
    ScriptWorld world = WorldOf(run, gauge, script);
    world.mouseEvent = clickKind;
    std::string problem;
    size_t offset = 0;
    if (RunScript(script.code, &world, &problem, &offset)) return;
    size_t token = 0;
    while (token + 1 < script.code.tokens.size() && script.code.tokens[token + 1].offset <= offset) ++token;
    gauge->stopped = true;
    Say("xml", "the XML gauge %s stops here: %s: %s", gauge->name.c_str(), Place(*gauge, script, token).c_str(),
        problem.c_str());
}

}  // namespace

void SendScriptKey(Run* run, const std::string& event, double parameter) {
    for (const SoundKey& key : kSoundKeys) {
        if (!SameName(event, key.name)) continue;
        // A parameter is 32 bits, a negative one in two's complement; the
        // interpreter sends none outside them, whole.
        if (!(parameter >= -2147483648.0 && parameter < 4294967296.0)) {
            Say("xml key", "K:%s, parameter %.10g: not sent, it does not fit 32 bits", key.name, parameter);
            return;
        }
        Say("xml key", "K:%s (%u), parameter %.10g, to the module's key handler", key.name, key.id, parameter);
        host::TriggerKeyEvent(key.id, static_cast<uint32_t>(static_cast<int64_t>(parameter)));
        TraceModule();
        return;
    }
    Say("xml key", "K:%s, parameter %.10g (not an event the module listens to)", event.c_str(), parameter);
    (void)run;
}

void RunXmlGauges(Run* run) {
    for (XmlGauge& gauge : run->xml.gauges)
        for (const XmlScript& script : gauge.frame) RunOne(run, &gauge, script);
}

bool ListsClickKind(const std::string& kinds, const std::string& kind) {
    if (Trimmed(kinds).empty()) return SameName(kind, "LeftSingle");
    size_t begin = 0;
    for (size_t i = 0; i <= kinds.size(); ++i) {
        if (i < kinds.size() && kinds[i] != '+' && kinds[i] != ',' && kinds[i] != '|' && !IsBlank(kinds[i])) continue;
        if (i > begin && SameName(kinds.substr(begin, i - begin), kind)) return true;
        begin = i + 1;
    }
    return false;
}

bool ClickXmlGauge(Run* run, const std::string& name, int64_t area, const std::string& kind, std::string* why) {
    for (XmlGauge& gauge : run->xml.gauges) {
        if (!SameName(gauge.name, name)) continue;
        if (area < 0 || area >= static_cast<int64_t>(gauge.areas.size())) {
            *why = "the gauge has " + std::to_string(gauge.areas.size()) + " mouse areas with click code";
            return false;
        }
        if (gauge.stopped) {
            *why = "the gauge stopped earlier";
            return false;
        }
        std::string listed;
        bool ran = false;
        for (const XmlClick& click : gauge.areas[static_cast<size_t>(area)]) {
            std::string kinds = click.kinds.empty() ? "LeftSingle" : click.kinds;
            if (listed.find(kinds) == std::string::npos) listed += (listed.empty() ? "" : ", ") + kinds;
            if (!ListsClickKind(click.kinds, kind)) continue;
            ran = true;
            if (!click.event.empty()) SendScriptKey(run, click.event, 0);
            // Each click script runs on its own stack, with its own jump targets.
            RunOne(run, &gauge, click.script, kind);
            TraceModule();
        }
        if (!ran) {
            *why = "mouse area " + std::to_string(area) + " has no click code for " + kind + " (it has " +
                   (listed.empty() ? "none" : listed) + ")";
            return false;
        }
        return true;
    }
    *why = "no XML gauge of that name is loaded";
    return false;
}

void SayGaugesNotRun(const XmlPanel& panel) {
    const XmlNotRun& notRun = panel.notRun;
    int stopped = 0;
    for (const XmlGauge& gauge : panel.gauges) stopped += gauge.stopped ? 1 : 0;
    int gauges = notRun.notFound + notRun.compiled + notRun.leftOut + stopped;
    if (gauges == 0 && notRun.scriptsLeftOut == 0) return;
    SayAlways("xml", "gauges not run: %d (%d not found, %d compiled, %d left out, %d stopped); scripts left out: %d",
              gauges, notRun.notFound, notRun.compiled, notRun.leftOut, stopped, notRun.scriptsLeftOut);
}
