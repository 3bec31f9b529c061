#pragma once
// PDF functions (types 0, 2, 3 and 4) read into colour functions of the document model.

#include <io/pdf/reader/ReaderContextInternal.h>
#include <values/Function.h>

#include <memory>

namespace CorvelPdf::Detail {

// Reads a function dictionary or stream. An array of one-output functions becomes one
// function of as many outputs, and a PostScript calculator function a sampled one (both
// sampled on a grid, reported as approximate). Throws ReadError when malformed.
std::shared_ptr<const MavPaint::Function> ReadFunction(ReaderContext& context,
                                                       QPDFObjectHandle function, int inputCount);

// A PostScript calculator program (ISO 32000-1 §7.10.5) ready to run.
class CalculatorProgram {
 public:
  // Throws ReadError for a malformed program.
  explicit CalculatorProgram(const std::string& source);
  ~CalculatorProgram();
  CalculatorProgram(CalculatorProgram&&) noexcept;
  // Runs on `inputs` and returns the top `outputCount` stack values, bottom first. Throws
  // ReadError for a stack underflow, a type error or a stack beyond 100 entries.
  std::vector<double> Run(const std::vector<double>& inputs, int outputCount) const;

  struct Node;  // one number, operator or conditional of the parsed program

 private:
  std::vector<Node> nodes_;
};

}  // namespace CorvelPdf::Detail
