// The cost of one pre-update against the host's own floor: the same
// named-variable reads, in the same order, through the same service entry.
#include <stdio.h>

#include "host/host.h"
#include "tools/bench/bench.h"
#include "tools/bench/sections.h"

namespace bench {

namespace {

volatile double floorSink = 0;

struct ShutDown {
    int slots;
    double closeMs;
};
std::vector<ShutDown> shutDowns;

// The reads the last pre-update made, as ids in call order.
std::vector<int32_t> ReadsOfLastFrame(size_t* otherCalls) {
    std::vector<int32_t> ids;
    *otherCalls = 0;
    for (const host::ServiceCall& call : host::Calls()) {
        if (call.op == "get") ids.push_back(call.id);
        else ++*otherCalls;
    }
    return ids;
}

double FloorFrame(const std::vector<int32_t>& ids) {
    PanelServices* services = host::Services();
    host::ClearCalls();
    double sum = 0;
    double start = Now();
    for (int32_t id : ids) sum += services->get_named_variable_value(id);
    double elapsed = Now() - start;
    floorSink = sum;
    return elapsed;
}

void MeasureState(const Session& session, const char* state, int repetitions) {
    for (int i = 0; i < 20; ++i) PreUpdate(session);
    size_t otherCalls = 0;
    PreUpdate(session);
    std::vector<int32_t> reads = ReadsOfLastFrame(&otherCalls);
    std::vector<double> module, floor;
    // Interleaved, so that both see the same load on the machine.
    for (int i = 0; i < repetitions; ++i) {
        module.push_back(PreUpdate(session));
        floor.push_back(FloorFrame(reads));
    }
    Summary m = Summarize(module), f = Summarize(floor);
    printf("%6d  %-16s %6zu %6zu %10.2f %10.2f %10.2f %10.2f %7.2f %7.2f\n", session.slots, state, reads.size(),
           otherCalls, m.median, m.p99, f.median, f.p99, f.median > 0 ? m.median / f.median : 0,
           f.p99 > 0 ? m.p99 / f.p99 : 0);
}

// Writes `command` into every slot and runs `frames` pre-updates; true when
// every slot then reads `expected` and no box came. Else the session is closed.
bool Reach(const Session& session, double command, double expected, int frames, const char* failure) {
    SetAllCommands(session, command);
    for (int i = 0; i < frames; ++i) PreUpdate(session);
    int off = SlotsNotAt(session, expected);
    if (off == 0 && host::MessageBoxes().empty()) return true;
    printf("%6d  %d slots %s, %zu boxes\n", session.slots, off, failure, host::MessageBoxes().size());
    CloseSession();
    return false;
}

bool MeasureSlots(const std::string& folder, int slots, int repetitions) {
    Session session;
    session.slots = slots;
    if (!OpenSession(PrepareConfig(folder, slots), &session) || !RunUntilServing(&session)) {
        printf("%6d  the module did not start serving its slots\n", slots);
        CloseSession();
        return false;
    }
    MeasureState(session, "nothing loaded", repetitions);

    // Command 4 loads each sound and reports its volume; the slot shows 0 after.
    if (!Reach(session, 4, 0, 1, "failed to load")) return false;
    MeasureState(session, "loaded, stopped", repetitions);

    if (!Reach(session, 2, 2, 2, "not looping")) return false;
    MeasureState(session, "all looping", repetitions);

    // The shut-down with every sound still looping.
    double start = Now();
    CloseSession();
    shutDowns.push_back({slots, (Now() - start) / 1000});
    return true;
}

}  // namespace

bool RunFrameCost(const std::string& folder) {
    printf("Frame cost: one pre-update, microseconds (floor: the same reads through get_named_variable_value)\n");
    printf("%6s  %-16s %6s %6s %10s %10s %10s %10s %7s %7s\n", "slots", "state", "reads", "other", "median",
           "p99", "floor med", "floor p99", "x med", "x p99");
    bool ok = true;
    ok = MeasureSlots(folder, 10, 5000) && ok;
    ok = MeasureSlots(folder, 100, 3000) && ok;
    ok = MeasureSlots(folder, 1000, 1000) && ok;
    printf("\nShut-down with every sound looping, milliseconds\n%6s %14s\n", "slots", "shut-down");
    for (const ShutDown& s : shutDowns) printf("%6d %14.1f\n", s.slots, s.closeMs);
    printf("\n");
    return ok;
}

}  // namespace bench
