// The three read shapes the classes share: the full listing (header row of column names and
// every row), the single record (header row and the first row; further rows stay Empty) and
// the page (the rows of one page, no header row; the empty array when it holds no rows).
#pragma once

#include <string>

#include "component/gateway.h"
#include "component/result_array.h"

namespace tarvo {

ResultArray full_listing(Gateway& gateway, const std::u16string& statement);
ResultArray single_record(Gateway& gateway, const std::u16string& statement);

// nPageSize and nPage as 32-bit integers; a value below 1 fails with the data-access
// layer's argument error.
struct PageRequest {
    long size;
    long number;
};
PageRequest page_request(const com::VARIANT& size, const com::VARIANT& number);

// Page `request.number` of the statement's rows in the order the database returns them.
// Only that page is asked for: the statement is sent with LIMIT and OFFSET.
ResultArray page(Gateway& gateway, const std::u16string& statement, PageRequest request);

}  // namespace tarvo
