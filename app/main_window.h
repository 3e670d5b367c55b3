#pragma once
// Form1: the coach window. It lays out the coach's controls, brings the
// system up and down, and offers the public operations the control panel
// calls; the behaviour of each element lives in its own module.

#include "app/common_dialog.h"
#include "controls/controls.h"
#include "panel/panel_host.h"
#include "platform/platform.h"
#include "settings/settings_record.h"
#include "sign/sign_host.h"
#include "signboard/signboard_host.h"

#include <QWidget>

#include <array>
#include <memory>

class QAction;
class QMenu;
class DestinationSign;
class frmSet;
class frmShowVersion;
class Signboard;
namespace plat {
class EndRequests;
}

class Form1 : public QWidget, public PanelHost, public SignHost, public SignboardHost {
    Q_OBJECT
public:
    explicit Form1(plat::Platform &platform);
    ~Form1() override;

    plat::Platform &platform() const { return m_platform; }

    // Start-up and shutdown.
    void Form_Load();
    void Form_Unload();

    // Public operations called by the control panel.
    void Check1_Click() override;
    void Check2_Click() override;
    void HScroll1_Change() override;
    void HScroll2_Change() override;
    void MnuHelpVer_Click() override;

    // Settings file.
    void LoadIni();
    void SaveIni();

    // The end of the desktop session or a termination signal: saves the
    // settings as closing the window does (without a message box) and ends
    // the program; before the settings file has been applied, ends it
    // without saving.
    void followEndRequests(plat::EndRequests &requests);
    void endOfSession();

    // The control panel, created hidden on first use.
    frmSet &panel();
    bool panelExists() const { return m_panel != nullptr; }

    // The window's own place on the screen, in twips (outer frame).
    float windowLeft() const;
    float windowTop() const;
    void setWindowPlace(float left, float top);
    // Outer height, title bar and border included, in twips.
    float outerHeight() const;
    // Puts the control panel at the screen's left edge just below this
    // window's outer frame, and keeps it there once the window manager has
    // told the frame's real height (until the user moves the panel).
    void placePanelBelowWindow();

    // Controls, front to back.
    controls::PictureBox *picSlideBase1;
    controls::PictureBox *Picture1;
    std::array<controls::PictureBox *, 2> picWaku1;
    std::array<controls::ImageControl *, 2> imgMaku1;
    controls::PictureBox *PicKanban;
    std::array<controls::ImageControl *, 2> imgNakaorido;
    std::array<controls::ShapeControl *, 3> shpK_Waku;

    // The popup menu and its items.
    QMenu *MnuTempMenu1;
    QAction *MnuViewKanban;
    QAction *MnuViewWaku;
    QAction *MnuSetKanban;
    QAction *MnuBdr1;
    QAction *MnuKanbanReset;

    // The shared picture-file dialog.
    CommonDialog C_Dialog1;

    DestinationSign &sign() const { return *m_sign; }
    Signboard &signboard() const { return *m_signboard; }
    // The version dialog while it is loaded, else null.
    frmShowVersion *versionDialog() const { return m_version.get(); }

    // Operations of the sign and the signboard that other modules call.
    void Load方向幕(int Index);
    void PicKanban_DblClick();
    void MnuKanbanReset_Click();

    // Coach mouse input.
    void Form_MouseDown(Qt::MouseButton Button);
    void Picture1_Click();

    // What the sign and the signboard ask of the window.
    std::optional<QString> choosePictureFile() override;
    void showPictureError(const QString &text) override;
    int signStep(int index) override;
    void showSignboardMenu() override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void buildMenu();
    void applyDoorOutline();
    // Empty, or why a value was refused (see form1_settings.cpp).
    QString applySettings(const SettingsRecord &record);
    void applyDefaultSettings();
    SettingsRecord gatherSettings();
    void saveSettings(bool tellUser);

    plat::Platform &m_platform;
    QImage m_coach;
    std::unique_ptr<frmSet> m_panel;
    std::unique_ptr<DestinationSign> m_sign;
    std::unique_ptr<Signboard> m_signboard;
    std::unique_ptr<frmShowVersion> m_version;
    bool m_panelFollowsFrame = false;
    QPoint m_panelPlacedAt;
    int m_frameChecks = 0;
    // The file as start-up read it: places unchanged since are written back as read.
    SettingsReadResult m_settingsRead;
    bool m_settingsApplied = false;
    plat::EndRequests *m_endRequests = nullptr;
};
