// Person: the gateway to HR_Person.
#include "component/invokers.h"
#include "component/reads.h"
#include "component/statements.h"

namespace tarvo {

namespace {

class Person final : public ClassObject<_Person> {
  public:
    Person() : ClassObject(person_class()) {}

    HRESULT AddData(VARIANT DeptID, VARIANT PersonName, VARIANT PersonSex, VARIANT PersonBirthday,
                    VARIANT PersonDuty, VARIANT PersonAddr, VARIANT PersonPhone,
                    VARIANT PersonEmail, VARIANT PersonWeb, VARIANT PersonPhoto, VARIANT PersonMomo,
                    VARIANT PersonType, VARIANT PersonAccount, VARIANT PersonPwd,
                    VARIANT_BOOL* result) override {
        const VARIANT values[] = {DeptID,        PersonName,  PersonSex,   PersonBirthday,
                                  PersonDuty,    PersonAddr,  PersonPhone, PersonEmail,
                                  PersonWeb,     PersonPhoto, PersonMomo,  PersonType,
                                  PersonAccount, PersonPwd};
        return write(result, [&] { gateway_.execute(person_insert(values)); });
    }

    HRESULT DelData(VARIANT* ID, VARIANT_BOOL* result) override {
        return write(result, [&] { gateway_.execute(person_delete(required(ID, u"ID"))); });
    }

    HRESULT UpdateData(VARIANT ID, VARIANT DeptID, VARIANT PersonName, VARIANT PersonSex,
                       VARIANT PersonBirthday, VARIANT PersonDuty, VARIANT PersonAddr,
                       VARIANT PersonPhone, VARIANT PersonEmail, VARIANT PersonWeb,
                       VARIANT PersonPhoto, VARIANT PersonMomo, VARIANT PersonType,
                       VARIANT PersonAccount, VARIANT PersonPwd, VARIANT_BOOL* result) override {
        const VARIANT values[] = {DeptID,        PersonName,  PersonSex,   PersonBirthday,
                                  PersonDuty,    PersonAddr,  PersonPhone, PersonEmail,
                                  PersonWeb,     PersonPhoto, PersonMomo,  PersonType,
                                  PersonAccount, PersonPwd};
        return write(result, [&] { gateway_.execute(person_update(ID, values)); });
    }

    HRESULT GetAllData(SAFEARRAY** result) override {
        return read(result, [&] {
            return full_listing(gateway_, in_key_order(person_listing(), u"PersonID"));
        });
    }

    HRESULT GetPageData(VARIANT nPageSize, VARIANT nPage, SAFEARRAY** result) override {
        return read(result, [&] {
            return page(gateway_, in_key_order(person_page(), u"PersonID"),
                        page_request(nPageSize, nPage));
        });
    }

    HRESULT GetData(SHORT ID, SAFEARRAY** result) override {
        return read(result, [&] { return single_record(gateway_, person_record(ID)); });
    }

    HRESULT GetDeptData(VARIANT* DeptID, SAFEARRAY** result) override {
        return read(result, [&] {
            return full_listing(
                gateway_,
                in_key_order(person_of_department(required(DeptID, u"DeptID")), u"PersonID"));
        });
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
