#include "signboard/signboard.h"

#include "app/main_window.h"
#include "pictures/picture.h"
#include "signboard/signboard_drag.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

using controls::TwipsRect;

namespace {
// The signboard's default place, where the reset puts it.
constexpr TwipsRect kResetPlace{8910, 1605, 1410, 450};
// The posts are this wide and reach this far below the picture; the bar
// spans the picture and both posts.
constexpr float kPostWidth = 75;
constexpr float kPostOverhang = 15;
} // namespace

Signboard::Signboard(Form1 &form)
    : m_form(form), m_drag(std::make_unique<SignboardDrag>(*form.PicKanban))
{
    controls::PictureBox *box = m_form.PicKanban;
    connect(box, &controls::PictureBox::resized, this, &Signboard::PicKanban_Resize);
    connect(box, &controls::PictureBox::doubleClicked, this, &Signboard::PicKanban_DblClick);
    connect(box, &controls::PictureBox::mousePressed, this, &Signboard::PicKanban_MouseDown);

    connect(m_form.MnuViewKanban, &QAction::triggered, this, [this](bool markNow) {
        runCheckItem(m_form.MnuViewKanban, markNow, &Signboard::MnuViewKanban_Click);
    });
    connect(m_form.MnuViewWaku, &QAction::triggered, this, [this](bool markNow) {
        runCheckItem(m_form.MnuViewWaku, markNow, &Signboard::MnuViewWaku_Click);
    });
    connect(m_form.MnuSetKanban, &QAction::triggered, this, &Signboard::MnuSetKanban_Click);
    connect(m_form.MnuKanbanReset, &QAction::triggered, this, &Signboard::MnuKanbanReset_Click);
}

Signboard::~Signboard() = default;

void Signboard::runCheckItem(QAction *item, bool markNow, void (Signboard::*handler)())
{
    item->setChecked(!markNow);
    (this->*handler)();
}

void Signboard::PicKanban_DblClick()
{
    const TwipsRect k = m_form.PicKanban->twips();
    auto &waku = m_form.shpK_Waku;
    waku[0]->setTwips({k.left - kPostWidth, k.top, waku[0]->twipsWidth(),
                       k.height + kPostOverhang});
    waku[1]->setTwips({k.left + k.width, k.top, waku[1]->twipsWidth(), k.height + kPostOverhang});
    waku[2]->setTwips({k.left - kPostWidth, k.top + k.height, k.width + 2 * kPostWidth,
                       waku[2]->twipsHeight()});
}

void Signboard::PicKanban_Resize()
{
    const TwipsRect k = m_form.PicKanban->twips();
    auto &waku = m_form.shpK_Waku;
    waku[0]->setTwips({k.left - kPostWidth, k.top, waku[0]->twipsWidth(), waku[0]->twipsHeight()});
    waku[1]->setTwips({k.left + k.width, k.top, waku[1]->twipsWidth(), waku[1]->twipsHeight()});
    waku[2]->setTwips({k.left - kPostWidth, k.top + k.height, k.width + 2 * kPostWidth,
                       waku[2]->twipsHeight()});
}

void Signboard::setPicture(const pictures::Picture &picture)
{
    controls::PictureBox *box = m_form.PicKanban;
    if (picture.isNull() || picture.image.isNull()) {
        box->setPicture(QImage());
        return;
    }
    box->setPicture(picture.image);
    // One step, so the partial fit runs once, with the whole new size.
    TwipsRect r = box->twips();
    r.width = float(picture.extentTwips.width());
    r.height = float(picture.extentTwips.height());
    box->setTwips(r);
}

void Signboard::MnuSetKanban_Click()
{
    // Every failure, a cancel included, is silent and changes nothing.
    const std::optional<QString> chosen = m_form.C_Dialog1.showOpen(&m_form);
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
    m_form.PicKanban->setPicture(QImage());
    m_form.PicKanban->setTwips(kResetPlace);
    PicKanban_DblClick();
}

void Signboard::MnuViewKanban_Click()
{
    const bool mark = m_form.MnuViewKanban->isChecked();
    m_form.PicKanban->setVisible(!mark);
    m_form.MnuViewKanban->setChecked(!mark);
}

void Signboard::MnuViewWaku_Click()
{
    const bool mark = m_form.MnuViewWaku->isChecked();
    for (controls::ShapeControl *shape : m_form.shpK_Waku)
        shape->setVisible(!mark);
    PicKanban_DblClick();
    m_form.MnuViewWaku->setChecked(!mark);
}

void Signboard::PicKanban_MouseDown(Qt::MouseButton Button, QPointF pos)
{
    if (Button == Qt::LeftButton)
        m_drag->begin(pos);
    else if (Button == Qt::RightButton)
        m_form.MnuTempMenu1->exec(QCursor::pos());
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
