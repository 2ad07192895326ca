#include "schema/demo_data.h"

#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/db/dialect.h"

namespace schema {
namespace {

const std::vector<std::string> kSurnames = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵",
                                            "吴", "周", "徐", "孙", "马", "朱", "胡", "郭",
                                            "何", "高", "林", "罗", "郑", "梁", "谢", "宋"};
const std::vector<std::string> kGiven = {
    "伟", "芳", "娜", "秀", "英", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰",
    "娟", "涛", "明", "超", "兰", "霞", "平", "刚", "桂", "华", "建", "国", "文", "辉", "玲"};
const std::vector<std::string> kProvinces = {"北京", "上海", "广东", "浙江", "江苏", "四川",
                                             "湖北", "湖南", "山东", "河南", "福建", "陕西"};
const std::vector<std::string> kDistricts = {"东城区", "西湖区", "天河区", "武侯区",
                                             "江汉区", "历下区", "鼓楼区", "雁塔区"};
const std::vector<std::string> kNations = {"汉族", "汉族", "汉族",  "回族",
                                           "满族", "壮族", "蒙古族"};
const std::vector<std::string> kSchools = {"本科", "大专", "高中", "中专", "初中", "小学"};
const std::vector<std::string> kDepartments = {"销售部", "财务部", "人事部", "研发部",
                                               "市场部", "行政部", "采购部", "客服部"};
const std::vector<std::string> kPositions = {"经理", "主管", "职员", "工程师", "会计", "助理"};
const std::vector<std::string> kTitles = {"会议通知", "工作安排", "请假申请",
                                          "周报",     "培训安排", "节日问候"};

class Rng {
  public:
    explicit Rng(std::uint32_t seed) : gen_(seed) {}
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(gen_); }
    const std::string& pick(const std::vector<std::string>& v) { return v[below(v.size())]; }
    std::string digits(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += static_cast<char>('0' + below(10));
        return s;
    }
    std::string name() {
        std::string s = pick(kSurnames) + pick(kGiven);
        if (below(3) > 0) s += pick(kGiven);
        return s;
    }

  private:
    std::mt19937 gen_;
};

std::string numbered(const char* fmt, long n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, fmt, n);
    return buf;
}

// Inserts rows in batches of multi-row INSERTs; `make_row` fills the values of row i.
void insert_rows(db::Connection& conn, const std::string& table, const std::string& columns,
                 int ncols, int count, const std::function<void(int, db::Params&)>& make_row,
                 const RowsWritten& written) {
    const int batch = 200;
    std::string one = "(" + std::string(ncols * 2 - 1, '?') + ")";
    for (int i = 1; i < ncols * 2 - 1; i += 2) one[i + 1] = ',';
    for (int start = 0; start < count; start += batch) {
        int n = std::min(batch, count - start);
        std::string sql = "INSERT INTO " + table + " (" + columns + ") VALUES ";
        db::Params params;
        params.reserve(n * ncols);
        for (int i = 0; i < n; ++i) {
            if (i) sql += ',';
            sql += one;
            make_row(start + i, params);
        }
        conn.execute(sql, params);
        if (written) written(n);
    }
}

// After explicit identifiers, PostgreSQL's identity must move past them.
void sync_identity(db::Connection& conn, const char* table, const char* column) {
    const std::string catch_up = conn.dialect().identity_catch_up(table, column);
    if (!catch_up.empty()) conn.execute(catch_up);
}

std::int64_t scalar(db::Connection& conn, const std::string& sql) {
    return conn.query_all(sql).rows.at(0).at(0).as_integer();
}

}  // namespace

db::Bytes demo_photo(int index) {
    // A 120 x 144 portrait: a head and shoulders on a plain background, the colours of the
    // background and the clothes differing with `index`.
    const int w = 120, h = 144, row = w * 3, size = 54 + row * h;
    db::Bytes b(size, 0);
    auto put32 = [&](int at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
    };
    b[0] = 'B', b[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    b[26] = 1, b[28] = 24;
    put32(34, row * h);
    struct Rgb {
        int r, g, b;
    };
    const Rgb backs[] = {{196, 218, 240}, {222, 236, 214}, {240, 226, 204},
                         {226, 214, 238}, {214, 232, 232}, {238, 218, 218}};
    const Rgb clothes[] = {{38, 70, 120}, {70, 70, 76},   {120, 40, 48}, {30, 96, 80},
                           {90, 60, 120}, {140, 100, 40}, {40, 40, 44}};
    const Rgb back = backs[index % 6], cloth = clothes[index % 7];
    const Rgb skin{232, 196, 166}, hair{40, 30, 26};
    for (int y = 0; y < h; ++y) {
        const int top = h - 1 - y;  // rows are stored bottom up
        for (int x = 0; x < w; ++x) {
            const int dx = x - w / 2;
            Rgb c = back;
            const double head = dx * dx / 676.0 + (top - 54) * (top - 54) / 1024.0;  // 26 x 32
            const double shoulders = dx * dx / 3364.0 + (top - 150) * (top - 150) / 3025.0;
            if (shoulders < 1.0 && top > 96) c = cloth;
            if (head < 1.0) c = top < 40 - dx * dx / 60 ? hair : skin;
            std::uint8_t* px = &b[54 + y * row + x * 3];
            px[0] = static_cast<std::uint8_t>(c.b);
            px[1] = static_cast<std::uint8_t>(c.g);
            px[2] = static_cast<std::uint8_t>(c.r);
        }
    }
    return b;
}

void fill_employees(db::Connection& conn, int count, int photos, std::uint32_t seed,
                    const RowsWritten& written) {
    Rng rng(seed);
    // Numbers continue after the employees already there, so demo data can be added twice.
    const long first = static_cast<long>(scalar(conn, "SELECT count(*) FROM Employee")) + 1;
    const char* number_format = first + count > 999999 ? "E%09ld" : "E%06ld";
    const char* cols =
        "eid, ename, sex, born, naviteplace, nationality, school, bodyhigh, bodyweight, maerry,"
        " bornfrom, idcard, urgent, urgentphone, department, position, email, phone, mobile,"
        " qq, msn, othercontact, content, flag, photo";
    insert_rows(
        conn, "Employee", cols, 25, count,
        [&](int i, db::Params& p) {
            std::string eid = numbered(number_format, first + i);
            std::string province = rng.pick(kProvinces);
            p.emplace_back(eid);
            p.emplace_back(rng.name());
            p.emplace_back(rng.below(2) ? "男" : "女");
            p.emplace_back(
                db::DateTime{1960 + rng.below(45), 1 + rng.below(12), 1 + rng.below(28)});
            p.emplace_back(province);
            p.emplace_back(rng.pick(kNations));
            p.emplace_back(rng.pick(kSchools));
            p.emplace_back(std::to_string(150 + rng.below(40)) + "cm");
            p.emplace_back(std::to_string(45 + rng.below(45)) + "kg");
            p.emplace_back(rng.below(2) ? "已" : "未");
            p.emplace_back(province + rng.pick(kDistricts));
            p.emplace_back("110" + rng.digits(15));
            p.emplace_back(rng.name());
            p.emplace_back("139" + rng.digits(8));
            p.emplace_back(rng.pick(kDepartments));
            p.emplace_back(rng.pick(kPositions));
            p.emplace_back(numbered("user%ld@example.com", i + 1));
            p.emplace_back("010-" + rng.digits(8));
            p.emplace_back("13" + rng.digits(9));
            p.emplace_back(rng.digits(9));
            p.emplace_back(numbered("user%ld@msn.example", i + 1));
            p.emplace_back(db::Value());
            p.emplace_back(rng.below(5) == 0 ? db::Value("优秀员工") : db::Value());
            p.emplace_back(rng.below(10) == 0 ? "0" : "1");
            p.emplace_back(i < photos ? db::Value(demo_photo(i)) : db::Value());
        },
        written);
}

std::int64_t fill_departments(db::Connection& conn, int count, std::uint32_t seed,
                              const RowsWritten& written) {
    Rng rng(seed);
    std::int64_t first = scalar(conn, "SELECT COALESCE(MAX(DeptID), 0) FROM HR_Dept") + 1;
    int tops = std::max(1, count / 20);
    insert_rows(
        conn, "HR_Dept", "DeptID, DeptName, DeptOrder, DeptParentID, DeptMemo", 5, count,
        [&](int i, db::Params& p) {
            p.emplace_back(first + i);
            p.emplace_back(rng.pick(kDepartments) + std::to_string(i + 1));
            p.emplace_back(i + 1);
            p.emplace_back(i < tops ? db::Value() : db::Value(first + rng.below(i)));
            p.emplace_back(rng.below(4) == 0 ? db::Value("重点部门") : db::Value(""));
        },
        written);
    sync_identity(conn, "HR_Dept", "DeptID");
    return first;
}

void fill_persons(db::Connection& conn, int count, int departments, std::uint32_t seed,
                  const RowsWritten& written) {
    Rng rng(seed);
    const char* cols =
        "DeptID, PersonName, PersonSex, PersonBirthday, PersonDuty, PersonAddr, PersonPhone,"
        " PersonEmail, PersonWeb, PersonPhoto, PersonMomo, PersonType, PersonAccount, PersonPwd";
    insert_rows(
        conn, "HR_Person", cols, 14, count,
        [&](int i, db::Params& p) {
            p.emplace_back(departments > 0 ? db::Value(1 + rng.below(departments)) : db::Value());
            p.emplace_back(rng.name());
            p.emplace_back(rng.below(2) ? "男" : "女");
            p.emplace_back(numbered("%ld-01-01", 1960 + rng.below(45)));
            p.emplace_back(rng.pick(kPositions));
            p.emplace_back(rng.pick(kProvinces) + "市中心路" + std::to_string(1 + rng.below(300)) +
                           "号");
            p.emplace_back("010-" + rng.digits(8));
            p.emplace_back(numbered("person%ld@example.com", i + 1));
            p.emplace_back("");
            p.emplace_back("");
            p.emplace_back("");
            p.emplace_back(std::to_string(1 + rng.below(3)));
            p.emplace_back(numbered("p%ld", i + 1));
            p.emplace_back(rng.digits(6));
        },
        written);
}

void fill_messages(db::Connection& conn, int count, int persons, std::uint32_t seed,
                   const RowsWritten& written) {
    Rng rng(seed);
    insert_rows(
        conn, "DATA_Msg", "PersonID, MsgContent, MsgFromPersonID, MsgTitle", 4, count,
        [&](int, db::Params& p) {
            int n = std::max(1, persons);
            p.emplace_back(1 + rng.below(n));
            p.emplace_back("请" + rng.name() + "于下周" + std::to_string(1 + rng.below(5)) +
                           "参加部门会议。");
            p.emplace_back(rng.below(4) == 0 ? db::Value() : db::Value(1 + rng.below(n)));
            p.emplace_back(rng.pick(kTitles));
        },
        written);
}

void fill_demo(db::Connection& conn, const DemoSize& size, std::uint32_t seed,
               const std::function<void(long done, long total)>& progress) {
    const long total =
        static_cast<long>(size.employees) + size.departments + size.persons + size.messages;
    long done = 0;
    RowsWritten written;
    if (progress) written = [&](int rows) { progress(done += rows, total); };
    db::all_or_nothing(conn, [&] {
        fill_employees(conn, size.employees, size.photos, seed, written);
        fill_departments(conn, size.departments, seed, written);
        fill_persons(conn, size.persons, size.departments, seed, written);
        fill_messages(conn, size.messages, size.persons, seed, written);
    });
}

}  // namespace schema
