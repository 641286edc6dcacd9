// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "print/print_view.h"

#include "print/page.h"
#include "print/print_job.h"
#include "print/report_page.h"
#include "print/todo_view.h"
#include "views/details.h"
#include "views/tree.h"

#include <QPainter>
#include <QPrinter>
#include <optional>

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
    const bool to_do = ws.state.to_do_list_shown;
    const std::optional<Report> report =
        to_do ? std::nullopt : report_for(ws.store, current_record(ws));
    // The job, and the title of a PDF made of it, is named after the printout's heading.
    const QString heading =
        to_do ? to_do_heading(ws)
              : QString::fromStdString(report ? report->heading : std::string("Print Job"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(heading);
    printer.setCopyCount(1);
    printer.setPrintRange(QPrinter::AllPages);
    if (!ws.prompter.choose_printer(ws.main_window, printer))
        return;
    // The dialog may have touched the job; its name stays ours.
    printer.setDocName(heading);
    printer.setCreator(QStringLiteral("Olvessa.project"));

    const PrintOutcome outcome =
        print_pages(ws.main_window, ws.prompter, printer, [&ws, to_do, &report](Page& page) {
            const PrintingScope scope(ws, page);
            if (to_do) {
                show_to_do_list(ws);
                return;
            }
            if (report)
                print_report(page, ws, *report);
        });
    // The list shows the same item again, as it did before the command; a job that could not
    // start changed nothing.
    if (!to_do && outcome != PrintOutcome::Failed)
        show_item_details(ws, current_position(ws));
}

} // namespace olv
