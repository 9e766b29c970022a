// Work folders inside the program's private folder: one for each learner run,
// one for each command that keeps files for the user, so that any number of
// processes and commands of one user can work at once without ever sharing a
// file name. A file in a work folder is saved, read and removed as one in the
// private folder itself (see SaveFiles): the folder is never followed through
// a link and must be ours with rights 0700.
#pragma once

#include "platform/Descriptor.h"

#include <string>

namespace platform {

// Makes "<prefix>.<six letters>" in the private folder (made first when
// missing, as PrivateTempFolder makes it), owner only, in the very folder
// that was checked (through its descriptor, as mkdtemp would by its name).
// Its path, or empty with the reason in *error: the private folder's refusal
// in PrivateTempFolder's words, or why nothing could be made in it.
std::string MakeWorkFolder(const std::string& prefix, std::string* error = nullptr);

// Removes a folder directly in the private folder with everything in it: a
// link in it goes, never what it leads to; nothing outside it is touched.
// A folder already gone is no failure; a path that names no folder directly
// in the private folder is refused. False with the reason.
bool RemoveWorkFolder(const std::string& path, std::string* error = nullptr);

// Removes the folders "<prefix>.*" in the private folder that no WorkFolder
// holds any more, in this process or another: those of copies of the program
// that ended without removing them (killed, crashed). One a running copy
// holds is kept. The number removed.
int RemoveEndedWorkFolders(const std::string& prefix);

// A work folder for one scope: made by Make, removed with everything in it
// when the object goes, however the scope ends. It is held locked meanwhile,
// so that RemoveEndedWorkFolders of another copy leaves it alone.
class WorkFolder {
public:
    WorkFolder() = default;
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // False, with the reason, when no folder could be made.
    bool Make(const std::string& prefix, std::string* error = nullptr);
    // Empty before Make succeeded.
    const std::string& Path() const { return path_; }
    // The name in the folder.
    std::string File(const std::string& name) const;

private:
    std::string path_;
    Descriptor lock_;  // the folder, locked while it is ours
};

}  // namespace platform
