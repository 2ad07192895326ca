// The files of the databases this process has open.
//
// SQLite's locks on a file are POSIX locks: they belong to the process, and closing any
// descriptor of the file in the process drops all of them. Another program then takes the
// file for unused, deletes its write-ahead log under us, and later saves vanish. So nothing
// but SQLite may open these files: code that reads, writes, replaces or deletes a file a
// user named asks here first.
#pragma once

#include <filesystem>
#include <string>

namespace db {

// True when `path` is a file of a database open in this process, or would become one when
// created: the database file itself or its -wal, -shm or -journal companion. An existing
// file is recognised by device and inode (a hard or symbolic link, another spelling of the
// path); a path that does not exist yet by its folder and name.
bool is_open_database_file(const std::filesystem::path& path);

// Holds a database file in the list above for as long as it lives (one per connection).
class OpenDatabaseFile {
  public:
    explicit OpenDatabaseFile(std::string path);
    ~OpenDatabaseFile();
    OpenDatabaseFile(const OpenDatabaseFile&) = delete;
    OpenDatabaseFile& operator=(const OpenDatabaseFile&) = delete;

  private:
    std::string path_;
};

}  // namespace db
