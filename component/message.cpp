// Message: the gateway to DATA_Msg.
#include "component/invokers.h"
#include "component/reads.h"
#include "component/statements.h"

namespace tarvo {

namespace {

class Message final : public ClassObject<_Message> {
  public:
    Message() : ClassObject(message_class()) {}

    HRESULT AddData(VARIANT PersonID, VARIANT MsgContent, VARIANT MsgFromPersonID, VARIANT MsgTitle,
                    VARIANT_BOOL* result) override {
        return write(result, [&] {
            gateway_.execute(message_insert(PersonID, MsgContent, MsgFromPersonID, MsgTitle));
        });
    }

    HRESULT DelData(VARIANT* ID, VARIANT_BOOL* result) override {
        return write(result, [&] { gateway_.execute(message_delete(required(ID, u"ID"))); });
    }

    // The parameters keep the names of the interface; by position they are the message's
    // PersonID, MsgContent, MsgFromPersonID and MsgTitle, as in AddData.
    HRESULT UpdateData(VARIANT ID, VARIANT DeptName, VARIANT DeptOrder, VARIANT DeptParentID,
                       VARIANT DeptMomo, VARIANT_BOOL* result) override {
        return write(result, [&] {
            gateway_.execute(message_update(ID, DeptName, DeptOrder, DeptParentID, DeptMomo));
        });
    }

    HRESULT GetAllData(SAFEARRAY** result) override {
        return read(result, [&] {
            return full_listing(gateway_, in_key_order(message_listing(), u"MsgID"));
        });
    }

    HRESULT GetPageData(VARIANT nPageSize, VARIANT nPage, SAFEARRAY** result) override {
        return read(result, [&] {
            return page(gateway_, in_key_order(message_page(), u"MsgID"),
                        page_request(nPageSize, nPage));
        });
    }

    HRESULT GetData(SHORT ID, SAFEARRAY** result) override {
        return read(result, [&] { return single_record(gateway_, message_record(ID)); });
    }

  protected:
    const com::DispatchTable& dispatch_table() const override {
        using I = _Message;
        static const com::DispatchTable table = make_dispatch_table(
            message_class(), {invoke_set_conn<I>, invoke_get_error<I>, invoke_add4<I>,
                              invoke_del_data<I>, invoke_update5<I>,
                              [](com::IDispatch* self, VARIANT*, VARIANT* r) {
                                  r->vt = com::VT_ARRAY | com::VT_VARIANT;
                                  return static_cast<I*>(self)->GetAllData(&r->parray);
                              },
                              invoke_get_page_data<I>, invoke_get_data<I>});
        return table;
    }
};

}  // namespace

HRESULT create_message(const com::IID& iid, void** object) {
    com::Ptr<Message> m(new Message);
    return m->QueryInterface(iid, object);
}

}  // namespace tarvo
