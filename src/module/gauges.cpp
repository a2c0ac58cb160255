// Gauge headers, the Sound gauge's element list, the standard routines that
// hand each gauge's element list to the host, and the Sound gauge's callback.
#include "module/gauges.h"

#include "debug/debugger.h"
#include "engine/pre_update.h"
#include "module/host_services.h"
#include "module/named_var.h"

static char soundGaugeName[] = "Sound";
static char debuggerGaugeName[] = "Debugger";

// One static image: bitmap 256, a 10 x 10 black square.
static StaticImageElement soundImage = {
    {kElementStaticImage, kSoundBitmapId, {0, 0}, {0, 0}, {0, 0}, &soundGaugeHeader, nullptr, nullptr, nullptr,
     kImageUseTransparency | kImageUseErase | kImageBilinearColor, 0, 0},
    {nullptr, nullptr, nullptr, nullptr},
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr};
static ElementHeader* soundElementList = &soundImage.header;

// The first element of the gauge at `index` in Linkage's list: what that
// gauge's standard routines hand to the host. Each gauge hands its own list,
// so that the host installs, updates and draws the Debugger's elements too.
static ElementHeader* FirstElement(int index) {
    GaugeHeader* gauge = Linkage.gauge_headers[index];
    if (gauge == nullptr || gauge->elements_list == nullptr) return nullptr;
    return *gauge->elements_list;
}

// A real host fills the whole table; a missing entry is skipped rather than
// called through a null pointer.
template <int Gauge>
static void HOST_API QueryRoutine() {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_query != nullptr)
        services->element_list_query(FirstElement(Gauge));
}

template <int Gauge>
static void HOST_API InstallRoutine(void* resourceFileHandle) {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_install != nullptr)
        services->element_list_install(FirstElement(Gauge), resourceFileHandle);
}

template <int Gauge>
static void HOST_API InitializeRoutine() {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_initialize != nullptr)
        services->element_list_initialize(FirstElement(Gauge));
}

template <int Gauge>
static void HOST_API UpdateRoutine() {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_update != nullptr)
        services->element_list_update(FirstElement(Gauge));
}

template <int Gauge>
static void HOST_API GenerateRoutine(uint32_t phase) {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_generate != nullptr)
        services->element_list_generate(FirstElement(Gauge), phase);
}

template <int Gauge>
static void HOST_API DrawRoutine() {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_plot != nullptr)
        services->element_list_plot(FirstElement(Gauge));
}

template <int Gauge>
static void HOST_API KillRoutine() {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_kill != nullptr)
        services->element_list_kill(FirstElement(Gauge));
}

template <int Gauge>
static constexpr GaugeHeader MakeGaugeHeader(char* name, ElementHeader** elements, uint32_t defaultSize, MouseRect* mouse,
                                             GaugeCallback callback) {
    GaugeHeader header = {};
    header.gauge_header_version = kGaugeHeaderVersion800;
    header.gauge_name = name;
    header.elements_list = elements;
    header.query_routine = QueryRoutine<Gauge>;
    header.install_routine = InstallRoutine<Gauge>;
    header.initialize_routine = InitializeRoutine<Gauge>;
    header.update_routine = UpdateRoutine<Gauge>;
    header.generate_routine = GenerateRoutine<Gauge>;
    header.draw_routine = DrawRoutine<Gauge>;
    header.kill_routine = KillRoutine<Gauge>;
    header.size_x_mm = defaultSize;
    header.mouse_rect = mouse;
    header.gauge_callback = callback;
    return header;
}

GaugeHeader soundGaugeHeader = MakeGaugeHeader<0>(soundGaugeName, &soundElementList, 10, nullptr, SoundGaugeCallback);
GaugeHeader debuggerGaugeHeader =
    MakeGaugeHeader<1>(debuggerGaugeName, &debuggerElementList, 100, debuggerMouseRects, nullptr);

void HOST_API SoundGaugeCallback(GaugeHeader* gauge, int32_t serviceId, uintptr_t /*extraData*/) {
    switch (serviceId) {
    case kServicePostInitialize:
        NamedVarLookup(&moduleVars[kVarFSSoundIsOn]);
        NamedVarLookup(&moduleVars[kVarOldVolumeControl]);
        NamedVarLookup(&moduleVars[kVarFSSimIsPaused]);
        NamedVarLookup(&moduleVars[kVarUserMutedSounds]);
        NamedVarLookup(&moduleVars[kVarViewSystemStatus]);
        NamedVarLookup(&moduleVars[kVarViewSystemMessages]);
        break;
    case kServicePreUpdate:
        RunPreUpdate(gauge);
        break;
    default:
        break;
    }
}
