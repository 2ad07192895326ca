#include <map>

#include "component/department_tree.h"
#include "component/interfaces.h"
#include "tests/component/component_fixture.h"

using namespace com;
using namespace testing_support;

namespace {

class DepartmentTest : public OperationsTest {
  protected:
    void SetUp() override {
        OperationsTest::SetUp();
        if (!HasFatalFailure() && !IsSkipped()) dept = create("Tarvo.Department");
    }

    // Departments with explicit identifiers; parent 0 means top level.
    void add(int id, int parent) {
        db->execute(
            "INSERT INTO HR_Dept (DeptID, DeptName, DeptOrder, DeptParentID) VALUES "
            "(?, ?, ?, ?)",
            {id, "部门" + std::to_string(id), id, parent ? db::Value(parent) : db::Value()});
    }

    // The DeptIDs of a tree result, after checking its header.
    std::vector<long long> tree(short parent) {
        Cells t = read(dept.get(), u"GetAllData", {var_i2(parent)});
        EXPECT_FALSE(t.empty_array);
        EXPECT_EQ(t.cols, 5);
        if (t.rows < 1) return {};
        EXPECT_EQ(t.lower(0, 0), "deptid");
        EXPECT_EQ(t.lower(0, 3), "deptparentid");
        std::vector<long long> ids;
        for (long r = 1; r < t.rows; ++r) ids.push_back(t.number(r, 0));
        return ids;
    }

    Ptr<IDispatch> dept;
};

TEST_P(DepartmentTest, AddDataKeepsTheBlanksAroundTheNameAndNullsEmptyNumbers) {
    auto r = ok(dept.get(), u"AddData", {*txt("Sales"), var_i4(3), *txt(""), *txt("memo")});
    EXPECT_EQ(r.value->vt, VT_BOOL);
    EXPECT_EQ(r.value->boolVal, VARIANT_TRUE);
    EXPECT_EQ(value("SELECT DeptName FROM HR_Dept"), " Sales ");
    EXPECT_EQ(value("SELECT DeptMemo FROM HR_Dept"), "memo");
    EXPECT_EQ(value("SELECT DeptOrder FROM HR_Dept"), "3");
    EXPECT_EQ(value("SELECT DeptParentID FROM HR_Dept"), "<null>");  // top level

    // Both numbers empty (Empty and Null alike): both become null.
    ok(dept.get(), u"AddData", {*txt("O'Brien"), var_empty(), var_null(), *txt("")});
    EXPECT_EQ(value("SELECT DeptName FROM HR_Dept WHERE DeptID = 2"), " O'Brien ");
    EXPECT_EQ(value("SELECT DeptOrder FROM HR_Dept WHERE DeptID = 2"), "<null>");
    EXPECT_EQ(value("SELECT DeptParentID FROM HR_Dept WHERE DeptID = 2"), "<null>");
    EXPECT_EQ(value("SELECT DeptMemo FROM HR_Dept WHERE DeptID = 2"), "");

    ok(dept.get(), u"AddData", {*txt("研发部"), *txt("7"), var_i4(1), var_null()});
    EXPECT_EQ(value("SELECT DeptParentID FROM HR_Dept WHERE DeptID = 3"), "1");
    EXPECT_EQ(value("SELECT DeptName FROM HR_Dept WHERE DeptID = 3"), " 研发部 ");
}

TEST_P(DepartmentTest, UpdateDataChoosesItsFormByTheParent) {
    add(1, 0);
    add(2, 1);
    auto update = [&](VARIANT id, VARIANT order, VARIANT parent) {
        Variant name = txt("Sales"), memo = txt("m");
        return ok(dept.get(), u"UpdateData", {id, *name, order, parent, *memo});
    };
    EXPECT_EQ(update(var_i4(2), var_i4(4), var_i4(5)).value->boolVal, VARIANT_TRUE);
    EXPECT_EQ(value("SELECT DeptName FROM HR_Dept WHERE DeptID = 2"), "Sales");
    EXPECT_EQ(value("SELECT DeptMemo FROM HR_Dept WHERE DeptID = 2"), " m");
    EXPECT_EQ(value("SELECT DeptParentID FROM HR_Dept WHERE DeptID = 2"), "5");
    EXPECT_EQ(value("SELECT DeptOrder FROM HR_Dept WHERE DeptID = 2"), "4");

    update(var_i4(2), var_empty(), *txt(""));  // empty parent: top level; empty order: null
    EXPECT_EQ(value("SELECT DeptParentID FROM HR_Dept WHERE DeptID = 2"), "<null>");
    EXPECT_EQ(value("SELECT DeptOrder FROM HR_Dept WHERE DeptID = 2"), "<null>");

    update(var_i4(2), var_i4(1), var_i4(1));
    update(var_i4(2), var_i4(1), var_null());  // Null parent: top level as well
    EXPECT_EQ(value("SELECT DeptParentID FROM HR_Dept WHERE DeptID = 2"), "<null>");

    EXPECT_EQ(update(var_i4(99), var_i4(1), var_i4(1)).value->boolVal, VARIANT_TRUE);  // no row
    auto no_id =
        call(dept.get(), u"UpdateData", {*txt(""), *txt("x"), var_i4(1), var_i4(1), *txt("")});
    EXPECT_EQ(no_id.scode, ado::E_ADO_DATABASE);
    EXPECT_EQ(value("SELECT DeptName FROM HR_Dept WHERE DeptID = 1"), "部门1");
}

// PostgreSQL would round 1.5 into the integer column (moving the department under
// department 2); both databases must refuse it alike, and store nothing.
TEST_P(DepartmentTest, AFractionForAnIntegerColumnFailsTheCallAndChangesNothing) {
    add(1, 0);
    add(2, 1);
    add(3, 1);
    Variant name = txt("x"), half = txt("1.5"), memo = txt("m");
    auto r = call(dept.get(), u"UpdateData", {var_i4(3), *name, var_i4(7), *half, *memo});
    EXPECT_EQ(r.scode, tarvo::TARVO_E_CONVERSION);
    EXPECT_EQ(r.description,
              "Parameter DeptParentID: 1.5 is not a whole number (the column holds whole numbers)");
    EXPECT_EQ(variant_text(*call(dept.get(), u"GetError", {}).value), r.description);
    EXPECT_EQ(value("SELECT DeptParentID FROM HR_Dept WHERE DeptID = 3"), "1");
    EXPECT_EQ(value("SELECT DeptName FROM HR_Dept WHERE DeptID = 3"), "部门3");

    EXPECT_EQ(
        call(dept.get(), u"UpdateData", {var_i4(3), *name, var_r8(2.5), var_i4(2), *memo}).scode,
        tarvo::TARVO_E_CONVERSION);
    EXPECT_EQ(call(dept.get(), u"AddData", {*name, var_i4(1), var_r8(0.5), *memo}).scode,
              tarvo::TARVO_E_CONVERSION);
    EXPECT_EQ(value("SELECT DeptOrder FROM HR_Dept WHERE DeptID = 3"), "3");
    EXPECT_EQ(value("SELECT COUNT(*) FROM HR_Dept"), "3");

    // Whole numbers as text, with or without a zero fraction, are taken as before.
    Variant two = txt("2.0"), seven = txt("7");
    ok(dept.get(), u"UpdateData", {var_i4(3), *name, *seven, *two, *memo});
    EXPECT_EQ(value("SELECT DeptParentID FROM HR_Dept WHERE DeptID = 3"), "2");
    EXPECT_EQ(value("SELECT DeptOrder FROM HR_Dept WHERE DeptID = 3"), "7");
}

TEST_P(DepartmentTest, TheTreeComesInDepthFirstOrder) {
    add(1, 0);
    add(2, 1);
    add(3, 2);
    add(4, 0);
    EXPECT_EQ(tree(0), (std::vector<long long>{1, 2, 3, 4}));
    EXPECT_EQ(tree(1), (std::vector<long long>{2, 3}));
    EXPECT_TRUE(tree(3).empty());
    EXPECT_TRUE(tree(4).empty());
    EXPECT_TRUE(tree(-7).empty());

    Cells t = read(dept.get(), u"GetAllData", {var_i2(0)});
    ASSERT_EQ(t.rows, 5);
    EXPECT_EQ(t.text(2, 1), "部门2");
    EXPECT_EQ(t.number(3, 3), 2);
    EXPECT_EQ(t.at(1, 3).vt, VT_NULL);  // a top-level department's parent
    EXPECT_EQ(t.at(1, 4).vt, VT_NULL);
}

TEST_P(DepartmentTest, AThousandDepartmentsReadCompletely) {
    // Each department hangs under an earlier one (or is top level), in identifier order.
    std::vector<int> parent(1001, 0);
    db->begin();
    for (int id = 1; id <= 1000; ++id) {
        parent[id] = id % 20 == 1 ? 0 : (id * 7919) % (id - 1) + 1;
        if (id % 20 == 1) parent[id] = 0;
        add(id, parent[id]);
    }
    db->commit();
    // The expected pre-order, siblings in identifier order (the order the rows were stored).
    std::vector<std::vector<int>> children(1001);
    for (int id = 1; id <= 1000; ++id) children[parent[id]].push_back(id);
    std::vector<long long> expected;
    auto walk = [&](auto&& self, int id) -> void {
        for (int c : children[id]) {
            expected.push_back(c);
            self(self, c);
        }
    };
    walk(walk, 0);
    EXPECT_EQ(tree(0), expected);
    expected.clear();
    walk(walk, 2);
    EXPECT_GT(expected.size(), 10u);
    EXPECT_EQ(tree(2), expected);
}

// After updates have moved rows within the table's storage (on PostgreSQL an updated row
// goes elsewhere), siblings still come in the order of their key, on both databases: the
// same order as reading one level at a time ordered by DeptID.
TEST_P(DepartmentTest, SiblingsComeInTheOrderOfTheirKeyAfterRowsMove) {
    db->begin();
    for (int id = 1; id <= 300; ++id) add(id, id % 10 == 1 ? 0 : (id * 31) % (id - 1) + 1);
    db->commit();
    for (int id = 3; id <= 300; id += 7)
        db->execute("UPDATE HR_Dept SET DeptMemo = 'moved', DeptParentID = ? WHERE DeptID = ?",
                    {id % 3 == 0 ? db::Value() : db::Value((id * 13) % (id - 1) + 1), id});

    std::vector<long long> by_level;
    auto read_level = [&](auto&& self, const std::string& statement) -> void {
        for (const auto& row : db->query_all(statement + " ORDER BY DeptID").rows) {
            by_level.push_back(row[0].as_integer());
            self(self,
                 "Select * from HR_Dept where DeptParentID=" + std::to_string(row[0].as_integer()));
        }
    };
    read_level(read_level, "Select * from HR_Dept where DeptParentID IS NULL");
    ASSERT_EQ(by_level.size(), 300u);
    EXPECT_EQ(tree(0), by_level);
}

TEST_P(DepartmentTest, ALongChainReadsCompletely) {
    db->begin();
    for (int id = 1; id <= 3000; ++id) add(id, id - 1);
    db->commit();
    std::vector<long long> ids = tree(0);
    ASSERT_EQ(ids.size(), 3000u);
    EXPECT_EQ(ids.back(), 3000);
}

TEST_P(DepartmentTest, ACycleFailsTheCallInsteadOfNeverEnding) {
    add(1, 0);
    add(2, 3);
    add(3, 4);
    add(4, 2);  // 2 -> 3 -> 4 -> 2, not reachable from the top level
    add(5, 5);  // its own parent
    EXPECT_EQ(tree(0), (std::vector<long long>{1}));
    auto r = call(dept.get(), u"GetAllData", {var_i2(2)});
    ASSERT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.scode, tarvo::TARVO_E_CYCLE);
    EXPECT_EQ(r.description, "department tree: the parent links form a cycle through DeptID 2");
    EXPECT_EQ(variant_text(*call(dept.get(), u"GetError", {}).value), r.description);
    EXPECT_EQ(call(dept.get(), u"GetAllData", {var_i2(5)}).scode, tarvo::TARVO_E_CYCLE);
    EXPECT_EQ(call(dept.get(), u"GetAllData", {var_i2(3)}).scode, tarvo::TARVO_E_CYCLE);
}

TEST_P(DepartmentTest, ADepartmentNumberedZeroOrOutsideSixteenBitsFailsTheTree) {
    add(1, 0);
    add(0, 1);  // 0 stands for the top level: expanding it would start again
    auto r = call(dept.get(), u"GetAllData", {var_i2(0)});
    EXPECT_EQ(r.scode, tarvo::TARVO_E_CYCLE);
    EXPECT_NE(r.description.find("DeptID 0"), std::string::npos) << r.description;
    db->execute("DELETE FROM HR_Dept WHERE DeptID = 0");
    add(40000, 1);
    EXPECT_EQ(call(dept.get(), u"GetAllData", {var_i2(1)}).scode, tarvo::TARVO_E_OVERFLOW);
    EXPECT_EQ(tree(static_cast<short>(-25536)).size(), 0u);  // 40000 as 16 bits: no children
}

TEST_P(DepartmentTest, IdentifiersAnywhereInSixteenBitsFormTheTree) {
    // Stored in identifier order, the order both databases then return them in.
    add(-30000, 0);
    add(-1, 0);
    add(5, 32000);
    add(7, 70000);  // a parent no department can have, not 70000 - 65536 = 4464
    add(4464, 0);
    add(32000, -30000);
    EXPECT_EQ(tree(0), (std::vector<long long>{-30000, 32000, 5, -1, 4464}));
    EXPECT_EQ(tree(-30000), (std::vector<long long>{32000, 5}));
    EXPECT_TRUE(tree(4464).empty());
}

TEST_P(DepartmentTest, PagesAndSingleRecords) {
    db->begin();
    for (int id = 1; id <= 25; ++id) add(id, 0);
    db->commit();
    Cells p1 = read(dept.get(), u"GetPageData", {var_i4(10), var_i4(1)});
    ASSERT_EQ(p1.rows, 10);
    ASSERT_EQ(p1.cols, 5);
    for (long r = 0; r < 10; ++r) EXPECT_EQ(p1.number(r, 0), r + 1);  // no header row
    EXPECT_EQ(p1.text(0, 1), "部门1");
    Cells p3 = read(dept.get(), u"GetPageData", {*txt("10"), var_i2(3)});
    ASSERT_EQ(p3.rows, 5);
    EXPECT_EQ(p3.number(0, 0), 21);
    EXPECT_EQ(p3.number(4, 0), 25);
    Cells one = read(dept.get(), u"GetPageData", {var_i4(4), var_i4(7)});
    ASSERT_EQ(one.rows, 1);
    EXPECT_EQ(one.number(0, 0), 25);
    EXPECT_TRUE(read(dept.get(), u"GetPageData", {var_i4(10), var_i4(4)}).empty_array);

    Cells rec = read(dept.get(), u"GetData", {var_i2(7)});
    ASSERT_EQ(rec.rows, 2);
    EXPECT_EQ(rec.lower(0, 1), "deptname");
    EXPECT_EQ(rec.text(1, 1), "部门7");
    EXPECT_EQ(rec.at(1, 4).vt, VT_NULL);
    EXPECT_EQ(read(dept.get(), u"GetData", {var_i2(-1)}).rows, 1);
}

TEST_P(DepartmentTest, PageArgumentsBelowOneFailWithTheArgumentError) {
    add(1, 0);
    for (auto [size, page] : {std::pair{0, 1}, {10, 0}, {-3, 2}, {5, -1}}) {
        auto r = call(dept.get(), u"GetPageData", {var_i4(size), var_i4(page)});
        EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
        EXPECT_EQ(static_cast<unsigned>(r.scode), 0x800A0BB9u) << size << " " << page;
        EXPECT_TRUE(r.description.starts_with("Argument out of range")) << r.description;
    }
    auto bad = call(dept.get(), u"GetPageData", {*txt("ten"), var_i4(1)});
    EXPECT_EQ(bad.scode, tarvo::TARVO_E_CONVERSION);
    EXPECT_EQ(variant_text(*call(dept.get(), u"GetError", {}).value), bad.description);
    EXPECT_EQ(call(dept.get(), u"GetPageData", {var_null(), var_i4(1)}).scode,
              tarvo::TARVO_E_CONVERSION);
    EXPECT_EQ(call(dept.get(), u"GetPageData", {var_r8(1e12), var_i4(1)}).scode,
              tarvo::TARVO_E_OVERFLOW);
}

// A backslash before an apostrophe ends a quoted literal when the server reads backslashes
// as escapes (standard_conforming_strings off); the name must stay a name all the same.
TEST_P(DepartmentTest, ANameEndingInABackslashStaysInItsLiteralOnEverySetting) {
    add(1, 0);
    add(2, 0);
    if (pg()) {  // a connection asking for backslash escapes
        Ptr<IDispatch> off;
        ASSERT_EQ(CreateObject("ADODB.Connection", off.out()), S_OK);
        auto cs = txt(ado_connection_string(database.url()) + " -cstandard_conforming_strings=off");
        auto opened = call(off.get(), u"Open", {*cs});
        ASSERT_EQ(opened.hr, S_OK) << opened.description;
        conn = off;
        dept = create("Tarvo.Department");
    }
    Variant name = txt("\\',DeptOrder=999 --"), memo = txt("memo");
    ok(dept.get(), u"UpdateData", {var_i4(1), *name, var_i4(1), var_null(), *memo});
    EXPECT_EQ(value("SELECT DeptName FROM HR_Dept WHERE DeptID = 1"), "\\',DeptOrder=999 --");
    EXPECT_EQ(value("SELECT DeptOrder FROM HR_Dept WHERE DeptID = 1"), "1");
    EXPECT_EQ(value("SELECT DeptName FROM HR_Dept WHERE DeptID = 2"), "部门2");
    EXPECT_EQ(value("SELECT DeptOrder FROM HR_Dept WHERE DeptID = 2"), "2");
    EXPECT_EQ(value("SELECT count(*) FROM HR_Dept WHERE DeptOrder = 999"), "0");
}

INSTANTIATE_TEST_SUITE_P(Backends, DepartmentTest, ::testing::ValuesIn(backend_names()),
                         testing_support::backend_name);

}  // namespace
