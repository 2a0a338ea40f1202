// The desktop's displays: SDL's for people, headless for tests and scripted
// runs (chosen by name), and none.
#include <cstddef>

#include "display/driver.h"

namespace host {
extern const DisplayDriver sdl_driver, headless_driver, none_driver;
extern const DisplayDriver *const edition_drivers[] = {&sdl_driver, &headless_driver, &none_driver};
extern const size_t edition_driver_count = sizeof edition_drivers / sizeof edition_drivers[0];
} // namespace host
