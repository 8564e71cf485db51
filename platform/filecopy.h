// The desktop shell's copy of a folder tree, with its progress window and its
// question before a file is replaced.
#pragma once

#include <string>

namespace platform {

class Window;

enum CopyResult : int { kCopyDone = 0, kCopyFailed = 1, kCopyCancelled = 2 };

// Copies everything inside sourceFolder (Windows paths, as the program has them)
// into destFolder, which is created with every missing level, in a progress window
// with the caption title that takes all input while it is open (owner stays
// behind it): the current file, a progress bar and "Anuluj".
//
//  - Folders merge into folders of the same name. Before a file is replaced the
//    user is asked: "Tak" replaces it, "Tak na wszystkie" replaces it and every
//    later one without asking, "Nie" keeps it, "Anuluj" stops.
//  - Files are copied in chunks, with their times and read-only state (a missing
//    owner write bit); folders too. A file is written beside its place and renamed
//    into it when complete, so a file being written when the copy stops never
//    stays, and a read-only file in the way is replaced all the same.
//  - Links in the source are never followed out of it: a link to a file inside the
//    source arrives as a copy of that file; a link to a folder, to anything
//    outside, or to nothing does not arrive. Nothing is ever written through a
//    link in the destination, and a destination inside the source is refused.
//  - Every error is shown in an error box and ends the copy.
//
// kCopyDone when everything was copied (files the user chose to keep count as
// done), kCopyCancelled when the user stopped it ("Anuluj" in the window, in the
// question, or the window's close box), kCopyFailed on an error. Files finished
// before stay either way.
int CopyFolderTree(Window* owner, const std::string& sourceFolder, const std::string& destFolder, const std::string& title);

}  // namespace platform
