// The maker's resource library: hands out the address of the maker's home
// page. It lives outside the program so the address can change without a new
// program build.

#if defined(_WIN32)
#define VELLUM_EXPORT __declspec(dllexport)
#else
#define VELLUM_EXPORT __attribute__((visibility("default")))
#endif

#ifndef TT_HOME_PAGE_URL
#error "TT_HOME_PAGE_URL must name the home page address"
#endif

#ifndef VELLUM_WITHOUT_URL
extern "C" VELLUM_EXPORT const char *QuorvelHpURL(void)
{
    return TT_HOME_PAGE_URL;
}
#else
// A build of the library that lacks the function, for the failure tests.
extern "C" VELLUM_EXPORT int VellumResVersion(void)
{
    return 3;
}
#endif
