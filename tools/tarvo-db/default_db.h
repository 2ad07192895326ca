// The embedded default database: where it lives and how it is prepared on first use.
#pragma once

#include <memory>
#include <string>

#include "platform/db/connection.h"

namespace defaultdb {

// $XDG_DATA_HOME/tarvo/tarvo.db (or ~/.local/share/tarvo/tarvo.db) as a sqlite: URL. The
// folder is created when missing.
std::string default_url();

// Opens `url`, creates the tables that are missing and, when the Employee table is empty,
// fills the demo data. Returns the open connection; throws db::Error on failure.
std::unique_ptr<db::Connection> open_prepared(const std::string& url, bool* filled = nullptr);

}  // namespace defaultdb
