#include "platform/db/error_reason.h"

namespace db {
namespace {

// SQLite's primary result codes (the low byte of an extended code).
enum SqliteCode {
    kPerm = 3,
    kBusy = 5,
    kLocked = 6,
    kReadonly = 8,
    kIoerr = 10,
    kCorrupt = 11,
    kFull = 13,
    kCantopen = 14,
    kToobig = 18,
    kConstraint = 19,
    kMismatch = 20,
    kNotadb = 26,
};

constexpr const char* kLockedByOthers = "数据库正被其他用户锁定，请稍后再试";
constexpr const char* kTooLong = "值太长，超出了字段的长度";
constexpr const char* kRefused = "数据不符合数据库的约束（如编号重复或必填项为空）";

std::string sqlite_reason(int primary, std::string_view message) {
    switch (primary) {
        case kFull:
            return "磁盘已满";
        case kReadonly:
            return "数据库是只读的，不能写入";
        case kBusy:
        case kLocked:
            return kLockedByOthers;
        case kPerm:
        case kCantopen:
            return "无法打开数据库文件（文件不存在或没有权限）";
        case kIoerr:
            return "读写数据库文件出错";
        case kCorrupt:
        case kNotadb:
            return "数据库文件已损坏或不是数据库";
        case kToobig:
            return kTooLong;
        case kMismatch:
            return "值的类型不对";
        case kConstraint:
            // Our tables check text lengths and value types in CHECK constraints.
            if (message.find("length(") != std::string_view::npos) return kTooLong;
            if (message.find("typeof(") != std::string_view::npos) return "值的类型不对";
            return kRefused;
        default:
            return "";
    }
}

std::string postgres_reason(std::string_view state) {
    const std::string_view cls = state.substr(0, 2);
    if (cls == "08" || state == "57P01" || state == "57P02" || state == "57P03")
        return "与数据库服务器的连接已断开";
    if (state == "53100") return "数据库服务器的磁盘已满";
    if (state == "25006") return "数据库是只读的，不能写入";
    if (state == "55P03" || state == "40P01") return kLockedByOthers;
    if (state == "40001") return "与其他用户的修改冲突，请重试";
    if (state == "22001") return kTooLong;
    if (state == "22P02" || state == "22003") return "值的类型或范围不对";
    if (state == "22007" || state == "22008") return "日期无效";
    if (cls == "23") return kRefused;
    if (state == "42501") return "没有权限";
    if (cls == "28") return "登录数据库失败（用户名或密码不对）";
    return "";
}

// A PostgreSQL server that could not be reached or refused the log-in (libpq's own text,
// no SQLSTATE).
std::string connect_reason(std::string_view message) {
    const auto has = [&](std::string_view part) { return message.find(part) != message.npos; };
    if (has("password authentication failed") || has("no password supplied"))
        return "登录数据库失败（用户名或密码不对）";
    if (has("timeout expired")) return "连接数据库服务器超时";
    if (has("could not connect") || has("connection to server") || has("could not translate"))
        return "无法连接数据库服务器";
    return "";
}

}  // namespace

std::string common_reason(int code, std::string_view sqlstate, std::string_view message) {
    // Our own messages, and a server that speaks Chinese, say it in Chinese already.
    if (!message.empty() && static_cast<unsigned char>(message[0]) >= 0x80) return "";
    if (!sqlstate.empty()) return postgres_reason(sqlstate);
    if (code > 0) return sqlite_reason(code & 0xff, message);
    return connect_reason(message);
}

std::string explain(int code, std::string_view sqlstate, std::string_view message) {
    const std::string reason = common_reason(code, sqlstate, message);
    if (reason.empty()) return std::string(message);
    if (message.empty()) return reason;
    return reason + "（" + std::string(message) + "）";
}

}  // namespace db
