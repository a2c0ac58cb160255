// Loading the module and driving its gauges the way the simulator does.
#include <string.h>

#include <memory>

#include "host/host.h"
#include "host/host_internal.h"

namespace host {

namespace {

struct GaugeInstance {
    GaugeHeader header;  // the host's copy of the module's header
    std::string parameters;
    bool alive;
};

HMODULE module = nullptr;
ModuleLinkage* linkage = nullptr;
ModuleImports* imports = nullptr;
std::vector<std::unique_ptr<GaugeInstance>> gauges;

void Callback(GaugeInstance* gauge, int32_t service, uintptr_t extra) {
    if (gauge->header.gauge_callback != nullptr) gauge->header.gauge_callback(&gauge->header, service, extra);
}

}  // namespace

bool LoadModule(const char* path) {
    if (module != nullptr) UnloadModule();
    ReserveLowAddressSpace();
    module = LoadLibraryA(path);
    if (module == nullptr) return false;
    linkage = reinterpret_cast<ModuleLinkage*>(GetProcAddress(module, "Linkage"));
    imports = reinterpret_cast<ModuleImports*>(GetProcAddress(module, "ImportTable"));
    if (linkage == nullptr || imports == nullptr) {
        UnloadModule();
        return false;
    }
    HookMessageBoxes(module);
    return true;
}

HMODULE Module() { return module; }
ModuleLinkage* Linkage() { return linkage; }
ModuleImports* Imports() { return imports; }

void StartModule() {
    imports->panels = Services();
    if (linkage->linkage.module_init != nullptr) linkage->linkage.module_init();
}

void StopModule() {
    if (linkage != nullptr && linkage->linkage.module_deinit != nullptr) linkage->linkage.module_deinit();
}

void UnloadModule() {
    gauges.clear();
    ReleaseTextBuffers();  // while the module's elements are still mapped
    if (module != nullptr) FreeLibrary(module);
    module = nullptr;
    linkage = nullptr;
    imports = nullptr;
}

int AddGauge(const char* gaugeName, const char* parameters) {
    GaugeHeader* source = nullptr;
    for (int i = 0; linkage != nullptr && i < 3 && linkage->gauge_headers[i] != nullptr; ++i)
        if (strcmp(linkage->gauge_headers[i]->gauge_name, gaugeName) == 0) source = linkage->gauge_headers[i];
    if (source == nullptr) return -1;

    std::unique_ptr<GaugeInstance> gauge(new GaugeInstance());
    gauge->header = *source;
    gauge->parameters = parameters != nullptr ? parameters : "";
    gauge->header.parameters = parameters != nullptr ? &gauge->parameters[0] : nullptr;
    gauge->alive = true;
    GaugeInstance* g = gauge.get();
    gauges.push_back(std::move(gauge));

    void* resources = module;
    Callback(g, kServicePreQuery, 0);
    if (g->header.query_routine != nullptr) g->header.query_routine();
    Callback(g, kServicePostQuery, 0);
    Callback(g, kServicePreInstall, reinterpret_cast<uintptr_t>(resources));
    if (g->header.install_routine != nullptr) g->header.install_routine(resources);
    Callback(g, kServicePostInstall, reinterpret_cast<uintptr_t>(resources));
    Callback(g, kServicePreInitialize, 0);
    if (g->header.initialize_routine != nullptr) g->header.initialize_routine();
    Callback(g, kServicePostInitialize, 0);
    return static_cast<int>(gauges.size() - 1);
}

GaugeHeader* Gauge(int instance) {
    if (instance < 0 || static_cast<size_t>(instance) >= gauges.size()) return nullptr;
    return &gauges[instance]->header;
}

void CallService(int instance, int32_t service, uintptr_t extra, bool nullHeader) {
    GaugeHeader* header = Gauge(instance);
    if (header == nullptr || header->gauge_callback == nullptr) return;
    header->gauge_callback(nullHeader ? nullptr : header, service, extra);
}

void RunFrame() {
    ++currentFrame;
    AdvanceSimClock();
    for (auto& gauge : gauges) {
        GaugeInstance* g = gauge.get();
        if (!g->alive) continue;
        Callback(g, kServicePreUpdate, 0);
        if (g->header.update_routine != nullptr) g->header.update_routine();
        Callback(g, kServicePostUpdate, 0);
        Callback(g, kServicePreGenerate, 0);
        if (g->header.generate_routine != nullptr) g->header.generate_routine(0);
        Callback(g, kServicePostGenerate, 0);
        Callback(g, kServicePreDraw, 0);
        if (g->header.draw_routine != nullptr) g->header.draw_routine();
        Callback(g, kServicePostDraw, 0);
    }
}

void RunFrames(int count) {
    for (int i = 0; i < count; ++i) RunFrame();
}

void KillGauges() {
    for (auto& gauge : gauges) {
        GaugeInstance* g = gauge.get();
        if (!g->alive) continue;
        Callback(g, kServicePreKill, 0);
        if (g->header.kill_routine != nullptr) g->header.kill_routine();
        Callback(g, kServicePostKill, 0);
        g->alive = false;
    }
}

}  // namespace host
