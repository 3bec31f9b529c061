#pragma once
// The worker threads of a run (--jobs), shared by the pages flattened at once and the images
// each page renders: a page's worker holds one while it works, and a page's rendering borrows
// the others only while they are free, so that a file of fewer pages than jobs still uses every
// worker and a file of many pages never runs more threads than jobs.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <semaphore>
#include <system_error>
#include <thread>
#include <vector>

namespace CorvelCli {

class WorkerBudget {
 public:
  explicit WorkerBudget(int workers) : size_(std::max(workers, 1)), free_(size_) {}
  int Size() const { return size_; }
  void Take() { free_.acquire(); }
  bool TakeIfFree() { return free_.try_acquire(); }
  void Give() { free_.release(); }

 private:
  int size_;
  std::counting_semaphore<> free_;
};

// Holds one worker of the budget for as long as it lives.
class HeldWorker {
 public:
  explicit HeldWorker(WorkerBudget& budget) : budget_(budget) { budget_.Take(); }
  ~HeldWorker() { budget_.Give(); }
  HeldWorker(const HeldWorker&) = delete;
  HeldWorker& operator=(const HeldWorker&) = delete;

 private:
  WorkerBudget& budget_;
};

// Runs task(0) … task(count − 1), each once, on the calling thread (which holds a worker
// already) and on as many more of the budget's workers as are free, up to one per task. Returns
// when every task is done; after a task throws, no more are started and the first exception is
// rethrown.
inline void RunOnFreeWorkers(WorkerBudget& budget, std::size_t count,
                             const std::function<void(std::size_t)>& task) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr failure;
  std::mutex failureMutex;
  const auto drain = [&] {
    for (std::size_t i = next++; i < count && !failed; i = next++) {
      try {
        task(i);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(failureMutex);
        if (!failure) failure = std::current_exception();
        failed = true;
      }
    }
  };
  std::vector<std::thread> helpers;
  while (helpers.size() + 1 < count && budget.TakeIfFree()) {
    try {
      helpers.emplace_back([&] {
        drain();
        budget.Give();
      });
    } catch (const std::system_error&) {  // no thread to be had now: carry on with fewer
      budget.Give();
      break;
    }
  }
  drain();
  for (std::thread& helper : helpers) helper.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace CorvelCli
