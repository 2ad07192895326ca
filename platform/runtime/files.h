// File services of the screens: length, stream reading in blocks, seek, close, delete and
// writing a byte block.
//
// The files of a database open in this process are never opened, written or deleted here:
// closing a descriptor of them would drop SQLite's locks (db/database_files.h).
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
    // Whether the path names a file of a database open in this process (or its companion).
    bool is_database_file(std::string_view path) const;

    // Size in bytes; negative when the file cannot be measured.
    std::int64_t length(std::string_view path) const;

    // Opens a file for reading bytes as stored; a handle > 0, or -1 (also for a file of an
    // open database).
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
    // Replaces the file with exactly `bytes` (see replace_file), for the user alone: it
    // holds personal data. Creates the drive folders it needs. Returns 1, or -1.
    int write_bytes(std::string_view path, const db::Bytes& bytes);

  private:
    std::filesystem::path drive_c_;
    std::map<int, std::unique_ptr<std::ifstream>> open_;
    int next_handle_ = 1;
};

}  // namespace runtime
