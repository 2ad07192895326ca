// A throw-away schema with the tables on the PostgreSQL server named by TARVO_TEST_PG_URL
// (`make bench` starts a server for the run). Without a server the PostgreSQL measurements
// are skipped and the reason printed.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "platform/db/connection.h"
#include "schema/schema.h"

namespace bench_support {

class PostgresBenchDatabase {
  public:
    // Creates the schema and the tables and fills them with `fill` in one transaction.
    PostgresBenchDatabase(const std::string& name,
                          const std::function<void(db::Connection&)>& fill) {
        const char* base = std::getenv("TARVO_TEST_PG_URL");
        if (!base || !*base) {
            skip_reason_ = "TARVO_TEST_PG_URL is not set (make bench starts a throw-away server)";
            return;
        }
        base_ = base;
        schema_ = "bench_" + name + "_" + std::to_string(getpid());
        url_ = base_ + (base_.find('?') == std::string::npos ? "?" : "&") +
               "options=-csearch_path%3D" + schema_;
        try {
            db::connect(base_)->execute("CREATE SCHEMA " + schema_);
            auto conn = db::connect(url_);
            schema::create(*conn);
            conn->begin();
            fill(*conn);
            conn->commit();
            // The planner's statistics, as a server in use has them: the measurements then
            // meet the plans an office meets, not those of a table nobody has looked at.
            conn->execute_script("ANALYZE");
        } catch (const db::Error& e) {
            skip_reason_ = std::string("the server cannot be used: ") + e.what();
            drop();
        }
    }
    ~PostgresBenchDatabase() { drop(); }

    bool available() const { return skip_reason_.empty(); }
    const std::string& url() const { return url_; }
    // Prints why the PostgreSQL measurements do not run (once per program).
    void print_skip() const {
        static bool printed = false;
        if (available() || printed) return;
        printed = true;
        std::printf("PostgreSQL measurements skipped: %s\n", skip_reason_.c_str());
    }

  private:
    void drop() {
        if (schema_.empty()) return;
        try {
            db::connect(base_)->execute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
        } catch (const db::Error&) {
            // A server that went away takes the schema with it.
        }
        schema_.clear();
    }

    std::string base_, schema_, url_, skip_reason_;
};

}  // namespace bench_support
