#pragma once
// The JSON report of a run: what happened to each page, the colour conversion, the document-level
// entries carried over, the warnings.

#include <string>

#include <cli/FileAction.h>

namespace CorvelCli {

// The report as JSON text. File names and messages that are not valid UTF-8 keep their bytes as
// U+FFFD replacement characters rather than making the report unreadable.
std::string ReportJson(const std::string& input, const std::string& output, const FileReport& report);

// Writes it to `path`; throws std::runtime_error when the file cannot be written.
void WriteReport(const std::string& path, const std::string& input, const std::string& output,
                 const FileReport& report);

}  // namespace CorvelCli
