// Lays a print job out on pages and paints them on a printer (or a PDF file).
//
// A record card takes one portrait page: the title and the date, the picture at the right,
// and the captions with their values, one field a line. A table takes landscape pages: the
// title and the date above the column titles, the page number below the rows. Columns are
// as wide as their widest text needs (never narrower than designed, at most a third of the
// page; longer texts end in "…"); columns that do not fit a page's width continue on the
// next page, each such page repeating the first column so that a row can be found again,
// and rows that do not fit a page's height continue on the pages after those.
#pragma once

#include <QFont>
#include <QRectF>
#include <QString>
#include <string>
#include <vector>

#include "platform/runtime/interaction.h"

class QPainter;
class QPrinter;

namespace ui {

class PrintRenderer {
  public:
    explicit PrintRenderer(const runtime::PrintJob& job);

    // A4 with 10 mm margins: portrait for a card, landscape for a table.
    void set_up_page(QPrinter& printer) const;

    // How a table falls into pages on a printer's page as it is set up now.
    struct TableLayout {
        std::vector<double> widths;           // of each column, in the printer's pixels
        std::vector<std::vector<int>> bands;  // the columns of each page across
        int rows_per_page = 1;
        int row_pages = 1;  // pages down
        int pages() const { return row_pages * static_cast<int>(bands.size()); }
    };
    TableLayout table_layout(QPrinter& printer) const;

    // Paints every page; false when the printer cannot be painted on.
    bool paint(QPrinter& printer) const;

  private:
    struct Page {
        QRectF area;  // the printable area, in the printer's pixels
        double dpi = 0;
    };
    static Page page_of(QPrinter& printer);
    // Row `r` (from 1) as shown, formatted once: the layout measures every row and each
    // preview refresh paints them again.
    const std::vector<std::string>& row(int r) const;
    void paint_card(QPainter& p, const Page& page) const;
    void paint_table(QPainter& p, QPrinter& printer, const TableLayout& layout) const;
    // The title and the date; returns the height it took.
    double paint_heading(QPainter& p, const Page& page) const;
    void paint_table_page(QPainter& p, const Page& page, const TableLayout& layout,
                          const std::vector<int>& band, int first_row, int number, int count) const;

    const runtime::PrintJob& job_;
    QFont text_font_, title_font_;
    QString date_;
    mutable std::vector<std::vector<std::string>> rows_;  // filled on first use
};

// Prints a job to a PDF file, written whole beside `path` and renamed over it (the open
// database's files are refused).
runtime::PrintOutcome print_to_pdf(const runtime::PrintJob& job, const std::string& path);

}  // namespace ui
