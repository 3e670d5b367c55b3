#pragma once

namespace plat {

// In a build with LeakSanitizer, checks for leaks now and ends the process
// with a report if there are any; elsewhere does nothing. Called before a
// quick exit, which skips the check the sanitizer would run at normal exit.
void checkLeaksBeforeExit();

} // namespace plat
