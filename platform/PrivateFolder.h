// The program's own folder for its temporary files, one per user.
#pragma once

#include <string>

namespace platform {

// The program's own folder for its temporary files: "velotrask-<user id>" under
// the system temporary folder (TMPDIR, else /tmp). Made with owner-only rights
// when missing, and given them again when it is ours with others; refused
// when it is a link, not a folder, or owned by another user, since another
// user could then read or redirect what the program writes there. Empty, with
// the reason in *error, when refused or not made.
std::string PrivateTempFolder(std::string* error = nullptr);

// Where the private folder is, whether or not it can be had.
std::string PrivateTempFolderName();

// The same check and making for a folder of the caller's choice.
bool MakePrivateFolder(const std::string& folder, std::string* error = nullptr);

// Whether the file's folder is the private folder by name (whatever stands
// there now): such files are written as SaveFiles says of them.
bool InPrivateFolder(const std::string& path);

}  // namespace platform
