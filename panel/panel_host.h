#pragma once
// The main window's operations that the control panel's handlers call.

class PanelHost {
public:
    virtual void Check1_Click() = 0;
    virtual void Check2_Click() = 0;
    virtual void HScroll1_Change() = 0;
    virtual void HScroll2_Change() = 0;
    virtual void MnuHelpVer_Click() = 0;

protected:
    ~PanelHost() = default;
};
