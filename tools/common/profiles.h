// Connection profiles: the databases an office's programs use, named in tarvo.conf.
//
// The file is looked for in the XDG places: $XDG_CONFIG_HOME/tarvo/tarvo.conf (default
// ~/.config), then tarvo/tarvo.conf in each folder of $XDG_CONFIG_DIRS (default /etc/xdg),
// so an administrator's /etc/xdg/tarvo/tarvo.conf serves every user and a user's own file
// goes first. A profile found in an earlier file hides one of the same name in a later file;
// the default is the first file's that names one.
//
//     # the profile programs use without --db or --profile
//     default = office
//
//     # PostgreSQL, by libpq's own keywords
//     [office]
//     host = db.example.com
//     dbname = hr
//     sslmode = verify-full
//
//     # a service of pg_service.conf
//     [hq]
//     service = hr
//
//     [mine]
//     sqlite = /home/me/hr.db
//
// Lines starting with # or ; are comments.
// A password never belongs in the file: libpq finds it in ~/.pgpass or PGPASSWORD, and the
// desktop program asks for it when the server wants one.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace profiles {

// A file that cannot be used: its path, the line and what is wrong.
class ConfigError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct Profile {
    std::string name;
    std::string url;  // the database URL the profile stands for
};

class Config {
  public:
    // Reads every tarvo.conf of the XDG places; throws ConfigError for a file that cannot
    // be read or understood (a missing file is no error).
    static Config load();
    // Reads the given files, most important first.
    static Config load(const std::vector<std::filesystem::path>& files);
    // The files load() reads, most important first.
    static std::vector<std::filesystem::path> search_path();

    const Profile* find(const std::string& name) const;
    // The default profile, or null when no file names one.
    const Profile* default_profile() const;
    const std::vector<std::filesystem::path>& files_read() const { return files_read_; }

  private:
    void read(const std::filesystem::path& file);

    std::map<std::string, Profile> profiles_;
    std::optional<std::string> default_;
    std::filesystem::path default_file_;
    std::vector<std::filesystem::path> files_read_;
};

// The database a program uses: the URL given with --db, else that of --profile, else that of
// the default profile; nullopt when there is none of them (the program's own default, such
// as the embedded database). Throws ConfigError for an unknown profile, --db with
// --profile, or a configuration that cannot be read.
// `profile_name`, when given, is set to the name of the profile chosen ("" for --db).
std::optional<std::string> choose_database(const std::string& db_option,
                                           const std::string& profile_option,
                                           std::string* profile_name = nullptr);

}  // namespace profiles
