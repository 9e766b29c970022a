// Where a save goes: the link rule, the folder held open while the files are
// put in place, and the spare names beside a target. Only the save routine
// (SaveFile.cpp) uses these.
#pragma once

#include <filesystem>
#include <string>

namespace platform::save {

// Where the private folder is: "velotrask-<user id>" under the system
// temporary folder.
std::string PrivateFolderName();

// Whether the folder is the private folder by name (whatever stands there now).
bool IsPrivateFolder(std::filesystem::path folder);

// A folder held open while its files are written, renamed and synced: every
// step works on this very folder, whatever its name comes to mean meanwhile.
struct Folder {
    std::string path;
    int fd = -1;
    bool isPrivate = false;
    // Opened for reading, so that it can be synced itself; a folder the user
    // may write but not list is only opened as a place (O_PATH), and its
    // renames reach the disk with its file system instead.
    bool readable = false;
};

// Opens the folder of a file. The private folder is opened without following
// a link in its place and must be ours and closed to others, as
// MakePrivateFolder left it; any other folder is the user's and may well be a
// link.
bool OpenFolder(const std::filesystem::path& file, Folder& folder, std::string* reason);

// The name the content really goes to: path itself, or where the links in its
// place lead, each followed only where the system would (none at all without
// followLinks; in the private folder a link is replaced, never followed).
// False with the reason, naming the link, when a link is refused.
bool ResolveTarget(const std::string& path, bool followLinks, std::string* target, std::string* reason);

// A name beside the target nobody uses yet: ".<name>.<tag><six letters>", the
// name cut (at a whole character) so that the whole fits in nameMax bytes.
std::string SpareName(const std::string& name, const char* tag, long nameMax);

}  // namespace platform::save
