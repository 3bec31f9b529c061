#pragma once
// What the three programs (corvel, corvel-oracle, corvel-catalogue) share around CLI11: one look
// for --help (each option with its value, allowed range and default), one form of usage error
// (`program subcommand: message` on stderr, exit status 2), and strict value checks that name
// the option, the value given and what is allowed.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace CorvelCli {

// The exit status of a usage error, in every program.
constexpr int kUsageError = 2;

// A parser with the house look: help lists defaults in a wide first column.
void UseHouseFormat(CLI::App& app);

// Parses the command line. Returns nothing when the program should go on, or the status it
// should exit with: 0 after printing help (stdout), kUsageError after printing the problem and
// a pointer to --help (stderr).
std::optional<int> ParseCommandLine(CLI::App& app, int argc, const char* const* argv);

// A decimal number (from_chars: the whole text, finite) within [min, max]; `unit` names it in
// messages ("pixels per inch").
CLI::Validator NumberBetween(double min, double max, const std::string& unit);
// A decimal number above zero, finite.
CLI::Validator PositiveNumber(const std::string& unit);
// A whole number of at least `min`.
CLI::Validator WholeNumberFrom(int min);
// A whole number within [min, max].
CLI::Validator WholeNumberBetween(int min, int max);
// One of `values`, which the message lists.
CLI::Validator OneOf(std::vector<std::string> values);

// "N" or "A-B" with 1 <= A <= B, as --pages takes it; nothing when the text is not such a range.
std::optional<std::pair<int, int>> ParsePageRange(const std::string& text);
// Checks a page range with a message that says what is wrong.
CLI::Validator PageRange();

}  // namespace CorvelCli
