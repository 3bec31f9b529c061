#pragma once
// A file being written that must not outlive an interrupted run: while a PendingOutput lives,
// SIGINT, SIGTERM and SIGHUP remove the file before the process ends (with the signal's usual
// status). One at a time: files are written one after the other.

#include <string>

namespace CorvelPdf {

class PendingOutput {
 public:
  explicit PendingOutput(const std::string& path);
  ~PendingOutput();
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;
};

}  // namespace CorvelPdf
