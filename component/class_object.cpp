#include "component/class_object.h"

namespace tarvo {

com::ModuleState& module_state() {
    static com::ModuleState state;
    return state;
}

com::DispatchTable make_dispatch_table(const ClassInfo& info,
                                       const std::vector<com::Invoker>& invokers) {
    std::vector<com::MemberDesc> members;
    for (const MethodInfo& m : info.iface.methods) {
        std::vector<com::ParamDesc> params;
        for (const ParamInfo& p : m.params) params.push_back({p.name, p.type, p.by_ref, false});
        members.push_back({m.dispid(), m.name, com::MemberKind::method, std::move(params),
                           invokers.at(m.slot - 1)});
    }
    return com::DispatchTable(std::move(members));
}

}  // namespace tarvo
