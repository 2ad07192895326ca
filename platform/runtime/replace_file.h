// Writing a file whole, safely, in a folder other users may share.
//
// A file is written to a temporary file beside it and renamed over it when complete. The
// temporary name cannot be guessed, is created exclusively and never through a link, so
// nobody can plant a link there to make the program write elsewhere; and until the rename
// the old file stays whole. A program that dies mid-write leaves its temporary file
// behind; the next program to start removes it (remove_leftover_files).
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

namespace runtime {

// Who may read a file that replace_file creates. A file that exists keeps its permissions,
// except a private one, which is always for its user alone.
enum class FileAccess {
    shared,   // as the user's umask says (exports)
    private_  // the user alone, 0600 (personal data: the photo of an employee)
};

// Replaces the file at `target` with exactly `bytes`. A symbolic link at the target is
// replaced by the file, never followed. A file the user may not write, a folder, and the
// files of a database this process has open are left alone. False when the file was not
// replaced; the old file is then as it was and no temporary file stays behind.
bool replace_file(const std::filesystem::path& target, std::string_view bytes,
                  FileAccess access = FileAccess::shared);

// The same for a file that a library writes by name (a workbook, a PDF): `write` is given a
// path that names the new temporary file for as long as it runs (whatever else happens in
// the folder meanwhile) and returns whether it wrote all of it. A `write` that fails leaves
// the old file as it was.
bool replace_file_with(const std::filesystem::path& target,
                       const std::function<bool(const std::filesystem::path& file)>& write,
                       FileAccess access = FileAccess::shared);

// Removes the temporary files of replace_file that a process which no longer runs left
// behind: those it recorded in the user's state folder, and any found in `folders`
// (including those of earlier versions, "NAME.tarvo-PID.tmp"). Returns how many it removed.
int remove_leftover_files(const std::vector<std::filesystem::path>& folders = {});

// The folder where replace_file records the temporary files it is writing:
// $XDG_STATE_HOME/tarvo/unfinished, else ~/.local/state/tarvo/unfinished.
std::filesystem::path unfinished_files_folder();

// Creates `folder` (and its parents) for the user alone (0700); a folder that exists keeps
// its permissions. False when it does not exist afterwards.
bool create_private_folder(const std::filesystem::path& folder);

// Sets up a program that writes files for its user: a write beyond the file-size limit
// (ulimit -f) fails as a full disk does instead of ending the program, and leftover
// temporary files in `folders` and in the record are removed.
void prepare_file_writing(const std::vector<std::filesystem::path>& folders);

}  // namespace runtime
