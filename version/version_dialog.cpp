#include "version/version_dialog.h"

#include "controls/controls.h"
#include "controls/fonts.h"
#include "controls/twips.h"
#include "platform/window_keeping.h"
#include "version/maker_link.h"

#include <QCursor>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>

using controls::colorFromBgr;
using controls::placeInTwips;
using controls::TwipsRect;

namespace {

const QString kModelNumberPrefix = QStringLiteral("型番・製造番号：");

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text,
                  const TwipsRect &place)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    placeInTwips(label, place);
    return label;
}

// The home page link: reached with Tab like a button, so it shows where the
// focus is.
class LinkLabel final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QLabel::paintEvent(event);
        controls::paintFocusFrame(this);
    }
};

void setColours(QLabel *label, quint32 backBgr, quint32 foreBgr)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, colorFromBgr(backBgr));
    pal.setColor(QPalette::WindowText, colorFromBgr(foreBgr));
    label->setPalette(pal);
    label->setAutoFillBackground(true);
}

} // namespace

frmShowVersion::frmShowVersion(plat::Platform &platform)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      m_platform(platform)
{
    controls::showNoWindowIcon(this);
    plat::keepAboveThePanel(this);
    plat::restoreWhenMinimised(this);
    setObjectName(QStringLiteral("frmShowVersion"));
    setWindowTitle(QStringLiteral("トトラのバージョン情報"));
    setFixedSize(333, 223);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    // The labels without a font of their own use the dialog's.
    setFont(controls::pGothicFont(9));
    buildControls();
    Form_Load();
}

void frmShowVersion::buildControls()
{
    constexpr quint32 kDarkGrey = 0x4E4E4E;
    constexpr quint32 kYellow = 0x00FFFF;
    constexpr quint32 kWhite = 0xFFFFFF;

    // Drawn by the program itself, not by a label: a label smooths its
    // picture at display scales above 1.
    Image1 = new controls::ImageControl(this, QStringLiteral("Image1"), {285, 165, 480, 480}, false);
    Image1->setPicture(QImage(QStringLiteral(":/pictures/icon.png")));
    Image1->setAccessibleName(QStringLiteral("トトラのアイコン"));

    Label1[0] = makeLabel(this, QStringLiteral("Label1_0"), QStringLiteral("トトラ"),
                          {900, 240, 3840, 330});
    setColours(Label1[0], kDarkGrey, kYellow);
    Label1[0]->setFont(controls::pGothicFont(14.25, true));

    Label1[1] = makeLabel(this, QStringLiteral("Label1_1"), kModelNumberPrefix,
                          {165, 720, 4605, 270});
    setColours(Label1[1], kDarkGrey, kYellow);
    Label1[1]->setFont(controls::pGothicFont(9.75, true));

    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("Varsion　1.0.0"),
                       {165, 1035, 3225, 225});
    setColours(Label2, kDarkGrey, kYellow);

    Label3[0] = makeLabel(this, QStringLiteral("Label3_0"),
                          QStringLiteral("製作：トトラ開発者一同　2006"),
                          {165, 1290, 3225, 240});
    Label3[1] = makeLabel(this, QStringLiteral("Label3_1"),
                          QStringLiteral("協力：トトラ開発者一同　1993-2006"),
                          {165, 1545, 3225, 240});
    Label3[2] = makeLabel(this, QStringLiteral("Label3_2"),
                          QStringLiteral("このモデルはMITライセンスのもとで作られています。\n"
                                         "\n"
                                         "ライセンス元：The Totora developers"),
                          {150, 1860, 4650, 885});
    for (QLabel *label : Label3)
        setColours(label, kDarkGrey, kWhite);
    Label3[2]->setVisible(false);

    // Empty, with a sunken line: the rule between the texts and the buttons.
    Label4 = makeLabel(this, QStringLiteral("Label4"), {}, {15, 2835, 4965, 60});
    Label4->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Label4->setAccessibleName(QStringLiteral("区切り線"));

    Label5 = new LinkLabel(QStringLiteral("ここをクリックするとクオベルHPが開きます。"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    placeInTwips(Label5, {240, 2985, 3315, 225});
    Label5->setFocusPolicy(Qt::TabFocus);
    QFont linkFont = controls::pGothicFont(9, false);
    linkFont.setUnderline(true);
    Label5->setFont(linkFont);
    QPalette linkPal = Label5->palette();
    linkPal.setColor(QPalette::WindowText, colorFromBgr(0xFF0000));
    Label5->setPalette(linkPal);
    Label5->setCursor(QCursor(QPixmap(QStringLiteral(":/pictures/hand.png")), 12, 1));
    Label5->installEventFilter(this);
    Label5->setAccessibleDescription(QStringLiteral("クオベルのホームページを開くリンク"));

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    placeInTwips(Command1, {3570, 2940, 1230, 345});
    connect(Command1, &QPushButton::clicked, this, &frmShowVersion::Command1_Click);
    // OK has the focus first; Tab goes to the link and back.
    setTabOrder(Command1, Label5);
    Command1->setFocus(Qt::OtherFocusReason);

    // Said here, where the program tells what it is and how it runs, rather
    // than as a tooltip of the panel, which would pop up over the controls in
    // use or, on the panel's bare background, be found by chance only. It
    // sits in the room the hidden licensing notice leaves.
    lblWindowSystem = makeLabel(this, QStringLiteral("lblWindowSystem"),
                                QStringLiteral("この環境（Wayland）では、ウィンドウの位置の記憶と、"
                                               "設定パネルを常に手前に表示することはできません。"),
                                {150, 1860, 4650, 885});
    lblWindowSystem->setWordWrap(true);
    lblWindowSystem->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblWindowSystem->setVisible(!m_platform.windowSystem->canPlaceWindows());
}

void frmShowVersion::Form_Load()
{
    Label1[1]->setText(kModelNumberPrefix + plat::modelNumber(*m_platform.process));
}

void frmShowVersion::Command1_Click() { accept(); }

void frmShowVersion::Label5_Click()
{
    const maker::HomePageAddress found =
        maker::homePageAddress(plat::programFolder(*m_platform.process));
    if (!found.ok()) {
        m_platform.alerts->show(this, plat::AlertIcon::Critical,
                                QStringLiteral("Quorvelhp.dllのエラー"),
                                found.error + QStringLiteral("\r\n\r\n") +
                                    QStringLiteral(" 上記内容をクオベルHP関係者まで報告してください。"));
        return;
    }
    // An empty address is handed on as it is; what the shell makes of it is
    // not reported.
    m_platform.shell->open(found.address);
}

bool frmShowVersion::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the link is a left press and release over it; from the
    // keyboard, Enter or Space while it has the focus.
    if (watched == Label5) {
        if (event->type() == QEvent::KeyPress) {
            auto *e = static_cast<QKeyEvent *>(event);
            const int key = e->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
                !(e->modifiers() & ~Qt::KeypadModifier)) {
                if (!e->isAutoRepeat())
                    Label5_Click();
                return true;
            }
        }
        if (event->type() == QEvent::MouseButtonPress) {
            m_linkPressed = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto *e = static_cast<QMouseEvent *>(event);
            const bool click = m_linkPressed && e->button() == Qt::LeftButton &&
                               Label5->rect().contains(e->position().toPoint());
            m_linkPressed = false;
            if (click)
                Label5_Click();
        }
    }
    return QDialog::eventFilter(watched, event);
}
