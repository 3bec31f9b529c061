#pragma once
// Independent pieces of one flattening's work (the images of a page) handed to whatever threads
// the caller can spare.

#include <cstddef>
#include <functional>

namespace Corvel {

// Runs task(0) … task(count − 1), each once, on the calling thread and any threads it can
// spare, and returns when all are done (rethrowing a task's exception). Tasks touch disjoint
// results, so their order does not change what they make.
using ParallelTasks =
    std::function<void(std::size_t count, const std::function<void(std::size_t)>& task)>;

// Runs the tasks through `parallel`, or one after another on this thread when it is empty.
inline void RunTasks(const ParallelTasks& parallel, std::size_t count,
                     const std::function<void(std::size_t)>& task) {
  if (parallel && count > 1) {
    parallel(count, task);
    return;
  }
  for (std::size_t i = 0; i < count; ++i) task(i);
}

}  // namespace Corvel
