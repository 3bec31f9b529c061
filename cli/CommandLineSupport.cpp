#include <cli/CommandLineSupport.h>

#include <charconv>
#include <cmath>
#include <iostream>
#include <memory>
#include <system_error>

namespace CorvelCli {

namespace {

// Width of the option column in --help: long option names with their value and range.
constexpr std::size_t kHelpColumnWidth = 46;

template <class Number>
std::optional<Number> ParseWhole(const std::string& text) {
  Number value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::string Joined(const std::vector<std::string>& values, const std::string& last) {
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    text += i == 0 ? "" : i + 1 == values.size() ? last : ", ";
    text += values[i];
  }
  return text;
}

std::string Number(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return {buffer, result.ptr};
}

// The name the message starts with: the program and, when one was given, its subcommand.
std::string CommandName(const CLI::App& app) {
  std::string name = app.get_name();
  for (const CLI::App* sub = &app; !sub->get_subcommands().empty();) {
    sub = sub->get_subcommands().front();
    name += " " + sub->get_name();
  }
  return name;
}

int UsageError(const CLI::App& app, const std::string& message) {
  std::cerr << CommandName(app) << ": " << message << "\nRun with --help for the options.\n";
  return kUsageError;
}

}  // namespace

void UseHouseFormat(CLI::App& app) {
  auto formatter = std::make_shared<CLI::Formatter>();
  formatter->column_width(kHelpColumnWidth);
  app.formatter(formatter);
  app.option_defaults()->always_capture_default();
  // Arguments nobody takes are collected (subcommands inherit this) and refused after parsing
  // with a message of ours, which names the first in the order given.
  app.allow_extras();
  // A repeated option takes its last value, as scripts that append to a command line expect.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

std::optional<int> ParseCommandLine(CLI::App& app, int argc, const char* const* argv) {
  try {
    app.parse(argc, argv);
    const auto extras = app.remaining(true);
    if (extras.empty()) return std::nullopt;
    const std::string& first = extras.front();
    return UsageError(app, first.size() > 1 && first[0] == '-'
                               ? "unknown option " + first
                               : "unexpected argument '" + first + "'");
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    return UsageError(app, e.what());
  }
}

CLI::Validator NumberBetween(double min, double max, const std::string& unit) {
  const std::string range = Number(min) + " to " + Number(max);
  const std::string interval = "[" + Number(min) + ", " + Number(max) + "]";
  return CLI::Validator(
      [=](std::string& text) -> std::string {
        const auto value = ParseWhole<double>(text);
        if (!value || !std::isfinite(*value))
          return "'" + text + "' is not a number (" + unit + ")";
        if (*value < min || *value > max)
          return text + " is out of range: " + unit + " from " + range;
        return {};
      },
      interval);
}

CLI::Validator PositiveNumber(const std::string& unit) {
  return CLI::Validator(
      [=](std::string& text) -> std::string {
        const auto value = ParseWhole<double>(text);
        if (!value || !std::isfinite(*value))
          return "'" + text + "' is not a number (" + unit + ")";
        if (!(*value > 0)) return text + " is out of range: " + unit + " above 0";
        return {};
      },
      "> 0");
}

CLI::Validator WholeNumberFrom(int min) {
  return CLI::Validator(
      [=](std::string& text) -> std::string {
        const auto value = ParseWhole<int>(text);
        if (!value) return "'" + text + "' is not a whole number";
        if (*value < min) return text + " is out of range: from " + std::to_string(min);
        return {};
      },
      std::to_string(min) + " or more");
}

CLI::Validator WholeNumberBetween(int min, int max) {
  const std::string range = std::to_string(min) + " to " + std::to_string(max);
  return CLI::Validator(
      [=](std::string& text) -> std::string {
        const auto value = ParseWhole<int>(text);
        if (!value) return "'" + text + "' is not a whole number";
        if (*value < min || *value > max) return text + " is out of range: " + range;
        return {};
      },
      range);
}

CLI::Validator OneOf(std::vector<std::string> values) {
  const std::string allowed = Joined(values, " or ");
  return CLI::Validator(
      [values = std::move(values), allowed](std::string& text) -> std::string {
        for (const auto& value : values) {
          if (text == value) return {};
        }
        return "'" + text + "' is not allowed: choose " + allowed;
      },
      "");
}

std::optional<std::pair<int, int>> ParsePageRange(const std::string& text) {
  const auto dash = text.find('-');
  const auto first = ParseWhole<int>(text.substr(0, dash));
  const auto last = dash == std::string::npos ? first : ParseWhole<int>(text.substr(dash + 1));
  if (!first || !last || *first < 1 || *last < *first) return std::nullopt;
  return std::pair{*first, *last};
}

CLI::Validator PageRange() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        return ParsePageRange(text)
                   ? std::string()
                   : "'" + text + "' is not a page range: give N or A-B with 1 <= A <= B";
      },
      "");
}

}  // namespace CorvelCli
