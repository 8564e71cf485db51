// Folder listings kept for a medium that cannot change while the program runs.
#pragma once

#include <string>

namespace platform {

// From now on every folder at or below hostFolder is listed once, the first time a
// name is looked up in it, and later look-ups there are answered from that list: on
// a disc each listing is a jump of the drive's head, and the drive table looks names
// up again for every path. Only a folder on a read-only file system is kept (a
// writable one keeps being asked, or a file made later would stay unseen), unless
// evenIfWritable says the caller knows better, as a test does. True when kept.
bool KeepFolderListings(const std::string& hostFolder, bool evenIfWritable = false);

// Forgets every kept folder and its listings.
void ForgetFolderListings();

}  // namespace platform
