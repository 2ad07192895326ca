// The client side of the Tarvo automation layer in one include: objects created by ProgID
// through the class registry (com::CreateObject), calls by name through IDispatch
// (GetIDsOfNames, then Invoke), VARIANT, BSTR, SAFEARRAY and the per-thread error
// information. Link the library with `pkg-config --cflags --libs tarvo`, or with
// find_package(Tarvo) and the target Tarvo::com.
#pragma once

#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "platform/com/interfaces.h"
#include "platform/com/safearray.h"
#include "platform/com/types.h"
#include "platform/com/variant.h"
