#include "tools/common/login.h"

#include <cstdio>

#include "tools/common/cli.h"

namespace login {

std::string who_and_where(const db::PasswordNeeded::Login& login) {
    std::string where = login.host;
    if (!login.port.empty()) where += ":" + login.port;
    if (!login.dbname.empty()) where += "/" + login.dbname;
    return login.user + " @ " + where;
}

LoggedIn connect(const std::string& url, const Asker& ask) {
    LoggedIn out;
    db::PasswordNeeded::Login login;
    bool remember = false;
    for (;;) {
        try {
            out.conn = db::connect(url, out.password);
        } catch (const db::PasswordNeeded& e) {
            std::optional<Answer> answer = ask ? ask(e) : std::nullopt;
            if (!answer) throw;
            out.password = answer->password;
            remember = answer->remember;
            login = e.login();
            continue;
        }
        if (remember) {
            try {
                db::remember_password(login, out.password);
            } catch (const db::Error& failure) {
                out.note = failure.what();
            }
        }
        return out;
    }
}

Asker on_terminal() {
    return [asked = 0](const db::PasswordNeeded& why) mutable -> std::optional<Answer> {
        if (++asked > 3) return std::nullopt;
        if (why.refused() && asked > 1) std::fprintf(stderr, "The password was refused.\n");
        auto password = cli::read_secret("Password for " + who_and_where(why.login()) + ": ");
        if (!password) return std::nullopt;
        return Answer{*password, false};
    };
}

}  // namespace login
