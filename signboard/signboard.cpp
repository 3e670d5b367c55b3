#include "signboard/signboard.h"

#include "controls/controls.h"
#include "pictures/picture.h"
#include "signboard/signboard_drag.h"
#include "signboard/signboard_host.h"

#include <QAction>

using controls::TwipsRect;

namespace {
// The signboard's default place, where the reset puts it.
constexpr TwipsRect kResetPlace{8910, 1605, 1410, 450};
// The posts are this wide and reach this far below the picture; the bar
// spans the picture and both posts.
constexpr float kPostWidth = 75;
constexpr float kPostOverhang = 15;
} // namespace

Signboard::Signboard(const SignboardParts &parts, SignboardHost &host)
    : m_parts(parts), m_host(host), m_drag(std::make_unique<SignboardDrag>(*parts.PicKanban))
{
    controls::PictureBox *box = m_parts.PicKanban;
    connect(box, &controls::PictureBox::resized, this, &Signboard::PicKanban_Resize);
    connect(box, &controls::PictureBox::doubleClicked, this, &Signboard::PicKanban_DblClick);
    connect(box, &controls::PictureBox::mousePressed, this, &Signboard::PicKanban_MouseDown);

    connect(m_parts.MnuViewKanban, &QAction::triggered, this, [this](bool markNow) {
        runCheckItem(m_parts.MnuViewKanban, markNow, &Signboard::MnuViewKanban_Click);
    });
    connect(m_parts.MnuViewWaku, &QAction::triggered, this, [this](bool markNow) {
        runCheckItem(m_parts.MnuViewWaku, markNow, &Signboard::MnuViewWaku_Click);
    });
    connect(m_parts.MnuSetKanban, &QAction::triggered, this, &Signboard::MnuSetKanban_Click);
    connect(m_parts.MnuKanbanReset, &QAction::triggered, this, &Signboard::MnuKanbanReset_Click);
}

Signboard::~Signboard() = default;

void Signboard::runCheckItem(QAction *item, bool markNow, void (Signboard::*handler)())
{
    item->setChecked(!markNow);
    (this->*handler)();
}

void Signboard::PicKanban_DblClick() { fitFrame(true); }

void Signboard::PicKanban_Resize() { fitFrame(false); }

void Signboard::fitFrame(bool postHeights)
{
    const TwipsRect k = m_parts.PicKanban->twips();
    auto &waku = m_parts.shpK_Waku;
    const float postHeight = k.height + kPostOverhang;
    waku[0]->setTwips({k.left - kPostWidth, k.top, waku[0]->twipsWidth(),
                       postHeights ? postHeight : waku[0]->twipsHeight()});
    waku[1]->setTwips({k.left + k.width, k.top, waku[1]->twipsWidth(),
                       postHeights ? postHeight : waku[1]->twipsHeight()});
    waku[2]->setTwips({k.left - kPostWidth, k.top + k.height, k.width + 2 * kPostWidth,
                       waku[2]->twipsHeight()});
}

void Signboard::setPicture(const pictures::Picture &picture)
{
    controls::PictureBox *box = m_parts.PicKanban;
    if (picture.isNull() || picture.pixelSize().isEmpty()) {
        box->setPicture(QImage());
        return;
    }
    box->setPicture(picture);
    // One step, so the partial fit runs once, with the whole new size.
    TwipsRect r = box->twips();
    r.width = float(picture.extentTwips.width());
    r.height = float(picture.extentTwips.height());
    box->setTwips(r);
}

void Signboard::MnuSetKanban_Click()
{
    // Every failure, a cancel included, is silent and changes nothing.
    const std::optional<QString> chosen = m_host.choosePictureFile();
    if (!chosen || chosen->isEmpty())
        return;
    const pictures::PictureResult loaded = pictures::loadPicture(*chosen);
    if (!loaded.ok() || loaded.picture.isNull())
        return;
    setPicture(loaded.picture);
    kanbanPath = *chosen;
    PicKanban_DblClick();
}

void Signboard::MnuKanbanReset_Click()
{
    m_parts.PicKanban->setPicture(QImage());
    m_parts.PicKanban->setTwips(kResetPlace);
    PicKanban_DblClick();
}

void Signboard::MnuViewKanban_Click()
{
    const bool mark = m_parts.MnuViewKanban->isChecked();
    m_parts.PicKanban->setVisible(!mark);
    m_parts.MnuViewKanban->setChecked(!mark);
}

void Signboard::MnuViewWaku_Click()
{
    const bool mark = m_parts.MnuViewWaku->isChecked();
    for (controls::ShapeControl *shape : m_parts.shpK_Waku)
        shape->setVisible(!mark);
    PicKanban_DblClick();
    m_parts.MnuViewWaku->setChecked(!mark);
}

void Signboard::PicKanban_MouseDown(Qt::MouseButton Button, QPointF pos)
{
    if (Button == Qt::LeftButton)
        m_drag->begin(pos);
    else if (Button == Qt::RightButton)
        m_host.showSignboardMenu();
}

QString Signboard::loadPictureFromPath()
{
    const pictures::PictureResult loaded = pictures::loadPicture(kanbanPath);
    if (!loaded.ok())
        return loaded.error;
    setPicture(loaded.picture);
    return {};
}

bool Signboard::isDragging() const { return m_drag->isActive(); }
