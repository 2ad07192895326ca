// The department tree: the departments below `parent` (all top-level ones and their
// descendants for 0) as a listing under a header row, each department directly followed by
// all of its descendants (depth-first pre-order). The department `parent` itself is not part
// of it.
//
// The direct children come from the level statement itself ("... where DeptParentID IS
// NULL" or "... where DeptParentID=n "); when there are any, the deeper levels come from
// one read of the whole table ("Select * from HR_Dept") grouped by DeptParentID in the order
// the rows come. That is the order one statement per parent gives on SQLite (rowid order
// either way) and on PostgreSQL until an update moves a row version (docs/component.md).
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
