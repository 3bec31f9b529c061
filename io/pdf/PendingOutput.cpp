#include <io/pdf/PendingOutput.h>

#include <unistd.h>

#include <array>
#include <csignal>
#include <cstring>
#include <stdexcept>

namespace CorvelPdf {

namespace {

constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP};

// Read by the handler: a fixed buffer and a flag, nothing it would have to allocate or lock.
std::array<char, 4096> pendingPath{};
volatile std::sig_atomic_t pending = 0;
std::array<struct sigaction, kSignals.size()> earlier{};

void RemoveAndEnd(int signal) {
  if (pending) unlink(pendingPath.data());
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

PendingOutput::PendingOutput(const std::string& path) {
  if (path.size() >= pendingPath.size()) throw std::runtime_error("output path too long: " + path);
  std::memcpy(pendingPath.data(), path.c_str(), path.size() + 1);
  pending = 1;
  struct sigaction action {};
  action.sa_handler = RemoveAndEnd;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &action, &earlier[i]);
}

PendingOutput::~PendingOutput() {
  pending = 0;
  for (std::size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &earlier[i], nullptr);
}

}  // namespace CorvelPdf
