// The user32 functions the engine answers for the program's own modules
// while a skin is on (see ImportPatch.h): the system colours and their
// brushes, DrawEdge, and DefWindowProc's erasing with a class background of
// a system colour. On any thread but the skinned one, and once skinning has
// ended, each is the real function. A function of the program that is
// running when the skin starts or ends may hold on to the address it read
// (GCC loads an import's slot once per function): its next call sees the change.
#pragma once

#include <vector>

#include "outside/appface/ImportPatch.h"

namespace appface {

std::vector<Redirect> ProgramRedirects();

}  // namespace appface
