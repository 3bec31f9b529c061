#include <io/pdf/BackgroundEncodingInternal.h>

#include <future>
#include <qpdf/Pipeline.hh>

namespace CorvelPdf::Detail {

BackgroundEncoding::BackgroundEncoding(int threads) {
  for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

BackgroundEncoding::~BackgroundEncoding() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
  }
  wake_.notify_all();
  for (auto& thread : threads_) thread.join();
}

void BackgroundEncoding::Work() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return ending_ || !queue_.empty(); });
      if (queue_.empty()) return;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    task();
  }
}

void BackgroundEncoding::SetStreamData(QPDFObjectHandle stream, std::function<std::string()> encode,
                                       QPDFObjectHandle filter, QPDFObjectHandle parameters) {
  auto task = std::make_shared<std::packaged_task<std::string()>>(std::move(encode));
  std::shared_future<std::string> data = task->get_future().share();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back([task] { (*task)(); });
  }
  wake_.notify_one();
  // qpdf may ask more than once (to measure, then to write); the bytes are kept for each ask.
  stream.replaceStreamData(
      [data](Pipeline* pipeline) {
        const std::string& bytes = data.get();
        pipeline->write(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        pipeline->finish();
      },
      filter, parameters);
}

}  // namespace CorvelPdf::Detail
