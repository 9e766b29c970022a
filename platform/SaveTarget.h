// Where a save goes: the link rule, the folder held open while the files are
// put in place, and the spare names beside a target. Only the save routine
// (SaveFile.cpp) uses these.
#pragma once

#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace platform::save {

// Where the private folder is: "velotrask-<user id>" under the system
// temporary folder.
std::string PrivateFolderName();

// Whether the folder is the private folder by name (whatever stands there
// now), or a work folder directly in it: its files are saved and read as the
// private folder's.
bool IsPrivateFolder(std::filesystem::path folder);
// 1 for the private folder itself, 2 for a folder directly in it, else 0.
int PrivateDepth(const std::filesystem::path& folder);

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

// What a link in the file's own place comes to.
enum class LastLink {
    Follow,  // followed where the system would follow it
    Refuse,  // the save is refused
    Keep,    // the link itself is the name (replaced or removed, never followed)
};

// The file a save goes to: its folder held open and its name in there.
struct Target {
    Folder folder;
    std::string name;
    std::string shown;      // the file as the resolved path names it
    bool followed = false;  // a link was followed on the way
    bool exists = false;    // something stands at the name; what, says st
    struct stat st {};
};

// Opens the folder the file goes to by walking its path one name at a time
// from a folder held open: each name is opened without following it, and
// what was opened is what is checked and used, so that nothing can be swapped
// between the check and the use. A link on the
// way is read and followed as the system follows it (relative to the folder
// holding it, absolute from the root, ".." going up from where it led, at
// most 40 of them), but in a folder that everyone may write and that is
// sticky (/tmp) only when it is the user's or the folder's owner's; any other
// is refused, naming the link. The private folder, and a work folder in it,
// is never a link and must be ours with rights 0700, as MakePrivateFolder and
// MakeWorkFolder leave them; in it a link in the file's place is kept
// (replaced, never followed). False with the reason;
// the folder is then closed.
bool OpenTarget(const std::string& path, LastLink last, Target& target, std::string* reason);

// A name beside the target nobody uses yet: ".<name>.<tag><six letters>", the
// name cut (at a whole character) so that the whole fits in nameMax bytes.
std::string SpareName(const std::string& name, const char* tag, long nameMax);

}  // namespace platform::save
