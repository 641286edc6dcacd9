// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "print/print_job.h"

#include "print/page.h"
#include "views/progress.h"
#include "views/prompter.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace olv {

namespace {

// Pages the printout makes, counted on a PDF writer in memory with the printer's page and
// resolution, so that the fonts measure as they will print. Nothing reaches the printer.
int count_pages(QPrinter& printer, const std::function<void(Page&)>& draw) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(printer.resolution());
    writer.setPageLayout(printer.pageLayout());
    QPainter painter;
    if (!painter.begin(&writer))
        return 1;
    int pages = 1;
    {
        Page page(painter);
        page.set_trial(true);
        draw(page);
        pages = page.page_count();
    }
    painter.end();
    return pages;
}

} // namespace

PrintOutcome print_pages(QWidget* parent, Prompter& prompter, QPrinter& printer,
                         const std::function<void(Page&)>& draw) {
    const int pages = count_pages(printer, draw);
    if (pages > kPagesWithoutAsking &&
        !prompter.confirm(
            parent, QStringLiteral("Print"),
            QStringLiteral("This printout makes %1 pages. Print all of them?").arg(pages)))
        return PrintOutcome::Declined;

    QPainter painter;
    if (!painter.begin(&printer))
        return PrintOutcome::Failed;
    Progress progress(parent, QStringLiteral("Printing %1 pages…").arg(pages), pages);
    bool stopped = false;
    {
        Page page(painter);
        page.set_page_total(pages);
        page.on_page_done = [&progress](int done) { return progress.advance(done); };
        draw(page);
        if (!page.stopped())
            page.finish();
        stopped = page.stopped() || progress.cancelled();
    }
    if (stopped) {
        printer.abort();
        painter.end();
        // A file that was being written is not left behind half done.
        if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
            QFile::remove(printer.outputFileName());
        return PrintOutcome::Cancelled;
    }
    painter.end();
    return PrintOutcome::Printed;
}

} // namespace olv
