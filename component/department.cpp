// Department: the gateway to HR_Dept.
#include "component/department_tree.h"
#include "component/invokers.h"
#include "component/reads.h"
#include "component/statements.h"

namespace tarvo {

namespace {

class Department final : public ClassObject<_Department> {
  public:
    Department() : ClassObject(department_class()) {}

    HRESULT AddData(VARIANT DeptName, VARIANT DeptOrder, VARIANT DeptParentID, VARIANT DeptMemo,
                    VARIANT_BOOL* result) override {
        return write(result, [&] {
            gateway_.execute(department_insert(DeptName, DeptOrder, DeptParentID, DeptMemo));
        });
    }

    HRESULT DelData(VARIANT* ID, VARIANT_BOOL* result) override {
        return write(result, [&] { gateway_.execute(department_delete(required(ID, u"ID"))); });
    }

    HRESULT UpdateData(VARIANT ID, VARIANT DeptName, VARIANT DeptOrder, VARIANT DeptParentID,
                       VARIANT DeptMomo, VARIANT_BOOL* result) override {
        return write(result, [&] {
            gateway_.execute(department_update(ID, DeptName, DeptOrder, DeptParentID, DeptMomo));
        });
    }

    HRESULT GetAllData(SHORT ParentID, SAFEARRAY** result) override {
        return read(result, [&] { return department_tree(gateway_, ParentID); });
    }

    HRESULT GetPageData(VARIANT nPageSize, VARIANT nPage, SAFEARRAY** result) override {
        return read(result, [&] {
            return page(gateway_, in_key_order(department_page(), u"DeptID"),
                        page_request(nPageSize, nPage));
        });
    }

    HRESULT GetData(SHORT ID, SAFEARRAY** result) override {
        return read(result, [&] { return single_record(gateway_, department_record(ID)); });
    }

  protected:
    const com::DispatchTable& dispatch_table() const override {
        using I = _Department;
        static const com::DispatchTable table = make_dispatch_table(
            department_class(), {invoke_set_conn<I>, invoke_get_error<I>, invoke_add4<I>,
                                 invoke_del_data<I>, invoke_update5<I>,
                                 [](com::IDispatch* self, VARIANT* a, VARIANT* r) {
                                     r->vt = com::VT_ARRAY | com::VT_VARIANT;
                                     return static_cast<I*>(self)->GetAllData(a[0].iVal,
                                                                              &r->parray);
                                 },
                                 invoke_get_page_data<I>, invoke_get_data<I>});
        return table;
    }
};

}  // namespace

HRESULT create_department(const com::IID& iid, void** object) {
    com::Ptr<Department> d(new Department);
    return d->QueryInterface(iid, object);
}

}  // namespace tarvo
