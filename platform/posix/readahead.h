// What the menu reads from a disc before its first picture, read at the very start in
// the order the disc lays it out (see readahead.cpp). The program's entry point
// registers a function that calls this before any other initialisation.
#pragma once

namespace platform {

// The program's own file, front to back.
void ReadOwnFileAhead(int argc, char** argv, char** envp);

// `plan` lists paths below the disc's root (the program's folder, or VEMI_DISC_ROOT
// from `envp`), each ended by a NUL, the list by an empty one; '/' separates names,
// which are matched ignoring ASCII letter case as the menu matches them, and a path
// that ends in '/' is a folder. The folders are looked up first, then the program's
// own file is read, then the files, each whole: a disc image lays out its folders'
// entries first, then the program, then its start-up files, so the drive's head
// goes through them once, front to back. The plan must not lie among the program's
// constants (reaching those would cost a jump of the head of its own): give it a
// section next to the start-up code.
void ReadStartAhead(int argc, char** argv, char** envp, const char* plan);

}  // namespace platform
