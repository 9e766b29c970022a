// Putting files on disk whole or not at all, and the program's private folder
// for its own temporary files.
//
// Every file the program writes for the user goes through SaveFiles: the
// content goes to a temporary file beside its target, is flushed to the disk
// and only then renamed over the target, and the folder is synced after the
// renames. A save that fails (the writer, a full disk, a folder without
// rights, a rename refused) leaves the old files byte for byte as they were
// and no temporary file behind, and says the system's reason. What it cannot
// promise: a crash or a killed program midway may leave a temporary file
// (".<name>.new-..." or ".<name>.old-...", the name shortened where it is
// long) beside the target; when putting an old file back fails in turn (its
// folder taken away meanwhile), the reason names the spare name its old
// content is kept under, or the file left with the new content. A failed sync
// of the folder fails the save, though the new content is then in place.
// Other programs writing the same files at the same time are not held off.
// Writers keep writing into a stream; this routine owns the file.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Whether a save goes through a link that stands in the target's place. A
// link on the way to it, in a folder's place, is always followed as the
// system would (below).
enum class Links {
    // As the system would for an open there: in a folder that everyone may
    // write and that is sticky (/tmp), only a link of the user or of the
    // folder's owner, so that nobody can steer another user's save elsewhere.
    AsTheSystem,
    // Never: for files the program writes unasked, where a link can only have
    // been planted.
    Never,
};

// One file to put on disk: where, what writes its content, and whether a link
// in its place is followed. A writer that leaves the stream failed (or
// throws) fails the save.
struct FileContent {
    std::string path;
    std::function<void(std::ostream&)> write;
    Links links = Links::AsTheSystem;
};

// Why a save failed: the file it was about and the system's reason.
struct SaveError {
    std::string file;
    std::string reason;
    // "Cannot write the file <file>: <reason>"
    std::string Message() const;
};

// Writes all files, each to a temporary file beside its target, and renames
// them over their targets only when every one is complete, so that a format of
// several files is written whole or not at all: until the last is in place,
// each replaced file's old content keeps a spare name, and a rename refused
// midway puts the earlier files back (by a copy where the file system offers
// neither a second name nor a rename that keeps a name). Refused before
// anything is written: anything but a regular file in a target's place (a
// folder, a device, a named pipe, a socket: "it is not a regular file (a
// named pipe)"), a link the target's Links refuses, a file the user may
// not write into (read-only to its owner; the superuser may replace it, as
// they could write into it), and two targets that lead to one file (one name
// twice, a link to another target, a second name of its file: "it leads to
// the same file as <the other>"). The path is walked one name at a time from a
// folder held open, so that nothing can be swapped between the check and the
// use: every link on it, a folder's as the target's own, is followed as the
// system follows it (relative to its folder, ".." going up from where it
// led), but in a folder everyone may write that is sticky (/tmp) only when it
// is the user's or the folder owner's; another is refused, naming it ("the
// link <link> belongs to another user in a folder open to everyone, so it is
// not followed"), and nothing is written. A folder the user may write but not
// list (a drop box) takes saves too. The writers run in the order of the
// files, one after the other. A new file gets the usual rights (0666 less the
// umask); a replaced one keeps its rights, less any set-user-id, set-group-id
// or sticky bit, and its owner and group where the user may give them (the
// superuser may; another user the group when they belong to it), else it is
// the user's.
//
// A file in the private folder is written, renamed and synced through one
// descriptor of that folder, which is never a link and must be ours with
// rights 0700, as MakePrivateFolder leaves it: when it was swapped for a link
// or opened to others after it was checked, the save fails and nothing is
// written. A link in a file's place there is replaced, never followed, and
// gives the new file nothing.
bool SaveFiles(const std::vector<FileContent>& files, SaveError* error = nullptr);

// Checks the targets as SaveFiles checks them before it writes, and writes
// nothing: false with the first refusal in *error (the targets after a
// refused one are not looked at); else true, with the targets
// already there (the files a save would replace) added to existing, in order.
// For a question whether to replace them that comes only where the save will.
bool CheckSaveTargets(const std::vector<std::string>& paths, std::vector<std::string>& existing,
                      SaveError* error = nullptr);

bool SaveFile(const std::string& path, const std::function<void(std::ostream&)>& write,
              SaveError* error = nullptr);

// Saves bytes already made (an encoded picture).
bool SaveBytes(const std::string& path, std::string_view bytes, SaveError* error = nullptr,
               Links links = Links::AsTheSystem);

// Removes a file (a missing one is no failure; a link goes, not what it leads
// to), its path walked as SaveFiles walks it.
bool RemoveFile(const std::string& path, SaveError* error = nullptr);

}  // namespace platform
