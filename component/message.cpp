// Message: the gateway to DATA_Msg.
#include "component/invokers.h"

namespace tarvo {

namespace {

class Message final : public ClassObject<_Message> {
  public:
    Message() : ClassObject(message_class()) {}

    HRESULT AddData(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT_BOOL* result) override {
        if (result) *result = com::VARIANT_FALSE;
        return not_available(u"Message.AddData");
    }

    HRESULT DelData(VARIANT* ID, VARIANT_BOOL* result) override {
        return write(result, [&] {
            Statement s;
            s.text(u"Delete from DATA_Msg where MsgID=").bare(u"ID", required(ID, u"ID"));
            gateway_.execute(s.str());
        });
    }

    HRESULT UpdateData(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT_BOOL* result) override {
        if (result) *result = com::VARIANT_FALSE;
        return not_available(u"Message.UpdateData");
    }

    HRESULT GetAllData(SAFEARRAY** result) override {
        if (result) *result = nullptr;
        return not_available(u"Message.GetAllData");
    }

    HRESULT GetPageData(VARIANT, VARIANT, SAFEARRAY** result) override {
        if (result) *result = nullptr;
        return not_available(u"Message.GetPageData");
    }

    HRESULT GetData(SHORT, SAFEARRAY** result) override {
        if (result) *result = nullptr;
        return not_available(u"Message.GetData");
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
