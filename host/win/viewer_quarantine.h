#pragma once
// A debugging aid for hosts that try to break the plug-in: with the
// environment variable VELLARION_QUARANTINE_VIEWERS set (to anything) when
// the module loads, every viewer record gets pages of its own, and a freed
// record is filled with 0xDD and made unreadable instead of going back to the
// heap. A use after free then faults at the faulty instruction instead of
// reading plausible stale bytes. Costs a few pages per viewer ever made, so
// browsers never set it.
void viewer_quarantine_from_environment();
