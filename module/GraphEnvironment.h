#pragma once
// A prepared planar map of a content, carried from PrepareGraphEnvironment to
// GetFlattenedResult.

#include <memory>

#include <module/Export.h>

namespace Corvel {

// Move-only; a moved-from environment holds nothing. The content it was prepared from must
// stay alive and unchanged while the environment is used.
class CORVEL_EXPORT GraphEnvironment {
 public:
  struct Impl;

  explicit GraphEnvironment(std::unique_ptr<Impl>&& impl);
  GraphEnvironment(GraphEnvironment&& other) noexcept;
  // Takes `other`'s map out first, then releases the one held before: a self-move is harmless.
  GraphEnvironment& operator=(GraphEnvironment&& other) noexcept;
  GraphEnvironment(const GraphEnvironment&) = delete;
  GraphEnvironment& operator=(const GraphEnvironment&) = delete;
  ~GraphEnvironment();

  // Null for a moved-from environment.
  const Impl* GetImpl() const { return impl_.get(); }

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace Corvel
