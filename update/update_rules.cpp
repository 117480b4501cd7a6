#include "update/update_rules.h"

#include "config/settings.h"

bool update_due(const ProcessSettings& p, uint32_t now) {
    const double t = now;
    return t > p.update_last_checked + p.update_interval * kUpdateUnitsPerDay &&
           t > p.update_last_attempt + p.update_retry * kUpdateUnitsPerDay;
}

Text16 update_request_text(const char16_t* resource) {
    Text16 out = u"GET ";
    out += resource ? resource : u"";
    out += u" HTTP/1.0\r\nUser-Agent: Vellarion/2.0.0 (Plug-in)\r\n\r\n";
    return out;
}
