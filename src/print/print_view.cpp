#include "print/print_view.h"

#include "print/page.h"
#include "print/report_page.h"
#include "print/todo_view.h"
#include "views/details.h"
#include "views/tree.h"

#include <QPainter>
#include <QPrinter>

namespace olv {

namespace {

// Keeps is_printing and the page set exactly while the printout is drawn.
class PrintingScope {
public:
    PrintingScope(Workspace& ws, Page& page) : ws_(ws) {
        ws_.page = &page;
        ws_.state.is_printing = true;
    }
    ~PrintingScope() {
        ws_.state.is_printing = false;
        ws_.page = nullptr;
    }
    PrintingScope(const PrintingScope&) = delete;
    PrintingScope& operator=(const PrintingScope&) = delete;

private:
    Workspace& ws_;
};

} // namespace

void print_current_view(Workspace& ws) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Print Job"));
    printer.setCopyCount(1);
    printer.setPrintRange(QPrinter::AllPages);
    if (!ws.prompter.choose_printer(ws.main_window, printer))
        return;
    // The dialog may have touched the job; its name stays ours.
    printer.setDocName(QStringLiteral("Print Job"));

    QPainter painter;
    if (!painter.begin(&printer))
        return;
    {
        Page page(painter);
        const PrintingScope scope(ws, page);
        if (ws.state.to_do_list_shown) {
            show_to_do_list(ws);
        } else {
            if (const auto report = report_for(ws.store, current_record(ws)))
                print_report(page, ws, *report);
            // The list shows the same item again, as it did before the command.
            show_item_details(ws, current_position(ws));
        }
    }
    painter.end();
}

} // namespace olv
