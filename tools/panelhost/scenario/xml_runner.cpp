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

ScriptWorld WorldOf(Run* run, XmlGauge* gauge) {
    ScriptWorld world;
    world.readL = [run](const std::string& name) {
        run->touched.insert(Folded(name));
        // An L: variable a gauge reads first comes into being, as in the simulator.
        if (!host::VariableExists(name.c_str())) host::RegisterVariable(name.c_str());
        return host::VariableValue(name.c_str());
    };
    world.writeL = [run](const std::string& name, double value) {
        run->touched.insert(Folded(name));
        if (!host::VariableExists(name.c_str())) host::RegisterVariable(name.c_str());
        double before = host::VariableValue(name.c_str());
        host::SetVariable(name.c_str(), value);
        if (before != value) Say("xml write", "%s = %.10g (was %.10g)", name.c_str(), value, before);
    };
    world.sendKey = [run](const std::string& event, double parameter) { SendScriptKey(run, event, parameter); };
    world.unsetA = [run](const std::string& name) {
        std::string key = Folded(name);
        if (run->xml.unsetSaid[key]) return;
        run->xml.unsetSaid[key] = true;
        Say("avar", "A:%s is read before an avar line set it: it reads 0", name.c_str());
    };
    world.avars = &run->xml.avars;
    world.gvars = &gauge->gvars;
    world.absoluteTime = host::Frame() * kFrameSeconds;
    return world;
}

// Runs one script of the gauge; a script that cannot go on stops the gauge,
// said once.
void RunOne(Run* run, XmlGauge* gauge, const XmlScript& script) {
    if (gauge->stopped || script.code.tokens.empty()) return;
    ScriptWorld world = WorldOf(run, gauge);
    std::string problem;
    size_t offset = 0;
    if (RunScript(script.code, &world, &problem, &offset)) return;
    size_t token = 0;
    while (token + 1 < script.code.tokens.size() && script.code.tokens[token + 1].offset <= offset) ++token;
    gauge->stopped = true;
    SayAlways("xml", "the XML gauge %s stops here: %s: %s", gauge->name.c_str(), Place(*gauge, script, token).c_str(),
              problem.c_str());
}

}  // namespace

void SendScriptKey(Run* run, const std::string& event, double parameter) {
    for (const SoundKey& key : kSoundKeys) {
        if (!SameName(event, key.name)) continue;
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

bool ClickXmlGauge(Run* run, const std::string& name, int64_t area, std::string* why) {
    for (XmlGauge& gauge : run->xml.gauges) {
        if (!SameName(gauge.name, name)) continue;
        if (area < 0 || area >= static_cast<int64_t>(gauge.clicks.size())) {
            *why = "the gauge has " + std::to_string(gauge.clicks.size()) + " mouse areas with click code";
            return false;
        }
        if (gauge.stopped) {
            *why = "the gauge stopped earlier";
            return false;
        }
        RunOne(run, &gauge, gauge.clicks[static_cast<size_t>(area)]);
        TraceModule();
        return true;
    }
    *why = "no XML gauge of that name is loaded";
    return false;
}
