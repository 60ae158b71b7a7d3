// The whole render: plays the real show on a virtual clock and writes the
// video, the narration and the captions into the output folder.
#pragma once

#include "tools/render/RenderOptions.h"

#include <string>

// Returns the process's exit status: 0 when every file was written, 1 when
// the render failed (with one line on stderr; nothing is left under the
// final names).
int renderShow(const RenderOptions& options, const std::string& program);
