#pragma once
// frmShowVersion: the modal version dialog with the link to the maker's
// home page.

#include "platform/platform.h"

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;
namespace controls {
class ImageControl;
}

class frmShowVersion : public QDialog {
    Q_OBJECT
public:
    explicit frmShowVersion(plat::Platform &platform);

    // Fills the model-number line; runs when the dialog is created.
    void Form_Load();
    // OK: hides the dialog, which ends its modal run; the owner then
    // destroys it.
    void Command1_Click();
    // The home page link.
    void Label5_Click();

    controls::ImageControl *Image1;
    std::array<QLabel *, 2> Label1;
    QLabel *Label2;
    std::array<QLabel *, 3> Label3;
    QLabel *Label4;
    QLabel *Label5;
    QPushButton *Command1;
    // Says that window places and stay-on-top are not available; shown only
    // where the window system does not allow them.
    QLabel *lblWindowSystem;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();

    plat::Platform &m_platform;
    bool m_linkPressed = false;
};
