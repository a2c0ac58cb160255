// A named variable of the host (an L:Var), reached by name and by the id the
// host gives it. The id is cached and looked up again while it is not positive.
#pragma once

#include <stdint.h>

const int kNameLength = 260;

struct NamedVar {
    int32_t id;
    char name[kNameLength];
};

void NamedVarInit(NamedVar* var);

// Copies the name in and registers it, whatever id is cached.
void NamedVarRegister(NamedVar* var, const char* name);
// Asks the host for the id of the record's name; returns the new id.
int32_t NamedVarLookup(NamedVar* var);
// Copies the name in, registers it only while the id is not positive, then
// looks it up in every case; returns the new id.
int32_t NamedVarBind(NamedVar* var, const char* name);
// Writes the value under the cached id, without any look-up.
void NamedVarSetValue(NamedVar* var, double value);
// Copies the name in, makes sure an id exists, then writes the value. A
// cached positive id is kept even when the name differs.
void NamedVarPublish(NamedVar* var, const char* name, double value);
// Reads the value, looking the id up first while it is not positive; 0.0
// when the host offers no read entry.
double NamedVarGetValue(NamedVar* var);

// The module-wide records. Each gets its name from the code that uses it:
// module start-up names the status, muting and SimConnect variables, the
// host-version reader the version numbers, the version-9 reader TimeOfDay,
// and the configuration the control variables (its [Config] keys, or their
// default names).
enum ModuleVarIndex {
    kVarFSVersionMajor,
    kVarFSVersionMinor,
    kVarFSVersionBuild,
    kVarSimConnected,
    kVarViewSystemStatus,
    kVarViewSystemMessages,
    kVarFSSimIsPaused,
    kVarFSSoundIsOn,
    kVarOldVolumeControl,
    kVarSoundIsMuted,
    kVarUserMutedSounds,
    kVarVoiceAvailable,
    kVarVolumeIn,
    kVarPanIn,
    kVarVolumeOut,
    kVarPanOut,
    kVarVolumePlayed,
    kVarPanPlayed,
    kVarLoopPlayed,
    kVarLoopOut,
    kVarTimeOfDay,
    kModuleVarCount
};

extern NamedVar moduleVars[kModuleVarCount];

void ResetModuleVars();

// A host value cut toward zero, as the module reads integers from doubles;
// values beyond the int range are held at its ends, NaN reads as 0.
int TruncateToInt(double value);
