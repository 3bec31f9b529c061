#include <module/Module.h>

namespace Corvel {

const int Module::kModuleID = 0x4372766C;

Module::Module() = default;

Module::~Module() = default;

std::string Module::GetName() const { return "Corvel"; }

std::unique_ptr<MavDoc::Module> Module::Create() { return std::make_unique<Module>(); }

}  // namespace Corvel
