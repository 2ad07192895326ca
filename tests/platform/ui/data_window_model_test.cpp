// The item model over a data window, checked by Qt's own QAbstractItemModelTester through
// every kind of change the data window announces, up to 100,000 rows; and what it shows.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QSignalSpy>

#include "platform/runtime/transaction.h"
#include "platform/ui/data_window_model.h"
#include "schema/demo_data.h"
#include "schema/schema.h"
#include "tests/platform/runtime/demo_window.h"
#include "tests/support/test_db.h"
#include "tests/support/test_main.h"

namespace {

class ModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto conn = db::connect(url());
        schema::create(*conn);
        conn->execute(
            "INSERT INTO employee (eid, ename, flag) VALUES ('E1', '张三', '1'), "
            "('E2', '李四', '0'), ('E3', '王五', '1')");
        ASSERT_EQ(sqlca.connect(url()), 0);
        dw.settransobject(&sqlca);
    }
    std::string url() const { return "sqlite:" + (dir / "model.db").string(); }
    std::string eids() const {
        std::string out;
        for (int r = 0; r < model.rowCount(); ++r)
            out += model.data(model.index(r, 0), Qt::DisplayRole).toString().toStdString() + " ";
        return out;
    }

    testing_support::TempDir dir;
    runtime::Transaction sqlca;
    runtime::DataWindow dw{demo::grid_definition()};
    ui::DataWindowModel model{dw};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(ModelTest, FollowsEveryChangeOfTheDataWindow) {
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);
    ASSERT_EQ(dw.retrieve(), 3);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "姓名");
    EXPECT_EQ(model.data(model.index(1, 2), Qt::DisplayRole).toString(), "离职");  // code table

    QPersistentModelIndex e3 = model.index(2, 1);
    ASSERT_EQ(dw.insertrow(1), 1);  // before row 1
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(e3.row(), 3);  // rows after the insert moved down
    dw.setitem(1, "eid", std::string("E0"));
    EXPECT_EQ(eids(), "E0 E1 E2 E3 ");

    ASSERT_EQ(dw.deleterow(2), 1);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 1);
    EXPECT_EQ(eids(), "E0 E2 E3 ");

    dw.setsort("eid D");
    ASSERT_EQ(dw.sort(), 1);
    EXPECT_EQ(layouts.count(), 1);
    EXPECT_EQ(resets.count(), 1);  // a sort is a layout change, not a reset
    EXPECT_EQ(eids(), "E3 E2 E0 ");
    EXPECT_EQ(e3.row(), 0);  // persistent indexes moved with their rows
    EXPECT_EQ(e3.data().toString(), "王五");

    dw.reset();
    EXPECT_EQ(resets.count(), 2);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(ModelTest, HighlightIsAnnouncedForTheRowItChangesOn) {
    dw.retrieve();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    dw.selectrow(2, true);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 1);
    EXPECT_TRUE(model.data(model.index(1, 0), ui::DataWindowModel::kSelectedRole).toBool());
    EXPECT_FALSE(model.data(model.index(0, 0), ui::DataWindowModel::kSelectedRole).toBool());
    dw.selectrow(0, false);  // every row
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[1][0].toModelIndex().row(), 0);
    EXPECT_EQ(changed[1][1].toModelIndex().row(), 2);
}

TEST_F(ModelTest, HundredThousandRowsPassTheTester) {
    auto conn = db::connect(url());
    conn->execute("DELETE FROM employee");
    schema::fill_employees(*conn, 100000, 0);
    ASSERT_EQ(dw.retrieve(), 100000);
    EXPECT_EQ(model.rowCount(), 100000);
    dw.setsort("ename A");
    ASSERT_EQ(dw.sort(), 1);
    ASSERT_EQ(dw.deleterow(50000), 1);
    EXPECT_EQ(model.rowCount(), 99999);
    ASSERT_EQ(dw.retrieve(), 100000);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);  // QT_QPA_PLATFORM=offscreen in the test command
    ::testing::InitGoogleTest(&argc, argv);
    return testing_support::run_all_tests();
}
