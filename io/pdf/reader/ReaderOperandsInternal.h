#pragma once
// Operand access for the content-stream interpreter.

#include <io/pdf/reader/ReaderInterpreterInternal.h>

#include <string>
#include <vector>

namespace CorvelPdf::Detail {

// Thrown when an operator lacks its operands or they have the wrong type; the interpreter
// skips that operator with a warning (ISO 32000-1 leaves such content undefined).
struct BadOperands {};

// The last `count` operands as numbers (operands before them are stray and ignored).
std::vector<double> NumberOperands(const Operation& operation, std::size_t count);
// The last operand as a name without its slash.
std::string NameOperand(const Operation& operation);
// Every operand, each a number.
std::vector<double> AllNumberOperands(const Operation& operation);
// The last operand, of any type.
QPDFObjectHandle LastOperand(const Operation& operation);

}  // namespace CorvelPdf::Detail
