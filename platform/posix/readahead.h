// The menu program reads its own file ahead at the very start (see readahead.cpp);
// its entry point registers this to run before any other initialisation, with the
// arguments a pre-initialisation function gets.
#pragma once

namespace platform {

void ReadOwnFileAhead(int argc, char** argv, char** envp);

}  // namespace platform
