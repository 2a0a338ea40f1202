// Brings every module of the host back to its starting state between tests.
#include "host/control.h"

namespace host {
void reset_all() {
    keep_reset();
    datatypes_reset();
    intuition_reset();
    display_reset();
    process_reset();
    icon_reset();
    dos_reset();
    graphics_reset();
    exec_reset();
    faults_reset();
    ledger_clear();
}
} // namespace host
