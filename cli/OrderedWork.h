#pragma once
// Work on a sequence of items spread over threads while everything around it stays in order:
// each item is made on the calling thread in index order, worked on by one of up to `jobs`
// threads, and finished on the calling thread in index order. This is how a file's pages are
// flattened in parallel: reading and writing the file (qpdf, not thread-safe) stay on the calling
// thread, in the same order as without threads, so the output does not depend on `jobs`.

#include <cli/WorkerBudget.h>

#include <cstddef>
#include <deque>
#include <future>
#include <memory>

namespace CorvelCli {

// Runs `make(index)` for index 0 … count − 1, `work(item)` and `finish(item)` as above, each
// `work` holding one of the budget's workers. At most jobs + 1 items exist at a time (one being
// made or finished while `jobs`, the budget's size, are worked on), so memory stays bounded
// whatever the count. With one job everything runs on the calling thread. An exception from
// `make`, `work` or `finish` propagates once the items still being worked on are done; their
// `finish` is not called. `work` must not touch what `make` and `finish` share with other items.
template <class Make, class Work, class Finish>
void RunInOrder(int count, WorkerBudget& workers, Make make, Work work, Finish finish) {
  const int jobs = workers.Size();
  if (jobs <= 1) {
    for (int index = 0; index < count; ++index) {
      auto item = make(index);
      {
        const HeldWorker held(workers);
        work(item);
      }
      finish(item);
    }
    return;
  }
  using Item = decltype(make(0));
  // The future is declared after the item so that it is destroyed first: an item is never
  // destroyed while a thread still works on it.
  struct Slot {
    std::unique_ptr<Item> item;
    std::future<void> done;
  };
  std::deque<Slot> inFlight;
  int next = 0;
  while (next < count || !inFlight.empty()) {
    while (next < count && inFlight.size() < static_cast<std::size_t>(jobs) + 1) {
      auto item = std::make_unique<Item>(make(next++));
      Item* worked = item.get();
      auto done = std::async(std::launch::async, [&workers, &work, worked] {
        const HeldWorker held(workers);
        work(*worked);
      });
      inFlight.push_back({std::move(item), std::move(done)});
    }
    inFlight.front().done.get();
    finish(*inFlight.front().item);
    inFlight.pop_front();
  }
}

// The same with a budget of its own of `jobs` workers.
template <class Make, class Work, class Finish>
void RunInOrder(int count, int jobs, Make make, Work work, Finish finish) {
  WorkerBudget workers(jobs);
  RunInOrder(count, workers, make, work, finish);
}

}  // namespace CorvelCli
