#pragma once
// Compressing the images of an edit on worker threads while the writing goes on. A stream gets
// its data from a task; qpdf asks for the data only when the file is written, and waits for the
// task then. The bytes are those that compressing at once gives, so the file does not depend on
// the number of threads.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <qpdf/QPDFObjectHandle.hh>
#include <string>
#include <thread>
#include <vector>

namespace CorvelPdf::Detail {

class BackgroundEncoding {
 public:
  // `threads` workers; the tasks run in the order given.
  explicit BackgroundEncoding(int threads);
  // Runs what is still queued (a stream may yet be written), then ends the workers.
  ~BackgroundEncoding();
  BackgroundEncoding(const BackgroundEncoding&) = delete;
  BackgroundEncoding& operator=(const BackgroundEncoding&) = delete;

  // Gives `stream` the data `encode` returns, encoded with `filter` and `parameters`. `encode`
  // runs on a worker: it must own what it reads and touch no qpdf object. An exception it throws
  // comes out of the write of the file.
  void SetStreamData(QPDFObjectHandle stream, std::function<std::string()> encode,
                     QPDFObjectHandle filter, QPDFObjectHandle parameters);

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
  bool ending_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace CorvelPdf::Detail
