#include "host/viewer.h"
#include "output/win/output_commands.h"

OutputBusyScope::OutputBusyScope(Viewer* v) : v_(v), entered_(!v->busy) {
    if (entered_) v_->busy = 1;
}

OutputBusyScope::~OutputBusyScope() {
    if (entered_) v_->busy = 0;
}
