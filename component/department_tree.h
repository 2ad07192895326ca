// The department tree: the departments below `parent` (all top-level ones and their
// descendants for 0) as a listing under a header row, each department directly followed by
// all of its descendants (depth-first pre-order). The department `parent` itself is not part
// of it.
//
// The level statement ("... where DeptParentID IS NULL" or "... where DeptParentID=n ")
// says whether there are any direct children; when there are, they and the deeper levels
// come from one read of the whole table ("Select * from HR_Dept"), grouped by DeptParentID
// in the order the rows come. Both statements are ordered by DeptID, so siblings come in
// the order of their key on both databases (docs/component.md).
//
// A department reached twice (the parent links form a cycle) or a DeptID of 0 in the
// subtree fails the call; a NULL DeptID fails with a conversion error and one outside
// 16 bits with an overflow error, since such a department could not be asked for.
#pragma once

#include "component/gateway.h"
#include "component/result_array.h"

namespace tarvo {

// The parent links lead back to a department already in the subtree, or to DeptID 0.
constexpr HRESULT TARVO_E_CYCLE = com::hr(0x8004B005);

ResultArray department_tree(Gateway& gateway, short parent);

}  // namespace tarvo
