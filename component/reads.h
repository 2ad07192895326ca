// The three read shapes the classes share: the full listing (header row of column names and
// every row), the single record (header row and the first row; further rows stay Empty) and
// the page (the rows of one page, no header row; the empty array when it holds no rows).
#pragma once

#include <string>

#include "component/gateway.h"
#include "component/result_array.h"

namespace tarvo {

// The statement as the database receives it: followed by the ordering by the table's key,
// so both databases give the rows in one order and consecutive pages neither skip nor repeat
// a row while other users update rows.
std::u16string in_key_order(const std::u16string& statement, std::u16string_view key);

ResultArray full_listing(Gateway& gateway, const std::u16string& statement);
ResultArray single_record(Gateway& gateway, const std::u16string& statement);

// nPageSize and nPage as 32-bit integers; a value below 1 fails with the data-access
// layer's argument error.
struct PageRequest {
    long size;
    long number;
};
PageRequest page_request(const com::VARIANT& size, const com::VARIANT& number);

// Page `request.number` of the statement's rows in the order the statement gives them.
// Only that page is asked for: the statement is sent with LIMIT and OFFSET.
ResultArray page(Gateway& gateway, const std::u16string& statement, PageRequest request);

}  // namespace tarvo
