// Gauge headers, the Sound gauge's element list, the standard routines that
// hand the element list to the host, and the Sound gauge's callback.
#include "module/gauges.h"

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

// The first element of the first gauge in Linkage's list: what every
// standard routine hands to the host, whichever gauge it was called for.
static ElementHeader* FirstElement() {
    GaugeHeader* first = Linkage.gauge_headers[0];
    if (first == nullptr || first->elements_list == nullptr) return nullptr;
    return *first->elements_list;
}

// A real host fills the whole table; a missing entry is skipped rather than
// called through a null pointer.
static void HOST_API QueryRoutine() {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_query != nullptr) services->element_list_query(FirstElement());
}

static void HOST_API InstallRoutine(void* resourceFileHandle) {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_install != nullptr)
        services->element_list_install(FirstElement(), resourceFileHandle);
}

static void HOST_API InitializeRoutine() {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_initialize != nullptr)
        services->element_list_initialize(FirstElement());
}

static void HOST_API UpdateRoutine() {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_update != nullptr)
        services->element_list_update(FirstElement());
}

static void HOST_API GenerateRoutine(uint32_t phase) {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_generate != nullptr)
        services->element_list_generate(FirstElement(), phase);
}

static void HOST_API DrawRoutine() {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_plot != nullptr) services->element_list_plot(FirstElement());
}

static void HOST_API KillRoutine() {
    PanelServices* services = HostServices();
    if (services != nullptr && services->element_list_kill != nullptr) services->element_list_kill(FirstElement());
}

static constexpr GaugeHeader MakeGaugeHeader(char* name, ElementHeader** elements, uint32_t defaultSize, MouseRect* mouse,
                                   GaugeCallback callback) {
    GaugeHeader header = {};
    header.gauge_header_version = kGaugeHeaderVersion800;
    header.gauge_name = name;
    header.elements_list = elements;
    header.query_routine = QueryRoutine;
    header.install_routine = InstallRoutine;
    header.initialize_routine = InitializeRoutine;
    header.update_routine = UpdateRoutine;
    header.generate_routine = GenerateRoutine;
    header.draw_routine = DrawRoutine;
    header.kill_routine = KillRoutine;
    header.size_x_mm = defaultSize;
    header.mouse_rect = mouse;
    header.gauge_callback = callback;
    return header;
}

GaugeHeader soundGaugeHeader = MakeGaugeHeader(soundGaugeName, &soundElementList, 10, nullptr, SoundGaugeCallback);
GaugeHeader debuggerGaugeHeader = MakeGaugeHeader(debuggerGaugeName, nullptr, 100, nullptr, nullptr);

void HOST_API SoundGaugeCallback(GaugeHeader* gauge, int32_t serviceId, uint32_t /*extraData*/) {
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
