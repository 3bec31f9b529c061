#pragma once
// `corvel preview`: one page flattened in memory, nothing written to any PDF; the page rendered
// in gray by Ghostscript with what the flattening replaced, rasterised (by resolution) and
// outlined, and the objects that overprint, marked in colour, written as a PNG picture with a
// legend; each category's colour and area printed on stdout.

#include <cli/Options.h>

namespace CorvelCli {

// Returns the exit status: 0 done; 1 failed (Ghostscript missing, a file that cannot be read, a
// page that cannot be flattened, a picture that cannot be written); 2 for a page the file does
// not have.
int RunPreview(const PreviewSettings& settings);

}  // namespace CorvelCli
