// File services of the screens: length, stream reading in blocks, seek, close, delete and
// writing a byte block.
//
// Windows paths keep working: "c:\tempemployee.JPG" lands in a per-user folder (the drive
// root, see default_drive_c) with backslashes turned into slashes. Other drive letters map
// to sibling folders (drive_d, ...). Absolute POSIX paths stay as they are.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/db/value.h"

namespace runtime {

// Replaces the file at `target` with exactly `bytes`: they are written to a temporary file
// beside it, flushed to disk and renamed over it, so a failed write (a full disk, a size
// limit) leaves the old file whole and no temporary file behind. A symbolic link is
// followed; an existing file keeps its permissions, and one that may not be written is
// left alone. False when the file was not replaced.
bool replace_file(const std::filesystem::path& target, std::string_view bytes);

class Files {
  public:
    // The most bytes one read returns.
    static constexpr std::size_t kMaxRead = 32765;

    // The root for drive C: $TARVO_DRIVE_C, else $XDG_DATA_HOME/tarvo/drive_c, else
    // ~/.local/share/tarvo/drive_c.
    static std::filesystem::path default_drive_c();

    explicit Files(std::filesystem::path drive_c = default_drive_c());
    ~Files();

    const std::filesystem::path& drive_c() const { return drive_c_; }
    // The local path a script's path names.
    std::filesystem::path map(std::string_view path) const;
    // A drive path ("c:\...") as the local path it stands for; any other path as it is.
    std::string local(std::string_view path) const;

    // Size in bytes; negative when the file cannot be measured.
    std::int64_t length(std::string_view path) const;

    // Opens a file for reading bytes as stored; a handle > 0, or -1.
    int open_read(std::string_view path);
    // Reads the next block of at most kMaxRead bytes into `block` (replacing its content).
    // Returns the bytes read, 0 at the end of the file, -1 for a bad handle or read error.
    int read(int handle, db::Bytes& block);
    // Moves to `position` counted from the start; returns 1, or -1.
    int seek(int handle, std::int64_t position);
    // Returns 1, or -1 for a handle that is not open.
    int close(int handle);

    // Deletes a file; a missing file is no error (1). -1 when it exists and stays.
    int remove(std::string_view path);
    // Replaces the file with exactly `bytes` (written beside it, then renamed over it, so
    // a failed write leaves the old file whole). Creates the drive folders it needs.
    // Returns 1, or -1.
    int write_bytes(std::string_view path, const db::Bytes& bytes);

  private:
    std::filesystem::path drive_c_;
    std::map<int, std::unique_ptr<std::ifstream>> open_;
    int next_handle_ = 1;
};

}  // namespace runtime
