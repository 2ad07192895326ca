// Department: the gateway to HR_Dept.
#include "component/invokers.h"

namespace tarvo {

namespace {

class Department final : public ClassObject<_Department> {
  public:
    Department() : ClassObject(department_class()) {}

    HRESULT AddData(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT_BOOL* result) override {
        if (result) *result = com::VARIANT_FALSE;
        return not_available(u"Department.AddData");
    }

    HRESULT DelData(VARIANT* ID, VARIANT_BOOL* result) override {
        return write(result, [&] {
            Statement s;
            s.text(u"Delete from HR_Dept where DeptID=").bare(u"ID", required(ID, u"ID"));
            gateway_.execute(s.str());
        });
    }

    HRESULT UpdateData(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT_BOOL* result) override {
        if (result) *result = com::VARIANT_FALSE;
        return not_available(u"Department.UpdateData");
    }

    HRESULT GetAllData(SHORT, SAFEARRAY** result) override {
        if (result) *result = nullptr;
        return not_available(u"Department.GetAllData");
    }

    HRESULT GetPageData(VARIANT, VARIANT, SAFEARRAY** result) override {
        if (result) *result = nullptr;
        return not_available(u"Department.GetPageData");
    }

    HRESULT GetData(SHORT, SAFEARRAY** result) override {
        if (result) *result = nullptr;
        return not_available(u"Department.GetData");
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
