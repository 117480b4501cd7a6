#include "host/module_state.h"

namespace {
bool g_started = false;
}  // namespace

bool module_started() { return g_started; }

void module_set_started(bool started) { g_started = started; }
