// The none driver: no display at all, so nothing opens.
#include "display/driver.h"

namespace host {
extern const DisplayDriver none_driver = [] {
    DisplayDriver d{};
    d.name = "none";
    return d;
}();
} // namespace host
