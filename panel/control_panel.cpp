#include "panel/control_panel.h"

#include "controls/controls.h"
#include "controls/fonts.h"
#include "controls/twips.h"
#include "panel/panel_host.h"
#include "platform/window_keeping.h"

#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

using controls::colorFromBgr;
using controls::placeInTwips;
using controls::TwipsRect;

namespace {

// A plain filled background that, unlike a palette, is not inherited by
// the sliders and buttons inside.
class FilledFrame final : public QFrame {
public:
    FilledFrame(QWidget *parent, QColor color) : QFrame(parent), m_color(color) {}

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), m_color); }

private:
    QColor m_color;
};

void setColors(QWidget *w, QColor back, QColor text = QColor())
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, back);
    pal.setColor(QPalette::Button, back);
    if (text.isValid()) {
        pal.setColor(QPalette::WindowText, text);
        pal.setColor(QPalette::ButtonText, text);
    }
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

// A slider that marks the keyboard focus, which the style leaves unmarked on
// scroll bars, and takes the keys as a horizontal scroll bar does: towards
// the right end (the maximum) with Right, Down and Page Down. Qt's own
// horizontal scroll bar runs Left and Right the other way.
class Slider final : public QScrollBar {
public:
    explicit Slider(QWidget *parent) : QScrollBar(Qt::Horizontal, parent) {}

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        SliderAction action = SliderNoAction;
        switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Down: action = SliderSingleStepAdd; break;
        case Qt::Key_Left:
        case Qt::Key_Up: action = SliderSingleStepSub; break;
        case Qt::Key_PageDown: action = SliderPageStepAdd; break;
        case Qt::Key_PageUp: action = SliderPageStepSub; break;
        case Qt::Key_Home: action = SliderToMinimum; break;
        case Qt::Key_End: action = SliderToMaximum; break;
        default: QScrollBar::keyPressEvent(event); return;
        }
        triggerAction(action);
        event->accept();
    }

    void paintEvent(QPaintEvent *event) override
    {
        QScrollBar::paintEvent(event);
        controls::paintFocusFrame(this);
    }
};

QScrollBar *makeSlider(QWidget *parent, const QString &name, const TwipsRect &r, int min,
                       int max, int value)
{
    auto *s = new Slider(parent);
    s->setObjectName(name);
    s->setRange(min, max);
    s->setValue(value);
    s->setSingleStep(1);
    s->setPageStep(1);
    s->setFocusPolicy(Qt::StrongFocus);
    placeInTwips(s, r);
    return s;
}

// A value label: single-line border, right-aligned, orange on black, "0" at first.
QLabel *makeValueLabel(QWidget *parent, const QString &name, const TwipsRect &r,
                       const QString &what)
{
    auto *l = new QLabel(QStringLiteral("0"), parent);
    l->setObjectName(name);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setLineWidth(1);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setColors(l, Qt::black, colorFromBgr(0x80C0FF));
    placeInTwips(l, r);
    // Read out as the number it shows; the description says what it counts.
    l->setAccessibleDescription(what);
    return l;
}

// A check box drawn as a toggle button with a picture: no caption, so its
// accessible name is the picture's word.
controls::PictureToggle *makePictureToggle(QWidget *parent, const QString &name,
                                       const TwipsRect &r, const QString &picture,
                                       const QString &accessibleName)
{
    auto *b = new controls::PictureToggle(parent, name, r, QImage(picture));
    b->setAccessibleName(accessibleName);
    controls::clickOnEnter(b);
    return b;
}

} // namespace

frmSet::frmSet(PanelHost &host)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), m_host(host)
{
    setObjectName(QStringLiteral("frmSet"));
    setWindowTitle(QStringLiteral("設定パネル"));
    setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
    setFixedSize(265, 144);
    controls::showNoWindowIcon(this);
    // Without a taskbar button a minimised panel would have no way back.
    plat::restoreWhenMinimised(this);
    buildControls();
    wireHandlers();
}

void frmSet::buildControls()
{
    FrameA = new FilledFrame(this, Qt::black);
    FrameA->setObjectName(QStringLiteral("FrameA"));
    FrameA->setAccessibleName(QStringLiteral("扉と幕の設定"));
    placeInTwips(FrameA, {30, 75, 3855, 2055});

    // Created before the sign-speed controls so that it lies behind them.
    Label1 = new QLabel(QStringLiteral("幕の速度"), FrameA);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setColors(Label1, colorFromBgr(0xE0E0E0), Qt::black);
    placeInTwips(Label1, {2295, 165, 1440, 1365});

    Check1 = makePictureToggle(FrameA, QStringLiteral("Check1"), {75, 165, 735, 510},
                               QStringLiteral(":/pictures/switch_front.png"),
                               QStringLiteral("前扉"));
    HScroll1 = makeSlider(FrameA, QStringLiteral("HScroll1"), {855, 195, 1260, 240}, 1, 30000,
                          1000);
    lblMaeSpeed = makeValueLabel(FrameA, QStringLiteral("lblMaeSpeed"), {885, 450, 1215, 240},
                                 QStringLiteral("前扉の速度の値"));

    Check2 = makePictureToggle(FrameA, QStringLiteral("Check2"), {60, 840, 735, 525},
                               QStringLiteral(":/pictures/switch_middle.png"),
                               QStringLiteral("中扉"));
    Check2->setVisible(false);
    Check2->setEnabled(false);
    HScroll2 = makeSlider(FrameA, QStringLiteral("HScroll2"), {840, 840, 1230, 240}, 1, 30000,
                          10000);
    HScroll2->setVisible(false);
    lblNakaSpeed = makeValueLabel(FrameA, QStringLiteral("lblNakaSpeed"), {870, 1110, 1200, 240},
                                  QStringLiteral("中扉の速度の値"));
    lblNakaSpeed->setVisible(false);

    Frame2 = new QGroupBox(QStringLiteral("中扉動作"), FrameA);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    setColors(Frame2, colorFromBgr(0xE0E0E0), Qt::black);
    placeInTwips(Frame2, {75, 1440, 2085, 480});
    const std::array<QString, 3> optionCaptions{QStringLiteral("両方"), QStringLiteral("左"),
                                                QStringLiteral("右")};
    const std::array<TwipsRect, 3> optionPlaces{
        TwipsRect{60, 180, 735, 270}, TwipsRect{795, 180, 570, 270},
        TwipsRect{1470, 165, 555, 270}};
    for (int i = 0; i < 3; ++i) {
        Option1[i] = new QRadioButton(optionCaptions[i], Frame2);
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        setColors(Option1[i], colorFromBgr(0xE0E0E0), Qt::black);
        placeInTwips(Option1[i], optionPlaces[i]);
    }
    Option1[0]->setChecked(true);
    Frame2->setVisible(false);
    Frame2->setEnabled(false);

    const std::array<QString, 2> signCaptions{QStringLiteral("①"), QStringLiteral("②")};
    const std::array<TwipsRect, 2> captionPlaces{TwipsRect{2340, 435, 315, 375},
                                                 TwipsRect{2325, 1020, 315, 375}};
    const std::array<TwipsRect, 2> sliderPlaces{TwipsRect{2655, 420, 990, 225},
                                                TwipsRect{2625, 990, 1050, 225}};
    const std::array<TwipsRect, 2> labelPlaces{TwipsRect{2640, 690, 1035, 240},
                                               TwipsRect{2640, 1245, 1035, 240}};
    for (int i = 0; i < 2; ++i) {
        Label2[i] = new QLabel(signCaptions[i], FrameA);
        Label2[i]->setObjectName(QStringLiteral("Label2_%1").arg(i));
        Label2[i]->setFont(controls::pGothicFont(14.25, true));
        placeInTwips(Label2[i], captionPlaces[i]);
        scllMakuSpeed[i] = makeSlider(FrameA, QStringLiteral("scllMakuSpeed_%1").arg(i),
                                      sliderPlaces[i], 0, 1000, 0);
        lblMakuSpeed[i] = makeValueLabel(FrameA, QStringLiteral("lblMakuSpeed_%1").arg(i),
                                         labelPlaces[i],
                                         QStringLiteral("幕%1の速度の値").arg(signCaptions[i]));
    }
    Label2[1]->setVisible(false);
    scllMakuSpeed[1]->setVisible(false);
    scllMakuSpeed[1]->setEnabled(false);
    lblMakuSpeed[1]->setVisible(false);
    lblMakuSpeed[1]->setEnabled(false);

    Command3 = new QPushButton(QStringLiteral("バージョン情報"), FrameA);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setFocusPolicy(Qt::StrongFocus);
    controls::clickOnEnter(Command3);
    placeInTwips(Command3, {2295, 1575, 1515, 360});

    HScroll1->setAccessibleName(QStringLiteral("前扉の速度"));
    HScroll2->setAccessibleName(QStringLiteral("中扉の速度"));
    scllMakuSpeed[0]->setAccessibleName(QStringLiteral("幕①の速度"));
    scllMakuSpeed[1]->setAccessibleName(QStringLiteral("幕②の速度"));

    // Keyboard order follows the layout: the door's column, then the sign's.
    setTabOrder(Check1, HScroll1);
    setTabOrder(HScroll1, scllMakuSpeed[0]);
    setTabOrder(scllMakuSpeed[0], Command3);
}

void frmSet::wireHandlers()
{
    connect(Check1, &QPushButton::toggled, this, &frmSet::Check1_Click);
    connect(Check2, &QPushButton::toggled, this, &frmSet::Check2_Click);
    connect(HScroll1, &QScrollBar::valueChanged, this, &frmSet::HScroll1_Change);
    connect(HScroll2, &QScrollBar::valueChanged, this, &frmSet::HScroll2_Change);
    for (int i = 0; i < 2; ++i)
        connect(scllMakuSpeed[i], &QScrollBar::valueChanged, this,
                [this, i] { scllMakuSpeed_Change(i); });
    connect(Command3, &QPushButton::clicked, this, &frmSet::Command3_Click);
}

void frmSet::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), colorFromBgr(0x404040));
}

int frmSet::check1Value() const { return Check1->isChecked() ? 1 : 0; }
int frmSet::check2Value() const { return Check2->isChecked() ? 1 : 0; }

int frmSet::selectedOption() const
{
    if (Option1[0]->isChecked())
        return 0;
    if (Option1[1]->isChecked())
        return 1;
    return 2;
}

void frmSet::Check1_Click()
{
    // Disabling the focused switch sends the focus on to the next control;
    // it comes back afterwards unless the user moved it meanwhile, so that
    // the next Space closes the door again.
    const bool hadFocus = focusWidget() == Check1;
    Check1->setEnabled(false);
    QWidget *const focusDuringRun = focusWidget();
    m_host.Check1_Click();
    Check1->setEnabled(true);
    if (hadFocus && focusWidget() == focusDuringRun)
        Check1->setFocus(Qt::OtherFocusReason);
}

void frmSet::Check2_Click()
{
    Frame2->setEnabled(check2Value() != 1);
    m_host.Check2_Click();
}

void frmSet::HScroll1_Change() { m_host.HScroll1_Change(); }

void frmSet::HScroll2_Change() { m_host.HScroll2_Change(); }

void frmSet::scllMakuSpeed_Change(int Index)
{
    lblMakuSpeed[Index]->setText(QString::number(scllMakuSpeed[Index]->value()));
}

void frmSet::Command3_Click() { m_host.MnuHelpVer_Click(); }
