// Person: the gateway to HR_Person.
#include "component/invokers.h"

namespace tarvo {

namespace {

class Person final : public ClassObject<_Person> {
  public:
    Person() : ClassObject(person_class()) {}

    HRESULT AddData(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                    VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT_BOOL* result) override {
        if (result) *result = com::VARIANT_FALSE;
        return not_available(u"Person.AddData");
    }

    HRESULT DelData(VARIANT* ID, VARIANT_BOOL* result) override {
        return write(result, [&] {
            Statement s;
            s.text(u"Delete from HR_Person where PersonID=").bare(u"ID", required(ID, u"ID"));
            gateway_.execute(s.str());
        });
    }

    HRESULT UpdateData(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                       VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                       VARIANT_BOOL* result) override {
        if (result) *result = com::VARIANT_FALSE;
        return not_available(u"Person.UpdateData");
    }

    HRESULT GetAllData(SAFEARRAY** result) override {
        if (result) *result = nullptr;
        return not_available(u"Person.GetAllData");
    }

    HRESULT GetPageData(VARIANT, VARIANT, SAFEARRAY** result) override {
        if (result) *result = nullptr;
        return not_available(u"Person.GetPageData");
    }

    HRESULT GetData(SHORT, SAFEARRAY** result) override {
        if (result) *result = nullptr;
        return not_available(u"Person.GetData");
    }

    HRESULT GetDeptData(VARIANT*, SAFEARRAY** result) override {
        if (result) *result = nullptr;
        return not_available(u"Person.GetDeptData");
    }

  protected:
    const com::DispatchTable& dispatch_table() const override {
        using I = _Person;
        static const com::DispatchTable table = make_dispatch_table(
            person_class(),
            {invoke_set_conn<I>, invoke_get_error<I>,
             [](com::IDispatch* self, VARIANT* a, VARIANT* r) {
                 r->vt = com::VT_BOOL;
                 return static_cast<I*>(self)->AddData(a[0], a[1], a[2], a[3], a[4], a[5], a[6],
                                                       a[7], a[8], a[9], a[10], a[11], a[12], a[13],
                                                       &r->boolVal);
             },
             invoke_del_data<I>,
             [](com::IDispatch* self, VARIANT* a, VARIANT* r) {
                 r->vt = com::VT_BOOL;
                 return static_cast<I*>(self)->UpdateData(a[0], a[1], a[2], a[3], a[4], a[5], a[6],
                                                          a[7], a[8], a[9], a[10], a[11], a[12],
                                                          a[13], a[14], &r->boolVal);
             },
             [](com::IDispatch* self, VARIANT*, VARIANT* r) {
                 r->vt = com::VT_ARRAY | com::VT_VARIANT;
                 return static_cast<I*>(self)->GetAllData(&r->parray);
             },
             invoke_get_page_data<I>, invoke_get_data<I>,
             [](com::IDispatch* self, VARIANT* a, VARIANT* r) {
                 r->vt = com::VT_ARRAY | com::VT_VARIANT;
                 return static_cast<I*>(self)->GetDeptData(a[0].pvarVal, &r->parray);
             }});
        return table;
    }
};

}  // namespace

HRESULT create_person(const com::IID& iid, void** object) {
    com::Ptr<Person> p(new Person);
    return p->QueryInterface(iid, object);
}

}  // namespace tarvo
