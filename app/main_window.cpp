#include "app/main_window.h"

#include "app/door_outline.h"
#include "controls/popup_menu.h"
#include "doors/front_door.h"
#include "panel/control_panel.h"
#include "sign/destination_sign.h"
#include "signboard/signboard.h"
#include "version/version_dialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

using controls::colorFromBgr;
using controls::ImageControl;
using controls::PictureBox;
using controls::ShapeControl;

namespace {
constexpr int kClientWidth = 868;
constexpr int kClientHeight = 254;
const QColor kWindowBackground = QColor(0xF0, 0xF0, 0xF0);
} // namespace

Form1::Form1(plat::Platform &platform)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      C_Dialog1(*platform.fileDialog), m_platform(platform),
      m_coach(QStringLiteral(":/pictures/coach.png"))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("トトラ　-　TT04K0007"));
    setFixedSize(kClientWidth, kClientHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    buildControls();
    buildMenu();
    m_sign = std::make_unique<DestinationSign>(picWaku1, imgMaku1, *this);
    m_signboard = std::make_unique<Signboard>(
        SignboardParts{PicKanban, shpK_Waku, MnuViewKanban, MnuViewWaku, MnuSetKanban,
                       MnuKanbanReset},
        *this);
}

Form1::~Form1() = default;

void Form1::buildControls()
{
    // Siblings stack in creation order, so the controls are made from the
    // back to the front: the windowless shapes and images first.
    const QColor shapeBorder = colorFromBgr(0x808080);
    const QColor shapeFill = colorFromBgr(0xE0E0E0);
    shpK_Waku[2] = new ShapeControl(this, QStringLiteral("shpK_Waku_2"), {10545, 2250, 1560, 60},
                                    shapeBorder, shapeFill);
    shpK_Waku[1] = new ShapeControl(this, QStringLiteral("shpK_Waku_1"), {12030, 1785, 75, 495},
                                    shapeBorder, shapeFill);
    shpK_Waku[0] = new ShapeControl(this, QStringLiteral("shpK_Waku_0"), {10545, 1785, 75, 495},
                                    shapeBorder, shapeFill);

    imgNakaorido[0] = new ImageControl(this, QStringLiteral("imgNakaorido_0"),
                                       {5010, 3660, 930, 2310}, true);
    imgNakaorido[1] = new ImageControl(this, QStringLiteral("imgNakaorido_1"),
                                       {5910, 3660, 930, 2310}, true);
    imgNakaorido[0]->setPicture(QImage(QStringLiteral(":/pictures/glass_door_0.png")));
    imgNakaorido[1]->setPicture(QImage(QStringLiteral(":/pictures/glass_door_1.png")));
    imgNakaorido[0]->setVisible(false);
    imgNakaorido[1]->setVisible(false);

    PicKanban = new PictureBox(this, QStringLiteral("PicKanban"), {10620, 1800, 1410, 450},
                               Qt::white);

    picWaku1[1] = new PictureBox(this, QStringLiteral("picWaku1_1"), {6900, 3240, 780, 540},
                                 Qt::blue);
    imgMaku1[1] = new ImageControl(picWaku1[1], QStringLiteral("imgMaku1_1"),
                                   {-30, 30, 735, 3750}, false);
    picWaku1[1]->setVisible(false);

    picWaku1[0] = new PictureBox(this, QStringLiteral("picWaku1_0"), {2355, 1755, 750, 285},
                                 Qt::white);
    imgMaku1[0] = new ImageControl(picWaku1[0], QStringLiteral("imgMaku1_0"),
                                   {0, 0, 750, 3750}, false);

    Picture1 = new PictureBox(this, QStringLiteral("Picture1"), {270, 825, 1155, 2715},
                              kWindowBackground);
    Picture1->setPicture(QImage(QStringLiteral(":/pictures/doorway.png")));

    picSlideBase1 = new PictureBox(this, QStringLiteral("picSlideBase1"), {270, 825, 1155, 2715},
                                   kWindowBackground);
    picSlideBase1->setPicture(QImage(QStringLiteral(":/pictures/door_leaf.png")));

    setTabOrder(PicKanban, picSlideBase1);
    setTabOrder(picSlideBase1, picWaku1[1]);
    setTabOrder(picWaku1[1], picWaku1[0]);
    setTabOrder(picWaku1[0], Picture1);

    connect(Picture1, &PictureBox::clicked, this, &Form1::Picture1_Click);
}

void Form1::buildMenu()
{
    MnuTempMenu1 = new QMenu(this);
    MnuTempMenu1->setObjectName(QStringLiteral("MnuTempMenu1"));
    MnuTempMenu1->setTitle(QStringLiteral("MnuTempMenu1"));
    controls::chooseWithLeftButtonOnly(MnuTempMenu1);
    const auto addItem = [this](const QString &name, const QString &caption, bool checked) {
        QAction *a = MnuTempMenu1->addAction(caption);
        a->setObjectName(name);
        if (checked) {
            a->setCheckable(true);
            a->setChecked(true);
        }
        return a;
    };
    MnuViewKanban = addItem(QStringLiteral("MnuViewKanban"), QStringLiteral("看板の表示"), true);
    MnuViewWaku = addItem(QStringLiteral("MnuViewWaku"), QStringLiteral("枠の表示"), true);
    MnuSetKanban =
        addItem(QStringLiteral("MnuSetKanban"), QStringLiteral("看板の画像を設定..."), false);
    MnuBdr1 = MnuTempMenu1->addSeparator();
    MnuBdr1->setObjectName(QStringLiteral("MnuBdr1"));
    MnuKanbanReset =
        addItem(QStringLiteral("MnuKanbanReset"), QStringLiteral("看板のリセット"), false);
}

frmSet &Form1::panel()
{
    if (!m_panel)
        m_panel = std::make_unique<frmSet>(*this);
    return *m_panel;
}

float Form1::windowLeft() const { return float(x() * controls::kTwipsPerPixel); }
float Form1::windowTop() const { return float(y() * controls::kTwipsPerPixel); }

void Form1::setWindowPlace(float left, float top)
{
    move(controls::twipsToPixels(left), controls::twipsToPixels(top));
}

float Form1::outerHeight() const
{
    return float(frameGeometry().height() * controls::kTwipsPerPixel);
}

void Form1::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), kWindowBackground);
    p.drawImage(QPoint(0, 0), m_coach);
}

void Form1::Check1_Click()
{
    frmSet &set = panel();
    doors::runFrontDoor(*picSlideBase1, *Picture1, *m_platform.pacing,
                        {[&set] { return set.check1Value(); },
                         [&set] { return set.HScroll1->value(); }});
}

void Form1::HScroll1_Change()
{
    panel().lblMaeSpeed->setText(QString::number(panel().HScroll1->value()));
}

void Form1::HScroll2_Change()
{
    panel().lblNakaSpeed->setText(QString::number(panel().HScroll2->value()));
}

void Form1::Load方向幕(int Index) { m_sign->Load方向幕(Index); }
void Form1::PicKanban_DblClick() { m_signboard->PicKanban_DblClick(); }
void Form1::MnuKanbanReset_Click() { m_signboard->MnuKanbanReset_Click(); }

void Form1::MnuHelpVer_Click()
{
    if (!m_version)
        m_version = std::make_unique<frmShowVersion>(m_platform);
    m_version->exec();
    // Closing the dialog unloads it; the next showing loads it afresh.
    m_version.reset();
}

void Form1::mousePressEvent(QMouseEvent *event)
{
    Form_MouseDown(event->button());
}

void Form1::Form_MouseDown(Qt::MouseButton Button)
{
    if (Button == Qt::RightButton)
        MnuTempMenu1->exec(QCursor::pos());
}

std::optional<QString> Form1::choosePictureFile() { return C_Dialog1.showOpen(this); }

void Form1::showPictureError(const QString &text)
{
    m_platform.alerts->show(this, plat::AlertIcon::Warning, QStringLiteral("トトラ"), text);
}

int Form1::signStep(int index) { return panel().scllMakuSpeed[index]->value(); }

void Form1::showSignboardMenu() { MnuTempMenu1->exec(QCursor::pos()); }

void Form1::Picture1_Click() { Picture1->setFocus(Qt::MouseFocusReason); }

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_Unload();
}
