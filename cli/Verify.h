#pragma once
// The self-check of a flattening: every page the run replaced is rendered from the input and
// from the output by Ghostscript into separation plates and compared plate by plate, like with
// like for the colour conversion the run used.

#include <string>

#include <cli/FileAction.h>

namespace CorvelCli {

// Throws std::runtime_error, saying so, when Ghostscript is not installed: checked before a run
// flattens anything, so that a check that cannot be made leaves no output behind.
void RequireGhostscriptToVerify();

// Fills each replaced page's `check`. Throws std::runtime_error when Ghostscript is not
// installed or cannot render a page. Returns whether every replaced page agrees.
bool VerifyPages(const std::string& input, const std::string& output, const FileSettings& settings,
                 FileReport& report, double resolution = 100);

}  // namespace CorvelCli
