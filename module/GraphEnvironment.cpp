#include <module/GraphEnvironment.h>

#include <module/GraphEnvironmentImpl.h>

namespace Corvel {

GraphEnvironment::GraphEnvironment(std::unique_ptr<Impl>&& impl) : impl_(std::move(impl)) {}

GraphEnvironment::GraphEnvironment(GraphEnvironment&& other) noexcept
    : impl_(std::move(other.impl_)) {}

GraphEnvironment& GraphEnvironment::operator=(GraphEnvironment&& other) noexcept {
  std::unique_ptr<Impl> taken = std::move(other.impl_);
  impl_.swap(taken);
  return *this;  // `taken` now holds the previous map and releases it here
}

GraphEnvironment::~GraphEnvironment() = default;

}  // namespace Corvel
