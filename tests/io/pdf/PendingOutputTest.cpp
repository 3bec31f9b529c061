// An interrupted run leaves no partial output file behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include <io/pdf/PendingOutput.h>

namespace {

namespace fs = std::filesystem;

fs::path PartialFile(const char* name) {
  const auto path = fs::temp_directory_path() / (name + std::to_string(::getpid()));
  std::ofstream(path) << "%PDF-1.7 half written";
  return path;
}

TEST(PendingOutputDeathTest, AnInterruptRemovesTheFileBeingWritten) {
  for (int signal : {SIGINT, SIGTERM}) {
    const auto path = PartialFile("corvel-pending-");
    EXPECT_EXIT(
        {
          const CorvelPdf::PendingOutput pending(path.string());
          std::raise(signal);
        },
        ::testing::KilledBySignal(signal), "");
    EXPECT_FALSE(fs::exists(path)) << "signal " << signal;
    fs::remove(path);
  }
}

TEST(PendingOutputDeathTest, AFinishedFileStays) {
  const auto path = PartialFile("corvel-finished-");
  { const CorvelPdf::PendingOutput pending(path.string()); }
  EXPECT_EXIT(std::raise(SIGTERM), ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_TRUE(fs::exists(path));
  fs::remove(path);
}

}  // namespace
