// What every class instance holds and does with its connection: the counted reference that
// SetConn replaces, running a write statement once, and opening a static cursor for a read.
// Every failure of the data-access layer becomes a Failure with that layer's code and text.
#pragma once

#include <string>
#include <vector>

#include "component/failure.h"
#include "component/result_array.h"
#include "platform/ado/ado.h"
#include "platform/com/variant.h"

namespace tarvo {

// A static, read-only cursor over one statement; closed when it dies.
class StaticCursor {
  public:
    explicit StaticCursor(com::Ptr<ado::_Recordset> rs) : rs_(std::move(rs)) {}
    StaticCursor(StaticCursor&&) = default;
    ~StaticCursor();

    bool eof();
    long record_count();
    long field_count();
    std::u16string field_name(long position);
    com::Variant field_value(long position);
    // Field.Value straight into `into`, which must be Empty (a cell of a result).
    void read_value(long position, com::VARIANT* into) {
        check(field(position)->get_Value(into), "Field.Value");
    }
    void move_next();
    // Recordset.GetRowsInto: up to `rows` rows from the current one into rows `first`,
    // `first` + 1, ... of `out`, which must have a column for every field; returns the
    // number of rows read.
    long read_rows(ResultArray& out, std::size_t first, long rows);
    void set_page_size(long size);
    void set_absolute_page(long page);
    void close();

  private:
    ado::Field* field(long position) {
        if (position >= 0 && static_cast<std::size_t>(position) < fields_.size() &&
            fields_[position])
            return fields_[position].get();
        return new_field(position);
    }
    ado::Field* new_field(long position);
    com::Ptr<ado::_Recordset> rs_;
    // Field objects follow the current row, so each column's is fetched once.
    std::vector<com::Ptr<ado::Field>> fields_;
    bool closed_ = false;
};

class Gateway {
  public:
    // nullptr clears the connection.
    void set_connection(ado::_Connection* conn) { conn_ = com::Ptr<ado::_Connection>(conn, true); }

    // Connection.Execute(statement, RecordsAffected omitted, adOptionUnspecified); the
    // returned recordset is released unread.
    void execute(const std::u16string& statement);
    // A new Recordset opened on the statement, lock and options unspecified: a static
    // cursor, whose rows are counted; `forward`, a forward-only cursor for a reader that
    // only goes through the rows once in order (a page, the level check of the tree).
    StaticCursor open(const std::u16string& statement, bool forward = false);

  private:
    ado::_Connection* connection();

    com::Ptr<ado::_Connection> conn_;
};

}  // namespace tarvo
