// The objects of one run of tarvo-com: the ADODB.Connection opened on the connection string
// (once, when the first call needs it) and one instance per ProgID, so that a later call
// (GetError after a failure, for instance) reaches the same object.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/interfaces.h"
#include "tools/tarvo-com/arguments.h"

namespace tarvo_com {

// What a call gave: its result, or the failure code and description.
struct Outcome {
    bool ok = false;
    com::HRESULT hresult = com::S_OK;
    std::string description;
    com::Variant value;
};

class Session {
  public:
    explicit Session(std::optional<std::string> connection_string)
        : connection_string_(std::move(connection_string)) {}

    // Creates the object for `progid` (handing it the connection) when this session has
    // none yet, then calls `method` through IDispatch by name.
    Outcome call(const std::string& progid, const std::string& method,
                 const std::vector<Argument>& args);

    // Opens the session's connection, once; succeeds at once for a session without one.
    Outcome open();

  private:
    Outcome object_for(const std::string& progid, com::IDispatch** object);

    std::optional<std::string> connection_string_;
    std::optional<Outcome> connection_failure_;
    com::Ptr<com::IDispatch> connection_;
    std::map<std::string, com::Ptr<com::IDispatch>> objects_;
};

// Calls `method` of `object` by name: GetIDsOfNames for the method and the named
// arguments, then Invoke with the positional ones (last first) after the named ones.
Outcome invoke(com::IDispatch* object, const std::string& what, const std::string& method,
               const std::vector<Argument>& args);

}  // namespace tarvo_com
