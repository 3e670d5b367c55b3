#pragma once
// frmSet: the always-on-top control panel. Its handlers forward to the main
// window's public operations; the main window reads its controls directly.

#include <QWidget>

#include <array>

class PanelHost;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
namespace controls {
class PictureToggle;
}

class frmSet : public QWidget {
    Q_OBJECT
public:
    explicit frmSet(PanelHost &host);

    // Controls, named as on the panel; element numbers index the arrays.
    QFrame *FrameA;
    controls::PictureToggle *Check1;
    QScrollBar *HScroll1;
    QLabel *lblMaeSpeed;
    controls::PictureToggle *Check2;
    QScrollBar *HScroll2;
    QLabel *lblNakaSpeed;
    QGroupBox *Frame2;
    std::array<QRadioButton *, 3> Option1;
    QLabel *Label1;
    std::array<QLabel *, 2> Label2;
    std::array<QScrollBar *, 2> scllMakuSpeed;
    std::array<QLabel *, 2> lblMakuSpeed;
    QPushButton *Command3;

    // 1 while the switch is set, 0 while clear.
    int check1Value() const;
    int check2Value() const;
    // Index of the selected middle-door option: 0, 1, or 2 when neither of the
    // first two is selected.
    int selectedOption() const;

    // Handlers.
    void Check1_Click();
    void Check2_Click();
    void HScroll1_Change();
    void HScroll2_Change();
    void scllMakuSpeed_Change(int Index);
    void Command3_Click();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void buildControls();
    void wireHandlers();

    PanelHost &m_host;
};
