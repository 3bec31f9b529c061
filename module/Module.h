#pragma once
// The module object a host creates after loading the library.

#include <memory>
#include <string>

#include <mavdoc/Module.h>
#include <module/Export.h>

namespace Corvel {

// Stateless: the host may create it once and destroy it at unload.
class CORVEL_EXPORT Module : public virtual MavDoc::Module {
 public:
  // 'Crvl': C, r, v, l from the most significant byte down.
  static const int kModuleID;

  Module();
  ~Module() override;
  std::string GetName() const override;

  static std::unique_ptr<MavDoc::Module> Create();
};

}  // namespace Corvel
