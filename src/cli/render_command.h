#pragma once

namespace zorva {

// Runs zorva-render with the given arguments; returns the exit status.
int runRenderCommand(int argc, char** argv);

}  // namespace zorva
