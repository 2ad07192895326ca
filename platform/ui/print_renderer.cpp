#include "platform/ui/print_renderer.h"

#include <QDate>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "platform/db/database_files.h"
#include "platform/runtime/replace_file.h"
#include "platform/ui/fonts.h"

namespace ui {
namespace {

QString qt(const std::string& s) {
    return QString::fromStdString(s);
}

constexpr double kMarginMm = 10;
constexpr double kPaddingMm = 1;
constexpr int kCardValueLines = 3;  // a long value wraps to at most these
constexpr double kPhotoWidthMm = 35, kPhotoHeightMm = 45;
const QColor kRuleColour(170, 170, 170);
const QColor kHeaderShade(232, 232, 232);

double mm(double millimetres, double dpi) {
    return millimetres * dpi / 25.4;
}

// A width in layout units as the printer's pixels: the screen's 96 pixels an inch.
double designed(int units, double dpi) {
    return units * 7.0 / 32.0 / 96.0 * dpi;
}

// The baseline that centres a line of the text font in `box`: Latin and Chinese texts share
// it, as in a line of text, whichever font each is drawn in.
double baseline_in(const QRectF& box, const QFontMetricsF& fm) {
    return box.top() + (box.height() + fm.ascent() - fm.descent()) / 2;
}

QPen rule(double dpi) {
    return QPen(kRuleColour, std::max(1.0, dpi / 300.0));
}

}  // namespace

PrintRenderer::PrintRenderer(const runtime::PrintJob& job)
    : job_(job),
      text_font_(print_font("Arial", 9, 400)),
      title_font_(print_font("Arial", 14, 700)),
      date_("打印日期：" + QDate::currentDate().toString("yyyy-MM-dd")) {}

void PrintRenderer::set_up_page(QPrinter& printer) const {
    const bool card = job_.layout == runtime::PrintJob::Layout::card;
    printer.setPageLayout(QPageLayout(
        QPageSize(QPageSize::A4), card ? QPageLayout::Portrait : QPageLayout::Landscape,
        QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
}

PrintRenderer::Page PrintRenderer::page_of(QPrinter& printer) {
    Page page;
    page.dpi = printer.resolution();
    const QRect paint = printer.pageLayout().paintRectPixels(printer.resolution());
    page.area = QRectF(0, 0, paint.width(), paint.height());
    return page;
}

const std::vector<std::string>& PrintRenderer::row(int r) const {
    if (rows_.empty())
        for (int i = 1; i <= job_.rows; ++i) rows_.push_back(job_.row(i));
    return rows_.at(static_cast<std::size_t>(r - 1));
}

PrintRenderer::TableLayout PrintRenderer::table_layout(QPrinter& printer) const {
    const Page page = page_of(printer);
    const QFontMetricsF fm(text_font_, &printer);
    const double padding = 2 * mm(kPaddingMm, page.dpi);
    const std::size_t columns = job_.titles.size();
    TableLayout layout;
    layout.widths.assign(columns, 0);
    for (std::size_t c = 0; c < columns; ++c) {
        const int units = c < job_.widths.size() ? job_.widths[c] : 0;
        layout.widths[c] =
            std::max(designed(units, page.dpi), fm.horizontalAdvance(qt(job_.titles[c])) + padding);
    }
    for (int r = 1; r <= job_.rows; ++r) {
        const std::vector<std::string>& texts = row(r);
        for (std::size_t c = 0; c < columns && c < texts.size(); ++c)
            if (!texts[c].empty())
                layout.widths[c] =
                    std::max(layout.widths[c], fm.horizontalAdvance(qt(texts[c])) + padding);
    }
    for (double& w : layout.widths) w = std::min(w, page.area.width() / 3);

    // Columns across pages; a page after the first starts with the first column again.
    std::vector<int> band;
    double used = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        if (!band.empty() && used + layout.widths[c] > page.area.width() && band.size() > 1) {
            layout.bands.push_back(band);
            band = {0};
            used = layout.widths[0];
        }
        band.push_back(static_cast<int>(c));
        used += layout.widths[c];
    }
    if (!band.empty() || layout.bands.empty()) layout.bands.push_back(band);

    const double row_height = fm.height() + padding;
    const double heading = QFontMetricsF(title_font_, &printer).height() * 1.6;
    const double footer = fm.height() * 2;
    const double room = page.area.height() - heading - row_height - footer;
    layout.rows_per_page = std::max(1, static_cast<int>(room / row_height));
    layout.row_pages = std::max(1, (job_.rows + layout.rows_per_page - 1) / layout.rows_per_page);
    return layout;
}

bool PrintRenderer::paint(QPrinter& printer) const {
    QPainter p;
    if (!p.begin(&printer)) return false;
    if (job_.layout == runtime::PrintJob::Layout::card)
        paint_card(p, page_of(printer));
    else
        paint_table(p, printer, table_layout(printer));
    return p.end();
}

double PrintRenderer::paint_heading(QPainter& p, const Page& page) const {
    p.setFont(title_font_);
    const double height = QFontMetricsF(title_font_, p.device()).height() * 1.6;
    const QRectF line(page.area.left(), page.area.top(), page.area.width(), height);
    p.setPen(Qt::black);
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, qt(job_.title));
    p.setFont(text_font_);
    p.drawText(line, Qt::AlignRight | Qt::AlignVCenter, date_);
    return height;
}

void PrintRenderer::paint_table(QPainter& p, QPrinter& printer, const TableLayout& layout) const {
    const Page page = page_of(printer);
    const int count = layout.pages();
    int number = 0;
    for (int down = 0; down < layout.row_pages; ++down)
        for (const std::vector<int>& band : layout.bands) {
            if (number > 0) printer.newPage();
            ++number;
            paint_table_page(p, page, layout, band, down * layout.rows_per_page + 1, number, count);
        }
}

void PrintRenderer::paint_table_page(QPainter& p, const Page& page, const TableLayout& layout,
                                     const std::vector<int>& band, int first_row, int number,
                                     int count) const {
    const QFontMetricsF fm(text_font_, p.device());
    const double padding = mm(kPaddingMm, page.dpi);
    const double row_height = fm.height() + 2 * padding;
    double y = page.area.top() + paint_heading(p, page);

    auto paint_row = [&](const std::vector<std::string>& texts, bool header) {
        double x = page.area.left();
        for (int c : band) {
            const QRectF cell(x, y, layout.widths[c], row_height);
            if (header) p.fillRect(cell, kHeaderShade);
            p.setPen(rule(page.dpi));
            p.drawRect(cell);
            const QString text = c < static_cast<int>(texts.size()) ? qt(texts[c]) : QString();
            p.setPen(Qt::black);
            p.drawText(QPointF(cell.left() + padding, baseline_in(cell, fm)),
                       fm.elidedText(text, Qt::ElideRight, cell.width() - 2 * padding));
            x += layout.widths[c];
        }
        y += row_height;
    };
    p.setFont(text_font_);
    paint_row(job_.titles, true);
    const int last = std::min(job_.rows, first_row + layout.rows_per_page - 1);
    for (int r = first_row; r <= last; ++r) paint_row(row(r), false);

    const QRectF footer(page.area.left(), page.area.bottom() - fm.height() * 1.5, page.area.width(),
                        fm.height() * 1.5);
    p.drawText(footer, Qt::AlignHCenter | Qt::AlignBottom,
               QString("第 %1 页，共 %2 页").arg(number).arg(count));
}

void PrintRenderer::paint_card(QPainter& p, const Page& page) const {
    const double top = page.area.top() + paint_heading(p, page) + mm(4, page.dpi);
    const QFontMetricsF fm(text_font_, p.device());
    const double gap = mm(5, page.dpi);

    // The picture at the right, scaled into its frame.
    const QRectF frame(page.area.right() - mm(kPhotoWidthMm, page.dpi), top,
                       mm(kPhotoWidthMm, page.dpi), mm(kPhotoHeightMm, page.dpi));
    QImage photo;
    if (!job_.picture.empty() && !db::is_open_database_file(job_.picture)) {
        QImageReader reader(qt(job_.picture));
        reader.setAutoTransform(true);
        photo = reader.read();
    }
    p.setPen(rule(page.dpi));
    p.drawRect(frame);
    if (!photo.isNull()) {
        const QSizeF shown = QSizeF(photo.size()).scaled(frame.size(), Qt::KeepAspectRatio);
        p.drawImage(QRectF(frame.center() - QPointF(shown.width(), shown.height()) / 2, shown),
                    photo);
    } else {
        p.setFont(text_font_);
        p.setPen(kRuleColour);
        p.drawText(frame, Qt::AlignCenter, "无照片");
    }

    // The fields: captions right-aligned in a column of their own, values after them.
    double caption_width = 0;
    for (const std::string& t : job_.titles)
        caption_width = std::max(caption_width, fm.horizontalAdvance(qt(t)));
    caption_width += mm(2, page.dpi);
    const double value_left = page.area.left() + caption_width;
    const double value_width = frame.left() - gap - value_left;
    const std::vector<std::string> values = job_.rows > 0 ? row(1) : std::vector<std::string>{};
    const double line = fm.height() * 1.9;
    const double caption_right = page.area.left() + caption_width - mm(1, page.dpi);
    double y = top;
    p.setFont(text_font_);
    for (std::size_t i = 0; i < job_.titles.size(); ++i) {
        const QString value = i < values.size() ? qt(values[i]) : QString();
        const QString caption = qt(job_.titles[i]);
        const double baseline = baseline_in(QRectF(0, y, 1, line), fm);
        p.setPen(Qt::black);
        p.drawText(QPointF(caption_right - fm.horizontalAdvance(caption), baseline), caption);
        double height = line;
        if (fm.horizontalAdvance(value) <= value_width) {
            p.drawText(QPointF(value_left, baseline), value);
        } else {  // wraps, to a few lines at most
            const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;
            const double needed =
                fm.boundingRect(QRectF(0, 0, value_width, 1e6), flags, value).height();
            const double text_height = std::min(needed, fm.height() * kCardValueLines);
            const double top_of_text = baseline - fm.ascent();
            p.drawText(QRectF(value_left, top_of_text, value_width, text_height), flags, value);
            height = std::max(line, top_of_text - y + text_height + (line - fm.height()) / 2);
        }
        p.setPen(rule(page.dpi));
        p.drawLine(QPointF(value_left, y + height), QPointF(value_left + value_width, y + height));
        y += height;
    }
}

runtime::PrintOutcome print_to_pdf(const runtime::PrintJob& job, const std::string& path) {
    if (path.empty()) return {-1, "没有文件名"};
    if (db::is_open_database_file(path))
        return {-1, "这是正在使用的数据库文件，不能打印到该文件：" + path};
    PrintRenderer renderer(job);
    const bool written = runtime::replace_file_with(path, [&](const std::filesystem::path& file) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(file.string()));
        printer.setDocName(qt(job.title));
        printer.setCreator("tarvo");
        renderer.set_up_page(printer);
        return renderer.paint(printer);
    });
    if (!written) return {-1, "无法写入文件 " + path};
    return {1, ""};
}

}  // namespace ui
