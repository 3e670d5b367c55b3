#include "platform/leak_check.h"

#if defined(__SANITIZE_ADDRESS__)
#define TT_HAS_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TT_HAS_LEAK_CHECK 1
#endif
#endif

#ifdef TT_HAS_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

namespace plat {

void checkLeaksBeforeExit()
{
#ifdef TT_HAS_LEAK_CHECK
    __lsan_do_leak_check();
#endif
}

} // namespace plat
