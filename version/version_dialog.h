#pragma once
// frmShowVersion: the modal version dialog with the link to the maker's
// home page.

#include "platform/platform.h"

#include <QDialog>

class frmShowVersion : public QDialog {
    Q_OBJECT
public:
    explicit frmShowVersion(plat::Platform &platform);
};
