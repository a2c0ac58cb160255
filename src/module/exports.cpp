// The two records the host reads from the module: its linkage and its
// import table.
#include "module/gauges.h"
#include "module/host_services.h"
#include "module/module_state.h"

extern "C" {

ModuleLinkage Linkage = {
    {kLinkageModuleId, ModuleStartup, ModuleShutdown, 0, 0, kLinkageVersion},
    {&soundGaugeHeader, &debuggerGaugeHeader, nullptr}};

ModuleImports ImportTable = {kPanelsImportId, nullptr, 0, nullptr};
}
