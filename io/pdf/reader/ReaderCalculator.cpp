#include <io/pdf/reader/ReaderFunctionsInternal.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <unordered_map>

namespace CorvelPdf::Detail {

// An operator of a calculator program; the parsed program's nodes hold it.
enum class CalculatorOp {
  Abs,
  Add,
  Atan,
  Ceiling,
  Cos,
  Cvi,
  Cvr,
  Div,
  Exp,
  Floor,
  Idiv,
  Ln,
  Log,
  Mod,
  Mul,
  Neg,
  Round,
  Sin,
  Sqrt,
  Sub,
  Truncate,
  And,
  Or,
  Xor,
  Not,
  Bitshift,
  Eq,
  Ne,
  Ge,
  Gt,
  Le,
  Lt,
  True,
  False,
  Copy,
  Dup,
  Exch,
  Index,
  Pop,
  Roll
};

namespace {

// Deeper nesting than any real program has; keeps a hostile one off the C++ stack.
constexpr int kMaxProgramNesting = 100;
// ISO 32000-1 §7.10.5: implementations need at least 100 stack entries.
constexpr std::size_t kMaxStack = 100;


const std::unordered_map<std::string, CalculatorOp>& Operators() {
  static const std::unordered_map<std::string, CalculatorOp> table{{"abs", CalculatorOp::Abs},
                                                         {"add", CalculatorOp::Add},
                                                         {"atan", CalculatorOp::Atan},
                                                         {"ceiling", CalculatorOp::Ceiling},
                                                         {"cos", CalculatorOp::Cos},
                                                         {"cvi", CalculatorOp::Cvi},
                                                         {"cvr", CalculatorOp::Cvr},
                                                         {"div", CalculatorOp::Div},
                                                         {"exp", CalculatorOp::Exp},
                                                         {"floor", CalculatorOp::Floor},
                                                         {"idiv", CalculatorOp::Idiv},
                                                         {"ln", CalculatorOp::Ln},
                                                         {"log", CalculatorOp::Log},
                                                         {"mod", CalculatorOp::Mod},
                                                         {"mul", CalculatorOp::Mul},
                                                         {"neg", CalculatorOp::Neg},
                                                         {"round", CalculatorOp::Round},
                                                         {"sin", CalculatorOp::Sin},
                                                         {"sqrt", CalculatorOp::Sqrt},
                                                         {"sub", CalculatorOp::Sub},
                                                         {"truncate", CalculatorOp::Truncate},
                                                         {"and", CalculatorOp::And},
                                                         {"or", CalculatorOp::Or},
                                                         {"xor", CalculatorOp::Xor},
                                                         {"not", CalculatorOp::Not},
                                                         {"bitshift", CalculatorOp::Bitshift},
                                                         {"eq", CalculatorOp::Eq},
                                                         {"ne", CalculatorOp::Ne},
                                                         {"ge", CalculatorOp::Ge},
                                                         {"gt", CalculatorOp::Gt},
                                                         {"le", CalculatorOp::Le},
                                                         {"lt", CalculatorOp::Lt},
                                                         {"true", CalculatorOp::True},
                                                         {"false", CalculatorOp::False},
                                                         {"copy", CalculatorOp::Copy},
                                                         {"dup", CalculatorOp::Dup},
                                                         {"exch", CalculatorOp::Exch},
                                                         {"index", CalculatorOp::Index},
                                                         {"pop", CalculatorOp::Pop},
                                                         {"roll", CalculatorOp::Roll}};
  return table;
}

ReadError ProgramError(const std::string& why) {
  return ReadError("", "PostScript calculator function: " + why);
}

// A stack value: booleans are kept apart from numbers for `not`, `and`, `or` and `xor`.
struct Value {
  double number = 0;
  bool boolean = false;
};

class Tokens {
 public:
  explicit Tokens(const std::string& source) : source_(source) {}
  // The next token: "{", "}", a number or an operator name; empty at the end.
  std::string Next() {
    while (pos_ < source_.size() && (std::isspace(Byte()) || source_[pos_] == '%')) {
      if (source_[pos_] == '%') {
        while (pos_ < source_.size() && source_[pos_] != '\n' && source_[pos_] != '\r') ++pos_;
      } else {
        ++pos_;
      }
    }
    if (pos_ >= source_.size()) return {};
    if (source_[pos_] == '{' || source_[pos_] == '}') return std::string(1, source_[pos_++]);
    const std::size_t start = pos_;
    while (pos_ < source_.size() && !std::isspace(Byte()) && source_[pos_] != '{' &&
           source_[pos_] != '}') {
      ++pos_;
    }
    return source_.substr(start, pos_ - start);
  }

 private:
  unsigned char Byte() const { return static_cast<unsigned char>(source_[pos_]); }
  const std::string& source_;
  std::size_t pos_ = 0;
};

}  // namespace

struct CalculatorProgram::Node {
  enum class Kind { Number, Operator, If, IfElse };
  Kind kind = Kind::Number;
  double number = 0;
  CalculatorOp op = CalculatorOp::Add;
  std::vector<Node> then;
  std::vector<Node> otherwise;
};

namespace {

// from_chars reads the same in every locale (strtod would stop at the "." under a comma locale).
bool ParseNumber(const std::string& token, double& value) {
  const char* first = token.data();
  const char* last = token.data() + token.size();
  if (first != last && *first == '+') ++first;  // PostScript allows it, from_chars does not
  if (first == last) return false;
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last && std::isfinite(value);
}

// Parses until the "}" that closes the current procedure.
void ParseProcedure(Tokens& tokens, std::vector<CalculatorProgram::Node>& out, int depth) {
  if (depth > kMaxProgramNesting) throw ProgramError("procedures nested too deeply");
  std::vector<std::vector<CalculatorProgram::Node>> pending;  // procedures awaiting if/ifelse
  for (std::string token = tokens.Next();; token = tokens.Next()) {
    if (token.empty()) throw ProgramError("missing }");
    if (token == "}") break;
    CalculatorProgram::Node node;
    if (token == "{") {
      pending.emplace_back();
      ParseProcedure(tokens, pending.back(), depth + 1);
      continue;
    }
    if (token == "if" || token == "ifelse") {
      const std::size_t needed = token == "if" ? 1 : 2;
      if (pending.size() != needed) throw ProgramError(token + " without its procedures");
      node.kind =
          token == "if" ? CalculatorProgram::Node::Kind::If : CalculatorProgram::Node::Kind::IfElse;
      node.then = std::move(pending[0]);
      if (needed == 2) node.otherwise = std::move(pending[1]);
      pending.clear();
    } else if (!pending.empty()) {
      throw ProgramError("procedure not followed by if or ifelse");
    } else if (ParseNumber(token, node.number)) {
      node.kind = CalculatorProgram::Node::Kind::Number;
    } else {
      const auto found = Operators().find(token);
      if (found == Operators().end()) throw ProgramError("unknown operator " + token);
      node.kind = CalculatorProgram::Node::Kind::Operator;
      node.op = found->second;
    }
    out.push_back(std::move(node));
  }
  if (!pending.empty()) throw ProgramError("procedure not followed by if or ifelse");
}

class Machine {
 public:
  void Push(Value v) {
    if (stack_.size() >= kMaxStack) throw ProgramError("stack overflow");
    stack_.push_back(v);
  }
  Value Pop() {
    if (stack_.empty()) throw ProgramError("stack underflow");
    const Value v = stack_.back();
    stack_.pop_back();
    return v;
  }
  double PopNumber() { return Pop().number; }
  long long PopInteger() { return static_cast<long long>(std::trunc(PopNumber())); }
  std::vector<Value>& Stack() { return stack_; }

  void Run(const std::vector<CalculatorProgram::Node>& nodes) {
    for (const auto& node : nodes) {
      switch (node.kind) {
        case CalculatorProgram::Node::Kind::Number:
          Push({node.number, false});
          break;
        case CalculatorProgram::Node::Kind::Operator:
          Apply(node.op);
          break;
        case CalculatorProgram::Node::Kind::If:
          if (Pop().number != 0) Run(node.then);
          break;
        case CalculatorProgram::Node::Kind::IfElse:
          Run(Pop().number != 0 ? node.then : node.otherwise);
          break;
      }
    }
  }

 private:
  void Apply(CalculatorOp op) {
    if (ApplyArithmetic(op) || ApplyLogic(op)) return;
    ApplyStack(op);
  }
  bool ApplyArithmetic(CalculatorOp op);
  bool ApplyLogic(CalculatorOp op);
  void ApplyStack(CalculatorOp op);
  void Number(double v) { Push({std::isfinite(v) ? v : 0, false}); }
  void Boolean(bool v) { Push({v ? 1.0 : 0.0, true}); }

  std::vector<Value> stack_;
};

using Unary = double (*)(double);
using Binary = double (*)(double, double);
constexpr double kDegreesPerRadian = 180 / std::numbers::pi;

const std::unordered_map<CalculatorOp, Unary>& UnaryOperators() {
  static const std::unordered_map<CalculatorOp, Unary> table{
      {CalculatorOp::Abs, [](double x) { return std::fabs(x); }},
      {CalculatorOp::Neg, [](double x) { return -x; }},
      {CalculatorOp::Ceiling, [](double x) { return std::ceil(x); }},
      {CalculatorOp::Floor, [](double x) { return std::floor(x); }},
      {CalculatorOp::Round, [](double x) { return std::floor(x + 0.5); }},
      {CalculatorOp::Truncate, [](double x) { return std::trunc(x); }},
      {CalculatorOp::Cvi, [](double x) { return std::trunc(x); }},
      {CalculatorOp::Cvr, [](double x) { return x; }},
      {CalculatorOp::Sqrt, [](double x) { return std::sqrt(std::max(0.0, x)); }},
      {CalculatorOp::Sin, [](double x) { return std::sin(x / kDegreesPerRadian); }},
      {CalculatorOp::Cos, [](double x) { return std::cos(x / kDegreesPerRadian); }},
      {CalculatorOp::Ln, [](double x) { return std::log(x); }},
      {CalculatorOp::Log, [](double x) { return std::log10(x); }}};
  return table;
}

// Division by zero gives 0 rather than an error: a colour function must always answer.
const std::unordered_map<CalculatorOp, Binary>& BinaryOperators() {
  static const std::unordered_map<CalculatorOp, Binary> table{
      {CalculatorOp::Add, [](double a, double b) { return a + b; }},
      {CalculatorOp::Sub, [](double a, double b) { return a - b; }},
      {CalculatorOp::Mul, [](double a, double b) { return a * b; }},
      {CalculatorOp::Div, [](double a, double b) { return b == 0 ? 0 : a / b; }},
      {CalculatorOp::Idiv,
       [](double a, double b) {
         return std::trunc(b) == 0 ? 0 : std::trunc(std::trunc(a) / std::trunc(b));
       }},
      {CalculatorOp::Mod,
       [](double a, double b) {
         return std::trunc(b) == 0 ? 0 : std::fmod(std::trunc(a), std::trunc(b));
       }},
      {CalculatorOp::Exp, [](double a, double b) { return std::pow(a, b); }},
      {CalculatorOp::Atan, [](double a, double b) {  // the angle of (b, a) in degrees, 0 to 360
         const double angle = std::atan2(a, b) * kDegreesPerRadian;
         return angle < 0 ? angle + 360 : angle;
       }}};
  return table;
}

bool Machine::ApplyArithmetic(CalculatorOp op) {
  if (const auto unary = UnaryOperators().find(op); unary != UnaryOperators().end()) {
    Number(unary->second(PopNumber()));
    return true;
  }
  const auto binary = BinaryOperators().find(op);
  if (binary == BinaryOperators().end()) return false;
  const double b = PopNumber(), a = PopNumber();
  Number(binary->second(a, b));
  return true;
}

bool Machine::ApplyLogic(CalculatorOp op) {
  switch (op) {
    case CalculatorOp::True:
      Boolean(true);
      return true;
    case CalculatorOp::False:
      Boolean(false);
      return true;
    case CalculatorOp::Not: {
      const Value v = Pop();
      v.boolean ? Boolean(v.number == 0)
                : Number(static_cast<double>(~static_cast<long long>(v.number)));
      return true;
    }
    case CalculatorOp::And:
    case CalculatorOp::Or:
    case CalculatorOp::Xor: {
      const Value b = Pop(), a = Pop();
      const long long x = static_cast<long long>(a.number), y = static_cast<long long>(b.number);
      const long long r = op == CalculatorOp::And ? (x & y) : op == CalculatorOp::Or ? (x | y) : (x ^ y);
      a.boolean&& b.boolean ? Boolean(r != 0) : Number(static_cast<double>(r));
      return true;
    }
    case CalculatorOp::Bitshift: {
      const long long shift = PopInteger(), value = PopInteger();
      if (shift <= -63 || shift >= 63) {
        Number(0);
      } else {
        Number(static_cast<double>(shift >= 0 ? value * (1LL << shift) : value >> -shift));
      }
      return true;
    }
    case CalculatorOp::Eq:
    case CalculatorOp::Ne:
    case CalculatorOp::Ge:
    case CalculatorOp::Gt:
    case CalculatorOp::Le:
    case CalculatorOp::Lt: {
      const double b = PopNumber(), a = PopNumber();
      Boolean(op == CalculatorOp::Eq   ? a == b
              : op == CalculatorOp::Ne ? a != b
              : op == CalculatorOp::Ge ? a >= b
              : op == CalculatorOp::Gt ? a > b
              : op == CalculatorOp::Le ? a <= b
                             : a < b);
      return true;
    }
    default:
      return false;
  }
}

void Machine::ApplyStack(CalculatorOp op) {
  switch (op) {
    case CalculatorOp::Pop:
      Pop();
      break;
    case CalculatorOp::Dup: {
      const Value v = Pop();
      Push(v);
      Push(v);
      break;
    }
    case CalculatorOp::Exch: {
      const Value b = Pop(), a = Pop();
      Push(b);
      Push(a);
      break;
    }
    case CalculatorOp::Copy: {
      const long long n = PopInteger();
      if (n < 0 || static_cast<std::size_t>(n) > stack_.size()) throw ProgramError("bad copy");
      const std::size_t from = stack_.size() - static_cast<std::size_t>(n);
      for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) Push(stack_[from + i]);
      break;
    }
    case CalculatorOp::Index: {
      const long long n = PopInteger();
      if (n < 0 || static_cast<std::size_t>(n) >= stack_.size()) throw ProgramError("bad index");
      Push(stack_[stack_.size() - 1 - static_cast<std::size_t>(n)]);
      break;
    }
    default: {  // roll
      const long long j = PopInteger(), n = PopInteger();
      if (n < 0 || static_cast<std::size_t>(n) > stack_.size()) throw ProgramError("bad roll");
      if (n == 0) break;
      const long long shift = ((j % n) + n) % n;
      auto first = stack_.end() - n;
      std::rotate(first, stack_.end() - shift, stack_.end());
    }
  }
}

}  // namespace

CalculatorProgram::CalculatorProgram(const std::string& source) {
  Tokens tokens(source);
  if (tokens.Next() != "{") throw ProgramError("program does not start with {");
  ParseProcedure(tokens, nodes_, 0);
}

CalculatorProgram::~CalculatorProgram() = default;
CalculatorProgram::CalculatorProgram(CalculatorProgram&&) noexcept = default;

std::vector<double> CalculatorProgram::Run(const std::vector<double>& inputs,
                                           int outputCount) const {
  Machine machine;
  for (double input : inputs) machine.Push({input, false});
  machine.Run(nodes_);
  auto& stack = machine.Stack();
  if (stack.size() < static_cast<std::size_t>(outputCount)) {
    throw ProgramError("fewer results than outputs");
  }
  std::vector<double> outputs;
  for (auto it = stack.end() - outputCount; it != stack.end(); ++it) outputs.push_back(it->number);
  return outputs;
}

}  // namespace CorvelPdf::Detail
