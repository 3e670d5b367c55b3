#pragma once
// The link to the maker's library, Vellum3Res, which lies beside the program
// and knows the address of the maker's home page.

#include <QString>

namespace maker {

struct HomePageAddress {
    QString address;
    QString error; // why the library could not be used; empty on success

    bool ok() const { return error.isEmpty(); }
};

// Loads the library from folder, asks it for the address and lets it go
// again. Nothing is kept from one call to the next.
HomePageAddress homePageAddress(const QString &folder);

} // namespace maker
