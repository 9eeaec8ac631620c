#include "cli/render_command.h"

int main(int argc, char** argv) { return zorva::runRenderCommand(argc, argv); }
