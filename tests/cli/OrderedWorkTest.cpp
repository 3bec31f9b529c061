// Work spread over threads around a file read and written in order: items are finished in
// index order on the calling thread, no more than jobs + 1 exist at once (memory stays bounded
// however many pages a file has), and a failure stops the run only once the work under way is
// done. The work of one item (a page's images) spreads over the workers the others leave free,
// never over more than the jobs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include <cli/OrderedWork.h>

namespace {

// An item that counts how many exist at once.
struct Counted {
  int index = 0;
  int worked = 0;
  std::shared_ptr<std::atomic<int>> alive;

  Counted(int i, std::shared_ptr<std::atomic<int>> counter) : index(i), alive(std::move(counter)) {
    ++*alive;
  }
  Counted(Counted&& other) noexcept : index(other.index), worked(other.worked), alive(other.alive) {
    ++*alive;
  }
  ~Counted() { --*alive; }
};

TEST(OrderedWork, FinishesInOrderWithAtMostJobsPlusOneItems) {
  for (int jobs : {1, 2, 4}) {
    auto alive = std::make_shared<std::atomic<int>>(0);
    int most = 0;
    std::vector<int> finished;
    const auto make = [&](int index) {
      most = std::max(most, alive->load() + 1);
      return Counted(index, alive);
    };
    // Later items finish their work sooner, so work completes out of order.
    const auto work = [](Counted& item) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20 - item.index % 20));
      item.worked = item.index * item.index;
    };
    const auto finish = [&](Counted& item) {
      EXPECT_EQ(item.worked, item.index * item.index);
      most = std::max(most, alive->load());
      finished.push_back(item.index);
    };
    CorvelCli::RunInOrder(40, jobs, make, work, finish);
    std::vector<int> expected(40);
    for (int i = 0; i < 40; ++i) expected[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(finished, expected) << jobs << " jobs";
    EXPECT_LE(most, jobs + 1) << jobs << " jobs";
    EXPECT_EQ(alive->load(), 0);
  }
}

TEST(OrderedWork, AFailureWhileFinishingWaitsForTheWorkUnderWay) {
  std::atomic<int> working{0};
  const auto make = [](int index) { return index; };
  const auto work = [&working](int&) {
    ++working;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    --working;
  };
  const auto finish = [](int& index) {
    if (index == 1) throw std::runtime_error("page 2: cannot be written");
  };
  EXPECT_THROW(CorvelCli::RunInOrder(10, 3, make, work, finish), std::runtime_error);
  EXPECT_EQ(working.load(), 0);
}

// Pages that each render 12 images through the workers left free: every image once, never more
// than `jobs` at a time, and a lone page takes the free workers.
TEST(OrderedWork, ItemsSpreadTheirTasksOverFreeWorkersOnly) {
  for (const int pages : {1, 6}) {
    for (const int jobs : {1, 3}) {
      CorvelCli::WorkerBudget workers(jobs);
      std::atomic<int> running{0}, most{0}, done{0};
      const auto task = [&](std::size_t) {
        const int now = ++running;
        for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        --running;
        ++done;
      };
      const auto work = [&](int&) { CorvelCli::RunOnFreeWorkers(workers, 12, task); };
      CorvelCli::RunInOrder(pages, workers, [](int index) { return index; }, work, [](int&) {});
      EXPECT_EQ(done.load(), 12 * pages);
      EXPECT_LE(most.load(), jobs) << pages << " pages, " << jobs << " jobs";
      if (pages == 1) {
        EXPECT_EQ(most.load(), jobs) << jobs << " jobs";
      }
      for (int i = 0; i < jobs; ++i) EXPECT_TRUE(workers.TakeIfFree()) << "a worker was kept";
    }
  }
}

TEST(OrderedWork, ATaskFailureReachesTheItemAndFreesTheWorkers) {
  CorvelCli::WorkerBudget workers(3);
  const CorvelCli::HeldWorker page(workers);
  std::atomic<int> started{0};
  const auto task = [&](std::size_t i) {
    ++started;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (i == 2) throw std::runtime_error("image 3 cannot be rendered");
  };
  EXPECT_THROW(CorvelCli::RunOnFreeWorkers(workers, 100, task), std::runtime_error);
  EXPECT_LT(started.load(), 100);
  EXPECT_TRUE(workers.TakeIfFree());
  EXPECT_TRUE(workers.TakeIfFree());
  EXPECT_FALSE(workers.TakeIfFree());
}

}  // namespace
