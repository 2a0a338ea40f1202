// The browser's displays: the page's canvas, and none.
#include <cstddef>

#include "display/driver.h"

namespace host {
extern const DisplayDriver web_driver, none_driver;
extern const DisplayDriver *const edition_drivers[] = {&web_driver, &none_driver};
extern const size_t edition_driver_count = sizeof edition_drivers / sizeof edition_drivers[0];
} // namespace host
