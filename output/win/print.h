#pragma once
// Printing pages of the open document: one job from the print dialog (or,
// quick, the default printer and every page once) to the chosen pages and
// copies on the spooler.
#include "output/win/output_source.h"

struct PrintOutcome {
    bool printed = false;  // a document went to the printer
    bool gone = false;     // the viewer was destroyed while a dialog or the spooler ran
};

// The caller has checked that printing is allowed, a document is loaded and no
// other modal operation runs, and holds the viewer's busy mark throughout.
// The status line tells each sheet; the caller clears it afterwards.
PrintOutcome print_job_run(OutputViewer& viewer, bool quick);
